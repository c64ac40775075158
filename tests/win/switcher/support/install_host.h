// A small top-level window with a status child 113 that stands in for the
// switcher's main window: it owns an installation, runs the installer's
// timer-driven cycle and records the progress texts.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "installtheme.h"

class InstallHost {
 public:
  InstallHost();
  ~InstallHost();
  InstallHost(const InstallHost&) = delete;
  InstallHost& operator=(const InstallHost&) = delete;

  HWND hwnd() const { return hwnd_; }
  HWND status() const { return status_; }
  InstallerState& installer() { return installer_; }

  // InstallTheme, then the message loop until stage 2 has run (or timeout).
  // Returns InstallTheme's result; finished() tells whether stage 2 ran.
  int Install(ThemeId id, const ThemeParts& parts, DWORD timeoutMs = 60000);
  bool finished() const { return finished_; }
  // Every text the installer put on the status line, in order.
  const std::vector<std::string>& statusTexts() const { return texts_; }
  // Whether the window held the mouse capture while stage 1 was done.
  bool capturedDuringInstall() const { return captured_; }
  int timerTicks() const { return ticks_; }

 private:
  static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK StatusProc(HWND, UINT, WPARAM, LPARAM);
  void OnTimer(WPARAM id);

  HWND hwnd_ = nullptr;
  HWND status_ = nullptr;
  WNDPROC statusProc_ = nullptr;
  InstallerState installer_;
  bool finished_ = false;
  bool captured_ = false;
  int ticks_ = 0;
  std::vector<std::string> texts_;
};

// A theme with all seven parts, or none.
ThemeParts AllParts();
ThemeParts OnlyParts(bool colors, bool fonts);
