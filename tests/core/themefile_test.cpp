#include "theme/themefile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace {

TEST(ThemeColours, TableHoldsTheTwentyFiveElementsOnce) {
  std::set<int> elements;
  for (const ThemeColour& c : kThemeColours) elements.insert(c.element);
  EXPECT_EQ(elements.size(), 25u);
  EXPECT_EQ(*elements.begin(), 0);
  EXPECT_EQ(*elements.rbegin(), 24);
  EXPECT_STREQ(kThemeColours[0].name, "ActiveTitle");
  EXPECT_EQ(kThemeColours[1].element, 1);  // Background is COLOR_BACKGROUND
  EXPECT_STREQ(kThemeColours[24].name, "InfoWindow");
}

TEST(ThemeColours, ParseGoldenValues) {
  struct Case {
    const char* text;
    bool ok;
    uint32_t colorref;
  } cases[] = {
      {"0 0 128", true, 128u * 65536u},  // blue lands in bits 16..23
      {"255 255 255", true, 0xFFFFFFu},
      {"1 2 3", true, 0x030201u},
      {"  10   20\t30  ", true, 0x1E140Au},
      {"0 0 128 trailing", true, 128u * 65536u},
      {"", false, 0},
      {"12 34", false, 0},
      {"12 34 ", false, 0},
      {"red green blue", false, 0},
      {"256 0 0", false, 0},
      {"-1 0 0", false, 0},
      {"1,2,3", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    uint32_t colorref = 0xDEADBEEF;
    EXPECT_EQ(ParseColourValue(c.text, &colorref), c.ok);
    EXPECT_EQ(colorref, c.ok ? c.colorref : 0xDEADBEEFu);
  }
}

TEST(ThemeValueExpansion, Rules) {
  const char* win = "C:\\windows";
  const char* theme = "C:\\Program Files\\Plus!\\Themes";
  struct Case {
    const char* source;
    const char* expected;
  } cases[] = {
      {"%WinDir%Media\\ding.wav", "C:\\windows\\Media\\ding.wav"},
      {"%ThemeDir%Tavol\\arrow.cur", "C:\\Program Files\\Plus!\\Themes\\Tavol\\arrow.cur"},
      {"%WinDir%", "C:\\windows\\"},                           // the backslash is always added
      {"%WinDir%\\x.scr", "C:\\windows\\\\x.scr"},             // two in a row: accepted as is
      {"%windir%Media\\ding.wav", "%windir%Media\\ding.wav"},  // case matters
      {"C:\\x\\%WinDir%y", "C:\\x\\%WinDir%y"},                // only at the very start
      {"%THEMEDIR%a", "%THEMEDIR%a"},
      {"%WinDir", "%WinDir"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    char dest[kPathSize];
    std::memset(dest, '#', sizeof dest);
    int length = ExpandThemeValue(dest, sizeof dest, c.source, win, theme);
    EXPECT_STREQ(dest, c.expected);
    EXPECT_EQ(length, static_cast<int>(std::strlen(c.expected)));
  }
}

TEST(ThemeValueExpansion, UnknownDirectoryIsRefused) {
  char dest[kPathSize];
  std::memset(dest, '#', sizeof dest);
  EXPECT_EQ(ExpandThemeValue(dest, sizeof dest, "%WinDir%x.scr", nullptr, "C:\\t"), -1);
  EXPECT_STREQ(dest, "");
  EXPECT_EQ(ExpandThemeValue(dest, sizeof dest, "plain.scr", nullptr, nullptr), 9);
  EXPECT_STREQ(dest, "plain.scr");
}

TEST(ThemeValueExpansion, ResultLongerThan260IsRefused) {
  std::string longDir(250, 'd');
  char dest[kPathSize];
  // 250 + 1 + 9 = 260 characters: fits exactly.
  EXPECT_EQ(ExpandThemeValue(dest, sizeof dest, "%WinDir%123456789", longDir.c_str(), ""), 260);
  EXPECT_EQ(std::strlen(dest), 260u);
  // One more does not, and nothing cut short is handed back.
  std::memset(dest, '#', sizeof dest);
  EXPECT_EQ(ExpandThemeValue(dest, sizeof dest, "%WinDir%1234567890", longDir.c_str(), ""), -1);
  EXPECT_STREQ(dest, "");
  std::string longValue(261, 'v');
  EXPECT_EQ(ExpandThemeValue(dest, sizeof dest, longValue.c_str(), "", ""), -1);
}

}  // namespace
