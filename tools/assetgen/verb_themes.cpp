// The five colour theme files: Windows 95 desktop-theme initialisation files
// with CRLF line ends, naming the art-made wallpaper's settings, the window
// colours and metrics, and the icons, pointers and sounds in "Tavol\".
#include <cstdio>
#include <cstring>
#include <string>

#include "pictures.h"
#include "sounds.h"
#include "theme/bytetokens.h"
#include "theme/themefile.h"
#include "theme_designs.h"
#include "iconfile.h"
#include "verbs.h"

namespace {

ThemeLogFont MakeFont(const FontDesign& design) {
  ThemeLogFont font;
  std::memset(&font, 0, sizeof(font));
  font.lfHeight = -design.height;
  font.lfWeight = design.weight;
  font.lfCharSet = 0;            // ANSI
  font.lfPitchAndFamily = 0x22;  // variable pitch, Swiss
  std::strncpy(font.lfFaceName, design.face, sizeof(font.lfFaceName) - 1);
  return font;
}

std::string Rgb3(uint32_t rgb) {
  char text[16];
  std::snprintf(text, sizeof(text), "%u %u %u", (rgb >> 16) & 255, (rgb >> 8) & 255, rgb & 255);
  return text;
}

// Which sound each of the 21 events plays, by index into kSounds.
const int kEventSound[kSoundEventCount] = {
    0,   // .Default: Ding
    18,  // AppGPFault: Error
    14,  // MenuCommand
    13,  // MenuPopup
    9,   // Minimize
    10,  // Maximize
    7,   // Open
    8,   // Close
    12,  // RestoreDown
    11,  // RestoreUp
    16,  // RingIn
    17,  // RingOut
    2,   // SystemAsterisk: Chimes
    0,   // SystemDefault: Ding
    1,   // SystemExclamation: Chord
    6,   // SystemExit: Exit
    3,   // SystemHand: Critical Stop
    4,   // SystemQuestion
    5,   // SystemStart: Start
    15,  // MailBeep: Mail
    19,  // EmptyRecycleBin: Recycle
};

struct ThemeText {
  std::string text;
  void Section(const std::string& name) {
    if (!text.empty()) text += "\r\n";
    text += "[" + name + "]\r\n";
  }
  void Key(const std::string& key, const std::string& value) { text += key + "=" + value + "\r\n"; }
};

std::string ThemeFileText(Colour colour) {
  const ThemeDesign& d = DesignOf(colour);
  const std::string title = ColourTitle(colour);
  const std::string dir = "%ThemeDir%Tavol\\" + title + " ";
  ThemeText t;
  t.text = "; Desktop Lumivex: the " + title + " theme of Tavol: The Corvane\r\n";
  t.Section("Control Panel\\Desktop");
  t.Key("Wallpaper", "%WinDir%Tavol The Corvane.BMP");
  t.Key("TileWallpaper", "0");
  t.Key("WallpaperStyle", "2");
  t.Key("Pattern", "(None)");
  t.Key("ScreenSaveActive", "1");

  t.Section(kColorsSection);
  for (int i = 0; i < kColourCount; ++i) t.Key(kThemeColours[i].name, Rgb3(d.colours[i]));

  ThemeIconMetrics icon;
  std::memset(&icon, 0, sizeof(icon));
  icon.cbSize = kIconMetricsBytes;
  icon.iHorzSpacing = d.sizes.iconSpacing;
  icon.iVertSpacing = d.sizes.iconSpacing;
  icon.iTitleWrap = 1;
  icon.lfFont = MakeFont(d.fonts.icon);
  ThemeNonclientMetrics nc;
  std::memset(&nc, 0, sizeof(nc));
  nc.cbSize = kNonclientMetricsBytes;
  nc.iBorderWidth = d.sizes.borderWidth;
  nc.iScrollWidth = d.sizes.scrollWidth;
  nc.iScrollHeight = d.sizes.scrollWidth;
  nc.iCaptionWidth = d.sizes.captionWidth;
  nc.iCaptionHeight = d.sizes.captionHeight;
  nc.lfCaptionFont = MakeFont(d.fonts.caption);
  nc.iSmCaptionWidth = d.sizes.smallCaptionWidth;
  nc.iSmCaptionHeight = d.sizes.smallCaptionHeight;
  nc.lfSmCaptionFont = MakeFont(d.fonts.smallCaption);
  nc.iMenuWidth = d.sizes.menuWidth;
  nc.iMenuHeight = d.sizes.menuHeight;
  nc.lfMenuFont = MakeFont(d.fonts.menu);
  nc.lfStatusFont = MakeFont(d.fonts.status);
  nc.lfMessageFont = MakeFont(d.fonts.message);
  std::string iconValue, ncValue;
  FormatIconMetrics(&iconValue, icon);
  FormatNonclientMetrics(&ncValue, nc);
  t.Section(kMetricsSection);
  t.Key("IconMetrics", iconValue);
  t.Key("NonclientMetrics", ncValue);

  t.Section(kMyComputerIconKey);
  t.Key(kDefaultValueKey, dir + "Computer.ico,0");
  t.Section(kNetworkIconKey);
  t.Key(kDefaultValueKey, dir + "Network.ico,0");
  t.Section(kRecycleBinIconKey);
  t.Key("full", dir + "Recycle Full.ico,0");
  t.Key("empty", dir + "Recycle Empty.ico,0");
  t.Key(kDefaultValueKey, dir + "Recycle Empty.ico,0");

  t.Section(kMasterThemeSection);
  t.Key("ThemeColorBPP", "16");

  t.Section(kCursorsSection);
  for (int i = 0; i < kPointerCount; ++i) {
    t.Key(kPointers[i].themeKey, dir + kPointers[i].fileName + ".cur");
  }
  t.Key(kDefaultValueKey, "Tavol " + title);

  for (int i = 0; i < kSoundEventCount; ++i) {
    t.Section(kSoundEventKeys[i]);
    t.Key(kDefaultValueKey, dir + kSounds[kEventSound[i]].fileName + ".wav");
  }

  t.Section(kBootSection);
  t.Key("SCRNSAVE.EXE", "%WinDir%Tavol The Corvane.scr");
  return t.text;
}

int ColourIndex(const char* key) {
  for (int i = 0; i < kColourCount; ++i) {
    if (std::strcmp(kThemeColours[i].name, key) == 0) return i;
  }
  return -1;
}

}  // namespace

int RunThemes(const std::string& outDir, const Options& options) {
  if (!MakeDirectories(outDir + "/themes")) return Fail("cannot make " + outDir);
  std::vector<std::string> made;
  for (Colour c : kColours) {
    const ThemeDesign& d = DesignOf(c);
    for (const ContrastPair& pair : kContrastPairs) {
      const double ratio =
          ContrastRatio(d.colours[ColourIndex(pair.text)], d.colours[ColourIndex(pair.background)]);
      if (ratio < 4.5) {
        char message[160];
        std::snprintf(message, sizeof(message), "%s theme: %s on %s has contrast %.2f, below 4.5",
                      ColourTitle(c), pair.text, pair.background, ratio);
        return Fail(message);
      }
    }
    const std::string name = std::string("themes/Tavol The Corvane ") + ColourWord(c) + ".theme";
    const std::string text = ThemeFileText(c);
    std::string error;
    if (!WriteFileBytes(outDir + "/" + name, std::vector<uint8_t>(text.begin(), text.end()),
                        &error)) {
      return Fail(error);
    }
    made.push_back(name);
  }
  return WriteList(outDir, options, "themes.list", made) ? 0 : Fail("cannot write themes.list");
}
