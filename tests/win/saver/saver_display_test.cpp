// The full-screen saver on the display a stage of scripts/run-wine-tests.sh
// gives it (8, 16 or 32 bits, from the art's own 576 x 432 up to
// 3840 x 2160): its pictures read back from the screen, how fast a key ends
// it while it decodes, and how much memory it takes.
#include <windows.h>

#include <gtest/gtest.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "saver_driver.h"
#include "saver_input.h"
#include "saver_pixels.h"
#include "test_art.h"
#include "winsupport.h"

namespace {

const char kSaverClass[] = "QVR_ScreenSaverClass";

int ScreenWidth() {
  return GetSystemMetrics(SM_CXSCREEN);
}
int ScreenHeight() {
  return GetSystemMetrics(SM_CYSCREEN);
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

// A screen that is not what a test waited for, kept for a look when the
// stage asks for screenshots.
bool SaveUnexpected(const Pixels& screen, const char* what) {
  const char* dir = std::getenv("LUMIVEX_SAVER_SHOTS");
  if (!dir) return false;
  return SavePixelsAsBitmap(screen, std::string(dir) + "\\unexpected-" + what + "-" +
                                        std::to_string(ScreenWidth()) + "x" +
                                        std::to_string(ScreenHeight()) + "-" +
                                        std::to_string(ScreenBitsPerPixel()) + ".bmp");
}

class SaverDisplayTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    arts_ = std::make_unique<SaverArts>();
    const std::string work = MakeTempDir("saver-display-arts");
    std::string why;
    artsOk_ =
        arts_->Make(TavolArtDir(), work, ScreenWidth(), ScreenHeight(), ScreenBitsPerPixel(), &why);
    if (!artsOk_) std::printf("cannot make the arts: %s\n", why.c_str());
    RemoveTree(work);
    std::printf("display %d x %d, %d bits a pixel\n", ScreenWidth(), ScreenHeight(),
                ScreenBitsPerPixel());
  }
  static void TearDownTestSuite() { arts_.reset(); }

  void SetUp() override {
    ClearSaverSettings();
    ASSERT_TRUE(folder_.ok());
    ASSERT_TRUE(artsOk_);
  }
  void TearDown() override { ClearSaverSettings(); }

  HWND StartFullScreen(SaverProcess* saver) {
    SetCursorPos(ScreenWidth() / 2, ScreenHeight() / 2);
    if (!saver->Start(folder_, "/s")) return nullptr;
    return saver->WaitForWindow(kSaverClass, 30000);
  }

  // Polls until the screen shows art `row` whole (-1: any card art); the row.
  // Only the voted rows are read while waiting (the logo may show for less
  // than a whole screen takes to read); the whole screen once it is seen.
  int WaitForWhole(int row, DWORD timeoutMs, Pixels* screen) {
    int seen = -1;
    PumpUntil(
        [&] {
          if (!GrabVotedRows(*arts_, screen)) return false;
          seen = VoteArts(*arts_, *screen).Complete();
          return row >= 0 ? seen == row : seen > 0;
        },
        timeoutMs);
    if ((row >= 0 ? seen != row : seen <= 0)) {
      const ArtVotes votes = VoteArts(*arts_, *screen);
      std::printf("waiting for %d: the screen shows", row);
      for (int i = 0; i < kSaverArtCount; ++i) std::printf(" %d", votes.votes[i]);
      std::printf(" of %d points\n", votes.points);
      if (GrabScreen(0, 0, arts_->width(), arts_->height(), screen)) {
        SaveUnexpected(*screen, "picture");
      }
      return seen;
    }
    EXPECT_TRUE(GrabScreen(0, 0, arts_->width(), arts_->height(), screen));
    return seen;
  }

  // Starts the saver and waits for its first picture thread, the one that
  // was not there when the window appeared (the first art is asked for half
  // a second later); *before is the screen then. When the first look came
  // too late for that, the run is started again.
  bool StartAndCatchThePictureThread(std::unique_ptr<SaverProcess>* saver, HWND* window,
                                     Pixels* before) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      saver->reset(new SaverProcess);
      *window = StartFullScreen(saver->get());
      if (!*window) return false;
      const std::vector<DWORD> known = (*saver)->Threads();
      const bool caught = PumpUntil(
          [&] {
            for (DWORD id : (*saver)->Threads()) {
              if (std::find(known.begin(), known.end(), id) == known.end()) return true;
            }
            return false;
          },
          5000);
      if (caught) return GrabScreen(0, 0, arts_->width(), arts_->height(), before);
      std::printf("the picture thread was there before the first look; again\n");
      (*saver)->Kill();
      DeleteFileA(folder_.SpotFile().c_str());
    }
    return false;
  }

  void CloseWithKey(SaverProcess* saver) {
    PressKey(VK_SPACE);
    ASSERT_TRUE(saver->WaitForExit(20000));
    EXPECT_EQ(saver->ExitCode(), 0u);
    EXPECT_FALSE(FileExists(folder_.SpotFile()));
    EXPECT_FALSE(FileExists(folder_.AssertLog()));
  }

  static std::unique_ptr<SaverArts> arts_;
  static bool artsOk_;
  SaverFolder folder_{"display"};
};

std::unique_ptr<SaverArts> SaverDisplayTest::arts_;
bool SaverDisplayTest::artsOk_ = false;

void SaveShot(const Pixels& screen) {
  if (const char* dir = std::getenv("LUMIVEX_SAVER_SHOTS")) {
    const std::string name = "saver-" + std::to_string(ScreenWidth()) + "x" +
                             std::to_string(ScreenHeight()) + "-" +
                             std::to_string(ScreenBitsPerPixel()) + ".bmp";
    EXPECT_TRUE(SavePixelsAsBitmap(screen, std::string(dir) + "\\" + name));
  }
}

double MeanLuma(const Pixels& p, const Rect& r) {
  double sum = 0;
  for (int y = r.top; y < r.top + r.height; ++y) {
    for (int x = r.left; x < r.left + r.width; ++x) {
      const uint32_t v = p.At(x, y);
      sum += 0.299 * ((v >> 16) & 255) + 0.587 * ((v >> 8) & 255) + 0.114 * (v & 255);
    }
  }
  return sum / (static_cast<double>(r.width) * r.height);
}

// Points outside the backdrop where two screens differ, of 2000 sampled.
int DifferencesOutsideBackdrop(const Pixels& a, const Pixels& b, const Rect& backdrop) {
  int differ = 0;
  for (int i = 0; i < 2000; ++i) {
    const int x = static_cast<int>((i * 7919LL) % a.width);
    const int y = static_cast<int>((i * 104729LL / 7) % a.height);
    if (x >= backdrop.left && y >= backdrop.top) continue;
    if (a.At(x, y) != b.At(x, y)) ++differ;
  }
  return differ;
}

TEST_F(SaverDisplayTest, TheLogoThenACardArtWithItsCaptionFillTheScreen) {
  if (arts_->tolerance() > 16) GTEST_SKIP() << "the arts cannot be told apart on 8 bits here";
  // The default 20 s between arts: the card art stays well after its
  // backdrop is gone.
  SaverProcess saver;
  HWND window = StartFullScreen(&saver);
  ASSERT_NE(window, nullptr);
  RECT r{};
  GetWindowRect(window, &r);
  EXPECT_EQ(r.right - r.left, ScreenWidth());
  EXPECT_EQ(r.bottom - r.top, ScreenHeight());

  Pixels screen;
  EXPECT_EQ(WaitForWhole(0, 30000, &screen), 0) << "the logo did not fill the screen";
  const int row = WaitForWhole(-1, 60000, &screen);
  ASSERT_GT(row, 0) << "no card art came";
  BackdropState backdrop = LookAtBackdrop(*arts_, row, screen);
  EXPECT_TRUE(arts_->Darkened(backdrop))
      << "no darkened caption backdrop: brightness " << backdrop.screenLuma << " against "
      << backdrop.plainLuma << ", " << backdrop.dark << " darkened of " << backdrop.distinct
      << " pixels told apart";
  SaveShot(screen);
  EXPECT_TRUE(PumpUntil(
      [&] {
        if (!GrabScreen(0, 0, arts_->width(), arts_->height(), &screen)) return false;
        backdrop = LookAtBackdrop(*arts_, row, screen);
        return arts_->Restored(backdrop);
      },
      60000))
      << "the backdrop stays: " << backdrop.dark << " darkened and " << backdrop.plain
      << " plain of " << backdrop.distinct << " pixels told apart"
      << ", brightness " << backdrop.screenLuma << " against " << backdrop.plainLuma
      << (SaveUnexpected(screen, "backdrop") ? " (screenshot saved)" : "");
  CloseWithKey(&saver);
}

// On 8 bits Wine shows the pictures through the few colours its shared
// colour map gives it, so the screen cannot be matched with the arts; the
// saver's screen is compared with itself: once the first card art is made
// (its backdrop backed up) and the screen has settled, the backdrop is
// darker than the same place once it has been put back, the rest unchanged.
TEST_F(SaverDisplayTest, OnEightBitsACardArtsBackdropIsDarkerThanWhenPutBack) {
  if (arts_->tolerance() <= 16) GTEST_SKIP() << "for 8-bit displays";
  SaverProcess saver;
  HWND window = StartFullScreen(&saver);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return FileExists(folder_.SpotFile()); }, 60000))
      << "no card art was made";
  // Settled: two looks a while apart show the same screen.
  Pixels captioned, later;
  ASSERT_TRUE(PumpUntil(
      [&] {
        if (!GrabScreen(0, 0, arts_->width(), arts_->height(), &captioned)) return false;
        PumpUntil([] { return false; }, 300);
        return GrabScreen(0, 0, arts_->width(), arts_->height(), &later) &&
               captioned.rgb == later.rgb;
      },
      60000));
  SaveShot(captioned);
  const Rect& box = arts_->Backdrop();
  const double darkLuma = MeanLuma(captioned, box);
  double backLuma = darkLuma;
  EXPECT_TRUE(PumpUntil(
      [&] {
        if (!GrabScreen(0, 0, arts_->width(), arts_->height(), &later)) return false;
        backLuma = MeanLuma(later, box);
        return backLuma > darkLuma * 1.2 && DifferencesOutsideBackdrop(captioned, later, box) < 20;
      },
      60000))
      << "the backdrop was not put back: brightness " << darkLuma << ", later " << backLuma;
  std::printf("8 bits: backdrop brightness %.1f with the caption, %.1f put back\n", darkLuma,
              backLuma);
  CloseWithKey(&saver);
}

// Xvfb runs no window manager, and Wine, taking the full-screen window for
// one a manager looks after, waits 2 s for one to take it off the screen
// before the process can end. Told (for this program only) that no manager
// looks after its windows, it does not, so the time measured is the
// saver's own.
class NoWindowManagerWait {
 public:
  NoWindowManagerWait() { RegSetString(HKEY_CURRENT_USER, Key() + "\\X11 Driver", "Managed", "N"); }
  ~NoWindowManagerWait() { RegDeleteTreeIn(HKEY_CURRENT_USER, Key()); }
  NoWindowManagerWait(const NoWindowManagerWait&) = delete;
  NoWindowManagerWait& operator=(const NoWindowManagerWait&) = delete;

 private:
  static std::string Key() { return "Software\\Wine\\AppDefaults\\Tavol The Corvane.scr"; }
};

struct CloseMeasure {
  double milliseconds = 0;
  bool changedAfterKey = false;  // a look while the window was up differed from before the key
};

// Presses a key and measures until the process has ended, looking at the
// screen meanwhile; before is the screen just before the key.
CloseMeasure PressAndMeasure(SaverProcess* saver, HWND window, const Pixels& before) {
  CloseMeasure m;
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  PressKey(VK_SPACE);
  Pixels screen;
  while (WaitForSingleObject(saver->Handle(), 0) == WAIT_TIMEOUT) {
    const bool up = IsWindow(window) != FALSE;
    const bool grabbed = GrabScreen(0, 0, before.width, before.height, &screen);
    if (up && grabbed && IsWindow(window) && screen.rgb != before.rgb) m.changedAfterKey = true;
  }
  QueryPerformanceCounter(&end);
  m.milliseconds = Milliseconds(start, end);
  return m;
}

// The product art decodes for a whole 1920 x 1080 screen in some tens of
// milliseconds (more on 8 bits, which adds the error diffusion); the key
// falls while the picture thread is at work.
TEST_F(SaverDisplayTest, AKeyWhileThePictureThreadWorksEndsTheSaverAtOnce) {
  if (ScreenWidth() != 1920 || ScreenHeight() != 1080) GTEST_SKIP() << "measured at 1920 x 1080";
  NoWindowManagerWait unmanaged;
  std::unique_ptr<SaverProcess> run;
  HWND window = nullptr;
  Pixels before;
  ASSERT_TRUE(StartAndCatchThePictureThread(&run, &window, &before));
  SaverProcess& saver = *run;
  const CloseMeasure m = PressAndMeasure(&saver, window, before);
  std::printf("%d bits: key to process end while the picture thread works: %.1f ms\n",
              ScreenBitsPerPixel(), m.milliseconds);
  EXPECT_LT(m.milliseconds, 300.0);
  EXPECT_EQ(saver.ExitCode(), 0u);
  EXPECT_FALSE(FileExists(folder_.SpotFile()));
  EXPECT_FALSE(FileExists(folder_.AssertLog()));
}

// The card arts replaced by one of 4096 x 3072: its decode for the screen
// lasts several times longer than the whole close may take, so the key
// surely falls into it. The close must not wait for it, and nothing may be
// revealed once the key was pressed.
TEST_F(SaverDisplayTest, AKeyDuringALongDecodeEndsTheSaverWithoutWaitingForIt) {
  if (ScreenWidth() != 1920 || ScreenHeight() != 1080) GTEST_SKIP() << "measured at 1920 x 1080";
  ASSERT_TRUE(WriteTestArt(folder_.artDir(), "0340", 4096, 3072, 4));
  for (const char* name : {"0893", "0930", "0793", "0731"}) {
    for (const char* ext : {".ART", ".tr"}) {
      ASSERT_TRUE(CopyFileA((folder_.artDir() + "\\0340" + ext).c_str(),
                            (folder_.artDir() + "\\" + name + ext).c_str(), FALSE));
    }
  }
  NoWindowManagerWait unmanaged;
  std::unique_ptr<SaverProcess> run;
  HWND window = nullptr;
  Pixels before;
  ASSERT_TRUE(StartAndCatchThePictureThread(&run, &window, &before));
  SaverProcess& saver = *run;
  const CloseMeasure m = PressAndMeasure(&saver, window, before);
  std::printf("%d bits: key to process end during a 4096 x 3072 decode: %.1f ms\n",
              ScreenBitsPerPixel(), m.milliseconds);
  EXPECT_LT(m.milliseconds, 300.0);
  EXPECT_FALSE(m.changedAfterKey) << "the screen changed after the key: something was revealed";
  EXPECT_EQ(saver.ExitCode(), 0u);
  EXPECT_FALSE(FileExists(folder_.SpotFile()));
  EXPECT_FALSE(FileExists(folder_.AssertLog()));
}

TEST_F(SaverDisplayTest, PeakWorkingSetOfAFullScreenRun) {
  SaverProcess saver;
  HWND window = StartFullScreen(&saver);
  ASSERT_NE(window, nullptr);
  // The first card art's backdrop is backed up once the art is made
  // (decoded, scaled, reduced): the peak is behind us then. The screen
  // cannot tell it on 8 bits, where Wine's colour map changes the pixels.
  ASSERT_TRUE(PumpUntil([&] { return FileExists(folder_.SpotFile()); }, 60000))
      << "no card art was made";
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  ASSERT_TRUE(GetProcessMemoryInfo(saver.Handle(), &counters, sizeof counters));
  const double mib = 1024.0 * 1024.0;
  const size_t picture = ((static_cast<size_t>(ScreenWidth()) * 3 + 3) & ~size_t{3}) *
                         static_cast<size_t>(ScreenHeight());
  std::printf(
      "%d x %d, %d bits: peak working set %.1f MiB, peak private bytes %.1f MiB "
      "(the picture alone is %.1f MiB)\n",
      ScreenWidth(), ScreenHeight(), ScreenBitsPerPixel(), counters.PeakWorkingSetSize / mib,
      counters.PeakPagefileUsage / mib, picture / mib);
  EXPECT_GT(counters.PeakWorkingSetSize, picture);
  CloseWithKey(&saver);
}

}  // namespace
