// The package from its setup program to its uninstaller, in a fresh prefix
// of its own (scripts/run-wine-tests.sh): the setup program installs it
// silently, the installed switcher applies a theme with OK, and the
// installed qvr-kill takes it all away again. Each test starts and ends with
// the package not installed, so they run in either order.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <string>

#include "resource.h"
#include "switcher_driver.h"
#include "system_state.h"
#include "uninstall/uninstall_plan.h"
#include "winsupport.h"

namespace {

const char kAppDefaults[] = "Software\\Wine\\AppDefaults\\qvr-kill.exe";
const char kOrvello[] = "SOFTWARE\\Orvello";
const char kOtherProduct[] = "SOFTWARE\\Orvello\\Other Game";
const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char kDesktop[] = "Control Panel\\Desktop";
const char* const kWallpaperValues[] = {"Wallpaper", "TileWallpaper", "WallpaperStyle"};

// The setup program that carries this build's programs.
std::string SetupProgram() {
#if defined(_WIN64)
  return BinDir() + "\\..\\..\\package\\DesktopLumivexSetup.exe";
#else
  return BinDir() + "\\..\\..\\package\\DesktopLumivexSetup-x86.exe";
#endif
}

std::string SpecialFolder(int csidl) {
  char path[MAX_PATH + 1] = "";
  SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE);
  return path;
}

struct Desktop {
  SystemView view;
  std::string wallpaper[3];
  bool wallpaperFound[3] = {};
  std::string screenSaver;
};

Desktop TakeDesktop() {
  Desktop d;
  d.view = ReadSystemView();
  for (int i = 0; i < 3; ++i) {
    d.wallpaper[i] =
        RegGetString(HKEY_CURRENT_USER, kDesktop, kWallpaperValues[i], &d.wallpaperFound[i]);
  }
  d.screenSaver = ProfileGet("system.ini", "boot", "SCRNSAVE.EXE");
  return d;
}

void ExpectSameDesktop(const Desktop& before, const Desktop& after) {
  ASSERT_TRUE(before.view.ok && after.view.ok);
  for (int i = 0; i < kColourCount; ++i) EXPECT_EQ(after.view.sys[i], before.view.sys[i]) << i;
  EXPECT_TRUE(SameMetricsBytes(&after.view.icon, &before.view.icon, sizeof after.view.icon));
  EXPECT_TRUE(
      SameMetricsBytes(&after.view.nonclient, &before.view.nonclient, sizeof after.view.nonclient));
  // The bitmap by name; tiling and style as the numbers the system takes
  // from them (a missing value counts as 0, like an empty one).
  EXPECT_EQ(after.wallpaperFound[0], before.wallpaperFound[0]);
  EXPECT_EQ(after.wallpaper[0], before.wallpaper[0]);
  for (int i = 1; i < 3; ++i) {
    SCOPED_TRACE(kWallpaperValues[i]);
    EXPECT_EQ(std::atoi(after.wallpaper[i].c_str()), std::atoi(before.wallpaper[i].c_str()));
  }
  EXPECT_EQ(after.screenSaver, before.screenSaver);
}

// The names in a folder, for failure messages.
std::string Listing(const std::string& dir) {
  std::string names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    names += std::string(data.cFileName) + " ";
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

bool PendingDeletionOf(const std::string& path) {
  HKEY h;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS)
    return false;
  std::string data(65536, '\0');
  DWORD size = static_cast<DWORD>(data.size()) - 2;
  LONG rc = RegQueryValueExA(h, "PendingFileRenameOperations", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(&data[0]), &size);
  RegCloseKey(h);
  if (rc != ERROR_SUCCESS) return false;
  data.resize(size);
  const std::string entry = std::string("\\??\\") + path + '\0' + '\0';
  return data.find(entry) != std::string::npos;
}

class UninstallPackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FileExists(SetupProgram())) << SetupProgram() << " is missing (make package)";
    plan_ = PlanUninstall(
        WindowsDir(), {SpecialFolder(CSIDL_COMMON_PROGRAMS), SpecialFolder(CSIDL_COMMON_STARTUP),
                       SpecialFolder(CSIDL_PROGRAMS), SpecialFolder(CSIDL_STARTUP)});
    ASSERT_TRUE(plan_.windowsDirUsable);
    ASSERT_FALSE(FileExists(plan_.switcherPath))
        << "the package is installed already; these tests need a prefix without it";
  }
  void TearDown() override {
    RegDeleteTreeIn(HKEY_LOCAL_MACHINE, kOtherProduct);
    RegDeleteTreeIn(HKEY_CURRENT_USER, kAppDefaults);
    DeleteFileA((plan_.packageDir + "\\my notes.txt").c_str());
    RemoveDirectoryA(plan_.packageDir.c_str());
    RemoveDirectoryA(plan_.plusDir.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kOrvello);
    DeleteFileA((plan_.windowsDir + "\\wininit.bak").c_str());
  }

  // The setup program, then green with every part and OK in the installed
  // switcher.
  void InstallAndApply() {
    ASSERT_EQ(RunProgram("\"" + SetupProgram() + "\" /S", 180000), 0u);
    ASSERT_TRUE(FileExists(plan_.ownFile));
    ASSERT_TRUE(FileExists(plan_.switcherPath));
    // The list of installed programs runs the uninstaller.
    ASSERT_EQ(RegGetString(HKEY_LOCAL_MACHINE, kPackageKeys[1], "UninstallString"), plan_.ownFile);
    ChildProcess child;
    ASSERT_TRUE(child.Start("\"" + plan_.switcherPath + "\"", plan_.packageDir));
    HWND main = nullptr;
    for (int i = 0; i < 500 && !(main && IsWindowVisible(main)); ++i) {
      main = FindMainWindowOf(child.Id());
      Sleep(20);
    }
    ASSERT_NE(main, nullptr);
    Sleep(300);
    DWORD_PTR result = 0;
    HWND green = GetDlgItem(main, IDC_GREEN);
    SendMessageTimeoutA(green, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5), SMTO_NORMAL, 5000,
                        &result);
    SendMessageTimeoutA(green, WM_LBUTTONUP, 0, MAKELPARAM(5, 5), SMTO_NORMAL, 5000, &result);
    PostMessageA(GetDlgItem(main, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(child.Wait(180000));
    ASSERT_EQ(child.ExitCode(), 0u);
    ASSERT_EQ(RegGetString(HKEY_CURRENT_USER, kDesktop, "Wallpaper"),
              plan_.windowsDir + "\\Tavol The Corvane.BMP");
    ASSERT_EQ(RegGetString(HKEY_CURRENT_USER, "Software\\TavolTheCorvane", "PaperArtFile"),
              "GREEN");
  }

  DWORD RunQvrKill() { return RunProgram("\"" + plan_.ownFile + "\"", 180000); }

  void ExpectPackageGone() {
    for (const RemovalItem& item : plan_.removals) {
      EXPECT_FALSE(FileExists(item.path)) << item.path;
    }
    for (const char* value : kPackageValues) {
      bool found = true;
      RegGetString(HKEY_CURRENT_USER, kPackageValuesKey, value, &found);
      EXPECT_FALSE(found) << value;
    }
    for (const char* key : kPackageKeys) EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, key)) << key;
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kPackageKeysWhenEmpty[0]));
  }

  // Wine's restart: pending renames and "wininit.ini", as at a start of
  // Windows.
  void Restart() { ASSERT_EQ(RunProgram("wineboot.exe -r", 120000), 0u); }

  UninstallPlan plan_;
};

TEST_F(UninstallPackageTest, InstallApplyUninstallOnNt) {
  if (IsWindows95Family(GetVersion())) GTEST_SKIP() << "Wine reports Windows 95 to every program";
  const Desktop before = TakeDesktop();
  InstallAndApply();
  if (HasFatalFailure()) return;
  EXPECT_NE(TakeDesktop().view.sys[COLOR_WINDOW], before.view.sys[COLOR_WINDOW]);
  ASSERT_TRUE(RegSetString(HKEY_LOCAL_MACHINE, kOtherProduct, "Version", "2.0"));
  ASSERT_TRUE(WriteFileBytes(plan_.packageDir + "\\my notes.txt", "mine"));

  EXPECT_EQ(RunQvrKill(), 1u);
  ExpectSameDesktop(before, TakeDesktop());
  ExpectPackageGone();
  EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, kOtherProduct));
  EXPECT_TRUE(FileExists(plan_.packageDir));
  EXPECT_TRUE(FileExists(plan_.plusDir));
  EXPECT_EQ(ReadFileBytes(plan_.packageDir + "\\my notes.txt"), "mine");
  // The uninstaller itself goes at the next start.
  EXPECT_TRUE(FileExists(plan_.ownFile));
  EXPECT_TRUE(PendingDeletionOf(plan_.ownFile));
  EXPECT_FALSE(FileExists(plan_.renameList));
  Restart();
  EXPECT_FALSE(FileExists(plan_.ownFile));
}

TEST_F(UninstallPackageTest, InstallApplyUninstallOnWindows95) {
  const Desktop before = TakeDesktop();
  InstallAndApply();
  if (HasFatalFailure()) return;
  ASSERT_TRUE(RegSetString(HKEY_CURRENT_USER, kAppDefaults, "Version", "win95"));
  // A list with a section of its own and an old entry of ours.
  const std::string victim = plan_.windowsDir + "\\lumivex-victim.txt";
  ASSERT_TRUE(WriteFileBytes(victim, "x"));
  ASSERT_TRUE(WriteFileBytes(plan_.renameList,
                             "[Rename]\r\nNUL=" + victim + "\r\nNULL=D:\\OLD\\qvr-kill.exe\r\n"));

  EXPECT_EQ(RunQvrKill(), 1u);
  ExpectSameDesktop(before, TakeDesktop());
  ExpectPackageGone();
  // Nothing of the user's: the package folders go too.
  EXPECT_FALSE(FileExists(plan_.packageDir)) << Listing(plan_.packageDir);
  EXPECT_FALSE(FileExists(plan_.plusDir));
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kOrvello));
  EXPECT_EQ(ReadFileBytes(plan_.renameList),
            "[Rename]\r\nNUL=" + victim + "\r\nNUL=" + plan_.ownFile + "\r\n");
  EXPECT_FALSE(PendingDeletionOf(plan_.ownFile));
  EXPECT_TRUE(FileExists(plan_.ownFile));
  Restart();
  EXPECT_FALSE(FileExists(plan_.ownFile));
  EXPECT_FALSE(FileExists(victim));
  EXPECT_FALSE(FileExists(plan_.renameList));
  // Deleted, not moved to a file of another name.
  EXPECT_FALSE(FileExists(plan_.windowsDir + "\\NULL"));
}

}  // namespace
