#include "program_dir.h"

#include <windows.h>

#include <cstring>

bool GetProgramDir(char* dir, size_t size) {
  char path[MAX_PATH + 1];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  dir[0] = '\0';
  if (length == 0 || length >= sizeof path) return false;
  char* slash = std::strrchr(path, '\\');
  if (slash) *slash = '\0';
  if (std::strlen(path) >= size) return false;
  std::strcpy(dir, path);
  return true;
}
