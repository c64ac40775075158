// Start-up pieces of the Theme Switcher that the entry point runs in order.
#pragma once

#include <windows.h>

// Process-wide values (memoryDC, programDir, display depth, dither kernel),
// common controls, the two window classes, uiFont and the layout metrics.
void InitSwitcherProcess(HINSTANCE instance);

// Creates the main window at its computed size; null when it cannot be made.
HWND CreateMainWindow();

// Frees what InitSwitcherProcess made that the process end would not.
void EndSwitcherProcess();
