// Times the wallpaper maker thread, start to end, on the display it runs on:
//   wallpaper_bench [RUNS]
// Prints each run and the median in milliseconds, then the median of each
// step of the maker's work done one by one. The art must be in the Windows
// directory's "TAVOL" folder, as the package installs it.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/stdio_file.h"
#include "codec/codec.h"
#include "codec_presets.h"
#include "installtheme.h"
#include "page_mapping.h"
#include "program_dir.h"
#include "switcher_globals.h"
#include "thread_start.h"
#include "wallpaper/wallpaper_bitmap.h"

namespace {

double Milliseconds() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// The maker's goals at 1920 x 1080, by display depth.
double GoalMilliseconds(int depth) {
  return depth == 8 ? 60.0 : 30.0;
}

DWORD WINAPI EmptyThread(LPVOID) {
  return 1;
}

// The maker's steps one by one, as MakeWallpaperBitmap and the file write
// do them: where the time goes. The mapping of the frame's pages and their
// first touch are timed apart from the decode and scale that fill them, and
// a thread that does nothing stands for the maker's own start and end.
void PrintSteps(int runs, int depth, const char* bitmapPath) {
  char art[MAX_PATH + 32];
  GetWindowsDirectoryA(art, MAX_PATH);
  lstrcatA(art, "\\TAVOL\\WHITE.ART");
  char table[MAX_PATH + 32];
  GetWindowsDirectoryA(table, MAX_PATH);
  lstrcatA(table, "\\TAVOL\\WHITE.tr");
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  const int fileDepth = WallpaperFileDepth(depth);
  std::vector<double> thread, read, map, touch, scale, bits, write, opening, handOver, commitClose;
  for (int i = 0; i < runs; ++i) {
    const double started = Milliseconds();
    HANDLE empty = StartThread(EmptyThread, nullptr);
    if (!empty) {
      std::printf("steps: no thread\n");
      return;
    }
    WaitForSingleObject(empty, INFINITE);
    CloseHandle(empty);
    thread.push_back(Milliseconds() - started);
    CodecContext codec;
    InitCodecContext(&codec, SwitcherCodecOptions());
    codec.displayBitsPerPixel = depth;
    codec.ditherKernel = 2;
    double t0 = Milliseconds();
    WaveletPtr wavelet;
    const LogicalPalette* palette = nullptr;
    if (ReadWavelet(&codec, art, false, &wavelet) != CodecStatus::kOk ||
        ReadColourTable(&codec.palette, table, &palette) != CodecStatus::kOk) {
      std::printf("steps: %s\n", codec.error.message);
      return;
    }
    double t1 = Milliseconds();
    ByteBuffer frame;
    const uint64_t frameBytes =
        ScaleTargetBytes(wavelet->header.width, wavelet->header.height, width, height);
    if (!AllocateBytes(&frame, static_cast<size_t>(frameBytes), false)) {
      std::printf("steps: no memory for the frame\n");
      return;
    }
    MapPagesAtOnce(frame.data(), frame.size);
    double t2map = Milliseconds();
    std::memset(frame.data(), 0, frame.size);
    double t2 = Milliseconds();
    ScaledImage scaled;
    if (FilterScaleImage(&codec, frame.data(), frame.size, wavelet.get(), width, height, -1,
                         &scaled) != CodecStatus::kOk) {
      std::printf("steps: %s\n", codec.error.message);
      return;
    }
    double t3 = Milliseconds();
    uint8_t headers[kWallpaperHeaderBytes];
    size_t imageBytes = 0;
    if (BuildBitmapBits(&codec, scaled.pixels, scaled.stride, width, height, fileDepth,
                        headers + kWallpaperFileHeaderBytes + kWallpaperInfoHeaderBytes, table,
                        &imageBytes) != CodecStatus::kOk) {
      std::printf("steps: %s\n", codec.error.message);
      return;
    }
    double t4 = Milliseconds();
    FILE* file = std::fopen(bitmapPath, "wbc");
    if (!file) {
      std::printf("steps: cannot write %s\n", bitmapPath);
      return;
    }
    double tOpened = Milliseconds();
    std::fwrite(headers, 1, sizeof headers, file);
    WriteInPieces(file, scaled.pixels, imageBytes);
    double tHandedOver = Milliseconds();
    std::fflush(file);
    std::fclose(file);
    double t5 = Milliseconds();
    read.push_back(t1 - t0);
    map.push_back(t2map - t1);
    touch.push_back(t2 - t2map);
    scale.push_back(t3 - t2);
    bits.push_back(t4 - t3);
    opening.push_back(tOpened - t4);
    handOver.push_back(tHandedOver - tOpened);
    commitClose.push_back(t5 - tHandedOver);
    write.push_back(t5 - t4);
  }
  std::printf(
      "steps (medians): a thread started and ended %.1f, read the art %.1f, map the %.1f MB "
      "frame's pages %.1f, their first touch %.1f, decode and scale %.1f, bitmap bits %.1f, "
      "write the file %.1f (open and truncate %.1f, hand over the bytes %.1f, commit and "
      "close %.1f) ms\n",
      Median(thread), Median(read), static_cast<double>(width) * height * 3 / 1e6, Median(map),
      Median(touch), Median(scale), Median(bits), Median(write), Median(opening), Median(handOver),
      Median(commitClose));
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  g_switcher.hInstance = GetModuleHandleA(nullptr);
  GetProgramDir(g_switcher.programDir, sizeof g_switcher.programDir);
  g_switcher.ditherKernel = 2;
  InstallerState installer;
  installer.window = CreateWindowExA(0, "STATIC", "bench", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     g_switcher.hInstance, nullptr);
  char bitmap[MAX_PATH + 32];
  GetTempPathA(MAX_PATH, bitmap);
  lstrcatA(bitmap, "bench-wallpaper.bmp");

  HDC dc = GetDC(nullptr);
  const int depth = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
  ReleaseDC(nullptr, dc);
  std::printf("screen %dx%d, %d bits a pixel\n", GetSystemMetrics(SM_CXSCREEN),
              GetSystemMetrics(SM_CYSCREEN), depth);

  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double start = Milliseconds();
    HANDLE thread = StartWallpaperMaker(installer, "WHITE", bitmap);
    if (!thread) return 1;
    WaitForSingleObject(thread, INFINITE);
    times.push_back(Milliseconds() - start);
    CloseHandle(thread);
    std::printf("run %d: %.1f ms\n", i + 1, times.back());
  }
  const double median = Median(times);
  const double goal = GoalMilliseconds(depth);
  std::printf("median: %.1f ms over %d runs\n", median, runs);
  std::printf("summary: wallpaper maker %dx%d, %2d bits  ours %6.1f ms | goal <= %.0f ms: %s\n",
              GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), depth, median, goal,
              median <= goal ? "met" : "missed");
  PrintSteps(runs, depth, bitmap);
  DeleteFileA(bitmap);
  return 0;
}
