// The Theme Switcher's entry point: one instance, the process-wide values,
// the window classes, the main window and the message loop. "/r" reverts the
// desktop without ever showing the window.
#include <windows.h>

#include <cstring>

#include "assert_report.h"
#include "mainwnd.h"
#include "resource.h"
#include "switcher_app.h"
#include "switcher_globals.h"

namespace {

int RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageA(g_switcher.hwndMain, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  if (HWND running = FindWindowA(kMainClass, nullptr)) {
    SetForegroundWindow(running);
    return 1;
  }

  InitSwitcherProcess(instance);
  HWND hwnd = CreateMainWindow();
  Assert(hwnd != nullptr, "winmain", 112, "Main window creation failed");
  g_switcher.hwndMain = hwnd;

  int exitCode;
  if (std::strcmp(commandLine, "/r") == 0) {
    SendMessageA(hwnd, WM_COMMAND, IDC_REVERT, 0);
    RunMessageLoop();
    exitCode = 1;
  } else {
    ShowWindow(hwnd, showCommand);
    exitCode = RunMessageLoop();
  }
  EndSwitcherProcess();
  return exitCode;
}
