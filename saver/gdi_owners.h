// Owners for the device contexts, palette selections and memory views the
// saver makes, beside those of win_raii.h.
#pragma once

#include <windows.h>

// A memory DC from CreateCompatibleDC, deleted at scope end.
class MemoryDC {
 public:
  explicit MemoryDC(HDC like) : dc_(CreateCompatibleDC(like)) {}
  ~MemoryDC() {
    if (dc_) DeleteDC(dc_);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HDC dc_;
};

// A DC of the window from the system's cache, even for a class with its own
// DC (CS_OWNDC): a second thread must not draw through the window thread's
// own DC. Released at scope end.
class CacheDC {
 public:
  explicit CacheDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDCEx(hwnd, nullptr, DCX_CACHE)) {}
  ~CacheDC() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  CacheDC(const CacheDC&) = delete;
  CacheDC& operator=(const CacheDC&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// A palette selected into a DC (as a foreground palette) and realized; the
// previous palette is selected back at scope end, so the palette can be
// deleted afterwards. A null palette selects nothing.
class PaletteSelection {
 public:
  PaletteSelection(HDC dc, HPALETTE palette) : dc_(dc) {
    if (!dc_ || !palette) return;
    old_ = SelectPalette(dc_, palette, FALSE);
    RealizePalette(dc_);
  }
  ~PaletteSelection() {
    if (old_) SelectPalette(dc_, old_, FALSE);
  }
  PaletteSelection(const PaletteSelection&) = delete;
  PaletteSelection& operator=(const PaletteSelection&) = delete;

 private:
  HDC dc_;
  HPALETTE old_ = nullptr;
};

// A view of a whole section mapped for reading and writing, unmapped at
// scope end or when another takes its place.
class MappedView {
 public:
  MappedView() = default;
  ~MappedView() { reset(); }
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;
  bool Map(HANDLE section, SIZE_T bytes) {
    reset();
    view_ = MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, bytes);
    return view_ != nullptr;
  }
  void reset() {
    if (view_) UnmapViewOfFile(view_);
    view_ = nullptr;
  }
  BYTE* get() const { return static_cast<BYTE*>(view_); }

 private:
  void* view_ = nullptr;
};
