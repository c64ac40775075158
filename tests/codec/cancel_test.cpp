// The caller's cancel flag: decoding, scaling and colour reduction end with
// kStopped at the next piece or row once it is set, and a flag that stays
// clear changes nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "codec/codec.h"
#include "sample_art.h"

namespace {

std::unique_ptr<CodecContext> NewContext(const CodecOptions& options = CodecOptions()) {
  std::unique_ptr<CodecContext> ctx(new CodecContext);
  InitCodecContext(ctx.get(), options);
  return ctx;
}

const char kTable[] = "0 0 0 - 0\n255 0 0 - 1\n0 255 0 - 2\n0 0 255 - 4\n255 255 255 - 7\n";

void ExpectStopped(const CodecContext& ctx, CodecStatus status) {
  EXPECT_EQ(status, CodecStatus::kStopped);
  EXPECT_EQ(ctx.error.status, CodecStatus::kStopped);
  EXPECT_STREQ(ctx.error.message, "Stopped");
}

TEST(CodecCancel, ASetFlagStopsEachLongOperationAtItsStart) {
  const std::vector<uint8_t> file = EncodeSampleArt(192, 144, 4);
  auto ctx = NewContext();
  WaveletPtr art;
  ASSERT_EQ(CodecStatus::kOk,
            ReadWaveletFromMemory(ctx.get(), file.data(), file.size(), "a.art", false, &art));
  std::atomic<bool> stop{true};
  ctx->cancel = &stop;
  EXPECT_EQ(ctx->palette.cancel, &stop) << "one flag for the whole codec";

  ByteBuffer decoded;
  ExpectStopped(*ctx, DecodeWavelet(ctx.get(), *art, &decoded));
  ScaledImage scaled;
  ExpectStopped(*ctx, FilterScaleImage(ctx.get(), nullptr, 0, art.get(), 400, 300, -1, &scaled));
  std::vector<uint8_t> target(1 << 20);
  ExpectStopped(*ctx, FilterScaleImage(ctx.get(), target.data(), target.size(), art.get(), 400, 300,
                                       -1, &scaled));

  ASSERT_EQ(CodecStatus::kOk,
            ReadColourTableFromText(&ctx->palette, kTable, sizeof kTable - 1, "t"));
  std::vector<uint8_t> image(64 * 3 * 10, 77);
  const std::vector<uint8_t> before = image;
  ExpectStopped(*ctx, DitherImage8(&ctx->palette, 2, false, image.data(), 10, 64, 0));
  ExpectStopped(*ctx, DitherImage16(&ctx->palette, 2, false, image.data(), 10, 64, 0));
  ExpectStopped(*ctx, MapImageToPalette(&ctx->palette, image.data(), 10, 64, 0));
  EXPECT_EQ(image, before) << "no row was touched";
}

TEST(CodecCancel, AClearFlagChangesNothing) {
  const std::vector<uint8_t> file = EncodeSampleArt(192, 144, 4);
  std::vector<uint8_t> results[2];
  for (int withFlag = 0; withFlag < 2; ++withFlag) {
    auto ctx = NewContext();
    std::atomic<bool> stop{false};
    if (withFlag) ctx->cancel = &stop;
    ctx->displayBitsPerPixel = 8;
    ASSERT_EQ(CodecStatus::kOk,
              ReadColourTableFromText(&ctx->palette, kTable, sizeof kTable - 1, "t"));
    WaveletPtr art;
    ASSERT_EQ(CodecStatus::kOk,
              ReadWaveletFromMemory(ctx.get(), file.data(), file.size(), "a.art", false, &art));
    ScaledImage scaled;
    ASSERT_EQ(CodecStatus::kOk,
              FilterScaleImage(ctx.get(), nullptr, 0, art.get(), 333, 250, -1, &scaled));
    results[withFlag].assign(scaled.pixels, scaled.pixels + scaled.stride * 250);
  }
  EXPECT_TRUE(results[0] == results[1]);
}

// Set from inside the work: the flag is raised where the operation is
// known to be under way, and the next check ends it.
std::atomic<bool> g_stop{false};

void StopOnDeltas(const char* line) {
  if (std::strcmp(line, "MakeDeltas\n") == 0) g_stop = true;
}

TEST(CodecCancel, AStopDuringTheColourReductionEndsItBeforeTheNextRow) {
  const std::vector<uint8_t> file = EncodeSampleArt(192, 144, 4);
  CodecOptions options;
  options.trace = StopOnDeltas;  // the reduction builds its tables first
  auto ctx = NewContext(options);
  g_stop = false;
  ctx->cancel = &g_stop;
  ctx->displayBitsPerPixel = 8;
  ASSERT_EQ(CodecStatus::kOk,
            ReadColourTableFromText(&ctx->palette, kTable, sizeof kTable - 1, "t"));
  WaveletPtr art;
  ASSERT_EQ(CodecStatus::kOk,
            ReadWaveletFromMemory(ctx.get(), file.data(), file.size(), "a.art", false, &art));
  ScaledImage scaled;
  ExpectStopped(*ctx, FilterScaleImage(ctx.get(), nullptr, 0, art.get(), 333, 250, -1, &scaled));
  EXPECT_TRUE(g_stop);

  // The scaled rows are there, none of them reduced to the five colours.
  auto plain = NewContext();
  ScaledImage unreduced;
  ASSERT_EQ(CodecStatus::kOk,
            FilterScaleImage(plain.get(), nullptr, 0, art.get(), 333, 250, -1, &unreduced));
  ASSERT_NE(scaled.pixels, nullptr);
  EXPECT_EQ(0, std::memcmp(scaled.pixels, unreduced.pixels, unreduced.stride * 250));
}

struct StopAtAllocation {
  std::atomic<bool>* flag;
  int countdown;
};

bool StopAfterAllocations(size_t, void* user) {
  auto* s = static_cast<StopAtAllocation*>(user);
  if (--s->countdown == 0) *s->flag = true;
  return true;
}

TEST(CodecCancel, AStopDuringTheDecodeEndsItBeforeTheNextPiece) {
  const std::vector<uint8_t> file = EncodeSampleArt(192, 144, 4);
  auto ctx = NewContext();
  WaveletPtr art;
  ASSERT_EQ(CodecStatus::kOk,
            ReadWaveletFromMemory(ctx.get(), file.data(), file.size(), "a.art", false, &art));
  std::atomic<bool> stop{false};
  ctx->cancel = &stop;
  // The decode allocates the output, the stream it checks, then the
  // coefficients of a piece: raised at that last one, the flag is seen
  // before the first piece is decoded.
  ByteBuffer image;
  StopAtAllocation at{&stop, 3};
  SetAllocationHook(StopAfterAllocations, &at);
  const CodecStatus status = DecodeWavelet(ctx.get(), *art, &image);
  SetAllocationHook(nullptr, nullptr);
  ExpectStopped(*ctx, status);
  EXPECT_TRUE(stop);

  stop = false;
  ASSERT_EQ(CodecStatus::kOk, DecodeWavelet(ctx.get(), *art, &image)) << "decodes again after";
}

}  // namespace
