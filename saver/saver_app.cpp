// The start-up every mode shares (program and art folders, the display,
// the three window classes) and the preview window, apart from the entry
// point so that a host can show the preview in its own process.
#include <windows.h>

#include <cstdio>

#include "saver.h"

const char kSaverClass[] = "QVR_ScreenSaverClass";
const char kPreviewClass[] = "QVR_PreviewClass";
const char kCancelClass[] = "QVR_CancelClass";

namespace {

void SetArtDir(SaverApp* app) {
  std::snprintf(app->artDir, sizeof app->artDir, "%s/TAVOL/", app->programDir);
}

void ReadDisplay(SaverApp* app) {
  WindowDC desktop(GetDesktopWindow());
  app->paletteDevice = GetDeviceCaps(desktop.get(), RASTERCAPS) & RC_PALETTE;
  app->displayBitsPerPixel =
      GetDeviceCaps(desktop.get(), BITSPIXEL) * GetDeviceCaps(desktop.get(), PLANES);
}

bool RegisterOneClass(HINSTANCE instance, const char* name, UINT style, WNDPROC proc, int brush) {
  WNDCLASSA wc{};
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = brush >= 0 ? static_cast<HBRUSH>(GetStockObject(brush)) : nullptr;
  wc.lpszClassName = name;
  return RegisterClassA(&wc) != 0;
}

}  // namespace

void SetUpSaverApp(SaverApp* app, const char* programDir) {
  std::snprintf(app->programDir, sizeof app->programDir, "%s", programDir);
  SetArtDir(app);
  ReadDisplay(app);
}

// All three are attempted, whatever the first ones gave.
bool RegisterSaverClasses(HINSTANCE instance) {
  bool ok =
      RegisterOneClass(instance, kSaverClass, CS_OWNDC | CS_SAVEBITS, SaverInputProc, BLACK_BRUSH);
  ok = RegisterOneClass(instance, kPreviewClass, CS_OWNDC, SlideshowWndProc, BLACK_BRUSH) && ok;
  ok = RegisterOneClass(instance, kCancelClass, 0, CancelWndProc, -1) && ok;
  return ok;
}

HWND CreatePreviewWindow(SaverApp* app, HWND parent, int width, int height) {
  return CreateWindowExA(0, kPreviewClass, "preview",
                         WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, width,
                         height, parent, nullptr, app->instance, app);
}
