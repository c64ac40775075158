// Saving the current settings into theme files, so Revert ("TavolBackup.theme",
// written once) and Cancel ("Restore.theme", written at every start) have
// something to install.
#pragma once

#include "installtheme.h"

int WriteBackupTheme();
int WriteRestoreTheme();
// Writes the ten groups of settings into a theme file.
void SaveThemeSettings(const ThemeFileRef& theme);
// Keeps the made wallpaper bitmap aside as its ".sav" twin.
void CopyWallpaperAtStart();
