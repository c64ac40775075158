// The full-screen saver and the preview, watched from outside: what input
// ends the saver, what it leaves behind, and the preview inside a window
// standing in for the Display Properties monitor. Pictures are judged from
// the screen's pixels against the arts the codec makes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "saver_driver.h"
#include "saver_input.h"
#include "saver_pixels.h"
#include "test_art.h"
#include "winsupport.h"

namespace {

const char kSaverClass[] = "QVR_ScreenSaverClass";
const char kPreviewClass[] = "QVR_PreviewClass";

// Polls the screen until the area at left, top shows art `row` whole.
bool WaitForArt(const SaverArts& arts, int left, int top, int row, DWORD timeoutMs,
                Pixels* screen = nullptr) {
  Pixels grab;
  const bool shown = PumpUntil(
      [&] {
        return GrabScreen(left, top, arts.width(), arts.height(), &grab) &&
               VoteArts(arts, grab).Complete() == row;
      },
      timeoutMs);
  if (screen) *screen = grab;
  return shown;
}

// Polls until the area shows some card art whole; its row, or -1.
int WaitForCardArt(const SaverArts& arts, int left, int top, DWORD timeoutMs, Pixels* screen) {
  int row = -1;
  PumpUntil(
      [&] {
        if (!GrabScreen(left, top, arts.width(), arts.height(), screen)) return false;
        row = VoteArts(arts, *screen).Complete();
        return row > 0;
      },
      timeoutMs);
  return row;
}

class SaverWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    screen_ = std::make_unique<SaverArts>();
    std::string why;
    const std::string work = MakeTempDir("saver-arts");
    screenArtsOk_ = screen_->Make(TavolArtDir(), work, GetSystemMetrics(SM_CXSCREEN),
                                  GetSystemMetrics(SM_CYSCREEN), ScreenBitsPerPixel(), &why);
    if (!screenArtsOk_) std::printf("cannot make the arts: %s\n", why.c_str());
    RemoveTree(work);
  }
  static void TearDownTestSuite() { screen_.reset(); }

  void SetUp() override {
    ClearSaverSettings();
    ASSERT_TRUE(folder_.ok());
    ASSERT_TRUE(screenArtsOk_);
  }
  void TearDown() override { ClearSaverSettings(); }

  // Starts the full-screen saver with the cursor resting at x, y, and waits
  // until its window shows the logo and has taken the cursor's place as its
  // start point. The saver reads the cursor when it handles the mouse
  // message its window's appearance brings; busy with its first card art,
  // it may handle that message only after the test has begun to move the
  // cursor. Two messages sent in turn come back only after the saver has
  // handled everything queued before the first.
  HWND StartFullScreen(SaverProcess* saver, int x, int y) {
    SetCursorPos(x, y);
    if (!saver->Start(folder_, "/s")) return nullptr;
    HWND window = saver->WaitForWindow(kSaverClass, 20000);
    if (!window || !WaitForArt(*screen_, 0, 0, 0, 20000)) return nullptr;
    for (int i = 0; i < 2; ++i) {
      DWORD_PTR result = 0;
      if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &result)) return nullptr;
    }
    return window;
  }

  static std::unique_ptr<SaverArts> screen_;
  static bool screenArtsOk_;
  SaverFolder folder_{"window"};
};

std::unique_ptr<SaverArts> SaverWindowTest::screen_;
bool SaverWindowTest::screenArtsOk_ = false;

TEST_F(SaverWindowTest, AKeyEndsTheSaverAndTheSpotBackupGoesWithIt) {
  SaverProcess saver;
  ASSERT_NE(StartFullScreen(&saver, 500, 400), nullptr);
  Pixels screen;
  const int row = WaitForCardArt(*screen_, 0, 0, 30000, &screen);
  ASSERT_GT(row, 0) << "no card art came after the logo";
  EXPECT_TRUE(FileExists(folder_.SpotFile()));
  PressKey(VK_SPACE);
  ASSERT_TRUE(saver.WaitForExit(20000));
  EXPECT_EQ(saver.ExitCode(), 0u);
  EXPECT_FALSE(FileExists(folder_.SpotFile()));
  EXPECT_FALSE(FileExists(folder_.AssertLog()));
}

// The start point is where the cursor rested when the window appeared.
// Each click is a point of order: the saver posts itself WM_CLOSE when a
// movement fires, and posted messages come before input, so a nudge seen
// after some movements means none of them ended the saver.
TEST_F(SaverWindowTest, ThreePixelsOfMovementInAllDoNotEndItFourDo) {
  SaverProcess saver;
  ASSERT_NE(StartFullScreen(&saver, 500, 400), nullptr);
  for (POINT p : {POINT{501, 400}, POINT{502, 401}, POINT{499, 398}, POINT{500, 403},
                  POINT{497, 400}, POINT{500, 400}}) {
    MoveCursorTo(p.x, p.y);
    ASSERT_TRUE(WaitForCursorAt(p.x, p.y, 5000))
        << "the cursor did not get to " << p.x << "," << p.y;
  }
  ClickLeft();  // nudged to 501, 401: 2 from the start
  ASSERT_TRUE(WaitForCursorAt(501, 401, 10000)) << "the saver did not handle the click";
  EXPECT_TRUE(saver.Running());
  MoveCursorTo(504, 400);  // 4 from the start
  ASSERT_TRUE(saver.WaitForExit(20000));
  EXPECT_EQ(saver.ExitCode(), 0u);
}

TEST_F(SaverWindowTest, OneClickNudgesTheCursorASecondEndsTheSaver) {
  SaverProcess saver;
  ASSERT_NE(StartFullScreen(&saver, 300, 300), nullptr);
  ClickLeft();
  ASSERT_TRUE(WaitForCursorAt(301, 301, 10000));
  EXPECT_TRUE(saver.Running());
  ClickLeft();  // 302, 302: 4 from the start
  ASSERT_TRUE(saver.WaitForExit(20000));
  EXPECT_EQ(saver.ExitCode(), 0u);
}

TEST_F(SaverWindowTest, ClicksInTheBottomRightCornerNeverEndTheSaver) {
  const int right = GetSystemMetrics(SM_CXSCREEN) - 1, bottom = GetSystemMetrics(SM_CYSCREEN) - 1;
  SaverProcess saver;
  ASSERT_NE(StartFullScreen(&saver, right, bottom), nullptr);
  for (int click = 0; click < 8; ++click) {
    ClickLeft();
    const bool up = click % 2 == 0;  // out of the corner, then back into it
    ASSERT_TRUE(WaitForCursorAt(up ? right - 1 : right, up ? bottom - 1 : bottom, 10000))
        << "click " << click;
  }
  EXPECT_TRUE(saver.Running());
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(saver.WaitForExit(20000));
}

TEST_F(SaverWindowTest, TheSystemsCloseAndScreenSaveCommandsAreSwallowed) {
  SaverProcess saver;
  HWND window = StartFullScreen(&saver, 200, 200);
  ASSERT_NE(window, nullptr);
  PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  PostMessageA(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
  ClickLeft();
  ASSERT_TRUE(WaitForCursorAt(201, 201, 10000));
  EXPECT_TRUE(saver.Running());
  PressKey(VK_RETURN);
  ASSERT_TRUE(saver.WaitForExit(20000));
}

// The saver's own message to start the next picture, sent from outside
// while a picture thread waits for its reveal: no second thread starts.
TEST_F(SaverWindowTest, ANewPictureMessageFromOutsideStartsNoSecondPictureThread) {
  constexpr UINT kNewPicture = 1074;
  SaverProcess saver;
  HWND window = StartFullScreen(&saver, 200, 200);
  ASSERT_NE(window, nullptr);
  // The logo is shown; the first of the messages may start the next
  // picture, whose thread then waits out the 20 s interval.
  PumpUntil([] { return false; }, 3000);
  const size_t threads = saver.Threads().size();
  ASSERT_GT(threads, 0u);
  for (int i = 0; i < 10; ++i) PostMessageA(window, kNewPicture, 0, 0);
  PumpUntil([] { return false; }, 1000);
  EXPECT_LE(saver.Threads().size(), threads + 1);
  EXPECT_TRUE(saver.Running());
  PressKey(VK_RETURN);
  ASSERT_TRUE(saver.WaitForExit(20000));
  EXPECT_EQ(saver.ExitCode(), 0u);
  EXPECT_FALSE(FileExists(folder_.AssertLog()));
}

// Wine shows nothing a process draws into a child of another process's
// window (such a window's DC has no drawable there), so the preview's
// pictures cannot be read back from the screen here; its show is seen
// through the backup file of the first card art's backdrop instead. The
// pictures themselves are those of the full-screen tests, at the preview's
// size.
TEST_F(SaverWindowTest, APreviewFillsItsHostRunsTheShowAndEndsWithIt) {
  PreviewHost host(152, 112);
  SaverProcess saver;
  ASSERT_TRUE(saver.Start(folder_, host.Argument()));
  HWND preview = saver.WaitForChild(host.monitor(), kPreviewClass, 20000);
  ASSERT_NE(preview, nullptr);
  char title[32] = "";
  GetWindowTextA(preview, title, sizeof title);
  EXPECT_STREQ(title, "preview");
  const LONG_PTR style = GetWindowLongPtrA(preview, GWL_STYLE);
  EXPECT_TRUE(style & WS_CHILD);
  EXPECT_TRUE(style & WS_VISIBLE);
  EXPECT_TRUE(style & WS_CLIPSIBLINGS);
  EXPECT_TRUE(style & WS_CLIPCHILDREN);
  EXPECT_EQ(GetParent(preview), host.monitor());
  RECT inner{}, outer{};
  GetWindowRect(preview, &inner);
  GetClientRect(host.monitor(), &outer);
  MapWindowPoints(host.monitor(), nullptr, reinterpret_cast<POINT*>(&outer), 2);
  EXPECT_TRUE(EqualRect(&inner, &outer)) << "the preview does not fill its host";
  EXPECT_EQ(inner.right - inner.left, 152);
  EXPECT_EQ(inner.bottom - inner.top, 112);
  EXPECT_TRUE(WindowsOfClass(kSaverClass).empty());

  EXPECT_TRUE(PumpUntil([&] { return FileExists(folder_.SpotFile()); }, 30000))
      << "no card art was made for the preview";
  EXPECT_TRUE(saver.Running());
  host.Close();
  ASSERT_TRUE(saver.WaitForExit(20000)) << "the preview outlived its parent";
  EXPECT_EQ(saver.ExitCode(), 0u);
  EXPECT_FALSE(FileExists(folder_.SpotFile()));
  EXPECT_FALSE(FileExists(folder_.AssertLog()));
}

// Display Properties may close its monitor at any moment of the preview's
// start: the preview then ends at once with 0 and shows no box.
TEST_F(SaverWindowTest, APreviewWhoseHostGoesAwayDuringItsStartEndsSilently) {
  for (DWORD delayMs : {0, 20, 40, 60, 80, 100, 150, 200, 300}) {
    SCOPED_TRACE(delayMs);
    PreviewHost host(152, 112);
    SaverProcess saver;
    ASSERT_TRUE(saver.Start(folder_, host.Argument()));
    PumpUntil([] { return false; }, delayMs);
    host.Close();
    ASSERT_TRUE(saver.WaitForExit(10000)) << "the preview waits on something";
    EXPECT_EQ(saver.ExitCode(), 0u);
    EXPECT_FALSE(FileExists(folder_.AssertLog()));
  }
}

TEST_F(SaverWindowTest, ARunningPreviewDoesNotBlockAStart) {
  PreviewHost host(152, 112);
  SaverProcess preview;
  ASSERT_TRUE(preview.Start(folder_, host.Argument()));
  ASSERT_NE(preview.WaitForChild(host.monitor(), kPreviewClass, 20000), nullptr);

  SaverFolder other("window-second");
  ASSERT_TRUE(other.ok());
  SaverProcess saver;
  SetCursorPos(400, 300);
  ASSERT_TRUE(saver.Start(other, "/s"));
  ASSERT_NE(saver.WaitForWindow(kSaverClass, 20000), nullptr);
  EXPECT_TRUE(WaitForArt(*screen_, 0, 0, 0, 20000));
  PressKey(VK_SPACE);
  ASSERT_TRUE(saver.WaitForExit(20000));
  EXPECT_EQ(saver.ExitCode(), 0u);

  EXPECT_TRUE(preview.Running());
  host.Close();
  ASSERT_TRUE(preview.WaitForExit(20000));
  EXPECT_EQ(preview.ExitCode(), 0u);
}

}  // namespace
