// The slideshow as it reaches the screen, judged from pixels only: which art
// the screen shows is found by comparing it with the six arts as the codec
// makes them at the screen's size. The test polls for states and never
// counts on how long anything takes.
#include <windows.h>

#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
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

// One art as the test saw it come and go.
struct Appearance {
  int art = -1;
  bool whole = false;          // every sampled point showed it at some moment
  bool darkWhenWhole = false;  // its backdrop was darker than the art then
  bool restored = false;       // later its backdrop showed the art's own pixels
  bool exact = false;          // and then every pixel of it that the darkening changes
  DWORD wholeAt = 0;
  DWORD restoredAt = 0;
};

class SaverShowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    arts_ = std::make_unique<SaverArts>();
    const std::string work = MakeTempDir("saver-show-arts");
    std::string why;
    artsOk_ = arts_->Make(TavolArtDir(), work, GetSystemMetrics(SM_CXSCREEN),
                          GetSystemMetrics(SM_CYSCREEN), ScreenBitsPerPixel(), &why);
    if (!artsOk_) std::printf("cannot make the arts: %s\n", why.c_str());
    RemoveTree(work);
  }
  static void TearDownTestSuite() { arts_.reset(); }

  void SetUp() override {
    ClearSaverSettings();
    ASSERT_TRUE(folder_.ok());
    ASSERT_TRUE(artsOk_);
  }
  void TearDown() override { ClearSaverSettings(); }

  // Watches the screen until `enough` says the appearances so far suffice,
  // or timeoutMs passes.
  std::vector<Appearance> Watch(const std::function<bool(const std::vector<Appearance>&)>& enough,
                                DWORD timeoutMs) {
    std::vector<Appearance> seen;
    Pixels screen;
    PumpUntil(
        [&] {
          if (!GrabScreen(0, 0, arts_->width(), arts_->height(), &screen)) return false;
          const ArtVotes votes = VoteArts(*arts_, screen);
          const int majority = votes.Majority();
          if (majority >= 0 && (seen.empty() || seen.back().art != majority)) {
            Appearance a;
            a.art = majority;
            seen.push_back(a);
          }
          if (seen.empty()) return false;
          Appearance& now = seen.back();
          if (!now.whole && votes.Complete() == now.art) {
            now.whole = true;
            now.wholeAt = GetTickCount();
            const BackdropState b = LookAtBackdrop(*arts_, now.art, screen);
            now.darkWhenWhole = arts_->Darkened(b);
          }
          if (now.whole && now.art > 0 && !now.exact) {
            const BackdropState b = LookAtBackdrop(*arts_, now.art, screen);
            if (!now.restored && arts_->Restored(b)) {
              now.restored = true;
              now.restoredAt = GetTickCount();
            }
            now.exact = now.restored && b.distinct > 0 && b.plain == b.distinct;
          }
          return enough(seen);
        },
        timeoutMs);
    return seen;
  }

  static std::unique_ptr<SaverArts> arts_;
  static bool artsOk_;
  SaverFolder folder_{"show"};
};

std::unique_ptr<SaverArts> SaverShowTest::arts_;
bool SaverShowTest::artsOk_ = false;

std::string Names(const std::vector<Appearance>& seen) {
  std::string s;
  for (const Appearance& a : seen) s += std::string(s.empty() ? "" : " ") + kSaverArtNames[a.art];
  return s;
}

bool IsCycleOfCardArts(const std::vector<Appearance>& seen, size_t first) {
  std::vector<int> rows;
  for (size_t i = first; i < first + 5 && i < seen.size(); ++i) rows.push_back(seen[i].art);
  std::sort(rows.begin(), rows.end());
  return rows == std::vector<int>{1, 2, 3, 4, 5};
}

TEST_F(SaverShowTest, LogoThenFiveCardArtsThenTheLogoAndFiveAgainEachCaptionedForAWhile) {
  SetTimeBetweenArts("5");
  SetCursorPos(10, 10);
  SaverProcess saver;
  ASSERT_TRUE(saver.Start(folder_, "/s"));
  ASSERT_NE(saver.WaitForWindow(kSaverClass, 20000), nullptr);
  // Logo, five card arts, logo, five card arts; the last one's backdrop back.
  const std::vector<Appearance> seen = Watch(
      [](const std::vector<Appearance>& s) {
        return s.size() > 12 || (s.size() == 12 && s.back().restored);
      },
      400000);
  PressKey(VK_SPACE);
  ASSERT_TRUE(saver.WaitForExit(20000));
  EXPECT_EQ(saver.ExitCode(), 0u);
  EXPECT_FALSE(FileExists(folder_.SpotFile()));
  EXPECT_FALSE(FileExists(folder_.AssertLog()));

  std::printf("seen: %s\n", Names(seen).c_str());
  ASSERT_GE(seen.size(), 12u) << Names(seen);
  EXPECT_EQ(seen[0].art, 0) << "the show begins with the logo";
  EXPECT_TRUE(IsCycleOfCardArts(seen, 1)) << Names(seen);
  EXPECT_EQ(seen[6].art, 0) << "the logo comes after five card arts";
  EXPECT_TRUE(IsCycleOfCardArts(seen, 7)) << Names(seen);
  for (size_t i = 0; i < 12; ++i) {
    const Appearance& a = seen[i];
    SCOPED_TRACE(testing::Message() << "appearance " << i << ": " << kSaverArtNames[a.art]);
    if (a.art == 0) continue;  // the logo has no backdrop
    EXPECT_TRUE(a.whole);
    EXPECT_TRUE(a.darkWhenWhole) << "no darkened caption backdrop right after the reveal";
    EXPECT_TRUE(a.restored) << "the backdrop never gave way to the art's own pixels";
    if (a.whole && a.restored) {
      std::printf("%s: backdrop back %lu ms after the art was seen whole\n", kSaverArtNames[a.art],
                  static_cast<unsigned long>(a.restoredAt - a.wholeAt));
    }
  }
}

// Display Properties' Preview button starts the full screen while its own
// preview runs, both from one folder: each keeps its caption's backdrop in
// a backup file of its own, and each backdrop comes back exactly.
TEST_F(SaverShowTest, APreviewAndAFullScreenFromOneFolderEachPutTheirBackdropBack) {
  SetTimeBetweenArts("5");
  SetCursorPos(10, 10);
  PreviewHost host(152, 112);
  SaverProcess preview;
  ASSERT_TRUE(preview.Start(folder_, host.Argument()));
  // The preview holds "spot.sav" from its first card art's caption on.
  ASSERT_TRUE(PumpUntil([&] { return FileExists(folder_.SpotFile()); }, 60000));
  SaverProcess saver;
  ASSERT_TRUE(saver.Start(folder_, "/s"));
  ASSERT_NE(saver.WaitForWindow(kSaverClass, 20000), nullptr);
  const std::vector<Appearance> seen = Watch(
      [](const std::vector<Appearance>& s) {
        return s.size() > 4 || (s.size() == 4 && s.back().exact);
      },
      180000);
  PressKey(VK_SPACE);
  ASSERT_TRUE(saver.WaitForExit(20000));
  EXPECT_EQ(saver.ExitCode(), 0u);
  ASSERT_GE(seen.size(), 4u) << Names(seen);
  for (size_t i = 1; i < 4; ++i) {
    SCOPED_TRACE(kSaverArtNames[seen[i].art]);
    EXPECT_TRUE(seen[i].restored) << "the backdrop never gave way to the art's own pixels";
    if (arts_->tolerance() == 0) {
      EXPECT_TRUE(seen[i].exact) << "the backdrop came back with pixels of another";
    }
  }
  // The full screen's own backup went with it; the preview's stays while it runs.
  EXPECT_TRUE(preview.Running());
  EXPECT_TRUE(FileExists(folder_.SpotFile()));
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder_.dir() + "\\*.sav").c_str(), &found);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  do {
    EXPECT_STREQ(found.cFileName, "spot.sav");
  } while (FindNextFileA(find, &found));
  FindClose(find);
  host.Close();
  ASSERT_TRUE(preview.WaitForExit(20000));
  EXPECT_EQ(preview.ExitCode(), 0u);
  EXPECT_FALSE(FileExists(folder_.SpotFile()));
  EXPECT_FALSE(FileExists(folder_.AssertLog()));
}

size_t MemoryOf(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  return GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.PagefileUsage : 0;
}

// Sixty pictures, five seconds apart: the saver's memory after the last is
// that of after the sixth.
TEST_F(SaverShowTest, SixtyPicturesLeaveTheMemoryOfTheSixth) {
  SetTimeBetweenArts("5");
  SetCursorPos(10, 10);
  SaverProcess saver;
  ASSERT_TRUE(saver.Start(folder_, "/s"));
  ASSERT_NE(saver.WaitForWindow(kSaverClass, 20000), nullptr);
  size_t sixth = 0;
  const std::vector<Appearance> seen = Watch(
      [&](const std::vector<Appearance>& s) {
        if (s.size() == 7 && sixth == 0) sixth = MemoryOf(saver.Handle());
        return s.size() > 60;
      },
      560000);
  const size_t last = MemoryOf(saver.Handle());
  PressKey(VK_SPACE);
  ASSERT_TRUE(saver.WaitForExit(20000));
  EXPECT_EQ(saver.ExitCode(), 0u);
  std::printf("saver memory: %zu KB after the sixth picture, %zu KB after the sixtieth\n",
              sixth / 1024, last / 1024);
  ASSERT_GT(seen.size(), 60u) << Names(seen);
  ASSERT_NE(sixth, 0u);
  EXPECT_LE(last, sixth + 1024 * 1024);
}

TEST_F(SaverShowTest, ANegativeIntervalDoesNotHoldUpTheShow) {
  // Read as an unsigned wait, -5 seconds would be some 49.7 days.
  SetTimeBetweenArts("-5");
  SetCursorPos(10, 10);
  SaverProcess saver;
  ASSERT_TRUE(saver.Start(folder_, "/s"));
  ASSERT_NE(saver.WaitForWindow(kSaverClass, 20000), nullptr);
  const std::vector<Appearance> seen =
      Watch([](const std::vector<Appearance>& s) { return s.size() >= 3; }, 120000);
  EXPECT_GE(seen.size(), 3u) << "after " << Names(seen) << " nothing more came";
  PressKey(VK_SPACE);
  ASSERT_TRUE(saver.WaitForExit(20000));
  EXPECT_EQ(saver.ExitCode(), 0u);
}

}  // namespace
