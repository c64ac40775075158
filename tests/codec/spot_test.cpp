// The caption spot: integer HSV darkening, the mask, "spot.sav" and putting
// the pixels back.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "art_builder.h"
#include "codec/art_encoder.h"
#include "codec/codec.h"
#include "codec_presets.h"
#include "reference.h"
#include "sample_picture.h"

namespace {

std::unique_ptr<CodecContext> NewContext(
    const CodecOptions& options = ScreenSaverCodecOptions(nullptr)) {
  std::unique_ptr<CodecContext> ctx(new CodecContext);
  InitCodecContext(ctx.get(), options);
  return ctx;
}

TEST(SpotHsvTest, HandWorkedValues) {
  struct Case {
    int r, g, b;
    int32_t h, s, v;
  };
  for (Case c : {Case{255, 0, 0, 0, 4096, 16320}, Case{0, 255, 0, 7680, 4096, 16320},
                 Case{0, 0, 255, 15360, 4096, 16320},
                 // (0 - 128) * 3840 / 255 = -1927 (toward zero), + 23040.
                 Case{255, 0, 128, 21113, 4096, 16320}, Case{200, 200, 200, 0, 0, 12800},
                 Case{0, 0, 0, -1, 0, 0}, Case{100, 50, 0, 1920, 4096, 6400}}) {
    SCOPED_TRACE(testing::Message() << c.r << "," << c.g << "," << c.b);
    SpotHsv hsv = RgbToSpotHsv(c.r, c.g, c.b);
    EXPECT_EQ(hsv.h, c.h);
    EXPECT_EQ(hsv.s, c.s);
    EXPECT_EQ(hsv.v, c.v);
  }
}

// The darkening written out plainly, in 64-bit arithmetic.
void PlainDarken(uint8_t* bgr, int m) {
  int64_t r = bgr[2], g = bgr[1], b = bgr[0];
  int64_t max = std::max({r, g, b}), min = std::min({r, g, b});
  int64_t v = max * 64, s = 0, h = -1;
  if (max != 0) {
    s = (max - min) * 4096 / max;
    if (max == min) {
      h = 0;
    } else {
      int64_t d = max - min;
      if (max == r)
        h = (g - b) * 3840 / d;
      else if (max == g)
        h = (b - r) * 3840 / d + 7680;
      else
        h = (r - g) * 3840 / d + 15360;
      if (h < 0) h += 23040;
    }
  }
  v = (255 - m) * v / 255;
  int64_t out[3];
  if (s == 0 && h == -1) {
    out[0] = out[1] = out[2] = v / 64;
  } else {
    if (h == 23040) h = 0;
    int64_t vv = v / 64, f = h % 3840;
    int64_t p = (4096 - s) * vv / 4096;
    int64_t q = (15728640 - s * f) * vv / 15728640;
    int64_t t = ((f - 3840) * s + 15728640) * vv / 15728640;
    const int64_t table[6][3] = {{vv, t, p}, {q, vv, p}, {p, vv, t},
                                 {p, q, vv}, {t, p, vv}, {vv, p, q}};
    for (int k = 0; k < 3; ++k) out[k] = table[h / 3840][k];
  }
  bgr[0] = static_cast<uint8_t>(out[2]);
  bgr[1] = static_cast<uint8_t>(out[1]);
  bgr[2] = static_cast<uint8_t>(out[0]);
}

TEST(SpotHsvTest, DarkeningCases) {
  uint8_t grey[3] = {200, 200, 200};
  DarkenPixel(grey, 128);  // V 12800 -> 127 * 12800 / 255 = 6374 -> 99
  EXPECT_EQ(grey[0], 99);
  EXPECT_EQ(grey[1], 99);
  EXPECT_EQ(grey[2], 99);
  uint8_t full[3] = {12, 200, 77};
  DarkenPixel(full, 255);
  EXPECT_EQ(full[0] | full[1] | full[2], 0);
  // m = 0 leaves a pixel alone even where HSV there and back would not.
  std::mt19937 rng(61);
  bool found = false;
  for (int i = 0; i < 1000 && !found; ++i) {
    int r = static_cast<int>(rng() % 256), g = static_cast<int>(rng() % 256),
        b = static_cast<int>(rng() % 256);
    int rr, gg, bb;
    SpotHsvToRgb(RgbToSpotHsv(r, g, b), &rr, &gg, &bb);
    if (rr == r && gg == g && bb == b) continue;
    found = true;
    uint8_t px[3] = {static_cast<uint8_t>(b), static_cast<uint8_t>(g), static_cast<uint8_t>(r)};
    DarkenPixel(px, 0);
    EXPECT_EQ(px[0], b);
    EXPECT_EQ(px[1], g);
    EXPECT_EQ(px[2], r);
  }
  EXPECT_TRUE(found);
  for (int i = 0; i < 20000; ++i) {
    uint8_t a[3] = {static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()),
                    static_cast<uint8_t>(rng())};
    int m = 1 + static_cast<int>(rng() % 255);
    uint8_t b[3] = {a[0], a[1], a[2]};
    DarkenPixel(a, static_cast<uint8_t>(m));
    PlainDarken(b, m);
    ASSERT_EQ(0, std::memcmp(a, b, 3)) << int(b[0]) << " " << m;
  }
}

struct SpotFixture : testing::Test {
  void SetUp() override {
    dir = MakeTempDirectory();
    // A mask picture: black left half (m = 0), grey ramp to the right.
    Picture mask;
    mask.width = 64;
    mask.height = 48;
    for (int y = 0; y < 48; ++y) {
      for (int x = 0; x < 64; ++x) {
        uint8_t v = x < 32 ? 0 : static_cast<uint8_t>((x - 32) * 8);
        mask.bgr.insert(mask.bgr.end(), {v, v, v});
      }
    }
    BgrImage image = {mask.bgr.data(), 64, 48, mask.stride()};
    EncodeOptions options;
    options.quality = 100;
    ByteBuffer file;
    CodecError error;
    ASSERT_EQ(CodecStatus::kOk, EncodeWavelet(image, options, &file, nullptr, &error));
    maskPath = dir + "/spot.art";
    WriteBytes(maskPath, std::vector<uint8_t>(file.data(), file.data() + file.size));
  }
  std::string dir;
  std::string maskPath;
};

TEST_F(SpotFixture, MaskSizeFollowsTheScreen) {
  auto ctx = NewContext();
  ASSERT_EQ(CodecStatus::kOk, LoadSpotMask(ctx.get(), maskPath.c_str(), 640, 480))
      << ctx->error.message;
  ASSERT_TRUE(ctx->spot.mask);
  EXPECT_EQ(ctx->spot.mask->header.width, 352);
  EXPECT_EQ(ctx->spot.mask->header.height, 264);
  EXPECT_EQ(ctx->spot.mask->pixels.size, 352u * 264);
  // The blue bytes of the nearest-neighbour scaled mask.
  WaveletPtr art;
  ASSERT_EQ(CodecStatus::kOk, ReadWavelet(ctx.get(), maskPath.c_str(), true, &art));
  std::vector<uint8_t> decoded(art->pixels.data(), art->pixels.data() + art->header.imageSize);
  std::vector<uint8_t> scaled = ReferenceNearestScale(decoded, 64, 48, 352, 264);
  for (int y = 0; y < 264; ++y) {
    for (int x = 0; x < 352; ++x) {
      ASSERT_EQ(ctx->spot.mask->pixels.data()[y * 352 + x], scaled[y * 1056 + 3 * x]);
    }
  }
  EXPECT_EQ(CodecStatus::kBadArgument, LoadSpotMask(ctx.get(), maskPath.c_str(), 7, 480));
}

TEST_F(SpotFixture, SaveDarkensAndReplaceRestores) {
  const int dw = 640, dh = 480;
  const size_t stride = RowStride(dw);
  std::mt19937 rng(67);
  std::vector<uint8_t> original(stride * dh);
  for (auto& b : original) b = static_cast<uint8_t>(rng());
  struct Case {
    int corner, left, top;
  };
  for (Case c : {Case{3, 287, 215}, Case{0, 0, 0}, Case{1, 287, 0}, Case{2, 0, 215}}) {
    SCOPED_TRACE(c.corner);
    auto ctx = NewContext();
    ASSERT_TRUE(SetProgramDirectory(ctx.get(), dir.c_str()));
    ASSERT_EQ(CodecStatus::kOk, LoadSpotMask(ctx.get(), maskPath.c_str(), dw, dh));
    const uint8_t* mask = ctx->spot.mask->pixels.data();
    std::vector<uint8_t> image = original;
    ASSERT_EQ(CodecStatus::kOk, SaveSpot(ctx.get(), image.data(), dw, dh, c.corner))
        << ctx->error.message;
    for (int y = 0; y < dh; y += 7) {
      for (int x = 0; x < dw; x += 3) {
        const uint8_t* now = image.data() + y * stride + 3 * x;
        uint8_t want[3];
        std::memcpy(want, original.data() + y * stride + 3 * x, 3);
        bool inside = x >= c.left && x < c.left + 352 && y >= c.top && y < c.top + 264;
        if (inside) DarkenPixel(want, mask[(y - c.top) * 352 + (x - c.left)]);
        ASSERT_EQ(0, std::memcmp(now, want, 3)) << x << "," << y;
      }
    }
    struct stat info;
    ASSERT_EQ(0, stat((dir + "/spot.sav").c_str(), &info));
    EXPECT_EQ(info.st_size, 352 * 264 * 3);
    SpotRect rect;
    ASSERT_EQ(CodecStatus::kOk, ReplaceSpot(ctx.get(), &rect, image.data(), dw, dh, c.corner));
    EXPECT_EQ(rect.left, c.left);
    EXPECT_EQ(rect.top, c.top);
    EXPECT_EQ(rect.width, 352);
    EXPECT_EQ(rect.height, 264);
    EXPECT_EQ(image, original);  // 24 bits: nothing to reduce
    CloseSpotFile(ctx.get(), true);
    EXPECT_NE(0, stat((dir + "/spot.sav").c_str(), &info));
  }
}

TEST_F(SpotFixture, ReplaceReducesTheRestoredRowsAgain) {
  const int dw = 640, dh = 480;
  const size_t stride = RowStride(dw);
  std::mt19937 rng(71);
  std::vector<uint8_t> original(stride * dh);
  for (auto& b : original) b = static_cast<uint8_t>(rng());
  auto ctx = NewContext();
  ctx->displayBitsPerPixel = 16;
  ASSERT_TRUE(SetProgramDirectory(ctx.get(), dir.c_str()));
  ASSERT_EQ(CodecStatus::kOk, LoadSpotMask(ctx.get(), maskPath.c_str(), dw, dh));
  std::vector<uint8_t> image = original;
  ASSERT_EQ(CodecStatus::kOk, SaveSpot(ctx.get(), image.data(), dw, dh, 3));
  SpotRect rect;
  ASSERT_EQ(CodecStatus::kOk, ReplaceSpot(ctx.get(), &rect, image.data(), dw, dh, 3));
  // Rows 215 .. 477 (one fewer for a bottom corner) across the whole width.
  std::vector<uint8_t> want = original;
  std::unique_ptr<PaletteContext> p(new PaletteContext);
  InitPaletteContext(p.get());
  ASSERT_EQ(CodecStatus::kOk,
            DitherImage16(p.get(), 2, false, want.data() + 215 * stride, 263, dw, 0));
  EXPECT_EQ(image, want);
}

// Art is read as raw bytes, colour tables as text, and the spot backup is
// read and written raw and committed to disk whenever it is flushed (the
// "c" of "w+bc"; other C libraries ignore it or read it as harmless).
TEST_F(SpotFixture, FilesAreOpenedInTheirModes) {
  struct Opened {
    std::vector<std::pair<std::string, std::string>> files;
  } opened;
  auto hook = [](const char* path, const char* mode, void* user) {
    std::string name = path;
    name = name.substr(name.find_last_of('/') + 1);
    static_cast<Opened*>(user)->files.emplace_back(name, mode);
    return std::fopen(path, mode);
  };
  const std::string table = dir + "/spot.tr";
  WriteBytes(table, {'0', ' ', '0', ' ', '0', ' ', '-', '\n'});
  auto ctx = NewContext();
  ASSERT_TRUE(SetProgramDirectory(ctx.get(), dir.c_str()));
  std::vector<uint8_t> image(RowStride(640) * 480, 90);
  SetFileOpenHook(hook, &opened);
  ASSERT_EQ(CodecStatus::kOk, LoadSpotMask(ctx.get(), maskPath.c_str(), 640, 480));
  ASSERT_EQ(CodecStatus::kOk, ReadColourTable(&ctx->palette, table.c_str()));
  ASSERT_EQ(CodecStatus::kOk, SaveSpot(ctx.get(), image.data(), 640, 480, 0));
  SetFileOpenHook(nullptr, nullptr);
  const std::vector<std::pair<std::string, std::string>> want = {
      {"spot.art", "rb"}, {"spot.tr", "r"}, {"spot.sav", "w+bc"}};
  EXPECT_EQ(opened.files, want);
  CloseSpotFile(ctx.get(), true);
}

TEST_F(SpotFixture, NoSpotAndFailures) {
  auto ctx = NewContext();
  ASSERT_TRUE(SetProgramDirectory(ctx.get(), dir.c_str()));
  std::vector<uint8_t> image(RowStride(640) * 480, 9);
  // Corner -1: nothing at all happens.
  EXPECT_EQ(CodecStatus::kOk, SaveSpot(ctx.get(), image.data(), 640, 480, -1));
  struct stat info;
  EXPECT_NE(0, stat((dir + "/spot.sav").c_str(), &info));
  SpotRect rect = {1, 2, 3, 4};
  EXPECT_EQ(CodecStatus::kOk, ReplaceSpot(ctx.get(), &rect, image.data(), 640, 480, -1));
  EXPECT_EQ(rect.left | rect.top | rect.width | rect.height, 0);
  // No mask yet.
  EXPECT_EQ(CodecStatus::kBadArgument, SaveSpot(ctx.get(), image.data(), 640, 480, 3));
  ASSERT_EQ(CodecStatus::kOk, LoadSpotMask(ctx.get(), maskPath.c_str(), 640, 480));
  // Nothing saved yet.
  EXPECT_EQ(CodecStatus::kIoError, ReplaceSpot(ctx.get(), &rect, image.data(), 640, 480, 3));
  EXPECT_STREQ(ctx->error.message, "Spot File Seek failed in replace spot\n");
  // An image smaller than the mask.
  EXPECT_EQ(CodecStatus::kBadArgument, SaveSpot(ctx.get(), image.data(), 300, 200, 3));
  // A directory that is not there.
  auto lost = NewContext();
  ASSERT_TRUE(SetProgramDirectory(lost.get(), (dir + "/missing").c_str()));
  ASSERT_EQ(CodecStatus::kOk, LoadSpotMask(lost.get(), maskPath.c_str(), 640, 480));
  EXPECT_EQ(CodecStatus::kIoError, SaveSpot(lost.get(), image.data(), 640, 480, 3));
  EXPECT_STREQ(lost->error.message, "Spot file open failed");
}

TEST_F(SpotFixture, FullDiskIsReported) {
  std::string full = dir + "/full";
  ASSERT_EQ(0, mkdir(full.c_str(), 0700));
  if (symlink("/dev/full", (full + "/spot.sav").c_str()) != 0) GTEST_SKIP() << "no /dev/full";
  auto ctx = NewContext();
  ASSERT_TRUE(SetProgramDirectory(ctx.get(), full.c_str()));
  ASSERT_EQ(CodecStatus::kOk, LoadSpotMask(ctx.get(), maskPath.c_str(), 640, 480));
  std::vector<uint8_t> image(RowStride(640) * 480, 9);
  EXPECT_EQ(CodecStatus::kIoError, SaveSpot(ctx.get(), image.data(), 640, 480, 3));
  EXPECT_STREQ(ctx->error.message, "Out of room for spot backup file\n");
}

// When the backup file cannot be given its length, each program says so in
// its own words, naming the drive of its directory.
TEST_F(SpotFixture, NoRoomForTheBackupInTheProgramsWords) {
  struct Case {
    const char* name;
    CodecOptions options;
    const char* message;
  };
  const Case cases[] = {
      {"screen saver", ScreenSaverCodecOptions(nullptr),
       "Out of disk space on drive /: for backup file\nPlease free some space and rerun the "
       "Tavol: the Corvane Screen Saver!\n"},
      {"switcher", SwitcherCodecOptions(),
       "Out of disk space on drive /: for backup file\nPlease free some space and rerun "
       "Desktop Lumivex!\n"},
      {"defaults", CodecOptions(), "Out of disk space on drive /: for backup file\n"},
  };
  // A pipe cannot seek, as a full disk cannot grow the file.
  auto pipeEnd = [](const char*, const char*, void*) -> std::FILE* {
    int fds[2];
    if (pipe(fds) != 0) return nullptr;
    close(fds[0]);
    return fdopen(fds[1], "w");
  };
  std::vector<uint8_t> image(RowStride(640) * 480, 9);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto ctx = NewContext(c.options);
    ASSERT_TRUE(SetProgramDirectory(ctx.get(), dir.c_str()));
    ASSERT_EQ(CodecStatus::kOk, LoadSpotMask(ctx.get(), maskPath.c_str(), 640, 480));
    SetFileOpenHook(pipeEnd, nullptr);
    EXPECT_EQ(CodecStatus::kIoError, SaveSpot(ctx.get(), image.data(), 640, 480, 3));
    SetFileOpenHook(nullptr, nullptr);
    EXPECT_STREQ(ctx->error.message, c.message);
    EXPECT_STREQ(ctx->error.module, "D42SAVE");
    CloseSpotFile(ctx.get(), false);
  }
}

TEST_F(SpotFixture, FilterScaleDarkensTheSpotBeforeReducing) {
  Picture picture = MakeSamplePicture(96, 72);
  BgrImage source = {picture.bgr.data(), 96, 72, picture.stride()};
  ByteBuffer file;
  CodecError error;
  ASSERT_EQ(CodecStatus::kOk, EncodeWavelet(source, EncodeOptions(), &file, nullptr, &error));
  auto ctx = NewContext();
  ASSERT_TRUE(SetProgramDirectory(ctx.get(), dir.c_str()));
  ASSERT_EQ(CodecStatus::kOk, LoadSpotMask(ctx.get(), maskPath.c_str(), 640, 480));
  WaveletPtr art;
  ASSERT_EQ(CodecStatus::kOk,
            ReadWaveletFromMemory(ctx.get(), file.data(), file.size, "a", false, &art));
  ScaledImage plain, spotted;
  ASSERT_EQ(CodecStatus::kOk,
            FilterScaleImage(ctx.get(), nullptr, 0, art.get(), 640, 480, -1, &plain));
  ASSERT_EQ(CodecStatus::kOk,
            FilterScaleImage(ctx.get(), nullptr, 0, art.get(), 640, 480, 3, &spotted));
  std::vector<uint8_t> want(plain.pixels, plain.pixels + plain.stride * 480);
  const uint8_t* mask = ctx->spot.mask->pixels.data();
  for (int y = 0; y < 264; ++y) {
    for (int x = 0; x < 352; ++x) {
      DarkenPixel(want.data() + (215 + y) * plain.stride + 3 * (287 + x), mask[y * 352 + x]);
    }
  }
  EXPECT_EQ(0, std::memcmp(spotted.pixels, want.data(), want.size()));
}

}  // namespace
