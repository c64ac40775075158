// The screen saver's one setting, the time between arts, as the registry
// holds it: REG_SZ "ScreenSaverTimeBetweenArts" under HKEY_CURRENT_USER
// "Software\TavolTheCorvane", a decimal number of seconds. The dialog offers
// 20 to 60; a value stored by other means is used unchanged.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr char kSaverSettingsKey[] = "Software\\TavolTheCorvane";
constexpr char kTimeBetweenArtsValue[] = "ScreenSaverTimeBetweenArts";

constexpr int32_t kDefaultSecondsBetweenArts = 20;
constexpr int32_t kMinDialogSeconds = 20;
constexpr int32_t kMaxDialogSeconds = 60;
// LoadSaverSettings reads the value into a buffer of this many bytes.
constexpr size_t kTimeBetweenArtsBufferBytes = 10;
// The dialog's edit box takes at most two digits.
constexpr int kDialogDigitLimit = 2;
// UDM_SETRANGE's lParam: upper 60 in the low word, lower 20 in the high word.
constexpr uint32_t kUpDownRange =
    static_cast<uint32_t>(kMinDialogSeconds) << 16 | static_cast<uint32_t>(kMaxDialogSeconds);

// Seconds from what RegQueryValueExA left in the 10-byte buffer. data is null
// when the key or the value could not be read (missing, or ERROR_MORE_DATA);
// byteCount is the size the query reported. The default, 20, comes back when
// data is null, byteCount is above 10 (longer than the buffer), or the text
// (up to its first NUL) is not a number: no digit after optional white space
// and an optional sign, or a value outside 32 bits. Otherwise the number at
// the start of the text, whatever follows it ("30x" is 30, "  30" is 30, "-5"
// is -5), without a range check.
int32_t SecondsFromRegistryText(const char* data, size_t byteCount);

// intervalMs = seconds x 1000, held at the 32-bit limits (a stored 9-digit
// value would overflow).
int32_t IntervalMsFromSeconds(int32_t seconds);

// The seconds SaveSaverSettings writes: intervalMs / 1000, truncating.
int32_t SecondsFromIntervalMs(int32_t intervalMs);

// The seconds OK stores from the text of the dialog's edit box: the number
// its leading digits make, held into 20 to 60 ("90" is 60, "5" and "0" are
// 20, and so is a box without digits). The up-down control's own position
// keeps the last value in its range and flags a typed one outside it as an
// error, so the text is what counts.
int32_t DialogSecondsFromText(const char* text);

// The text of a number of seconds, "%d": no leading zeros, a sign only when
// negative. Writes at most outSize bytes including the terminator (out of 12
// bytes always fits); returns the length without it, or 0 when it does not
// fit (out then holds ""). The registry value is the text and its terminator.
size_t FormatSeconds(int32_t seconds, char* out, size_t outSize);
