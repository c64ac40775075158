// The setup program, run silently in a fresh prefix (scripts/run-wine-tests.sh
// does that first): every file, key and profile entry that the switcher, the
// screen saver and the uninstaller look for is where they look.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "resource.h"
#include "switcher_driver.h"
#include "theme/themefile.h"
#include "winsupport.h"

namespace {

std::string PackageDir() {
  return WindowsDir().substr(0, 2) + "\\Program Files\\Plus!\\Themes";
}

const char* const kColours[] = {"WHITE", "BLUE", "BLACK", "RED", "GREEN"};

class InstalledPackage : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!FileExists(PackageDir() + "\\switcher.exe")) {
      GTEST_SKIP() << "the setup program has not been run in this prefix";
    }
  }
};

TEST_F(InstalledPackage, TheSwitchersFiles) {
  std::vector<std::string> files = {PackageDir() + "\\switcher.exe",
                                    PackageDir() + "\\WALLART\\PALALL9.TR"};
  for (const char* colour : kColours) {
    files.push_back(PackageDir() + "\\Tavol The Corvane " + colour + ".theme");
    files.push_back(WindowsDir() + "\\TAVOL\\" + colour + ".ART");
    files.push_back(WindowsDir() + "\\TAVOL\\" + colour + ".tr");
  }
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    EXPECT_TRUE(FileExists(file));
  }
  EXPECT_EQ(ProfileGet("control.ini", "Tavol", "switcher"), PackageDir());
}

TEST_F(InstalledPackage, EveryFileTheThemesNameIsThere) {
  for (const char* colour : kColours) {
    std::string theme = PackageDir() + "\\Tavol The Corvane " + colour + ".theme";
    std::vector<std::pair<std::string, std::string>> entries = {
        {kMyComputerIconKey, kDefaultValueKey},
        {kNetworkIconKey, kDefaultValueKey},
        {kRecycleBinIconKey, "full"},
        {kRecycleBinIconKey, "empty"}};
    for (const char* name : kCursorNames) entries.push_back({kCursorsSection, name});
    for (const char* key : kSoundEventKeys) entries.push_back({key, kDefaultValueKey});
    int named = 0;
    for (const auto& entry : entries) {
      std::string value = ProfileGet(theme, entry.first.c_str(), entry.second.c_str());
      if (value.empty()) continue;
      SCOPED_TRACE(std::string(colour) + " " + entry.first + " " + entry.second + " " + value);
      ASSERT_EQ(value.rfind("%ThemeDir%", 0), 0u);
      std::string path = PackageDir() + "\\" + value.substr(10);
      size_t comma = path.rfind(',');
      if (comma != std::string::npos && path.find(".ico") != std::string::npos) path.resize(comma);
      EXPECT_TRUE(FileExists(path));
      ++named;
    }
    EXPECT_GE(named, 4 + 10 + 8) << colour;
    EXPECT_EQ(ProfileGet(theme, "boot", "SCRNSAVE.EXE"), "%WinDir%Tavol The Corvane.scr");
  }
}

TEST_F(InstalledPackage, TheScreenSaversArt) {
  for (const char* art : {"w-logo", "0340", "0893", "0930", "0793", "0731"}) {
    SCOPED_TRACE(art);
    EXPECT_TRUE(FileExists(WindowsDir() + "\\TAVOL\\" + art + ".art"));
    EXPECT_TRUE(FileExists(WindowsDir() + "\\TAVOL\\" + art + ".tr"));
  }
  for (const char* file : {"spot.art", "logo1.art", "logo3.art", "PALALL9.TR"}) {
    SCOPED_TRACE(file);
    EXPECT_TRUE(FileExists(WindowsDir() + "\\TAVOL\\" + file));
  }
}

TEST_F(InstalledPackage, TheUninstallersKeysAndShortcuts) {
  const char* uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QvRThemes";
  EXPECT_EQ(RegGetString(HKEY_LOCAL_MACHINE, uninstall, "UninstallString"),
            WindowsDir() + "\\qvr-kill.exe");
  EXPECT_EQ(RegGetString(HKEY_LOCAL_MACHINE, uninstall, "DisplayName"), "Desktop Lumivex");
  EXPECT_TRUE(
      RegKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvello\\TavolTheCorvane\\DesktopThemes"));
  char programs[MAX_PATH];
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, programs, CSIDL_COMMON_PROGRAMS, FALSE));
  EXPECT_TRUE(FileExists(std::string(programs) + "\\Tavol The Corvane\\Desktop Lumivex.lnk"));
}

TEST_F(InstalledPackage, EveryProgramIsInstalled) {
  EXPECT_TRUE(FileExists(PackageDir() + "\\switcher.exe"));
  for (const char* program : {"Tavol The Corvane.scr", "qvr-kill.exe"}) {
    SCOPED_TRACE(program);
    EXPECT_TRUE(FileExists(WindowsDir() + "\\" + program));
  }
}

TEST_F(InstalledPackage, TheInstalledScreenSaverRunsWithTheArtBesideIt) {
  const std::string saver = WindowsDir() + "\\Tavol The Corvane.scr";
  ChildProcess child;
  ASSERT_TRUE(child.Start("\"" + saver + "\" /s", WindowsDir()));
  HWND window = nullptr;
  for (int i = 0; i < 500 && !(window && IsWindowVisible(window)); ++i) {
    window = FindWindowA("QVR_ScreenSaverClass", nullptr);
    Sleep(20);
  }
  ASSERT_NE(window, nullptr);
  // The first card art is made within seconds: its backdrop's backup shows it.
  for (int i = 0; i < 500 && !FileExists(WindowsDir() + "\\spot.sav"); ++i) Sleep(20);
  EXPECT_TRUE(FileExists(WindowsDir() + "\\spot.sav"));
  PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(child.Wait(20000));
  EXPECT_EQ(child.ExitCode(), 0u);
  EXPECT_FALSE(FileExists(WindowsDir() + "\\spot.sav"));
  EXPECT_FALSE(FileExists(WindowsDir() + "\\assertFile.txt"));
}

TEST_F(InstalledPackage, TheInstalledSwitcherAppliesATheme) {
  ChildProcess child;
  ASSERT_TRUE(child.Start("\"" + PackageDir() + "\\switcher.exe\""));
  HWND main = nullptr;
  for (int i = 0; i < 500 && !(main && IsWindowVisible(main)); ++i) {
    main = FindMainWindowOf(child.Id());
    Sleep(20);
  }
  ASSERT_NE(main, nullptr);
  // Start-up is over once OK takes clicks.
  for (int i = 0; i < 500 && !IsWindowEnabled(GetDlgItem(main, IDOK)); ++i) Sleep(20);
  ASSERT_TRUE(IsWindowEnabled(GetDlgItem(main, IDOK)));
  // Green with every part.
  DWORD_PTR result = 0;
  HWND green = GetDlgItem(main, IDC_GREEN);
  SendMessageTimeoutA(green, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5), SMTO_NORMAL, 5000,
                      &result);
  SendMessageTimeoutA(green, WM_LBUTTONUP, 0, MAKELPARAM(5, 5), SMTO_NORMAL, 5000, &result);
  PostMessageA(GetDlgItem(main, IDOK), BM_CLICK, 0, 0);
  ASSERT_TRUE(child.Wait(120000));
  EXPECT_EQ(child.ExitCode(), 0u);
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, "Software\\TavolTheCorvane", "PaperArtFile"), "GREEN");
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper"),
            WindowsDir() + "\\Tavol The Corvane.BMP");
  EXPECT_TRUE(FileExists(PackageDir() + "\\TavolBackup.theme"));
  // The installed saver, by its short path.
  std::string saver = WindowsDir() + "\\Tavol The Corvane.scr";
  char shortPath[MAX_PATH] = "";
  ASSERT_NE(GetShortPathNameA(saver.c_str(), shortPath, sizeof shortPath), 0u);
  EXPECT_EQ(ProfileGet("system.ini", "boot", "SCRNSAVE.EXE"), shortPath);
}

}  // namespace
