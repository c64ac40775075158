// The uninstaller's steps: the plan is loaded from the system first, then
// carried out in order. No step stops the run; what is missing or cannot be
// removed is passed over.
#pragma once

#include "uninstall/uninstall_plan.h"

// The Windows directory and the shell's folders for every user, as a plan.
UninstallPlan LoadUninstallPlan();

// Closes the package's windows, has the switcher revert the desktop, and
// removes the values, keys, files and folders of the plan; queues the
// uninstaller's own file for deletion at the next start.
void RunUninstall(const UninstallPlan& plan);
