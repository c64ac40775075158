#include "wallpaper.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "assert_report.h"
#include "codec_presets.h"
#include "installtheme.h"
#include "package_paths.h"
#include "page_mapping.h"
#include "switcher_globals.h"
#include "theme/themefile.h"
#include "thread_start.h"
#include "wallpaper/wallpaper_bitmap.h"
#include "win_raii.h"

namespace {

// The maker thread's own record, made by StartWallpaperMaker and freed by the
// thread when it ends.
struct WallpaperJob {
  HWND window = nullptr;  // owner of the disk-full box, target of its Cancel
  char artName[kPathSize] = "";
  char bitmapPath[kPathSize] = "";
  int ditherKernel = 2;
  std::shared_ptr<WallpaperMakerReport> report;
  CodecContext codec;  // only this thread uses it
};

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

void ReportDiskFull(const WallpaperJob& job) {
  const char* bitmapPath = job.bitmapPath;
  char text[512];
  std::snprintf(text, sizeof text,
                "Out of disk space on drive %c: creating new Wallpaper !\nPlease free some disk "
                "space and try again\n%s\n",
                bitmapPath[0], kSupportLine);
  MessageBoxA(job.window, text, "Wallpaper Creation Failed", MB_ICONEXCLAMATION | MB_OK);
  if (job.report) job.report->diskFull = true;
  PostMessageA(job.window, WM_COMMAND, IDCANCEL, 0);
}

// Writes the file; false when the disk filled up (nothing half-written stays).
bool WriteBitmapFile(const char* bitmapPath, const WallpaperBitmap& bitmap) {
  StdioFile file(bitmapPath, "wbc");  // 'c': committed to disk when flushed
  Assert(static_cast<bool>(file), "wallpaper", __LINE__, "Couldn't open the wallpaper bitmap file");
  std::fwrite(bitmap.headers, 1, kWallpaperHeaderBytes, file.get());
  size_t written = WriteInPieces(file.get(), bitmap.pixels.data(), bitmap.imageBytes);
  // A full disk can also show only when the buffers are flushed.
  bool complete = written == bitmap.imageBytes && std::fflush(file.get()) == 0;
  complete = file.Close() == 0 && complete;
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

DWORD WINAPI WallpaperThread(LPVOID parameter) {
  std::unique_ptr<WallpaperJob> job(static_cast<WallpaperJob*>(parameter));
  const char* artName = job->artName;
  const char* bitmapPath = job->bitmapPath;

  char windowsDir[kPathSize];
  Assert(GetWindowsDir(windowsDir, sizeof windowsDir), "wallpaper", __LINE__,
         "The Windows directory cannot be found\n");
  char artPath[kPathSize];
  int n =
      std::snprintf(artPath, sizeof artPath, "%s\\%s\\%s.ART", windowsDir, kArtFolderName, artName);
  Assert(n > 0 && static_cast<size_t>(n) < sizeof artPath, "wallpaper", __LINE__,
         "The art path for %s is longer than 260 characters\n", artName);
  char tablePath[kPathSize];
  std::strcpy(tablePath, artPath);
  std::strcpy(tablePath + std::strlen(tablePath) - 3, "tr");

  WallpaperScreen screen = MeasureScreen();
  CodecContext& codec = job->codec;
  CodecOptions options = SwitcherCodecOptions();
  options.mapPages = MapPagesAtOnce;  // the frame: 6 MB at 1920 x 1080, filled at once
  InitCodecContext(&codec, options);
  codec.displayBitsPerPixel = screen.depth;
  codec.ditherKernel = job->ditherKernel;

  WallpaperBitmap bitmap;
  if (MakeWallpaperBitmap(&codec, artPath, tablePath, screen, &bitmap) != CodecStatus::kOk) {
    ReportCodecFailure(codec.error);
  }
  if (!WriteBitmapFile(bitmapPath, bitmap)) {
    PutPreviousBitmapBack(bitmapPath);
    ReportDiskFull(*job);
  }
  bitmap.pixels = ByteBuffer();
  RecordWallpaper(artName, screen);
  return 1;
}

}  // namespace

HANDLE StartWallpaperMaker(const InstallerState& state, const char* artName,
                           const char* bitmapPath) {
  auto job = std::make_unique<WallpaperJob>();
  job->window = state.window;
  std::snprintf(job->artName, sizeof job->artName, "%s", artName);
  std::snprintf(job->bitmapPath, sizeof job->bitmapPath, "%s", bitmapPath);
  job->ditherKernel = g_switcher.ditherKernel;
  job->report = state.makerReport;
  HANDLE thread = StartThread(WallpaperThread, job.get());
  if (!thread) {
    InstallMessageBox(state, "Not enough system resources to make the wallpaper (CreateThread).\n",
                      "Wallpaper Maker", MB_OK);
    return nullptr;
  }
  job.release();  // the thread owns it now
  return thread;
}
