// Helpers for the Windows-side tests: child processes, message boxes that a
// program shows, the registry, profile files and a host window for the
// installer.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

// The directory the test executable (and every program of the build) is in.
std::string BinDir();
std::string WindowsDir();

// A started program. The destructor kills it if it is still running.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // commandLine includes the program path (quoted when it has blanks).
  bool Start(const std::string& commandLine, const std::string& workDir = "");
  // Waits up to timeoutMs; true when the process ended.
  bool Wait(DWORD timeoutMs);
  DWORD ExitCode() const;
  DWORD Id() const { return info_.dwProcessId; }
  HANDLE Handle() const { return info_.hProcess; }
  void Kill();

 private:
  PROCESS_INFORMATION info_{};
};

// Runs a program to its end; returns its exit code, or 0xFFFFFFFF on time-out
// (the process is killed then).
DWORD RunProgram(const std::string& commandLine, DWORD timeoutMs = 30000);

// The text of a message box (its static control) and its title.
struct SeenDialog {
  bool found = false;
  std::string title;
  std::string text;
  DWORD processId = 0;
};

// Finds a top-level dialog ("#32770") with the given title, optionally of one
// process, within timeoutMs.
HWND FindDialog(const std::string& title, DWORD processId, DWORD timeoutMs);
std::string DialogText(HWND dialog);

// Watches on a thread of its own for a dialog with this title, records its
// text and answers it with the command id (IDOK, IDYES, ...). For boxes that
// the test's own thread shows (and so blocks on).
class DialogAnswerer {
 public:
  DialogAnswerer(std::string title, int answer, DWORD timeoutMs = 20000);
  ~DialogAnswerer();
  // Waits for the watcher to finish and returns what it saw.
  SeenDialog Result();

 private:
  static DWORD WINAPI Watch(LPVOID self);
  void Join();

  std::string title_;
  int answer_;
  DWORD timeoutMs_;
  HANDLE thread_ = nullptr;
  SeenDialog seen_;
  std::atomic<bool> stop_{false};
};

// Registry (HKCU unless said otherwise).
bool RegSetString(HKEY root, const std::string& key, const char* name, const std::string& value);
// Reads a string; found is false when the key or value is missing.
std::string RegGetString(HKEY root, const std::string& key, const char* name,
                         bool* found = nullptr);
bool RegDeleteValueIn(HKEY root, const std::string& key, const char* name);
bool RegKeyExists(HKEY root, const std::string& key);
void RegDeleteTreeIn(HKEY root, const std::string& key);

// Profile files.
std::string ProfileGet(const std::string& file, const char* section, const char* key,
                       const char* def = "");
void ProfileSet(const std::string& file, const char* section, const char* key, const char* value);

// Files.
bool FileExists(const std::string& path);
std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// A fresh, empty directory under the system's temporary directory.
std::string MakeTempDir(const std::string& name);
void RemoveTree(const std::string& path);
// Copies a folder with everything in it; false when anything was not copied.
bool CopyTree(const std::string& from, const std::string& to);

// A window's text as the window itself answers WM_GETTEXT (for controls
// that keep their own text, such as status bars and tooltips, also in
// another process).
std::string WindowTextOf(HWND hwnd);

// Pumps this thread's messages until done() is true or timeoutMs passes.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
