// Runs the switcher's installer in a host window with a theme id it does not
// know, which ends the program through the reporter.
#include <windows.h>

#include "assert_report.h"
#include "install_host.h"
#include "program_dir.h"

int main() {
  static char programDir[MAX_PATH + 1];
  GetProgramDir(programDir, sizeof programDir);
  InitAssertReporter(AssertFlavour::kSwitcher, programDir);
  InstallHost host;
  host.Install(999, AllParts());
  return 3;  // not reached: the reporter ends the process
}
