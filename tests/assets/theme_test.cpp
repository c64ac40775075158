// The five colour theme files, read the way the switcher reads them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <sstream>
#include <string>

#include "asset_files.h"
#include "theme/bytetokens.h"
#include "theme/themefile.h"

namespace {

using Section = std::map<std::string, std::string>;

struct ThemeFile {
  std::string text;
  std::map<std::string, Section> sections;

  const Section& Get(const std::string& name) const {
    static const Section kEmpty;
    auto it = sections.find(name);
    return it == sections.end() ? kEmpty : it->second;
  }
  std::string Value(const std::string& section, const std::string& key) const {
    const Section& s = Get(section);
    auto it = s.find(key);
    return it == s.end() ? std::string() : it->second;
  }
};

ThemeFile Load(const char* word) {
  ThemeFile f;
  const std::vector<uint8_t> bytes =
      ReadBytes(AssetsOut() + "/themes/Tavol The Corvane " + word + ".theme");
  f.text.assign(bytes.begin(), bytes.end());
  std::string current;
  size_t at = 0;
  while (at < f.text.size()) {
    size_t end = f.text.find("\r\n", at);
    if (end == std::string::npos) end = f.text.size();
    const std::string line = f.text.substr(at, end - at);
    at = end + 2;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[' && line.back() == ']') {
      current = line.substr(1, line.size() - 2);
      f.sections[current];
      continue;
    }
    const size_t equals = line.find('=');
    if (equals != std::string::npos)
      f.sections[current][line.substr(0, equals)] = line.substr(equals + 1);
  }
  return f;
}

double Channel(uint32_t c) {
  const double v = c / 255.0;
  return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double Luminance(uint32_t colorref) {
  return 0.2126 * Channel(colorref & 255) + 0.7152 * Channel((colorref >> 8) & 255) +
         0.0722 * Channel((colorref >> 16) & 255);
}

double Contrast(uint32_t a, uint32_t b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

int CountTokens(const std::string& value) {
  std::istringstream in(value);
  std::string token;
  int n = 0;
  while (in >> token) ++n;
  return n;
}

class ThemeFiles : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    word_ = kColourWords[GetParam()];
    title_ = kColourTitles[GetParam()];
    theme_ = Load(word_);
    ASSERT_FALSE(theme_.text.empty());
  }
  const char* word_ = "";
  const char* title_ = "";
  ThemeFile theme_;
};

TEST_P(ThemeFiles, LinesEndInCrLf) {
  for (size_t i = 0; i < theme_.text.size(); ++i) {
    if (theme_.text[i] != '\n') continue;
    ASSERT_TRUE(i > 0 && theme_.text[i - 1] == '\r') << "at " << i;
  }
  EXPECT_EQ(theme_.text.substr(theme_.text.size() - 2), "\r\n");
}

TEST_P(ThemeFiles, HasTheTwentyFiveColours) {
  const Section& colours = theme_.Get(kColorsSection);
  EXPECT_EQ(colours.size(), 25u);
  for (const ThemeColour& c : kThemeColours) {
    SCOPED_TRACE(c.name);
    const std::string value = theme_.Value(kColorsSection, c.name);
    uint32_t colorref = 0;
    EXPECT_TRUE(ParseColourValue(value.c_str(), &colorref));
    EXPECT_EQ(CountTokens(value), 3);
    EXPECT_LT(value.size(), kColourValueSize);
  }
}

TEST_P(ThemeFiles, TextIsReadableOnItsBackground) {
  const struct {
    const char* text;
    const char* background;
  } pairs[] = {
      {"WindowText", "Window"},
      {"TitleText", "ActiveTitle"},
      {"InactiveTitleText", "InactiveTitle"},
      {"MenuText", "Menu"},
      {"HilightText", "Hilight"},
      {"ButtonText", "ButtonFace"},
      {"InfoText", "InfoWindow"},
  };
  for (const auto& pair : pairs) {
    SCOPED_TRACE(std::string(pair.text) + " on " + pair.background);
    uint32_t text = 0, background = 0;
    ASSERT_TRUE(ParseColourValue(theme_.Value(kColorsSection, pair.text).c_str(), &text));
    ASSERT_TRUE(
        ParseColourValue(theme_.Value(kColorsSection, pair.background).c_str(), &background));
    EXPECT_GE(Contrast(text, background), 4.5);
  }
  // Disabled text stays visible on buttons, if dimmer.
  uint32_t gray = 0, face = 0;
  ASSERT_TRUE(ParseColourValue(theme_.Value(kColorsSection, "GrayText").c_str(), &gray));
  ASSERT_TRUE(ParseColourValue(theme_.Value(kColorsSection, "ButtonFace").c_str(), &face));
  EXPECT_GE(Contrast(gray, face), 2.0);
}

TEST_P(ThemeFiles, MetricsRoundTripThroughTheByteTokenReaders) {
  const std::string icon = theme_.Value(kMetricsSection, "IconMetrics");
  const std::string nonclient = theme_.Value(kMetricsSection, "NonclientMetrics");
  EXPECT_EQ(CountTokens(icon), 76);
  EXPECT_EQ(CountTokens(nonclient), 340);
  ThemeIconMetrics im;
  ThemeNonclientMetrics nm;
  ASSERT_TRUE(ParseIconMetrics(&im, icon.c_str()));
  ASSERT_TRUE(ParseNonclientMetrics(&nm, nonclient.c_str()));
  std::string again;
  FormatIconMetrics(&again, im);
  EXPECT_EQ(again, icon);
  again.clear();
  FormatNonclientMetrics(&again, nm);
  EXPECT_EQ(again, nonclient);

  const ThemeLogFont* fonts[] = {&im.lfFont,     &nm.lfCaptionFont, &nm.lfSmCaptionFont,
                                 &nm.lfMenuFont, &nm.lfStatusFont,  &nm.lfMessageFont};
  for (const ThemeLogFont* f : fonts) {
    SCOPED_TRACE(f->lfFaceName);
    const std::string face(f->lfFaceName, strnlen(f->lfFaceName, sizeof(f->lfFaceName)));
    EXPECT_TRUE(face == "Tahoma" || face == "MS Sans Serif");  // both ship with Wine
    EXPECT_LT(f->lfHeight, 0);                                 // a character height
    EXPECT_GE(-f->lfHeight, 11);
    EXPECT_LE(-f->lfHeight, 14);
  }
  // Bars tall enough for their fonts (a face's cell is about 1.25 times its
  // character height), so the system need not grow them.
  auto cell = [](const ThemeLogFont& f) { return static_cast<int>(std::ceil(-f.lfHeight * 1.25)); };
  EXPECT_GE(nm.iCaptionHeight, cell(nm.lfCaptionFont) + 4);
  EXPECT_GE(nm.iSmCaptionHeight, cell(nm.lfSmCaptionFont) + 2);
  EXPECT_GE(nm.iMenuHeight, cell(nm.lfMenuFont) + 4);
  EXPECT_GE(nm.iBorderWidth, 1);
  EXPECT_GE(nm.iScrollWidth, 14);
}

TEST_P(ThemeFiles, DesktopAndScreenSaverValues) {
  EXPECT_EQ(theme_.Value(kDesktopSection, "ScreenSaveActive"), "1");
  EXPECT_EQ(theme_.Value(kDesktopSection, "TileWallpaper"), "0");
  EXPECT_EQ(theme_.Value(kDesktopSection, "WallpaperStyle"), "2");
  EXPECT_EQ(theme_.Value(kDesktopSection, "Pattern"), "(None)");
  EXPECT_FALSE(theme_.Value(kDesktopSection, "Wallpaper").empty());
  EXPECT_EQ(theme_.Value(kBootSection, "SCRNSAVE.EXE"), "%WinDir%Tavol The Corvane.scr");
  const std::string bpp = theme_.Value(kMasterThemeSection, "ThemeColorBPP");
  EXPECT_TRUE(bpp == "8" || bpp == "16");
}

TEST_P(ThemeFiles, NamesIconsPointersAndSounds) {
  EXPECT_TRUE(EndsWith(theme_.Value(kMyComputerIconKey, kDefaultValueKey), ".ico,0"));
  EXPECT_TRUE(EndsWith(theme_.Value(kNetworkIconKey, kDefaultValueKey), ".ico,0"));
  for (const char* key : {"full", "empty", kDefaultValueKey}) {
    SCOPED_TRACE(key);
    EXPECT_TRUE(EndsWith(theme_.Value(kRecycleBinIconKey, key), ".ico,0"));
  }
  EXPECT_NE(theme_.Value(kRecycleBinIconKey, "full"), theme_.Value(kRecycleBinIconKey, "empty"));
  for (const char* name : kCursorNames) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(EndsWith(theme_.Value(kCursorsSection, name), ".cur"));
  }
  EXPECT_EQ(theme_.Value(kCursorsSection, kDefaultValueKey), std::string("Tavol ") + title_);
  int sounds = 0;
  for (const char* key : kSoundEventKeys) {
    SCOPED_TRACE(key);
    const std::string value = theme_.Value(key, kDefaultValueKey);
    ASSERT_TRUE(theme_.sections.count(key));
    if (!value.empty()) {
      EXPECT_TRUE(EndsWith(value, ".wav"));
      ++sounds;
    }
  }
  EXPECT_GE(sounds, 8);
}

TEST_P(ThemeFiles, EveryThemeDirPathNamesAShippedFile) {
  int paths = 0;
  for (const auto& section : theme_.sections) {
    for (const auto& key : section.second) {
      const std::string& value = key.second;
      SCOPED_TRACE(section.first + " " + key.first + "=" + value);
      // Tokens only at the very start, spelt exactly.
      EXPECT_EQ(value.find("%ThemeDir%", 1), std::string::npos);
      EXPECT_EQ(value.find("%WinDir%", 1), std::string::npos);
      if (value.compare(0, 10, "%ThemeDir%") != 0) continue;
      // The expansion puts the backslash in; a second one is not wanted.
      EXPECT_NE(value[10], '\\');
      std::string path = value.substr(10);
      const size_t comma = path.rfind(',');
      if (comma != std::string::npos) path = path.substr(0, comma);
      for (char& c : path) {
        if (c == '\\') c = '/';
      }
      EXPECT_TRUE(FileExists(AssetsOut() + "/themes/" + path)) << path;
      char expanded[kPathSize];
      EXPECT_GT(ExpandThemeValue(expanded, sizeof(expanded), value.c_str(), "C:\\WINDOWS",
                                 "C:\\Program Files\\Plus!\\Themes"),
                0);
      ++paths;
    }
  }
  EXPECT_GE(paths, 5 + 14 + 8);
}

INSTANTIATE_TEST_SUITE_P(Colours, ThemeFiles, ::testing::Range(0, 5),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::string(kColourTitles[info.param]);
                         });

}  // namespace
