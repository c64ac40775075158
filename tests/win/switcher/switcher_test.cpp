// The Theme Switcher as its users run it: a real switcher.exe, driven through
// its windows and messages.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "layout/switcher_layout.h"
#include "resource.h"
#include "switcher_driver.h"
#include "system_state.h"
#include "test_art.h"
#include "assert_log.h"
#include "winsupport.h"

namespace {

const char* const kColourNames[] = {"BLACK", "RED", "WHITE", "BLUE", "GREEN"};  // ids 100..104

class SwitcherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    originalIcon_ = GetIconMetrics();
    originalNonclient_ = GetNonclientMetrics();
    themeDir_ = MakeTempDir("switcher");
    savedControl_ = ProfileGet("control.ini", "Tavol", "switcher");
    ProfileSet("control.ini", "Tavol", "switcher", themeDir_.c_str());
    ThemeIconMetrics icon = originalIcon_;
    ThemeNonclientMetrics nonclient = originalNonclient_;
    VaryMetrics(&icon, &nonclient);
    for (int i = 0; i < 5; ++i) {
      WriteFileBytes(ThemePath(i), ColourSectionText(i + 1) + MetricsSectionText(icon, nonclient));
    }
    for (const std::string& path :
         {BackupThemePath(), RestoreThemePath(), WallpaperPath(), WallpaperCopyPath()}) {
      DeleteFileA(path.c_str());
    }
    SetBaselineColours();
  }
  void TearDown() override {
    SetMetrics(originalIcon_, originalNonclient_);
    ProfileSet("control.ini", "Tavol", "switcher",
               savedControl_.empty() ? nullptr : savedControl_.c_str());
    RemoveTree(themeDir_);
    for (const std::string& path :
         {BackupThemePath(), RestoreThemePath(), WallpaperPath(), WallpaperCopyPath()}) {
      DeleteFileA(path.c_str());
    }
  }
  std::string ThemePath(int colourIndex) const {
    return themeDir_ + "\\Tavol The Corvane " + kColourNames[colourIndex] + ".theme";
  }
  // The colours theme `id` installs.
  static COLORREF ThemeColour(int id, int element) {
    int seed = id - IDC_BLACK + 1;
    for (int i = 0; i < kColourCount; ++i) {
      if (kThemeColours[i].element == element) {
        return RGB((seed * 7 + i * 3) % 256, (seed * 13 + i * 5) % 256, (seed * 29 + i * 11) % 256);
      }
    }
    return 0;
  }

  ThemeIconMetrics originalIcon_;
  ThemeNonclientMetrics originalNonclient_;
  std::string themeDir_, savedControl_;
};

TEST_F(SwitcherTest, StartThenCloseRemovesThePerRunFilesAndKeepsTheBackup) {
  ASSERT_TRUE(WriteFileBytes(WallpaperPath(), std::string(5000, 'w')));
  SwitcherRun run;
  ASSERT_TRUE(run.Start());
  EXPECT_TRUE(FileExists(BackupThemePath()));
  EXPECT_TRUE(FileExists(RestoreThemePath()));
  EXPECT_EQ(ReadFileBytes(WallpaperCopyPath()), std::string(5000, 'w'));
  run.Close();
  ASSERT_TRUE(run.WaitExit());
  EXPECT_EQ(run.ExitCode(), 0u);
  EXPECT_FALSE(FileExists(RestoreThemePath()));
  EXPECT_FALSE(FileExists(WallpaperCopyPath()));
  EXPECT_TRUE(FileExists(WallpaperPath()));
  std::string backup = ReadFileBytes(BackupThemePath());
  EXPECT_NE(backup.find("[Control Panel\\Colors]"), std::string::npos);

  // The settings change, the backup does not.
  SetBaselineColours(60);
  SwitcherRun second;
  ASSERT_TRUE(second.Start());
  second.Close();
  ASSERT_TRUE(second.WaitExit());
  EXPECT_EQ(second.ExitCode(), 0u);
  EXPECT_EQ(ReadFileBytes(BackupThemePath()), backup);
}

TEST_F(SwitcherTest, SecondStartExitsWithOneAndWritesNothing) {
  SwitcherRun first;
  ASSERT_TRUE(first.Start());
  std::string backup = ReadFileBytes(BackupThemePath());
  DeleteFileA(RestoreThemePath().c_str());
  SetBaselineColours(40);
  ColourSnapshot before = TakeColourSnapshot();

  for (const char* args : {"", "/r"}) {
    SCOPED_TRACE(args);
    SwitcherRun second;
    ASSERT_TRUE(second.Start(args, false));
    ASSERT_TRUE(second.WaitExit());
    EXPECT_EQ(second.ExitCode(), 1u);
    EXPECT_FALSE(FileExists(RestoreThemePath()));
    EXPECT_EQ(ReadFileBytes(BackupThemePath()), backup);
    ColourSnapshot after = TakeColourSnapshot();
    for (int i = 0; i < kColourCount; ++i) EXPECT_EQ(after.sys[i], before.sys[i]);
    EXPECT_TRUE(IsWindow(first.main()));
    EXPECT_EQ(GetForegroundWindow(), first.main());
  }
  first.Close();
  ASSERT_TRUE(first.WaitExit());
}

TEST_F(SwitcherTest, ClientAreaAndControlsFollowTheLayout) {
  SwitcherRun run;
  ASSERT_TRUE(run.Start());

  // Measure as the switcher does: its UI font on a desktop DC.
  HFONT font = CreateFontA(-14, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0x22, "MS Sans Serif");
  HDC dc = GetDC(GetDesktopWindow());
  HGDIOBJ old = SelectObject(dc, font);
  SIZE colors, cancel;
  GetTextExtentPointA(dc, "Window Colors", 13, &colors);
  GetTextExtentPointA(dc, "Cancel", 6, &cancel);
  SelectObject(dc, old);
  ReleaseDC(GetDesktopWindow(), dc);
  DeleteObject(font);
  LayoutMetrics metrics =
      ComputeLayoutMetrics({colors.cx, colors.cy}, {cancel.cx, cancel.cy},
                           GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
  if (GetSystemMetrics(SM_CXICON) == 32) {
    EXPECT_EQ(metrics.iconCellWidth, 48);
  }
  if (GetSystemMetrics(SM_CYICON) == 32) {
    EXPECT_EQ(metrics.iconCellHeight, 48);
  }

  ClientSize wanted = MainClientSize(metrics, GetSystemMetrics(SM_CYCAPTION));
  RECT frame = {0, 0, wanted.width, wanted.height};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  RECT window;
  GetWindowRect(run.main(), &window);
  EXPECT_EQ(window.right - window.left, frame.right - frame.left);
  EXPECT_EQ(window.bottom - window.top, frame.bottom - frame.top);
  // The client area is what that outer size leaves inside the fixed frame.
  RECT fixed = {0, 0, 0, 0};
  AdjustWindowRect(&fixed, static_cast<DWORD>(GetWindowLongA(run.main(), GWL_STYLE)), FALSE);
  RECT client;
  GetClientRect(run.main(), &client);
  EXPECT_EQ(client.right, (frame.right - frame.left) - (fixed.right - fixed.left));
  EXPECT_EQ(client.bottom, (frame.bottom - frame.top) - (fixed.bottom - fixed.top));

  MainLayout layout = ComputeMainLayout(metrics);
  auto placeOf = [&](int id) {
    RECT r;
    GetWindowRect(run.Item(id), &r);
    MapWindowPoints(nullptr, run.main(), reinterpret_cast<POINT*>(&r), 2);
    return LayoutRect{r.left, r.top, r.right, r.bottom};
  };
  const int colourIds[] = {IDC_WHITE, IDC_BLUE, IDC_BLACK, IDC_RED, IDC_GREEN};
  for (int i = 0; i < kColourButtonCount; ++i) {
    SCOPED_TRACE(colourIds[i]);
    EXPECT_EQ(placeOf(colourIds[i]), layout.colourButtons[i]);
  }
  for (int i = 0; i < kCheckBoxCount; ++i) {
    SCOPED_TRACE(IDC_SCREENSAVER + i);
    EXPECT_EQ(placeOf(IDC_SCREENSAVER + i), layout.checkBoxes[i]);
  }
  const int pushIds[] = {IDOK, IDCANCEL, IDC_APPLY, IDC_REVERT, IDC_ABOUT};
  for (int i = 0; i < kPushButtonCount; ++i) {
    SCOPED_TRACE(pushIds[i]);
    EXPECT_EQ(placeOf(pushIds[i]), layout.pushButtons[i]);
  }
  run.Close();
  ASSERT_TRUE(run.WaitExit());
}

TEST_F(SwitcherTest, ControlsAndInitialState) {
  SwitcherRun run;
  ASSERT_TRUE(run.Start());
  struct Expected {
    int id;
    const char* cls;
    const char* text;
  } controls[] = {
      {IDC_WHITE, "TAVOLTHEME_IconButtonClass", "WHITE"},
      {IDC_BLUE, "TAVOLTHEME_IconButtonClass", "BLUE"},
      {IDC_BLACK, "TAVOLTHEME_IconButtonClass", "BLACK"},
      {IDC_RED, "TAVOLTHEME_IconButtonClass", "RED"},
      {IDC_GREEN, "TAVOLTHEME_IconButtonClass", "GREEN"},
      {IDC_SCREENSAVER, "Button", "&Screen Saver"},
      {IDC_SOUNDS, "Button", "Soun&ds"},
      {IDC_CURSORS, "Button", "&Mouse Cursors"},
      {IDC_WALLPAPER, "Button", "&Wallpaper"},
      {IDC_ICONS, "Button", "Desktop &Icons"},
      {IDC_COLORS, "Button", "Window &Colors"},
      {IDC_FONTS, "Button", "Window &Fonts"},
      {IDOK, "Button", "OK"},
      {IDCANCEL, "Button", "Cancel"},
      {IDC_APPLY, "Button", "A&pply"},
      {IDC_REVERT, "Button", "&Revert"},
      {IDC_ABOUT, "Button", "&About..."},
  };
  for (const Expected& c : controls) {
    SCOPED_TRACE(c.text);
    HWND item = run.Item(c.id);
    ASSERT_NE(item, nullptr);
    char cls[64] = "", text[64] = "";
    GetClassNameA(item, cls, sizeof cls);
    GetWindowTextA(item, text, sizeof text);
    EXPECT_STRCASEEQ(cls, c.cls);
    EXPECT_STREQ(text, c.text);
    EXPECT_TRUE(GetWindowLongA(item, GWL_STYLE) & WS_TABSTOP);
    if (c.id >= IDC_SCREENSAVER && c.id <= IDC_FONTS) {
      EXPECT_TRUE(run.IsChecked(c.id));
    }
  }
  EXPECT_EQ(run.StatusText(),
            "Choose the Tavol color (by mana symbol) and the parts of the theme to use.");
  EXPECT_TRUE(IsWindowEnabled(run.Item(IDC_APPLY)));
  char title[64] = "";
  GetWindowTextA(run.main(), title, sizeof title);
  EXPECT_STREQ(title, "Desktop Lumivex");
  // Created as WS_BORDER | WS_SYSMENU | WS_MINIMIZEBOX; the system gives every
  // overlapped window a caption (WS_DLGFRAME) on top.
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(run.main(), GWL_STYLE)) & 0x00CF0000u, 0x00CA0000u);
  run.Close();
  ASSERT_TRUE(run.WaitExit());
}

TEST_F(SwitcherTest, ApplyInstallsThenOkClosesAtOnce) {
  SwitcherRun run;
  ASSERT_TRUE(run.Start());
  run.UseOnlyParts({IDC_COLORS, IDC_FONTS});
  // (Going busy is a matter of 100 ms here; MainWindowTest watches it.)
  run.Click(IDC_APPLY);
  ASSERT_TRUE(run.WaitIdle());
  EXPECT_FALSE(IsWindowEnabled(run.Item(IDC_APPLY)));
  // A disabled button cannot hold the focus: the default button takes it.
  EXPECT_EQ(run.Focus(), run.Item(IDOK));
  SystemView view = ReadSystemView();
  ASSERT_TRUE(view.ok);
  EXPECT_EQ(SysColourIn(view, COLOR_WINDOW), ThemeColour(IDC_WHITE, COLOR_WINDOW));
  EXPECT_EQ(view.nonclient.iScrollWidth, originalNonclient_.iScrollWidth + 4);

  // Clean and Apply disabled: OK closes without installing again.
  SetBaselineColours(50);
  run.Command(IDOK);
  ASSERT_TRUE(run.WaitExit(5000));
  EXPECT_EQ(run.ExitCode(), 0u);
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, "Control Panel\\Colors", "Window"), "55 55 55");
}

TEST_F(SwitcherTest, TabOntoAColourButtonSelectsItAndDoubleClickApplies) {
  SwitcherRun run;
  ASSERT_TRUE(run.Start());
  // Apply has the focus at the start; Revert, About, then the colour buttons
  // follow in the tab order.
  ASSERT_EQ(run.Focus(), run.Item(IDC_APPLY));
  for (int i = 0; i < 4; ++i) {
    // Keys go through the message loop's dialog handling: post them.
    HWND before = run.Focus();
    PostMessageA(before, WM_KEYDOWN, VK_TAB, 0);
    PostMessageA(before, WM_KEYUP, VK_TAB, 0xC0000001);
    for (int wait = 0; wait < 150 && run.Focus() == before; ++wait) Sleep(20);
  }
  EXPECT_EQ(run.Focus(), run.Item(IDC_BLUE));
  run.UseOnlyParts({IDC_COLORS});
  // A double-click on a colour button applies the selected theme.
  DWORD_PTR result = 0;
  SendMessageTimeoutA(run.Item(IDC_BLUE), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 10),
                      SMTO_NORMAL, 5000, &result);
  ASSERT_TRUE(run.WaitIdle());
  EXPECT_EQ(SysColourIn(ReadSystemView(), COLOR_HIGHLIGHT), ThemeColour(IDC_BLUE, COLOR_HIGHLIGHT));
  run.Close();
  ASSERT_TRUE(run.WaitExit());
  EXPECT_EQ(run.ExitCode(), 0u);
}

TEST_F(SwitcherTest, ClosingWithChangesAsksFirst) {
  struct Case {
    const char* name;
    int answer;
    bool exits;
    bool installs;
  } cases[] = {
      {"Yes installs, then ends", IDYES, true, true},
      {"No ends without installing", IDNO, true, false},
      {"Cancel keeps the window", IDCANCEL, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetBaselineColours();
    SwitcherRun run;
    ASSERT_TRUE(run.Start());
    run.UseOnlyParts({IDC_COLORS});
    run.Click(IDC_RED);
    Sleep(200);
    run.Close();
    HWND box = FindDialog("Desktop Lumivex", run.Pid(), 10000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(DialogText(box), "Would you like the new settings applied?");
    PostMessageA(box, WM_COMMAND, c.answer, 0);
    // A program that ends on Cancel ends as the box goes, not seconds later.
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(box); }, 10000));
    EXPECT_EQ(run.WaitExit(c.exits ? 10000 : 1000), c.exits);
    if (c.exits) {
      EXPECT_EQ(run.ExitCode(), 0u);
    }
    EXPECT_EQ(SysColourIn(ReadSystemView(), COLOR_WINDOW) == ThemeColour(IDC_RED, COLOR_WINDOW),
              c.installs);
    if (!c.exits) {
      EXPECT_TRUE(IsWindowVisible(run.main()));
      // Clean again after No? Still changed: a second close asks again.
      run.Close();
      HWND again = FindDialog("Desktop Lumivex", run.Pid(), 10000);
      ASSERT_NE(again, nullptr);
      PostMessageA(again, WM_COMMAND, IDNO, 0);
      ASSERT_TRUE(run.WaitExit());
    }
  }
}

TEST_F(SwitcherTest, CloseWithoutChangesAsksNothing) {
  SwitcherRun run;
  ASSERT_TRUE(run.Start());
  run.Command(IDCANCEL);  // nothing applied yet: Cancel just closes
  ASSERT_TRUE(run.WaitExit(5000));
  EXPECT_EQ(run.ExitCode(), 0u);
  EXPECT_EQ(FindDialog("Desktop Lumivex", run.Pid(), 0), nullptr);
}

TEST_F(SwitcherTest, AWindowThatStopsAnsweringDoesNotHoldUpApply) {
  ChildProcess hung;
  ASSERT_TRUE(hung.Start("\"" + BinDir() + "\\hung_window_probe.exe\""));
  ASSERT_TRUE(
      PumpUntil([] { return FindWindowA("LumivexHungWindow", nullptr) != nullptr; }, 10000));
  SwitcherRun run;
  ASSERT_TRUE(run.Start());
  run.UseOnlyParts({IDC_COLORS, IDC_FONTS});
  run.Click(IDC_APPLY);
  EXPECT_TRUE(run.WaitIdle(10000));
  SystemView view = ReadSystemView();
  ASSERT_TRUE(view.ok);
  EXPECT_EQ(SysColourIn(view, COLOR_WINDOW), ThemeColour(IDC_WHITE, COLOR_WINDOW));
  EXPECT_EQ(view.nonclient.iScrollWidth, originalNonclient_.iScrollWidth + 4);
  hung.Kill();
  run.Command(IDOK);
  EXPECT_TRUE(run.WaitExit(10000));
}

TEST_F(SwitcherTest, MissingThemeFileBoxStaysUntilAnswered) {
  for (int i = 0; i < 5; ++i) DeleteFileA(ThemePath(i).c_str());
  SwitcherRun run;
  ASSERT_TRUE(run.Start());
  run.Command(IDOK);
  HWND box = FindDialog("Tavol: The Corvane  Theme Switcher", run.Pid(), 10000);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(DialogText(box).find("Cannot find the theme file"), std::string::npos);
  // Many timer ticks later the box is still there, waiting for the user.
  EXPECT_FALSE(run.WaitExit(6000));
  EXPECT_TRUE(IsWindow(box));
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  // The cycle ends after the answer: OK closes the program.
  ASSERT_TRUE(run.WaitExit(10000));
  EXPECT_EQ(run.ExitCode(), 0u);
}

TEST_F(SwitcherTest, RevertPutsColoursAndMetricsBackAsBeforeTheFirstStart) {
  ColourSnapshot before = TakeColourSnapshot();
  for (const char* how : {"Revert button", "/r"}) {
    SCOPED_TRACE(how);
    SwitcherRun run;
    ASSERT_TRUE(run.Start());
    run.UseOnlyParts({IDC_COLORS, IDC_FONTS});
    run.Click(IDC_GREEN);
    run.Click(IDC_APPLY);
    ASSERT_TRUE(run.WaitIdle());
    SystemView applied = ReadSystemView();
    ASSERT_EQ(SysColourIn(applied, COLOR_MENU), ThemeColour(IDC_GREEN, COLOR_MENU));
    ASSERT_NE(applied.nonclient.iScrollWidth, originalNonclient_.iScrollWidth);

    if (std::strcmp(how, "/r") == 0) {
      run.Command(IDOK);
      ASSERT_TRUE(run.WaitExit());
      SwitcherRun revert;
      ASSERT_TRUE(revert.Start("/r", false));
      bool everVisible = false;
      while (!revert.WaitExit(5)) {
        HWND main = FindMainWindowOf(revert.Pid());
        if (main && IsWindowVisible(main)) everVisible = true;
      }
      EXPECT_FALSE(everVisible);
      EXPECT_EQ(revert.ExitCode(), 1u);
    } else {
      run.Click(IDC_REVERT);
      ASSERT_TRUE(run.WaitExit());
      EXPECT_EQ(run.ExitCode(), 0u);
    }
    ColourSnapshot after = TakeColourSnapshot();
    SystemView view = ReadSystemView();
    ASSERT_TRUE(view.ok);
    for (int i = 0; i < kColourCount; ++i) {
      SCOPED_TRACE(kThemeColours[i].name);
      EXPECT_EQ(after.text[i], before.text[i]);
      EXPECT_EQ(view.sys[i], before.sys[i]);
    }
    EXPECT_TRUE(SameMetricsBytes(&view.icon, &originalIcon_, sizeof view.icon));
    EXPECT_TRUE(SameMetricsBytes(&view.nonclient, &originalNonclient_, sizeof view.nonclient));
  }
}

TEST_F(SwitcherTest, CancelAfterApplyRestoresTheSettingsFoundAtStart) {
  SetBaselineColours(90);
  ColourSnapshot atStart = TakeColourSnapshot();
  SwitcherRun run;
  ASSERT_TRUE(run.Start());
  run.UseOnlyParts({IDC_COLORS, IDC_FONTS});
  run.Click(IDC_APPLY);
  ASSERT_TRUE(run.WaitIdle());
  ASSERT_EQ(SysColourIn(ReadSystemView(), COLOR_WINDOW), ThemeColour(IDC_WHITE, COLOR_WINDOW));
  run.Click(IDCANCEL);
  ASSERT_TRUE(run.WaitExit());
  EXPECT_EQ(run.ExitCode(), 0u);
  SystemView view = ReadSystemView();
  ASSERT_TRUE(view.ok);
  for (int i = 0; i < kColourCount; ++i) EXPECT_EQ(view.sys[i], atStart.sys[i]);
  EXPECT_TRUE(SameMetricsBytes(&view.nonclient, &originalNonclient_, sizeof view.nonclient));
  EXPECT_FALSE(FileExists(RestoreThemePath()));
}

// The tooltip shows for the control under the mouse after its delay.
std::string HoverTooltip(const SwitcherRun& run, int id) {
  RECT r;
  GetWindowRect(run.Item(id), &r);
  SetCursorPos(r.left + 5, r.top + (r.bottom - r.top) / 2);
  for (int i = 0; i < 3; ++i) {
    PostMessageA(run.Item(id), WM_MOUSEMOVE, 0, MAKELPARAM(5 + i, 5));
    Sleep(30);
  }
  DWORD start = GetTickCount();
  while (GetTickCount() - start < 6000) {
    HWND tip = FindWindowA(TOOLTIPS_CLASSA, nullptr);
    while (tip) {
      DWORD pid = 0;
      GetWindowThreadProcessId(tip, &pid);
      if (pid == run.Pid() && IsWindowVisible(tip)) {
        std::string text = WindowTextOf(tip);
        if (!text.empty()) return text;
      }
      tip = FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr);
    }
    Sleep(50);
  }
  return "";
}

TEST_F(SwitcherTest, TooltipTextFollowsTheState) {
  SwitcherRun run;
  ASSERT_TRUE(run.Start());
  SetForegroundWindow(run.main());
  EXPECT_EQ(HoverTooltip(run, IDC_WALLPAPER), "Use this theme's wallpaper");
  run.Click(IDC_WALLPAPER);
  SetCursorPos(900, 700);
  Sleep(300);
  EXPECT_EQ(HoverTooltip(run, IDC_WALLPAPER), "Current wallpaper will remain");
  SetCursorPos(900, 700);
  Sleep(300);
  EXPECT_EQ(HoverTooltip(run, IDC_WHITE), "Install white theme");
  run.Close();
  HWND box = FindDialog("Desktop Lumivex", run.Pid(), 10000);
  if (box) PostMessageA(box, WM_COMMAND, IDNO, 0);
  ASSERT_TRUE(run.WaitExit());
}

TEST_F(SwitcherTest, BadArtEndsTheProgramThroughTheReporterNamingTheFile) {
  const std::string dir = TavolArtDir();
  const std::string art = dir + "\\WHITE.ART", table = dir + "\\WHITE.tr";
  struct Case {
    const char* name;
    std::string artBytes;  // empty: no art file
    std::string tableBytes;
    const char* named;  // the file the message must name
    const char* says;
  } cases[] = {
      {"missing art", "", "", "WHITE.ART", "could not be opened: EXITING"},
      {"short header", "BM not an art file", "0 0 0 -\n", "WHITE.ART", ""},
      {"table line without a dash", "", "0 0 0 1 2\n", "WHITE.tr", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(WriteTestArt(dir, "WHITE", 128, 96, 4));
    if (std::string(c.name) == "missing art") DeleteFileA(art.c_str());
    if (!c.artBytes.empty()) WriteFileBytes(art, c.artBytes);
    if (!c.tableBytes.empty()) WriteFileBytes(table, c.tableBytes);
    DeleteFileA(AssertLogPath().c_str());
    SwitcherRun run;
    ASSERT_TRUE(run.Start());
    run.UseOnlyParts({IDC_WALLPAPER});
    run.Click(IDC_APPLY);
    HWND box = FindDialog("Assertion Error", run.Pid(), 30000);
    ASSERT_NE(box, nullptr);
    std::string text = DialogText(box);
    EXPECT_NE(text.find(c.named), std::string::npos) << text;
    EXPECT_NE(text.find(c.says), std::string::npos) << text;
    EXPECT_EQ(text.rfind("File-> ", 0), 0u) << text;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(run.WaitExit());
    EXPECT_EQ(run.ExitCode(), 255u);
    std::string log = ReadFileBytes(AssertLogPath());
    EXPECT_NE(log.find(c.named), std::string::npos) << log;
  }
  DeleteFileA(AssertLogPath().c_str());
  DeleteFileA(art.c_str());
  DeleteFileA(table.c_str());
}

// An art colour table of eight colours, one per child of the octree's root.
void WriteTestArtPalette(const std::string& path) {
  std::string text;
  for (int k = 0; k < 8; ++k) {
    char line[64];
    std::snprintf(line, sizeof line, "%d %d %d - %d\n", (k & 1) ? 200 : 40, (k & 2) ? 210 : 30,
                  (k & 4) ? 220 : 20, k);
    text += line;
  }
  WriteFileBytes(path, text);
}

class AboutBoxTest : public SwitcherTest {
 protected:
  void SetUp() override {
    SwitcherTest::SetUp();
    CreateDirectoryA((BinDir() + "\\WALLART").c_str(), nullptr);
    WriteTestArtPalette(TablePath());
    DeleteFileA(AssertLogPath().c_str());
  }
  void TearDown() override {
    DeleteFileA(TablePath().c_str());
    RemoveDirectoryA((BinDir() + "\\WALLART").c_str());
    DeleteFileA(AssertLogPath().c_str());
    SwitcherTest::TearDown();
  }
  static std::string TablePath() { return BinDir() + "\\WALLART\\PALALL9.TR"; }
};

TEST_F(AboutBoxTest, FitsThePictureAndPutsOkInTheCorner) {
  SwitcherRun run;
  ASSERT_TRUE(run.Start());
  run.Click(IDC_ABOUT);
  HWND about = FindDialog("Desktop Lumivex", run.Pid(), 10000);
  ASSERT_NE(about, nullptr);
  RECT client;
  GetClientRect(about, &client);
  EXPECT_EQ(client.right, 500);
  EXPECT_EQ(client.bottom, 412);
  RECT ok;
  GetWindowRect(GetDlgItem(about, IDOK), &ok);
  MapWindowPoints(nullptr, about, reinterpret_cast<POINT*>(&ok), 2);
  EXPECT_EQ(ok.right, 490);
  EXPECT_EQ(ok.bottom, 402);
  EXPECT_EQ(GetWindow(about, GW_OWNER), run.main());

  for (int command : {IDCANCEL, IDOK}) {
    SCOPED_TRACE(command);
    if (command == IDOK) {
      run.Click(IDC_ABOUT);
      about = FindDialog("Desktop Lumivex", run.Pid(), 10000);
      ASSERT_NE(about, nullptr);
    }
    // Esc and the close box come as Cancel; both end the dialog like OK.
    PostMessageA(about, WM_COMMAND, command, 0);
    DWORD start = GetTickCount();
    while (IsWindow(about) && GetTickCount() - start < 5000) Sleep(20);
    EXPECT_FALSE(IsWindow(about));
    for (int wait = 0; wait < 150 && run.Focus() != run.Item(IDC_ABOUT); ++wait) Sleep(20);
    EXPECT_EQ(run.Focus(), run.Item(IDC_ABOUT));
  }
  run.Close();
  ASSERT_TRUE(run.WaitExit());
  EXPECT_EQ(run.ExitCode(), 0u);
}

TEST_F(AboutBoxTest, MissingArtPaletteEndsTheProgramThroughTheReporter) {
  DeleteFileA(TablePath().c_str());
  SwitcherRun run;
  ASSERT_TRUE(run.Start());
  run.Click(IDC_ABOUT);
  HWND box = FindDialog("Assertion Error", run.Pid(), 10000);
  ASSERT_NE(box, nullptr);
  std::string text = DialogText(box);
  EXPECT_EQ(text.rfind("File-> PALETTE, Line-> ", 0), 0u) << text;
  EXPECT_NE(text.find("File " + TablePath() + " could not be opened: EXITING\r\n"),
            std::string::npos)
      << text;
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(run.WaitExit());
  EXPECT_EQ(run.ExitCode(), 255u);
}

}  // namespace
