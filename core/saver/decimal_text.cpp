#include "saver/decimal_text.h"

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

bool ReadSignedDecimal(const char* text, size_t length, int64_t* value) {
  *value = 0;
  if (!text) return false;
  size_t i = 0;
  while (i < length && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < length && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr uint64_t kLimit = static_cast<uint64_t>(INT64_MAX);
  uint64_t magnitude = 0;
  size_t digits = 0;
  for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
    const unsigned d = static_cast<unsigned>(text[i] - '0');
    magnitude = magnitude > (kLimit - d) / 10 ? kLimit : magnitude * 10 + d;
  }
  if (digits == 0) return false;
  *value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  return true;
}
