#include "theme/themefile.h"

#include <cstring>

const ThemeColour kThemeColours[kColourCount] = {
    {"ActiveTitle", 2},    {"Background", 1},
    {"Hilight", 13},       {"HilightText", 14},
    {"TitleText", 9},      {"Window", 5},
    {"WindowText", 8},     {"Scrollbar", 0},
    {"InactiveTitle", 3},  {"Menu", 4},
    {"WindowFrame", 6},    {"MenuText", 7},
    {"ActiveBorder", 10},  {"InactiveBorder", 11},
    {"AppWorkspace", 12},  {"ButtonFace", 15},
    {"ButtonShadow", 16},  {"GrayText", 17},
    {"ButtonText", 18},    {"InactiveTitleText", 19},
    {"ButtonHilight", 20}, {"ButtonDkShadow", 21},
    {"ButtonLight", 22},   {"InfoText", 23},
    {"InfoWindow", 24},
};

const char* const kCursorNames[kCursorCount] = {
    "Arrow",   "Help",     "AppStarting", "Crosshair", "IBeam",    "No",      "NWPen",
    "SizeAll", "SizeNESW", "SizeNS",      "SizeWE",    "SizeNWSE", "UpArrow", "Wait",
};

#define LUMIVEX_SOUND(app, event) "AppEvents\\Schemes\\Apps\\" app "\\" event "\\.Current"
const char* const kSoundEventKeys[kSoundEventCount] = {
    LUMIVEX_SOUND(".Default", ".Default"),
    LUMIVEX_SOUND(".Default", "AppGPFault"),
    LUMIVEX_SOUND(".Default", "MenuCommand"),
    LUMIVEX_SOUND(".Default", "MenuPopup"),
    LUMIVEX_SOUND(".Default", "Minimize"),
    LUMIVEX_SOUND(".Default", "Maximize"),
    LUMIVEX_SOUND(".Default", "Open"),
    LUMIVEX_SOUND(".Default", "Close"),
    LUMIVEX_SOUND(".Default", "RestoreDown"),
    LUMIVEX_SOUND(".Default", "RestoreUp"),
    LUMIVEX_SOUND(".Default", "RingIn"),
    LUMIVEX_SOUND(".Default", "RingOut"),
    LUMIVEX_SOUND(".Default", "SystemAsterisk"),
    LUMIVEX_SOUND(".Default", "SystemDefault"),
    LUMIVEX_SOUND(".Default", "SystemExclamation"),
    LUMIVEX_SOUND(".Default", "SystemExit"),
    LUMIVEX_SOUND(".Default", "SystemHand"),
    LUMIVEX_SOUND(".Default", "SystemQuestion"),
    LUMIVEX_SOUND(".Default", "SystemStart"),
    LUMIVEX_SOUND(".Default", "MailBeep"),
    LUMIVEX_SOUND("Explorer", "EmptyRecycleBin"),
};
#undef LUMIVEX_SOUND

const char kMyComputerIconKey[] = "CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\DefaultIcon";
const char kNetworkIconKey[] = "CLSID\\{208D2C60-3AEA-1069-A2D7-08002B30309D}\\DefaultIcon";
const char kRecycleBinIconKey[] = "CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon";

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

const char* ReadColourNumber(const char* pos, uint32_t* number) {
  while (IsSpace(*pos)) ++pos;
  if (*pos == '+') ++pos;
  if (*pos < '0' || *pos > '9') return nullptr;
  uint32_t value = 0;
  while (*pos >= '0' && *pos <= '9') {
    value = value * 10 + static_cast<uint32_t>(*pos++ - '0');
    if (value > 255) return nullptr;
  }
  *number = value;
  return pos;
}

}  // namespace

bool ParseColourValue(const char* value, uint32_t* colorref) {
  uint32_t red = 0, green = 0, blue = 0;
  const char* pos = ReadColourNumber(value, &red);
  if (pos && (pos = ReadColourNumber(pos, &green)) && ReadColourNumber(pos, &blue)) {
    *colorref = red + 256 * green + 65536 * blue;
    return true;
  }
  return false;
}

int ExpandThemeValue(char* dest, size_t destSize, const char* source, const char* windowsDir,
                     const char* themeDir) {
  static const char kWinDir[] = "%WinDir%";
  static const char kThemeDir[] = "%ThemeDir%";
  const char* prefix = nullptr;
  const char* rest = source;
  if (std::strncmp(source, kWinDir, sizeof kWinDir - 1) == 0) {
    prefix = windowsDir;
    rest = source + sizeof kWinDir - 1;
  } else if (std::strncmp(source, kThemeDir, sizeof kThemeDir - 1) == 0) {
    prefix = themeDir;
    rest = source + sizeof kThemeDir - 1;
  }
  const bool unknownDir = rest != source && prefix == nullptr;
  size_t length = std::strlen(rest);
  if (prefix) length += std::strlen(prefix) + 1;
  if (destSize == 0 || length >= destSize || unknownDir) {
    if (destSize) dest[0] = '\0';
    return -1;
  }
  dest[0] = '\0';
  if (prefix) {
    std::strcpy(dest, prefix);
    std::strcat(dest, "\\");
  }
  std::strcat(dest, rest);
  return static_cast<int>(length);
}
