// The screen saver's parts, by module: the entry and its windows (main),
// the input procedures, the slideshow window and its picture thread, the
// arts and captions (art), the transitions (tri1), the settings dialog.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "saver/transitions.h"
#include "saver_state.h"

// Window classes, registered at start-up in this order.
extern const char kSaverClass[];    // "QVR_ScreenSaverClass": full screen, SaverInputProc
extern const char kPreviewClass[];  // "QVR_PreviewClass": preview, SlideshowWndProc
extern const char kCancelClass[];   // "QVR_CancelClass": CancelWndProc (never created here)

constexpr UINT_PTR kSlideshowTimer = 1;

// --- Start-up (saver_app.cpp) ---------------------------------------------------

// The folders (programDir, and artDir = programDir + "/TAVOL/") and the
// display's palette capability and depth.
void SetUpSaverApp(SaverApp* app, const char* programDir);

// Registers the three classes; all three are attempted. False when any fails.
bool RegisterSaverClasses(HINSTANCE instance);

// The preview window inside parent, width x height at 0, 0 ("preview",
// class "QVR_PreviewClass"); null when it cannot be made. The codec must be
// prepared for that size first (InitSaverCodec).
HWND CreatePreviewWindow(SaverApp* app, HWND parent, int width, int height);

// --- Input (input.cpp) ----------------------------------------------------

// The full-screen window: input ends the saver, everything else goes to
// SlideshowWndProc.
LRESULT CALLBACK SaverInputProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK CancelWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// --- The slideshow (slideshow_window.cpp) ----------------------------------

// The window procedure of both windows. WM_NCCREATE's lpCreateParams is the
// SaverApp.
LRESULT CALLBACK SlideshowWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The state of a saver window (null for any other window).
SaverWindow* GetSaverWindow(HWND hwnd);

// The window's picture of width x height: its own pixel section, the saver's
// view of all of it, and the DIB section over it (made with w->windowDC).
// A failure ends the program through the reporter.
void CreatePicture(SaverWindow* w, int width, int height);

// The picture thread: its parameter is a PictureJob it owns. Exits with 1.
DWORD WINAPI NewPictureThread(LPVOID parameter);

// --- Arts and captions (art.cpp) -------------------------------------------

// Prepares the codec for pictures of width x height: dither kernel 2, the
// display's depth (15 counted as 16), the art and program folders, and the
// spot mask from programDir + "/tavol/spot.art". Every set-up of the codec
// the saver makes is here or in SetSaverCodecArt.
void InitSaverCodec(SaverApp* app, int width, int height);

// The codec's settings for one art: its corner logo (none for row -1), and
// the flag that stops its decoding and scaling at the next row (may be null).
void SetSaverCodecArt(SaverApp* app, int row, const std::atomic<bool>* stop);

// LoadArt's results.
constexpr int kArtMissing = 0;  // no picture, folder or name
constexpr int kArtLoaded = 1;
constexpr int kArtStopped = 2;  // *stop was set; the picture may be half made

// Loads row `row` of artTable (directory + name + ".art") into the picture:
// on a palette display reads its colour table into *palette (a new palette
// the caller owns), decodes, scales (at full screen in place in the picture's
// own memory), darkens the caption backdrop, reduces the colours and draws
// the caption through memoryDC. A codec failure ends the program through the
// reporter. stop may be null.
int LoadArt(SaverApp* app, HDC memoryDC, SaverImage* picture, const char* directory,
            const char* name, int row, HPALETTE* palette, const std::atomic<bool>* stop);

// The caption on the darkened backdrop, centred line by line and as a block,
// in the "PaperSpotFont" face. dc holds the picture's bitmap.
void DrawCaption(HDC dc, const SaverImage& picture, int corner, const char* text);

// Copies the picture to dc (through the current palette on palette
// displays). 0 when there is no picture, else 1.
int PaintArt(HDC dc, SaverWindow* w);

// --- Transitions (transitions_gdi.cpp) --------------------------------------

// The core's cells turned into BitBlts (SRCCOPY, the same place in source
// and destination). Each returns the cells copied; when stop (may be null)
// becomes true the run ends at the next cell. random is the calling thread's
// generator, which DissolveTiles reseeds with the tick count.
uint64_t DissolveTiles(HDC dst, int x0, int y0, int w, int h, int tileW, int tileH, HDC src,
                       Lcg* random, const std::atomic<bool>* stop);
uint64_t SweepBands(HDC dst, int x0, int y0, int w, int h, int bandWidth, int wave, int tileW,
                    int tileH, HDC src, const std::atomic<bool>* stop);
// The same over a solid bitmap of colour that covers every cell.
uint64_t FadeDissolve(HDC dst, COLORREF colour, int x0, int y0, int w, int h, int tileW, int tileH,
                      Lcg* random, const std::atomic<bool>* stop);
uint64_t FadeSweep(HDC dst, COLORREF colour, int x0, int y0, int w, int h, int bandWidth, int wave,
                   int tileW, int tileH, const std::atomic<bool>* stop);

// The routine a choice names.
uint64_t RunTransition(const TransitionChoice& choice, HDC dst, int x0, int y0, int w, int h,
                       HDC src, Lcg* random, const std::atomic<bool>* stop);
uint64_t RunFade(const TransitionChoice& choice, HDC dst, COLORREF colour, int x0, int y0, int w,
                 int h, Lcg* random, const std::atomic<bool>* stop);

// --- Settings and About (settings_dialog.cpp) -------------------------------

// Reads "ScreenSaverTimeBetweenArts" (20 seconds when it cannot be read or
// is not a number, no range check) and the fixed values. Returns 0.
int LoadSaverSettings(SaverSettings* settings);
// Writes intervalMs / 1000 as the value's text. Returns 0.
int SaveSaverSettings(const SaverSettings& settings);

INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK DigitsEditProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam);

// Runs the settings dialog (template 2003) owned by owner (may be null).
INT_PTR ShowSettingsDialog(SaverApp* app, HWND owner);
