// The Theme Switcher's main window: colour buttons, part check boxes, push
// buttons, status bar and tooltips, and the installation cycle.
#pragma once

#include <windows.h>

#include "installtheme.h"

extern const char kMainClass[];

// The window property through which a child relays mouse messages to its
// parent's tooltip control.
extern const char kTooltipProperty[];

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The user's choices and where the window is in its cycle.
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

// Everything one main window owns: made at WM_NCCREATE, kept in the window's
// GWLP_USERDATA, freed at WM_NCDESTROY.
struct MainWindow {
  HWND hwnd = nullptr;
  HWND tooltip = nullptr;
  HWND focusChild = nullptr;  // the control that has the focus while the window is active
  SwitcherState state;
  InstallerState installer;
};

// The state of a main window (null for any other window). For hosts and
// tests that look at the window from the inside.
MainWindow* GetMainWindow(HWND hwnd);
