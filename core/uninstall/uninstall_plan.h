// What the uninstaller removes and where, worked out from the Windows
// directory and the shell's special folders before anything is touched.
// Every path in a plan is absolute ("X:\..."), fits a 260-character path
// buffer, and is built only from a Windows directory that begins with a
// drive; otherwise the items that would hang on it are left out, so no step
// ever runs against a truncated, empty or relative path.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Windows of the package's programs, closed in this order.
inline constexpr char kSwitcherWindowClass[] = "TAVOLTHEME_MainClass";
inline constexpr const char* kPackageWindowClasses[] = {
    "TAVOLRESIZER_MainClass",
    kSwitcherWindowClass,
    "TAVOLPAPER_MainClass",
    "QVR_ScreenSaverClass",
};

// HKEY_CURRENT_USER: the key stays, these values go, in this order.
inline constexpr char kPackageValuesKey[] = "Software\\TavolTheCorvane";
inline constexpr const char* kPackageValues[] = {
    "PaperArtFile", "PaperDepth",    "PaperWidth", "PaperHeight",
    "PaperSpot",    "PaperSpotFont", "Lumivex",    "ScreenSaverTimeBetweenArts",
};

// HKEY_LOCAL_MACHINE: deleted in this order, the last two only when they
// have no subkey left; the company's key, which other products share, only
// when it holds no value either (the product key's values are the
// package's own).
inline constexpr const char* kPackageKeys[] = {
    "SOFTWARE\\Orvello\\TavolTheCorvane\\DesktopThemes",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QvRThemes",
};
inline constexpr char kCompanyKey[] = "SOFTWARE\\Orvello";
inline constexpr const char* kPackageKeysWhenEmpty[] = {
    "SOFTWARE\\Orvello\\TavolTheCorvane",
    kCompanyKey,
};

// The shell's progress title for the folder deletions.
inline constexpr char kUninstallProgressTitle[] = "Desktop Themes Uninstall";

enum class RemovalKind { kFile, kFolder };

struct RemovalItem {
  RemovalKind kind;
  std::string path;
};

// Where the setup program put the Start menu group and where a start-up
// shortcut lives: for every user (the NT family), and for the current user
// (the 95 family has no common folders, so the setup used these). Empty when
// the system has no such folder.
struct SpecialFolders {
  std::string commonPrograms;
  std::string commonStartup;
  std::string programs = {};
  std::string startup = {};
};

struct UninstallPlan {
  // False when the Windows directory could not be read or does not begin
  // with a drive: then everything below is empty.
  bool windowsDirUsable = false;
  std::string windowsDir;  // without a trailing backslash
  // The fixed package directory on the Windows directory's drive, and the
  // two folders removed at the end when they are empty.
  std::string packageDir;  // X:\Program Files\Plus!\Themes
  std::string plusDir;     // X:\Program Files\Plus!
  std::string switcherPath;
  std::string switcherCommandLine;  // the quoted program path and "/r"
  std::vector<RemovalItem> removals;
  std::string ownFile;        // <Windows>\qvr-kill.exe
  std::string renameList;     // <Windows>\wininit.ini
  std::string renameListNew;  // <Windows>\wininit.1
  // The list as it was, kept aside while the new one takes its place.
  std::string renameListOld;  // <Windows>\wininit.qvr
};

// windowsDir as GetWindowsDirectoryA gave it (empty when it failed).
UninstallPlan PlanUninstall(std::string_view windowsDir, const SpecialFolders& special);

// "X:" or "X:\...", with no wildcard: a path that names a place on a drive.
bool IsDrivePath(std::string_view path);

// The shell's deletion pattern for a folder's contents: folder + "\*.*".
std::string FolderContentsPattern(std::string_view folder);

// GetVersion's high bit: the Windows 95 family, which removes files at its
// next start through "wininit.ini".
bool IsWindows95Family(uint32_t version);

// The path to make the current directory for a folder written without its
// trailing backslash: a drive alone ("C:") means that drive's current folder,
// so its root is "C:\".
std::string FolderToEnter(std::string_view folder);
