// The uninstaller on its own, in a prepared layout of the test prefix: fake
// package files in the package and Windows directories, the package's keys
// and values, and a stand-in switcher (revert_probe) that records how it was
// run. qvr-kill runs from the Windows directory, as installed.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "resource.h"
#include "switcher_driver.h"
#include "uninstall/uninstall_plan.h"
#include "uninstall_steps.h"
#include "winsupport.h"

namespace {

const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char kAppDefaults[] = "Software\\Wine\\AppDefaults\\qvr-kill.exe";
const char kOrvello[] = "SOFTWARE\\Orvello";
const char kProduct[] = "SOFTWARE\\Orvello\\TavolTheCorvane";
const char kDesktopThemes[] = "SOFTWARE\\Orvello\\TavolTheCorvane\\DesktopThemes";
const char kUninstallEntry[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QvRThemes";
const char kKeepSuffix[] = ".qvr-kill-test";

std::string SpecialFolder(int csidl) {
  char path[MAX_PATH + 1] = "";
  SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE);
  return path;
}

UninstallPlan ThePlan() {
  return PlanUninstall(WindowsDir(),
                       {SpecialFolder(CSIDL_COMMON_PROGRAMS), SpecialFolder(CSIDL_COMMON_STARTUP),
                        SpecialFolder(CSIDL_PROGRAMS), SpecialFolder(CSIDL_STARTUP)});
}

// The strings of a REG_MULTI_SZ value.
std::vector<std::string> MultiString(HKEY root, const char* key, const char* name) {
  std::vector<std::string> strings;
  HKEY h;
  if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS) return strings;
  std::vector<char> data(65536);
  DWORD size = static_cast<DWORD>(data.size()) - 2;
  DWORD type = 0;
  if (RegQueryValueExA(h, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
          ERROR_SUCCESS &&
      type == REG_MULTI_SZ) {
    size_t i = 0;
    while (i < size) {
      std::string s(&data[i]);
      i += s.size() + 1;
      strings.push_back(s);
    }
    // The list ends with an empty string.
    if (!strings.empty() && strings.back().empty()) strings.pop_back();
  }
  RegCloseKey(h);
  return strings;
}

// The pending renames without those of qvr-kill.exe.
void ForgetPendingRenamesOfOurs() {
  std::vector<std::string> pending =
      MultiString(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations");
  std::string kept;
  bool changed = false;
  for (size_t i = 0; i < pending.size(); i += 2) {
    if (pending[i].find("qvr-kill.exe") != std::string::npos) {
      changed = true;
      continue;
    }
    kept += pending[i] + '\0';
    kept += (i + 1 < pending.size() ? pending[i + 1] : "") + '\0';
  }
  if (!changed) return;
  HKEY h;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &h) != ERROR_SUCCESS)
    return;
  if (kept.empty()) {
    RegDeleteValueA(h, "PendingFileRenameOperations");
  } else {
    kept += '\0';
    RegSetValueExA(h, "PendingFileRenameOperations", 0, REG_MULTI_SZ,
                   reinterpret_cast<const BYTE*>(kept.data()), static_cast<DWORD>(kept.size()));
  }
  RegCloseKey(h);
}

bool PendingDeletionOf(const std::string& path) {
  std::vector<std::string> pending =
      MultiString(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations");
  for (size_t i = 0; i + 1 < pending.size(); i += 2) {
    if (lstrcmpiA(pending[i].c_str(), ("\\??\\" + path).c_str()) == 0 && pending[i + 1].empty())
      return true;
  }
  return false;
}

void MakeFolders(const std::string& path) {
  for (size_t i = 3; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  }
}

std::string Parent(const std::string& path) {
  return path.substr(0, path.find_last_of('\\'));
}

class QvrKillTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plan_ = ThePlan();
    ASSERT_TRUE(plan_.windowsDirUsable);
    // Wine keeps the current user's Programs and StartUp apart from the
    // common ones: their group and shortcut are listed too.
    ASSERT_EQ(plan_.removals.size(), 21u);
    // What other tests of this prefix left in the listed places is put
    // aside and back afterwards.
    for (const RemovalItem& item : plan_.removals) {
      if (FileExists(item.path) && MoveFileA(item.path.c_str(), (item.path + kKeepSuffix).c_str()))
        keptAside_.push_back(item.path);
    }
    for (const char* value : kPackageValues) {
      bool found = false;
      std::string text = RegGetString(HKEY_CURRENT_USER, kPackageValuesKey, value, &found);
      if (found) savedValues_.push_back({value, text});
    }
    hadStartMenu_ = FileExists(plan_.windowsDir + "\\Start Menu");
    hadBackup_ = FileExists(BackupThemePath());
    RegDeleteTreeIn(HKEY_CURRENT_USER, kAppDefaults);
    ForgetPendingRenamesOfOurs();
    DeleteFileA(plan_.renameList.c_str());
    DeleteFileA(plan_.renameListNew.c_str());
    DeleteFileA(plan_.renameListOld.c_str());

    log_ = MakeTempDir("qvr-kill") + "\\revert.log";
    SetEnvironmentVariableA("LUMIVEX_REVERT_LOG", log_.c_str());
    ASSERT_TRUE(CopyFileA((BinDir() + "\\qvr-kill.exe").c_str(), plan_.ownFile.c_str(), FALSE));
  }

  void TearDown() override {
    RemoveTree(plan_.plusDir);
    for (const RemovalItem& item : plan_.removals) {
      if (item.kind == RemovalKind::kFolder) {
        RemoveTree(item.path);
      } else {
        DeleteFileA(item.path.c_str());
      }
    }
    if (!hadStartMenu_) RemoveTree(plan_.windowsDir + "\\Start Menu");
    for (const std::string& path : keptAside_) {
      MoveFileA((path + kKeepSuffix).c_str(), path.c_str());
    }
    for (const auto& [name, value] : savedValues_) {
      RegSetString(HKEY_CURRENT_USER, kPackageValuesKey, name.c_str(), value);
    }
    RegDeleteValueIn(HKEY_CURRENT_USER, kPackageValuesKey, "Keep");
    RegDeleteTreeIn(HKEY_LOCAL_MACHINE, kOrvello);
    RegDeleteTreeIn(HKEY_LOCAL_MACHINE, kUninstallEntry);
    RegDeleteTreeIn(HKEY_CURRENT_USER, kAppDefaults);
    ForgetPendingRenamesOfOurs();
    DeleteFileA(plan_.ownFile.c_str());
    DeleteFileA(plan_.renameList.c_str());
    DeleteFileA(plan_.renameListNew.c_str());
    DeleteFileA(plan_.renameListOld.c_str());
    DeleteFileA((plan_.windowsDir + "\\keep.txt").c_str());
    if (!hadBackup_) DeleteFileA(BackupThemePath().c_str());
    SetEnvironmentVariableA("LUMIVEX_REVERT_LOG", nullptr);
    SetEnvironmentVariableA("LUMIVEX_REVERT_HOLDER", nullptr);
  }

  // Every listed file and folder (folders with files and a folder of their
  // own), the stand-in switcher, the package's values and keys.
  void Install() {
    for (const RemovalItem& item : plan_.removals) {
      if (item.kind == RemovalKind::kFolder) {
        MakeFolders(item.path + "\\inner");
        ASSERT_TRUE(WriteFileBytes(item.path + "\\a.txt", "a"));
        ASSERT_TRUE(WriteFileBytes(item.path + "\\inner\\b.txt", "b"));
      } else {
        MakeFolders(Parent(item.path));
        ASSERT_TRUE(WriteFileBytes(item.path, "file"));
      }
    }
    ASSERT_TRUE(
        CopyFileA((BinDir() + "\\revert_probe.exe").c_str(), plan_.switcherPath.c_str(), FALSE));
    for (const char* value : kPackageValues) {
      ASSERT_TRUE(RegSetString(HKEY_CURRENT_USER, kPackageValuesKey, value, "1"));
    }
    ASSERT_TRUE(RegSetString(HKEY_LOCAL_MACHINE, kDesktopThemes, "Themes", plan_.packageDir));
    ASSERT_TRUE(RegSetString(HKEY_LOCAL_MACHINE, kProduct, "Version", "1.0"));
    ASSERT_TRUE(
        RegSetString(HKEY_LOCAL_MACHINE, kUninstallEntry, "DisplayName", "Desktop Lumivex"));
  }

  DWORD RunQvrKill() { return RunProgram("\"" + plan_.ownFile + "\"", 120000); }

  void ExpectEverythingListedGone() {
    for (const RemovalItem& item : plan_.removals) {
      EXPECT_FALSE(FileExists(item.path)) << item.path;
    }
    for (const char* value : kPackageValues) {
      bool found = true;
      RegGetString(HKEY_CURRENT_USER, kPackageValuesKey, value, &found);
      EXPECT_FALSE(found) << value;
    }
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, kPackageValuesKey));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kDesktopThemes));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallEntry));
  }

  // The stand-in switcher's record: "/r" as its whole command line, the
  // package directory as its current directory, the values still there
  // (they go after the revert), and its end (the uninstaller waited).
  void ExpectRevertRun() {
    const std::string record = ReadFileBytes(log_);
    EXPECT_NE(record.find("args=/r\n"), std::string::npos) << record;
    EXPECT_NE(record.find("cwd=" + plan_.packageDir + "\n"), std::string::npos) << record;
    EXPECT_NE(record.find("values=1\n"), std::string::npos) << record;
    EXPECT_NE(record.find("switcher=0\n"), std::string::npos) << record;
    EXPECT_NE(record.find("end\n"), std::string::npos) << record;
  }

  UninstallPlan plan_;
  std::vector<std::string> keptAside_;
  std::vector<std::pair<std::string, std::string>> savedValues_;
  bool hadStartMenu_ = false;
  bool hadBackup_ = false;
  std::string log_;
};

TEST_F(QvrKillTest, RemovesWhatIsListedAndKeepsTheRest) {
  Install();
  ASSERT_TRUE(WriteFileBytes(plan_.packageDir + "\\my notes.txt", "mine"));
  ASSERT_TRUE(WriteFileBytes(plan_.windowsDir + "\\keep.txt", "keep"));
  ASSERT_TRUE(RegSetString(HKEY_CURRENT_USER, kPackageValuesKey, "Keep", "kept"));
  ASSERT_TRUE(RegSetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvello\\Other Game", "Version", "2"));

  EXPECT_EQ(RunQvrKill(), 1u);
  ExpectEverythingListedGone();
  ExpectRevertRun();
  // A user file keeps the package folders; other keys and values stay.
  EXPECT_EQ(ReadFileBytes(plan_.packageDir + "\\my notes.txt"), "mine");
  EXPECT_EQ(ReadFileBytes(plan_.windowsDir + "\\keep.txt"), "keep");
  EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, kPackageValuesKey, "Keep"), "kept");
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kProduct));
  EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvello\\Other Game"));
  // The program's own file stays until the next start.
  EXPECT_TRUE(FileExists(plan_.ownFile));
}

TEST_F(QvrKillTest, EmptiedPackageFoldersGo) {
  Install();
  EXPECT_EQ(RunQvrKill(), 1u);
  ExpectEverythingListedGone();
  EXPECT_FALSE(FileExists(plan_.packageDir));
  EXPECT_FALSE(FileExists(plan_.plusDir));
  EXPECT_TRUE(FileExists(Parent(plan_.plusDir)));
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kProduct));
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kOrvello));
}

// A helper of the switcher keeps the package directory as its current
// directory a little longer than the switcher runs: the emptied folders
// still go.
TEST_F(QvrKillTest, APackageFolderInUseForAMomentStillGoes) {
  Install();
  SetEnvironmentVariableA("LUMIVEX_REVERT_HOLDER", (BinDir() + "\\revert_probe.exe").c_str());
  EXPECT_EQ(RunQvrKill(), 1u);
  ExpectRevertRun();
  EXPECT_FALSE(FileExists(plan_.packageDir));
  EXPECT_FALSE(FileExists(plan_.plusDir));
}

TEST_F(QvrKillTest, TheProductKeyWithAnotherSubkeyStays) {
  Install();
  ASSERT_TRUE(RegSetString(HKEY_LOCAL_MACHINE, std::string(kProduct) + "\\Tournament", "x", "1"));
  EXPECT_EQ(RunQvrKill(), 1u);
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kDesktopThemes));
  EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, std::string(kProduct) + "\\Tournament"));
  EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, kOrvello));
}

TEST_F(QvrKillTest, TheCompanyKeyWithAnotherProductsValueStays) {
  Install();
  ASSERT_TRUE(RegSetString(HKEY_LOCAL_MACHINE, kOrvello, "Registered", "yes"));
  EXPECT_EQ(RunQvrKill(), 1u);
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kProduct));
  bool found = false;
  EXPECT_EQ(RegGetString(HKEY_LOCAL_MACHINE, kOrvello, "Registered", &found), "yes");
  EXPECT_TRUE(found);
}

// The steps run in this process on plans the test prefix's own Windows
// directory cannot give.
TEST_F(QvrKillTest, WithoutAWindowsDirectoryTheRegistryEntriesStayToo) {
  Install();
  const UninstallPlan unusable = PlanUninstall("", {});
  ASSERT_FALSE(unusable.windowsDirUsable);
  RunUninstall(unusable);
  for (const char* value : kPackageValues) {
    bool found = false;
    RegGetString(HKEY_CURRENT_USER, kPackageValuesKey, value, &found);
    EXPECT_TRUE(found) << value;
  }
  EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, kDesktopThemes));
  EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallEntry));
  EXPECT_TRUE(FileExists(plan_.switcherPath));
}

TEST_F(QvrKillTest, AWindowsDirectoryAtADriveRootLeavesNoEmptiedPackageFolder) {
  if (GetFileAttributesA("D:\\") == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no drive D:";
  const UninstallPlan root = PlanUninstall("D:\\", {});
  ASSERT_TRUE(root.windowsDirUsable);
  for (const RemovalItem& item : root.removals) {
    MakeFolders(item.kind == RemovalKind::kFolder ? item.path : Parent(item.path));
    if (item.kind == RemovalKind::kFile) {
      ASSERT_TRUE(WriteFileBytes(item.path, "file"));
    }
  }
  char before[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof before, before);
  RunUninstall(root);
  SetCurrentDirectoryA(before);
  EXPECT_FALSE(FileExists(root.packageDir));
  EXPECT_FALSE(FileExists(root.plusDir));
  RemoveTree(root.plusDir);
  RemoveTree("D:\\Start Menu");
  RemoveDirectoryA("D:\\Program Files");
  ForgetPendingRenamesOfOurs();
}

TEST_F(QvrKillTest, NothingInstalled) {
  ASSERT_TRUE(WriteFileBytes(plan_.windowsDir + "\\keep.txt", "keep"));
  EXPECT_EQ(RunQvrKill(), 1u);
  EXPECT_FALSE(FileExists(log_));
  EXPECT_EQ(ReadFileBytes(plan_.windowsDir + "\\keep.txt"), "keep");
  EXPECT_FALSE(FileExists(plan_.packageDir));
}

// Where Wine reports an NT-family Windows, the own file goes to the system's
// list of pending renames, and "wininit.ini" is not made.
TEST_F(QvrKillTest, OnNtTheOwnFileIsAPendingDeletion) {
  if (IsWindows95Family(GetVersion())) GTEST_SKIP() << "Wine reports Windows 95 to every program";
  Install();
  EXPECT_EQ(RunQvrKill(), 1u);
  EXPECT_TRUE(PendingDeletionOf(plan_.ownFile));
  EXPECT_FALSE(FileExists(plan_.renameList));
}

class QvrKillOnWindows95 : public QvrKillTest {
 protected:
  void SetUp() override {
    QvrKillTest::SetUp();
    ASSERT_TRUE(RegSetString(HKEY_CURRENT_USER, kAppDefaults, "Version", "win95"));
  }
};

TEST_F(QvrKillOnWindows95, ANewRenameList) {
  Install();
  EXPECT_EQ(RunQvrKill(), 1u);
  EXPECT_EQ(ReadFileBytes(plan_.renameList), "[rename]\r\nNUL=" + plan_.ownFile + "\r\n");
  EXPECT_FALSE(FileExists(plan_.renameListNew));
  EXPECT_FALSE(PendingDeletionOf(plan_.ownFile));
  ExpectEverythingListedGone();
}

TEST_F(QvrKillOnWindows95, TheRenameListIsMerged) {
  Install();
  ASSERT_TRUE(
      WriteFileBytes(plan_.renameList,
                     "[boot]\r\nshell=Explorer.exe\r\n[Rename]\r\nC:\\new.txt=C:\\old.txt\r\n"
                     "NULL=C:\\OLD\\qvr-kill.exe\r\n\r\n[other]\r\nNULL=qvr-kill.exe"));
  EXPECT_EQ(RunQvrKill(), 1u);
  EXPECT_EQ(ReadFileBytes(plan_.renameList),
            "[boot]\r\nshell=Explorer.exe\r\n[Rename]\r\nC:\\new.txt=C:\\old.txt\r\nNUL=" +
                plan_.ownFile + "\r\n\r\n[other]\r\nNULL=qvr-kill.exe");
  EXPECT_FALSE(FileExists(plan_.renameListNew));
  EXPECT_FALSE(PendingDeletionOf(plan_.ownFile));
}

TEST_F(QvrKillOnWindows95, AReadOnlyListIsMergedAndStaysReadOnly) {
  ASSERT_TRUE(WriteFileBytes(plan_.renameList, "[rename]\r\nNUL=C:\\other.tmp\r\n"));
  ASSERT_TRUE(SetFileAttributesA(plan_.renameList.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(RunQvrKill(), 1u);
  const DWORD attributes = GetFileAttributesA(plan_.renameList.c_str());
  SetFileAttributesA(plan_.renameList.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(ReadFileBytes(plan_.renameList),
            "[rename]\r\nNUL=C:\\other.tmp\r\nNUL=" + plan_.ownFile + "\r\n");
  EXPECT_FALSE(FileExists(plan_.renameListNew));
  EXPECT_FALSE(FileExists(plan_.renameListOld));
}

// A run stopped between the two renames left the list aside: the next one
// takes it back and merges into it.
TEST_F(QvrKillOnWindows95, AListKeptAsideByAStoppedRunIsTakenBack) {
  ASSERT_TRUE(WriteFileBytes(plan_.renameListOld, "[rename]\r\nNUL=C:\\other.tmp\r\n"));
  EXPECT_EQ(RunQvrKill(), 1u);
  EXPECT_EQ(ReadFileBytes(plan_.renameList),
            "[rename]\r\nNUL=C:\\other.tmp\r\nNUL=" + plan_.ownFile + "\r\n");
  EXPECT_FALSE(FileExists(plan_.renameListOld));
}

TEST_F(QvrKillOnWindows95, AListWithoutTheSectionGetsItAppended) {
  ASSERT_TRUE(WriteFileBytes(plan_.renameList, "[boot]\r\nshell=Explorer.exe"));
  EXPECT_EQ(RunQvrKill(), 1u);
  EXPECT_EQ(ReadFileBytes(plan_.renameList),
            "[boot]\r\nshell=Explorer.exe\r\n[rename]\r\nNUL=" + plan_.ownFile + "\r\n");
}

// The package's four windows are asked to close, in order, and each request
// has been handled before the next and before the switcher's revert.
std::vector<std::string>* g_closed = nullptr;
std::string* g_revertLog = nullptr;

LRESULT CALLBACK RecordClose(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    char cls[64] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    g_closed->push_back(std::string(cls) + (FileExists(*g_revertLog) ? " after revert" : ""));
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST_F(QvrKillTest, ClosesThePackagesWindowsInOrderFirst) {
  Install();
  std::vector<std::string> closed;
  g_closed = &closed;
  g_revertLog = &log_;
  std::vector<HWND> windows;
  for (const char* cls : kPackageWindowClasses) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = RecordClose;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = cls;
    RegisterClassA(&wc);
  }
  // Made in the opposite order, so finding them is not just the order of
  // their making.
  for (int i = 3; i >= 0; --i) {
    windows.push_back(CreateWindowExA(0, kPackageWindowClasses[i], "", WS_OVERLAPPED, 0, 0, 10, 10,
                                      nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
    ASSERT_NE(windows.back(), nullptr);
  }
  ChildProcess kill;
  ASSERT_TRUE(kill.Start("\"" + plan_.ownFile + "\""));
  ASSERT_TRUE(PumpUntil([&] { return kill.Wait(0); }, 120000));
  EXPECT_EQ(kill.ExitCode(), 1u);
  EXPECT_EQ(closed, std::vector<std::string>(std::begin(kPackageWindowClasses),
                                             std::end(kPackageWindowClasses)));
  for (HWND hwnd : windows) EXPECT_FALSE(IsWindow(hwnd));
  for (const char* cls : kPackageWindowClasses) UnregisterClassA(cls, GetModuleHandleA(nullptr));
  ExpectRevertRun();
}

// A switcher with unapplied changes asks its closing question; the
// uninstaller waits for the answer before it goes on.
// Whatever the answer to the switcher's question, the revert runs once that
// switcher has ended, before anything is removed.
TEST_F(QvrKillTest, AChangedSwitcherAsksAndTheUninstallerWaits) {
  for (int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer == IDNO ? "No" : "Yes");
    Install();
    DeleteFileA(log_.c_str());
    // "Yes" applies the red theme's colours first.
    const std::string theme = BinDir() + "\\Tavol The Corvane RED.theme";
    ASSERT_TRUE(CopyFileA(
        (BinDir() + "\\..\\..\\native\\assets-out\\themes\\Tavol The Corvane RED.theme").c_str(),
        theme.c_str(), FALSE));
    SwitcherRun run;
    ASSERT_TRUE(run.Start());
    run.UseOnlyParts({IDC_COLORS});
    run.Click(IDC_RED);
    Sleep(200);
    ChildProcess kill;
    ASSERT_TRUE(kill.Start("\"" + plan_.ownFile + "\""));
    HWND box = FindDialog("Desktop Lumivex", run.Pid(), 20000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(DialogText(box), "Would you like the new settings applied?");
    EXPECT_FALSE(kill.Wait(1500));
    EXPECT_FALSE(FileExists(log_));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, kDesktopThemes));
    PostMessageA(box, WM_COMMAND, answer, 0);
    EXPECT_TRUE(run.WaitExit(30000));
    EXPECT_EQ(run.ExitCode(), 0u);
    ASSERT_TRUE(kill.Wait(60000));
    EXPECT_EQ(kill.ExitCode(), 1u);
    ExpectRevertRun();
    ExpectEverythingListedGone();
    // The stand-in reverted nothing: the switcher itself puts the colours back.
    EXPECT_EQ(RunProgram("\"" + BinDir() + "\\switcher.exe\" /r", 60000), 1u);
    DeleteFileA(theme.c_str());
  }
}

}  // namespace
