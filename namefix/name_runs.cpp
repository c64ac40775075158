#include "name_runs.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "base/path_size.h"
#include "base/stdio_file.h"
#include "namefix/name_list.h"
#include "program_dir.h"
#include "win_raii.h"

namespace {

constexpr char kDefaultThemesDir[] = "d:\\rc2\\themes";

// The folder as a full path without a trailing backslash; empty when it has
// none.
std::string FullFolderPath(const std::string& dir) {
  if (dir.empty()) return "";
  char full[kPathSize];
  char* namePart = nullptr;
  const DWORD length = GetFullPathNameA(dir.c_str(), sizeof full, full, &namePart);
  if (length == 0 || length >= sizeof full) return "";
  std::string path(full, length);
  if (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

// dir + "\" + a list name ("tavol/x" is "tavol\x").
std::string Under(const std::string& dir, const std::string& name) {
  std::string path = dir + "\\" + name;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// Which file a path leads to, whatever the spelling of the path.
struct FileIdentity {
  bool known = false;
  DWORD volume = 0;
  DWORD indexHigh = 0;
  DWORD indexLow = 0;
  bool operator==(const FileIdentity& other) const {
    return known && other.known && volume == other.volume && indexHigh == other.indexHigh &&
           indexLow == other.indexLow;
  }
};

FileIdentity IdentityOf(const std::string& path) {
  FileIdentity identity;
  HANDLE raw = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (raw == INVALID_HANDLE_VALUE) return identity;
  Handle file(raw);
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(file.get(), &info)) {
    identity = {true, info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  }
  return identity;
}

// The list file is left out of a listing: it must outlive the run.
struct ListFile {
  std::string path;
  FileIdentity identity;
};

bool IsListFile(const std::string& dir, const WIN32_FIND_DATAA& data, const ListFile& list) {
  const std::string path = Under(dir, data.cFileName);
  if (lstrcmpiA(path.c_str(), list.path.c_str()) == 0) return true;
  if (lstrcmpiA(data.cFileName, kListFileName) != 0 &&
      lstrcmpiA(data.cAlternateFileName, kListFileName) != 0) {
    return false;
  }
  return IdentityOf(path) == list.identity;
}

// The names of the folder's files (not folders) but the list file. False
// when the folder cannot be listed.
bool ListFiles(const std::string& dir, const ListFile& list, std::vector<std::string>* names) {
  WIN32_FIND_DATAA data;
  FindHandle find(FindFirstFileA((dir + "\\*.*").c_str(), &data));
  if (!find) return false;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (IsListFile(dir, data, list)) continue;
    names->push_back(data.cFileName);
  } while (FindNextFileA(find.get(), &data));
  return true;
}

// Whether a file the list numbered is still in the folder under its number.
bool ListStillNumbersFiles(const std::string& listPath, const std::string& dir) {
  std::string text;
  if (!ReadTextFile(listPath.c_str(), &text)) return false;
  for (const BackRename& rename : PlanBackRun(text)) {
    if (GetFileAttributesA(Under(dir, rename.from).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  }
  return false;
}

bool WriteList(const std::string& path, const std::string& text) {
  StdioFile file(path.c_str(), "wt");
  if (!file) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
  return file.Close() == 0 && written;
}

}  // namespace

NamefixState LoadNamefixState(const char* commandLine) {
  NamefixState state;
  const bool given = commandLine && *commandLine;
  state.themesDir = given ? commandLine : kDefaultThemesDir;
  if (state.themesDir.size() >= kPathSize) state.themesDir.clear();
  char dir[kPathSize];
  if (GetProgramDir(dir, sizeof dir)) {
    state.programDir = dir;
    state.listPath = state.programDir + "\\" + kListFileName;
  }
  return state;
}

ForwardResult ForwardRun(const NamefixState& state) {
  const std::string dir = FullFolderPath(state.themesDir);
  if (dir.empty() || state.listPath.empty()) return ForwardResult::kNotRun;
  if (ListStillNumbersFiles(state.listPath, dir)) return ForwardResult::kNamesNotRestored;
  if (!SetCurrentDirectoryA(dir.c_str())) return ForwardResult::kNotRun;
  const ListFile list{state.listPath, IdentityOf(state.listPath)};
  std::vector<std::string> top, sub;
  bool ran = ListFiles(dir, list, &top);
  const std::string subDir = Under(dir, kSubfolderName);
  if (ran && SetCurrentDirectoryA(subDir.c_str())) {
    if (!ListFiles(subDir, list, &sub)) sub.clear();
    SetCurrentDirectoryA(dir.c_str());
  }
  ForwardPlan plan;
  if (ran) {
    plan = PlanForwardRun(top, sub);
    ran = WriteList(state.listPath, plan.listText);
  }
  if (ran) {
    for (const ForwardRename& rename : plan.renames) {
      const std::string& folder = rename.inSubfolder ? subDir : dir;
      MoveFileA(Under(folder, rename.name).c_str(), Under(folder, rename.number).c_str());
    }
  }
  SetCurrentDirectoryA(state.programDir.c_str());
  return ran ? ForwardResult::kDone : ForwardResult::kNotRun;
}

bool BackRun(const NamefixState& state) {
  std::string text;
  if (state.listPath.empty() || !ReadTextFile(state.listPath.c_str(), &text)) return false;
  const std::string dir = FullFolderPath(state.themesDir);
  if (dir.empty() || !SetCurrentDirectoryA(dir.c_str())) return false;
  for (const BackRename& rename : PlanBackRun(text)) {
    MoveFileA(Under(dir, rename.from).c_str(), Under(dir, rename.to).c_str());
  }
  return true;
}
