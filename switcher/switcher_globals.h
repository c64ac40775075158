// Process-wide values of the Theme Switcher, set once at start-up and then
// only read.
#pragma once

#include <windows.h>

#include "layout/switcher_layout.h"

struct SwitcherGlobals {
  HINSTANCE hInstance = nullptr;
  HWND hwndMain = nullptr;  // owner of every message box, target of the status texts
  char programDir[MAX_PATH + 1] = "";
  int displayBitsPerPixel = 0;  // BITSPIXEL x PLANES of the desktop
  HDC memoryDC = nullptr;       // off-screen painting of the icon buttons
  HFONT uiFont = nullptr;       // check boxes and push buttons
  HWND hwndTooltip = nullptr;   // the tooltip control of the main window
  int ditherKernel = 0;         // colour reduction of the wallpaper (2 from start-up)
  LayoutMetrics layout;         // from the measured UI font and the icon size
};

extern SwitcherGlobals g_switcher;

// True when no wallpaper thread is recorded or a wait of at most 10 ms on it
// reports that it has ended.
bool wallpaperThreadFinished();
