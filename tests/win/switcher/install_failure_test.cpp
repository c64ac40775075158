// What the switcher cannot go on from ends it through the reporter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assert_log.h"
#include "winsupport.h"

namespace {

TEST(InstallFailureTest, BadThemeIdEndsTheSwitcherWith255) {
  DeleteFileA(AssertLogPath().c_str());
  ReporterRun run = RunThroughReporter("\"" + BinDir() + "\\install_probe.exe\"", true);
  EXPECT_EQ(run.exitCode, 255u);
  ASSERT_TRUE(run.box.found);
  EXPECT_EQ(run.box.text.rfind("File-> installtheme, Line-> 105\nInstallTheme: bad theme id\n", 0),
            0u);
  std::vector<std::string> entries = AssertLogEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0], "File-> installtheme, Line-> 105\nInstallTheme: bad theme id\n");
  DeleteFileA(AssertLogPath().c_str());
}

}  // namespace
