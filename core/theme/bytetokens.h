// Byte-token lists: the "IconMetrics" and "NonclientMetrics" theme values.
//
// A structure is written as its bytes in memory order, each byte an unsigned
// decimal number followed by one blank ("76 0 0 0 ..."). A 32-bit field is
// four tokens, least significant first; a signed field is its two's
// complement. On reading, tokens are separated by one or more blanks and a
// token above 255 carries into the next byte (the field is formed with
// 32-bit wrap-around).
//
// The readers stop at the end of the value: a value that runs out of tokens,
// or holds something that is not a decimal number where a token is needed,
// is reported as unreadable (null or false) and must not be applied.
#pragma once

#include <string>

#include "theme/metrics.h"

// Reads one 32-bit field at pos; returns the position after its four tokens,
// or null when the value ends early or a token is not a number.
const char* ParseMetricInt(const char* pos, int32_t* field);

// Reads the 60 tokens of a LOGFONT; same result convention.
const char* ParseLogFont(ThemeLogFont* font, const char* pos);

// Whole values. True only when every field was read and cbSize is the
// structure's own size (76 and 340); on false the structure is unspecified.
bool ParseIconMetrics(ThemeIconMetrics* metrics, const char* value);
bool ParseNonclientMetrics(ThemeNonclientMetrics* metrics, const char* value);

// Writers: append the tokens to out.
void FormatMetricInt(std::string* out, uint32_t field);
void FormatLogFont(std::string* out, const ThemeLogFont& font);
void FormatIconMetrics(std::string* out, const ThemeIconMetrics& metrics);
void FormatNonclientMetrics(std::string* out, const ThemeNonclientMetrics& metrics);

// The longest value: 340 tokens of at most four characters each.
constexpr size_t kLongestMetricsText = 340 * 4;
