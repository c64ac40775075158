// The wallpaper maker: builds "Tavol The Corvane.BMP" for the current screen
// from a colour's art on a thread of its own.
//
// What the maker thread and the installing window share, and how:
// - the job (art name, bitmap path, window, dither kernel) is copied into the
//   thread's own record when it starts; the window's thread never touches it
//   again;
// - the report (WallpaperMakerReport): the maker sets diskFull before it
//   posts Cancel (WM_COMMAND IDCANCEL) to the window, whose thread reads it
//   when that command arrives. Both hold the report, so it outlives either;
// - the thread handle: the window's thread polls it (10 ms waits) and closes
//   it in stage 2.
#pragma once

#include <windows.h>

#include <atomic>

struct InstallerState;

struct WallpaperMakerReport {
  std::atomic<bool> diskFull{false};
};

// Starts the maker for the installation's window with its own copy of the
// art name and the bitmap path; returns the thread's handle, or null after
// telling the user that it cannot start.
HANDLE StartWallpaperMaker(const InstallerState& state, const char* artName,
                           const char* bitmapPath);
