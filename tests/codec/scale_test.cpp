// FilterScaleImage, NearestScaleImage, the logo overlay and the DIB header.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "art_builder.h"
#include "codec/art_encoder.h"
#include "codec/codec.h"
#include "codec_presets.h"
#include "reference.h"
#include "sample_picture.h"

namespace {

std::unique_ptr<CodecContext> NewContext(const CodecOptions& options = CodecOptions()) {
  std::unique_ptr<CodecContext> ctx(new CodecContext);
  InitCodecContext(ctx.get(), options);
  return ctx;
}

// A record holding already decoded pixels.
WaveletPtr DecodedArt(const std::vector<uint8_t>& pixels, int width, int height) {
  WaveletPtr art(new WaveletImage);
  art->header.width = width;
  art->header.height = height;
  art->header.pieces = 1;
  art->header.imageSize = width * height * 3;
  AllocateBytes(&art->pixels, pixels.size() + kDecodeSlack, true);
  std::memcpy(art->pixels.data(), pixels.data(), pixels.size());
  art->decoded = 1;
  return art;
}

std::vector<uint8_t> RandomPixels(int width, int height, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> p(static_cast<size_t>(width) * height * 3);
  for (auto& b : p) b = static_cast<uint8_t>(rng());
  return p;
}

std::vector<uint8_t> Bytes(const ScaledImage& image) {
  return std::vector<uint8_t>(image.pixels, image.pixels + image.stride * image.height);
}

std::vector<uint8_t> EncodeArt(const Picture& picture) {
  BgrImage image = {picture.bgr.data(), picture.width, picture.height, picture.stride()};
  EncodeOptions options;
  options.quality = 90;
  ByteBuffer file;
  CodecError error;
  EXPECT_EQ(CodecStatus::kOk, EncodeWavelet(image, options, &file, nullptr, &error));
  return std::vector<uint8_t>(file.data(), file.data() + file.size);
}

TEST(ScaleTest, SixteenSixteenSteps) {
  EXPECT_EQ(ScaleStep(576, 640), 58982);
  EXPECT_EQ(ScaleStep(432, 480), 58982);
  EXPECT_EQ(ScaleStep(640, 320), 131072);
}

TEST(ScaleTest, FilterMatchesThePlainPasses) {
  struct Case {
    int width, height, dw, dh;
  };
  for (Case c : {Case{576, 432, 640, 480}, Case{576, 432, 1024, 768}, Case{576, 432, 300, 200},
                 Case{40, 30, 17, 5}, Case{7, 9, 33, 2}, Case{2, 2, 5, 5}, Case{50, 40, 50, 41},
                 Case{64, 48, 1, 1}, Case{9, 4, 2, 3}, Case{9, 4, 3, 3}, Case{9, 4, 4, 3},
                 Case{9, 4, 6, 3}, Case{3, 3, 1000, 3}}) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " -> " << c.dw << "x" << c.dh);
    std::vector<uint8_t> pixels = RandomPixels(c.width, c.height, 41);
    WaveletPtr art = DecodedArt(pixels, c.width, c.height);
    auto ctx = NewContext();  // 24 bits, kernel 2: no colour reduction
    ScaledImage result;
    ASSERT_EQ(CodecStatus::kOk,
              FilterScaleImage(ctx.get(), nullptr, 0, art.get(), c.dw, c.dh, -1, &result))
        << ctx->error.message;
    EXPECT_EQ(result.stride, RowStride(c.dw));
    EXPECT_EQ(Bytes(result), ReferenceFilterScale(pixels, c.width, c.height, c.dw, c.dh));
    const uint8_t* last = result.pixels + result.stride * (c.dh - 1);
    for (size_t i = 0; i < result.stride; ++i) ASSERT_EQ(last[i], 0);  // always black
  }
}

TEST(ScaleTest, ColourReductionByDepthAndKernel) {
  const int w = 96, h = 72, dw = 130, dh = 97;
  std::vector<uint8_t> pixels = RandomPixels(w, h, 43);
  const std::string table = "0 0 0 - 0\n255 0 0 - 1\n0 255 0 - 2\n0 0 255 - 4\n255 255 255 - 7\n";
  struct Case {
    int depth, kernel;
    const char* reduction;
    bool saver;  // the screen saver's preset: 15 bits count as 16
  };
  for (Case c :
       {Case{24, 2, "none", false}, Case{24, 0, "map", false}, Case{16, 2, "dither16", false},
        Case{8, 2, "dither8", false}, Case{8, 0, "map", false}, Case{32, 2, "none", false},
        Case{16, 5, "dither16", false}, Case{15, 2, "none", false}, Case{15, 2, "dither16", true},
        Case{15, 0, "map", true}, Case{16, 2, "dither16", true}, Case{8, 2, "dither8", true}}) {
    SCOPED_TRACE(testing::Message()
                 << c.depth << " bits, kernel " << c.kernel << (c.saver ? ", screen saver" : ""));
    auto ctx = NewContext(c.saver ? ScreenSaverCodecOptions(nullptr) : SwitcherCodecOptions());
    ctx->displayBitsPerPixel = c.depth;
    ctx->ditherKernel = c.kernel;
    ASSERT_EQ(CodecStatus::kOk,
              ReadColourTableFromText(&ctx->palette, table.data(), table.size(), "t"));
    WaveletPtr art = DecodedArt(pixels, w, h);
    ScaledImage result;
    ASSERT_EQ(CodecStatus::kOk,
              FilterScaleImage(ctx.get(), nullptr, 0, art.get(), dw, dh, -1, &result));
    std::vector<uint8_t> want = ReferenceFilterScale(pixels, w, h, dw, dh);
    std::unique_ptr<PaletteContext> p(new PaletteContext);
    InitPaletteContext(p.get());
    ASSERT_EQ(CodecStatus::kOk, ReadColourTableFromText(p.get(), table.data(), table.size(), "t"));
    std::string how = c.reduction;
    int pad = RowPadding(dw);
    CodecStatus status = CodecStatus::kOk;
    if (how == "map") status = MapImageToPalette(p.get(), want.data(), dh, dw, pad);
    if (how == "dither16") {
      status = DitherImage16(p.get(), c.kernel, false, want.data(), dh - 1, dw, pad);
    }
    if (how == "dither8") {
      status = DitherImage8(p.get(), c.kernel, false, want.data(), dh - 1, dw, pad);
    }
    ASSERT_EQ(CodecStatus::kOk, status);
    EXPECT_EQ(Bytes(result), want);
  }
}

TEST(ScaleTest, SameSizeIsTheDecodedImageUntouched) {
  const int w = 40, h = 30;
  std::vector<uint8_t> pixels = RandomPixels(w, h, 47);
  auto ctx = NewContext();
  ctx->displayBitsPerPixel = 8;
  ctx->ditherKernel = 0;  // would map every pixel if reduction ran
  ASSERT_EQ(CodecStatus::kOk, ReadColourTableFromText(&ctx->palette, "0 0 0 -\n", 8, "t"));
  WaveletPtr art = DecodedArt(pixels, w, h);
  ScaledImage result;
  ASSERT_EQ(CodecStatus::kOk, FilterScaleImage(ctx.get(), nullptr, 0, art.get(), w, h, 3, &result));
  EXPECT_EQ(result.pixels, art->pixels.data());
  EXPECT_EQ(result.stride, static_cast<size_t>(w) * 3);
  EXPECT_EQ(0, std::memcmp(result.pixels, pixels.data(), pixels.size()));
}

TEST(ScaleTest, DecodesIntoTheTargetLikeThePrograms) {
  Picture picture = MakeSamplePicture(64, 48);
  std::vector<uint8_t> file = EncodeArt(picture);
  auto ctx = NewContext();
  WaveletPtr art;
  ASSERT_EQ(CodecStatus::kOk,
            ReadWaveletFromMemory(ctx.get(), file.data(), file.size(), "t.art", false, &art));
  ByteBuffer decoded;
  ASSERT_EQ(CodecStatus::kOk, DecodeWavelet(ctx.get(), *art, &decoded));
  std::vector<uint8_t> pixels(decoded.data(), decoded.data() + art->header.imageSize);

  // Same size: decoded at the end of the 1 MiB floor of the target.
  std::vector<uint8_t> target(1 << 20, 0xEE);
  ScaledImage same;
  ASSERT_EQ(CodecStatus::kOk, FilterScaleImage(ctx.get(), target.data(), target.size(), art.get(),
                                               64, 48, -1, &same));
  EXPECT_EQ(same.pixels, target.data() + target.size() - pixels.size());
  EXPECT_EQ(0, std::memcmp(same.pixels, pixels.data(), pixels.size()));

  // Scaled: the result starts at the target.
  ScaledImage scaled;
  ASSERT_EQ(CodecStatus::kOk, FilterScaleImage(ctx.get(), target.data(), target.size(), art.get(),
                                               100, 75, -1, &scaled));
  EXPECT_EQ(scaled.pixels, target.data());
  EXPECT_EQ(Bytes(scaled), ReferenceFilterScale(pixels, 64, 48, 100, 75));
  EXPECT_EQ(art->decoded, 0);

  ScaledImage none;
  EXPECT_EQ(CodecStatus::kBadArgument, FilterScaleImage(ctx.get(), target.data(), 100 * 75 * 3 - 1,
                                                        art.get(), 100, 75, -1, &none));
  EXPECT_EQ(CodecStatus::kBadArgument,
            FilterScaleImage(ctx.get(), nullptr, 0, art.get(), 0, 75, -1, &none));
  EXPECT_EQ(CodecStatus::kBadArgument,
            FilterScaleImage(ctx.get(), nullptr, 0, nullptr, 10, 10, -1, &none));
  WaveletPtr thin = DecodedArt(RandomPixels(1, 5, 1), 1, 5);
  EXPECT_EQ(CodecStatus::kBadArgument,
            FilterScaleImage(ctx.get(), nullptr, 0, thin.get(), 4, 4, -1, &none));
}

TEST(ScaleTest, NearestMatchesThePlainRule) {
  struct Case {
    int width, height, dw, dh;
  };
  for (Case c :
       {Case{576, 432, 352, 264}, Case{10, 10, 23, 31}, Case{9, 7, 9, 7}, Case{100, 3, 4, 20}}) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " -> " << c.dw << "x" << c.dh);
    std::vector<uint8_t> pixels = RandomPixels(c.width, c.height, 53);
    WaveletPtr art = DecodedArt(pixels, c.width, c.height);
    auto ctx = NewContext(ScreenSaverCodecOptions(nullptr));
    ScaledImage result;
    ASSERT_EQ(CodecStatus::kOk,
              NearestScaleImage(ctx.get(), nullptr, 0, art.get(), c.dw, c.dh, &result));
    EXPECT_EQ(Bytes(result), ReferenceNearestScale(pixels, c.width, c.height, c.dw, c.dh));
  }
}

TEST(LogoTest, WhichPixelsAreUsed) {
  struct Case {
    bool firstLogo;
    uint8_t b, g, r;
    bool used;
  };
  for (Case c : {Case{true, 40, 30, 30, true}, Case{true, 30, 30, 40, true},
                 Case{true, 32, 32, 32, false}, Case{true, 0, 33, 0, true},
                 Case{false, 199, 220, 210, true}, Case{false, 210, 220, 199, true},
                 Case{false, 200, 200, 200, false}, Case{false, 255, 255, 255, false}}) {
    SCOPED_TRACE(testing::Message()
                 << c.firstLogo << " " << int(c.b) << "," << int(c.g) << "," << int(c.r));
    uint8_t bgr[3] = {c.b, c.g, c.r};
    EXPECT_EQ(LogoPixelUsed(c.firstLogo, bgr), c.used);
  }
}

// The screen saver's preset turns the logo overlay on; the switcher's leaves
// it off.
TEST(LogoTest, TheScreenSaverBlendsItsLogoBottomRight) {
  std::string dir = MakeTempDirectory() + "/";
  Picture logoPicture = MakeSamplePicture(16, 12);
  std::vector<uint8_t> logoFile = EncodeArt(logoPicture);
  WriteBytes(dir + "logo1.art", logoFile);
  WriteBytes(dir + "logo3.art", logoFile);
  auto probe = NewContext();
  WaveletPtr logo;
  ASSERT_EQ(CodecStatus::kOk,
            ReadWaveletFromMemory(probe.get(), logoFile.data(), logoFile.size(), "l", true, &logo));

  const int w = 40, h = 30;
  std::vector<uint8_t> pixels = RandomPixels(w, h, 59);
  for (int kind : {-1, 1, 0}) {
    SCOPED_TRACE(kind);
    auto ctx = NewContext(ScreenSaverCodecOptions(nullptr));
    ASSERT_TRUE(SetArtDirectory(ctx.get(), dir.c_str()));
    ctx->logoKind = kind;
    WaveletPtr art = DecodedArt(pixels, w, h);
    ScaledImage result;
    ASSERT_EQ(CodecStatus::kOk,
              FilterScaleImage(ctx.get(), nullptr, 0, art.get(), w, h, -1, &result))
        << ctx->error.message;
    std::vector<uint8_t> want = pixels;
    if (kind != -1) {
      const int left = w - 16 - 1, top = h - 12 - 1;
      for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 16; ++x) {
          const uint8_t* lp = logo->pixels.data() + (y * 16 + x) * 3;
          if (!LogoPixelUsed(kind == 1, lp)) continue;
          uint8_t* ip = want.data() + ((top + y) * w + left + x) * 3;
          for (int k = 0; k < 3; ++k) ip[k] = static_cast<uint8_t>((ip[k] + lp[k]) / 2);
        }
      }
    }
    EXPECT_EQ(0, std::memcmp(result.pixels, want.data(), want.size()));
  }
  // The switcher never blends.
  auto switcher = NewContext(SwitcherCodecOptions());
  switcher->logoKind = 1;
  ASSERT_TRUE(SetArtDirectory(switcher.get(), dir.c_str()));
  WaveletPtr art = DecodedArt(pixels, w, h);
  ScaledImage result;
  ASSERT_EQ(CodecStatus::kOk,
            FilterScaleImage(switcher.get(), nullptr, 0, art.get(), w, h, -1, &result));
  EXPECT_EQ(0, std::memcmp(result.pixels, pixels.data(), pixels.size()));
  // A missing logo file is the file-open error.
  auto lost = NewContext(ScreenSaverCodecOptions(nullptr));
  lost->logoKind = 1;
  ASSERT_TRUE(SetArtDirectory(lost.get(), "/nonexistent/"));
  EXPECT_EQ(CodecStatus::kCannotOpen,
            FilterScaleImage(lost.get(), nullptr, 0, art.get(), w, h, -1, &result));
  EXPECT_EQ(std::string(lost->error.message),
            "File /nonexistent/logo1.art could not be opened: EXITING\r\n");
}

TEST(DibHeaderTest, SameBytesAsBitmapInfo) {
  DibHeader header = MakeDibHeader(640, 480);
  uint8_t bytes[44];
  std::memcpy(bytes, &header, 44);
  const uint8_t expected[44] = {40,   0,    0,    0,     // biSize
                                0x80, 0x02, 0,    0,     // biWidth 640
                                0x20, 0xFE, 0xFF, 0xFF,  // biHeight -480
                                1,    0,                 // biPlanes
                                24,   0};                // biBitCount, then zeros
  EXPECT_EQ(0, std::memcmp(bytes, expected, 44));
}

}  // namespace
