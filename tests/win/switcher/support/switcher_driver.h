// Drives a running switcher.exe from the test process: finds its windows,
// clicks its controls, reads its state.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include "winsupport.h"

HWND FindMainWindowOf(DWORD processId);

// The status text of an idle switcher.
extern const char kSwitcherPrompt[];

class SwitcherRun {
 public:
  // Starts bin\switcher.exe with the arguments; true once its main window
  // exists (or, with waitForWindow false, once the process started).
  bool Start(const std::string& args = "", bool waitForWindow = true);
  HWND main() const { return main_; }
  HWND Item(int id) const { return GetDlgItem(main_, id); }
  DWORD Pid() const { return child_.Id(); }
  ChildProcess& child() { return child_; }

  // A real click on a button or check box (BM_CLICK), or a press and release
  // on a colour button; returns once the switcher has handled it.
  void Click(int id) const;
  void Command(int id) const;
  void Close() const;
  // Leaves exactly these parts checked (check box ids 105..111).
  void UseOnlyParts(std::initializer_list<int> ids) const;
  bool IsChecked(int id) const;

  // Waits until an installation has finished: OK enabled and the prompt back
  // on the status line, or the window gone.
  bool WaitIdle(DWORD timeoutMs = 30000) const;
  bool WaitExit(DWORD timeoutMs = 30000) { return child_.Wait(timeoutMs); }
  DWORD ExitCode() const { return child_.ExitCode(); }

  std::string StatusText() const;
  HWND Focus() const;

 private:
  ChildProcess child_;
  HWND main_ = nullptr;
};

// The switcher's per-run and backup files.
std::string BackupThemePath();
std::string RestoreThemePath();
std::string WallpaperPath();      // Windows directory "Tavol The Corvane.BMP"
std::string WallpaperCopyPath();  // its ".SAV" twin
