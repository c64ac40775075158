#include "package_paths.h"

#include <windows.h>

#include <cstdio>

bool JoinPath(char* out, size_t size, const char* dir, const char* name) {
  if (size == 0) return false;
  int n = std::snprintf(out, size, "%s\\%s", dir, name);
  if (n < 0 || static_cast<size_t>(n) >= size) {
    out[0] = '\0';
    return false;
  }
  return true;
}

bool GetWindowsDir(char* out, size_t size) {
  if (size == 0) return false;
  UINT length = GetWindowsDirectoryA(out, static_cast<UINT>(size));
  if (length == 0 || length >= size) {
    out[0] = '\0';
    return false;
  }
  return true;
}

bool WindowsDirPath(char* out, size_t size, const char* name) {
  char windowsDir[kPathSize];
  const size_t limit = size < kPathSize ? size : kPathSize;
  if (!GetWindowsDir(windowsDir, sizeof windowsDir)) {
    if (size > 0) out[0] = '\0';
    return false;
  }
  return JoinPath(out, limit, windowsDir, name);
}
