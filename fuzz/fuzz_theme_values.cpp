// libFuzzer target: theme values that are not byte tokens.
// - Colour values ("R G B"), whole and as the switcher reads them (cut to
//   19 characters): a value read gives a colour reference of 24 bits, and
//   its three numbers written back read as the same reference.
// - The "%WinDir%" / "%ThemeDir%" expansion with directories and result
//   buffers of any size (the buffer is exactly that size, so ASan sees every
//   write past it), against what the rules say the result is.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "theme/themefile.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckColour(const std::string& text) {
  uint32_t colorref = 0xDEADBEEF;
  if (!ParseColourValue(text.c_str(), &colorref)) {
    Check(colorref == 0xDEADBEEF);  // untouched on failure
    return;
  }
  Check(colorref <= 0xFFFFFF);
  char again[32];
  std::snprintf(again, sizeof again, "%u %u %u", colorref & 255, (colorref >> 8) & 255,
                colorref >> 16);
  uint32_t second = 0;
  Check(ParseColourValue(again, &second) && second == colorref);
}

// What ExpandThemeValue must give: the directory, one backslash and the rest
// for a leading token whose directory is known; the value itself otherwise.
bool Expected(const std::string& source, const char* windowsDir, const char* themeDir,
              std::string* result) {
  static const std::string kWin = "%WinDir%", kTheme = "%ThemeDir%";
  if (source.compare(0, kWin.size(), kWin) == 0) {
    if (!windowsDir) return false;
    *result = std::string(windowsDir) + "\\" + source.substr(kWin.size());
  } else if (source.compare(0, kTheme.size(), kTheme) == 0) {
    if (!themeDir) return false;
    *result = std::string(themeDir) + "\\" + source.substr(kTheme.size());
  } else {
    *result = source;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const size_t destSize = in.ConsumeIntegralInRange<size_t>(0, 600);
  const uint8_t which = in.ConsumeIntegral<uint8_t>();
  const std::string windowsDir = in.ConsumeRandomLengthString(400);
  const std::string themeDir = in.ConsumeRandomLengthString(400);
  const std::string source = in.ConsumeRemainingBytesAsString();
  // Values come from GetPrivateProfileStringA: text up to a NUL.
  const std::string value = source.c_str();

  CheckColour(value);
  CheckColour(value.substr(0, kColourValueSize - 1));

  const char* win = (which & 1) ? windowsDir.c_str() : nullptr;
  const char* theme = (which & 2) ? themeDir.c_str() : nullptr;
  std::unique_ptr<char[]> dest(new char[destSize ? destSize : 1]);
  std::memset(dest.get(), 'x', destSize ? destSize : 1);
  const int length = ExpandThemeValue(dest.get(), destSize, value.c_str(), win, theme);
  std::string expected;
  const bool known = Expected(value, win, theme, &expected);
  if (known && expected.size() < destSize) {
    Check(length == static_cast<int>(expected.size()));
    Check(std::strcmp(dest.get(), expected.c_str()) == 0);
  } else {
    Check(length == -1);
    Check(destSize == 0 || dest[0] == '\0');
  }
  return 0;
}
