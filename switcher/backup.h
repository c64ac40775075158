// Saving the current settings into theme files, so Revert ("TavolBackup.theme",
// written once) and Cancel ("Restore.theme", written at every start) have
// something to install.
#pragma once

int WriteBackupTheme();
int WriteRestoreTheme();
// Writes the ten groups of settings into the current theme file.
void SaveThemeSettings();
// Keeps the made wallpaper bitmap aside as its ".sav" twin.
void CopyWallpaperAtStart();
