// The codec options: what each program's preset asks for, the texts a
// program puts in, and the one error record a context keeps.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "allocation_watch.h"
#include "art_builder.h"
#include "codec/codec.h"
#include "codec_presets.h"

namespace {

std::unique_ptr<CodecContext> NewContext(const CodecOptions& options) {
  std::unique_ptr<CodecContext> ctx(new CodecContext);
  InitCodecContext(ctx.get(), options);
  return ctx;
}

// A flat 1-piece 2 x 2 art (no transform).
std::vector<uint8_t> FlatArt() {
  ArtHeader h = TestHeader(1, 2, 2, 2, false);
  h.yOffset[0] = h.uOffset[0] = h.vOffset[0] = 512;
  return BuildArtFile(h, {0x40, 0x2F});
}

// The behaviour each program relies on, as its preset states it (the
// decoder, scaler, spot and dither tests check what each option does).
TEST(CodecPresetsTest, EachProgramAsksForItsOwn) {
  const CodecOptions switcher = SwitcherCodecOptions();
  EXPECT_EQ(switcher.seamColumn, 0);
  EXPECT_FALSE(switcher.fifteenBitsAsSixteen);
  EXPECT_FALSE(switcher.logoOverlay);
  EXPECT_EQ(switcher.trace, nullptr);

  auto trace = [](const char*) {};
  const CodecOptions saver = ScreenSaverCodecOptions(trace);
  EXPECT_EQ(saver.seamColumn, 288);
  EXPECT_TRUE(saver.fifteenBitsAsSixteen);
  EXPECT_TRUE(saver.logoOverlay);
  EXPECT_EQ(saver.trace, static_cast<void (*)(const char*)>(trace));
  EXPECT_STRNE(saver.spotDiskFullFormat, switcher.spotDiskFullFormat);

  // Plain defaults: none of it.
  const CodecOptions plain;
  EXPECT_EQ(plain.seamColumn, 0);
  EXPECT_FALSE(plain.fifteenBitsAsSixteen);
  EXPECT_FALSE(plain.logoOverlay);
  EXPECT_EQ(plain.spotDiskFullFormat, nullptr);
  EXPECT_EQ(plain.outOfMemoryFormat, nullptr);
}

// A failed allocation is told in the words the program gave, with the
// module and line of the check.
TEST(CodecOptionsTest, OutOfMemoryInTheProgramsWords) {
  CodecOptions custom;
  custom.outOfMemoryFormat = "no memory: %s %d\n";
  struct Case {
    const char* name;
    CodecOptions options;
    std::string prefix;
  };
  const Case cases[] = {
      {"screen saver", ScreenSaverCodecOptions(nullptr),
       "Out of memory allocating from file D42SAVE, line "},
      {"switcher", SwitcherCodecOptions(), "Out of memory allocating from file D42SAVE, line "},
      {"defaults", CodecOptions(), "Out of memory allocating from file D42SAVE, line "},
      {"custom", custom, "no memory: D42SAVE "},
  };
  const std::vector<uint8_t> file = FlatArt();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto ctx = NewContext(c.options);
    WaveletPtr art;
    AllocationWatch watch(1);
    EXPECT_EQ(CodecStatus::kOutOfMemory,
              ReadWaveletFromMemory(ctx.get(), file.data(), file.size(), "a.art", true, &art));
    const std::string message = ctx->error.message;
    EXPECT_EQ(message, c.prefix + std::to_string(ctx->error.line) + "\n");
    EXPECT_STREQ(ctx->error.module, "D42SAVE");
    EXPECT_GT(ctx->error.line, 0);
  }
  // A palette of its own uses the options it is given.
  PaletteContext palette;
  InitPaletteContext(&palette, &custom);
  ASSERT_EQ(CodecStatus::kOk, ReadColourTableFromText(&palette, "1 2 3 -\n", 8, "t.tr"));
  std::vector<uint8_t> row(12, 100);
  AllocationWatch watch(1);  // the first error row
  EXPECT_EQ(CodecStatus::kOutOfMemory, DitherImage8(&palette, 2, false, row.data(), 1, 4, 0));
  EXPECT_EQ(std::string(palette.error.message),
            "no memory: PALETTE " + std::to_string(palette.error.line) + "\n");
}

// Palette routines called by the scaler record into the context's one
// record; each operation starts it afresh.
TEST(CodecErrorTest, OneRecordPerContext) {
  auto ctx = NewContext(SwitcherCodecOptions());
  ctx->displayBitsPerPixel = 8;  // dithering to a palette that was never read
  const std::vector<uint8_t> file = FlatArt();
  WaveletPtr art;
  ASSERT_EQ(CodecStatus::kOk,
            ReadWaveletFromMemory(ctx.get(), file.data(), file.size(), "a.art", true, &art));
  ScaledImage scaled;
  EXPECT_EQ(CodecStatus::kBadArgument,
            FilterScaleImage(ctx.get(), nullptr, 0, art.get(), 5, 5, -1, &scaled));
  EXPECT_EQ(ctx->error.status, CodecStatus::kBadArgument);
  EXPECT_STREQ(ctx->error.module, "PALETTE");
  EXPECT_STREQ(ctx->error.message, "No colour table has been read");
  EXPECT_EQ(&ctx->error, &ctx->palette.error);
  ASSERT_EQ(CodecStatus::kOk, ReadColourTableFromText(&ctx->palette, "1 2 3 -\n", 8, "t.tr"));
  EXPECT_EQ(ctx->error.status, CodecStatus::kOk);
  EXPECT_STREQ(ctx->error.message, "");
}

TEST(CodecErrorTest, TheFirstFailureOfAnOperationStays) {
  CodecError error;
  EXPECT_EQ(CodecStatus::kBadData,
            SetCodecError(&error, CodecStatus::kBadData, kArtModule, 10, "cause %d", 1));
  EXPECT_EQ(CodecStatus::kIoError,
            SetCodecError(&error, CodecStatus::kIoError, kPaletteModule, 20, "echo"));
  EXPECT_EQ(error.status, CodecStatus::kBadData);
  EXPECT_STREQ(error.module, "D42SAVE");
  EXPECT_EQ(error.line, 10);
  EXPECT_STREQ(error.message, "cause 1");
  ClearCodecError(&error);
  EXPECT_EQ(CodecStatus::kIoError,
            SetCodecError(&error, CodecStatus::kIoError, kPaletteModule, 20, "next"));
  EXPECT_STREQ(error.message, "next");
}

}  // namespace
