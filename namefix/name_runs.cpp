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

// The names of the folder's files (not folders), leaving out the list file
// itself, which must outlive the run. False when the folder cannot be
// listed.
bool ListFiles(const std::string& dir, const std::string& listPath,
               std::vector<std::string>* names) {
  WIN32_FIND_DATAA data;
  FindHandle find(FindFirstFileA((dir + "\\*.*").c_str(), &data));
  if (!find) return false;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (lstrcmpiA(Under(dir, data.cFileName).c_str(), listPath.c_str()) == 0) continue;
    names->push_back(data.cFileName);
  } while (FindNextFileA(find.get(), &data));
  return true;
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

bool ForwardRun(const NamefixState& state) {
  const std::string dir = FullFolderPath(state.themesDir);
  if (dir.empty() || state.listPath.empty() || !SetCurrentDirectoryA(dir.c_str())) return false;
  std::vector<std::string> top, sub;
  bool ran = ListFiles(dir, state.listPath, &top);
  const std::string subDir = Under(dir, kSubfolderName);
  if (ran && SetCurrentDirectoryA(subDir.c_str())) {
    if (!ListFiles(subDir, state.listPath, &sub)) sub.clear();
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
  return ran;
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
