// Runs the screen saver "Tavol The Corvane.scr" as the system would, from a
// folder of its own, and finds its windows and threads from outside.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "winsupport.h"

// The program as the build made it.
std::string SaverProgramPath();

// A fresh folder with a copy of the program and the product art in its
// "TAVOL" subfolder (from the Windows directory's, where the package puts
// it), so that "spot.sav" and "assertFile.txt" are the test's own. The folder
// goes with the object.
class SaverFolder {
 public:
  explicit SaverFolder(const std::string& name);
  ~SaverFolder();
  SaverFolder(const SaverFolder&) = delete;
  SaverFolder& operator=(const SaverFolder&) = delete;

  bool ok() const { return ok_; }
  const std::string& dir() const { return dir_; }
  const std::string& program() const { return program_; }
  const std::string& artDir() const { return artDir_; }
  std::string SpotFile() const { return dir_ + "\\spot.sav"; }
  std::string AssertLog() const { return dir_ + "\\assertFile.txt"; }

 private:
  std::string dir_;
  std::string program_;
  std::string artDir_;
  bool ok_ = false;
};

// The registry value the saver reads its interval from.
void SetTimeBetweenArts(const std::string& text);
void ClearSaverSettings();
std::string TimeBetweenArts(bool* found);

// A saver process started with a command line (after the program's path).
class SaverProcess {
 public:
  bool Start(const SaverFolder& folder, const std::string& arguments);
  // The process's visible top-level window of this class, within timeoutMs
  // (the calling thread's messages are pumped meanwhile).
  HWND WaitForWindow(const char* className, DWORD timeoutMs);
  // The process's visible child window of this class under parent.
  HWND WaitForChild(HWND parent, const char* className, DWORD timeoutMs);
  // Waits for the end, pumping this thread's messages; true when it ended.
  bool WaitForExit(DWORD timeoutMs);
  DWORD ExitCode() const { return child_.ExitCode(); }
  DWORD Id() const { return child_.Id(); }
  HANDLE Handle() const { return child_.Handle(); }
  bool Running() const { return WaitForSingleObject(child_.Handle(), 0) == WAIT_TIMEOUT; }
  // Ids of the process's threads now.
  std::vector<DWORD> Threads() const;
  void Kill() { child_.Kill(); }

 private:
  void NoteEndedWithout(const char* className) const;

  ChildProcess child_;
};

// A window standing in for the Display Properties dialog, its "monitor" a
// child of the preview's size.
class PreviewHost {
 public:
  PreviewHost(int width, int height);
  ~PreviewHost();
  PreviewHost(const PreviewHost&) = delete;
  PreviewHost& operator=(const PreviewHost&) = delete;
  HWND monitor() const { return monitor_; }
  // The saver's command line for a preview in the monitor.
  std::string Argument() const;
  POINT Origin() const;
  void Close();

 private:
  HWND dialog_ = nullptr;
  HWND monitor_ = nullptr;
};

// The top-level windows of a class in any process.
std::vector<HWND> WindowsOfClass(const char* className);
