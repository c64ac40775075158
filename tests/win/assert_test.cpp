// The assertion reporter as a failing program shows it: the log entry, the
// message box of the switcher, the exit codes.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "winsupport.h"

namespace {

std::string LogPath() {
  return BinDir() + "\\assertFile.txt";
}
std::string Probe(const std::string& args) {
  return "\"" + BinDir() + "\\assert_probe.exe\" " + args;
}

struct ProbeRun {
  DWORD exitCode = 0;
  SeenDialog box;
};

// Runs the probe; answers an "Assertion Error" box if one comes.
ProbeRun RunProbe(const std::string& args, bool expectBox) {
  ProbeRun run;
  ChildProcess child;
  EXPECT_TRUE(child.Start(Probe(args)));
  if (expectBox) {
    HWND box = FindDialog("Assertion Error", child.Id(), 20000);
    if (box) {
      run.box.found = true;
      run.box.text = DialogText(box);
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
  } else {
    run.box.found = FindDialog("Assertion Error", child.Id(), 1500) != nullptr;
  }
  EXPECT_TRUE(child.Wait(20000));
  run.exitCode = child.ExitCode();
  return run;
}

const std::regex kDateLine(
    R"((Mon|Tue|Wed|Thu|Fri|Sat|Sun) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [ 0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4}\n)");

// Splits the log into entries by their date lines; returns the bodies.
// The log is a text file: read it in text mode, line ends as "\n".
std::string ReadLog() {
  std::ifstream in(LogPath());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> LogEntries() {
  std::string log = ReadLog();
  std::vector<std::string> bodies;
  std::vector<size_t> starts;
  for (auto it = std::sregex_iterator(log.begin(), log.end(), kDateLine);
       it != std::sregex_iterator(); ++it) {
    starts.push_back(static_cast<size_t>(it->position()));
  }
  for (size_t i = 0; i < starts.size(); ++i) {
    size_t begin = starts[i] + 25;
    size_t end = i + 1 < starts.size() ? starts[i + 1] : log.size();
    bodies.push_back(log.substr(begin, end - begin));
  }
  return bodies;
}

class AssertReporterTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteFileA(LogPath().c_str()); }
  void TearDown() override { DeleteFileA(LogPath().c_str()); }
};

TEST_F(AssertReporterTest, TrueConditionReturnsAndWritesNothing) {
  ProbeRun run = RunProbe("switcher true", false);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_FALSE(run.box.found);
  EXPECT_FALSE(FileExists(LogPath()));
}

TEST_F(AssertReporterTest, SwitcherLogsShowsTheBoxAndExits255) {
  ProbeRun run = RunProbe("switcher winmain", true);
  EXPECT_EQ(run.exitCode, 255u);
  ASSERT_TRUE(run.box.found);
  EXPECT_EQ(run.box.text,
            "File-> winmain, Line-> 112\nMain window creation failed\n"
            "Please call ORV Customer Support (+1) 555-0142");
  std::string log = ReadLog();
  ASSERT_GE(log.size(), 25u);
  EXPECT_TRUE(std::regex_match(log.substr(0, 25), kDateLine)) << log;
  EXPECT_EQ(log.substr(25), "File-> winmain, Line-> 112\nMain window creation failed\n");
}

TEST_F(AssertReporterTest, ScreenSaverFlavourIsSilentAndExits1) {
  ProbeRun run = RunProbe("saver winmain", false);
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_FALSE(run.box.found);
  std::vector<std::string> entries = LogEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0], "File-> winmain, Line-> 112\nMain window creation failed\n");
}

TEST_F(AssertReporterTest, EntryForms) {
  struct Case {
    const char* args;
    std::string body;
  } cases[] = {
      {"saver nosource", "No source given\n"},
      {"saver noline", "No line given\n"},
      // A message ending in "\r\n" leaves an empty line after its entry.
      {"saver crlf",
       "File-> D42SAVE, Line-> 77\nFile C:\\x\\WHITE.ART could not be opened: "
       "EXITING\r\n\n"},
      {"saver percent", "File-> probe, Line-> 7\n100% sure: %s %n %d\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    DeleteFileA(LogPath().c_str());
    EXPECT_EQ(RunProbe(c.args, false).exitCode, 1u);
    std::vector<std::string> entries = LogEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0], c.body);
  }
}

TEST_F(AssertReporterTest, MessageIsCutAfter2000Characters) {
  EXPECT_EQ(RunProbe("saver long", false).exitCode, 1u);
  std::vector<std::string> entries = LogEntries();
  ASSERT_EQ(entries.size(), 1u);
  std::string expected = "File-> probe, Line-> 8\n";
  std::string message(2000, 'a');
  for (size_t i = 0; i < message.size(); i += 100) message[i] = 'B';
  EXPECT_EQ(entries[0], expected + message + "\n");
}

TEST_F(AssertReporterTest, LongestSourceAndMessageFitWholeWithTheSupportLine) {
  ProbeRun run = RunProbe("switcher longest", true);
  EXPECT_EQ(run.exitCode, 255u);
  const std::string body =
      "File-> " + std::string(300, 's') + ", Line-> -2147483648\n" + std::string(2000, 'm');
  ASSERT_TRUE(run.box.found);
  EXPECT_EQ(run.box.text, body + "\nPlease call ORV Customer Support (+1) 555-0142");
  std::vector<std::string> entries = LogEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0], body + "\n");
}

TEST_F(AssertReporterTest, TwoFailuresInTwoRunsKeepBothEntriesInOrder) {
  EXPECT_EQ(RunProbe("saver nosource", false).exitCode, 1u);
  EXPECT_EQ(RunProbe("saver noline", false).exitCode, 1u);
  std::vector<std::string> entries = LogEntries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0], "No source given\n");
  EXPECT_EQ(entries[1], "No line given\n");
}

TEST_F(AssertReporterTest, BadThemeIdEndsTheSwitcherWith255) {
  ProbeRun run = RunProbe("switcher badid", true);
  EXPECT_EQ(run.exitCode, 255u);
  ASSERT_TRUE(run.box.found);
  EXPECT_EQ(run.box.text.rfind("File-> installtheme, Line-> 105\nInstallTheme: bad theme id\n", 0),
            0u);
  std::vector<std::string> entries = LogEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0], "File-> installtheme, Line-> 105\nInstallTheme: bad theme id\n");
}

}  // namespace
