// Desktop icons, mouse pointers and event sounds. Every key is opened, never
// created: a key the system does not have receives nothing.
#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "installtheme.h"
#include "win_raii.h"

namespace {

// Reads a path from the theme and expands it; false when the expanded path
// would not fit (the value is then left as the system has it).
bool ReadThemePath(const ThemeFileRef& theme, const char* section, const char* key, char* path) {
  char value[kPathSize];
  ReadThemeValue(theme, section, key, "", value, sizeof value);
  return ExpandThemePath(theme, path, value) >= 0;
}

void InstallDefaultIcon(const ThemeFileRef& theme, const char* keyName) {
  char path[kPathSize];
  if (!ReadThemePath(theme, keyName, kDefaultValueKey, path)) return;
  RegKey key;
  if (key.Open(HKEY_CLASSES_ROOT, keyName, KEY_SET_VALUE)) key.SetString(nullptr, path);
}

// The bin shows its full icon when its default value is its "full" one.
bool RecycleBinIsFull() {
  RegKey key;
  if (!key.Open(HKEY_CLASSES_ROOT, kRecycleBinIconKey, KEY_QUERY_VALUE)) return false;
  char full[kPathSize], current[kPathSize];
  key.GetString("full", full, kPathSize - 1);
  key.GetString(nullptr, current, kPathSize - 1);
  return full[0] != '\0' && std::strcmp(full, current) == 0;
}

void InstallRecycleBinIcons(const ThemeFileRef& theme) {
  const bool full = RecycleBinIsFull();
  RegKey key;
  if (!key.Open(HKEY_CLASSES_ROOT, kRecycleBinIconKey, KEY_SET_VALUE)) return;
  char path[kPathSize];
  if (ReadThemePath(theme, kRecycleBinIconKey, "full", path)) {
    key.SetString("full", path);
    if (full) key.SetString(nullptr, path);
  }
  if (ReadThemePath(theme, kRecycleBinIconKey, "empty", path)) {
    key.SetString("empty", path);
    if (!full) key.SetString(nullptr, path);
  }
}

}  // namespace

int InstallIcons(const InstallerState& state) {
  InstallDefaultIcon(state.theme, kMyComputerIconKey);
  InstallDefaultIcon(state.theme, kNetworkIconKey);
  InstallRecycleBinIcons(state.theme);

  char depth[kPathSize];
  ReadThemeValue(state.theme, kMasterThemeSection, "ThemeColorBPP", "16", depth, sizeof depth);
  RegKey metrics;
  if (metrics.Open(HKEY_CURRENT_USER, "Control Panel\\Desktop\\WindowMetrics", KEY_SET_VALUE)) {
    metrics.SetString("Shell Icon BPP", depth);
  }
  metrics.Close();

  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  SystemParametersInfoA(SPI_SETICONS, 0, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
  return 1;
}

int InstallCursors(const InstallerState& state) {
  {
    RegKey key;
    if (key.Open(HKEY_CURRENT_USER, "Control Panel\\Cursors", KEY_SET_VALUE)) {
      char path[kPathSize];
      for (const char* name : kCursorNames) {
        if (ReadThemePath(state.theme, kCursorsSection, name, path)) key.SetString(name, path);
      }
      if (ReadThemePath(state.theme, kCursorsSection, kDefaultValueKey, path))
        key.SetString(nullptr, path);
    }
  }
  SystemParametersInfoA(SPI_SETCURSORS, 0, nullptr, SPIF_UPDATEINIFILE);
  // A colour theme's pointers match no named scheme; the user's own saved
  // ones keep the scheme name they were saved with.
  if (IsSavedTheme(state.themeId)) return 1;
  RegKey key;
  if (key.Open(HKEY_CURRENT_USER, "Control Panel\\Cursors", KEY_SET_VALUE)) {
    key.SetString(nullptr, "");
  }
  return 1;
}

int InstallEventSound(const InstallerState& state, const char* keyName) {
  char path[kPathSize];
  if (!ReadThemePath(state.theme, keyName, kDefaultValueKey, path)) return 1;
  RegKey key;
  if (key.Open(HKEY_CURRENT_USER, keyName, KEY_SET_VALUE)) key.SetString(nullptr, path);
  return 1;
}

int InstallSounds(const InstallerState& state) {
  for (const char* keyName : kSoundEventKeys) InstallEventSound(state, keyName);
  // The sounds no longer match any named scheme: one blank, as the display
  // control panel writes it.
  RegKey schemes;
  if (schemes.Open(HKEY_CURRENT_USER, "AppEvents\\Schemes", KEY_SET_VALUE)) {
    schemes.SetString(nullptr, " ");
  }
  return 1;
}
