#include "winsupport.h"

#include "thread_start.h"
#include "win_raii.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

std::string BinDir() {
  char path[MAX_PATH + 1];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string dir(path, n);
  return dir.substr(0, dir.find_last_of('\\'));
}

std::string WindowsDir() {
  char dir[MAX_PATH + 1];
  UINT n = GetWindowsDirectoryA(dir, sizeof dir);
  return std::string(dir, n);
}

ChildProcess::~ChildProcess() {
  Kill();
  if (info_.hProcess) CloseHandle(info_.hProcess);
  if (info_.hThread) CloseHandle(info_.hThread);
}

bool ChildProcess::Start(const std::string& commandLine, const std::string& workDir) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     workDir.empty() ? nullptr : workDir.c_str(), &startup, &info_)) {
    return true;
  }
  // In the test's output, so that a program that could not start is told
  // apart from one that started and misbehaved; the error stays the last.
  const DWORD error = GetLastError();
  std::fprintf(stderr, "%s did not start (error %lu)\n", commandLine.c_str(),
               static_cast<unsigned long>(error));
  SetLastError(error);
  return false;
}

bool ChildProcess::Wait(DWORD timeoutMs) {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

DWORD ChildProcess::ExitCode() const {
  DWORD code = 0xFFFFFFFF;
  if (info_.hProcess) GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

void ChildProcess::Kill() {
  if (info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(info_.hProcess, 0xDEAD);
    WaitForSingleObject(info_.hProcess, 5000);
  }
}

DWORD RunProgram(const std::string& commandLine, DWORD timeoutMs) {
  ChildProcess child;
  if (!child.Start(commandLine)) return 0xFFFFFFFF;
  if (!child.Wait(timeoutMs)) {
    std::fprintf(stderr, "RunProgram: %s still runs after %lu ms\n", commandLine.c_str(),
                 static_cast<unsigned long>(timeoutMs));
    return 0xFFFFFFFF;
  }
  return child.ExitCode();
}

namespace {

struct FindDialogQuery {
  const std::string* title;
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindDialogProc(HWND hwnd, LPARAM lParam) {
  auto* query = reinterpret_cast<FindDialogQuery*>(lParam);
  char cls[64] = "";
  GetClassNameA(hwnd, cls, sizeof cls);
  if (std::strcmp(cls, "#32770") != 0) return TRUE;
  char title[256] = "";
  GetWindowTextA(hwnd, title, sizeof title);
  if (*query->title != title) return TRUE;
  if (query->processId) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != query->processId) return TRUE;
  }
  query->found = hwnd;
  return FALSE;
}

}  // namespace

HWND FindDialog(const std::string& title, DWORD processId, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    FindDialogQuery query{&title, processId, nullptr};
    EnumWindows(FindDialogProc, reinterpret_cast<LPARAM>(&query));
    if (query.found) return query.found;
    if (GetTickCount() - start > timeoutMs) return nullptr;
    Sleep(20);
  }
}

std::string DialogText(HWND dialog) {
  // A message box shows its text in the static control with id 0xFFFF.
  char text[4096] = "";
  GetDlgItemTextA(dialog, 0xFFFF, text, sizeof text);
  return text;
}

DialogAnswerer::DialogAnswerer(std::string title, int answer, DWORD timeoutMs)
    : title_(std::move(title)), answer_(answer), timeoutMs_(timeoutMs) {
  thread_ = StartThread(Watch, this);
}

DWORD WINAPI DialogAnswerer::Watch(LPVOID parameter) {
  auto* self = static_cast<DialogAnswerer*>(parameter);
  const DWORD start = GetTickCount();
  while (!self->stop_ && GetTickCount() - start < self->timeoutMs_) {
    HWND box = FindDialog(self->title_, GetCurrentProcessId(), 0);
    if (box) {
      Sleep(50);  // let the box finish setting itself up
      self->seen_.found = true;
      self->seen_.title = self->title_;
      self->seen_.text = DialogText(box);
      PostMessageA(box, WM_COMMAND, self->answer_, 0);
      return 0;
    }
    Sleep(20);
  }
  return 0;
}

void DialogAnswerer::Join() {
  if (!thread_) return;
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  thread_ = nullptr;
}

DialogAnswerer::~DialogAnswerer() {
  stop_ = true;
  Join();
}

SeenDialog DialogAnswerer::Result() {
  Join();
  return seen_;
}

bool RegSetString(HKEY root, const std::string& key, const char* name, const std::string& value) {
  HKEY h;
  if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  LONG rc = RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>(value.size() + 1));
  RegCloseKey(h);
  return rc == ERROR_SUCCESS;
}

std::string RegGetString(HKEY root, const std::string& key, const char* name, bool* found) {
  if (found) *found = false;
  HKEY h;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS) return "";
  char buffer[4096];
  DWORD size = sizeof buffer - 1;
  DWORD type = 0;
  LONG rc = RegQueryValueExA(h, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(h);
  if (rc != ERROR_SUCCESS) return "";
  if (found) *found = true;
  buffer[size] = '\0';
  return buffer;
}

bool RegDeleteValueIn(HKEY root, const std::string& key, const char* name) {
  HKEY h;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_SET_VALUE, &h) != ERROR_SUCCESS) return false;
  LONG rc = RegDeleteValueA(h, name);
  RegCloseKey(h);
  return rc == ERROR_SUCCESS;
}

bool RegKeyExists(HKEY root, const std::string& key) {
  HKEY h;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

void RegDeleteTreeIn(HKEY root, const std::string& key) {
  HKEY h;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return;
  char child[256];
  while (RegEnumKeyA(h, 0, child, sizeof child) == ERROR_SUCCESS) {
    RegDeleteTreeIn(root, key + "\\" + child);
  }
  RegCloseKey(h);
  RegDeleteKeyA(root, key.c_str());
}

std::string ProfileGet(const std::string& file, const char* section, const char* key,
                       const char* def) {
  char buffer[16384];
  GetPrivateProfileStringA(section, key, def, buffer, sizeof buffer, file.c_str());
  return buffer;
}

void ProfileSet(const std::string& file, const char* section, const char* key, const char* value) {
  WritePrivateProfileStringA(section, key, value, file.c_str());
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA data;
  // The listing is closed before the folder itself goes.
  if (FindHandle find(FindFirstFileA((path + "\\*").c_str(), &data)); find) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = path + "\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(find.get(), &data));
  }
  RemoveDirectoryA(path.c_str());
}

bool CopyTree(const std::string& from, const std::string& to) {
  CreateDirectoryA(to.c_str(), nullptr);
  WIN32_FIND_DATAA data;
  FindHandle find(FindFirstFileA((from + "\\*").c_str(), &data));
  if (!find) return false;
  bool copied = true;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      copied = CopyTree(from + "\\" + name, to + "\\" + name) && copied;
    } else {
      copied = CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE) && copied;
    }
  } while (FindNextFileA(find.get(), &data));
  return copied;
}

std::string MakeTempDir(const std::string& name) {
  char temp[MAX_PATH + 1];
  GetTempPathA(sizeof temp, temp);
  std::string dir = std::string(temp) + "lumivex-" + name;
  RemoveTree(dir);
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

std::string WindowTextOf(HWND hwnd) {
  char text[1024] = "";
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                           SMTO_ABORTIFHUNG, 5000, &copied)) {
    return "";
  }
  return std::string(text, copied);
}
