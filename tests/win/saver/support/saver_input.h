// Input for the saver as a user gives it, through SendInput: the same
// hardware messages Wine makes from the X server's events, queued for the
// window under the cursor (or with the focus) before SendInput returns, so a
// test knows its input is on its way and in which order.
#pragma once

#include <windows.h>

void MoveCursorTo(int x, int y);
void ClickLeft();
void PressKey(WORD virtualKey);
// Types text as key presses (letters, digits, backspace as '\b').
void TypeKeys(const char* text);

// Waits until the cursor is at x, y (another process moves it); pumps this
// thread's messages. True when it got there within timeoutMs.
bool WaitForCursorAt(int x, int y, DWORD timeoutMs);
