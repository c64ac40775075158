// qvr-kill: removes Desktop Lumivex. It reads no command line, shows nothing
// of its own and always ends with exit code 1.
#include <windows.h>

#include "uninstall_steps.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RunUninstall(LoadUninstallPlan());
  return 1;
}
