// Times the screen saver's own code on the display it runs on:
//   saver_bench load [RUNS]         one card art into a full-screen picture:
//                                   decode, scale, backdrop, colour reduction,
//                                   caption (LoadArt)
//   saver_bench transitions [RUNS]  one full-screen DissolveTiles and one
//                                   SweepBands, as the reveals run them
// Prints each run and the medians. The art must be in the Windows
// directory's "TAVOL" folder, as the package installs it.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "assert_report.h"
#include "codec/spot.h"
#include "package_paths.h"
#include "saver.h"
#include "saver/captions.h"

namespace {

double Now() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// A program folder of the bench's own with the art beside it, as the saver
// has it in the Windows directory ("spot.sav" goes there too).
bool MakeProgramDir(SaverApp* app) {
  char temp[MAX_PATH + 1];
  GetTempPathA(sizeof temp, temp);
  std::snprintf(app->programDir, sizeof app->programDir, "%slumivex-saver-bench", temp);
  CreateDirectoryA(app->programDir, nullptr);
  const std::string art = std::string(app->programDir) + "\\TAVOL";
  CreateDirectoryA(art.c_str(), nullptr);
  char source[kPathSize];
  if (!WindowsDirPath(source, sizeof source, kArtFolderName)) return false;
  WIN32_FIND_DATAA data;
  FindHandle find(FindFirstFileA((std::string(source) + "\\*").c_str(), &data));
  if (!find) return false;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    CopyFileA((std::string(source) + "\\" + data.cFileName).c_str(),
              (art + "\\" + data.cFileName).c_str(), FALSE);
  } while (FindNextFileA(find.get(), &data));
  std::snprintf(app->artDir, sizeof app->artDir, "%s/TAVOL/", app->programDir);
  return true;
}

void ReadDisplay(SaverApp* app) {
  WindowDC desktop(GetDesktopWindow());
  app->paletteDevice = GetDeviceCaps(desktop.get(), RASTERCAPS) & RC_PALETTE;
  app->displayBitsPerPixel =
      GetDeviceCaps(desktop.get(), BITSPIXEL) * GetDeviceCaps(desktop.get(), PLANES);
}

// A full-screen window to draw the transitions into.
HWND MakeScreenWindow() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = "LumivexSaverBench";
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "bench", WS_POPUP | WS_VISIBLE, 0, 0,
                              GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                              nullptr, wc.hInstance, nullptr);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  return hwnd;
}

int BenchLoad(SaverApp* app, SaverWindow* w, int runs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    HPALETTE palette = nullptr;
    const double start = Now();
    const int result = LoadArt(app, app->memoryDC, &w->picture, app->artDir, artTable[1].name, 1,
                               &palette, nullptr);
    times.push_back(Now() - start);
    if (palette) DeleteObject(palette);
    if (result != kArtLoaded) return 1;
    std::printf("run %d: %.1f ms\n", i + 1, times.back());
  }
  std::printf("LoadArt %s at %d x %d, %d bits: median %.1f ms over %d runs\n", artTable[1].name,
              w->picture.width, w->picture.height, app->displayBitsPerPixel, Median(times), runs);
  return 0;
}

int BenchTransitions(SaverApp* app, SaverWindow* w, int runs) {
  // A picture to reveal: the first card art.
  HPALETTE palette = nullptr;
  if (LoadArt(app, app->memoryDC, &w->picture, app->artDir, artTable[1].name, 1, &palette,
              nullptr) != kArtLoaded) {
    return 1;
  }
  SelectGuard bitmap(app->memoryDC, w->picture.bitmap);
  const int width = w->picture.width, height = w->picture.height;
  const TransitionChoice dissolve = RevealTransition(1, width);  // odd: DissolveTiles
  const TransitionChoice sweep = RevealTransition(0, width);     // even: SweepBands
  struct Kind {
    const char* name;
    TransitionChoice choice;
  };
  for (const Kind& kind : {Kind{"DissolveTiles", dissolve}, Kind{"SweepBands", sweep}}) {
    std::vector<double> times, rates;
    for (int i = 0; i < runs; ++i) {
      Lcg random;
      // Black first, so every run copies onto the same screen.
      RECT all = {0, 0, width, height};
      FillRect(w->windowDC, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      GdiFlush();
      const double start = Now();
      const uint64_t cells = RunTransition(kind.choice, w->windowDC, 0, 0, width, height,
                                           app->memoryDC, &random, nullptr);
      const double ms = Now() - start;
      times.push_back(ms);
      rates.push_back(static_cast<double>(cells) * 1000.0 / ms);
      std::printf("%s run %d: %llu cells in %.1f ms\n", kind.name, i + 1,
                  static_cast<unsigned long long>(cells), ms);
    }
    std::printf("%s at %d x %d (tiles %d x %d): median %.1f ms, %.0f cells a second\n", kind.name,
                width, height, kind.choice.tileW, kind.choice.tileH, Median(times), Median(rates));
  }
  if (palette) DeleteObject(palette);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "load";
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
  static SaverApp app;
  InitAssertReporter(AssertFlavour::kScreenSaver, app.programDir);
  app.instance = GetModuleHandleA(nullptr);
  app.memoryDC = CreateCompatibleDC(nullptr);
  if (!MakeProgramDir(&app)) {
    std::printf("no art in the Windows directory's TAVOL folder\n");
    return 1;
  }
  ReadDisplay(&app);
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  InitSaverCodec(&app, width, height);

  static SaverWindow w;
  w.app = &app;
  w.hwnd = MakeScreenWindow();
  w.windowDC = GetDC(w.hwnd);
  CreatePicture(&w, width, height);
  std::printf("screen %d x %d, %d bits a pixel\n", width, height, app.displayBitsPerPixel);

  const int rc =
      what == "transitions" ? BenchTransitions(&app, &w, runs) : BenchLoad(&app, &w, runs);
  CloseSpotFile(&app.codec, true);
  return rc;
}
