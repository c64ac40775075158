// The slideshow: the window that owns the picture, the 500 ms timer that
// paces the show, the choice of the next art, and the picture thread that
// decodes it while the current one is on screen and then reveals it.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "assert_report.h"
#include "codec/scale.h"
#include "codec/spot.h"
#include "gdi_owners.h"
#include "message_loop.h"
#include "saver.h"
#include "saver/captions.h"
#include "saver/pixel_section.h"
#include "thread_start.h"

namespace {

// --- Creation ----------------------------------------------------------------

LRESULT OnNcCreate(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* w = new (std::nothrow) SaverWindow;
  if (!w) return FALSE;
  w->hwnd = hwnd;
  w->app = static_cast<SaverApp*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT OnCreate(SaverWindow* w) {
  SaverApp* app = w->app;
  SaverSettings settings;
  LoadSaverSettings(&settings);
  w->intervalMs = settings.intervalMs;
  w->artCount = settings.artCount;
  w->spotDelayMs = settings.spotDelayMs;
  RECT client{};
  GetClientRect(w->hwnd, &client);
  w->random.Seed(GetTickCount());
  w->show.currentArt = 0;

  w->windowDC = GetDC(w->hwnd);
  Assert(w->windowDC != nullptr, "main", 106, "WM_CREATE GetDC");
  w->share.stopEvent.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  Assert(w->share.stopEvent.get() != nullptr, "main", __LINE__, "WM_CREATE CreateEvent");
  CreatePicture(w, client.right, client.bottom);
  w->share.currentPalette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));

  // The logo, at once and on this thread: the first paint shows it.
  w->share.pictureStartTick = GetTickCount();
  HPALETTE logoPalette = nullptr;
  LoadArt(app, app->memoryDC, &w->picture, app->artDir, artTable[0].name, 0, &logoPalette, nullptr);
  if (logoPalette) w->share.currentPalette = logoPalette;

  w->share.readyForNext = 1;
  w->waitIntervalMs = w->intervalMs;
  w->prefetchMs = PrefetchMs(w->intervalMs);
  Assert(SetTimer(w->hwnd, kSlideshowTimer, kSlideshowTimerMs, nullptr) != 0, "main", 149,
         "WM_CREATE SetTimer");
  w->share.pictureStartTick = GetTickCount();
  w->timerState = TS_NEXT_DUE;
  return 0;
}

// --- The picture thread ---------------------------------------------------------

bool Stopped(const PictureShare& share) {
  return share.stop.load(std::memory_order_relaxed);
}

// Waits out the interval since the previous reveal began, on the stop event
// (the window's close ends the wait at once). False when stopped.
bool WaitForRevealTime(PictureShare* share, const PictureJob& job) {
  for (;;) {
    if (Stopped(*share)) return false;
    const uint32_t left = RevealWaitMs(job.previousArt, GetTickCount(),
                                       share->pictureStartTick.load(), job.waitIntervalMs);
    if (left == 0) return true;
    if (WaitForSingleObject(share->stopEvent.get(), left) == WAIT_OBJECT_0) return false;
  }
}

// The new palette becomes the current one; the old one goes, under the lock
// painting holds while it has a palette selected.
void ReplacePalette(PictureShare* share, HPALETTE palette) {
  Locked lock(&share->paletteLock);
  HPALETTE old = share->currentPalette;
  share->currentPalette = palette;
  if (old && old != GetStockObject(DEFAULT_PALETTE)) DeleteObject(old);
}

// Decodes the job's art into the picture and reveals it, unless the window
// closes first: nothing is revealed once stop is set.
void ShowPicture(SaverWindow* w, const PictureJob& job) {
  SaverApp* app = w->app;
  PictureShare* share = &w->share;
  Lcg random;  // this thread's own generator, from 1
  MemoryDC memory(nullptr);
  HPALETTE loaded = nullptr;
  const int result = LoadArt(app, memory.get(), &w->picture, app->artDir, artTable[job.art].name,
                             job.art, &loaded, &share->stop);
  GdiObject<HPALETTE> palette(loaded);
  Assert(result != kArtMissing, "main", 448, "NEWPICTURE failed");
  if (result == kArtStopped || !WaitForRevealTime(share, job)) return;

  share->pictureStartTick = GetTickCount();
  const int width = w->picture.width, height = w->picture.height;
  CacheDC window(w->hwnd);
  if (app->paletteDevice) {
    RunFade(FadeTransition(random.Next()), window.get(), RGB(0, 0, 0), 0, 0, width, height, &random,
            &share->stop);
    if (Stopped(*share)) return;
  }
  SelectGuard bitmap(memory.get(), w->picture.bitmap);
  HPALETTE shown = palette.get();
  if (app->paletteDevice && shown) ReplacePalette(share, palette.release());
  PaletteSelection windowPalette(window.get(), app->paletteDevice ? shown : nullptr);
  PaletteSelection memoryPalette(memory.get(), app->paletteDevice ? shown : nullptr);
  RunTransition(RevealTransition(random.Next(), width), window.get(), 0, 0, width, height,
                memory.get(), &random, &share->stop);
  share->pictureShownTick = GetTickCount();
}

// --- Messages ---------------------------------------------------------------

void OnPaint(SaverWindow* w) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w->hwnd, &ps);
  PaintArt(dc, w);
  EndPaint(w->hwnd, &ps);
}

void OnTimer(SaverWindow* w) {
  SlideshowTimerInputs in;
  in.timerState = w->timerState;
  in.readyForNext = w->share.readyForNext.load(std::memory_order_acquire);
  in.currentArt = w->show.currentArt;
  in.pictureStartTick = w->share.pictureStartTick.load();
  in.pictureShownTick = w->share.pictureShownTick.load();
  in.prefetchMs = w->prefetchMs;
  in.spotDelayMs = w->spotDelayMs;
  switch (SlideshowTimerAction(in, GetTickCount())) {
    case TimerAction::kReplaceSpot:
      SendMessageA(w->hwnd, WM_REPLACESPOT, 0, 0);
      break;
    case TimerAction::kNewPicture:
      SendMessageA(w->hwnd, WM_NEWPICTURE, 0, 0);
      break;
    case TimerAction::kNothing:
      break;
  }
}

void OnNewPicture(SaverWindow* w) {
  // Only the window's thread may start a picture, and only once the last
  // picture thread has handed over: a WM_NEWPICTURE sent from outside while
  // one runs is ignored.
  if (w->share.readyForNext.exchange(0, std::memory_order_acquire) != 1) return;
  if (w->pictureThread) WaitForSingleObject(w->pictureThread.get(), INFINITE);
  w->timerState = TS_BUSY;
  ChooseNextArt(&w->show, &w->random);
  w->pictureThread.reset();
  auto* job =
      new (std::nothrow) PictureJob{w, w->show.currentArt, w->show.previousArt, w->waitIntervalMs};
  Assert(job != nullptr, "main", __LINE__, "WM_NEWPICTURE: no memory for the picture job");
  w->pictureThread.reset(StartThread(NewPictureThread, job));
  Assert(w->pictureThread.get() != nullptr, "main", __LINE__, "WM_NEWPICTURE CreateThread");
  w->timerState = TimerStateAfterNewPicture(w->show.currentArt);
}

void OnReplaceSpot(SaverWindow* w) {
  w->timerState = TS_BUSY;
  const int corner = artTable[w->show.currentArt].spotCorner;
  if (corner != -1) {
    SaverApp* app = w->app;
    SaverImage& picture = w->picture;
    SpotRect rect{};
    if (ReplaceSpot(&app->codec, &rect, picture.bits, picture.width, picture.height, corner) !=
        CodecStatus::kOk) {
      Assert(0, app->codec.error.module, app->codec.error.line, "%s", app->codec.error.message);
    }
    Locked lock(&w->share.paletteLock);
    HPALETTE palette = app->paletteDevice ? w->share.currentPalette : nullptr;
    PaletteSelection windowPalette(w->windowDC, palette);
    PaletteSelection memoryPalette(app->memoryDC, palette);
    SelectGuard bitmap(app->memoryDC, picture.bitmap);
    RunTransition(SpotTransition(w->random.Next()), w->windowDC, rect.left, rect.top, rect.width,
                  rect.height, app->memoryDC, &w->random, nullptr);
  }
  w->timerState = TS_NEXT_DUE;
}

// Stops a running picture thread and waits for it to end. It ends at its
// next step, not at the end of a decode. Messages sent to this thread are
// handled meanwhile: the picture thread's palette changes broadcast to it.
void StopPictureThread(SaverWindow* w) {
  w->share.stop = true;
  if (w->share.stopEvent) SetEvent(w->share.stopEvent.get());
  if (!w->pictureThread) return;
  HANDLE thread = w->pictureThread.get();
  for (;;) {
    const DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
    if (r != WAIT_OBJECT_0 + 1) break;
    DeliverSentMessages();
  }
  w->pictureThread.reset();
}

void OnClose(SaverWindow* w) {
  if (w->closing) return;
  w->closing = true;
  StopPictureThread(w);
  DestroyWindow(w->hwnd);
}

void OnDestroy(SaverWindow* w) {
  // The preview is destroyed with its parent, without WM_CLOSE.
  StopPictureThread(w);
  KillTimer(w->hwnd, kSlideshowTimer);
  SaverImage& picture = w->picture;
  // Deleting the DIB section unmaps its own view of the section.
  if (picture.bitmap) DeleteObject(picture.bitmap);
  picture.bitmap = nullptr;
  picture.bits = nullptr;
  HPALETTE palette = w->share.currentPalette;
  if (palette && palette != GetStockObject(DEFAULT_PALETTE)) DeleteObject(palette);
  w->share.currentPalette = nullptr;
  w->pixelView.reset();
  w->pixelSection.reset();
  if (w->windowDC) ReleaseDC(w->hwnd, w->windowDC);
  w->windowDC = nullptr;
  CloseSpotFile(&w->app->codec, true);
  PostQuitMessage(0);
}

void OnNcDestroy(HWND hwnd) {
  delete GetSaverWindow(hwnd);
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
}

}  // namespace

// Pixel memory of this process's own: an unnamed section, so a preview and
// a full-screen run never share it.
void CreatePicture(SaverWindow* w, int width, int height) {
  SaverImage& picture = w->picture;
  picture.width = width;
  picture.height = height;
  const DibHeader dib = MakeDibHeader(width, height);
  static_assert(sizeof(BITMAPINFO) == sizeof(DibHeader), "one colour entry");
  std::memcpy(&picture.header, &dib, sizeof dib);
  picture.sectionSize = PixelSectionSize(width, height);
  w->pixelSection.reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr,
                                           PAGE_READWRITE | SEC_COMMIT,
                                           static_cast<DWORD>(picture.sectionSize >> 32),
                                           static_cast<DWORD>(picture.sectionSize), nullptr));
  Assert(w->pixelSection.get() != nullptr, "main", 114, "WM_CREATE CreateFileMapping");
  // Our own view of all of it: the DIB section maps only its rows.
  Assert(picture.sectionSize <= SIZE_MAX &&
             w->pixelView.Map(w->pixelSection.get(), static_cast<SIZE_T>(picture.sectionSize)),
         "main", 114, "WM_CREATE CreateFileMapping");
  void* dibBits = nullptr;
  picture.bitmap = CreateDIBSection(w->windowDC, &picture.header, DIB_RGB_COLORS, &dibBits,
                                    w->pixelSection.get(), 0);
  Assert(picture.bitmap != nullptr, "main", 116, "WM_CREATE CreateDIBSection");
  picture.bits = w->pixelView.get();
}

SaverWindow* GetSaverWindow(HWND hwnd) {
  return reinterpret_cast<SaverWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

DWORD WINAPI NewPictureThread(LPVOID parameter) {
  std::unique_ptr<PictureJob> job(static_cast<PictureJob*>(parameter));
  SaverWindow* w = job->window;
  ShowPicture(w, *job);
  job.reset();
  // The hand-over back, the very last thing this thread does.
  w->share.readyForNext.store(1, std::memory_order_release);
  return 1;
}

LRESULT CALLBACK SlideshowWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) return OnNcCreate(hwnd, msg, wParam, lParam);
  SaverWindow* w = GetSaverWindow(hwnd);
  if (!w) return DefWindowProcA(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_CREATE:
      return OnCreate(w);
    case WM_PAINT:
      OnPaint(w);
      return 1;
    case WM_TIMER:
      if (wParam == kSlideshowTimer) OnTimer(w);
      return 0;
    case WM_NEWPICTURE:
      OnNewPicture(w);
      return 0;
    case WM_REPLACESPOT:
      OnReplaceSpot(w);
      return 0;
    case WM_CLOSE:
      OnClose(w);
      return 0;
    case WM_DESTROY:
      OnDestroy(w);
      return 0;
    case WM_NCDESTROY:
      OnNcDestroy(hwnd);
      break;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}
