// The colour buttons: owner-painted icon buttons that report a press when
// they gain the focus, and the relay procedure that lets the tooltip see the
// mouse over the standard buttons.
#pragma once

#include <windows.h>

extern const char kIconButtonClass[];

// Window extra bytes of an icon button: the icon handle, then the draw state.
constexpr int kIconButtonIconOffset = 0;
constexpr int kIconButtonStateOffset = sizeof(LONG_PTR);
constexpr int kIconButtonExtraBytes = 2 * sizeof(LONG_PTR);

LRESULT CALLBACK IconButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Subclass procedure for the check boxes and push buttons.
LRESULT CALLBACK RelayButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Installs the relay procedure on a standard button; the first call keeps
// the "BUTTON" class procedure that every relay then calls.
void SubclassForTooltip(HWND button);

// Hands a mouse message to the tooltip control.
void RelayToTooltip(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
