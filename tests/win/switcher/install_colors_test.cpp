// Installing a theme's window colours and metrics into the running system.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "install_host.h"
#include "system_state.h"
#include "switcher_globals.h"
#include "theme/bytetokens.h"
#include "theme/themefile.h"
#include "winsupport.h"

namespace {

const char kColorsKey[] = "Control Panel\\Colors";
const char kAppearanceKey[] = "Control Panel\\Appearance";

std::string ThemeColoursSection(const std::string (&values)[kColourCount]) {
  std::string text = "[Control Panel\\Colors]\r\n";
  for (int i = 0; i < kColourCount; ++i) {
    text += std::string(kThemeColours[i].name) + "=" + values[i] + "\r\n";
  }
  return text;
}

// Each test gets its own theme directory named in control.ini.
class InstallColoursTest : public ::testing::Test {
 protected:
  void SetUp() override {
    themeDir_ = MakeTempDir("colours");
    savedControl_ = ProfileGet("control.ini", "Tavol", "switcher");
    ProfileSet("control.ini", "Tavol", "switcher", themeDir_.c_str());
    SetBaselineColours();
    RegSetString(HKEY_CURRENT_USER, kAppearanceKey, "Current", "Windows Standard");
  }
  void TearDown() override {
    ProfileSet("control.ini", "Tavol", "switcher",
               savedControl_.empty() ? nullptr : savedControl_.c_str());
    RemoveTree(themeDir_);
  }
  std::string ThemePath(const char* colour) const {
    return themeDir_ + "\\Tavol The Corvane " + colour + ".theme";
  }

  std::string themeDir_;
  std::string savedControl_;
};

TEST_F(InstallColoursTest, WritesAllTwentyFiveWithTheThemesTextAndSetsTheSystem) {
  std::string values[kColourCount];
  COLORREF expected[kColourCount];
  for (int i = 0; i < kColourCount; ++i) {
    int r = 200 - i, g = 3 * i, b = (i * 37) % 256;
    char text[32];
    // Unusual spacing must reach the registry unchanged.
    std::snprintf(text, sizeof text, i % 3 ? "%d %d %d" : "%d  %d   %d", r, g, b);
    values[i] = text;
    expected[i] = RGB(r, g, b);
  }
  values[1] = "0 0 128";  // Background: blue in bits 16..23
  expected[1] = 128u * 65536u;
  ASSERT_TRUE(WriteFileBytes(ThemePath("WHITE"), ThemeColoursSection(values)));

  InstallHost host;
  EXPECT_EQ(host.Install(THEME_WHITE, OnlyParts(true, false)), 1);
  ASSERT_TRUE(host.finished());

  ColourSnapshot after = TakeColourSnapshot();
  for (int i = 0; i < kColourCount; ++i) {
    SCOPED_TRACE(kThemeColours[i].name);
    EXPECT_EQ(after.text[i], values[i]);
    EXPECT_EQ(after.sys[i], expected[i]);
  }
  bool found = false;
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kAppearanceKey, "Current", &found), "");
  EXPECT_TRUE(found);
}

TEST_F(InstallColoursTest, BrokenColourValuesKeepTheCurrentColour) {
  std::string values[kColourCount];
  for (int i = 0; i < kColourCount; ++i) values[i] = "1 2 3";
  struct Broken {
    int index;
    const char* value;
  } broken[] = {{0, "12 34"}, {2, ""}, {5, "red green blue"}, {7, "300 0 0"}, {9, "1,2,3"}};
  for (const Broken& b : broken) values[b.index] = b.value;
  ASSERT_TRUE(WriteFileBytes(ThemePath("RED"), ThemeColoursSection(values)));
  ColourSnapshot before = TakeColourSnapshot();

  InstallHost host;
  host.Install(THEME_RED, OnlyParts(true, false));
  ASSERT_TRUE(host.finished());

  ColourSnapshot after = TakeColourSnapshot();
  for (int i = 0; i < kColourCount; ++i) {
    SCOPED_TRACE(kThemeColours[i].name);
    bool isBroken = false;
    for (const Broken& b : broken) isBroken |= b.index == i;
    EXPECT_EQ(after.text[i], isBroken ? before.text[i] : "1 2 3");
    EXPECT_EQ(after.sys[i], isBroken ? before.sys[i] : RGB(1, 2, 3));
  }
}

TEST_F(InstallColoursTest, ColourValueIsCutToNineteenCharacters) {
  std::string values[kColourCount];
  for (int i = 0; i < kColourCount; ++i) values[i] = "7 8 9";
  values[3] = "100 101 102 padding-beyond";  // read into 20 characters
  ASSERT_TRUE(WriteFileBytes(ThemePath("BLUE"), ThemeColoursSection(values)));
  InstallHost host;
  host.Install(THEME_BLUE, OnlyParts(true, false));
  ASSERT_TRUE(host.finished());
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kColorsKey, "HilightText"), "100 101 102 padding");
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHTTEXT), RGB(100, 101, 102));
}

TEST_F(InstallColoursTest, MissingThemeFileChangesNothingAndSaysSo) {
  ColourSnapshot before = TakeColourSnapshot();
  DialogAnswerer answerer("Tavol: The Corvane  Theme Switcher", IDOK);
  InstallHost host;
  EXPECT_EQ(host.Install(THEME_GREEN, AllParts()), 0);
  SeenDialog box = answerer.Result();
  ASSERT_TRUE(box.found);
  EXPECT_EQ(box.text, "Cannot find the theme file \n  " + ThemePath("GREEN"));
  // Stage 2 still ends the busy state, without touching anything.
  EXPECT_TRUE(host.finished());
  EXPECT_NE(GetCapture(), host.hwnd());
  ColourSnapshot after = TakeColourSnapshot();
  for (int i = 0; i < kColourCount; ++i) {
    SCOPED_TRACE(kThemeColours[i].name);
    EXPECT_EQ(after.text[i], before.text[i]);
    EXPECT_EQ(after.sys[i], before.sys[i]);
  }
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kAppearanceKey, "Current"), "Windows Standard");
  for (const std::string& text : host.statusTexts()) {
    EXPECT_EQ(text.find("Setting"), std::string::npos) << text;
  }
}

TEST_F(InstallColoursTest, EmptyControlIniEntryLooksInTheProgramDirectory) {
  ProfileSet("control.ini", "Tavol", "switcher", "");
  std::string path = BinDir() + "\\Tavol The Corvane BLACK.theme";
  std::string values[kColourCount];
  for (int i = 0; i < kColourCount; ++i) values[i] = "40 50 60";
  ASSERT_TRUE(WriteFileBytes(path, ThemeColoursSection(values)));
  InstallHost host;
  EXPECT_EQ(host.Install(THEME_BLACK, OnlyParts(true, false)), 1);
  DeleteFileA(path.c_str());
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(40, 50, 60));
  EXPECT_STREQ(host.installer().theme.dir, BinDir().c_str());
}

TEST_F(InstallColoursTest, RevertAndRestoreFilesComeFromTheProgramDirectory) {
  struct Case {
    ThemeId id;
    const char* file;
    int grey;
  } cases[] = {{THEME_REVERT, "TavolBackup.theme", 77}, {THEME_RESTORE, "Restore.theme", 88}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::string values[kColourCount];
    for (int i = 0; i < kColourCount; ++i) {
      values[i] =
          std::to_string(c.grey) + " " + std::to_string(c.grey) + " " + std::to_string(c.grey);
    }
    std::string inProgramDir = BinDir() + "\\" + c.file;
    ASSERT_TRUE(WriteFileBytes(inProgramDir, ThemeColoursSection(values)));
    // A decoy where control.ini points: never read for these ids.
    for (int i = 0; i < kColourCount; ++i) values[i] = "1 1 1";
    ASSERT_TRUE(WriteFileBytes(themeDir_ + "\\" + c.file, ThemeColoursSection(values)));

    InstallHost host;
    EXPECT_EQ(host.Install(c.id, OnlyParts(true, false)), 1);
    DeleteFileA(inProgramDir.c_str());
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(c.grey, c.grey, c.grey));
    EXPECT_STREQ(host.installer().theme.path, inProgramDir.c_str());
  }
}

TEST_F(InstallColoursTest, ProgressTextsAndBusyState) {
  std::string values[kColourCount];
  for (int i = 0; i < kColourCount; ++i) values[i] = "9 9 9";
  ASSERT_TRUE(WriteFileBytes(ThemePath("WHITE"), ThemeColoursSection(values)));

  struct Case {
    const char* name;
    ThemeParts parts;
    std::vector<std::string> texts;
  } cases[] = {
      {"colours and fonts",
       OnlyParts(true, true),
       {"Setting desktop colors...", "Setting desktop fonts..."}},
      {"fonts only", OnlyParts(false, true), {"Setting desktop fonts..."}},
      {"nothing", ThemeParts{}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InstallHost host;
    EXPECT_EQ(host.Install(THEME_WHITE, c.parts), 1);
    EXPECT_TRUE(host.finished());
    EXPECT_TRUE(host.capturedDuringInstall());
    EXPECT_NE(GetCapture(), host.hwnd());  // stage 2 released it
    EXPECT_EQ(host.statusTexts(), c.texts);
    EXPECT_GE(host.timerTicks(), 1);
  }
}

}  // namespace
