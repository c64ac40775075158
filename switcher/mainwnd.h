// The Theme Switcher's main window: colour buttons, part check boxes, push
// buttons, status bar and tooltips, and the installation cycle.
#pragma once

#include <windows.h>

extern const char kMainClass[];

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Run state of the window (one per process).
struct SwitcherState {
  int selectedColour = 0;  // a colour button id, 100..104
  // One per part check box, in the order 105..111: screen saver, sounds,
  // mouse cursors, wallpaper, desktop icons, window colours, window fonts.
  int parts[7] = {};
  bool settingsClean = true;
  bool themeApplied = false;
  bool exitWhenDone = false;
  int scrollCounter = 0;
  int scrollPeriod = 40;
  bool installing = false;      // between going busy and WM_THEME_INSTALLED
  bool diskFullCancel = false;  // the wallpaper maker posted Cancel during this installation
};

const SwitcherState& GetSwitcherState();
