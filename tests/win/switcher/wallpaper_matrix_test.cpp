// The wallpaper as a real switcher.exe makes it, on the display the test run
// gives it (scripts/run-wine-tests.sh runs these once per display depth and
// screen size, then compares each bitmap with `arttool wallpaper`). The art
// is the product's, installed in the Windows directory's "TAVOL" folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "resource.h"
#include "switcher_driver.h"
#include "winsupport.h"

namespace {

const char kPaperKey[] = "Software\\TavolTheCorvane";

std::string EnvOr(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value && *value ? value : fallback;
}

class WallpaperOnThisDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!FileExists(WindowsDir() + "\\TAVOL\\WHITE.ART")) {
      GTEST_SKIP() << "no product art installed in the Windows directory";
    }
    themeDir_ = MakeTempDir("matrix");
    savedControl_ = ProfileGet("control.ini", "Tavol", "switcher");
    ProfileSet("control.ini", "Tavol", "switcher", themeDir_.c_str());
    WriteFileBytes(themeDir_ + "\\Tavol The Corvane WHITE.theme",
                   "[Control Panel\\Desktop]\r\nWallpaper=C:\\not\\used.bmp\r\n");
    for (const std::string& path : {BackupThemePath(), RestoreThemePath(), WallpaperCopyPath()}) {
      DeleteFileA(path.c_str());
    }
  }
  void TearDown() override {
    ProfileSet("control.ini", "Tavol", "switcher",
               savedControl_.empty() ? nullptr : savedControl_.c_str());
    RemoveTree(themeDir_);
  }
  std::string themeDir_, savedControl_;
};

TEST_F(WallpaperOnThisDisplay, ApplyMakesTheBitmapAndRecordsIt) {
  RegDeleteTreeIn(HKEY_CURRENT_USER, kPaperKey);
  DeleteFileA(WallpaperPath().c_str());
  SwitcherRun run;
  ASSERT_TRUE(run.Start());
  run.UseOnlyParts({IDC_WALLPAPER});
  run.Click(IDC_APPLY);
  ASSERT_TRUE(run.WaitIdle(120000));
  run.Close();
  ASSERT_TRUE(run.WaitExit());
  EXPECT_EQ(run.ExitCode(), 0u);

  HDC dc = GetDC(nullptr);
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  const int depth = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
  const int ppmX = GetDeviceCaps(dc, HORZRES) * 1000 / GetDeviceCaps(dc, HORZSIZE);
  const int ppmY = GetDeviceCaps(dc, VERTRES) * 1000 / GetDeviceCaps(dc, VERTSIZE);
  ReleaseDC(nullptr, dc);

  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper"),
            WallpaperPath());
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kPaperKey, "PaperArtFile"), "WHITE");
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kPaperKey, "PaperDepth"), std::to_string(depth));
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kPaperKey, "PaperWidth"), std::to_string(width));
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kPaperKey, "PaperHeight"), std::to_string(height));

  std::string bitmap = ReadFileBytes(WallpaperPath());
  ASSERT_GT(bitmap.size(), 1078u);
  const int fileDepth = depth == 8 || depth == 16 ? depth : 24;
  const size_t row = (static_cast<size_t>(width) * (fileDepth / 8) + 3) & ~size_t{3};
  EXPECT_EQ(bitmap.size(), 1078 + row * height);
  EXPECT_EQ(static_cast<unsigned char>(bitmap[28]), fileDepth);

  // Hand the bitmap and the facts to the native comparison.
  std::string out = EnvOr("LUMIVEX_MATRIX_OUT", "");
  if (!out.empty()) {
    CreateDirectoryA(out.c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(out + "\\wallpaper.bmp", bitmap));
    std::string facts = std::to_string(width) + " " + std::to_string(height) + " " +
                        std::to_string(depth) + " " + std::to_string(ppmX) + " " +
                        std::to_string(ppmY) + "\n";
    ASSERT_TRUE(WriteFileBytes(out + "\\facts.txt", facts));
  }
}

// Run only where the test run could give the bitmap a file system that
// fills up (the bitmap's path then leads onto a tiny tmpfs).
TEST_F(WallpaperOnThisDisplay, FullDiskPutsThePreviousBitmapBackAndCancels) {
  if (EnvOr("LUMIVEX_TINY_FS", "").empty()) {
    GTEST_SKIP() << "no small file system to fill (needs the test run's tmpfs)";
  }
  // The previous wallpaper, written where the bitmap's path leads.
  std::string previous(20000, 'p');
  ASSERT_TRUE(WriteFileBytes(WallpaperPath(), previous));
  SwitcherRun run;
  ASSERT_TRUE(run.Start());
  EXPECT_EQ(ReadFileBytes(WallpaperCopyPath()), previous);
  run.UseOnlyParts({IDC_WALLPAPER, IDC_COLORS});
  run.Click(IDC_APPLY);
  HWND box = FindDialog("Wallpaper Creation Failed", run.Pid(), 120000);
  ASSERT_NE(box, nullptr);
  std::string text = DialogText(box);
  EXPECT_EQ(text.rfind("Out of disk space on drive C: creating new Wallpaper !\nPlease free some "
                       "disk space and try again\nORV Customer Support ",
                       0),
            0u)
      << text;
  EXPECT_EQ(ReadFileBytes(WallpaperPath()), previous);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  // The posted Cancel ends the run once the wallpaper stage is over.
  ASSERT_TRUE(run.WaitExit(60000));
  EXPECT_EQ(run.ExitCode(), 0u);
  EXPECT_EQ(ReadFileBytes(WallpaperPath()), previous);
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kPaperKey, "PaperArtFile"), "WHITE");
}

}  // namespace
