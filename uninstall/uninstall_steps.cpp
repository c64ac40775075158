#include "uninstall_steps.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/path_size.h"
#include "base/stdio_file.h"
#include "package_paths.h"
#include "uninstall/rename_list.h"
#include "win_raii.h"

namespace {

// A shell item list, freed with the shell's allocator.
class ShellItemList {
 public:
  ShellItemList() = default;
  ~ShellItemList() {
    IMalloc* allocator = nullptr;
    if (list_ && SUCCEEDED(SHGetMalloc(&allocator))) {
      allocator->Free(list_);
      allocator->Release();
    }
  }
  ShellItemList(const ShellItemList&) = delete;
  ShellItemList& operator=(const ShellItemList&) = delete;
  LPITEMIDLIST* out() { return &list_; }
  LPCITEMIDLIST get() const { return list_; }

 private:
  LPITEMIDLIST list_ = nullptr;
};

// The way Windows 95's shell (4.00) has: SHGetSpecialFolderPathA came with
// the Internet Explorer 4 desktop update. The 95 family has no common
// folders; those then come back empty.
std::string SpecialFolder(int csidl) {
  ShellItemList list;
  char path[MAX_PATH + 1] = "";
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, list.out())) || !list.get() ||
      !SHGetPathFromIDListA(list.get(), path)) {
    return "";
  }
  return path;
}

// Each close request returns once the window has handled it, so a switcher
// with unapplied changes has asked its question and been answered. The
// switcher's revert run ends at once while another switcher runs, and after
// "Yes" that one first applies the changes: the uninstaller waits until it
// has ended (after "Cancel", until the user closes it).
void CloseRunningParts() {
  for (const char* windowClass : kPackageWindowClasses) {
    HWND window = FindWindowA(windowClass, nullptr);
    if (!window) continue;
    SendMessageA(window, WM_CLOSE, 0, 0);
    if (lstrcmpA(windowClass, kSwitcherWindowClass) == 0) {
      while (IsWindow(window)) Sleep(100);
    }
  }
}

// The program path is quoted: it has blanks, and the switcher takes exactly
// "/r" as its command line.
void RunSwitcherRevert(const UninstallPlan& plan) {
  if (plan.switcherCommandLine.empty()) return;
  std::vector<char> commandLine(plan.switcherCommandLine.begin(), plan.switcherCommandLine.end());
  commandLine.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(plan.switcherPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, plan.packageDir.c_str(), &startup, &info)) {
    return;
  }
  Handle process(info.hProcess);
  Handle thread(info.hThread);
  WaitForSingleObject(process.get(), INFINITE);
}

void DeletePackageValues() {
  RegKey key;
  if (!key.Open(HKEY_CURRENT_USER, kPackageValuesKey, KEY_ALL_ACCESS)) return;
  for (const char* value : kPackageValues) RegDeleteValueA(key.get(), value);
  RegFlushKey(key.get());
}

// Only "no more items" means none; any other answer keeps the key.
bool MayDelete(HKEY root, const char* path, bool mustHoldNoValue) {
  RegKey key;
  if (!key.Open(root, path, KEY_ALL_ACCESS)) return false;
  char name[MAX_PATH + 1];
  if (RegEnumKeyA(key.get(), 0, name, sizeof name) != ERROR_NO_MORE_ITEMS) return false;
  if (!mustHoldNoValue) return true;
  DWORD nameSize = sizeof name;
  return RegEnumValueA(key.get(), 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr) ==
         ERROR_NO_MORE_ITEMS;
}

void DeletePackageKeys() {
  for (const char* key : kPackageKeys) RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
  for (const char* key : kPackageKeysWhenEmpty) {
    const bool company = lstrcmpiA(key, kCompanyKey) == 0;
    if (MayDelete(HKEY_LOCAL_MACHINE, key, company)) RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
  }
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The shell empties the folder; its source list ends in two zeros.
void EmptyFolder(const std::string& folder) {
  std::string from = FolderContentsPattern(folder);
  from.push_back('\0');
  SHFILEOPSTRUCTA operation{};
  operation.hwnd = nullptr;
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION;
  operation.lpszProgressTitle = kUninstallProgressTitle;
  SHFileOperationA(&operation);
}

void RemoveItem(const RemovalItem& item) {
  if (item.kind == RemovalKind::kFile) {
    DeleteFileA(item.path.c_str());
  } else if (IsFolder(item.path)) {
    EmptyFolder(item.path);
    RemoveDirectoryA(item.path.c_str());
  }
}

bool WriteTextFile(const std::string& path, const std::string& text) {
  StdioFile file(path.c_str(), "wt");
  if (!file) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
  return file.Close() == 0 && written;
}

// The old list is replaced only by a new one written in full. Windows 95
// has no replace in one step, so the old list stays on disk under another
// name until the new one is in its place: a stop at any moment leaves every
// other program's entries in one of the files, and the next run takes a list
// kept aside back first. A read-only list is made writable for the change
// and gets its attributes back.
void EnterRenameList(const UninstallPlan& plan) {
  if (plan.renameList.empty() || plan.renameListNew.empty() || plan.renameListOld.empty()) return;
  const char* list = plan.renameList.c_str();
  const char* aside = plan.renameListOld.c_str();
  if (GetFileAttributesA(list) == INVALID_FILE_ATTRIBUTES &&
      GetFileAttributesA(aside) != INVALID_FILE_ATTRIBUTES) {
    MoveFileA(aside, list);
  }
  const DWORD attributes = GetFileAttributesA(list);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    WriteTextFile(plan.renameList, NewRenameList(plan.ownFile));
    return;
  }
  std::string old;
  if (!ReadTextFile(list, &old)) return;  // there but unreadable: left as it is
  if (!WriteTextFile(plan.renameListNew, MergeRenameList(old, plan.ownFile))) {
    DeleteFileA(plan.renameListNew.c_str());
    return;
  }
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    SetFileAttributesA(list, attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  DeleteFileA(aside);
  if (!MoveFileA(list, aside)) {
    SetFileAttributesA(list, attributes);
    DeleteFileA(plan.renameListNew.c_str());
    return;
  }
  if (!MoveFileA(plan.renameListNew.c_str(), list)) {
    MoveFileA(aside, list);
    SetFileAttributesA(list, attributes);
    return;
  }
  SetFileAttributesA(list, attributes);
  DeleteFileA(aside);
}

// Windows 95 reads "wininit.ini" at its next start; the NT family keeps
// its own list of pending renames.
void QueueOwnFileDeletion(const UninstallPlan& plan) {
  if (plan.ownFile.empty()) return;
  if (IsWindows95Family(GetVersion())) {
    EnterRenameList(plan);
  } else {
    MoveFileExA(plan.ownFile.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
}

// An empty folder can still be some process's current directory for a
// moment: a helper that the switcher's shell notification started inherits
// the package directory and outlives the switcher briefly (under Wine, the
// menu builder). A folder in use is tried again for a short while; one that
// is not empty stays at once.
void RemoveEmptyFolder(const std::string& path) {
  for (int attempt = 0; attempt < 30; ++attempt) {
    if (RemoveDirectoryA(path.c_str()) || GetLastError() != ERROR_SHARING_VIOLATION) return;
    Sleep(100);
  }
}

// By full path, after leaving the package directory: a folder that is the
// current directory cannot be removed, and a relative ".." could lead
// elsewhere when the package directory was never entered.
void RemovePackageFolders(const UninstallPlan& plan) {
  if (plan.packageDir.empty()) return;
  SetCurrentDirectoryA(FolderToEnter(plan.windowsDir).c_str());
  RemoveEmptyFolder(plan.packageDir);
  RemoveEmptyFolder(plan.plusDir);
}

}  // namespace

UninstallPlan LoadUninstallPlan() {
  char windowsDir[kPathSize];
  // Left empty when it cannot be read; the plan then holds nothing on it.
  GetWindowsDir(windowsDir, sizeof windowsDir);
  SpecialFolders special{SpecialFolder(CSIDL_COMMON_PROGRAMS), SpecialFolder(CSIDL_COMMON_STARTUP),
                         SpecialFolder(CSIDL_PROGRAMS), SpecialFolder(CSIDL_STARTUP)};
  return PlanUninstall(windowsDir, special);
}

void RunUninstall(const UninstallPlan& plan) {
  CloseRunningParts();
  // Without a Windows directory nothing of the package can be found or
  // reverted; its registry entries stay too, so that it is still listed as
  // installed and can be uninstalled once the system is sound.
  if (!plan.windowsDirUsable) return;
  if (!plan.packageDir.empty()) SetCurrentDirectoryA(plan.packageDir.c_str());
  RunSwitcherRevert(plan);
  DeletePackageValues();
  DeletePackageKeys();
  for (const RemovalItem& item : plan.removals) RemoveItem(item);
  QueueOwnFileDeletion(plan);
  RemovePackageFolders(plan);
}
