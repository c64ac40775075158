// The main window hosted in the test process, where the test can hold the
// wallpaper stage open and look at the window's state from the inside.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "installtheme.h"
#include "mainwnd.h"
#include "resource.h"
#include "switcher_app.h"
#include "switcher_driver.h"
#include "switcher_globals.h"
#include "system_state.h"
#include "thread_start.h"
#include "winsupport.h"

namespace {

DWORD WINAPI WaitForEvent(LPVOID event) {
  WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
  return 1;
}

class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitSwitcherProcess(GetModuleHandleA(nullptr)); }

  void SetUp() override {
    themeDir_ = MakeTempDir("mainwnd");
    savedControl_ = ProfileGet("control.ini", "Tavol", "switcher");
    ProfileSet("control.ini", "Tavol", "switcher", themeDir_.c_str());
    for (const char* colour : {"BLACK", "RED", "WHITE", "BLUE", "GREEN"}) {
      WriteFileBytes(themeDir_ + "\\Tavol The Corvane " + colour + ".theme", ColourSectionText(4));
    }
    DeleteFileA(BackupThemePath().c_str());
    SetBaselineColours();
    OpenWindow();
  }
  // A new main window with only the colours part: the wallpaper stage is the
  // test's to hold open.
  void OpenWindow() {
    hwnd_ = CreateMainWindow();
    ASSERT_NE(hwnd_, nullptr);
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SendMessageA(hwnd_, WM_COMMAND, IDC_WALLPAPER, 0);
    SendMessageA(hwnd_, WM_COMMAND, IDC_ICONS, 0);
    SendMessageA(hwnd_, WM_COMMAND, IDC_FONTS, 0);
  }
  void TearDown() override {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    if (release_) SetEvent(release_);
    if (thread_) {
      WaitForSingleObject(thread_, 5000);
      CloseHandle(thread_);
    }
    if (release_) CloseHandle(release_);
    ProfileSet("control.ini", "Tavol", "switcher",
               savedControl_.empty() ? nullptr : savedControl_.c_str());
    RemoveTree(themeDir_);
    DeleteFileA(BackupThemePath().c_str());
  }

  // Starts an installation whose wallpaper stage lasts until ReleaseWallpaper.
  void ApplyWithLongWallpaper(int command = IDC_APPLY) {
    SendMessageA(hwnd_, WM_COMMAND, command, 0);
    release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = StartThread(WaitForEvent, release_);
    HANDLE duplicate = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread_, GetCurrentProcess(), &duplicate, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    Window()->installer.wallpaperThread.reset(duplicate);  // stage 2 closes its copy
  }
  void ReleaseWallpaper() { SetEvent(release_); }
  // What the wallpaper maker does when the disk is full.
  void ReportDiskFull() {
    Window()->installer.makerReport->diskFull = true;
    PostMessageA(hwnd_, WM_COMMAND, IDCANCEL, 0);
  }
  // Gives every theme file the colours of seed.
  void WriteThemes(int seed) {
    for (const char* colour : {"BLACK", "RED", "WHITE", "BLUE", "GREEN"}) {
      WriteFileBytes(themeDir_ + "\\Tavol The Corvane " + colour + ".theme",
                     ColourSectionText(seed));
    }
  }
  // A key press as the switcher's message loop hands it to the dialog manager.
  void PressKeyThroughDialogManager(WPARAM key) {
    MSG msg{};
    msg.hwnd = GetFocus() ? GetFocus() : hwnd_;
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    msg.lParam = 1;
    IsDialogMessageA(hwnd_, &msg);
  }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  MainWindow* Window() const { return GetMainWindow(hwnd_); }
  std::string Status() const {
    char text[256] = "";
    GetWindowTextA(Item(IDC_STATUS), text, sizeof text);
    return text;
  }
  bool Installing() const { return !IsWindowEnabled(Item(IDOK)); }

  HWND hwnd_ = nullptr;
  HANDLE release_ = nullptr;
  HANDLE thread_ = nullptr;
  std::string themeDir_, savedControl_;
};

TEST_F(MainWindowTest, StatusTextDriftsWhileTheWallpaperIsMade) {
  ApplyWithLongWallpaper();
  ASSERT_TRUE(Installing());
  std::string first = Status();
  std::vector<std::string> seen;
  PumpUntil(
      [&] {
        std::string now = Status();
        if (seen.empty() || seen.back() != now) seen.push_back(now);
        return seen.size() >= 8;
      },
      5000);
  ASSERT_GE(seen.size(), 8u);
  // One blank more on each tick.
  for (size_t i = 1; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i], " " + seen[i - 1]);
  }
  EXPECT_TRUE(Installing());
  ReleaseWallpaper();
  ASSERT_TRUE(PumpUntil([&] { return !Installing(); }, 5000));
  EXPECT_EQ(Status(), "Choose the Tavol color (by mana symbol) and the parts of the theme to use.");
  EXPECT_FALSE(IsWindowEnabled(Item(IDC_APPLY)));
  EXPECT_EQ(GetFocus(), Item(IDOK));
  EXPECT_EQ(GetSysColor(COLOR_WINDOW),
            RGB((4 * 7 + 5 * 3) % 256, (4 * 13 + 5 * 5) % 256, (4 * 29 + 5 * 11) % 256));
}

TEST_F(MainWindowTest, ApplyGoesBusyUntilTheCycleEnds) {
  SendMessageA(hwnd_, WM_COMMAND, IDC_APPLY, 0);
  // Nothing has been pumped yet, so no tick has ended the cycle.
  for (int id : {IDOK, IDCANCEL, IDC_APPLY, IDC_REVERT, IDC_ABOUT}) {
    EXPECT_FALSE(IsWindowEnabled(Item(id))) << id;
  }
  ASSERT_TRUE(PumpUntil([&] { return !Installing(); }, 5000));
  for (int id : {IDOK, IDCANCEL, IDC_REVERT, IDC_ABOUT})
    EXPECT_TRUE(IsWindowEnabled(Item(id))) << id;
  EXPECT_FALSE(IsWindowEnabled(Item(IDC_APPLY)));
}

TEST_F(MainWindowTest, CloseWhileInstallingWaitsForTheWallpaper) {
  ApplyWithLongWallpaper();
  PostMessageA(hwnd_, WM_CLOSE, 0, 0);
  PumpUntil([] { return false; }, 500);
  EXPECT_TRUE(IsWindow(hwnd_));
  EXPECT_EQ(FindDialog("Desktop Lumivex", GetCurrentProcessId(), 0), nullptr);
  ReleaseWallpaper();
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hwnd_); }, 5000));
}

TEST_F(MainWindowTest, CancelPostedDuringTheWallpaperRunsAfterIt) {
  ColourSnapshot atStart = TakeColourSnapshot();
  ApplyWithLongWallpaper();
  ReportDiskFull();
  PumpUntil([] { return false; }, 400);
  EXPECT_TRUE(IsWindow(hwnd_));
  ReleaseWallpaper();
  // The cycle ends, then Cancel restores the settings found at start.
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(hwnd_); }, 10000));
  ColourSnapshot after = TakeColourSnapshot();
  for (int i = 0; i < kColourCount; ++i) EXPECT_EQ(after.text[i], atStart.text[i]);
}

TEST_F(MainWindowTest, DiskFullCancelAfterOkStillRestoresTheSettingsAtStart) {
  ColourSnapshot atStart = TakeColourSnapshot();
  for (bool earlierApply : {false, true}) {
    SCOPED_TRACE(earlierApply ? "after an Apply" : "first installation");
    if (earlierApply) {
      SendMessageA(hwnd_, WM_COMMAND, IDC_APPLY, 0);
      ASSERT_TRUE(PumpUntil([&] { return !Installing(); }, 5000));
      ASSERT_EQ(GetSysColor(COLOR_WINDOW),
                RGB((4 * 7 + 5 * 3) % 256, (4 * 13 + 5 * 5) % 256, (4 * 29 + 5 * 11) % 256));
      WriteThemes(6);
      SendMessageA(hwnd_, WM_COMMAND, IDC_RED, 0);  // something to install with OK
    }
    ApplyWithLongWallpaper(IDOK);
    ReportDiskFull();
    PumpUntil([] { return false; }, 300);
    ReleaseWallpaper();
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(hwnd_); }, 10000));
    ColourSnapshot after = TakeColourSnapshot();
    for (int i = 0; i < kColourCount; ++i) {
      EXPECT_EQ(after.text[i], atStart.text[i]) << kThemeColours[i].name;
      EXPECT_EQ(after.sys[i], atStart.sys[i]) << kThemeColours[i].name;
    }
    if (!earlierApply) {
      // Again with a new window, after an Apply this time.
      WaitForSingleObject(thread_, 5000);
      CloseHandle(thread_);
      CloseHandle(release_);
      thread_ = release_ = nullptr;
      WriteThemes(4);
      OpenWindow();
    }
  }
}

TEST_F(MainWindowTest, EscDuringAnInstallationIsIgnored) {
  ApplyWithLongWallpaper();
  ASSERT_TRUE(Installing());
  PressKeyThroughDialogManager(VK_ESCAPE);
  SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
               reinterpret_cast<LPARAM>(Item(IDCANCEL)));
  PumpUntil([] { return false; }, 300);
  ReleaseWallpaper();
  ASSERT_TRUE(PumpUntil([&] { return !Installing(); }, 5000));
  // The Apply finished and stays: no restore, no exit.
  PumpUntil([] { return false; }, 500);
  EXPECT_TRUE(IsWindow(hwnd_));
  EXPECT_EQ(GetSysColor(COLOR_WINDOW),
            RGB((4 * 7 + 5 * 3) % 256, (4 * 13 + 5 * 5) % 256, (4 * 29 + 5 * 11) % 256));
  EXPECT_TRUE(IsWindowEnabled(Item(IDCANCEL)));
}

TEST_F(MainWindowTest, TooltipTexts) {
  auto tip = [&](int id) {
    NMTTDISPINFOA info{};
    info.hdr.hwndFrom = Window()->tooltip;
    info.hdr.idFrom = reinterpret_cast<UINT_PTR>(Item(id));
    info.hdr.code = TTN_NEEDTEXTA;
    SendMessageA(hwnd_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    return std::string(info.lpszText ? info.lpszText : "(none)");
  };
  struct Case {
    int id;
    const char* text;
  } fixed[] = {
      {IDOK, "Change to the theme and exit"},
      {IDCANCEL, "Restore previous settings and exit"},
      {IDC_APPLY, "Change the system to use the selected theme"},
      {IDC_REVERT, "Restore settings from before Tavol was installed"},
      {IDC_ABOUT, "Display info about the application"},
      {IDC_WHITE, "Install white theme"},
      {IDC_BLACK, "Black theme"},
      {IDC_BLUE, "Blue theme"},
      {IDC_GREEN, "Green theme"},
      {IDC_RED, "Red theme"},
      {IDC_SCREENSAVER, "Use the Tavol screen saver"},
      {IDC_SOUNDS, "Use this theme's sounds"},
      {IDC_CURSORS, "Use this theme's mouse pointers"},
      {IDC_COLORS, "Use this theme's colors"},
      // Cleared by the fixture.
      {IDC_WALLPAPER, "Current wallpaper will remain"},
      {IDC_ICONS, "Current icons will remain"},
      {IDC_FONTS, "Current fonts will remain"},
  };
  for (const Case& c : fixed) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(tip(c.id), c.text);
  }
  // State changes follow.
  SendMessageA(hwnd_, WM_COMMAND, IDC_SCREENSAVER, 0);
  SendMessageA(hwnd_, WM_COMMAND, IDC_SOUNDS, 0);
  SendMessageA(hwnd_, WM_COMMAND, IDC_CURSORS, 0);
  SendMessageA(hwnd_, WM_COMMAND, IDC_COLORS, 0);
  SendMessageA(hwnd_, WM_COMMAND, IDC_FONTS, 0);
  SendMessageA(hwnd_, WM_COMMAND, IDC_RED, 0);
  Case changed[] = {
      {IDC_SCREENSAVER, "Current screen saver will remain"},
      {IDC_SOUNDS, "Current sound scheme will remain"},
      {IDC_CURSORS, "Current mouse pointers will remain"},
      {IDC_COLORS, "Current color scheme will remain"},
      {IDC_FONTS, "Use this theme's fonts"},
      {IDC_RED, "Install red theme"},
      {IDC_WHITE, "White theme"},
  };
  for (const Case& c : changed) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(tip(c.id), c.text);
  }
  EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(hwnd_, IDC_SOUNDS));
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(hwnd_, IDC_FONTS));
}

LONG_PTR DrawState(HWND button) {
  return GetWindowLongPtrA(button, sizeof(LONG_PTR));
}

TEST_F(MainWindowTest, IconButtonPressSemantics) {
  HWND blue = Item(IDC_BLUE);
  struct Step {
    const char* name;
    UINT msg;
    int x, y;
    LONG_PTR state;  // draw state afterwards
  };
  // Press inside, wander out and back, release outside: no command.
  Step outside[] = {
      {"down inside", WM_LBUTTONDOWN, 5, 5, 1},
      {"move out", WM_MOUSEMOVE, 200, 5, 0},
      {"move back", WM_MOUSEMOVE, 6, 6, 1},
      {"release outside", WM_LBUTTONUP, 300, 300, 0},
  };
  for (const Step& step : outside) {
    SCOPED_TRACE(step.name);
    SendMessageA(blue, step.msg, step.msg == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                 MAKELPARAM(step.x, step.y));
    EXPECT_EQ(DrawState(blue), step.state);
  }
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Window()->state.selectedColour, IDC_WHITE);
  EXPECT_EQ(DrawState(Item(IDC_WHITE)), 1);

  // Press and release inside: the button takes the focus and is chosen.
  SendMessageA(blue, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(blue, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(GetFocus(), blue);
  EXPECT_EQ(Window()->state.selectedColour, IDC_BLUE);
  EXPECT_EQ(DrawState(blue), 1);
  EXPECT_EQ(DrawState(Item(IDC_WHITE)), 0);
  EXPECT_TRUE(IsWindowEnabled(Item(IDC_APPLY)));

  // Clicking the focused button sends nothing: pick RED through the parent,
  // then click BLUE again, which still has the focus.
  SendMessageA(hwnd_, WM_COMMAND, IDC_RED, 0);
  SendMessageA(blue, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(blue, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(Window()->state.selectedColour, IDC_RED);
  EXPECT_EQ(DrawState(blue), 1);  // drawn framed all the same

  // Right-button messages change nothing.
  SendMessageA(Item(IDC_GREEN), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
  SendMessageA(Item(IDC_GREEN), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(DrawState(Item(IDC_GREEN)), 0);
  EXPECT_EQ(Window()->state.selectedColour, IDC_RED);
}

TEST_F(MainWindowTest, IconButtonPaintsFaceFrameAndIcon) {
  HWND white = Item(IDC_WHITE);  // selected: framed
  HWND green = Item(IDC_GREEN);  // plain
  RedrawWindow(hwnd_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpUntil([] { return false; }, 200);
  RECT r;
  GetClientRect(white, &r);
  const int w = r.right, h = r.bottom;
  HDC dc = GetDC(white);
  COLORREF face = GetNearestColor(dc, GetSysColor(COLOR_BTNFACE));
  COLORREF shadow = GetNearestColor(dc, GetSysColor(COLOR_BTNSHADOW));
  COLORREF light = GetNearestColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
  struct Pixel {
    int x, y;
    COLORREF colour;
  } framed[] = {
      {0, 0, shadow},    {w - 2, 0, shadow}, {0, h - 2, shadow},    {w - 2, h - 2, shadow},
      {1, 1, light},     {w - 3, 1, light},  {w - 1, h - 1, light}, {w - 1, 0, light},
      {0, h - 1, light}, {3, 3, face},       {w - 4, h / 2, face},
  };
  for (const Pixel& p : framed) {
    SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
    EXPECT_EQ(GetPixel(dc, p.x, p.y), p.colour);
  }
  ReleaseDC(white, dc);
  dc = GetDC(green);
  for (const Pixel& p : {Pixel{0, 0, face}, Pixel{1, 1, face}, Pixel{w - 1, h - 1, face}}) {
    EXPECT_EQ(GetPixel(dc, p.x, p.y), p.colour);
  }
  ReleaseDC(green, dc);
}

}  // namespace
