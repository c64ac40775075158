// Windows 95, 98 and Me start no thread when CreateThread has nowhere to
// write the new thread's id (ERROR_INVALID_PARAMETER); NT and Wine accept a
// null. Once this is called, the calling program's own import of CreateThread
// refuses the same way, so that what runs in the test process meets the 95
// family's rule.
#pragma once

// True once the import is replaced (again calls do nothing more).
bool RefuseThreadsWithoutId();
