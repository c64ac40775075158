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
#include "message_loop.h"
#include "program_dir.h"
#include "saver.h"
#include "saver/command_line.h"
#include "saver/pixel_section.h"

namespace {

const char kSaverBoxCaption[] = "Tavol Screen Saver";

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
  HWND hwnd = CreatePreviewWindow(app, parent, client.right, client.bottom);
  // Display Properties may have closed its monitor while the art was read:
  // then there is nothing to show and no one to tell.
  if (!hwnd && !IsWindow(parent)) return 0;
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
  char programDir[kPathSize];
  GetProgramDir(programDir, sizeof programDir);
  SetUpSaverApp(app.get(), programDir);
  if (!RegisterSaverClasses(instance)) {
    MessageBoxA(nullptr, "Couldn't register the classes", nullptr, MB_SYSTEMMODAL | MB_ICONHAND);
    return 0;
  }

  // memoryDC is deleted on the way out.
  return RunMode(app.get(), ParseSaverCommandLine(commandLine));
}
