#include "install_host.h"

#include <commctrl.h>

#include "program_dir.h"
#include "resource.h"
#include "switcher_globals.h"
#include "windows95_threads.h"

namespace {

const char kHostClass[] = "LumivexTestInstallHost";

InstallHost* HostOf(HWND hwnd) {
  return reinterpret_cast<InstallHost*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

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
  // The wallpaper maker and the bounded calls start their threads as they
  // would have to on Windows 95.
  RefuseThreadsWithoutId();
  WNDCLASSA wc{};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kHostClass;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  RegisterClassA(&wc);
  hwnd_ = CreateWindowExA(0, kHostClass, "Installer host", WS_OVERLAPPEDWINDOW, 50, 50, 400, 200,
                          nullptr, nullptr, wc.hInstance, nullptr);
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  InitCommonControls();
  status_ = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "", hwnd_, IDC_STATUS);
  // The status bar keeps its own data: the host rides on a property.
  SetPropA(status_, kHostClass, this);
  statusProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(status_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StatusProc)));
  ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  installer_.window = hwnd_;

  // The process-wide values the installer reads.
  g_switcher.hInstance = wc.hInstance;
  GetProgramDir(g_switcher.programDir, sizeof g_switcher.programDir);
  g_switcher.ditherKernel = 2;
}

InstallHost::~InstallHost() {
  KillTimer(hwnd_, ID_INSTALL_TIMER);
  if (GetCapture() == hwnd_) ReleaseCapture();
  SetWindowLongPtrA(status_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(statusProc_));
  RemovePropA(status_, kHostClass);
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
  DestroyWindow(hwnd_);
}

int InstallHost::Install(ThemeId id, const ThemeParts& parts, DWORD timeoutMs) {
  finished_ = false;
  ticks_ = 0;
  texts_.clear();
  int result = InstallTheme(&installer_, id, parts.wallpaper, parts.colors, parts.fonts,
                            parts.icons, parts.cursors, parts.sounds, parts.screenSaver);
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

void InstallHost::OnTimer(WPARAM id) {
  ++ticks_;
  if (id == ID_INSTALL_TIMER && wallpaperThreadFinished(installer_)) {
    KillTimer(hwnd_, ID_INSTALL_TIMER);
    FinishThemeInstall(&installer_);
    finished_ = true;
  }
}

LRESULT CALLBACK InstallHost::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  InstallHost* host = HostOf(hwnd);
  if (msg == WM_TIMER && host) {
    host->OnTimer(wParam);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK InstallHost::StatusProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* host = static_cast<InstallHost*>(GetPropA(hwnd, kHostClass));
  if (msg == WM_SETTEXT && lParam) {
    host->texts_.push_back(reinterpret_cast<const char*>(lParam));
  }
  return CallWindowProcA(host->statusProc_, hwnd, msg, wParam, lParam);
}
