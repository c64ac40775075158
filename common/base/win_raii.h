// Small owners for Win32 handles, so every exit path releases what it took.
#pragma once

#include <windows.h>

#include <utility>

#include "base/stdio_file.h"  // StdioFile: a stdio file closed at scope end

// An open registry key; flushed before it is closed when it was written.
class RegKey {
 public:
  RegKey() = default;
  ~RegKey() { Close(); }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  // Opens an existing key; never creates one.
  [[nodiscard]] bool Open(HKEY root, const char* subKey, REGSAM access) {
    Close();
    if (RegOpenKeyExA(root, subKey, 0, access, &key_) != ERROR_SUCCESS) key_ = nullptr;
    return key_ != nullptr;
  }
  // For steps that go on without a key the system does not have: the key
  // then stays closed, reads give empty values and writes do nothing.
  void OpenIfPresent(HKEY root, const char* subKey, REGSAM access) {
    (void)Open(root, subKey, access);
  }
  [[nodiscard]] bool Create(HKEY root, const char* subKey, REGSAM access) {
    Close();
    if (RegCreateKeyExA(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key_,
                        nullptr) != ERROR_SUCCESS) {
      key_ = nullptr;
    }
    return key_ != nullptr;
  }
  // REG_SZ with its terminator counted. Null name: the key's default value.
  bool SetString(const char* name, const char* value) {
    if (!key_) return false;
    written_ = true;
    return RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                          static_cast<DWORD>(lstrlenA(value) + 1)) == ERROR_SUCCESS;
  }
  // Reads a string value into buffer (size bytes). On failure the buffer is
  // left empty, so a value that cannot be read is never taken from old bytes.
  bool GetString(const char* name, char* buffer, DWORD size) const {
    if (size == 0) return false;
    buffer[0] = '\0';
    if (!key_) return false;
    DWORD type = 0;
    DWORD bytes = size;
    LONG rc = RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
      buffer[0] = '\0';
      return false;
    }
    // The stored data need not carry its terminator.
    if (bytes >= size) bytes = size - 1;
    buffer[bytes] = '\0';
    return true;
  }
  void Close() {
    if (key_) {
      if (written_) RegFlushKey(key_);
      RegCloseKey(key_);
    }
    key_ = nullptr;
    written_ = false;
  }
  HKEY get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }

 private:
  HKEY key_ = nullptr;
  bool written_ = false;
};

// A device context from GetDC, released with ReleaseDC.
class WindowDC {
 public:
  explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// A GDI object (pen, brush, bitmap, font, palette) deleted at scope end.
template <typename T>
class GdiObject {
 public:
  explicit GdiObject(T object = nullptr) : object_(object) {}
  ~GdiObject() {
    if (object_) DeleteObject(object_);
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  T get() const { return object_; }
  T release() { return std::exchange(object_, nullptr); }
  void reset(T object = nullptr) {
    if (object_) DeleteObject(object_);
    object_ = object;
  }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  T object_;
};

// An object selected into a DC, put back at scope end.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~SelectGuard() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A kernel object handle (thread, process, event, mapping) closed at scope
// end or when another is put in its place.
class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() { reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  void reset(HANDLE h = nullptr) {
    if (h_) CloseHandle(h_);
    h_ = h;
  }

 private:
  HANDLE h_ = nullptr;
};

// A directory listing handle from FindFirstFileA.
class FindHandle {
 public:
  explicit FindHandle(HANDLE h) : h_(h) {}
  ~FindHandle() {
    if (h_ != INVALID_HANDLE_VALUE) FindClose(h_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};
