// Drives the installed Theme Switcher through the five colour themes and
// Revert, uninstalls the package with qvr-kill, and takes a screenshot of
// the screen after each step:
//   demo_driver OUTDIR
// Runs inside a Wine virtual desktop (scripts/demo.sh), which takes the
// screenshots OUTDIR/NN-name.png when asked.
#include <windows.h>

#include <cstdio>
#include <string>

#include "saver.h"

namespace {

constexpr int kApply = 112, kRevert = 121;

struct Colour {
  int id;
  const char* name;
};
constexpr Colour kColours[] = {
    {102, "white"}, {103, "blue"}, {100, "black"}, {101, "red"}, {104, "green"},
};

std::string g_outDir;

BOOL CALLBACK RefreshWindow(HWND hwnd, LPARAM) {
  if (IsWindowVisible(hwnd)) {
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
  return TRUE;
}

// Wine does not lay out and repaint the windows' frames when the non-client
// metrics change (Windows does); do it, so the screenshot shows the new
// caption fonts and colours.
void RefreshAllWindows() {
  EnumWindows(RefreshWindow, 0);
}

// The screenshot is taken outside Wine, of the whole X screen: the driver
// leaves NAME.ready and waits for the demo script to answer with NAME.done,
// calling `wait` for each pause (a plain sleep, or a pump when this thread
// draws windows of the step).
template <typename Wait>
bool HandOverScreenshot(const std::string& name, Wait wait) {
  wait(1500);
  const std::string ready = g_outDir + "\\" + name + ".ready";
  const std::string done = g_outDir + "\\" + name + ".done";
  if (FILE* f = std::fopen(ready.c_str(), "w")) std::fclose(f);
  for (int waited = 0; waited < 60000; waited += 100) {
    if (GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES) {
      DeleteFileA(done.c_str());
      std::printf("screenshot %s\n", name.c_str());
      return true;
    }
    wait(100);
  }
  std::printf("FAILED: no screenshot %s\n", name.c_str());
  return false;
}

bool SaveScreenshot(const std::string& name) {
  RefreshAllWindows();
  return HandOverScreenshot(name, [](DWORD ms) { Sleep(ms); });
}

HWND WaitForWindow(const char* cls, DWORD timeoutMs) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    HWND hwnd = FindWindowA(cls, nullptr);
    if (hwnd && IsWindowVisible(hwnd)) return hwnd;
    Sleep(50);
  }
  return nullptr;
}

bool WaitIdle(HWND main, DWORD timeoutMs) {
  Sleep(300);
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    if (!IsWindow(main) || IsWindowEnabled(GetDlgItem(main, IDOK))) return true;
    Sleep(50);
  }
  return false;
}

// Runs the bare message loop of this thread for a while: the preview this
// process hosts is drawn meanwhile.
void Pump(DWORD ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

// SaveScreenshot for a step whose windows this thread draws.
bool SaveScreenshotPumping(const std::string& name) {
  return HandOverScreenshot(name, Pump);
}

PROCESS_INFORMATION Start(const std::string& commandLine, const char* directory) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string line = commandLine;
  CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, directory, &startup,
                 &process);
  return process;
}

// The screen saver as the system starts it, full screen for a few seconds:
// long enough for the first card art with its caption. Closed the way the
// uninstaller closes it.
bool RunScreenSaver(const std::string& windows, bool screenshot) {
  PROCESS_INFORMATION saver =
      Start("\"" + windows + "\\Tavol The Corvane.scr\" /s", windows.c_str());
  HWND window = WaitForWindow("QVR_ScreenSaverClass", 20000);
  if (!window) {
    std::printf("FAILED: the screen saver did not start\n");
    return false;
  }
  Sleep(2500);
  if (screenshot) {
    SaveScreenshot("07-screen-saver");
  } else {
    Sleep(6000);
  }
  PostMessageA(window, WM_CLOSE, 0, 0);
  const bool ended = WaitForSingleObject(saver.hProcess, 20000) == WAIT_OBJECT_0;
  CloseHandle(saver.hProcess);
  CloseHandle(saver.hThread);
  if (!ended) std::printf("FAILED: the screen saver did not end\n");
  return ended;
}

// The preview in a stand-in for the Display Properties dialog, its monitor
// 152 x 112. The saver's own preview window is hosted in this process: Wine
// shows nothing that one process draws into a window of another.
bool ShowPreview(const std::string& windows) {
  static SaverApp app;
  app.instance = GetModuleHandleA(nullptr);
  app.memoryDC = CreateCompatibleDC(nullptr);
  SetUpSaverApp(&app, windows.c_str());
  if (!RegisterSaverClasses(app.instance)) return false;
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = app.instance;
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = "LumivexDemoMonitor";
  RegisterClassA(&wc);
  HWND dialog = CreateWindowExA(WS_EX_DLGMODALFRAME, wc.lpszClassName, "Display Properties",
                                WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | WS_CLIPCHILDREN,
                                300, 200, 260, 210, nullptr, nullptr, app.instance, nullptr);
  HWND monitor = CreateWindowExA(WS_EX_CLIENTEDGE, "STATIC", "", WS_CHILD | WS_VISIBLE, 50, 20, 156,
                                 116, dialog, nullptr, app.instance, nullptr);
  RECT client{};
  GetClientRect(monitor, &client);
  app.previewMode = 1;
  InitSaverCodec(&app, client.right, client.bottom);
  HWND preview = CreatePreviewWindow(&app, monitor, client.right, client.bottom);
  if (!preview) return false;
  Pump(3000);
  const bool saved = SaveScreenshotPumping("08-preview");
  DestroyWindow(dialog);
  Pump(200);
  DeleteDC(app.memoryDC);
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, sizeof windows);
  if (std::string(argv[1]) == "--screen-saver") return RunScreenSaver(windows, false) ? 0 : 1;
  g_outDir = argv[1];
  const std::string package = std::string(windows, 2) + "\\Program Files\\Plus!\\Themes";

  // A text window beside the switcher shows the window colours and fonts.
  std::string note = g_outDir + "\\Tavol.txt";
  if (FILE* f = std::fopen(note.c_str(), "w")) {
    std::fputs("Desktop Lumivex\n\nThe desktop theme package for Tavol: The Corvane.\n", f);
    std::fclose(f);
  }
  PROCESS_INFORMATION notepad = Start("notepad.exe \"" + note + "\"", nullptr);
  if (HWND pad = WaitForWindow("Notepad", 20000)) {
    SetWindowPos(pad, nullptr, 560, 380, 420, 300, SWP_NOZORDER);
  }

  PROCESS_INFORMATION switcher = Start("\"" + package + "\\switcher.exe\"", package.c_str());
  HWND main = WaitForWindow("TAVOLTHEME_MainClass", 20000);
  if (!main) {
    std::printf("FAILED: the switcher did not start\n");
    return 1;
  }
  SaveScreenshot("00-switcher");

  int step = 1;
  for (const Colour& colour : kColours) {
    HWND button = GetDlgItem(main, colour.id);
    PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Sleep(300);
    PostMessageA(GetDlgItem(main, kApply), BM_CLICK, 0, 0);
    if (!WaitIdle(main, 180000)) {
      std::printf("FAILED: the %s theme did not finish installing\n", colour.name);
      return 1;
    }
    char name[32];
    std::snprintf(name, sizeof name, "%02d-%s", step++, colour.name);
    SaveScreenshot(name);
  }

  PostMessageA(GetDlgItem(main, kRevert), BM_CLICK, 0, 0);
  WaitForSingleObject(switcher.hProcess, 180000);
  SaveScreenshot("06-reverted");

  if (!RunScreenSaver(windows, true) || !ShowPreview(windows)) return 1;

  // The uninstaller where the setup program put it; it ends with exit code 1.
  PROCESS_INFORMATION uninstall = Start("\"" + std::string(windows) + "\\qvr-kill.exe\"", nullptr);
  DWORD uninstallCode = 0;
  if (!uninstall.hProcess || WaitForSingleObject(uninstall.hProcess, 180000) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(uninstall.hProcess, &uninstallCode) || uninstallCode != 1) {
    std::printf("FAILED: qvr-kill did not finish (exit code %lu)\n", uninstallCode);
    return 1;
  }
  CloseHandle(uninstall.hProcess);
  CloseHandle(uninstall.hThread);
  if (GetFileAttributesA((package + "\\switcher.exe").c_str()) != INVALID_FILE_ATTRIBUTES) {
    std::printf("FAILED: the switcher is still installed after qvr-kill\n");
    return 1;
  }
  SaveScreenshot("09-uninstalled");

  TerminateProcess(notepad.hProcess, 0);
  CloseHandle(notepad.hProcess);
  CloseHandle(notepad.hThread);
  CloseHandle(switcher.hProcess);
  CloseHandle(switcher.hThread);
  return 0;
}
