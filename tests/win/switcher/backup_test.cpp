// What the switcher saves at its start: "TavolBackup.theme" (once) and
// "Restore.theme" (every start), and the wallpaper's start-up copy.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "switcher_driver.h"
#include "system_state.h"
#include "theme/bytetokens.h"
#include "theme/themefile.h"
#include "assert_log.h"
#include "winsupport.h"

namespace {

struct Section {
  std::string name;
  std::vector<std::pair<std::string, std::string>> keys;
};

// Sections and keys of an initialisation file, in file order.
std::vector<Section> ParseIni(const std::string& text) {
  std::vector<Section> sections;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line.front() == '[') {
      sections.push_back({line.substr(1, line.size() - 2), {}});
    } else if (!sections.empty()) {
      size_t eq = line.find('=');
      sections.back().keys.push_back({line.substr(0, eq), line.substr(eq + 1)});
    }
  }
  return sections;
}

class BackupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::string& path : {BackupThemePath(), RestoreThemePath(), WallpaperCopyPath()}) {
      DeleteFileA(path.c_str());
    }
    savedSaver_ = ProfileGet("system.ini", "boot", "SCRNSAVE.EXE");
  }
  void TearDown() override {
    for (const std::string& path : {BackupThemePath(), RestoreThemePath(), WallpaperCopyPath()}) {
      DeleteFileA(path.c_str());
    }
    ProfileSet("system.ini", "boot", "SCRNSAVE.EXE", savedSaver_.c_str());
    RemoveDirectoryA(WallpaperCopyPath().c_str());
    DeleteFileA(WallpaperPath().c_str());
  }
  // Starts the switcher, lets it save, and returns what it wrote.
  std::string SaveByStarting() {
    SwitcherRun run;
    EXPECT_TRUE(run.Start());
    std::string backup = ReadFileBytes(BackupThemePath());
    run.Close();
    EXPECT_TRUE(run.WaitExit());
    return backup;
  }
  std::string savedSaver_;
};

TEST_F(BackupTest, TenRowsInTheirOrderWithTheSystemsValues) {
  SetBaselineColours(30);
  RegSetString(HKEY_CURRENT_USER, "Control Panel\\Colors", "Hilight", "0  0   128");
  RegSetString(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Pattern", "(None)");
  RegSetString(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper", "C:\\windows\\w.bmp");
  RegSetString(HKEY_CURRENT_USER, "Control Panel\\Cursors", "Arrow", "C:\\cur\\arrow.cur");
  RegDeleteValueIn(HKEY_CURRENT_USER, "Control Panel\\Cursors", "Help");
  RegSetString(HKEY_CURRENT_USER, "Control Panel\\Cursors", nullptr, "Some Scheme");
  RegSetString(HKEY_CURRENT_USER, kSoundEventKeys[3], nullptr, "C:\\snd\\popup.wav");
  RegSetString(HKEY_CURRENT_USER, "Control Panel\\Desktop\\WindowMetrics", "Shell Icon BPP", "16");
  ProfileSet("system.ini", "boot", "SCRNSAVE.EXE", "C:\\WINDOWS\\SAVER~1.SCR");
  RegSetString(HKEY_CURRENT_USER, "Control Panel\\Desktop", "SCRNSAVE.EXE", "C:\\NT\\SAVER.SCR");

  std::vector<Section> sections = ParseIni(SaveByStarting());
  std::vector<std::string> expectedOrder = {
      kColorsSection,  kMetricsSection,    kDesktopSection,     kMyComputerIconKey,
      kNetworkIconKey, kRecycleBinIconKey, kMasterThemeSection, kCursorsSection};
  for (const char* key : kSoundEventKeys) expectedOrder.push_back(key);
  expectedOrder.push_back(kBootSection);
  ASSERT_EQ(sections.size(), expectedOrder.size());
  for (size_t i = 0; i < sections.size(); ++i) {
    SCOPED_TRACE(expectedOrder[i]);
    EXPECT_EQ(sections[i].name, expectedOrder[i]);
  }

  // Row 1: the registry text, spacing and all.
  ASSERT_EQ(sections[0].keys.size(), 25u);
  for (int i = 0; i < kColourCount; ++i) {
    EXPECT_EQ(sections[0].keys[i].first, kThemeColours[i].name);
  }
  EXPECT_EQ(sections[0].keys[2].second, "0  0   128");
  EXPECT_EQ(sections[0].keys[0].second, "30 30 30");

  // Row 2: byte-token lists of 76 and 340 numbers, each followed by a blank.
  ASSERT_EQ(sections[1].keys.size(), 2u);
  EXPECT_EQ(sections[1].keys[0].first, "IconMetrics");
  EXPECT_EQ(sections[1].keys[1].first, "NonclientMetrics");
  std::string icon = sections[1].keys[0].second, nonclient = sections[1].keys[1].second;
  EXPECT_EQ(icon.compare(0, 9, "76 0 0 0 "), 0);
  EXPECT_EQ(nonclient.compare(0, 9, "84 1 0 0 "), 0);
  // The writer ends the value with a blank (checked natively); Wine's profile
  // writer drops trailing blanks, and every reader ignores them anyway.
  EXPECT_TRUE(nonclient.back() == ' ' || (nonclient.back() >= '0' && nonclient.back() <= '9'));
  ThemeIconMetrics iconBack;
  ThemeNonclientMetrics nonclientBack;
  EXPECT_TRUE(ParseIconMetrics(&iconBack, icon.c_str()));
  EXPECT_TRUE(ParseNonclientMetrics(&nonclientBack, nonclient.c_str()));
  ThemeNonclientMetrics system = GetNonclientMetrics();
  EXPECT_TRUE(SameMetricsBytes(&nonclientBack, &system, sizeof system));

  // Row 3.
  const char* desktopKeys[] = {"ScreenSaveActive", "TileWallpaper", "WallpaperStyle", "Pattern",
                               "Wallpaper"};
  // Then the saver as Windows NT and Wine keep it.
  ASSERT_EQ(sections[2].keys.size(), 6u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(sections[2].keys[i].first, desktopKeys[i]);
  EXPECT_EQ(sections[2].keys[4].second, "C:\\windows\\w.bmp");
  EXPECT_EQ(sections[2].keys[5].first, "SCRNSAVE.EXE");
  EXPECT_EQ(sections[2].keys[5].second, "C:\\NT\\SAVER.SCR");

  // Rows 4 to 7.
  EXPECT_EQ(sections[3].keys[0].first, "DefaultValue");
  ASSERT_EQ(sections[5].keys.size(), 3u);
  EXPECT_EQ(sections[5].keys[0].first, "full");
  EXPECT_EQ(sections[5].keys[1].first, "empty");
  EXPECT_EQ(sections[5].keys[2].first, "DefaultValue");
  EXPECT_EQ(sections[6].keys[0].first, "ThemeColorBPP");
  EXPECT_EQ(sections[6].keys[0].second, "16");

  // Row 8: 14 cursors and the scheme name; a missing value is written empty.
  ASSERT_EQ(sections[7].keys.size(), 15u);
  for (int i = 0; i < kCursorCount; ++i) EXPECT_EQ(sections[7].keys[i].first, kCursorNames[i]);
  EXPECT_EQ(sections[7].keys[0].second, "C:\\cur\\arrow.cur");
  EXPECT_EQ(sections[7].keys[1].second, "");
  EXPECT_EQ(sections[7].keys[14].first, "DefaultValue");
  EXPECT_EQ(sections[7].keys[14].second, "Some Scheme");

  // Row 9 and 10.
  EXPECT_EQ(sections[8 + 3].keys[0].second, "C:\\snd\\popup.wav");
  EXPECT_EQ(sections.back().keys[0].first, "SCRNSAVE.EXE");
  EXPECT_EQ(sections.back().keys[0].second, "C:\\WINDOWS\\SAVER~1.SCR");
}

TEST_F(BackupTest, NoUserSaverNoSaverKey) {
  RegDeleteValueIn(HKEY_CURRENT_USER, "Control Panel\\Desktop", "SCRNSAVE.EXE");
  std::vector<Section> sections = ParseIni(SaveByStarting());
  ASSERT_GT(sections.size(), 2u);
  ASSERT_EQ(sections[2].keys.size(), 5u);
  EXPECT_EQ(sections[2].keys[4].first, "Wallpaper");
}

TEST_F(BackupTest, StaleSaverKeyInALeftOverRestoreFileGoes) {
  // An earlier run ended abnormally while the system had a saver; now it has none.
  WriteFileBytes(RestoreThemePath(),
                 "[Control Panel\\Desktop]\r\nSCRNSAVE.EXE=C:\\WINDOWS\\OLDSAV~1.SCR\r\n");
  RegDeleteValueIn(HKEY_CURRENT_USER, "Control Panel\\Desktop", "SCRNSAVE.EXE");
  SwitcherRun run;
  ASSERT_TRUE(run.Start());
  std::vector<Section> sections = ParseIni(ReadFileBytes(RestoreThemePath()));
  run.Close();
  ASSERT_TRUE(run.WaitExit());
  bool sawDesktop = false;
  for (const Section& section : sections) {
    if (section.name != "Control Panel\\Desktop") continue;
    sawDesktop = true;
    for (const auto& kv : section.keys) EXPECT_NE(kv.first, "SCRNSAVE.EXE") << kv.second;
  }
  EXPECT_TRUE(sawDesktop);
}

TEST_F(BackupTest, RestoreFileIsRewrittenAtEveryStart) {
  SetBaselineColours(20);
  SwitcherRun run;
  ASSERT_TRUE(run.Start());
  std::vector<Section> first = ParseIni(ReadFileBytes(RestoreThemePath()));
  run.Close();
  ASSERT_TRUE(run.WaitExit());

  // A left-over file from a run that ended abnormally is overwritten value by value.
  WriteFileBytes(RestoreThemePath(), "[Control Panel\\Colors]\r\nWindow=1 2 3\r\n");
  SetBaselineColours(70);
  SwitcherRun second;
  ASSERT_TRUE(second.Start());
  std::vector<Section> again = ParseIni(ReadFileBytes(RestoreThemePath()));
  second.Close();
  ASSERT_TRUE(second.WaitExit());
  ASSERT_FALSE(again.empty());
  EXPECT_EQ(again[0].keys.size(), 25u);
  for (const auto& kv : again[0].keys) {
    if (kv.first == "Window") {
      EXPECT_EQ(kv.second, "75 75 75");
    }
  }
  EXPECT_EQ(again.size(), first.size());
}

TEST_F(BackupTest, WallpaperCopyIsNeverWrittenThroughAFailedOpen) {
  WriteFileBytes(WallpaperPath(), std::string(3000, 'b'));
  // A directory where the copy should go: the copy cannot be created.
  ASSERT_TRUE(CreateDirectoryA(WallpaperCopyPath().c_str(), nullptr));
  DeleteFileA(AssertLogPath().c_str());
  SwitcherRun run;
  ASSERT_TRUE(run.Start("", false));
  HWND box = FindDialog("Assertion Error", run.Pid(), 20000);
  ASSERT_NE(box, nullptr);
  std::string text = DialogText(box);
  EXPECT_EQ(text.rfind("Out of room on drive ", 0), 0u) << text;
  EXPECT_NE(text.find("for backup file"), std::string::npos);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(run.WaitExit());
  EXPECT_EQ(run.ExitCode(), 255u);
  EXPECT_EQ(ReadFileBytes(WallpaperPath()), std::string(3000, 'b'));
  DeleteFileA(AssertLogPath().c_str());
}

}  // namespace
