// libFuzzer target: the screen saver's texts.
// - "ScreenSaverTimeBetweenArts" as RegQueryValueExA leaves it in the
//   10-byte buffer (exactly 10 bytes, so ASan sees a read past it), with any
//   reported size: the seconds are the number strtoll reads at the start,
//   20 when there is none or it is beyond 32 bits; seconds written with
//   FormatSeconds read back the same.
// - The command line: the mode follows the letter after an optional "/" or
//   "-", every pointer stays inside the line, "p" reads its window handle
//   as strtoll does.
#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "saver/command_line.h"
#include "saver/saver_settings.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// strtoll on the text up to its first NUL: whether it found a number.
bool Strtoll(const char* text, size_t length, long long* value) {
  std::string copy(text, length);
  copy = copy.c_str();
  const char* p = copy.c_str();
  char* end = nullptr;
  errno = 0;
  *value = std::strtoll(p, &end, 10);
  if (end == p) return false;
  return true;
}

void CheckSetting(FuzzedDataProvider* in) {
  const size_t reported = in->ConsumeIntegralInRange<size_t>(0, 16);
  const std::string bytes = in->ConsumeBytesAsString(kTimeBetweenArtsBufferBytes);
  std::unique_ptr<char[]> buffer(new char[kTimeBetweenArtsBufferBytes]);
  std::memset(buffer.get(), 0, kTimeBetweenArtsBufferBytes);
  std::memcpy(buffer.get(), bytes.data(), bytes.size());
  const bool missing = in->ConsumeBool();
  const int32_t seconds = SecondsFromRegistryText(missing ? nullptr : buffer.get(), reported);
  long long expected = kDefaultSecondsBetweenArts;
  long long number = 0;
  if (!missing && reported <= kTimeBetweenArtsBufferBytes &&
      Strtoll(buffer.get(), reported, &number) && number >= INT32_MIN && number <= INT32_MAX) {
    expected = number;
  }
  Check(seconds == expected);

  const int32_t any = in->ConsumeIntegral<int32_t>();
  char text[12];
  const size_t length = FormatSeconds(any, text, sizeof text);
  Check(length > 0 && length == std::strlen(text));
  if (length + 1 <= kTimeBetweenArtsBufferBytes) {
    Check(SecondsFromRegistryText(text, length + 1) == any);
  }
  Check(SecondsFromIntervalMs(IntervalMsFromSeconds(any)) ==
        (any > INT32_MAX / 1000   ? INT32_MAX / 1000
         : any < INT32_MIN / 1000 ? INT32_MIN / 1000
                                  : any));
}

void CheckCommandLine(const std::string& line) {
  std::unique_ptr<char[]> copy(new char[line.size() + 1]);
  std::memcpy(copy.get(), line.c_str(), line.size() + 1);
  const char* begin = copy.get();
  const char* end = begin + std::strlen(begin);
  const SaverCommand command = ParseSaverCommandLine(begin);
  if (*begin) Check(command.argument >= begin && command.argument <= end);
  const char* p = begin;
  if (*p == '/' || *p == '-') ++p;
  Check(command.letter == *p);
  SaverMode mode = SaverMode::kUnknown;
  switch (*p) {
    case '\0':
      mode = SaverMode::kSettingsNoOwner;
      break;
    case 's':
    case 'S':
      mode = SaverMode::kFullScreen;
      break;
    case 'p':
      mode = SaverMode::kPreview;
      break;
    case 'c':
      mode = SaverMode::kSettingsOwned;
      break;
    case 'a':
      mode = SaverMode::kPassword;
      break;
    default:
      break;
  }
  Check(command.mode == mode);
  if (mode == SaverMode::kUnknown) {
    Check(command.unknownText == begin);
  } else {
    Check(*command.unknownText == '\0');
  }
  if (*p) Check(command.argument == p + 1);
  if (mode == SaverMode::kPreview) {
    long long handle = 0;
    const bool has = Strtoll(p + 1, std::strlen(p + 1), &handle);
    Check(command.hasPreviewWindow == has);
    // strtoll saturates at the two limits; the reader at +-(2^63 - 1).
    if (has && handle != LLONG_MIN) Check(command.previewWindow == handle);
  } else {
    Check(!command.hasPreviewWindow && command.previewWindow == 0);
  }
  const int exitCode = SaverModeExitCode(command.mode);
  Check(exitCode >= -1 && exitCode <= 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  CheckSetting(&in);
  CheckCommandLine(in.ConsumeRemainingBytesAsString());
  return 0;
}
