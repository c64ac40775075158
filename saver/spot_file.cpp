#include "spot_file.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstring>

namespace {

// Emptied or made, and shared with no one until it is closed.
HANDLE CreateUnshared(const char* path) {
  return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// path's file name replaced by this process's own; false when it does not fit.
bool UseOwnName(char* path, size_t pathSize) {
  char* name = std::strrchr(path, '\\');
  name = name ? name + 1 : path;
  const size_t folder = static_cast<size_t>(name - path);
  char own[16];
  wsprintfA(own, "sp%06lX.sav", static_cast<unsigned long>(GetCurrentProcessId() & 0xFFFFFF));
  if (folder + static_cast<size_t>(lstrlenA(own)) + 1 > pathSize) return false;
  lstrcpyA(name, own);
  return true;
}

}  // namespace

std::FILE* OpenOwnSpotFile(char* path, size_t pathSize) {
  HANDLE file = CreateUnshared(path);
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION &&
      UseOwnName(path, pathSize)) {
    file = CreateUnshared(path);
  }
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDWR | _O_BINARY);
  if (descriptor == -1) {
    CloseHandle(file);
    return nullptr;
  }
  // Committed to disk whenever it is flushed ("c"), so a full disk shows at
  // the codec's first flush.
  std::FILE* stream = _fdopen(descriptor, "w+bc");
  if (!stream) _close(descriptor);
  return stream;
}
