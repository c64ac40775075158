#include "system_state.h"

#include <cstdio>
#include <cstring>

#include "theme/bytetokens.h"
#include "winsupport.h"

ColourSnapshot TakeColourSnapshot() {
  ColourSnapshot snapshot;
  for (int i = 0; i < kColourCount; ++i) {
    snapshot.text[i] =
        RegGetString(HKEY_CURRENT_USER, "Control Panel\\Colors", kThemeColours[i].name);
    snapshot.sys[i] = GetSysColor(kThemeColours[i].element);
  }
  return snapshot;
}

void SetBaselineColours(int base) {
  int elements[kColourCount];
  COLORREF colours[kColourCount];
  for (int i = 0; i < kColourCount; ++i) {
    int v = base + i;
    char text[32];
    std::snprintf(text, sizeof text, "%d %d %d", v, v, v);
    RegSetString(HKEY_CURRENT_USER, "Control Panel\\Colors", kThemeColours[i].name, text);
    elements[i] = kThemeColours[i].element;
    colours[i] = RGB(v, v, v);
  }
  SetSysColors(kColourCount, elements, colours);
}

ThemeIconMetrics GetIconMetrics() {
  ThemeIconMetrics m;
  std::memset(&m, 0, sizeof m);
  m.cbSize = sizeof m;
  SystemParametersInfoA(SPI_GETICONMETRICS, sizeof m, &m, 0);
  return m;
}

ThemeNonclientMetrics GetNonclientMetrics() {
  ThemeNonclientMetrics m;
  std::memset(&m, 0, sizeof m);
  m.cbSize = sizeof m;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0);
  return m;
}

void SetMetrics(const ThemeIconMetrics& icon, const ThemeNonclientMetrics& nonclient) {
  ThemeIconMetrics i = icon;
  ThemeNonclientMetrics n = nonclient;
  SystemParametersInfoA(SPI_SETICONMETRICS, sizeof i, &i, SPIF_UPDATEINIFILE);
  SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, sizeof n, &n, SPIF_UPDATEINIFILE);
}

std::string ColourSectionText(int seed) {
  std::string text = "[Control Panel\\Colors]\r\n";
  for (int i = 0; i < kColourCount; ++i) {
    char value[32];
    std::snprintf(value, sizeof value, "%d %d %d", (seed * 7 + i * 3) % 256,
                  (seed * 13 + i * 5) % 256, (seed * 29 + i * 11) % 256);
    text += std::string(kThemeColours[i].name) + "=" + value + "\r\n";
  }
  return text;
}

std::string MetricsSectionText(const ThemeIconMetrics& icon,
                               const ThemeNonclientMetrics& nonclient) {
  std::string iconText, nonclientText;
  FormatIconMetrics(&iconText, icon);
  FormatNonclientMetrics(&nonclientText, nonclient);
  return "[Metrics]\r\nIconMetrics=" + iconText + "\r\nNonclientMetrics=" + nonclientText + "\r\n";
}

void VaryMetrics(ThemeIconMetrics* icon, ThemeNonclientMetrics* nonclient) {
  icon->iHorzSpacing += 7;
  nonclient->iScrollWidth += 4;
  nonclient->iScrollHeight += 4;
  nonclient->iCaptionHeight = 28;  // room for the caption font below
  nonclient->lfCaptionFont.lfHeight = -15;
  nonclient->lfCaptionFont.lfWeight = 700;
  std::memset(nonclient->lfCaptionFont.lfFaceName, 0, 32);
  std::strcpy(nonclient->lfCaptionFont.lfFaceName, "Tahoma");
}

::testing::AssertionResult SameMetricsBytes(const void* a, const void* b, size_t size) {
  const auto* pa = static_cast<const unsigned char*>(a);
  const auto* pb = static_cast<const unsigned char*>(b);
  for (size_t i = 0; i < size; ++i) {
    if (pa[i] != pb[i]) {
      return ::testing::AssertionFailure()
             << "first difference at byte " << i << ": " << int(pa[i]) << " vs " << int(pb[i]);
    }
  }
  return ::testing::AssertionSuccess();
}

SystemView ReadSystemView() {
  SystemView view;
  std::string outPath = MakeTempDir("sysstate") + "\\state.txt";
  if (RunProgram("\"" + BinDir() + "\\sysstate_probe.exe\" \"" + outPath + "\"") != 0) return view;
  std::string text = ReadFileBytes(outPath);
  size_t pos = 0;
  int colours = 0;
  bool icon = false, nonclient = false;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (line.compare(0, 7, "colour ") == 0) {
      size_t space = line.rfind(' ');
      for (int i = 0; i < kColourCount; ++i) {
        if (line.compare(7, space - 7, kThemeColours[i].name) == 0) {
          view.sys[i] = static_cast<COLORREF>(std::stoul(line.substr(space + 1)));
          ++colours;
        }
      }
    } else if (line.compare(0, 5, "icon ") == 0) {
      icon = ParseIconMetrics(&view.icon, line.c_str() + 5);
    } else if (line.compare(0, 10, "nonclient ") == 0) {
      nonclient = ParseNonclientMetrics(&view.nonclient, line.c_str() + 10);
    }
  }
  view.ok = colours == kColourCount && icon && nonclient;
  return view;
}

COLORREF SysColourIn(const SystemView& view, int element) {
  for (int i = 0; i < kColourCount; ++i) {
    if (kThemeColours[i].element == element) return view.sys[i];
  }
  return CLR_INVALID;
}
