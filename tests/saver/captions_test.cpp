#include "saver/captions.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>
#include <string>

namespace {

TEST(ArtTable, RowsInOrder) {
  struct Row {
    const char* name;
    int spotCorner;
    int logoKind;
  } expected[kArtCount] = {
      {"w-logo", -1, -1}, {"0340", 3, 1}, {"0893", 3, 1},
      {"0930", 3, 1},     {"0793", 3, 0}, {"0731", 3, 0},
  };
  for (int i = 0; i < kArtCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_STREQ(artTable[i].name, expected[i].name);
    EXPECT_EQ(artTable[i].spotCorner, expected[i].spotCorner);
    EXPECT_EQ(artTable[i].logoKind, expected[i].logoKind);
  }
  EXPECT_STREQ(artTable[0].caption, "");
}

TEST(ArtTable, CaptionsAreAQuotedTitleALineFeedAndAnArtist) {
  std::set<std::string> titles, artists;
  for (int i = 1; i < kArtCount; ++i) {
    SCOPED_TRACE(i);
    const std::string caption = artTable[i].caption;
    EXPECT_LE(caption.size(), static_cast<size_t>(kMaxCaptionLength));
    const size_t feed = caption.find('\n');
    ASSERT_NE(feed, std::string::npos);
    EXPECT_EQ(caption.find('\n', feed + 1), std::string::npos) << "two lines";
    EXPECT_EQ(caption.find('\r'), std::string::npos);
    const std::string title = caption.substr(0, feed);
    const std::string artist = caption.substr(feed + 1);
    ASSERT_GE(title.size(), 3u);
    EXPECT_EQ(title.front(), '"');
    EXPECT_EQ(title.back(), '"');
    EXPECT_EQ(title.find('"', 1), title.size() - 1) << "one pair of quotation marks";
    EXPECT_FALSE(artist.empty());
    EXPECT_EQ(artist.find('"'), std::string::npos);
    EXPECT_NE(artist.front(), ' ');
    EXPECT_NE(artist.back(), ' ');
    for (char c : caption) EXPECT_TRUE(c == '\n' || (c >= ' ' && c <= '~')) << int(c);
    titles.insert(title);
    artists.insert(artist);
  }
  EXPECT_EQ(titles.size(), 5u);
  EXPECT_EQ(artists.size(), 5u);
}

TEST(CaptionBox, GoldenSizes) {
  struct Case {
    int32_t width, height;
    int corner;
    CaptionBox expected;  // left, top, width, height, font
  } cases[] = {
      {640, 480, 3, {284, 215, 355, 264, 22}},
      {640, 480, -1, {284, 215, 355, 264, 22}},  // -1 counts as bottom-right
      {640, 480, 0, {0, 0, 355, 264, 22}},
      {640, 480, 1, {284, 0, 355, 264, 22}},
      {640, 480, 2, {0, 215, 355, 264, 22}},
      {800, 600, 3, {355, 269, 444, 330, 27}},
      {1024, 768, 3, {455, 344, 568, 423, 35}},
      {576, 468, 3, {255, 209, 320, 258, 21}},  // the design size
      {152, 112, 3, {67, 50, 84, 61, 5}},       // a preview
      {1, 1, 3, {0, 0, 0, 0, 0}},
      {INT32_MAX, INT32_MAX, 0, {0, 0, 1193046470, 1183869190, 98655765}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " corner " << c.corner);
    CaptionBox box = ComputeCaptionBox(c.width, c.height, c.corner);
    EXPECT_EQ(box.left, c.expected.left);
    EXPECT_EQ(box.top, c.expected.top);
    EXPECT_EQ(box.width, c.expected.width);
    EXPECT_EQ(box.height, c.expected.height);
    EXPECT_EQ(box.fontHeight, c.expected.fontHeight);
  }
  CaptionBox box = ComputeCaptionBox(640, 480, 3);
  EXPECT_EQ(box.right(), 639);
  EXPECT_EQ(box.bottom(), 479);
}

TEST(CaptionBox, BottomRightBoxEndsOnePixelInside) {
  for (int32_t w = 2; w < 1700; w += 37) {
    for (int32_t h = 2; h < 1300; h += 41) {
      CaptionBox box = ComputeCaptionBox(w, h, 3);
      ASSERT_EQ(box.right(), w - 1);
      ASSERT_EQ(box.bottom(), h - 1);
      ASSERT_GE(box.left, 0);
      ASSERT_GE(box.top, 0);
      // The codec's backdrop is the box cut down to multiples of 4.
      ASSERT_EQ(box.width & ~3, (w * 320 / 576) & ~3);
      ASSERT_EQ(box.height / 12, box.fontHeight);
    }
  }
}

TEST(CaptionText, CentredInTheBox) {
  const CaptionBox box = ComputeCaptionBox(640, 480, 3);
  struct Case {
    int32_t textHeight, top, bottom;
  } cases[] = {
      {44, 325, 369},  // 215 + 132 - 22
      {45, 325, 370},  // 45 / 2 = 22
      {0, 347, 347},   {264, 215, 479},
      {300, 197, 497},  // taller than the box: it spills out evenly
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.textHeight);
    CaptionTextRect r = CenterCaptionText(box, c.textHeight);
    EXPECT_EQ(r.left, 284);
    EXPECT_EQ(r.right, 639);
    EXPECT_EQ(r.top, c.top);
    EXPECT_EQ(r.bottom, c.bottom);
  }
  // An odd box height: 61 / 2 = 30.
  CaptionTextRect r = CenterCaptionText(ComputeCaptionBox(152, 112, 3), 11);
  EXPECT_EQ(r.top, 50 + 30 - 5);
  EXPECT_EQ(r.bottom, 50 + 30 - 5 + 11);
}

}  // namespace
