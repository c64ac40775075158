// The saver's command lines, its one full-screen instance, and the settings
// dialog, run as "Tavol The Corvane.scr" from a folder of its own.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "saver_driver.h"
#include "saver_input.h"
#include "winsupport.h"

namespace {

const char kSaverClass[] = "QVR_ScreenSaverClass";
const char kPreviewClass[] = "QVR_PreviewClass";
const char kSettingsTitle[] = "Tavol Screen Saver Configuration";
constexpr int kSecondsEdit = 1002;
constexpr int kSecondsUpDown = 1000;

class SaverModesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearSaverSettings();
    ASSERT_TRUE(folder_.ok()) << "no product art in " << folder_.artDir();
  }
  void TearDown() override { ClearSaverSettings(); }

  // Starts the saver and waits for its settings dialog.
  HWND StartSettings(SaverProcess* saver, const std::string& arguments) {
    if (!saver->Start(folder_, arguments)) return nullptr;
    // Pumped: a dialog owned by a window of this thread sends it messages.
    // Found once shown, which is after WM_INITDIALOG.
    HWND dialog = nullptr;
    PumpUntil(
        [&] {
          dialog = FindDialog(kSettingsTitle, saver->Id(), 0);
          return dialog != nullptr && IsWindowVisible(dialog);
        },
        20000);
    if (dialog) SetForegroundWindow(dialog);
    return dialog;
  }

  SaverFolder folder_{"modes"};
};

std::string EditText(HWND dialog) {
  return WindowTextOf(GetDlgItem(dialog, kSecondsEdit));
}

// The edit box shows text once the input sent before has been handled.
bool EditShows(HWND dialog, const std::string& text) {
  return PumpUntil([&] { return EditText(dialog) == text; }, 10000);
}

void Press(HWND dialog, int buttonId) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

TEST_F(SaverModesTest, EverySpellingOfSRunsFullScreen) {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  for (const char* arguments : {"/S", "-s", "s", "/s"}) {
    SCOPED_TRACE(arguments);
    SaverProcess saver;
    ASSERT_TRUE(saver.Start(folder_, arguments));
    HWND window = saver.WaitForWindow(kSaverClass, 20000);
    ASSERT_NE(window, nullptr);
    char title[64] = "";
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "screen saver");
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetParent(window), nullptr);
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, width);
    EXPECT_EQ(r.bottom, height);
    for (POINT p : {POINT{1, 1}, POINT{width / 2, height / 2}, POINT{width - 2, height - 2}}) {
      EXPECT_EQ(WindowFromPoint(p), window) << p.x << "," << p.y;
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(saver.WaitForExit(20000));
    EXPECT_EQ(saver.ExitCode(), 0u);
    EXPECT_FALSE(FileExists(folder_.AssertLog()));
  }
}

TEST_F(SaverModesTest, UnknownCommandLinesAreShownAsGiven) {
  for (const char* arguments : {"/A", "/C", "/P 123", "/x", "-t2", "?"}) {
    SCOPED_TRACE(arguments);
    SaverProcess saver;
    ASSERT_TRUE(saver.Start(folder_, arguments));
    HWND box = FindDialog("Unknown command line", saver.Id(), 20000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(DialogText(box), arguments);
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(saver.WaitForExit(20000));
    EXPECT_EQ(saver.ExitCode(), 0u);
  }
}

TEST_F(SaverModesTest, PasswordModeSaysItCannotBeProtected) {
  SaverProcess saver;
  ASSERT_TRUE(saver.Start(folder_, "/a"));
  HWND box = FindDialog("Desktop Lumivex", saver.Id(), 20000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(DialogText(box), "The Tavol screen saver cannot be password protected");
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(saver.WaitForExit(20000));
  EXPECT_EQ(saver.ExitCode(), 0u);
}

TEST_F(SaverModesTest, NoArgumentsOrALoneSlashOpenTheSettingsWithoutOwner) {
  for (const char* arguments : {"", "/", "-"}) {
    SCOPED_TRACE(std::string("arguments \"") + arguments + "\"");
    SaverProcess saver;
    HWND dialog = StartSettings(&saver, arguments);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
    Press(dialog, IDCANCEL);
    ASSERT_TRUE(saver.WaitForExit(20000));
    EXPECT_EQ(saver.ExitCode(), 1u);
  }
}

TEST_F(SaverModesTest, ConfigureModeIsOwnedByDisplayPropertiesAndIgnoresItsArgument) {
  HWND host =
      CreateWindowExA(0, "STATIC", "Display Properties", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                      400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(host, nullptr);
  for (const char* arguments : {"/c:1234", "/c", "-c 99"}) {
    SCOPED_TRACE(arguments);
    SaverProcess saver;
    HWND dialog = StartSettings(&saver, arguments);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), host);
    Press(dialog, IDCANCEL);
    ASSERT_TRUE(saver.WaitForExit(20000));
    EXPECT_EQ(saver.ExitCode(), 1u);
  }
  DestroyWindow(host);
}

TEST_F(SaverModesTest, SettingsOpenAtTwentyAndOkWritesTwenty) {
  SaverProcess saver;
  HWND dialog = StartSettings(&saver, "");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(EditText(dialog), "20");
  EXPECT_EQ(LOWORD(SendDlgItemMessageA(dialog, kSecondsUpDown, UDM_GETPOS, 0, 0)), 20);
  bool found = true;
  TimeBetweenArts(&found);
  EXPECT_FALSE(found) << "nothing is written before OK";
  Press(dialog, IDOK);
  ASSERT_TRUE(saver.WaitForExit(20000));
  EXPECT_EQ(saver.ExitCode(), 1u);
  EXPECT_EQ(TimeBetweenArts(&found), "20");
  EXPECT_TRUE(found);
}

TEST_F(SaverModesTest, StoredFortyFiveShowsAndTheArrowsStopAtTwentyAndSixty) {
  SetTimeBetweenArts("45");
  SaverProcess saver;
  HWND dialog = StartSettings(&saver, "");
  ASSERT_NE(dialog, nullptr);
  ASSERT_EQ(EditText(dialog), "45");
  for (int i = 0; i < 20; ++i) PressKey(VK_UP);
  EXPECT_TRUE(EditShows(dialog, "60")) << EditText(dialog);
  // Had the extra presses gone past 60, one step down would not give 59.
  PressKey(VK_DOWN);
  EXPECT_TRUE(EditShows(dialog, "59")) << EditText(dialog);
  for (int i = 0; i < 45; ++i) PressKey(VK_DOWN);
  EXPECT_TRUE(EditShows(dialog, "20")) << EditText(dialog);
  PressKey(VK_UP);
  EXPECT_TRUE(EditShows(dialog, "21")) << EditText(dialog);

  // The arrow buttons themselves, clicked.
  RECT arrows{};
  GetWindowRect(GetDlgItem(dialog, kSecondsUpDown), &arrows);
  const int x = (arrows.left + arrows.right) / 2;
  MoveCursorTo(x, arrows.top + 2);
  ClickLeft();
  EXPECT_TRUE(EditShows(dialog, "22")) << EditText(dialog);
  MoveCursorTo(x, arrows.bottom - 3);
  ClickLeft();
  EXPECT_TRUE(EditShows(dialog, "21")) << EditText(dialog);

  Press(dialog, IDOK);
  ASSERT_TRUE(saver.WaitForExit(20000));
  EXPECT_EQ(TimeBetweenArts(nullptr), "21");
}

TEST_F(SaverModesTest, LettersAndSignsAreRefusedBackspaceWorks) {
  SaverProcess saver;
  HWND dialog = StartSettings(&saver, "");
  ASSERT_NE(dialog, nullptr);
  HWND edit = GetDlgItem(dialog, kSecondsEdit);
  SendMessageA(edit, EM_SETSEL, 0, -1);
  // Each digit shows only once everything typed before it was handled.
  TypeKeys("ab-, 3");
  EXPECT_TRUE(EditShows(dialog, "3")) << EditText(dialog);
  TypeKeys("x.4");
  EXPECT_TRUE(EditShows(dialog, "34")) << EditText(dialog);
  TypeKeys("5\b");  // two digits at most: the 5 does not fit
  EXPECT_TRUE(EditShows(dialog, "3")) << EditText(dialog);
  TypeKeys("0");
  EXPECT_TRUE(EditShows(dialog, "30")) << EditText(dialog);
  Press(dialog, IDOK);
  ASSERT_TRUE(saver.WaitForExit(20000));
  EXPECT_EQ(TimeBetweenArts(nullptr), "30");
}

TEST_F(SaverModesTest, ATypedNumberOutsideTwentyToSixtyIsHeldIntoIt) {
  const struct {
    const char* typed;
    const char* stored;
  } cases[] = {{"90", "60"}, {"5", "20"}, {"0", "20"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    SaverProcess saver;
    HWND dialog = StartSettings(&saver, "");
    ASSERT_NE(dialog, nullptr);
    SendMessageA(GetDlgItem(dialog, kSecondsEdit), EM_SETSEL, 0, -1);
    TypeKeys(c.typed);
    EXPECT_TRUE(EditShows(dialog, c.typed)) << EditText(dialog);
    Press(dialog, IDOK);
    ASSERT_TRUE(saver.WaitForExit(20000));
    EXPECT_EQ(TimeBetweenArts(nullptr), c.stored);
  }
}

TEST_F(SaverModesTest, CancelWritesNothing) {
  {
    SaverProcess saver;
    HWND dialog = StartSettings(&saver, "");
    ASSERT_NE(dialog, nullptr);
    PressKey(VK_UP);
    EXPECT_TRUE(EditShows(dialog, "21"));
    Press(dialog, IDCANCEL);
    ASSERT_TRUE(saver.WaitForExit(20000));
    EXPECT_EQ(saver.ExitCode(), 1u);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\TavolTheCorvane"));
  }
  SetTimeBetweenArts("45");
  SaverProcess saver;
  HWND dialog = StartSettings(&saver, "");
  ASSERT_NE(dialog, nullptr);
  PressKey(VK_UP);
  PressKey(VK_UP);
  EXPECT_TRUE(EditShows(dialog, "47"));
  Press(dialog, IDCANCEL);
  ASSERT_TRUE(saver.WaitForExit(20000));
  EXPECT_EQ(TimeBetweenArts(nullptr), "45");
}

TEST_F(SaverModesTest, AboutBoxShowsThePictureOwnedByTheSettings) {
  SaverProcess saver;
  HWND dialog = StartSettings(&saver, "");
  ASSERT_NE(dialog, nullptr);
  Press(dialog, 1001);
  HWND about = FindDialog("Desktop Lumivex", saver.Id(), 20000);
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(GetWindow(about, GW_OWNER), dialog);
  RECT client{};
  GetClientRect(about, &client);
  EXPECT_EQ(client.right, 500);
  EXPECT_EQ(client.bottom, 412);
  PostMessageA(about, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(about); }, 10000));
  Press(dialog, IDCANCEL);
  ASSERT_TRUE(saver.WaitForExit(20000));
  EXPECT_FALSE(FileExists(folder_.AssertLog()));
}

// The reporter ends a saver whose About box finds no colour table; the
// window that owned its settings takes input again.
TEST_F(SaverModesTest, AnAssertionInTheSettingsGivesTheOwnerItsInputBack) {
  HWND host =
      CreateWindowExA(0, "STATIC", "Display Properties", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                      400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(host, nullptr);
  ASSERT_TRUE(DeleteFileA((folder_.artDir() + "\\PALALL9.TR").c_str()));
  SaverProcess saver;
  HWND dialog = StartSettings(&saver, "/c");
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(IsWindowEnabled(host));
  Press(dialog, 1001);
  ASSERT_TRUE(saver.WaitForExit(20000));
  EXPECT_EQ(saver.ExitCode(), 1u);
  EXPECT_TRUE(FileExists(folder_.AssertLog()));
  EXPECT_TRUE(IsWindowEnabled(host));
  DestroyWindow(host);
}

TEST_F(SaverModesTest, ASecondStartWhileFullScreenRunsEndsAtOnceWithOne) {
  SaverProcess first;
  ASSERT_TRUE(first.Start(folder_, "/s"));
  HWND window = first.WaitForWindow(kSaverClass, 20000);
  ASSERT_NE(window, nullptr);
  for (const char* arguments : {"/s", "", "/c", "/a", "/p 1234", "/x"}) {
    SCOPED_TRACE(arguments);
    SaverProcess second;
    ASSERT_TRUE(second.Start(folder_, arguments));
    ASSERT_TRUE(second.WaitForExit(20000));
    EXPECT_EQ(second.ExitCode(), 1u);
  }
  EXPECT_EQ(WindowsOfClass(kSaverClass).size(), 1u);
  EXPECT_TRUE(first.Running());
  PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(first.WaitForExit(20000));
  EXPECT_EQ(first.ExitCode(), 0u);
}

TEST_F(SaverModesTest, APreviewArgumentThatIsNoWindowIsRefused) {
  // A window too small to hold a picture is refused too.
  HWND tiny = CreateWindowExA(0, "STATIC", "tiny", WS_POPUP | WS_VISIBLE, 0, 0, 5, 5, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
  const std::string tinyArgument =
      "/p " + std::to_string(static_cast<long long>(reinterpret_cast<INT_PTR>(tiny)));
  for (const std::string& arguments :
       {std::string("/p 123"), std::string("/p"), std::string("/p abc"), std::string("/p 0"),
        std::string("/p -1"), tinyArgument}) {
    SCOPED_TRACE(arguments);
    SaverProcess saver;
    ASSERT_TRUE(saver.Start(folder_, arguments));
    ASSERT_TRUE(saver.WaitForExit(20000));
    EXPECT_EQ(saver.ExitCode(), 0u);
    EXPECT_TRUE(WindowsOfClass(kPreviewClass).empty());
    EXPECT_EQ(FindDialog("Tavol Screen Saver", saver.Id(), 0), nullptr);
    EXPECT_FALSE(FileExists(folder_.AssertLog()));
  }
  DestroyWindow(tiny);
}

}  // namespace
