// Installing a theme's icon and non-client metrics from their byte-token
// values, read back through SystemParametersInfoA.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "install_host.h"
#include "system_state.h"
#include "theme/bytetokens.h"
#include "winsupport.h"

namespace {

std::string MetricsTheme(const std::string& icon, const std::string& nonclient) {
  return "[Metrics]\r\nIconMetrics=" + icon + "\r\nNonclientMetrics=" + nonclient + "\r\n";
}

void SetFace(ThemeLogFont* font, const char* face) {
  std::memset(font->lfFaceName, 0, sizeof font->lfFaceName);
  std::strcpy(font->lfFaceName, face);
}

template <typename T>
::testing::AssertionResult SameBytes(const T& a, const T& b) {
  return SameMetricsBytes(&a, &b, sizeof(T));
}

class InstallFontsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    originalIcon_ = GetIconMetrics();
    originalNonclient_ = GetNonclientMetrics();
    themeDir_ = MakeTempDir("fonts");
    savedControl_ = ProfileGet("control.ini", "Tavol", "switcher");
    ProfileSet("control.ini", "Tavol", "switcher", themeDir_.c_str());
    themePath_ = themeDir_ + "\\Tavol The Corvane BLUE.theme";
  }
  void TearDown() override {
    SetMetrics(originalIcon_, originalNonclient_);
    ProfileSet("control.ini", "Tavol", "switcher",
               savedControl_.empty() ? nullptr : savedControl_.c_str());
    RemoveTree(themeDir_);
  }
  void InstallFontsFrom(const std::string& icon, const std::string& nonclient) {
    ASSERT_TRUE(WriteFileBytes(themePath_, MetricsTheme(icon, nonclient)));
    InstallHost host;
    EXPECT_EQ(host.Install(THEME_BLUE, OnlyParts(false, true)), 1);
    EXPECT_TRUE(host.finished());
  }

  ThemeIconMetrics originalIcon_;
  ThemeNonclientMetrics originalNonclient_;
  std::string themeDir_, savedControl_, themePath_;
};

TEST_F(InstallFontsTest, SystemMetricsWrittenAndInstalledComeBackIdentical) {
  std::string icon, nonclient;
  FormatIconMetrics(&icon, originalIcon_);
  FormatNonclientMetrics(&nonclient, originalNonclient_);
  ASSERT_EQ(icon.compare(0, 9, "76 0 0 0 "), 0);
  ASSERT_EQ(nonclient.compare(0, 9, "84 1 0 0 "), 0);

  InstallFontsFrom(icon, nonclient);
  EXPECT_TRUE(SameBytes(GetIconMetrics(), originalIcon_));
  EXPECT_TRUE(SameBytes(GetNonclientMetrics(), originalNonclient_));
}

TEST_F(InstallFontsTest, ChangedMetricsAreApplied) {
  ThemeIconMetrics icon = originalIcon_;
  icon.iHorzSpacing = originalIcon_.iHorzSpacing + 11;
  icon.lfFont.lfHeight = -15;
  SetFace(&icon.lfFont, "Tahoma");
  ThemeNonclientMetrics nonclient = originalNonclient_;
  nonclient.iScrollWidth = originalNonclient_.iScrollWidth + 3;
  nonclient.iMenuHeight = originalNonclient_.iMenuHeight + 2;
  nonclient.lfCaptionFont.lfHeight = -17;
  nonclient.iCaptionHeight = 30;  // room for the font: the system raises a caption too low for it
  nonclient.lfCaptionFont.lfWeight = 700;
  SetFace(&nonclient.lfCaptionFont, "Courier New");
  nonclient.lfStatusFont.lfItalic = 1;

  std::string iconText, nonclientText;
  FormatIconMetrics(&iconText, icon);
  FormatNonclientMetrics(&nonclientText, nonclient);
  InstallFontsFrom(iconText, nonclientText);

  ThemeIconMetrics iconAfter = GetIconMetrics();
  ThemeNonclientMetrics nonclientAfter = GetNonclientMetrics();
  EXPECT_EQ(iconAfter.iHorzSpacing, icon.iHorzSpacing);
  EXPECT_EQ(iconAfter.lfFont.lfHeight, -15);
  EXPECT_STREQ(iconAfter.lfFont.lfFaceName, "Tahoma");
  EXPECT_EQ(nonclientAfter.iScrollWidth, nonclient.iScrollWidth);
  EXPECT_EQ(nonclientAfter.iMenuHeight, nonclient.iMenuHeight);
  EXPECT_EQ(nonclientAfter.lfCaptionFont.lfHeight, -17);
  EXPECT_EQ(nonclientAfter.lfCaptionFont.lfWeight, 700);
  EXPECT_STREQ(nonclientAfter.lfCaptionFont.lfFaceName, "Courier New");
  EXPECT_EQ(nonclientAfter.lfStatusFont.lfItalic, 1);
  // Whole structures: the face names compared as strings, since the system
  // keeps a face name only up to its terminator.
  EXPECT_TRUE(SameBytes(iconAfter, icon));
  EXPECT_TRUE(SameBytes(nonclientAfter, nonclient));
}

TEST_F(InstallFontsTest, IncompleteOrMismatchedValuesAreNotApplied) {
  ThemeNonclientMetrics changed = originalNonclient_;
  changed.iScrollWidth += 5;
  ThemeIconMetrics changedIcon = originalIcon_;
  changedIcon.iVertSpacing += 9;
  std::string nonclient, icon;
  FormatNonclientMetrics(&nonclient, changed);
  FormatIconMetrics(&icon, changedIcon);

  struct Case {
    const char* name;
    std::string icon;
    std::string nonclient;
  } cases[] = {
      {"empty values", "", ""},
      {"one token short", icon.substr(0, icon.size() - 2),
       nonclient.substr(0, nonclient.size() - 4)},
      {"wrong cbSize", "72 0 0 0 " + icon.substr(9), "88 1 0 0 " + nonclient.substr(9)},
      {"not numbers", "76 0 0 0 x", "84 1 0 0 1 0 0 0 junk"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InstallFontsFrom(c.icon, c.nonclient);
    EXPECT_TRUE(SameBytes(GetIconMetrics(), originalIcon_));
    EXPECT_TRUE(SameBytes(GetNonclientMetrics(), originalNonclient_));
  }
}

}  // namespace
