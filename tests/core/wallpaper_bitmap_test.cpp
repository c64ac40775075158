#include "wallpaper/wallpaper_bitmap.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "codec/art_encoder.h"
#include "codec/palette_builder.h"
#include "codec_presets.h"

namespace {

uint32_t Get32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}
uint16_t Get16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// What the mapPages option was handed: how often, and the last range.
struct MappedRange {
  int calls = 0;
  const uint8_t* bytes = nullptr;
  size_t size = 0;
};
MappedRange g_mapped;

// Records the range and leaves junk in it: whatever the mapping leaves
// behind, the maker must fill every byte it writes after it.
void RecordAndScribble(void* bytes, size_t size) {
  ++g_mapped.calls;
  g_mapped.bytes = static_cast<const uint8_t*>(bytes);
  g_mapped.size = size;
  std::memset(bytes, 0xA5, size);
}

// A small test art and its colour table on disk.
class WallpaperBitmapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    base_ = ::testing::TempDir() + "wallpaper_" + info->name();
  }
  void TearDown() override {
    std::remove(ArtPath().c_str());
    std::remove(TablePath().c_str());
  }
  std::string ArtPath() const { return base_ + ".ART"; }
  std::string TablePath() const { return base_ + ".tr"; }

  // Writes an art of the picture and a table of at most `colours` colours.
  void MakeArt(const std::vector<uint8_t>& bgr, int width, int height, int colours,
               int pieces = 1) {
    BgrImage image{bgr.data(), width, height, static_cast<size_t>(width) * 3};
    EncodeOptions options;
    options.quality = 95;
    options.pieces = pieces;
    ByteBuffer file;
    CodecError error;
    ASSERT_EQ(EncodeWavelet(image, options, &file, nullptr, &error), CodecStatus::kOk)
        << error.message;
    FILE* out = std::fopen(ArtPath().c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(file.data(), 1, file.size, out);
    std::fclose(out);

    BuiltPalette palette;
    ASSERT_EQ(BuildPalette(image, colours, &palette, &error), CodecStatus::kOk);
    std::vector<char> text(kMaxColourTableText);
    size_t length = FormatColourTable(palette, text.data(), text.size());
    out = std::fopen(TablePath().c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(text.data(), 1, length, out);
    std::fclose(out);
    paletteCount_ = palette.count;
    palette_ = palette;
  }
  static std::vector<uint8_t> Gradient(int width, int height) {
    std::vector<uint8_t> bgr(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        uint8_t* p = &bgr[(static_cast<size_t>(y) * width + x) * 3];
        p[0] = static_cast<uint8_t>(40 + 3 * x);
        p[1] = static_cast<uint8_t>(60 + 4 * y);
        p[2] = static_cast<uint8_t>(200 - 2 * x);
      }
    }
    return bgr;
  }
  static std::vector<uint8_t> Solid(int width, int height, uint8_t b, uint8_t g, uint8_t r) {
    std::vector<uint8_t> bgr(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < bgr.size(); i += 3) {
      bgr[i] = b;
      bgr[i + 1] = g;
      bgr[i + 2] = r;
    }
    return bgr;
  }
  WallpaperBitmap Make(const WallpaperScreen& screen,
                       const CodecOptions& options = SwitcherCodecOptions()) {
    CodecContext ctx;
    InitCodecContext(&ctx, options);
    ctx.displayBitsPerPixel = screen.depth;
    WallpaperBitmap bitmap;
    status_ = MakeWallpaperBitmap(&ctx, ArtPath().c_str(), TablePath().c_str(), screen, &bitmap);
    message_ = ctx.error.message;
    return bitmap;
  }

  // BuildBitmapBits of the picture in place with this test's table: the
  // image bytes it reports.
  size_t BuildBits(std::vector<uint8_t>* image, size_t stride, int32_t width, int32_t height,
                   int32_t depth) {
    CodecContext ctx;
    InitCodecContext(&ctx, SwitcherCodecOptions());
    std::vector<uint8_t> colourTable(kWallpaperColourTableBytes);
    size_t imageBytes = 0;
    EXPECT_EQ(BuildBitmapBits(&ctx, image->data(), stride, width, height, depth, colourTable.data(),
                              TablePath().c_str(), &imageBytes),
              CodecStatus::kOk)
        << ctx.error.message;
    return imageBytes;
  }

  std::string base_;
  int paletteCount_ = 0;
  BuiltPalette palette_;
  CodecStatus status_ = CodecStatus::kOk;
  std::string message_;
};

TEST_F(WallpaperBitmapTest, HeadersForEachDepth) {
  MakeArt(Gradient(64, 48), 64, 48, 30);
  struct Case {
    WallpaperScreen screen;
    uint16_t bits;
    uint32_t imageBytes;
  } cases[] = {
      {{640, 480, 8, 3780, 3779}, 8, 307200},  // file size 308278
      {{640, 480, 16, 1, 2}, 16, 614400},       {{640, 480, 24, 0, 0}, 24, 921600},
      {{640, 480, 32, 0, 0}, 24, 921600},      // a 32-bit display gets a 24-bit file
      {{1366, 768, 8, 0, 0}, 8, 1368u * 768},  // rows padded to 4 bytes
      {{1366, 768, 24, 0, 0}, 24, 4100u * 768}, {{1366, 768, 16, 0, 0}, 16, 2732u * 768},
      {{41, 30, 15, 0, 0}, 24, 124u * 30},  // other depths: 24 bits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.screen.width) + "x" + std::to_string(c.screen.depth));
    WallpaperBitmap bitmap = Make(c.screen);
    ASSERT_EQ(status_, CodecStatus::kOk) << message_;
    const uint8_t* h = bitmap.headers;
    EXPECT_EQ(h[0], 'B');
    EXPECT_EQ(h[1], 'M');
    EXPECT_EQ(Get32(h + 2), c.imageBytes + 1078);
    EXPECT_EQ(Get32(h + 6), 0u);
    EXPECT_EQ(Get32(h + 10), 1078u);
    EXPECT_EQ(Get32(h + 14), 40u);
    EXPECT_EQ(Get32(h + 18), static_cast<uint32_t>(c.screen.width));
    EXPECT_EQ(Get32(h + 22), static_cast<uint32_t>(c.screen.height));
    EXPECT_EQ(Get16(h + 26), 1);
    EXPECT_EQ(Get16(h + 28), c.bits);
    EXPECT_EQ(Get32(h + 30), 0u);
    EXPECT_EQ(Get32(h + 34), c.imageBytes);
    EXPECT_EQ(Get32(h + 38), static_cast<uint32_t>(c.screen.xPelsPerMeter));
    EXPECT_EQ(Get32(h + 42), static_cast<uint32_t>(c.screen.yPelsPerMeter));
    EXPECT_EQ(Get32(h + 46), 256u);
    EXPECT_EQ(Get32(h + 50), 236u);
    EXPECT_EQ(bitmap.imageBytes, c.imageBytes);
    EXPECT_GE(bitmap.pixels.size, bitmap.imageBytes);
  }
}

TEST_F(WallpaperBitmapTest, ColourTableEntries) {
  MakeArt(Gradient(64, 48), 64, 48, 20);
  WallpaperBitmap bitmap = Make({100, 80, 8, 0, 0});
  ASSERT_EQ(status_, CodecStatus::kOk) << message_;
  const uint8_t* table = bitmap.headers + 54;
  EXPECT_EQ(Get32(table), 0u);  // entry 0 black
  for (int i = 0; i < paletteCount_; ++i) {
    SCOPED_TRACE(i);
    const uint8_t* quad = table + 4 * (i + 1);
    EXPECT_EQ(quad[0], palette_.rgb[i][2]);
    EXPECT_EQ(quad[1], palette_.rgb[i][1]);
    EXPECT_EQ(quad[2], palette_.rgb[i][0]);
    EXPECT_EQ(quad[3], 0);
  }
  for (int entry = paletteCount_ + 1; entry < 256; ++entry) {
    SCOPED_TRACE(entry);
    EXPECT_EQ(Get32(table + 4 * entry), entry == 235 ? 0xFFFFFFFFu : 0u);
  }
}

TEST_F(WallpaperBitmapTest, EightBitPixelsAreTableIndexesAndTheBlackRowIsOnTop) {
  MakeArt(Gradient(64, 48), 64, 48, 40);
  WallpaperBitmap bitmap = Make({130, 90, 8, 0, 0});
  ASSERT_EQ(status_, CodecStatus::kOk) << message_;
  const size_t row = 132;
  const uint8_t* table = bitmap.headers + 54;
  for (int y = 0; y < 90; ++y) {
    for (int x = 0; x < 130; ++x) {
      uint8_t index = bitmap.pixels.data()[y * row + x];
      ASSERT_GE(index, 1);
      ASSERT_LE(index, paletteCount_);
    }
    for (size_t pad = 130; pad < row; ++pad) ASSERT_EQ(bitmap.pixels.data()[y * row + pad], 0);
  }
  // The stored last row is the scaler's black row: every pixel is the entry
  // nearest to black.
  const uint8_t* top = bitmap.pixels.data() + 89 * row;
  for (int x = 1; x < 130; ++x) EXPECT_EQ(top[x], top[0]);
  const uint8_t* darkest = table + 4 * top[0];
  for (int i = 1; i <= paletteCount_; ++i) {
    const uint8_t* q = table + 4 * i;
    EXPECT_LE(darkest[0] + darkest[1] + darkest[2], q[0] + q[1] + q[2] + 24) << i;
  }
}

TEST_F(WallpaperBitmapTest, SixteenBitWhiteIs7FFF) {
  MakeArt(Solid(64, 48, 255, 255, 255), 64, 48, 4);
  WallpaperBitmap bitmap = Make({80, 60, 16, 0, 0});
  ASSERT_EQ(status_, CodecStatus::kOk) << message_;
  const uint8_t* middle = bitmap.pixels.data() + 30 * 160;
  for (int x = 0; x < 70; ++x) EXPECT_EQ(Get16(middle + 2 * x), 0x7FFF) << x;
  const uint8_t* top = bitmap.pixels.data() + 59 * 160;
  for (int x = 0; x < 80; ++x) EXPECT_EQ(Get16(top + 2 * x), 0) << x;
}

TEST_F(WallpaperBitmapTest, ScreenOfTheArtsSizeKeepsTheDecodedRowsReversed) {
  std::vector<uint8_t> picture = Gradient(62, 40);
  MakeArt(picture, 62, 40, 30);
  CodecContext ctx;
  InitCodecContext(&ctx, SwitcherCodecOptions());
  WaveletPtr art;
  ASSERT_EQ(ReadWavelet(&ctx, ArtPath().c_str(), true, &art), CodecStatus::kOk);
  const uint8_t* decoded = art->pixels.data();

  WallpaperBitmap bitmap = Make({62, 40, 24, 0, 0});
  ASSERT_EQ(status_, CodecStatus::kOk) << message_;
  const size_t row = 188;  // 186 padded to 4
  for (int y = 0; y < 40; ++y) {
    SCOPED_TRACE(y);
    const int from = y == 39 ? 39 : 38 - y;  // rows 0..38 reversed, the last stays
    EXPECT_EQ(std::memcmp(bitmap.pixels.data() + y * row, decoded + from * 186, 186), 0);
    EXPECT_EQ(bitmap.pixels.data()[y * row + 186], 0);
    EXPECT_EQ(bitmap.pixels.data()[y * row + 187], 0);
  }
}

TEST_F(WallpaperBitmapTest, SixteenBitsUseTheTopFiveBitsOfUndilutedColours) {
  // Same size as the screen: no dithering, so channels keep their low bits.
  MakeArt(Solid(62, 40, 0x17, 0x8F, 0xFF), 62, 40, 4);
  CodecContext ctx;
  InitCodecContext(&ctx, SwitcherCodecOptions());
  WaveletPtr art;
  ASSERT_EQ(ReadWavelet(&ctx, ArtPath().c_str(), true, &art), CodecStatus::kOk);
  const uint8_t* p = art->pixels.data() + (20 * 62 + 30) * 3;
  const uint16_t expected =
      static_cast<uint16_t>((p[2] >> 3) << 10 | (p[1] >> 3) << 5 | (p[0] >> 3));
  WallpaperBitmap bitmap = Make({62, 40, 16, 0, 0});
  ASSERT_EQ(status_, CodecStatus::kOk) << message_;
  EXPECT_EQ(Get16(bitmap.pixels.data() + (38 - 20) * 124 + 60), expected);
}

TEST_F(WallpaperBitmapTest, BadInputIsAnErrorNamingTheFile) {
  MakeArt(Gradient(64, 48), 64, 48, 10);
  WallpaperScreen screen{64, 48, 8, 0, 0};
  {
    CodecContext ctx;
    InitCodecContext(&ctx, SwitcherCodecOptions());
    WallpaperBitmap bitmap;
    EXPECT_NE(MakeWallpaperBitmap(&ctx, (base_ + ".missing").c_str(), TablePath().c_str(), screen,
                                  &bitmap),
              CodecStatus::kOk);
    EXPECT_NE(std::string(ctx.error.message).find(".missing"), std::string::npos);
  }
  // A table of more than 234 colours would put a colour on the white entry.
  std::string big;
  for (int i = 0; i < 235; ++i) {
    big += std::to_string(i) + " " + std::to_string(i % 7) + " 9 -\n";
  }
  // (one shared path: the root leaf) - enough to count the lines
  FILE* out = std::fopen(TablePath().c_str(), "wb");
  ASSERT_NE(out, nullptr);
  std::fwrite(big.data(), 1, big.size(), out);
  std::fclose(out);
  CodecContext ctx;
  InitCodecContext(&ctx, SwitcherCodecOptions());
  WallpaperBitmap bitmap;
  EXPECT_NE(MakeWallpaperBitmap(&ctx, ArtPath().c_str(), TablePath().c_str(), screen, &bitmap),
            CodecStatus::kOk);
  EXPECT_NE(std::string(ctx.error.message).find("234"), std::string::npos) << ctx.error.message;
  EXPECT_NE(Make({1, 1, 8, 0, 0}).imageBytes + 1, 0u);
  EXPECT_NE(status_, CodecStatus::kOk);
}

// The 16-bit conversion runs in place, several pixels a step: every width
// (the steps and what is left after them) and every channel value.
TEST_F(WallpaperBitmapTest, SixteenBitsInPlaceForEveryWidth) {
  MakeArt(Gradient(16, 16), 16, 16, 4);
  std::mt19937 rng(7);
  for (int32_t width : {1, 2, 3, 7, 8, 9, 10, 11, 17, 18, 19, 33, 64}) {
    SCOPED_TRACE(width);
    const int32_t height = 4;
    const size_t stride = RowStride(width);
    std::vector<uint8_t> image(stride * height);
    for (uint8_t& b : image) b = static_cast<uint8_t>(rng());
    const std::vector<uint8_t> source = image;
    const size_t rowBytes = (2 * static_cast<size_t>(width) + 3) & ~size_t{3};
    ASSERT_EQ(BuildBits(&image, stride, width, height, 16), rowBytes * height);
    for (int32_t y = 0; y < height; ++y) {
      const int32_t from = y == height - 1 ? y : height - 2 - y;  // bottom-up, last row last
      for (int32_t x = 0; x < width; ++x) {
        const uint8_t* p = source.data() + stride * from + 3 * x;
        const uint16_t want =
            static_cast<uint16_t>((p[2] >> 3) << 10 | (p[1] >> 3) << 5 | (p[0] >> 3));
        ASSERT_EQ(Get16(image.data() + rowBytes * y + 2 * x), want) << y << " " << x;
      }
      for (size_t i = 2 * static_cast<size_t>(width); i < rowBytes; ++i) {
        ASSERT_EQ(image[rowBytes * y + i], 0) << y;
      }
    }
  }
}

TEST_F(WallpaperBitmapTest, EightBitPixelsOfAnyColourAreTheNearestIndexPlusOne) {
  MakeArt(Gradient(64, 48), 64, 48, 40);
  PaletteContext reference;
  InitPaletteContext(&reference);
  ASSERT_EQ(ReadColourTable(&reference, TablePath().c_str()), CodecStatus::kOk);
  // Random colours, many more than the pixels' answers kept by colour have
  // room for, and every third pixel a repeat of one of a few colours.
  std::mt19937 rng(11);
  const int32_t width = 97, height = 61;
  const size_t stride = RowStride(width);
  std::vector<uint8_t> image(stride * height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* p = image.data() + stride * y + 3 * x;
      const uint32_t colour = x % 3 == 0 ? (rng() % 5) * 0x333333u : rng() & 0xFFFFFF;
      p[0] = static_cast<uint8_t>(colour);
      p[1] = static_cast<uint8_t>(colour >> 8);
      p[2] = static_cast<uint8_t>(colour >> 16);
    }
  }
  const std::vector<uint8_t> source = image;
  const size_t rowBytes = (static_cast<size_t>(width) + 3) & ~size_t{3};
  ASSERT_EQ(BuildBits(&image, stride, width, height, 8), rowBytes * height);
  for (int32_t y = 0; y < height; ++y) {
    const int32_t from = y == height - 1 ? y : height - 2 - y;  // bottom-up, last row last
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t* p = source.data() + stride * from + 3 * x;
      const uint32_t colour = static_cast<uint32_t>(p[2] << 16 | p[1] << 8 | p[0]);
      ASSERT_EQ(image[rowBytes * y + x], NearestColourIndex(&reference, colour) + 1)
          << y << " " << x;
    }
  }
}

TEST_F(WallpaperBitmapTest, TheFrameIsHandedToMapPagesOnceBeforeItIsFilled) {
  MakeArt(Gradient(64, 48), 64, 48, 30, 4);
  for (const WallpaperScreen& screen : std::vector<WallpaperScreen>{
           {640, 480, 8, 0, 0}, {333, 250, 16, 0, 0}, {640, 480, 32, 0, 0}, {64, 48, 24, 0, 0}}) {
    SCOPED_TRACE(std::to_string(screen.width) + "x" + std::to_string(screen.depth));
    const WallpaperBitmap plain = Make(screen);
    ASSERT_EQ(status_, CodecStatus::kOk) << message_;
    g_mapped = MappedRange();
    CodecOptions options = SwitcherCodecOptions();
    options.mapPages = RecordAndScribble;
    const WallpaperBitmap mapped = Make(screen, options);
    ASSERT_EQ(status_, CodecStatus::kOk) << message_;
    EXPECT_EQ(g_mapped.calls, 1);
    // The frame is the bitmap's own buffer, unless the art is the screen's
    // size (then the decoded art is copied into padded rows of its own).
    if (screen.width != 64) {
      EXPECT_EQ(g_mapped.bytes, mapped.pixels.data());
      EXPECT_GE(g_mapped.size, mapped.imageBytes);
    }
    ASSERT_EQ(mapped.imageBytes, plain.imageBytes);
    EXPECT_EQ(std::memcmp(mapped.headers, plain.headers, kWallpaperHeaderBytes), 0);
    EXPECT_EQ(std::memcmp(mapped.pixels.data(), plain.pixels.data(), plain.imageBytes), 0);
  }
}

}  // namespace
