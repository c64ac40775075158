#include "saver/pixel_section.h"

#include <gtest/gtest.h>

#include <climits>

#include "codec/scale.h"

namespace {

TEST(PixelSection, StrideIsThreeBytesAPixelPaddedToFour) {
  struct Case {
    int32_t width;
    uint64_t stride;
  } cases[] = {
      {1, 4},
      {2, 8},
      {3, 12},
      {4, 12},
      {5, 16},
      {152, 456},
      {575, 1728},
      {576, 1728},
      {640, 1920},
      {641, 1924},
      {0, 0},
      {-3, 0},
      {INT32_MAX, 6442450944ull},
  };
  for (const Case& c : cases) EXPECT_EQ(PictureRowStride(c.width), c.stride) << c.width;
  // The codec's row stride agrees where both apply.
  for (int32_t w = 1; w < 3000; ++w) ASSERT_EQ(PictureRowStride(w), RowStride(w)) << w;
}

TEST(PixelSection, SizeWithTheOneMebibyteFloor) {
  struct Case {
    int32_t width, height;
    uint64_t size;
  } cases[] = {
      {640, 480, 1048576},   // 921,600 is below the floor
      {800, 600, 1440000},   // 2400 x 600
      {1024, 768, 2359296},  // 3072 x 768
      {1024, 341, 1048576},  // 1,047,552: just below
      {1024, 342, 1050624},  // just above
      {152, 112, 1048576},   // a preview
      {0, 480, 1048576},    {640, -1, 1048576}, {INT32_MAX, INT32_MAX, 6442450944ull * INT32_MAX},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PixelSectionSize(c.width, c.height), c.size) << c.width << "x" << c.height;
  }
}

TEST(PixelSection, DecodeOffsetAtTheEndOfTheTarget) {
  uint64_t offset = 7;
  // 576 x 432 art for a 640 x 480 screen: 1 MiB - 746,496.
  ASSERT_TRUE(DecodeOffsetInTarget(576, 432, 640, 480, &offset));
  EXPECT_EQ(offset, 1048576u - 746496u);
  // For 1024 x 768 the span is the screen's 2,359,296 bytes.
  ASSERT_TRUE(DecodeOffsetInTarget(576, 432, 1024, 768, &offset));
  EXPECT_EQ(offset, 2359296u - 746496u);
  // An art larger than the span cannot go there.
  EXPECT_FALSE(DecodeOffsetInTarget(1024, 768, 640, 480, &offset));
  EXPECT_EQ(offset, 0u);
  EXPECT_FALSE(DecodeOffsetInTarget(0, 432, 640, 480, &offset));
}

TEST(PixelSection, RoomForScalingInPlace) {
  struct Case {
    int32_t artW, artH, dw, dh;
    uint64_t bytes;
  } cases[] = {
      {576, 432, 640, 480, 1048576},          // the floor covers everything
      {576, 432, 1024, 768, 2359296},         // the screen's area
      {576, 432, 320, 200, 1048576},          // a shrinking art: 960 x 432 rows fit the floor
      {100, 2000, 800, 300, 2400ull * 2000},  // a tall art: its rows at the target's stride
      {2, 2, 1, 1, 1048576},
      {0, 432, 640, 480, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.artW << "x" << c.artH << " to " << c.dw << "x" << c.dh);
    EXPECT_EQ(ScaleTargetBytes(c.artW, c.artH, c.dw, c.dh), c.bytes);
    if (c.bytes == 0) continue;
    EXPECT_TRUE(ScaleTargetHasRoom(c.bytes, c.artW, c.artH, c.dw, c.dh));
    EXPECT_FALSE(ScaleTargetHasRoom(c.bytes - 1, c.artW, c.artH, c.dw, c.dh));
  }
  // Enough bytes do not help an art that cannot sit at the end of the span.
  EXPECT_FALSE(ScaleTargetHasRoom(UINT64_MAX, 1024, 768, 640, 480));
}

TEST(PixelSection, ArtsFitTheirPictures) {
  // The shipped arts are 576 x 432; every usual screen and any preview takes them.
  const int32_t screens[][2] = {{640, 480},   {800, 600}, {1024, 768}, {1280, 1024},
                                {1600, 1200}, {320, 200}, {576, 432},  {2, 2}};
  for (const auto& s : screens) {
    EXPECT_TRUE(ArtFitsPicture(false, s[0], s[1], 576, 432)) << s[0] << "x" << s[1];
    EXPECT_TRUE(ArtFitsPicture(true, s[0], s[1], 576, 432));
  }
  // A large art on a small screen has no room to be decoded in place; the
  // preview, which scales into a buffer of its own, takes it.
  EXPECT_FALSE(ArtFitsPicture(false, 640, 480, 1024, 768));
  EXPECT_TRUE(ArtFitsPicture(true, 152, 112, 1024, 768));
  // A tall art on a wide, low screen: its rows at the screen's stride overflow the section.
  EXPECT_FALSE(ArtFitsPicture(false, 2000, 100, 100, 1000));
  EXPECT_FALSE(ArtFitsPicture(false, 0, 480, 576, 432));
  EXPECT_FALSE(ArtFitsPicture(true, 640, 480, 0, 432));
}

TEST(PictureSizeUsable, RoomForTheSpotMaskAndNoMore) {
  EXPECT_TRUE(PictureSizeUsable(152, 112));  // the Display Properties monitor
  EXPECT_TRUE(PictureSizeUsable(640, 480));
  EXPECT_TRUE(PictureSizeUsable(3840, 2160));
  EXPECT_TRUE(PictureSizeUsable(8, 8));  // a mask of 4 x 4
  EXPECT_FALSE(PictureSizeUsable(7, 112));
  EXPECT_FALSE(PictureSizeUsable(152, 7));
  EXPECT_FALSE(PictureSizeUsable(0, 0));
  EXPECT_FALSE(PictureSizeUsable(-152, 112));
  EXPECT_TRUE(PictureSizeUsable(16384, 16384));
  EXPECT_FALSE(PictureSizeUsable(16385, 768));
  // The smallest side really gives a 4-pixel mask side and the next one down none.
  EXPECT_EQ((int64_t{8} * 320 / 576) & ~int64_t{3}, 4);
  EXPECT_EQ((int64_t{8} * 258 / 468) & ~int64_t{3}, 4);
  EXPECT_EQ((int64_t{7} * 320 / 576) & ~int64_t{3}, 0);
  EXPECT_EQ((int64_t{7} * 258 / 468) & ~int64_t{3}, 0);
}

}  // namespace
