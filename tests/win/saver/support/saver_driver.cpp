#include "saver_driver.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstring>

#include "test_art.h"
#include "win_raii.h"

namespace {

const char kSettingsKey[] = "Software\\TavolTheCorvane";
const char kIntervalValue[] = "ScreenSaverTimeBetweenArts";

bool CopyFolderFiles(const std::string& from, const std::string& to) {
  WIN32_FIND_DATAA data;
  FindHandle find(FindFirstFileA((from + "\\*").c_str(), &data));
  if (!find) return false;
  bool ok = true;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string name = data.cFileName;
    ok = CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE) && ok;
  } while (FindNextFileA(find.get(), &data));
  return ok;
}

struct WindowQuery {
  const char* className;
  DWORD processId;
  HWND parent;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam) {
  auto* q = reinterpret_cast<WindowQuery*>(lParam);
  char cls[128] = "";
  GetClassNameA(hwnd, cls, sizeof cls);
  if (std::strcmp(cls, q->className) != 0) return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (q->processId && pid != q->processId) return TRUE;
  if (q->parent && GetParent(hwnd) != q->parent) return TRUE;
  // Found once it is shown: creation ends with the window made visible.
  if (!IsWindowVisible(hwnd)) return TRUE;
  q->found = hwnd;
  return FALSE;
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam) {
  auto* q = reinterpret_cast<std::pair<const char*, std::vector<HWND>*>*>(lParam);
  char cls[128] = "";
  GetClassNameA(hwnd, cls, sizeof cls);
  if (std::strcmp(cls, q->first) == 0) q->second->push_back(hwnd);
  return TRUE;
}

}  // namespace

std::string SaverProgramPath() {
  return BinDir() + "\\Tavol The Corvane.scr";
}

SaverFolder::SaverFolder(const std::string& name) {
  dir_ = MakeTempDir("saver-" + name);
  program_ = dir_ + "\\Tavol The Corvane.scr";
  artDir_ = dir_ + "\\TAVOL";
  ok_ = CreateDirectoryA(artDir_.c_str(), nullptr) &&
        CopyFileA(SaverProgramPath().c_str(), program_.c_str(), FALSE) &&
        CopyFolderFiles(TavolArtDir(), artDir_) && FileExists(artDir_ + "\\w-logo.art");
}

SaverFolder::~SaverFolder() {
  RemoveTree(dir_);
}

void SetTimeBetweenArts(const std::string& text) {
  RegSetString(HKEY_CURRENT_USER, kSettingsKey, kIntervalValue, text);
}

void ClearSaverSettings() {
  RegDeleteTreeIn(HKEY_CURRENT_USER, kSettingsKey);
}

std::string TimeBetweenArts(bool* found) {
  return RegGetString(HKEY_CURRENT_USER, kSettingsKey, kIntervalValue, found);
}

bool SaverProcess::Start(const SaverFolder& folder, const std::string& arguments) {
  std::string line = "\"" + folder.program() + "\"";
  if (!arguments.empty()) line += " " + arguments;
  return child_.Start(line, folder.dir());
}

HWND SaverProcess::WaitForWindow(const char* className, DWORD timeoutMs) {
  WindowQuery q{className, Id(), nullptr, nullptr};
  PumpUntil(
      [&] {
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&q));
        return q.found != nullptr || !Running();
      },
      timeoutMs);
  if (!q.found) NoteEndedWithout(className);
  return q.found;
}

HWND SaverProcess::WaitForChild(HWND parent, const char* className, DWORD timeoutMs) {
  WindowQuery q{className, Id(), parent, nullptr};
  PumpUntil(
      [&] {
        EnumChildWindows(parent, MatchWindow, reinterpret_cast<LPARAM>(&q));
        return q.found != nullptr || !Running();
      },
      timeoutMs);
  if (!q.found) NoteEndedWithout(className);
  return q.found;
}

// Some tests expect no window; for the others, a saver that ended before
// showing one says how it ended in the test's output.
void SaverProcess::NoteEndedWithout(const char* className) const {
  if (Running()) return;
  std::fprintf(stderr, "the saver ended with status %lu and no \"%s\" window\n",
               static_cast<unsigned long>(ExitCode()), className);
}

bool SaverProcess::WaitForExit(DWORD timeoutMs) {
  return PumpUntil([&] { return !Running(); }, timeoutMs);
}

std::vector<DWORD> SaverProcess::Threads() const {
  std::vector<DWORD> ids;
  HANDLE raw = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (raw == INVALID_HANDLE_VALUE) return ids;
  ::Handle snapshot(raw);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot.get(), &entry); more;
       more = Thread32Next(snapshot.get(), &entry)) {
    if (entry.th32OwnerProcessID == Id()) ids.push_back(entry.th32ThreadID);
  }
  return ids;
}

std::vector<HWND> WindowsOfClass(const char* className) {
  std::vector<HWND> found;
  std::pair<const char*, std::vector<HWND>*> q{className, &found};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&q));
  return found;
}

PreviewHost::PreviewHost(int width, int height) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "LumivexPreviewMonitor";
  RegisterClassA(&wc);
  RECT frame = {0, 0, width + 40, height + 60};
  AdjustWindowRect(&frame, WS_OVERLAPPED | WS_CAPTION, FALSE);
  dialog_ = CreateWindowExA(0, "STATIC", "Display Properties",
                            WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE | WS_CLIPCHILDREN, 60, 60,
                            frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                            wc.hInstance, nullptr);
  monitor_ = CreateWindowExA(0, wc.lpszClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 20,
                             20, width, height, dialog_, nullptr, wc.hInstance, nullptr);
  PumpUntil([] { return false; }, 200);
}

PreviewHost::~PreviewHost() {
  if (IsWindow(dialog_)) DestroyWindow(dialog_);
}

std::string PreviewHost::Argument() const {
  return "/p " + std::to_string(static_cast<long long>(reinterpret_cast<INT_PTR>(monitor_)));
}

POINT PreviewHost::Origin() const {
  POINT p{0, 0};
  ClientToScreen(monitor_, &p);
  return p;
}

void PreviewHost::Close() {
  DestroyWindow(dialog_);
}
