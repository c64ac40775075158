// The palette bitmap dialog: a modal dialog that fits its client area to an
// 8-bit bitmap resource, paints it as its background through the palette of
// an art colour table, and puts its OK button in the bottom-right corner.
#pragma once

#include <windows.h>

#include "assert_report.h"

struct BitmapDialogParams {
  const char* bitmapName;       // RT_BITMAP resource: 8 bpp with a full 256-entry table
  const char* colourTablePath;  // the .TR file whose palette is realised
};

INT_PTR CALLBACK BitmapDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

// DialogBoxParamA with the template and the parameters; returns its result.
INT_PTR ShowBitmapDialog(HINSTANCE instance, const char* templateName, HWND owner,
                         const BitmapDialogParams& params);
