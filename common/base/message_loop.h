// The plain message loop of a program's main thread.
#pragma once

// Runs until WM_QUIT (or a GetMessage failure) and returns the exit code
// WM_QUIT carried.
int RunMessageLoop();
