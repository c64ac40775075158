// The colours and fonts steps: the 25 window colours, and the icon and
// non-client metrics carried as byte-token lists.
#include <windows.h>

#include <cstddef>

#include "installtheme.h"
#include "theme/bytetokens.h"
#include "win_raii.h"

// The theme's byte-token lists are the platform structures' bytes: the
// portable mirrors must have the same layout.
static_assert(sizeof(LOGFONTA) == sizeof(ThemeLogFont), "LOGFONTA layout");
static_assert(offsetof(LOGFONTA, lfFaceName) == offsetof(ThemeLogFont, lfFaceName), "LOGFONTA");
static_assert(sizeof(ICONMETRICSA) == sizeof(ThemeIconMetrics), "ICONMETRICSA layout");
static_assert(offsetof(ICONMETRICSA, lfFont) == offsetof(ThemeIconMetrics, lfFont),
              "ICONMETRICSA layout");
static_assert(offsetof(NONCLIENTMETRICSA, lfMessageFont) ==
                  offsetof(ThemeNonclientMetrics, lfMessageFont),
              "NONCLIENTMETRICSA layout");
static_assert(offsetof(NONCLIENTMETRICSA, iMenuHeight) ==
                  offsetof(ThemeNonclientMetrics, iMenuHeight),
              "NONCLIENTMETRICSA layout");

namespace {

const char kWindowMetrics[] = "WindowMetrics";

void BroadcastMetricsChange(UINT action) {
  SendMessageA(HWND_BROADCAST, WM_SETTINGCHANGE, action, reinterpret_cast<LPARAM>(kWindowMetrics));
}

}  // namespace

int InstallColors() {
  int elements[kColourCount];
  COLORREF colours[kColourCount];
  int count = 0;
  {
    RegKey key;
    key.Open(HKEY_CURRENT_USER, "Control Panel\\Colors", KEY_SET_VALUE);
    for (const ThemeColour& colour : kThemeColours) {
      char value[kColourValueSize];
      ReadThemeValue(kColorsSection, colour.name, "", value, sizeof value);
      uint32_t colorref = 0;
      // A value that is not three numbers keeps the system's current colour.
      if (!ParseColourValue(value, &colorref)) continue;
      key.SetString(colour.name, value);
      elements[count] = colour.element;
      colours[count] = colorref;
      ++count;
    }
  }
  if (count > 0) SetSysColors(count, elements, colours);

  RegKey appearance;
  if (appearance.Open(HKEY_CURRENT_USER, "Control Panel\\Appearance", KEY_SET_VALUE)) {
    appearance.SetString("Current", "");
  }
  return 1;
}

int InstallFonts() {
  // The values are large; keep them off the stack of the UI thread.
  static char value[kMetricsValueSize];

  ReadThemeValue(kMetricsSection, "IconMetrics", "", value, sizeof value);
  ThemeIconMetrics iconMetrics;
  if (ParseIconMetrics(&iconMetrics, value)) {
    SystemParametersInfoA(SPI_SETICONMETRICS, 0, &iconMetrics,
                          SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
    BroadcastMetricsChange(SPI_SETICONMETRICS);
  }

  ReadThemeValue(kMetricsSection, "NonclientMetrics", "", value, sizeof value);
  ThemeNonclientMetrics nonclientMetrics;
  if (ParseNonclientMetrics(&nonclientMetrics, value)) {
    SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, 0, &nonclientMetrics,
                          SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
    BroadcastMetricsChange(SPI_SETNONCLIENTMETRICS);
  }
  return 1;
}
