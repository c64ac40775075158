// System calls that tell every top-level window about a change (SetSysColors,
// SystemParametersInfoA with SPIF_SENDCHANGE) wait, on some systems, for each
// window to answer. One window whose program has stopped pumping messages
// would then freeze the switcher for good.
#pragma once

#include <windows.h>

#include <functional>

// Runs call on a thread of its own and waits for it at most timeoutMs. While
// it waits, this thread answers the messages other threads send it (the
// call's own broadcast reaches our windows too); posted messages and timer
// ticks stay queued, so nothing else of the installation runs in between.
// A call that outlives the wait finishes on its own thread, which owns the
// call and everything it captured by value. True when it finished in time.
bool RunBoundedCall(std::function<void()> call, DWORD timeoutMs);
