#include "assert_log.h"

#include <fstream>
#include <sstream>

const std::regex kCtimeLine(
    R"((Mon|Tue|Wed|Thu|Fri|Sat|Sun) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [ 0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4}\n)");

std::string AssertLogPath() {
  return BinDir() + "\\assertFile.txt";
}

// The log is a text file: read in text mode, line ends come as "\n".
std::string ReadAssertLog() {
  std::ifstream in(AssertLogPath());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> AssertLogEntries() {
  std::string log = ReadAssertLog();
  std::vector<std::string> bodies;
  std::vector<size_t> starts;
  for (auto it = std::sregex_iterator(log.begin(), log.end(), kCtimeLine);
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

ReporterRun RunThroughReporter(const std::string& commandLine, bool expectBox) {
  ReporterRun run;
  ChildProcess child;
  if (!child.Start(commandLine)) {
    run.exitCode = 0xFFFFFFFF;
    return run;
  }
  if (expectBox) {
    if (HWND box = FindDialog("Assertion Error", child.Id(), 20000)) {
      run.box.found = true;
      run.box.text = DialogText(box);
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
  } else {
    run.box.found = FindDialog("Assertion Error", child.Id(), 1500) != nullptr;
  }
  run.exitCode = child.Wait(20000) ? child.ExitCode() : 0xFFFFFFFF;
  return run;
}
