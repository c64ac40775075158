// The screen saver's state: what the process sets up once, what each
// window owns, and the one thing the window's thread shares with its
// picture thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "base/path_size.h"
#include "codec/codec_context.h"
#include "saver/input_motion.h"
#include "saver/lcg.h"
#include "saver/slideshow.h"
#include "gdi_owners.h"
#include "win_raii.h"

// Values of the whole process, made by WinMain before any window exists and
// kept until it returns. Windows and dialogs reach them through their state.
struct SaverApp {
  HINSTANCE instance = nullptr;
  char programDir[kPathSize] = "";  // the program's folder, no trailing backslash
  char artDir[kPathSize] = "";      // programDir + "/TAVOL/"
  HDC memoryDC = nullptr;           // off-screen DC of the window's thread
  int paletteDevice = 0;            // RC_PALETTE (256) when the display works through a palette
  int displayBitsPerPixel = 0;      // BITSPIXEL x PLANES; InitSaverCodec counts 15 as 16
  int previewMode = 0;              // 1 in the Display Properties preview
  HWND saverWindow = nullptr;       // the full-screen window (SaverInputProc's WM_CREATE)
  // The codec's tables, scratch planes, spot mask and "spot.sav": held by
  // whichever thread holds the picture (PictureShare).
  CodecContext codec;
};

// The picture all drawing goes through: a top-down 24-bit DIB section over
// pixel memory of this process's own (an unnamed paging-file section).
// bits is the saver's own view of the whole section: the DIB section's view
// covers only the picture's rows, the section reaches 1 MiB at least, and
// the codec decodes an art into its end.
struct SaverImage {
  int width = 0;
  int height = 0;
  BITMAPINFO header{};
  BYTE* bits = nullptr;  // the section's first sectionSize bytes; rows as in the DIB section
  HBITMAP bitmap = nullptr;
  uint64_t sectionSize = 0;  // max(stride x height, 1 MiB)
};

// A critical section that lives as long as its owner.
class CriticalSection {
 public:
  CriticalSection() { InitializeCriticalSection(&section_); }
  ~CriticalSection() { DeleteCriticalSection(&section_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;
  void Enter() { EnterCriticalSection(&section_); }
  void Leave() { LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

class Locked {
 public:
  explicit Locked(CriticalSection* lock) : lock_(lock) { lock_->Enter(); }
  ~Locked() { lock_->Leave(); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  CriticalSection* lock_;
};

// Everything the window's thread and its picture thread share.
//
// Hand-over rule: readyForNext. While it is 1 the window's thread holds the
// picture (pixels and bitmap) and the codec (SaverApp::codec); it sets it to
// 0 as it starts a picture thread (WM_NEWPICTURE, which does nothing while
// it is 0), which holds them from then on and sets it back to 1 (release) as
// its very last act, after its own device contexts are gone. Painting may
// read the pixels at any time and so may show a picture that is still being
// written.
//
// stop and stopEvent: set once, by the window's thread, when the window
// closes. The picture thread looks at stop before every step of its work and
// between transition cells and then ends without revealing anything more;
// it waits for the reveal time on stopEvent.
//
// The ticks: written by the picture thread, read by the window's timer.
//
// currentPalette: the palette of the picture on screen (palette displays).
// The picture thread replaces it and deletes the old one under paletteLock;
// painting selects it only while holding paletteLock, and selects it out
// again before letting go.
struct PictureShare {
  std::atomic<int> readyForNext{0};
  std::atomic<bool> stop{false};
  Handle stopEvent;                           // manual reset
  std::atomic<uint32_t> pictureStartTick{0};  // when the current reveal began
  std::atomic<uint32_t> pictureShownTick{0};  // when it ended
  CriticalSection paletteLock;
  HPALETTE currentPalette = nullptr;
};

// Everything one saver window (full screen or preview) owns: made at
// WM_NCCREATE, kept in the window's GWLP_USERDATA, freed at WM_NCDESTROY.
// Apart from PictureShare, only the window's thread touches it.
struct SaverWindow {
  HWND hwnd = nullptr;
  SaverApp* app = nullptr;
  MotionTracker motion;  // SaverInputProc's start point (full screen)

  SlideshowState show;       // the choice of arts
  Lcg random;                // the window thread's generator
  int timerState = TS_BUSY;  // TS_BUSY, TS_SPOT_DUE, TS_NEXT_DUE
  int artCount = kArtCount;
  int32_t intervalMs = 0;      // time between arts, from the settings
  int32_t waitIntervalMs = 0;  // what the picture thread waits out
  int32_t prefetchMs = 0;      // after a reveal began, when the next decode starts
  int32_t spotDelayMs = kSpotDelayMs;
  bool closing = false;  // WM_CLOSE is stopping the picture thread

  HDC windowDC = nullptr;  // the window's own DC (CS_OWNDC), held for its life
  SaverImage picture;
  Handle pixelSection;
  MappedView pixelView;  // picture.bits
  Handle pictureThread;  // the last picture thread started
  PictureShare share;
};

// What one picture thread is asked to do, copied when it starts; the thread
// owns and frees it.
struct PictureJob {
  SaverWindow* window = nullptr;
  int art = 0;          // row of artTable to show
  int previousArt = 0;  // row shown before it (0: the logo, no wait)
  int32_t waitIntervalMs = 0;
};

// The settings the dialog edits and the slideshow reads.
struct SaverSettings {
  int32_t intervalMs = 20000;
  int artCount = kArtCount;
  int32_t spotDelayMs = kSpotDelayMs;
};

// The settings dialog's own state, passed in DialogBoxParamA's lParam and kept
// in DWLP_USER; the edit box reaches it through its GWLP_USERDATA.
struct SettingsDialog {
  SaverApp* app = nullptr;
  SaverSettings settings;
  WNDPROC editProc = nullptr;  // the edit box's procedure before DigitsEditProc
};

// A window of class "QVR_CancelClass": its own start point.
struct CancelWindow {
  SaverApp* app = nullptr;
  MotionTracker motion;
};
