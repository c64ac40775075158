// The wallpaper, screen saver, icon, cursor and sound steps, hosted in the
// test process with a stand-in main window.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "codec_presets.h"
#include "install_host.h"
#include "system_state.h"
#include "test_art.h"
#include "theme/themefile.h"
#include "wallpaper/wallpaper_bitmap.h"
#include "winsupport.h"

namespace {

const char kDesktopKey[] = "Control Panel\\Desktop";
const char kCursorsKey[] = "Control Panel\\Cursors";

class InstallStepsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    themeDir_ = MakeTempDir("steps");
    savedControl_ = ProfileGet("control.ini", "Tavol", "switcher");
    ProfileSet("control.ini", "Tavol", "switcher", themeDir_.c_str());
    savedSaver_ = ProfileGet("system.ini", "boot", "SCRNSAVE.EXE");
  }
  void TearDown() override {
    ProfileSet("control.ini", "Tavol", "switcher",
               savedControl_.empty() ? nullptr : savedControl_.c_str());
    ProfileSet("system.ini", "boot", "SCRNSAVE.EXE", savedSaver_.c_str());
    RemoveTree(themeDir_);
  }
  // Installs a theme file of this text with the given parts as the white theme.
  InstallHost* InstallWhite(const std::string& text, const ThemeParts& parts) {
    WriteFileBytes(themeDir_ + "\\Tavol The Corvane WHITE.theme", text);
    host_.reset();  // one stand-in window at a time
    host_ = std::make_unique<InstallHost>();
    EXPECT_EQ(host_->Install(THEME_WHITE, parts), 1);
    EXPECT_TRUE(host_->finished());
    return host_.get();
  }
  static ThemeParts Only(int ThemeParts::*part) {
    ThemeParts parts;
    parts.*part = 1;
    return parts;
  }

  std::string themeDir_, savedControl_, savedSaver_;
  std::unique_ptr<InstallHost> host_;
};

TEST_F(InstallStepsTest, RecycleBinDefaultFollowsItsState) {
  struct Case {
    const char* name;
    const char* full;
    const char* current;  // the default value before
    const char* expected;
  } cases[] = {
      {"bin full", "C:\\old\\full.ico,0", "C:\\old\\full.ico,0", "C:\\t\\full.ico,1"},
      {"bin empty", "C:\\old\\full.ico,0", "C:\\old\\empty.ico,0", "C:\\t\\empty.ico,2"},
      {"case differs", "C:\\old\\FULL.ico,0", "C:\\old\\full.ico,0", "C:\\t\\empty.ico,2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RegSetString(HKEY_CLASSES_ROOT, kRecycleBinIconKey, "full", c.full);
    RegSetString(HKEY_CLASSES_ROOT, kRecycleBinIconKey, nullptr, c.current);
    InstallWhite(std::string("[") + kRecycleBinIconKey +
                     "]\r\nfull=C:\\t\\full.ico,1\r\nempty=C:\\t\\empty.ico,2\r\n"
                     "DefaultValue=C:\\never\\read.ico\r\n",
                 Only(&ThemeParts::icons));
    EXPECT_EQ(RegGetString(HKEY_CLASSES_ROOT, kRecycleBinIconKey, nullptr), c.expected);
    EXPECT_EQ(RegGetString(HKEY_CLASSES_ROOT, kRecycleBinIconKey, "full"), "C:\\t\\full.ico,1");
    EXPECT_EQ(RegGetString(HKEY_CLASSES_ROOT, kRecycleBinIconKey, "empty"), "C:\\t\\empty.ico,2");
  }
}

TEST_F(InstallStepsTest, DesktopIconsAndShellDepth) {
  RegSetString(HKEY_CLASSES_ROOT, kMyComputerIconKey, nullptr, "before");
  RegDeleteTreeIn(HKEY_CLASSES_ROOT, kNetworkIconKey);
  RegSetString(HKEY_CURRENT_USER, "Control Panel\\Desktop\\WindowMetrics", "Shell Icon BPP", "4");
  InstallWhite(std::string("[") + kMyComputerIconKey +
                   "]\r\nDefaultValue=%ThemeDir%Tavol\\pc.ico,0\r\n[" + kNetworkIconKey +
                   "]\r\nDefaultValue=%WinDir%net.ico\r\n",
               Only(&ThemeParts::icons));
  EXPECT_EQ(RegGetString(HKEY_CLASSES_ROOT, kMyComputerIconKey, nullptr),
            themeDir_ + "\\Tavol\\pc.ico,0");
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, kNetworkIconKey));  // opened, never created
  // No [MasterThemeSelector]: the default depth.
  EXPECT_EQ(
      RegGetString(HKEY_CURRENT_USER, "Control Panel\\Desktop\\WindowMetrics", "Shell Icon BPP"),
      "16");
}

TEST_F(InstallStepsTest, CursorsAreSetAndTheSchemeNameBlanked) {
  RegSetString(HKEY_CURRENT_USER, kCursorsKey, nullptr, "Old Scheme");
  RegSetString(HKEY_CURRENT_USER, kCursorsKey, "Help", "C:\\old\\help.cur");
  std::string text = "[Control Panel\\Cursors]\r\n";
  for (const char* name : kCursorNames)
    text += std::string(name) + "=%ThemeDir%c\\" + name + ".cur\r\n";
  text += "DefaultValue=Tavol White\r\n";
  InstallWhite(text, Only(&ThemeParts::cursors));
  for (const char* name : kCursorNames) {
    SCOPED_TRACE(name);
    EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kCursorsKey, name),
              themeDir_ + "\\c\\" + name + ".cur");
  }
  bool found = false;
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kCursorsKey, nullptr, &found), "");
  EXPECT_TRUE(found);
  // The progress text comes after the step.
  EXPECT_EQ(host_->statusTexts(), std::vector<std::string>{"Changing the cursors..."});
}

TEST_F(InstallStepsTest, ThemeWithoutCursorSectionEmptiesTheValues) {
  RegSetString(HKEY_CURRENT_USER, kCursorsKey, "Arrow", "C:\\old\\arrow.cur");
  InstallWhite("[Control Panel\\Colors]\r\n", Only(&ThemeParts::cursors));
  bool found = false;
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kCursorsKey, "Arrow", &found), "");
  EXPECT_TRUE(found);
}

TEST_F(InstallStepsTest, SoundsGoToExistingEventKeysOnly) {
  RegDeleteTreeIn(HKEY_CURRENT_USER, kSoundEventKeys[4]);
  for (int i = 0; i < kSoundEventCount; ++i) {
    if (i != 4) RegSetString(HKEY_CURRENT_USER, kSoundEventKeys[i], nullptr, "old.wav");
  }
  RegSetString(HKEY_CURRENT_USER, "AppEvents\\Schemes", nullptr, ".Default");
  std::string text;
  for (int i = 0; i < kSoundEventCount; ++i) {
    text += std::string("[") + kSoundEventKeys[i] + "]\r\nDefaultValue=%WinDir%media\\s" +
            std::to_string(i) + ".wav\r\n";
  }
  InstallWhite(text, Only(&ThemeParts::sounds));
  for (int i = 0; i < kSoundEventCount; ++i) {
    SCOPED_TRACE(kSoundEventKeys[i]);
    if (i == 4) {
      EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kSoundEventKeys[i]));
    } else {
      EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kSoundEventKeys[i], nullptr),
                WindowsDir() + "\\media\\s" + std::to_string(i) + ".wav");
    }
  }
  // One blank, not an empty string.
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, "AppEvents\\Schemes", nullptr), " ");
}

TEST_F(InstallStepsTest, ScreenSaverInItsShortFormInSystemIniAndTheUserSettings) {
  std::string saver = WindowsDir() + "\\Long Saver Name.scr";
  WriteFileBytes(saver, "MZ");
  RegSetString(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive", "0");
  InstallWhite("[boot]\r\nSCRNSAVE.EXE=%WinDir%Long Saver Name.scr\r\n",
               Only(&ThemeParts::screenSaver));
  char shortPath[MAX_PATH];
  GetShortPathNameA(saver.c_str(), shortPath, sizeof shortPath);
  EXPECT_NE(std::string(shortPath), saver);
  EXPECT_EQ(ProfileGet("system.ini", "boot", "SCRNSAVE.EXE"), shortPath);
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE"), shortPath);
  BOOL active = FALSE;
  SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
  EXPECT_TRUE(active);
  DeleteFileA(saver.c_str());
}

TEST_F(InstallStepsTest, SavedSettingsPutTheUsersSaverBackAsItWas) {
  struct Case {
    const char* name;
    std::string desktop;  // the saved [Control Panel\Desktop] section
    bool present;
    const char* value;
  } cases[] = {
      {"the user had one", "[Control Panel\\Desktop]\r\nSCRNSAVE.EXE=C:\\NT\\MINE.SCR\r\n", true,
       "C:\\NT\\MINE.SCR"},
      {"the user had none", "[Control Panel\\Desktop]\r\nPattern=(None)\r\n", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RegSetString(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE", "C:\\THEME.SCR");
    WriteFileBytes(BinDir() + "\\TavolBackup.theme",
                   c.desktop + "[boot]\r\nSCRNSAVE.EXE=C:\\OLD.SCR\r\n");
    InstallHost host;
    host.Install(THEME_REVERT, Only(&ThemeParts::screenSaver));
    DeleteFileA((BinDir() + "\\TavolBackup.theme").c_str());
    EXPECT_EQ(ProfileGet("system.ini", "boot", "SCRNSAVE.EXE"), "C:\\OLD.SCR");
    bool found = false;
    EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE", &found), c.value);
    EXPECT_EQ(found, c.present);
  }
}

TEST_F(InstallStepsTest, OverlongExpandedPathsAreNotApplied) {
  RegSetString(HKEY_CURRENT_USER, kCursorsKey, "Arrow", "C:\\kept\\arrow.cur");
  ProfileSet("system.ini", "boot", "SCRNSAVE.EXE", "C:\\KEPT.SCR");
  // The theme directory has about 40 characters; 230 more are too many.
  std::string longName(230, 'n');
  InstallWhite("[Control Panel\\Cursors]\r\nArrow=%ThemeDir%" + longName +
                   "\r\nHelp=%ThemeDir%short.cur\r\n[boot]\r\nSCRNSAVE.EXE=%ThemeDir%" + longName +
                   "\r\n",
               ThemeParts{0, 0, 0, 0, 1, 0, 1});
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kCursorsKey, "Arrow"), "C:\\kept\\arrow.cur");
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kCursorsKey, "Help"), themeDir_ + "\\short.cur");
  EXPECT_EQ(ProfileGet("system.ini", "boot", "SCRNSAVE.EXE"), "C:\\KEPT.SCR");
}

TEST_F(InstallStepsTest, DesktopValuesAndTheirDefaults) {
  struct Case {
    const char* name;
    std::string text;
    const char* values[4];
  } cases[] = {
      {"no section", "[boot]\r\n", {"1", "0", "2", "(None)"}},
      {"given",
       "[Control Panel\\Desktop]\r\nScreenSaveActive=0\r\nTileWallpaper=1\r\n"
       "WallpaperStyle=0\r\nPattern=170 85 170 85 170 85 170 85\r\n",
       {"0", "1", "0", "170 85 170 85 170 85 170 85"}},
  };
  const char* names[] = {"ScreenSaveActive", "TileWallpaper", "WallpaperStyle", "Pattern"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Revert installs the recorded wallpaper at once, without the maker.
    WriteFileBytes(BinDir() + "\\TavolBackup.theme", c.text);
    InstallHost host;
    host.Install(THEME_REVERT, Only(&ThemeParts::wallpaper));
    DeleteFileA((BinDir() + "\\TavolBackup.theme").c_str());
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kDesktopKey, names[i]), c.values[i]);
    }
  }
}

TEST_F(InstallStepsTest, RestoringTheStartPutsTheStartupCopyBack) {
  const std::string bitmap = WindowsDir() + "\\Tavol The Corvane.BMP";
  const std::string copy = WindowsDir() + "\\Tavol The Corvane.SAV";
  struct Case {
    const char* name;
    bool copyExists;
  } cases[] = {{"with a start-up copy", true}, {"without one", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFileBytes(bitmap, "made during this run");
    if (c.copyExists) WriteFileBytes(copy, "the bitmap at start");
    WriteFileBytes(BinDir() + "\\Restore.theme",
                   "[Control Panel\\Desktop]\r\nWallpaper=" + bitmap + "\r\n");
    InstallHost host;
    host.Install(THEME_RESTORE, Only(&ThemeParts::wallpaper));
    DeleteFileA((BinDir() + "\\Restore.theme").c_str());
    EXPECT_FALSE(FileExists(copy));
    if (c.copyExists) {
      EXPECT_EQ(ReadFileBytes(bitmap), "the bitmap at start");
    } else {
      EXPECT_FALSE(FileExists(bitmap));
    }
    EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper"), bitmap);
    // Nothing was left for stage 2 to install.
    for (const std::string& text : host.statusTexts()) {
      EXPECT_NE(text, "Installing the wallpaper...");
    }
  }
  DeleteFileA(bitmap.c_str());
}

TEST_F(InstallStepsTest, ColourThemeMakesItsWallpaperOnAThread) {
  ASSERT_TRUE(WriteTestArt(TavolArtDir(), "WHITE", 256, 192, 4));
  RegDeleteTreeIn(HKEY_CURRENT_USER, "Software\\TavolTheCorvane");
  const std::string bitmap = WindowsDir() + "\\Tavol The Corvane.BMP";
  DeleteFileA(bitmap.c_str());
  InstallHost* host = InstallWhite("[Control Panel\\Desktop]\r\nWallpaper=C:\\never.bmp\r\n",
                                   Only(&ThemeParts::wallpaper));
  EXPECT_EQ(host->statusTexts(),
            (std::vector<std::string>{"Changing the wallpaper...", "Creating the wallpaper...",
                                      "Installing the wallpaper..."}));
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper"), bitmap);

  // The file is what the portable maker makes for this screen.
  HDC dc = GetDC(nullptr);
  WallpaperScreen screen;
  screen.width = GetSystemMetrics(SM_CXSCREEN);
  screen.height = GetSystemMetrics(SM_CYSCREEN);
  screen.depth = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
  screen.xPelsPerMeter = GetDeviceCaps(dc, HORZRES) * 1000 / GetDeviceCaps(dc, HORZSIZE);
  screen.yPelsPerMeter = GetDeviceCaps(dc, VERTRES) * 1000 / GetDeviceCaps(dc, VERTSIZE);
  ReleaseDC(nullptr, dc);
  CodecContext codec;
  InitCodecContext(&codec, SwitcherCodecOptions());
  codec.displayBitsPerPixel = screen.depth;
  WallpaperBitmap expected;
  ASSERT_EQ(MakeWallpaperBitmap(&codec, (TavolArtDir() + "\\WHITE.ART").c_str(),
                                (TavolArtDir() + "\\WHITE.tr").c_str(), screen, &expected),
            CodecStatus::kOk);
  std::string file = ReadFileBytes(bitmap);
  ASSERT_EQ(file.size(), kWallpaperHeaderBytes + expected.imageBytes);
  EXPECT_EQ(std::memcmp(file.data(), expected.headers, kWallpaperHeaderBytes), 0);
  EXPECT_EQ(
      std::memcmp(file.data() + kWallpaperHeaderBytes, expected.pixels.data(), expected.imageBytes),
      0);

  const char* key = "Software\\TavolTheCorvane";
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, key, "PaperArtFile"), "WHITE");
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, key, "PaperDepth"), std::to_string(screen.depth));
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, key, "PaperWidth"), std::to_string(screen.width));
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, key, "PaperHeight"), std::to_string(screen.height));
  DeleteFileA(bitmap.c_str());
}

TEST_F(InstallStepsTest, WallpaperCheckBoxOffLeavesTheWallpaperAlone) {
  ASSERT_TRUE(WriteTestArt(TavolArtDir(), "WHITE", 128, 96, 4));
  InstallWhite("[boot]\r\n", Only(&ThemeParts::wallpaper));
  RegSetString(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper", "C:\\mine.bmp");
  // A second install in the same run without the wallpaper part.
  InstallHost host;
  host.Install(THEME_WHITE, ThemeParts{0, 1, 0, 0, 0, 0, 0});
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper"), "C:\\mine.bmp");
  DeleteFileA((WindowsDir() + "\\Tavol The Corvane.BMP").c_str());
}

}  // namespace
