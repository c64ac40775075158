// What a theme file holds: its sections, keys, defaults and buffer sizes, the
// colour value form and the expansion of a leading "%WinDir%" or
// "%ThemeDir%" token. Reading and writing the file itself is the Windows
// side's business (GetPrivateProfileStringA / WritePrivateProfileStringA).
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/path_size.h"

// Buffer sizes used when reading values, terminator included.
constexpr size_t kColourValueSize = 20;
constexpr size_t kMetricsValueSize = 16384;

constexpr const char kColorsSection[] = "Control Panel\\Colors";
constexpr const char kMetricsSection[] = "Metrics";
constexpr const char kDesktopSection[] = "Control Panel\\Desktop";
constexpr const char kCursorsSection[] = "Control Panel\\Cursors";
constexpr const char kMasterThemeSection[] = "MasterThemeSelector";
constexpr const char kBootSection[] = "boot";
constexpr const char kDefaultValueKey[] = "DefaultValue";

struct ThemeColour {
  const char* name;  // theme key and registry value
  int element;       // system colour index (COLOR_*)
};
constexpr int kColourCount = 25;
extern const ThemeColour kThemeColours[kColourCount];

constexpr int kCursorCount = 14;
extern const char* const kCursorNames[kCursorCount];

// Sound events: section and HKCU key "AppEvents\Schemes\Apps\<app>\<event>\.Current".
constexpr int kSoundEventCount = 21;
extern const char* const kSoundEventKeys[kSoundEventCount];

// The desktop's My Computer, Network Neighborhood and Recycle Bin icons; the
// section name is also the key under HKEY_CLASSES_ROOT.
extern const char kMyComputerIconKey[];
extern const char kNetworkIconKey[];
extern const char kRecycleBinIconKey[];

// A colour value "R G B": three decimal numbers 0..255 separated by white
// space, as a colour reference R + 256 G + 65536 B. Anything after the third
// number is ignored. False (colorref untouched) when the value does not hold
// three such numbers.
bool ParseColourValue(const char* value, uint32_t* colorref);

// Expands a leading "%WinDir%" (windowsDir) or "%ThemeDir%" (themeDir) token,
// case-sensitively and only at the very start, always inserting one
// backslash; any other value is copied. Returns the length of the result, or
// -1 (dest set empty) when it would not fit in destSize - 1 characters or the
// token's directory is null (not known).
int ExpandThemeValue(char* dest, size_t destSize, const char* source, const char* windowsDir,
                     const char* themeDir);
