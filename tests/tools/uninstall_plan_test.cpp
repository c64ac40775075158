#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "uninstall/uninstall_plan.h"

namespace {

const SpecialFolders kSpecial = {
    "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs",
    "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp"};

std::vector<std::string> Paths(const UninstallPlan& plan) {
  std::vector<std::string> paths;
  for (const RemovalItem& item : plan.removals) paths.push_back(item.path);
  return paths;
}

TEST(UninstallPlan, TheListedItemsInOrder) {
  UninstallPlan plan = PlanUninstall("C:\\WINDOWS", kSpecial);
  ASSERT_TRUE(plan.windowsDirUsable);
  EXPECT_EQ(plan.windowsDir, "C:\\WINDOWS");
  EXPECT_EQ(plan.packageDir, "C:\\Program Files\\Plus!\\Themes");
  EXPECT_EQ(plan.plusDir, "C:\\Program Files\\Plus!");
  EXPECT_EQ(plan.switcherPath, "C:\\Program Files\\Plus!\\Themes\\switcher.exe");
  EXPECT_EQ(plan.switcherCommandLine, "\"C:\\Program Files\\Plus!\\Themes\\switcher.exe\" /r");
  EXPECT_EQ(plan.ownFile, "C:\\WINDOWS\\qvr-kill.exe");
  EXPECT_EQ(plan.renameList, "C:\\WINDOWS\\wininit.ini");
  EXPECT_EQ(plan.renameListNew, "C:\\WINDOWS\\wininit.1");
  EXPECT_EQ(plan.renameListOld, "C:\\WINDOWS\\wininit.qvr");
  const std::string p = "C:\\Program Files\\Plus!\\Themes\\";
  const std::string common = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\";
  const std::vector<std::pair<RemovalKind, std::string>> expected = {
      {RemovalKind::kFile, "C:\\WINDOWS\\Tavol The Corvane.scr"},
      {RemovalKind::kFolder, "C:\\WINDOWS\\tavol"},
      {RemovalKind::kFile, p + "switcher.exe"},
      {RemovalKind::kFile, p + "Tavol The Corvane BLACK.theme"},
      {RemovalKind::kFile, p + "Tavol The Corvane BLUE.theme"},
      {RemovalKind::kFile, p + "Tavol The Corvane GREEN.theme"},
      {RemovalKind::kFile, p + "Tavol The Corvane RED.theme"},
      {RemovalKind::kFile, p + "Tavol The Corvane WHITE.theme"},
      {RemovalKind::kFile, p + "TavolBackup.theme"},
      {RemovalKind::kFolder, p + "tavol"},
      {RemovalKind::kFile, p + "resizer.exe"},
      {RemovalKind::kFile, p + "picker.exe"},
      {RemovalKind::kFolder, p + "wallart"},
      {RemovalKind::kFile, "C:\\WINDOWS\\Tavol The Corvane.bmp"},
      {RemovalKind::kFile, p + "after.exe"},
      {RemovalKind::kFolder, "C:\\WINDOWS\\Start Menu\\Programs\\Tavol The Corvane"},
      {RemovalKind::kFolder, common + "Tavol The Corvane"},
      {RemovalKind::kFile,
       "C:\\WINDOWS\\Start Menu\\Programs\\StartUp\\Qvr  Wallpaper Resizer.lnk"},
      {RemovalKind::kFile, common + "StartUp\\Qvr  Wallpaper Resizer.lnk"},
  };
  ASSERT_EQ(plan.removals.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(plan.removals[i].kind, expected[i].first);
    EXPECT_EQ(plan.removals[i].path, expected[i].second);
  }
}

TEST(UninstallPlan, ThePackageDirectoryIsOnTheWindowsDrive) {
  UninstallPlan plan = PlanUninstall("D:\\WIN95\\", {});
  ASSERT_TRUE(plan.windowsDirUsable);
  EXPECT_EQ(plan.windowsDir, "D:\\WIN95");
  EXPECT_EQ(plan.packageDir, "D:\\Program Files\\Plus!\\Themes");
  EXPECT_EQ(plan.removals.front().path, "D:\\WIN95\\Tavol The Corvane.scr");
  // Without the shell's folders only the 17 listed items.
  EXPECT_EQ(plan.removals.size(), 17u);
}

TEST(UninstallPlan, TheRootAsWindowsDirectory) {
  for (const char* root : {"C:", "C:\\"}) {
    SCOPED_TRACE(root);
    UninstallPlan plan = PlanUninstall(root, {});
    ASSERT_TRUE(plan.windowsDirUsable);
    EXPECT_EQ(plan.removals[1].path, "C:\\tavol");
    EXPECT_EQ(plan.ownFile, "C:\\qvr-kill.exe");
    // Entered before the package folders go: the root, not the drive's
    // current folder.
    EXPECT_EQ(FolderToEnter(plan.windowsDir), "C:\\");
  }
  EXPECT_EQ(FolderToEnter("C:\\WINDOWS"), "C:\\WINDOWS");
}

// An unreadable or odd Windows directory never becomes "\tavol" of the
// current drive or a path relative to the current directory.
TEST(UninstallPlan, AWindowsDirectoryWithoutADriveIsNotUsed) {
  for (const char* dir :
       {"", "C", "WINDOWS", "\\WINDOWS", "\\\\server\\share\\WINDOWS", "C:WINDOWS", "1:\\WINDOWS",
        ":\\WINDOWS", "C:\\WIN*", "C:\\WIN?", "CC:\\WINDOWS"}) {
    SCOPED_TRACE(dir);
    UninstallPlan plan = PlanUninstall(dir, kSpecial);
    EXPECT_FALSE(plan.windowsDirUsable);
    EXPECT_TRUE(plan.removals.empty());
    EXPECT_TRUE(plan.packageDir.empty());
    EXPECT_TRUE(plan.plusDir.empty());
    EXPECT_TRUE(plan.switcherCommandLine.empty());
    EXPECT_TRUE(plan.ownFile.empty());
    EXPECT_TRUE(plan.renameList.empty());
  }
}

TEST(UninstallPlan, SpecialFoldersOnlyAsFullPaths) {
  for (const SpecialFolders& special :
       {SpecialFolders{"", ""}, SpecialFolders{"Programs", "StartUp"},
        SpecialFolders{"\\Programs", "\\StartUp"}, SpecialFolders{"C:", "C:"},
        SpecialFolders{"C:Programs", "C:StartUp"}, SpecialFolders{"\\\\srv\\p", "\\\\srv\\s"},
        SpecialFolders{"C:\\*", "C:\\?"}}) {
    SCOPED_TRACE(special.commonPrograms);
    EXPECT_EQ(PlanUninstall("C:\\WINDOWS", special).removals.size(), 17u);
  }
  UninstallPlan plan = PlanUninstall("C:\\WINDOWS", {"E:\\Programs\\", "E:\\StartUp\\"});
  ASSERT_EQ(plan.removals.size(), 19u);
  EXPECT_EQ(plan.removals[16].path, "E:\\Programs\\Tavol The Corvane");
  EXPECT_EQ(plan.removals[18].path, "E:\\StartUp\\Qvr  Wallpaper Resizer.lnk");
  // The current user's folders follow the common ones.
  plan = PlanUninstall("C:\\WINDOWS", {"E:\\Programs", "E:\\StartUp", "F:\\P\\", "F:\\S"});
  ASSERT_EQ(plan.removals.size(), 21u);
  EXPECT_EQ(plan.removals[17].path, "F:\\P\\Tavol The Corvane");
  EXPECT_EQ(plan.removals[17].kind, RemovalKind::kFolder);
  EXPECT_EQ(plan.removals[20].path, "F:\\S\\Qvr  Wallpaper Resizer.lnk");
  EXPECT_EQ(plan.removals[20].kind, RemovalKind::kFile);
}

// On Windows 95 the shell's folders are the listed ones: each goes once.
TEST(UninstallPlan, TheSameFolderTwiceIsListedOnce) {
  UninstallPlan plan = PlanUninstall("C:\\WINDOWS", {"c:\\windows\\start menu\\programs",
                                                     "C:\\WINDOWS\\Start Menu\\Programs\\StartUp"});
  EXPECT_EQ(plan.removals.size(), 17u);
  plan = PlanUninstall("C:\\WINDOWS", {"", "", "C:\\WINDOWS\\Start Menu\\Programs\\",
                                       "c:\\windows\\start menu\\programs\\startup"});
  EXPECT_EQ(plan.removals.size(), 17u);
}

TEST(UninstallPlan, EveryPathIsAbsoluteAndFitsItsBuffer) {
  for (size_t length : {3u, 100u, 200u, 230u, 245u, 250u, 255u, 260u}) {
    std::string dir = "C:\\" + std::string(length - 3, 'w');
    std::string special = "C:\\" + std::string(length - 3, 's');
    SCOPED_TRACE(length);
    UninstallPlan plan = PlanUninstall(dir, {special, special + "\\u"});
    ASSERT_TRUE(plan.windowsDirUsable);
    for (const RemovalItem& item : plan.removals) {
      EXPECT_TRUE(IsDrivePath(item.path) && item.path.size() > 3 && item.path[2] == '\\')
          << item.path;
      EXPECT_LE(item.kind == RemovalKind::kFolder ? FolderContentsPattern(item.path).size()
                                                  : item.path.size(),
                260u);
    }
    for (const std::string& path :
         {plan.ownFile, plan.renameList, plan.renameListNew, plan.renameListOld}) {
      EXPECT_LE(path.size(), 260u);
    }
    // The package directory's items do not hang on the Windows directory.
    EXPECT_EQ(plan.packageDir, "C:\\Program Files\\Plus!\\Themes");
  }
  // A long Windows directory: its own items that do not fit are left out,
  // none is cut short.
  UninstallPlan plan = PlanUninstall("C:\\" + std::string(240, 'w'), {});
  for (const std::string& path : Paths(plan)) {
    EXPECT_TRUE(path.rfind("C:\\Program Files", 0) == 0 || path.size() <= 260u) << path;
  }
  EXPECT_EQ(plan.ownFile, "C:\\" + std::string(240, 'w') + "\\qvr-kill.exe");
  EXPECT_EQ(PlanUninstall("C:\\" + std::string(255, 'w'), {}).ownFile, "");
  EXPECT_FALSE(PlanUninstall("C:\\" + std::string(258, 'w'), {}).windowsDirUsable);
}

TEST(UninstallPlan, FolderContentsPattern) {
  EXPECT_EQ(FolderContentsPattern("C:\\WINDOWS\\tavol"), "C:\\WINDOWS\\tavol\\*.*");
}

TEST(UninstallPlan, DrivePaths) {
  EXPECT_TRUE(IsDrivePath("C:"));
  EXPECT_TRUE(IsDrivePath("z:\\x"));
  EXPECT_FALSE(IsDrivePath("C:x"));
  EXPECT_FALSE(IsDrivePath(std::string("C:\\a\0b", 6)));
}

TEST(UninstallPlan, WindowsFamilyFromGetVersion) {
  EXPECT_TRUE(IsWindows95Family(0xC0000004u));  // Windows 95: 4.0, high bit set
  EXPECT_TRUE(IsWindows95Family(0x80000000u));
  EXPECT_FALSE(IsWindows95Family(0x23F00206u));  // Windows 8 and later as Wine reports
  EXPECT_FALSE(IsWindows95Family(0x05650004u));  // NT 4.0
}

}  // namespace
