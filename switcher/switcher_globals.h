// Process-wide values of the Theme Switcher, set once at start-up and then
// only read. What belongs to the main window lives in its own state
// (mainwnd.h).
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
  int ditherKernel = 0;         // colour reduction of the wallpaper (2 from start-up)
  LayoutMetrics layout;         // from the measured UI font and the icon size
};

extern SwitcherGlobals g_switcher;
