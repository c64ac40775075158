// The screen saver's entry point: the command line picks the mode (full
// screen, preview, settings, password, or an unknown line); the process-wide
// values, the three window classes, the windows and the message loop.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <new>

#include "assert_report.h"
#include "gdi_owners.h"
#include "program_dir.h"
#include "saver.h"
#include "saver/command_line.h"
#include "saver/pixel_section.h"

const char kSaverClass[] = "QVR_ScreenSaverClass";
const char kPreviewClass[] = "QVR_PreviewClass";
const char kCancelClass[] = "QVR_CancelClass";

namespace {

const char kSaverBoxCaption[] = "Tavol Screen Saver";

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

// All three are attempted, whatever the first ones gave.
bool RegisterSaverClasses(HINSTANCE instance) {
  bool ok =
      RegisterOneClass(instance, kSaverClass, CS_OWNDC | CS_SAVEBITS, SaverInputProc, BLACK_BRUSH);
  ok = RegisterOneClass(instance, kPreviewClass, CS_OWNDC, SlideshowWndProc, BLACK_BRUSH) && ok;
  ok = RegisterOneClass(instance, kCancelClass, 0, CancelWndProc, -1) && ok;
  return ok;
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

int RunFullScreen(SaverApp* app) {
  app->previewMode = 0;
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  InitSaverCodec(app, width, height);
  HWND hwnd = CreateWindowExA(WS_EX_TOPMOST, kSaverClass, "screen saver", WS_POPUP | WS_VISIBLE, 0,
                              0, width, height, nullptr, nullptr, app->instance, app);
  if (!hwnd) {
    MessageBoxA(nullptr, "Couldn't create screen saver", kSaverBoxCaption, MB_OK);
    return 0;
  }
  return RunMessageLoop();
}

// The parent must be a window whose client area can hold a picture; for
// anything else the preview ends at once, with nothing drawn anywhere.
HWND PreviewParent(const SaverCommand& command, RECT* client) {
  if (!command.hasPreviewWindow) return nullptr;
  HWND parent = reinterpret_cast<HWND>(static_cast<INT_PTR>(command.previewWindow));
  if (!parent || !IsWindow(parent) || !GetClientRect(parent, client)) return nullptr;
  if (!PictureSizeUsable(client->right, client->bottom)) return nullptr;
  return parent;
}

int RunPreview(SaverApp* app, const SaverCommand& command) {
  app->previewMode = 1;
  RECT client{};
  HWND parent = PreviewParent(command, &client);
  if (!parent) return 0;
  InitSaverCodec(app, client.right, client.bottom);
  HWND hwnd = CreateWindowExA(0, kPreviewClass, "preview",
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                              client.right, client.bottom, parent, nullptr, app->instance, app);
  if (!hwnd) {
    MessageBoxA(nullptr, "Couldn't create preview window", kSaverBoxCaption, MB_OK);
    return 0;
  }
  return RunMessageLoop();
}

int RunMode(SaverApp* app, const SaverCommand& command) {
  switch (command.mode) {
    case SaverMode::kSettingsNoOwner:
      ShowSettingsDialog(app, nullptr);
      break;
    case SaverMode::kFullScreen:
      return RunFullScreen(app);
    case SaverMode::kPreview:
      return RunPreview(app, command);
    case SaverMode::kSettingsOwned: {
      HWND owner = GetActiveWindow();
      if (!owner) owner = FindWindowA(nullptr, "Display Properties");
      ShowSettingsDialog(app, owner);
      break;
    }
    case SaverMode::kPassword:
      MessageBoxA(nullptr, "The Tavol screen saver cannot be password protected", "Desktop Lumivex",
                  MB_ICONINFORMATION);
      break;
    case SaverMode::kUnknown:
      MessageBoxA(nullptr, command.unknownText, "Unknown command line", MB_OK);
      break;
  }
  return SaverModeExitCode(command.mode);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  // A full-screen saver is running: nothing else may start, in any mode.
  if (FindWindowA(kSaverClass, nullptr)) return 1;

  InitCommonControls();
  std::unique_ptr<SaverApp> app(new (std::nothrow) SaverApp);
  if (!app) return 0;
  InitAssertReporter(AssertFlavour::kScreenSaver, app->programDir);
  app->instance = instance;
  MemoryDC memoryDC(nullptr);
  app->memoryDC = memoryDC.get();
  if (!memoryDC) {
    MessageBoxA(nullptr, "Couldn't create the memory DC", nullptr, MB_SYSTEMMODAL | MB_ICONHAND);
    return 0;
  }
  GetProgramDir(app->programDir, sizeof app->programDir);
  SetArtDir(app.get());
  ReadDisplay(app.get());
  if (!RegisterSaverClasses(instance)) {
    MessageBoxA(nullptr, "Couldn't register the classes", nullptr, MB_SYSTEMMODAL | MB_ICONHAND);
    return 0;
  }

  // memoryDC is deleted on the way out.
  return RunMode(app.get(), ParseSaverCommandLine(commandLine));
}
