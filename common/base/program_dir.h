#pragma once

#include <cstddef>

// The running program's directory: its full path (GetModuleFileNameA, 261
// characters) cut at the last backslash, without a trailing backslash.
// Returns false (dir empty) when the path cannot be had.
bool GetProgramDir(char* dir, size_t size);
