#include "page_mapping.h"

#include <windows.h>

namespace {

// Small enough to stay inside the default minimum working set, which caps
// what a process may lock at once; large enough that the calls cost little.
constexpr size_t kLockRange = 64 * 1024;

}  // namespace

void MapPagesAtOnce(void* bytes, size_t size) {
  auto* at = static_cast<unsigned char*>(bytes);
  for (size_t done = 0; done < size;) {
    const size_t range = size - done < kLockRange ? size - done : kLockRange;
    if (!VirtualLock(at + done, range)) return;  // left to first touch
    // A range left locked would only make a later lock fail, and then the
    // pages are touched as before: nothing to report.
    static_cast<void>(VirtualUnlock(at + done, range));
    done += range;
  }
}
