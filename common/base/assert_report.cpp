#include "assert_report.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "package_paths.h"

const char kSupportLine[] = "ORV Customer Support (+1) 555-0142";

namespace {

constexpr size_t kMessageCut = 2000;
// Source names are file names of our own; longer ones are cut in the header.
constexpr size_t kSourceCut = 300;
constexpr char kSupportPrefix[] = "\nPlease call ";
// "File-> %s, Line-> %d\n" with the longest source and the longest int.
constexpr size_t kHeaderMax =
    (sizeof "File-> , Line-> \n" - 1) + kSourceCut + (sizeof "-2147483648" - 1);

AssertFlavour g_flavour = AssertFlavour::kSwitcher;
const char* g_programDir = nullptr;

// One process-wide buffer: the header line, the caller's message and the
// switcher's support line (sizeof kSupportLine counts the terminator). Used
// once, since the reporter ends the process.
char g_message[kHeaderMax + kMessageCut + (sizeof kSupportPrefix - 1) + sizeof kSupportLine];
volatile LONG g_reporting = 0;
HWND volatile g_dialogOwner = nullptr;

// Ends the process the way the flavour asks, after giving the owner of a
// modal dialog its input back.
[[noreturn]] void EndProcess(int exitCode) {
  if (g_dialogOwner) EnableWindow(g_dialogOwner, TRUE);
  std::exit(exitCode);
}

}  // namespace

HWND SetAssertDialogOwner(HWND owner) {
  HWND before = g_dialogOwner;
  g_dialogOwner = owner;
  return before;
}

void InitAssertReporter(AssertFlavour flavour, const char* programDir) {
  g_flavour = flavour;
  g_programDir = programDir;
}

void Assert(int condition, const char* source, int line, const char* format, ...) {
  if (condition) return;

  // A second thread failing while the first reports waits for the end.
  if (InterlockedExchange(&g_reporting, 1) != 0) {
    for (;;) Sleep(INFINITE);
  }

  char logPath[kPathSize];
  JoinPath(logPath, sizeof logPath, g_programDir ? g_programDir : "", kAssertLogName);

  size_t used = 0;
  g_message[0] = '\0';
  if (source != nullptr && line != 0) {
    int n = std::snprintf(g_message, kHeaderMax + 1, "File-> %.*s, Line-> %d\n",
                          static_cast<int>(kSourceCut), source, line);
    used = n < 0 ? 0 : std::strlen(g_message);
  }
  va_list args;
  va_start(args, format);
  std::vsnprintf(g_message + used, kMessageCut + 1, format, args);
  va_end(args);

  if (FILE* log = std::fopen(logPath, "at")) {
    std::time_t now = std::time(nullptr);
    const char* when = std::ctime(&now);
    std::fprintf(log, "%s%s\n", when ? when : "\n", g_message);
    std::fclose(log);
  }

  if (g_flavour == AssertFlavour::kScreenSaver) EndProcess(1);

  used = std::strlen(g_message);
  std::snprintf(g_message + used, sizeof g_message - used, "%s%s", kSupportPrefix, kSupportLine);
  MessageBoxA(nullptr, g_message, "Assertion Error", MB_OK | MB_SYSTEMMODAL);
  EndProcess(255);
}
