// The wallpaper maker: builds "Tavol The Corvane.BMP" for the current screen
// from a colour's art on a thread of its own.
#pragma once

#include <windows.h>

// Keeps the two pointers (they must stay valid while the thread runs),
// starts the thread and returns its handle; null after telling the user
// that it cannot start.
HANDLE StartWallpaperMaker(const char* artName, const char* bitmapPath);
