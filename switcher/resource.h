// Control ids, private messages and resource names of the Theme Switcher.
#pragma once

#define IDC_BLACK 100
#define IDC_RED 101
#define IDC_WHITE 102
#define IDC_BLUE 103
#define IDC_GREEN 104
#define IDC_SCREENSAVER 105
#define IDC_SOUNDS 106
#define IDC_CURSORS 107
#define IDC_WALLPAPER 108
#define IDC_ICONS 109
#define IDC_COLORS 110
#define IDC_FONTS 111
#define IDC_APPLY 112
#define IDC_STATUS 113
#define IDC_ABOUT 120
#define IDC_REVERT 121

#define IBM_SETSTATE (WM_USER + 1)
#define WM_THEME_INSTALLED (WM_USER + 11)

#define ID_INSTALL_TIMER 1
