#include "saver/saver_settings.h"

#include <cstdio>

#include "saver/decimal_text.h"

namespace {

int32_t Clamp32(int64_t v) {
  return v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v);
}

}  // namespace

int32_t SecondsFromRegistryText(const char* data, size_t byteCount) {
  if (!data || byteCount > kTimeBetweenArtsBufferBytes) return kDefaultSecondsBetweenArts;
  int64_t seconds = 0;
  if (!ReadSignedDecimal(data, byteCount, &seconds) || seconds < INT32_MIN || seconds > INT32_MAX) {
    return kDefaultSecondsBetweenArts;
  }
  return static_cast<int32_t>(seconds);
}

int32_t IntervalMsFromSeconds(int32_t seconds) {
  return Clamp32(static_cast<int64_t>(seconds) * 1000);
}

int32_t SecondsFromIntervalMs(int32_t intervalMs) {
  return intervalMs / 1000;
}

int32_t DialogSecondsFromText(const char* text) {
  int32_t seconds = 0;
  for (const char* c = text; c && *c >= '0' && *c <= '9'; ++c) {
    seconds = seconds * 10 + (*c - '0');
    if (seconds > kMaxDialogSeconds) return kMaxDialogSeconds;
  }
  return seconds < kMinDialogSeconds ? kMinDialogSeconds : seconds;
}

size_t FormatSeconds(int32_t seconds, char* out, size_t outSize) {
  if (!out || outSize == 0) return 0;
  const int n = std::snprintf(out, outSize, "%d", static_cast<int>(seconds));
  if (n < 0 || static_cast<size_t>(n) >= outSize) {
    out[0] = '\0';
    return 0;
  }
  return static_cast<size_t>(n);
}
