#pragma once

#include <cstddef>

// Maps a new buffer's pages a range at a time instead of one page fault at
// each page's first touch: VirtualLock brings a range's pages in and
// VirtualUnlock leaves them ordinary pages again. Where a range cannot be
// locked (the working set's quota), the rest of the pages are left to be
// mapped as they are first touched, as they would be anyway.
void MapPagesAtOnce(void* bytes, size_t size);
