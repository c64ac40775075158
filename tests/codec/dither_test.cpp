// Dither kernels, their delta tables and error diffusion against a plain
// re-implementation of the rules.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "codec/palette.h"
#include "codec_presets.h"
#include "reference.h"

namespace {

std::unique_ptr<PaletteContext> NewPalette(const CodecOptions* options = nullptr) {
  std::unique_ptr<PaletteContext> ctx(new PaletteContext);
  InitPaletteContext(ctx.get(), options);
  return ctx;
}

// 27 colours: every mix of 0, 128 and 255, each leaf at depth 1 or 2.
std::string SmallTable() {
  std::string text;
  const int levels[3] = {0, 128, 255};
  for (int r : levels) {
    for (int g : levels) {
      for (int b : levels) {
        text += std::to_string(r) + " " + std::to_string(g) + " " + std::to_string(b) + " -";
        int digit = (r >> 7) + 2 * (g >> 7) + 4 * (b >> 7);
        text += " " + std::to_string(digit);
        int second = (r == 255) + 2 * (g == 255) + 4 * (b == 255);
        text += " " + std::to_string(second) + "\n";
      }
    }
  }
  return text;
}

TEST(DitherKernelTest, TableHoldsTheKernels) {
  struct Case {
    int kernel, divisor, taps, rows, weightSum;
  };
  for (Case c :
       {Case{1, 16, 2, 2, 8}, Case{2, 16, 4, 2, 16}, Case{3, 42, 12, 3, 42}, Case{4, 32, 7, 2, 32},
        Case{5, 32, 10, 3, 32}, Case{6, 48, 12, 3, 48}, Case{7, 236, 12, 4, 236}}) {
    SCOPED_TRACE(c.kernel);
    const DitherKernel& k = kDitherKernels[c.kernel];
    EXPECT_EQ(k.divisor, c.divisor);
    EXPECT_EQ(k.tapCount, c.taps);
    EXPECT_EQ(k.rows, c.rows);
    int sum = 0;
    for (int t = 0; t < k.tapCount; ++t) {
      sum += k.taps[t].weight;
      const DitherKernel& m = kDitherKernels[c.kernel + 8];
      EXPECT_EQ(m.taps[t].dx, -k.taps[t].dx);
      EXPECT_EQ(m.taps[t].dy, k.taps[t].dy);
      EXPECT_EQ(m.taps[t].weight, k.taps[t].weight);
    }
    EXPECT_EQ(sum, c.weightSum);
  }
  EXPECT_EQ(kDitherKernels[0].tapCount, 0);
  // Kernel 7: 62 (not 26) in the middle of its third row.
  EXPECT_EQ(kDitherKernels[7].taps[6].weight, 62);
  EXPECT_EQ(kDitherKernels[7].taps[6].dx, 0);
  EXPECT_EQ(kDitherKernels[7].taps[6].dy, 2);
}

TEST(MakeDeltasTest, ValuesFollowTheFormula) {
  struct Case {
    int kernel, tap, error, value;
  };
  // (((d / 2) + w (e - 1)) * 256) / d, truncated toward zero.
  const Case cases[] = {
      {2, 0, 0, 16},         // w 7: (8 - 7) * 16
      {2, 0, 1, 128},        // 8 * 16
      {2, 0, -255, -28544},  // (8 - 1792) * 16
      {2, 0, 255, 28576},    // (8 + 1778) * 16
      {2, 3, 0, 112},        // w 1: (8 - 1) * 16
      {7, 6, 10, 733},       // w 62: 676 * 256 / 236 = 733.3
      {7, 6, -10, -611},     // -564 * 256 / 236 = -611.8, toward zero
      {1, 0, 2, 176},        // w 3: (8 + 3) * 16
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "kernel " << c.kernel << " tap " << c.tap << " e " << c.error);
    auto ctx = NewPalette();
    DeltaTables slots;
    ASSERT_EQ(CodecStatus::kOk, MakeDeltas(ctx.get(), c.kernel, &slots));
    EXPECT_EQ(slots.tap[c.tap][c.error], c.value);
  }
}

TEST(MakeDeltasTest, TapsOfOneWeightShareATable) {
  auto ctx = NewPalette();
  DeltaTables slots;
  ASSERT_EQ(CodecStatus::kOk, MakeDeltas(ctx.get(), 3, &slots));  // Stucki
  EXPECT_EQ(slots.tap[0], slots.tap[4]);                          // both weight 8
  EXPECT_EQ(slots.tap[2], slots.tap[6]);                          // both weight 2
  EXPECT_NE(slots.tap[0], slots.tap[1]);
  int tables = 0;
  for (const auto& t : slots.table) tables += t != nullptr;
  EXPECT_EQ(tables, 4);  // weights 8, 4, 2, 1
  // Another kernel's tables are not reused (same weight, other divisor).
  ASSERT_EQ(CodecStatus::kOk, MakeDeltas(ctx.get(), 4, &slots));  // Burkes, d = 32
  EXPECT_EQ(slots.tap[0][0], ((16 - 8) * 256) / 32);
}

// The screen saver's preset traces "MakeDeltas" to the hook it is given;
// the switcher's and the defaults stay quiet.
TEST(MakeDeltasTest, TracesGoToTheOptionsHook) {
  static std::string traced;
  traced.clear();
  auto hook = [](const char* line) { traced += line; };
  const CodecOptions switcher = SwitcherCodecOptions();
  const CodecOptions saver = ScreenSaverCodecOptions(hook);
  const CodecOptions quietSaver = ScreenSaverCodecOptions(nullptr);
  for (const CodecOptions* options :
       {static_cast<const CodecOptions*>(nullptr), &switcher, &quietSaver, &saver}) {
    auto ctx = NewPalette(options);
    DeltaTables slots;
    ASSERT_EQ(CodecStatus::kOk, MakeDeltas(ctx.get(), 2, &slots));
  }
  EXPECT_EQ(traced, "MakeDeltas\n");
  // Dithering builds the tables once per kernel, and traces each time.
  auto ctx = NewPalette(&saver);
  std::vector<uint8_t> row(12, 100);
  for (int kernel : {2, 2, 3}) {
    ASSERT_EQ(CodecStatus::kOk, DitherImage16(ctx.get(), kernel, false, row.data(), 1, 4, 0));
  }
  EXPECT_EQ(traced, "MakeDeltas\nMakeDeltas\nMakeDeltas\n");
}

TEST(DitherTest, SixteenBitsHandWorkedRow) {
  // Kernel 2 on 103 grey: e = 7 passes (8 + 42) * 16 = 800 to the right,
  // so the next pixel is 106 -> 104 (e = 2, passing 240), then 103 -> 96.
  auto ctx = NewPalette();
  std::vector<uint8_t> row(9, 103);
  ASSERT_EQ(CodecStatus::kOk, DitherImage16(ctx.get(), 2, false, row.data(), 1, 3, 0));
  EXPECT_EQ(row, (std::vector<uint8_t>{96, 96, 96, 104, 104, 104, 96, 96, 96}));
}

TEST(DitherTest, PureBlackAndWhiteStay) {
  auto ctx = NewPalette();
  ASSERT_EQ(CodecStatus::kOk, ReadColourTableFromText(ctx.get(), "100 100 100 -\n", 14, "grey.tr"));
  for (int kernel : {2, 7}) {
    SCOPED_TRACE(kernel);
    std::vector<uint8_t> image = {0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 255, 255};
    ASSERT_EQ(CodecStatus::kOk, DitherImage8(ctx.get(), kernel, false, image.data(), 1, 4, 0));
    EXPECT_EQ(image, (std::vector<uint8_t>{0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 255, 255}));
    std::vector<uint8_t> white(6, 255);
    ASSERT_EQ(CodecStatus::kOk, DitherImage16(ctx.get(), kernel, false, white.data(), 1, 2, 0));
    EXPECT_EQ(white, std::vector<uint8_t>(6, 255));
  }
}

TEST(DitherTest, MatchesThePlainRulesForEveryKernel) {
  std::mt19937 rng(31);
  auto ctx = NewPalette();
  std::string table = SmallTable();
  ASSERT_EQ(CodecStatus::kOk,
            ReadColourTableFromText(ctx.get(), table.data(), table.size(), "s.tr"));
  const int width = 37, rows = 9, pad = (4 - (width * 3) % 4) % 4;
  const size_t stride = width * 3 + pad;
  std::vector<uint8_t> source(stride * rows);
  for (auto& b : source) b = static_cast<uint8_t>(rng());
  for (int kernel = 0; kernel < kDitherKernelCount; ++kernel) {
    for (bool serpentine : {false, true}) {
      for (bool sixteen : {false, true}) {
        SCOPED_TRACE(testing::Message() << "kernel " << kernel << " serpentine " << serpentine
                                        << (sixteen ? " 16-bit" : " 8-bit"));
        std::vector<uint8_t> got = source;
        std::vector<uint8_t> want = source;
        CodecStatus s =
            sixteen ? DitherImage16(ctx.get(), kernel, serpentine, got.data(), rows, width, pad)
                    : DitherImage8(ctx.get(), kernel, serpentine, got.data(), rows, width, pad);
        ASSERT_EQ(CodecStatus::kOk, s);
        PaletteContext* p = ctx.get();
        ReferenceDither(&want, rows, width, pad, kernel, serpentine, [&](uint32_t c) {
          return sixteen ? (c & 0xF8F8F8u) : NearestColour(p, c);
        });
        ASSERT_EQ(got, want);
      }
    }
  }
}

// Floyd-Steinberg left to right works on several rows at once, each one
// pixel behind the one above: every count of rows a group leaves over and
// rows shorter than the group, against the plain rules.
TEST(DitherTest, FloydSteinbergOnAnyNumberOfShortRows) {
  std::mt19937 rng(41);
  auto ctx = NewPalette();
  std::string table = SmallTable();
  ASSERT_EQ(CodecStatus::kOk,
            ReadColourTableFromText(ctx.get(), table.data(), table.size(), "s.tr"));
  for (int width : {1, 2, 3, 4, 5, 8, 33}) {
    for (int rows = 1; rows <= 9; ++rows) {
      const int pad = (4 - (width * 3) % 4) % 4;
      std::vector<uint8_t> source((static_cast<size_t>(width) * 3 + pad) * rows);
      for (auto& b : source) b = static_cast<uint8_t>(rng());
      for (bool sixteen : {false, true}) {
        SCOPED_TRACE(testing::Message() << width << " x " << rows << (sixteen ? " 16" : " 8"));
        std::vector<uint8_t> got = source;
        std::vector<uint8_t> want = source;
        ASSERT_EQ(CodecStatus::kOk,
                  sixteen ? DitherImage16(ctx.get(), 2, false, got.data(), rows, width, pad)
                          : DitherImage8(ctx.get(), 2, false, got.data(), rows, width, pad));
        PaletteContext* p = ctx.get();
        ReferenceDither(&want, rows, width, pad, 2, false, [&](uint32_t c) {
          return sixteen ? (c & 0xF8F8F8u) : NearestColour(p, c);
        });
        ASSERT_EQ(got, want);
      }
    }
  }
}

TEST(DitherTest, WideImagesAndKernelChanges) {
  // Wider than the programs' fixed error rows (1281 pixels), and the two
  // routines alternating kernels: each call must match a fresh context.
  std::mt19937 rng(37);
  const int width = 2000, rows = 3, pad = 0;
  std::vector<uint8_t> source(static_cast<size_t>(width) * 3 * rows);
  for (auto& b : source) b = static_cast<uint8_t>(rng());
  std::string table = SmallTable();
  auto shared = NewPalette();
  ASSERT_EQ(CodecStatus::kOk,
            ReadColourTableFromText(shared.get(), table.data(), table.size(), "s"));
  struct Step {
    bool sixteen;
    int kernel;
  };
  for (Step step : {Step{false, 2}, Step{true, 3}, Step{false, 2}, Step{true, 2}, Step{false, 7},
                    Step{true, 10}, Step{false, 2}}) {
    SCOPED_TRACE(testing::Message() << step.sixteen << " " << step.kernel);
    auto fresh = NewPalette();
    ASSERT_EQ(CodecStatus::kOk,
              ReadColourTableFromText(fresh.get(), table.data(), table.size(), "s"));
    std::vector<uint8_t> a = source, b = source;
    auto run = [&](PaletteContext* ctx, std::vector<uint8_t>* image) {
      return step.sixteen ? DitherImage16(ctx, step.kernel, false, image->data(), rows, width, pad)
                          : DitherImage8(ctx, step.kernel, false, image->data(), rows, width, pad);
    };
    ASSERT_EQ(CodecStatus::kOk, run(shared.get(), &a));
    ASSERT_EQ(CodecStatus::kOk, run(fresh.get(), &b));
    ASSERT_EQ(a, b);
  }
}

TEST(DitherTest, RefusesWhatItCannotDo) {
  auto ctx = NewPalette();
  std::vector<uint8_t> image(12, 100);
  EXPECT_EQ(CodecStatus::kBadArgument, DitherImage8(ctx.get(), 2, false, image.data(), 1, 4, 0));
  EXPECT_NE(std::string(ctx->error.message).find("No colour table"), std::string::npos);
  EXPECT_EQ(CodecStatus::kBadArgument, DitherImage16(ctx.get(), 16, false, image.data(), 1, 4, 0));
  EXPECT_EQ(CodecStatus::kBadArgument, DitherImage16(ctx.get(), -1, false, image.data(), 1, 4, 0));
  EXPECT_EQ(CodecStatus::kBadArgument, MapImageToPalette(ctx.get(), image.data(), 1, 4, 0));
}

}  // namespace
