#include "switcher_driver.h"

#include <cstdio>
#include <cstring>

#include "resource.h"

namespace {

struct MainQuery {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindMainProc(HWND hwnd, LPARAM lParam) {
  auto* query = reinterpret_cast<MainQuery*>(lParam);
  char cls[64] = "";
  GetClassNameA(hwnd, cls, sizeof cls);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == query->pid && std::strcmp(cls, "TAVOLTHEME_MainClass") == 0) {
    query->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND FindMainWindowOf(DWORD processId) {
  MainQuery query{processId, nullptr};
  EnumWindows(FindMainProc, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

bool SwitcherRun::Start(const std::string& args, bool waitForWindow) {
  std::string line = "\"" + BinDir() + "\\switcher.exe\"";
  if (!args.empty()) line += " " + args;
  if (!child_.Start(line)) return false;
  if (!waitForWindow) return true;
  DWORD start = GetTickCount();
  while (GetTickCount() - start < 20000) {
    main_ = FindMainWindowOf(child_.Id());
    // The window exists once WM_CREATE is over; wait for it to be shown.
    if (main_ && IsWindowVisible(main_)) return true;
    if (child_.Wait(0)) {
      std::fprintf(stderr, "switcher.exe ended with status %lu before its window was shown\n",
                   static_cast<unsigned long>(child_.ExitCode()));
      return false;
    }
    Sleep(20);
  }
  return false;
}

const char kSwitcherPrompt[] =
    "Choose the Tavol color (by mana symbol) and the parts of the theme to use.";

namespace {

// Delivered and handled before the call returns, so that what the test
// looks at next is the state after the click. A click that opens a modal box
// returns after the time-out with the box open.
void SendAndWait(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(hwnd, msg, wParam, lParam, SMTO_NORMAL, 3000, &result);
}

}  // namespace

void SwitcherRun::Click(int id) const {
  if (id >= IDC_BLACK && id <= IDC_GREEN) {
    // Colour buttons are our own class: press and release inside them.
    SendAndWait(Item(id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendAndWait(Item(id), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    return;
  }
  SendAndWait(Item(id), BM_CLICK, 0, 0);
}

void SwitcherRun::Command(int id) const {
  PostMessageA(main_, WM_COMMAND, id, 0);
}

void SwitcherRun::Close() const {
  PostMessageA(main_, WM_CLOSE, 0, 0);
}

bool SwitcherRun::IsChecked(int id) const {
  return SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SwitcherRun::UseOnlyParts(std::initializer_list<int> ids) const {
  for (int id = IDC_SCREENSAVER; id <= IDC_FONTS; ++id) {
    bool wanted = false;
    for (int w : ids) wanted |= w == id;
    if (IsChecked(id) != wanted) SendMessageA(Item(id), BM_CLICK, 0, 0);
  }
}

bool SwitcherRun::WaitIdle(DWORD timeoutMs) const {
  // The end of the cycle re-enables the buttons, moves the focus and puts the
  // prompt back, in that order: only the prompt with OK enabled says the
  // switcher has done all of it (another process can look in between).
  DWORD start = GetTickCount();
  Sleep(50);
  while (GetTickCount() - start < timeoutMs) {
    if (!IsWindow(main_)) return true;
    if (IsWindowEnabled(Item(IDOK)) && StatusText() == kSwitcherPrompt) return true;
    Sleep(20);
  }
  return false;
}

std::string SwitcherRun::StatusText() const {
  return WindowTextOf(Item(IDC_STATUS));
}

HWND SwitcherRun::Focus() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  DWORD thread = GetWindowThreadProcessId(main_, nullptr);
  if (!GetGUIThreadInfo(thread, &info)) return nullptr;
  return info.hwndFocus;
}

std::string BackupThemePath() {
  return BinDir() + "\\TavolBackup.theme";
}
std::string RestoreThemePath() {
  return BinDir() + "\\Restore.theme";
}
std::string WallpaperPath() {
  return WindowsDir() + "\\Tavol The Corvane.BMP";
}
std::string WallpaperCopyPath() {
  return WindowsDir() + "\\Tavol The Corvane.SAV";
}
