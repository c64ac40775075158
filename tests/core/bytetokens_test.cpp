#include "theme/bytetokens.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <vector>

namespace {

std::vector<unsigned> Tokens(const std::string& text) {
  std::istringstream in(text);
  std::vector<unsigned> tokens;
  unsigned token;
  while (in >> token) tokens.push_back(token);
  return tokens;
}

ThemeLogFont SampleFont() {
  ThemeLogFont font;
  std::memset(&font, 0xA5, sizeof font);
  font.lfHeight = -11;
  font.lfWidth = 0;
  font.lfEscapement = 900;
  font.lfOrientation = -900;
  font.lfWeight = 700;
  font.lfItalic = 1;
  font.lfUnderline = 0;
  font.lfStrikeOut = 0;
  font.lfCharSet = 204;
  font.lfOutPrecision = 3;
  font.lfClipPrecision = 2;
  font.lfQuality = 1;
  font.lfPitchAndFamily = 0x22;
  // Bytes behind the terminator are part of the value and must survive.
  std::memcpy(font.lfFaceName, "Tahoma\0XYZ", 10);
  font.lfFaceName[31] = static_cast<char>(0xFF);
  return font;
}

ThemeNonclientMetrics SampleNonclient() {
  ThemeNonclientMetrics m;
  std::memset(&m, 0, sizeof m);
  m.cbSize = 340;
  m.iBorderWidth = 1;
  m.iScrollWidth = 16;
  m.iScrollHeight = 16;
  m.iCaptionWidth = 18;
  m.iCaptionHeight = 18;
  m.lfCaptionFont = SampleFont();
  m.iSmCaptionWidth = 12;
  m.iSmCaptionHeight = 15;
  m.lfSmCaptionFont = SampleFont();
  m.lfSmCaptionFont.lfHeight = -2147483647 - 1;
  m.iMenuWidth = 18;
  m.iMenuHeight = 2147483647;
  m.lfMenuFont = SampleFont();
  m.lfStatusFont = SampleFont();
  m.lfMessageFont = SampleFont();
  return m;
}

TEST(ByteTokens, NegativeFieldIsTwosComplementLowByteFirst) {
  std::string text;
  FormatMetricInt(&text, static_cast<uint32_t>(-11));
  EXPECT_EQ(text, "245 255 255 255 ");
  int32_t field = 12345;
  const char* end = ParseMetricInt(text.c_str(), &field);
  ASSERT_NE(end, nullptr);
  EXPECT_EQ(field, -11);
  EXPECT_EQ(*end, '\0');
}

TEST(ByteTokens, MetricIntGoldenValues) {
  struct Case {
    const char* text;
    int32_t expected;
    const char* rest;  // what the position stands on afterwards
  } cases[] = {
      {"76 0 0 0 ", 76, ""},
      {"84 1 0 0 9", 340, "9"},
      {"0 0 0 128", static_cast<int32_t>(0x80000000u), ""},
      {"255 255 255 127 ", 2147483647, ""},
      {"  1   2  3 4   5", 0x04030201, "5"},  // runs of blanks separate too
      {"256 0 0 0 ", 256, ""},                // a token above 255 carries
      {"0 0 0 256 ", 0, ""},                  // and wraps in 32 bits
      {"1\t2\t3\t4", 0x04030201, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    int32_t field = 0x5A5A5A5A;
    const char* end = ParseMetricInt(c.text, &field);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(field, c.expected);
    while (*end == ' ') ++end;
    EXPECT_STREQ(end, c.rest);
  }
}

TEST(ByteTokens, MetricIntStopsAtEndOfValue) {
  const char* cases[] = {"", "1", "1 2 3", "1 2 3 ", "1 2 x 4", "1 2 3 4x", "- 1 2 3"};
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    int32_t field = 0x5A5A5A5A;
    EXPECT_EQ(ParseMetricInt(text, &field), nullptr);
    EXPECT_EQ(field, 0x5A5A5A5A);
  }
}

TEST(ByteTokens, LogFontIsSixtyTokensAndRoundTripsAllFaceBytes) {
  ThemeLogFont font = SampleFont();
  std::string text;
  FormatLogFont(&text, font);
  std::vector<unsigned> tokens = Tokens(text);
  ASSERT_EQ(tokens.size(), 60u);
  EXPECT_EQ(tokens[0], 245u);  // lfHeight -11
  EXPECT_EQ(tokens[20], 1u);   // lfItalic
  EXPECT_EQ(tokens[27], 0x22u);
  EXPECT_EQ(tokens[28], static_cast<unsigned>('T'));
  EXPECT_EQ(tokens[35], static_cast<unsigned>('X'));  // behind the terminator
  EXPECT_EQ(tokens[59], 255u);
  EXPECT_EQ(text.back(), ' ');

  ThemeLogFont back;
  std::memset(&back, 0x5A, sizeof back);
  const char* end = ParseLogFont(&back, text.c_str());
  ASSERT_NE(end, nullptr);
  EXPECT_EQ(*end, '\0');
  EXPECT_EQ(std::memcmp(&back, &font, sizeof font), 0);
}

TEST(ByteTokens, IconMetricsSeventySixTokensRoundTrip) {
  ThemeIconMetrics metrics;
  std::memset(&metrics, 0, sizeof metrics);
  metrics.cbSize = 76;
  metrics.iHorzSpacing = 75;
  metrics.iVertSpacing = 75;
  metrics.iTitleWrap = 1;
  metrics.lfFont = SampleFont();
  std::string text;
  FormatIconMetrics(&text, metrics);
  std::vector<unsigned> tokens = Tokens(text);
  ASSERT_EQ(tokens.size(), 76u);
  EXPECT_EQ(text.compare(0, 9, "76 0 0 0 "), 0);
  for (unsigned t : tokens) EXPECT_LE(t, 255u);

  ThemeIconMetrics back;
  std::memset(&back, 0x5A, sizeof back);
  ASSERT_TRUE(ParseIconMetrics(&back, text.c_str()));
  EXPECT_EQ(std::memcmp(&back, &metrics, sizeof metrics), 0);
}

TEST(ByteTokens, NonclientMetricsThreeHundredFortyTokensRoundTrip) {
  ThemeNonclientMetrics metrics = SampleNonclient();
  std::string text;
  FormatNonclientMetrics(&text, metrics);
  std::vector<unsigned> tokens = Tokens(text);
  ASSERT_EQ(tokens.size(), 340u);
  EXPECT_EQ(text.compare(0, 9, "84 1 0 0 "), 0);
  EXPECT_EQ(text.back(), ' ');
  EXPECT_LE(text.size(), kLongestMetricsText);
  for (unsigned t : tokens) EXPECT_LE(t, 255u);

  ThemeNonclientMetrics back;
  std::memset(&back, 0x5A, sizeof back);
  ASSERT_TRUE(ParseNonclientMetrics(&back, text.c_str()));
  EXPECT_EQ(std::memcmp(&back, &metrics, sizeof metrics), 0);
}

TEST(ByteTokens, IncompleteOrMismatchedMetricsAreRefused) {
  ThemeNonclientMetrics metrics = SampleNonclient();
  std::string full;
  FormatNonclientMetrics(&full, metrics);

  std::string shortened = full.substr(0, full.size() - 4);  // 339 tokens
  std::string wrongSize = "88 1 0 0 " + full.substr(9);     // cbSize 344
  std::string garbage = full;
  garbage[100] = 'q';
  std::string extra = full + "7 7 7 7 ";  // more than needed: the rest is ignored

  struct Case {
    const char* name;
    std::string text;
    bool accepted;
  } cases[] = {
      {"empty", "", false},
      {"339 tokens", shortened, false},
      {"cbSize 344", wrongSize, false},
      {"not a number", garbage, false},
      {"trailing tokens", extra, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ThemeNonclientMetrics back;
    std::memset(&back, 0x5A, sizeof back);
    EXPECT_EQ(ParseNonclientMetrics(&back, c.text.c_str()), c.accepted);
  }

  ThemeIconMetrics icon;
  EXPECT_FALSE(ParseIconMetrics(&icon, "76 0 0 0 75 0 0 0"));
  std::string iconText;
  ThemeIconMetrics sample{};
  sample.cbSize = 60;  // a LOGFONT's size is not an ICONMETRICS
  FormatIconMetrics(&iconText, sample);
  EXPECT_FALSE(ParseIconMetrics(&icon, iconText.c_str()));
}

}  // namespace
