#include "wallpaper.h"

#include <cstdio>
#include <cstring>

#include "assert_report.h"
#include "codec_presets.h"
#include "switcher_globals.h"
#include "theme/themefile.h"
#include "wallpaper/wallpaper_bitmap.h"
#include "win_raii.h"

namespace {

// Set before the thread starts, read by it.
const char* g_artName = nullptr;
const char* g_bitmapPath = nullptr;

// The codec's state; only the maker thread uses it, one maker at a time.
CodecContext g_codec;

void ReportCodecFailure(const CodecError& error) {
  Assert(0, error.module, error.line, "%s", error.message);
}

WallpaperScreen MeasureScreen() {
  WallpaperScreen screen;
  screen.width = GetSystemMetrics(SM_CXSCREEN);
  screen.height = GetSystemMetrics(SM_CYSCREEN);
  WindowDC desktop(GetDesktopWindow());
  HDC dc = desktop.get();
  screen.depth = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
  const int horzSize = GetDeviceCaps(dc, HORZSIZE);
  const int vertSize = GetDeviceCaps(dc, VERTSIZE);
  screen.xPelsPerMeter = horzSize > 0 ? GetDeviceCaps(dc, HORZRES) * 1000 / horzSize : 0;
  screen.yPelsPerMeter = vertSize > 0 ? GetDeviceCaps(dc, VERTRES) * 1000 / vertSize : 0;
  return screen;
}

// The previous wallpaper comes back from its ".sav" twin. A copy keeps the
// twin for a later restore of the settings at start; when the disk is too
// full even for that, the twin is renamed.
void PutPreviousBitmapBack(const char* bitmapPath) {
  char backupPath[kPathSize];
  std::snprintf(backupPath, sizeof backupPath, "%s", bitmapPath);
  char* dot = std::strrchr(backupPath, '.');
  if (!dot || static_cast<size_t>(dot - backupPath) + 5 > sizeof backupPath - 1) return;
  std::strcpy(dot, ".sav");
  DeleteFileA(bitmapPath);
  if (!CopyFileA(backupPath, bitmapPath, FALSE)) MoveFileA(backupPath, bitmapPath);
}

void ReportDiskFull(const char* bitmapPath) {
  char text[512];
  std::snprintf(text, sizeof text,
                "Out of disk space on drive %c: creating new Wallpaper !\nPlease free some disk "
                "space and try again\n%s\n",
                bitmapPath[0], kSupportLine);
  MessageBoxA(g_switcher.hwndMain, text, "Wallpaper Creation Failed", MB_ICONEXCLAMATION | MB_OK);
  PostMessageA(g_switcher.hwndMain, WM_COMMAND, IDCANCEL, 0);
}

// Writes the file; false when the disk filled up (nothing half-written stays).
bool WriteBitmapFile(const char* bitmapPath, const WallpaperBitmap& bitmap) {
  FILE* file = std::fopen(bitmapPath, "wbc");  // 'c': committed to disk when flushed
  Assert(file != nullptr, "wallpaper", __LINE__, "Couldn't open the wallpaper bitmap file");
  std::fwrite(bitmap.headers, 1, kWallpaperHeaderBytes, file);
  size_t written = std::fwrite(bitmap.pixels.data(), 1, bitmap.imageBytes, file);
  // A full disk can also show only when the buffers are flushed.
  bool complete = written == bitmap.imageBytes && std::fflush(file) == 0;
  complete = std::fclose(file) == 0 && complete;
  return complete;
}

void RecordWallpaper(const char* artName, const WallpaperScreen& screen) {
  RegKey key;
  if (!key.Create(HKEY_CURRENT_USER, "Software\\TavolTheCorvane", KEY_ALL_ACCESS)) return;
  char number[16];
  key.SetString("PaperArtFile", artName);
  std::snprintf(number, sizeof number, "%d", screen.depth);
  key.SetString("PaperDepth", number);
  std::snprintf(number, sizeof number, "%d", screen.width);
  key.SetString("PaperWidth", number);
  std::snprintf(number, sizeof number, "%d", screen.height);
  key.SetString("PaperHeight", number);
}

DWORD WINAPI WallpaperThread(LPVOID) {
  const char* artName = g_artName;
  const char* bitmapPath = g_bitmapPath;

  char windowsDir[kPathSize];
  UINT length = GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
  Assert(length > 0 && length < sizeof windowsDir, "wallpaper", __LINE__,
         "The Windows directory cannot be found\n");
  char artPath[kPathSize];
  int n = std::snprintf(artPath, sizeof artPath, "%s\\TAVOL\\%s.ART", windowsDir, artName);
  Assert(n > 0 && static_cast<size_t>(n) < sizeof artPath, "wallpaper", __LINE__,
         "The art path for %s is longer than 260 characters\n", artName);
  char tablePath[kPathSize];
  std::strcpy(tablePath, artPath);
  std::strcpy(tablePath + std::strlen(tablePath) - 3, "tr");

  WallpaperScreen screen = MeasureScreen();
  InitCodecContext(&g_codec, SwitcherCodecOptions());
  g_codec.displayBitsPerPixel = screen.depth;
  g_codec.ditherKernel = g_switcher.ditherKernel;

  WallpaperBitmap bitmap;
  if (MakeWallpaperBitmap(&g_codec, artPath, tablePath, screen, &bitmap) != CodecStatus::kOk) {
    ReportCodecFailure(g_codec.error);
  }
  if (!WriteBitmapFile(bitmapPath, bitmap)) {
    PutPreviousBitmapBack(bitmapPath);
    ReportDiskFull(bitmapPath);
  }
  bitmap.pixels = ByteBuffer();
  RecordWallpaper(artName, screen);
  return 1;
}

}  // namespace

HANDLE StartWallpaperMaker(const char* artName, const char* bitmapPath) {
  g_artName = artName;
  g_bitmapPath = bitmapPath;
  HANDLE thread = CreateThread(nullptr, 0, WallpaperThread, nullptr, 0, nullptr);
  if (!thread) {
    MessageBoxA(g_switcher.hwndMain,
                "Not enough system resources to make the wallpaper (CreateThread).\n",
                "Wallpaper Maker", MB_OK);
  }
  return thread;
}
