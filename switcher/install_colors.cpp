// The colours and fonts steps: the 25 window colours, and the icon and
// non-client metrics carried as byte-token lists.
#include <windows.h>

#include <algorithm>
#include <cstddef>

#include "bounded_call.h"
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

// Each top-level window gets a short while to answer; one that has stopped
// pumping messages is passed over, so it cannot freeze the switcher.
constexpr UINT kBroadcastTimeoutMs = 500;
// How long a system call that broadcasts its change may hold up the
// installation before it is left to finish on its own.
constexpr DWORD kSystemCallTimeoutMs = 2000;

// The structures are copied: a call that outlives the wait still reads them.
template <typename Metrics>
void SetMetricsBounded(UINT action, Metrics metrics) {
  RunBoundedCall(
      [action, metrics]() mutable {
        SystemParametersInfoA(action, 0, &metrics, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
      },
      kSystemCallTimeoutMs);
}

void BroadcastMetricsChange(UINT action) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, action,
                      reinterpret_cast<LPARAM>(kWindowMetrics), SMTO_ABORTIFHUNG,
                      kBroadcastTimeoutMs, &result);
}

}  // namespace

int InstallColors(const InstallerState& state) {
  int elements[kColourCount];
  COLORREF colours[kColourCount];
  int count = 0;
  {
    RegKey key;
    key.OpenIfPresent(HKEY_CURRENT_USER, "Control Panel\\Colors", KEY_SET_VALUE);
    for (const ThemeColour& colour : kThemeColours) {
      char value[kColourValueSize];
      ReadThemeValue(state.theme, kColorsSection, colour.name, "", value, sizeof value);
      uint32_t colorref = 0;
      // A value that is not three numbers keeps the system's current colour.
      if (!ParseColourValue(value, &colorref)) continue;
      key.SetString(colour.name, value);
      elements[count] = colour.element;
      colours[count] = colorref;
      ++count;
    }
  }
  if (count > 0) {
    struct Change {
      int count;
      int elements[kColourCount];
      COLORREF colours[kColourCount];
    } change{count, {}, {}};
    std::copy(elements, elements + count, change.elements);
    std::copy(colours, colours + count, change.colours);
    RunBoundedCall([change] { SetSysColors(change.count, change.elements, change.colours); },
                   kSystemCallTimeoutMs);
  }

  RegKey appearance;
  if (appearance.Open(HKEY_CURRENT_USER, "Control Panel\\Appearance", KEY_SET_VALUE)) {
    appearance.SetString("Current", "");
  }
  return 1;
}

int InstallFonts(const InstallerState& state) {
  // The values are large; keep them off the stack of the UI thread.
  static char value[kMetricsValueSize];

  ReadThemeValue(state.theme, kMetricsSection, "IconMetrics", "", value, sizeof value);
  ThemeIconMetrics iconMetrics;
  if (ParseIconMetrics(&iconMetrics, value)) {
    SetMetricsBounded(SPI_SETICONMETRICS, iconMetrics);
    BroadcastMetricsChange(SPI_SETICONMETRICS);
  }

  ReadThemeValue(state.theme, kMetricsSection, "NonclientMetrics", "", value, sizeof value);
  ThemeNonclientMetrics nonclientMetrics;
  if (ParseNonclientMetrics(&nonclientMetrics, value)) {
    SetMetricsBounded(SPI_SETNONCLIENTMETRICS, nonclientMetrics);
    BroadcastMetricsChange(SPI_SETNONCLIENTMETRICS);
  }
  return 1;
}
