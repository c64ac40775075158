// The screen saver's command line: the mode Windows starts it in.
#pragma once

#include <cstdint>

enum class SaverMode {
  kSettingsNoOwner,  // no mode letter (none, "", "/", "-"): settings dialog, no owner; exit 1
  kFullScreen,       // "s" or "S"; exit with WM_QUIT's wParam
  kPreview,          // "p": preview inside the window whose handle follows; exit likewise
  kSettingsOwned,    // "c": settings dialog owned by the active window; exit 1
  kPassword,         // "a": "cannot be password protected" box; exit 0
  kUnknown,          // anything else: the whole command line in a box; exit 0
};

struct SaverCommand {
  SaverMode mode = SaverMode::kSettingsNoOwner;
  char letter = '\0';             // the mode letter, NUL when there is none
  const char* argument = "";      // the text after the letter (into the command line)
  bool hasPreviewWindow = false;  // "p" followed by a number
  int64_t previewWindow = 0;      // that number (0 without one)
  const char* unknownText = "";   // kUnknown: the command line, unchanged
};

// Parses WinMain's command line: null or empty gives no mode letter;
// otherwise a first "/" or "-" is skipped and the next character is the
// letter, the rest its argument. Only "s" is taken in both cases ("A", "C",
// "P" are unknown). The "p" argument is a signed decimal number after
// optional white space, up to the first non-digit ("/p 1234", "/p1234");
// "c" ignores its argument ("/c:1234"). The result points into commandLine.
SaverCommand ParseSaverCommandLine(const char* commandLine);

// The exit code of the modes that end without a message loop: 1 for the
// settings dialog, 0 for the password and unknown boxes; -1 for the two that
// run a loop and exit with WM_QUIT's wParam.
int SaverModeExitCode(SaverMode mode);
