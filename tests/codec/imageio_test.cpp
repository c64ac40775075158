// The tools' picture files: BMP and PPM round trips and damaged headers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "art_builder.h"
#include "image_io.h"
#include "sample_picture.h"

namespace {

TEST(ImageIoTest, RoundTripsEveryFormat) {
  Picture picture = MakeSamplePicture(37, 23);  // odd width: BMP rows are padded
  std::string dir = MakeTempDirectory();
  for (const char* name : {"/p.png", "/p.bmp", "/p.ppm", "/P.PNG"}) {
    SCOPED_TRACE(name);
    std::string path = dir + name;
    std::string error;
    ASSERT_TRUE(WritePicture(path, picture.bgr.data(), 37, 23, picture.stride(), &error)) << error;
    Picture back;
    ASSERT_TRUE(ReadPicture(path, &back, &error)) << error;
    EXPECT_EQ(back.width, 37);
    EXPECT_EQ(back.height, 23);
    EXPECT_EQ(back.bgr, picture.bgr);
  }
  std::string error;
  EXPECT_FALSE(WritePicture(dir + "/p.jpg", picture.bgr.data(), 37, 23, picture.stride(), &error));
}

TEST(ImageIoTest, DamagedFilesAreRefused) {
  Picture picture = MakeSamplePicture(8, 8);
  std::vector<uint8_t> bmp = EncodeBmp(picture.bgr.data(), 8, 8, picture.stride());
  std::vector<uint8_t> ppm = EncodePpm(picture.bgr.data(), 8, 8, picture.stride());
  Picture out;
  std::string error;
  EXPECT_TRUE(DecodeBmp(bmp.data(), bmp.size(), &out, &error));
  EXPECT_FALSE(DecodeBmp(bmp.data(), bmp.size() - 10, &out, &error));
  EXPECT_FALSE(DecodeBmp(bmp.data(), 20, &out, &error));
  std::vector<uint8_t> huge = bmp;
  huge[18] = 0xFF;
  huge[19] = 0xFF;
  huge[20] = 0xFF;
  EXPECT_FALSE(DecodeBmp(huge.data(), huge.size(), &out, &error));
  EXPECT_TRUE(DecodePpm(ppm.data(), ppm.size(), &out, &error));
  EXPECT_FALSE(DecodePpm(ppm.data(), ppm.size() - 1, &out, &error));
  std::string comment = "P6\n# made by hand\n1 1\n255\n\x01\x02\x03";
  EXPECT_TRUE(
      DecodePpm(reinterpret_cast<const uint8_t*>(comment.data()), comment.size(), &out, &error));
  EXPECT_EQ(out.bgr, (std::vector<uint8_t>{3, 2, 1}));
  std::string deep = "P6 1 1 65535 xxxxxx";
  EXPECT_FALSE(DecodePpm(reinterpret_cast<const uint8_t*>(deep.data()), deep.size(), &out, &error));
}

}  // namespace
