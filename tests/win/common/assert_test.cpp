// The assertion reporter as a failing program shows it: the log entry, the
// message box of the switcher, the exit codes.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "assert_log.h"
#include "winsupport.h"

namespace {

std::string Probe(const std::string& args) {
  return "\"" + BinDir() + "\\assert_probe.exe\" " + args;
}

ReporterRun RunProbe(const std::string& args, bool expectBox) {
  return RunThroughReporter(Probe(args), expectBox);
}

class AssertReporterTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteFileA(AssertLogPath().c_str()); }
  void TearDown() override { DeleteFileA(AssertLogPath().c_str()); }
};

TEST_F(AssertReporterTest, TrueConditionReturnsAndWritesNothing) {
  ReporterRun run = RunProbe("switcher true", false);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_FALSE(run.box.found);
  EXPECT_FALSE(FileExists(AssertLogPath()));
}

TEST_F(AssertReporterTest, SwitcherLogsShowsTheBoxAndExits255) {
  ReporterRun run = RunProbe("switcher winmain", true);
  EXPECT_EQ(run.exitCode, 255u);
  ASSERT_TRUE(run.box.found);
  EXPECT_EQ(run.box.text,
            "File-> winmain, Line-> 112\nMain window creation failed\n"
            "Please call ORV Customer Support (+1) 555-0142");
  std::string log = ReadAssertLog();
  ASSERT_GE(log.size(), 25u);
  EXPECT_TRUE(std::regex_match(log.substr(0, 25), kCtimeLine)) << log;
  EXPECT_EQ(log.substr(25), "File-> winmain, Line-> 112\nMain window creation failed\n");
}

TEST_F(AssertReporterTest, ScreenSaverFlavourIsSilentAndExits1) {
  ReporterRun run = RunProbe("saver winmain", false);
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_FALSE(run.box.found);
  std::vector<std::string> entries = AssertLogEntries();
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
    DeleteFileA(AssertLogPath().c_str());
    EXPECT_EQ(RunProbe(c.args, false).exitCode, 1u);
    std::vector<std::string> entries = AssertLogEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0], c.body);
  }
}

TEST_F(AssertReporterTest, MessageIsCutAfter2000Characters) {
  EXPECT_EQ(RunProbe("saver long", false).exitCode, 1u);
  std::vector<std::string> entries = AssertLogEntries();
  ASSERT_EQ(entries.size(), 1u);
  std::string expected = "File-> probe, Line-> 8\n";
  std::string message(2000, 'a');
  for (size_t i = 0; i < message.size(); i += 100) message[i] = 'B';
  EXPECT_EQ(entries[0], expected + message + "\n");
}

TEST_F(AssertReporterTest, LongestSourceAndMessageFitWholeWithTheSupportLine) {
  ReporterRun run = RunProbe("switcher longest", true);
  EXPECT_EQ(run.exitCode, 255u);
  const std::string body =
      "File-> " + std::string(300, 's') + ", Line-> -2147483648\n" + std::string(2000, 'm');
  ASSERT_TRUE(run.box.found);
  EXPECT_EQ(run.box.text, body + "\nPlease call ORV Customer Support (+1) 555-0142");
  std::vector<std::string> entries = AssertLogEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0], body + "\n");
}

TEST_F(AssertReporterTest, TwoFailuresInTwoRunsKeepBothEntriesInOrder) {
  EXPECT_EQ(RunProbe("saver nosource", false).exitCode, 1u);
  EXPECT_EQ(RunProbe("saver noline", false).exitCode, 1u);
  std::vector<std::string> entries = AssertLogEntries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0], "No source given\n");
  EXPECT_EQ(entries[1], "No line given\n");
}

}  // namespace
