// The assertion reporter's log ("assertFile.txt") as the tests read it.
#pragma once

#include <windows.h>

#include <regex>
#include <string>
#include <vector>

#include "winsupport.h"

// The date line ctime writes: 24 characters and a newline.
extern const std::regex kCtimeLine;

// The log beside the test programs (bin\assertFile.txt), and its text.
std::string AssertLogPath();
std::string ReadAssertLog();

// The entries of the log, each without its date line, in order.
std::vector<std::string> AssertLogEntries();

// Runs a program that is expected to end through the reporter; answers its
// "Assertion Error" box when one comes (expectBox), or records that one came.
struct ReporterRun {
  DWORD exitCode = 0;
  SeenDialog box;
};
ReporterRun RunThroughReporter(const std::string& commandLine, bool expectBox);
