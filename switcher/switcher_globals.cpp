#include "switcher_globals.h"

SwitcherGlobals g_switcher;
