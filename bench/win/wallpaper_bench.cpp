// Times the wallpaper maker thread, start to end, on the display it runs on:
//   wallpaper_bench [RUNS]
// Prints each run and the median in milliseconds. The art must be in the
// Windows directory's "TAVOL" folder, as the package installs it.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "program_dir.h"
#include "installtheme.h"
#include "switcher_globals.h"

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
  std::printf("screen %dx%d, %d bits a pixel\n", GetSystemMetrics(SM_CXSCREEN),
              GetSystemMetrics(SM_CYSCREEN),
              GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES));
  ReleaseDC(nullptr, dc);

  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    HANDLE thread = StartWallpaperMaker(installer, "WHITE", bitmap);
    if (!thread) return 1;
    WaitForSingleObject(thread, INFINITE);
    QueryPerformanceCounter(&end);
    CloseHandle(thread);
    times.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                    static_cast<double>(frequency.QuadPart));
    std::printf("run %d: %.1f ms\n", i + 1, times.back());
  }
  std::sort(times.begin(), times.end());
  std::printf("median: %.1f ms over %d runs\n", times[times.size() / 2], runs);
  DeleteFileA(bitmap);
  return 0;
}
