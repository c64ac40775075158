// Everything a colour theme installs comes back: after Revert (the settings
// from before the first start) and after Cancel (the settings at start), the
// keys the backup records and "system.ini" [boot] read as before, apart from
// the scheme names that the install steps blank on purpose.
#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>
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

// Everything of the user's that Wine keeps in the registry's
// HKEY_CURRENT_USER and in "win.ini", "system.ini" and "control.ini", one
// entry per value ("KEY\name", "file[section]name") and per key.
using UserState = std::map<std::string, std::string>;

void AddRegistryValues(const std::string& text, UserState* state) {
  std::string key, line, pending;
  for (char c : text + "\n") {
    if (c != '\n') {
      line += c;
      continue;
    }
    if (!pending.empty()) {
      line = pending + line.substr(line.find_first_not_of(' ') == std::string::npos
                                       ? line.size()
                                       : line.find_first_not_of(' '));
      pending.clear();
    }
    if (!line.empty() && line.back() == '\\') {
      line.pop_back();
      pending = line;
    } else if (!line.empty() && line[0] == '[') {
      key = line.substr(1, line.size() - 2);
      (*state)[key + "\\"] = "(key)";
    } else if (!line.empty() && (line[0] == '"' || line[0] == '@')) {
      size_t end = 0;
      if (line[0] == '"') {
        end = 1;
        while (end < line.size() && line[end] != '"') end += line[end] == '\\' ? 2 : 1;
      }
      const size_t equals = line.find('=', end);
      if (equals != std::string::npos) {
        (*state)[key + "\\" + line.substr(0, equals)] = line.substr(equals + 1);
      }
    }
    line.clear();
  }
}

void AddProfileValues(const std::string& file, UserState* state) {
  std::string section, line;
  for (char c : ReadFileBytes(WindowsDir() + "\\" + file) + "\n") {
    if (c == '\r') continue;
    if (c != '\n') {
      line += c;
      continue;
    }
    if (!line.empty() && line[0] == '[') {
      section = line;
    } else if (line.find('=') != std::string::npos) {
      (*state)[file + section + line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
    }
    line.clear();
  }
}

UserState TakeUserState() {
  UserState state;
  AddRegistryValues(RegExport("HKEY_CURRENT_USER"), &state);
  for (const char* file : {"win.ini", "system.ini", "control.ini"}) AddProfileValues(file, &state);
  return state;
}

// The entries that differ (added, removed or changed), with both sides.
std::map<std::string, std::string> Differences(const UserState& before, const UserState& after) {
  std::map<std::string, std::string> out;
  for (const auto& [name, value] : before) {
    auto it = after.find(name);
    if (it == after.end()) {
      out[name] = value + " -> (gone)";
    } else if (it->second != value) {
      out[name] = value + " -> " + it->second;
    }
  }
  for (const auto& [name, value] : after) {
    if (!before.count(name)) out[name] = "(none) -> " + value;
  }
  return out;
}

// Differences a round trip may leave, each for a reason.
struct AllowedDifference {
  const char* prefix;
  const char* reason;
};
constexpr char kWineMetricsForm[] =
    "Wine keeps it in its own form until it is set (the face \"MS Shell Dlg\", spacing in "
    "twips), then as the system reads it (Tahoma, 75 pixels): the same metrics";
const AllowedDifference kAllowedDifferences[] = {
    {"HKEY_CURRENT_USER\\Software\\TavolTheCorvane\\", "the package's own values"},
    {"HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics\\\"CaptionFont\"", kWineMetricsForm},
    {"HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics\\\"SmCaptionFont\"",
     kWineMetricsForm},
    {"HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics\\\"MenuFont\"", kWineMetricsForm},
    {"HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics\\\"MessageFont\"", kWineMetricsForm},
    {"HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics\\\"StatusFont\"", kWineMetricsForm},
    {"HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics\\\"IconFont\"", kWineMetricsForm},
    {"HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics\\\"IconSpacing\"", kWineMetricsForm},
    {"HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics\\\"IconVerticalSpacing\"",
     kWineMetricsForm},
    {"HKEY_CURRENT_USER\\AppEvents\\Schemes\\@",
     "installed sounds match no named scheme (one blank, as the display control panel writes "
     "it); the backup keeps no scheme name, the sounds themselves are the user's again"},
};

constexpr char kWineSessionKey[] =
    "HKEY_CURRENT_USER\\Software\\Wine\\Temporary System Parameters\\";

const char* AllowedReason(const std::string& name, const std::set<std::string>& noise,
                          const UserState& after) {
  if (noise.count(name)) return "Wine changes it between two exports with no program run";
  for (const AllowedDifference& allowed : kAllowedDifferences) {
    if (name.compare(0, std::strlen(allowed.prefix), allowed.prefix) == 0) return allowed.reason;
  }
  // A setting made for the session only: Wine keeps it apart; it must say
  // what the stored setting says.
  if (name.compare(0, sizeof kWineSessionKey - 1, kWineSessionKey) == 0) {
    const std::string stored = "HKEY_CURRENT_USER\\" + name.substr(sizeof kWineSessionKey - 1);
    auto session = after.find(name), same = after.find(stored);
    if (session != after.end() && session->second == "(key)") return "Wine's own session key";
    if (session != after.end() && same != after.end() && session->second == same->second) {
      return "the session's setting, the same as the stored one";
    }
  }
  return nullptr;
}

size_t MemoryOf(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  return GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.PagefileUsage : 0;
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

// Every theme applied with all seven parts, fifty times over in one
// switcher run, then Revert: nothing of the user's is left changed, and the
// switcher's memory after the last apply is that of after the first.
TEST_F(RevertTest, FiftyAppliesOfEveryThemeThenRevertLeaveNothingOfTheUsersChanged) {
  ASSERT_TRUE(
      CopyTree(BinDir() + "\\..\\..\\package\\tree\\Program Files\\Plus!\\Themes", themeDir_));
  std::set<std::string> noise;
  for (const auto& [name, change] : Differences(TakeUserState(), TakeUserState())) {
    noise.insert(name);
  }
  const UserState before = TakeUserState();

  SwitcherRun run;
  ASSERT_TRUE(run.Start());
  const int colours[] = {IDC_WHITE, IDC_BLUE, IDC_BLACK, IDC_RED, IDC_GREEN};
  size_t firstMemory = 0, lastMemory = 0;
  for (int cycle = 0; cycle < 50; ++cycle) {
    run.Click(colours[cycle % 5]);
    for (int id = IDC_SCREENSAVER; id <= IDC_FONTS; ++id) ASSERT_TRUE(run.IsChecked(id));
    run.Click(IDC_APPLY);
    ASSERT_TRUE(run.WaitIdle(120000)) << "apply " << cycle + 1;
    (cycle == 0 ? firstMemory : lastMemory) = MemoryOf(run.child().Handle());
  }
  run.Click(IDC_REVERT);
  ASSERT_TRUE(run.WaitExit(120000));

  const UserState after = TakeUserState();
  int faults = 0, allowed = 0;
  for (const auto& [name, change] : Differences(before, after)) {
    if (const char* reason = AllowedReason(name, noise, after)) {
      std::printf("allowed: %s: %s (%s)\n", name.c_str(), change.c_str(), reason);
      ++allowed;
    } else {
      ADD_FAILURE() << name << ": " << change;
      ++faults;
    }
  }
  std::printf(
      "round trip: %zu values compared, %zu of them Wine's own noise, %d differences "
      "allowed, %d faults; switcher memory %zu KB after the first apply, %zu KB after "
      "the fiftieth\n",
      before.size(), noise.size(), allowed, faults, firstMemory / 1024, lastMemory / 1024);
  ASSERT_NE(firstMemory, 0u);
  EXPECT_LE(lastMemory, firstMemory + 1024 * 1024);
}

}  // namespace
