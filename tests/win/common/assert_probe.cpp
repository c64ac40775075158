// A program that trips the assertion reporter in a chosen way, for the tests
// that check what a failing program leaves behind.
//   assert_probe FLAVOUR CASE      FLAVOUR: switcher | saver
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "assert_report.h"
#include "program_dir.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  static char programDir[MAX_PATH + 1];
  GetProgramDir(programDir, sizeof programDir);
  InitAssertReporter(
      std::strcmp(argv[1], "saver") == 0 ? AssertFlavour::kScreenSaver : AssertFlavour::kSwitcher,
      programDir);
  std::string which = argv[2];
  if (which == "true") {
    Assert(1, "winmain", 112, "Main window creation failed");
    return 0;
  }
  if (which == "winmain") Assert(0, "winmain", 112, "Main window creation failed");
  if (which == "nosource") Assert(0, nullptr, 112, "No source given");
  if (which == "noline") Assert(0, "winmain", 0, "No line given");
  if (which == "crlf") {
    Assert(0, "D42SAVE", 77, "File %s could not be opened: EXITING\r\n", "C:\\x\\WHITE.ART");
  }
  if (which == "percent") {
    // Text that looks like a format travels as an argument, never as one.
    const char* hostile = "100% sure: %s %n %d";
    Assert(0, "probe", 7, "%s", hostile);
  }
  if (which == "long") {
    std::string text(2500, 'a');
    for (size_t i = 0; i < text.size(); i += 100) text[i] = 'B';
    Assert(0, "probe", 8, "%s", text.c_str());
  }
  if (which == "longest") {
    // The longest header and message the buffer has to hold at once.
    std::string source(300, 's');
    std::string text(2500, 'm');
    Assert(0, source.c_str(), -2147483647 - 1, "%s", text.c_str());
  }
  return 3;  // not reached when the reporter ends the process
}
