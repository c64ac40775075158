// The name restorer as a user runs it: "Go!" from its menu on the default
// themes folder "d:\rc2\themes" (scripts/run-wine-tests.sh maps D: in the
// test prefix), "Go back!" from the command line. Its list "FNames.txt" is
// the one beside the program.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "winsupport.h"

namespace {

constexpr int kGo = 40001, kGoBack = 40002;
const char kThemes[] = "D:\\rc2\\themes";

std::string Namefix() {
  return BinDir() + "\\namefix.exe";
}
std::string ListPath() {
  return BinDir() + "\\FNames.txt";
}

struct WindowQuery {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindMainOf(HWND hwnd, LPARAM lParam) {
  auto* query = reinterpret_cast<WindowQuery*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char cls[64] = "";
  GetClassNameA(hwnd, cls, sizeof cls);
  if (pid != query->pid || std::string(cls) != "Main") return TRUE;
  query->found = hwnd;
  return FALSE;
}

HWND MainWindowOf(DWORD pid) {
  WindowQuery query{pid, nullptr};
  EnumWindows(FindMainOf, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

// The files of a folder (not its subfolders) with their contents.
std::map<std::string, std::string> FilesIn(const std::string& dir) {
  std::map<std::string, std::string> files;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return files;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    files[data.cFileName] = ReadFileBytes(dir + "\\" + data.cFileName);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return files;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

std::string Number(int n) {
  char text[8];
  std::snprintf(text, sizeof text, "%06d", n);
  return text;
}

class NamefixTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(GetDriveTypeA("D:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR))
        << "the tests need a drive D: (scripts/run-wine-tests.sh maps one)";
    CreateDirectoryA("D:\\rc2", nullptr);
    RemoveTree(kThemes);
    RemoveList();
  }
  void TearDown() override {
    RemoveTree(kThemes);
    RemoveList();
  }
  static void RemoveList() {
    DeleteFileA(ListPath().c_str());
    RemoveDirectoryA(ListPath().c_str());
  }

  // A themes folder with its own files, its "Tavol" subfolder and a folder
  // of its own in each, which the runs leave alone.
  void MakeThemes(int top, int sub) {
    ASSERT_TRUE(CreateDirectoryA(kThemes, nullptr));
    ASSERT_TRUE(CreateDirectoryA((std::string(kThemes) + "\\Tavol").c_str(), nullptr));
    CreateDirectoryA((std::string(kThemes) + "\\Other").c_str(), nullptr);
    CreateDirectoryA((std::string(kThemes) + "\\Tavol\\Deeper").c_str(), nullptr);
    WriteFileBytes(std::string(kThemes) + "\\Other\\keep.txt", "other");
    for (int i = 0; i < top; ++i) {
      std::string name = "Top file " + std::to_string(i) + ".theme";
      ASSERT_TRUE(WriteFileBytes(std::string(kThemes) + "\\" + name, "top " + std::to_string(i)));
    }
    for (int i = 0; i < sub; ++i) {
      std::string name = "cursor" + std::to_string(i) + ".ani";
      ASSERT_TRUE(
          WriteFileBytes(std::string(kThemes) + "\\Tavol\\" + name, "sub " + std::to_string(i)));
    }
  }

  // Starts namefix with its window and runs "Go!" from its menu; true once
  // the run has finished. The window stays open until Close.
  bool StartAndGo(ChildProcess* child, HWND* main, const std::string& program = Namefix()) {
    if (!child->Start("\"" + program + "\"")) return false;
    *main = nullptr;
    for (int i = 0; i < 500 && !(*main && IsWindowVisible(*main)); ++i) {
      *main = MainWindowOf(child->Id());
      Sleep(20);
    }
    if (!*main) return false;
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(*main, WM_COMMAND, kGo, 0, SMTO_NORMAL, 60000, &result) != 0;
  }
  void ForwardFromTheMenu(const std::string& program = Namefix()) {
    ChildProcess child;
    HWND main = nullptr;
    ASSERT_TRUE(StartAndGo(&child, &main, program));
    PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(child.Wait(10000));
    EXPECT_EQ(child.ExitCode(), 0u);
  }

  // Runs "namefix ARGS" and reports whether its window was ever seen.
  DWORD BackFromTheCommandLine(const std::string& args, bool* windowShown) {
    ChildProcess child;
    *windowShown = false;
    if (!child.Start("\"" + Namefix() + "\" " + args)) return 0xFFFFFFFF;
    while (!child.Wait(0)) {
      HWND main = MainWindowOf(child.Id());
      if (main && IsWindowVisible(main)) *windowShown = true;
      Sleep(1);
    }
    return child.ExitCode();
  }
};

TEST_F(NamefixTest, TheWindowAndItsMenu) {
  ChildProcess child;
  ASSERT_TRUE(child.Start("\"" + Namefix() + "\""));
  HWND main = nullptr;
  for (int i = 0; i < 500 && !(main && IsWindowVisible(main)); ++i) {
    main = MainWindowOf(child.Id());
    Sleep(20);
  }
  ASSERT_NE(main, nullptr);
  char title[64] = "";
  GetWindowTextA(main, title, sizeof title);
  EXPECT_STREQ(title, "Title");
  RECT rect;
  GetWindowRect(main, &rect);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right - rect.left, GetSystemMetrics(SM_CXSCREEN) / 2);
  EXPECT_EQ(rect.bottom - rect.top, GetSystemMetrics(SM_CYSCREEN) / 2);
  EXPECT_EQ(GetWindowLongA(main, GWL_STYLE) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
  // A menu is attached; its items are read from the program's resource
  // (menus of another process cannot be read under Wine).
  EXPECT_NE(GetMenu(main), nullptr);
  HMODULE module = LoadLibraryExA(Namefix().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HMENU menu = LoadMenuA(module, MAKEINTRESOURCEA(101));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 2);
  char text[32] = "";
  EXPECT_EQ(GetMenuItemID(menu, 0), static_cast<UINT>(kGo));
  GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "Go!");
  EXPECT_EQ(GetMenuItemID(menu, 1), static_cast<UINT>(kGoBack));
  GetMenuStringA(menu, 1, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "Go back!");
  DestroyMenu(menu);
  FreeLibrary(module);
  PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(child.Wait(10000));
  EXPECT_EQ(child.ExitCode(), 0u);
}

TEST_F(NamefixTest, SixFilesAndTenInTavolGoThereAndBack) {
  MakeThemes(6, 10);
  const auto top = FilesIn(kThemes);
  const auto sub = FilesIn(std::string(kThemes) + "\\Tavol");
  ForwardFromTheMenu();

  // Numbered in listing order, the subfolder's files after the top folder's,
  // and the list names each number's own file.
  const auto numberedTop = FilesIn(kThemes);
  const auto numberedSub = FilesIn(std::string(kThemes) + "\\Tavol");
  const std::vector<std::string> list = Lines(ReadFileBytes(ListPath()));
  ASSERT_EQ(list.size(), 16u);
  ASSERT_EQ(numberedTop.size(), 6u);
  ASSERT_EQ(numberedSub.size(), 10u);
  for (int n = 0; n < 16; ++n) {
    SCOPED_TRACE(list[n]);
    if (n < 6) {
      ASSERT_EQ(numberedTop.count(Number(n)), 1u);
      EXPECT_EQ(numberedTop.at(Number(n)), top.at(list[n]));
    } else {
      ASSERT_EQ(list[n].rfind("tavol/", 0), 0u);
      ASSERT_EQ(numberedSub.count(Number(n)), 1u);
      EXPECT_EQ(numberedSub.at(Number(n)), sub.at(list[n].substr(6)));
    }
  }
  EXPECT_EQ(ReadFileBytes(std::string(kThemes) + "\\Other\\keep.txt"), "other");

  bool shown = true;
  EXPECT_EQ(BackFromTheCommandLine(kThemes, &shown), 0u);
  EXPECT_FALSE(shown);
  EXPECT_EQ(FilesIn(kThemes), top);
  EXPECT_EQ(FilesIn(std::string(kThemes) + "\\Tavol"), sub);
  EXPECT_TRUE(FileExists(std::string(kThemes) + "\\Tavol\\Deeper"));
}

// The back run takes six top-folder lines: with five top files it tries
// 000005 in the top folder and never restores the subfolder's 000005.
TEST_F(NamefixTest, FiveFilesLeaveTheSubfoldersFirstNumbered) {
  MakeThemes(5, 4);
  const auto top = FilesIn(kThemes);
  const auto sub = FilesIn(std::string(kThemes) + "\\Tavol");
  ForwardFromTheMenu();
  const std::vector<std::string> list = Lines(ReadFileBytes(ListPath()));
  ASSERT_EQ(list.size(), 9u);
  ASSERT_TRUE(FileExists(std::string(kThemes) + "\\Tavol\\000005"));

  bool shown = true;
  EXPECT_EQ(BackFromTheCommandLine(kThemes, &shown), 0u);
  EXPECT_FALSE(shown);
  EXPECT_EQ(FilesIn(kThemes), top);
  auto restored = FilesIn(std::string(kThemes) + "\\Tavol");
  ASSERT_EQ(restored.size(), 4u);
  const std::string first = list[5].substr(6);
  EXPECT_EQ(restored.count(first), 0u);
  ASSERT_EQ(restored.count("000005"), 1u);
  EXPECT_EQ(restored.at("000005"), sub.at(first));
  restored.erase("000005");
  for (const auto& [name, content] : restored) EXPECT_EQ(sub.at(name), content);
}

TEST_F(NamefixTest, WithoutItsListTheBackRunTouchesNothing) {
  MakeThemes(0, 0);
  for (int n = 0; n < 8; ++n) {
    WriteFileBytes(std::string(kThemes) + "\\" + Number(n), "n" + std::to_string(n));
    WriteFileBytes(std::string(kThemes) + "\\Tavol\\" + Number(n), "s" + std::to_string(n));
  }
  const auto top = FilesIn(kThemes);
  const auto sub = FilesIn(std::string(kThemes) + "\\Tavol");
  bool shown = true;
  EXPECT_EQ(BackFromTheCommandLine(kThemes, &shown), 0u);
  EXPECT_FALSE(shown);
  EXPECT_EQ(FilesIn(kThemes), top);
  EXPECT_EQ(FilesIn(std::string(kThemes) + "\\Tavol"), sub);
  // A list that cannot be read (a folder by its name) changes nothing either.
  ASSERT_TRUE(CreateDirectoryA(ListPath().c_str(), nullptr));
  EXPECT_EQ(BackFromTheCommandLine(kThemes, &shown), 0u);
  EXPECT_EQ(FilesIn(kThemes), top);
}

// The command line is taken exactly as given: in quotation marks it names no
// folder, and nothing is renamed anywhere.
TEST_F(NamefixTest, AQuotedCommandLineNamesNoFolder) {
  MakeThemes(6, 2);
  ForwardFromTheMenu();
  const auto top = FilesIn(kThemes);
  const auto sub = FilesIn(std::string(kThemes) + "\\Tavol");
  bool shown = true;
  EXPECT_EQ(BackFromTheCommandLine(std::string("\"") + kThemes + "\"", &shown), 0u);
  EXPECT_FALSE(shown);
  EXPECT_EQ(FilesIn(kThemes), top);
  EXPECT_EQ(FilesIn(std::string(kThemes) + "\\Tavol"), sub);
  // And a folder that does not exist.
  EXPECT_EQ(BackFromTheCommandLine("D:\\rc2\\missing", &shown), 0u);
  EXPECT_EQ(FilesIn(kThemes), top);
}

// The forward run renames nothing when its list cannot be written, and
// keeps an earlier list when the themes folder is not there.
TEST_F(NamefixTest, ForwardRunWithoutAListOrAFolderRenamesNothing) {
  MakeThemes(6, 3);
  const auto top = FilesIn(kThemes);
  ASSERT_TRUE(CreateDirectoryA(ListPath().c_str(), nullptr));
  ForwardFromTheMenu();
  EXPECT_EQ(FilesIn(kThemes), top);
  RemoveList();

  RemoveTree(kThemes);
  WriteFileBytes(ListPath(), "earlier\nlist\n");
  ForwardFromTheMenu();
  EXPECT_EQ(ReadFileBytes(ListPath()), "earlier\nlist\n");
}

// Without a "Tavol" subfolder only the top folder's files are numbered.
// A second "Go!" before "Go back!" would list the numbers as names: the
// folder and the list stay as the first one left them.
TEST_F(NamefixTest, ASecondGoKeepsTheNamesOfTheFirst) {
  MakeThemes(6, 3);
  const auto top = FilesIn(kThemes);
  ForwardFromTheMenu();
  const std::string list = ReadFileBytes(ListPath());
  const auto numbered = FilesIn(kThemes);
  ForwardFromTheMenu();
  EXPECT_EQ(ReadFileBytes(ListPath()), list);
  EXPECT_EQ(FilesIn(kThemes), numbered);
  bool shown = true;
  EXPECT_EQ(BackFromTheCommandLine(kThemes, &shown), 0u);
  EXPECT_EQ(FilesIn(kThemes), top);
  // Every name is back: now "Go!" runs again.
  ForwardFromTheMenu();
  EXPECT_EQ(FilesIn(kThemes), numbered);
}

// namefix in the themes folder itself, started by the folder's other name
// (drive Z: and the prefix's path to drive D:): its list is in the folder
// and must never be numbered, also when an earlier run left it there.
TEST_F(NamefixTest, TheListIsNeverNumberedWhateverTheFolderIsCalled) {
  const char* prefix = std::getenv("WINEPREFIX");
  if (!prefix) GTEST_SKIP() << "the other name needs the Wine prefix's path";
  std::string other = std::string("Z:") + prefix + "/drive_d/rc2/themes";
  for (char& c : other) {
    if (c == '/') c = '\\';
  }
  MakeThemes(5, 2);  // with namefix.exe, the six files the list's layout needs
  const std::string program = std::string(kThemes) + "\\namefix.exe";
  ASSERT_TRUE(CopyFileA(Namefix().c_str(), program.c_str(), FALSE));
  ASSERT_TRUE(FileExists(other + "\\namefix.exe"));
  const auto top = FilesIn(kThemes);
  const std::string inFolder = std::string(kThemes) + "\\FNames.txt";

  ForwardFromTheMenu(other + "\\namefix.exe");
  ASSERT_TRUE(FileExists(inFolder));
  ASSERT_TRUE(CopyFileA(inFolder.c_str(), ListPath().c_str(), FALSE));
  bool shown = true;
  EXPECT_EQ(BackFromTheCommandLine(kThemes, &shown), 0u);
  DeleteFileA(ListPath().c_str());
  auto restored = FilesIn(kThemes);
  restored.erase("FNames.txt");
  ASSERT_EQ(restored, top);

  ForwardFromTheMenu(other + "\\namefix.exe");
  ASSERT_TRUE(FileExists(inFolder)) << "the list itself was numbered";
  const std::vector<std::string> names = Lines(ReadFileBytes(inFolder));
  EXPECT_EQ(names.size(), 8u);
  for (const std::string& name : names) EXPECT_NE(name, "FNames.txt");
}

TEST_F(NamefixTest, NoSubfolder) {
  ASSERT_TRUE(CreateDirectoryA(kThemes, nullptr));
  for (int i = 0; i < 6; ++i) WriteFileBytes(std::string(kThemes) + "\\f" + std::to_string(i), "x");
  const auto top = FilesIn(kThemes);
  ForwardFromTheMenu();
  EXPECT_EQ(Lines(ReadFileBytes(ListPath())).size(), 6u);
  EXPECT_EQ(FilesIn(kThemes).count("000005"), 1u);
  bool shown = true;
  EXPECT_EQ(BackFromTheCommandLine(kThemes, &shown), 0u);
  EXPECT_EQ(FilesIn(kThemes), top);
}

// More files than the table holds: the first 1000 are numbered and listed,
// the rest keep their names, the subfolder is not touched.
TEST_F(NamefixTest, MoreFilesThanTheTableHolds) {
  MakeThemes(1003, 2);
  const auto sub = FilesIn(std::string(kThemes) + "\\Tavol");
  ForwardFromTheMenu();
  const std::vector<std::string> list = Lines(ReadFileBytes(ListPath()));
  ASSERT_EQ(list.size(), 1000u);
  const auto numbered = FilesIn(kThemes);
  int numbers = 0;
  for (const auto& entry : numbered) {
    if (entry.first.size() == 6 && entry.first.find_first_not_of("0123456789") == std::string::npos)
      ++numbers;
  }
  EXPECT_EQ(numbers, 1000);
  EXPECT_EQ(numbered.size(), 1003u);
  EXPECT_EQ(numbered.count("001000"), 0u);
  EXPECT_EQ(FilesIn(std::string(kThemes) + "\\Tavol"), sub);
}

}  // namespace
