// The assertion reporter shared by the switcher and the screen saver.
//
// Assert(condition, source, line, format, ...) returns when condition is
// non-zero. Otherwise it appends a dated entry to "assertFile.txt" in the
// program directory and ends the process: the switcher after the message box
// "Assertion Error" with exit code 255, the screen saver silently with 1.
//
// Log entry: ctime's 24 characters and newline, then "File-> %s, Line-> %d\n"
// (only when source is given and line is not 0), then the caller's message
// (cut after 2000 characters), then a newline.
#pragma once

#include <windows.h>

enum class AssertFlavour {
  kSwitcher,     // message box, exit code 255
  kScreenSaver,  // silent, exit code 1
};

// Chooses how the process ends and where the log goes. programDir is kept
// by pointer (the program's own process-wide buffer); until it is set, or
// while it is empty, the log is "\assertFile.txt" on the current drive.
void InitAssertReporter(AssertFlavour flavour, const char* programDir);

// The owner of the modal dialog this process shows now, or null. A modal
// dialog disables its owner, often another program's window (Display
// Properties); the reporter enables it again before ending the process.
// Returns the owner set before, for the caller to put back.
HWND SetAssertDialogOwner(HWND owner);

void Assert(int condition, const char* source, int line, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 4, 5)))
#endif
    ;

// The support line the switcher appends to its message box, and that the
// wallpaper maker's disk-full message ends with.
extern const char kSupportLine[];
