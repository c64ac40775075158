// Reading a signed decimal number the way the screen saver reads its
// numbers (the interval setting, the preview's window handle).
#pragma once

#include <cstddef>
#include <cstdint>

// Reads text[0 .. length) (or up to a NUL before that): optional white space
// (space, tab, line feed, vertical tab, form feed, carriage return), an
// optional "+" or "-", then digits up to the first non-digit. False, with
// *value 0, when no digit follows the white space and sign. Magnitudes
// beyond 2^63 - 1 saturate.
bool ReadSignedDecimal(const char* text, size_t length, int64_t* value);
