// libFuzzer target: any text as an "IconMetrics" or "NonclientMetrics" value
// through the byte-token readers, with the round trips they promise:
// - a value that parses formats to text that parses to the same structure,
//   byte for byte, and formatting that structure again gives the same text;
// - any structure (the input's bytes, cbSize set) formats to text that
//   parses back to it;
// - a reader that stops early stops inside the value, and never reads past
//   its terminator (the value has exactly its own bytes, so ASan sees it).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "theme/bytetokens.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// A copy of the text with exactly one byte more, its terminator.
std::unique_ptr<char[]> Terminated(const char* text, size_t size) {
  std::unique_ptr<char[]> copy(new char[size + 1]);
  std::memcpy(copy.get(), text, size);
  copy[size] = '\0';
  return copy;
}

// Every token is 0..255 followed by exactly one blank.
void CheckWellFormed(const std::string& text, size_t tokens) {
  size_t count = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t blank = text.find(' ', pos);
    Check(blank != std::string::npos && blank > pos && blank - pos <= 3);
    Check(std::strtoul(text.substr(pos, blank - pos).c_str(), nullptr, 10) <= 255);
    pos = blank + 1;
    ++count;
  }
  Check(count == tokens);
  Check(text.size() <= kLongestMetricsText);
}

template <typename Struct, typename Parse, typename Format>
void RoundTrip(const char* value, size_t tokens, Parse parse, Format format) {
  Struct parsed;
  std::memset(&parsed, 0, sizeof parsed);
  if (!parse(&parsed, value)) return;
  std::string text;
  format(&text, parsed);
  CheckWellFormed(text, tokens);
  std::unique_ptr<char[]> copy = Terminated(text.data(), text.size());
  Struct again;
  std::memset(&again, 0xA5, sizeof again);
  Check(parse(&again, copy.get()));
  Check(std::memcmp(&parsed, &again, sizeof parsed) == 0);
  std::string text2;
  format(&text2, again);
  Check(text == text2);
}

// Structure bytes taken from the input, cbSize made right: format, parse.
template <typename Struct, typename Parse, typename Format>
void FromBytes(const uint8_t* data, size_t size, uint32_t cbSize, Parse parse, Format format) {
  Struct original;
  std::memset(&original, 0, sizeof original);
  std::memcpy(&original, data, size < sizeof original ? size : sizeof original);
  original.cbSize = cbSize;
  std::string text;
  format(&text, original);
  std::unique_ptr<char[]> copy = Terminated(text.data(), text.size());
  Struct parsed;
  std::memset(&parsed, 0x5A, sizeof parsed);
  Check(parse(&parsed, copy.get()));
  Check(std::memcmp(&original, &parsed, sizeof parsed) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<char[]> value = Terminated(reinterpret_cast<const char*>(data), size);
  const char* const begin = value.get();
  const char* const end = begin + std::strlen(begin);

  RoundTrip<ThemeIconMetrics>(begin, kIconMetricsBytes, ParseIconMetrics, FormatIconMetrics);
  RoundTrip<ThemeNonclientMetrics>(begin, kNonclientMetricsBytes, ParseNonclientMetrics,
                                   FormatNonclientMetrics);
  RoundTrip<ThemeLogFont>(
      begin, kLogFontBytes,
      [](ThemeLogFont* font, const char* text) {
        const char* after = ParseLogFont(font, text);
        return after != nullptr;
      },
      FormatLogFont);

  // The position a reader returns stands inside the value, on its
  // terminator at the latest.
  ThemeLogFont font;
  const char* after = ParseLogFont(&font, begin);
  Check(!after || (after > begin && after <= end));
  int32_t field = 0;
  after = ParseMetricInt(begin, &field);
  Check(!after || (after > begin && after <= end));
  if (after) {
    std::string text;
    FormatMetricInt(&text, static_cast<uint32_t>(field));
    int32_t again = ~field;
    std::unique_ptr<char[]> copy = Terminated(text.data(), text.size());
    Check(ParseMetricInt(copy.get(), &again) != nullptr && again == field);
  }

  FromBytes<ThemeIconMetrics>(data, size, kIconMetricsBytes, ParseIconMetrics, FormatIconMetrics);
  FromBytes<ThemeNonclientMetrics>(data, size, kNonclientMetricsBytes, ParseNonclientMetrics,
                                   FormatNonclientMetrics);
  return 0;
}
