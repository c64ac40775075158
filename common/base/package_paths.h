// The package's file and folder names, and the paths built from the Windows
// directory. Windows file names ignore letter case, so one spelling serves
// every program that opens the same file.
#pragma once

#include <cstddef>

#include "base/path_size.h"

// In the Windows directory.
constexpr char kWallpaperBitmapName[] = "Tavol The Corvane.BMP";  // made by the switcher
constexpr char kWallpaperCopyName[] = "Tavol The Corvane.SAV";    // the bitmap as it was at start
constexpr char kArtFolderName[] = "TAVOL";                        // art and colour tables

// The five colour themes, in the directory that control.ini names.
constexpr char kBlackThemeName[] = "Tavol The Corvane BLACK.theme";
constexpr char kRedThemeName[] = "Tavol The Corvane RED.theme";
constexpr char kWhiteThemeName[] = "Tavol The Corvane WHITE.theme";
constexpr char kBlueThemeName[] = "Tavol The Corvane BLUE.theme";
constexpr char kGreenThemeName[] = "Tavol The Corvane GREEN.theme";

// In the switcher's program directory.
constexpr char kBackupThemeName[] = "TavolBackup.theme";  // settings before the first start
constexpr char kRestoreThemeName[] = "Restore.theme";     // settings at this start
constexpr char kAboutColourTable[] = "WALLART\\PALALL9.TR";

// Beside every program that reports failures.
constexpr char kAssertLogName[] = "assertFile.txt";

// dir + "\" + name into out (size bytes). False, with out empty, when the
// result would not fit.
bool JoinPath(char* out, size_t size, const char* dir, const char* name);

// The Windows directory into out (size bytes). False, with out empty, when
// it cannot be read or does not fit.
bool GetWindowsDir(char* out, size_t size);

// The Windows directory + "\" + name, at most 260 characters. False, with
// out empty, when the Windows directory cannot be read or the path is longer.
bool WindowsDirPath(char* out, size_t size, const char* name);
