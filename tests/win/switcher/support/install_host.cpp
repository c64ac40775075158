#include "install_host.h"

#include <commctrl.h>

#include "program_dir.h"
#include "resource.h"
#include "switcher_globals.h"

namespace {

const char kHostClass[] = "LumivexTestInstallHost";
InstallHost* g_host = nullptr;

}  // namespace

ThemeParts AllParts() {
  return ThemeParts{1, 1, 1, 1, 1, 1, 1};
}

ThemeParts OnlyParts(bool colors, bool fonts) {
  ThemeParts parts;
  parts.colors = colors;
  parts.fonts = fonts;
  return parts;
}

InstallHost::InstallHost() {
  g_host = this;
  WNDCLASSA wc{};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kHostClass;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  RegisterClassA(&wc);
  hwnd_ = CreateWindowExA(0, kHostClass, "Installer host", WS_OVERLAPPEDWINDOW, 50, 50, 400, 200,
                          nullptr, nullptr, wc.hInstance, nullptr);
  InitCommonControls();
  status_ = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "", hwnd_, IDC_STATUS);
  statusProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(status_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StatusProc)));
  ShowWindow(hwnd_, SW_SHOWNOACTIVATE);

  g_switcher.hInstance = wc.hInstance;
  g_switcher.hwndMain = hwnd_;
  GetProgramDir(g_switcher.programDir, sizeof g_switcher.programDir);
  g_switcher.ditherKernel = 2;
}

InstallHost::~InstallHost() {
  KillTimer(hwnd_, ID_INSTALL_TIMER);
  if (GetCapture() == hwnd_) ReleaseCapture();
  DestroyWindow(hwnd_);
  g_switcher.hwndMain = nullptr;
  g_host = nullptr;
}

int InstallHost::Install(ThemeId id, const ThemeParts& parts, DWORD timeoutMs) {
  finished_ = false;
  ticks_ = 0;
  texts_.clear();
  int result = InstallTheme(id, parts.wallpaper, parts.colors, parts.fonts, parts.icons,
                            parts.cursors, parts.sounds, parts.screenSaver);
  captured_ = GetCapture() == hwnd_;
  MSG msg;
  DWORD start = GetTickCount();
  while (!finished_ && GetTickCount() - start < timeoutMs) {
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
  }
  return result;
}

LRESULT CALLBACK InstallHost::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_TIMER:
      if (g_host) ++g_host->ticks_;
      if (wParam == ID_INSTALL_TIMER && wallpaperThreadFinished()) {
        KillTimer(hwnd, ID_INSTALL_TIMER);
        FinishThemeInstall();
        if (g_host) g_host->finished_ = true;
      }
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK InstallHost::StatusProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SETTEXT && g_host && lParam) {
    g_host->texts_.push_back(reinterpret_cast<const char*>(lParam));
  }
  return CallWindowProcA(g_host->statusProc_, hwnd, msg, wParam, lParam);
}
