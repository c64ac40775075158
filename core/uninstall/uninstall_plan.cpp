#include "uninstall/uninstall_plan.h"

#include <cctype>

#include "base/path_size.h"

namespace {

constexpr size_t kMaxPath = kPathSize - 1;
constexpr std::string_view kAllFiles = "\\*.*";
constexpr std::string_view kStartMenuGroup = "Tavol The Corvane";
constexpr std::string_view kStartupShortcut = "Qvr  Wallpaper Resizer.lnk";

// path without one trailing backslash ("C:\" is the drive "C:").
std::string_view TrimSlash(std::string_view path) {
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return path;
}

std::string Join(std::string_view dir, std::string_view name) {
  std::string path(dir);
  path += '\\';
  path += name;
  return path;
}

bool SamePath(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// A special folder is used only as a full path below a drive's root.
bool IsUsableFolder(std::string_view folder) {
  return folder.size() >= 3 && folder[2] == '\\' && IsDrivePath(folder);
}

class RemovalList {
 public:
  explicit RemovalList(std::vector<RemovalItem>* items) : items_(items) {}

  void File(std::string path) { Add(RemovalKind::kFile, std::move(path)); }
  void Folder(std::string path) { Add(RemovalKind::kFolder, std::move(path)); }

 private:
  void Add(RemovalKind kind, std::string path) {
    // A folder's pattern must fit the buffer as well as the folder.
    const size_t room = kind == RemovalKind::kFolder ? kMaxPath - kAllFiles.size() : kMaxPath;
    if (path.size() > room) return;
    for (const RemovalItem& item : *items_) {
      if (SamePath(item.path, path)) return;
    }
    items_->push_back({kind, std::move(path)});
  }
  std::vector<RemovalItem>* items_;
};

}  // namespace

bool IsDrivePath(std::string_view path) {
  if (path.size() < 2 || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':') {
    return false;
  }
  if (path.size() > 2 && path[2] != '\\') return false;  // "C:windows" is relative
  return path.find_first_of("*?") == std::string_view::npos &&
         path.find('\0') == std::string_view::npos;
}

std::string FolderContentsPattern(std::string_view folder) {
  std::string pattern(folder);
  pattern += kAllFiles;
  return pattern;
}

std::string FolderToEnter(std::string_view folder) {
  std::string path(folder);
  if (path.size() == 2 && path[1] == ':') path += '\\';
  return path;
}

bool IsWindows95Family(uint32_t version) {
  return (version & 0x80000000u) != 0;
}

UninstallPlan PlanUninstall(std::string_view windowsDir, const SpecialFolders& special) {
  UninstallPlan plan;
  if (!IsDrivePath(windowsDir) || windowsDir.size() > kMaxPath) return plan;
  const std::string w(TrimSlash(windowsDir));
  plan.windowsDirUsable = true;
  plan.windowsDir = w;
  const std::string p = w.substr(0, 2) + "\\Program Files\\Plus!\\Themes";
  plan.packageDir = p;
  plan.plusDir = w.substr(0, 2) + "\\Program Files\\Plus!";
  plan.switcherPath = Join(p, "switcher.exe");
  plan.switcherCommandLine = "\"" + plan.switcherPath + "\" /r";

  RemovalList list(&plan.removals);
  list.File(Join(w, "Tavol The Corvane.scr"));
  list.Folder(Join(w, "tavol"));
  list.File(Join(p, "switcher.exe"));
  list.File(Join(p, "Tavol The Corvane BLACK.theme"));
  list.File(Join(p, "Tavol The Corvane BLUE.theme"));
  list.File(Join(p, "Tavol The Corvane GREEN.theme"));
  list.File(Join(p, "Tavol The Corvane RED.theme"));
  list.File(Join(p, "Tavol The Corvane WHITE.theme"));
  list.File(Join(p, "TavolBackup.theme"));
  list.Folder(Join(p, "tavol"));
  list.File(Join(p, "resizer.exe"));
  list.File(Join(p, "picker.exe"));
  list.Folder(Join(p, "wallart"));
  list.File(Join(w, "Tavol The Corvane.bmp"));
  list.File(Join(p, "after.exe"));
  // The Start menu group and the start-up shortcut where Windows 95 keeps
  // them, and where the setup program put them, for every user or for this
  // one.
  list.Folder(Join(w, std::string("Start Menu\\Programs\\").append(kStartMenuGroup)));
  for (const std::string* programs : {&special.commonPrograms, &special.programs}) {
    if (IsUsableFolder(*programs)) list.Folder(Join(TrimSlash(*programs), kStartMenuGroup));
  }
  list.File(Join(w, std::string("Start Menu\\Programs\\StartUp\\").append(kStartupShortcut)));
  for (const std::string* startup : {&special.commonStartup, &special.startup}) {
    if (IsUsableFolder(*startup)) list.File(Join(TrimSlash(*startup), kStartupShortcut));
  }

  plan.ownFile = Join(w, "qvr-kill.exe");
  plan.renameList = Join(w, "wininit.ini");
  plan.renameListNew = Join(w, "wininit.1");
  plan.renameListOld = Join(w, "wininit.qvr");
  // Paths longer than a buffer are never used cut short.
  for (std::string* path : {&plan.packageDir, &plan.plusDir, &plan.switcherPath, &plan.ownFile,
                            &plan.renameList, &plan.renameListNew, &plan.renameListOld}) {
    if (path->size() > kMaxPath) path->clear();
  }
  if (plan.switcherPath.empty()) plan.switcherCommandLine.clear();
  return plan;
}
