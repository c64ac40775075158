// Process-wide values of the Theme Switcher, set once at start-up and then
// only read.
#pragma once

#include <windows.h>

struct SwitcherGlobals {
  HINSTANCE hInstance = nullptr;
  HWND hwndMain = nullptr;         // owner of every message box, target of the status texts
  char programDir[MAX_PATH + 1] = "";
  int displayBitsPerPixel = 0;     // BITSPIXEL x PLANES of the desktop
  HDC memoryDC = nullptr;          // off-screen painting of the icon buttons
  HFONT uiFont = nullptr;          // check boxes and push buttons
};

extern SwitcherGlobals g_switcher;

// True when no wallpaper thread is recorded or a wait of at most 10 ms on it
// reports that it has ended.
bool wallpaperThreadFinished();
