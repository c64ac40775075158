// Everything a colour theme installs comes back: after Revert (the settings
// from before the first start) and after Cancel (the settings at start), the
// keys the backup records and "system.ini" [boot] read as before, apart from
// the scheme names that the install steps blank on purpose.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "resource.h"
#include "switcher_driver.h"
#include "system_state.h"
#include "test_art.h"
#include "theme/themefile.h"
#include "winsupport.h"

namespace {

// A registry key as `reg export` writes it, as plain text.
std::string RegExport(const std::string& key) {
  std::string file = MakeTempDir("regexport") + "\\key.reg";
  RunProgram("reg.exe export \"" + key + "\" \"" + file + "\" /y");
  std::string bytes = ReadFileBytes(file);
  std::string text;
  for (char c : bytes) {
    if (c != '\0' && c != '\r' && static_cast<unsigned char>(c) < 0x80) text += c;
  }
  return text;
}

// Drops the line of one value ("@" is the default value).
std::string WithoutValue(const std::string& text, const std::string& name) {
  std::string out, line;
  const std::string prefix = name == "@" ? "@=" : "\"" + name + "\"=";
  for (char c : text + "\n") {
    if (c != '\n') {
      line += c;
      continue;
    }
    if (line.compare(0, prefix.size(), prefix) != 0) out += line + "\n";
    line.clear();
  }
  return out;
}

// Wine keeps the icon and non-client metrics in "Desktop\WindowMetrics" in
// its own form: a fresh prefix has the face "MS Shell Dlg" and icon spacing in
// twips (-1125), which the system reads as Tahoma and 75 pixels and writes
// back in that form once they are set. The backup records the metrics through
// SystemParametersInfoA, so they are compared that way (byte for byte, see
// ExpectSame); of this subkey only "Shell Icon BPP" is a recorded value.
std::string OnlyRecordedWindowMetrics(const std::string& text) {
  std::string out, line;
  bool inMetrics = false;
  for (char c : text + "\n") {
    if (c != '\n') {
      line += c;
      continue;
    }
    if (!line.empty() && line[0] == '[')
      inMetrics = line.find("\\WindowMetrics]") != std::string::npos;
    if (!inMetrics || line[0] == '[' || line.compare(0, 16, "\"Shell Icon BPP\"") == 0) {
      // Continuation lines of binary values start with blanks.
      if (!(inMetrics && !line.empty() && line[0] == ' ')) out += line + "\n";
    }
    line.clear();
  }
  return out;
}

std::string BootSection() {
  char buffer[4096] = "";
  DWORD n = GetPrivateProfileSectionA("boot", buffer, sizeof buffer, "system.ini");
  return std::string(buffer, n);
}

struct Snapshot {
  std::vector<std::string> exports;
  std::string boot;
  SystemView view;
};

const char* const kExportedKeys[] = {
    "HKEY_CURRENT_USER\\Control Panel\\Colors",
    "HKEY_CURRENT_USER\\Control Panel\\Desktop",
    "HKEY_CURRENT_USER\\Control Panel\\Cursors",
    "HKEY_CURRENT_USER\\AppEvents\\Schemes\\Apps",
    "HKEY_CLASSES_ROOT\\CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\DefaultIcon",
    "HKEY_CLASSES_ROOT\\CLSID\\{208D2C60-3AEA-1069-A2D7-08002B30309D}\\DefaultIcon",
    "HKEY_CLASSES_ROOT\\CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon",
};

Snapshot TakeSnapshot() {
  Snapshot s;
  for (const char* key : kExportedKeys) {
    std::string text = RegExport(key);
    // The cursor scheme's name is blanked by the install on purpose.
    if (std::string(key).find("Cursors") != std::string::npos) text = WithoutValue(text, "@");
    if (std::string(key).find("Desktop") != std::string::npos) {
      text = OnlyRecordedWindowMetrics(text);
    }
    s.exports.push_back(text);
  }
  s.boot = BootSection();
  s.view = ReadSystemView();
  return s;
}

void ExpectSame(const Snapshot& before, const Snapshot& after) {
  for (size_t i = 0; i < before.exports.size(); ++i) {
    SCOPED_TRACE(kExportedKeys[i]);
    EXPECT_FALSE(before.exports[i].empty());
    EXPECT_EQ(after.exports[i], before.exports[i]);
  }
  EXPECT_EQ(after.boot, before.boot);
  ASSERT_TRUE(before.view.ok && after.view.ok);
  for (int i = 0; i < kColourCount; ++i) EXPECT_EQ(after.view.sys[i], before.view.sys[i]);
  EXPECT_TRUE(SameMetricsBytes(&after.view.icon, &before.view.icon, sizeof after.view.icon));
  EXPECT_TRUE(
      SameMetricsBytes(&after.view.nonclient, &before.view.nonclient, sizeof after.view.nonclient));
}

// A colour theme with every section, for every part.
std::string FullTheme(const ThemeIconMetrics& icon, const ThemeNonclientMetrics& nonclient) {
  std::string text = ColourSectionText(9) + MetricsSectionText(icon, nonclient);
  text +=
      "[Control Panel\\Desktop]\r\nScreenSaveActive=1\r\nTileWallpaper=1\r\nWallpaperStyle=0\r\n"
      "Pattern=(None)\r\n";
  text += std::string("[") + kMyComputerIconKey + "]\r\nDefaultValue=%ThemeDir%Tavol\\pc.ico,0\r\n";
  text += std::string("[") + kNetworkIconKey + "]\r\nDefaultValue=%ThemeDir%Tavol\\net.ico,0\r\n";
  text += std::string("[") + kRecycleBinIconKey +
          "]\r\nfull=%ThemeDir%Tavol\\full.ico,0\r\nempty=%ThemeDir%Tavol\\empty.ico,0\r\n";
  text += "[MasterThemeSelector]\r\nThemeColorBPP=8\r\n[Control Panel\\Cursors]\r\n";
  for (const char* name : kCursorNames)
    text += std::string(name) + "=%ThemeDir%Tavol\\" + name + ".cur\r\n";
  text += "DefaultValue=Tavol White\r\n";
  for (const char* key : kSoundEventKeys) {
    text += std::string("[") + key + "]\r\nDefaultValue=%ThemeDir%Tavol\\ding.wav\r\n";
  }
  text += "[boot]\r\nSCRNSAVE.EXE=%WinDir%Tavol The Corvane.scr\r\n";
  return text;
}

class RevertTest : public ::testing::Test {
 protected:
  void SetUp() override {
    originalIcon_ = GetIconMetrics();
    originalNonclient_ = GetNonclientMetrics();
    ASSERT_TRUE(WriteTestArt(TavolArtDir(), "WHITE", 256, 192, 4));
    themeDir_ = MakeTempDir("revert");
    savedControl_ = ProfileGet("control.ini", "Tavol", "switcher");
    ProfileSet("control.ini", "Tavol", "switcher", themeDir_.c_str());
    ThemeIconMetrics icon = originalIcon_;
    ThemeNonclientMetrics nonclient = originalNonclient_;
    VaryMetrics(&icon, &nonclient);
    WriteFileBytes(themeDir_ + "\\Tavol The Corvane WHITE.theme", FullTheme(icon, nonclient));
    for (const std::string& path :
         {BackupThemePath(), RestoreThemePath(), WallpaperPath(), WallpaperCopyPath()}) {
      DeleteFileA(path.c_str());
    }
    SetKnownSettings();
  }
  void TearDown() override {
    SetMetrics(originalIcon_, originalNonclient_);
    ProfileSet("control.ini", "Tavol", "switcher",
               savedControl_.empty() ? nullptr : savedControl_.c_str());
    RemoveTree(themeDir_);
    for (const std::string& path : {BackupThemePath(), RestoreThemePath(), WallpaperCopyPath()}) {
      DeleteFileA(path.c_str());
    }
  }
  // The settings of a user who has every value the backup records.
  void SetKnownSettings() {
    SetBaselineColours(33);
    const char* desktop = "Control Panel\\Desktop";
    RegSetString(HKEY_CURRENT_USER, desktop, "ScreenSaveActive", "0");
    RegSetString(HKEY_CURRENT_USER, desktop, "TileWallpaper", "0");
    RegSetString(HKEY_CURRENT_USER, desktop, "WallpaperStyle", "2");
    RegSetString(HKEY_CURRENT_USER, desktop, "Pattern", "(None)");
    std::string mine = WindowsDir() + "\\mine.bmp";
    WriteFileBytes(
        mine, ReadFileBytes(BinDir() + "\\..\\..\\native\\assets-out\\switcher\\AboutBox.bmp"));
    SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(mine.c_str()),
                          SPIF_UPDATEINIFILE);
    RegSetString(HKEY_CURRENT_USER, desktop, "Wallpaper", mine);
    RegSetString(HKEY_CURRENT_USER, desktop, "SCRNSAVE.EXE", "C:\\windows\\system32\\old.scr");
    RegSetString(HKEY_CURRENT_USER, "Control Panel\\Desktop\\WindowMetrics", "Shell Icon BPP",
                 "16");
    RegSetString(HKEY_CLASSES_ROOT, kMyComputerIconKey, nullptr, "C:\\old\\pc.ico,0");
    RegSetString(HKEY_CLASSES_ROOT, kNetworkIconKey, nullptr, "C:\\old\\net.ico,0");
    RegSetString(HKEY_CLASSES_ROOT, kRecycleBinIconKey, "full", "C:\\old\\full.ico,0");
    RegSetString(HKEY_CLASSES_ROOT, kRecycleBinIconKey, "empty", "C:\\old\\empty.ico,0");
    RegSetString(HKEY_CLASSES_ROOT, kRecycleBinIconKey, nullptr, "C:\\old\\empty.ico,0");
    for (const char* name : kCursorNames) {
      RegSetString(HKEY_CURRENT_USER, "Control Panel\\Cursors", name,
                   std::string("C:\\old\\") + name + ".cur");
    }
    RegSetString(HKEY_CURRENT_USER, "Control Panel\\Cursors", nullptr, "Windows Default");
    for (const char* key : kSoundEventKeys) {
      RegSetString(HKEY_CURRENT_USER, key, nullptr, "C:\\old\\sound.wav");
    }
    ProfileSet("system.ini", "boot", "SCRNSAVE.EXE", "C:\\WINDOWS\\OLD.SCR");
  }
  // Starts the switcher and applies white with all seven parts.
  void ApplyAllParts(SwitcherRun* run) {
    ASSERT_TRUE(run->Start());
    for (int id = IDC_SCREENSAVER; id <= IDC_FONTS; ++id) ASSERT_TRUE(run->IsChecked(id));
    run->Click(IDC_APPLY);
    ASSERT_TRUE(run->WaitIdle(120000));
    // Everything changed.
    EXPECT_NE(RegGetString(HKEY_CURRENT_USER, "Control Panel\\Cursors", "Arrow"),
              "C:\\old\\Arrow.cur");
    EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper"),
              WallpaperPath());
    EXPECT_NE(ProfileGet("system.ini", "boot", "SCRNSAVE.EXE"), "C:\\WINDOWS\\OLD.SCR");
  }

  ThemeIconMetrics originalIcon_;
  ThemeNonclientMetrics originalNonclient_;
  std::string themeDir_, savedControl_;
};

TEST_F(RevertTest, RevertPutsBackEverythingFromBeforeTheFirstStart) {
  Snapshot before = TakeSnapshot();
  SwitcherRun run;
  ApplyAllParts(&run);
  run.Command(IDOK);  // clean: closes
  ASSERT_TRUE(run.WaitExit());
  SwitcherRun revert;
  ASSERT_TRUE(revert.Start("/r", false));
  ASSERT_TRUE(revert.WaitExit(120000));
  EXPECT_EQ(revert.ExitCode(), 1u);
  ExpectSame(before, TakeSnapshot());
}

TEST_F(RevertTest, CancelAfterApplyPutsBackTheSettingsAtStart) {
  Snapshot before = TakeSnapshot();
  SwitcherRun run;
  ApplyAllParts(&run);
  run.Click(IDCANCEL);
  ASSERT_TRUE(run.WaitExit(120000));
  EXPECT_EQ(run.ExitCode(), 0u);
  ExpectSame(before, TakeSnapshot());
  EXPECT_FALSE(FileExists(WallpaperPath()));  // there was none at start
}

}  // namespace
