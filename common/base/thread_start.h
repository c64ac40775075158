// Threads of the programs start here. Windows 95, 98 and Me create no thread
// when CreateThread has nowhere to write the new thread's id, so this always
// gives it a place; NT and Wine take either.
#pragma once

#include <windows.h>

// A running thread's handle, or null when the system could not start one.
HANDLE StartThread(LPTHREAD_START_ROUTINE procedure, void* parameter);
