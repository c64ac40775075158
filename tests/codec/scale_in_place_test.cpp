// FilterScaleImage into a caller's target: the art decoded at the target's
// end and both passes run inside the target, with no buffer of the image's
// size besides it, giving the very bytes of a scaling into a fresh buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "codec/art_format.h"
#include "codec/codec.h"
#include "codec/d4_synthesis.h"
#include "sample_art.h"

namespace {

std::unique_ptr<CodecContext> NewContext() {
  std::unique_ptr<CodecContext> ctx(new CodecContext);
  InitCodecContext(ctx.get());
  return ctx;
}

// The largest single allocation made while the hook is installed.
size_t g_largest = 0;
bool RecordLargest(size_t bytes, void*) {
  g_largest = std::max(g_largest, bytes);
  return true;
}

struct InPlaceRun {
  std::vector<uint8_t> bytes;  // the result, stride x dh
  size_t largestAllocation = 0;
  bool guardsIntact = true;
};

// Scales into a target of targetSize bytes with guard bytes on both sides.
InPlaceRun ScaleIntoTarget(CodecContext* ctx, WaveletImage* art, int dw, int dh,
                           size_t targetSize) {
  constexpr size_t kGuard = 4096;
  std::vector<uint8_t> buffer(targetSize + 2 * kGuard, 0xA5);
  uint8_t* target = buffer.data() + kGuard;
  InPlaceRun run;
  ScaledImage result;
  g_largest = 0;
  SetAllocationHook(RecordLargest, nullptr);
  const CodecStatus status = FilterScaleImage(ctx, target, targetSize, art, dw, dh, -1, &result);
  SetAllocationHook(nullptr, nullptr);
  EXPECT_EQ(status, CodecStatus::kOk) << ctx->error.message;
  if (status != CodecStatus::kOk) return run;
  EXPECT_EQ(result.pixels, target);
  run.largestAllocation = g_largest;
  run.bytes.assign(result.pixels, result.pixels + result.stride * static_cast<size_t>(dh));
  for (size_t i = 0; i < kGuard; ++i) {
    if (buffer[i] != 0xA5 || buffer[kGuard + targetSize + i] != 0xA5) run.guardsIntact = false;
  }
  return run;
}

std::vector<uint8_t> ScaleApart(CodecContext* ctx, WaveletImage* art, int dw, int dh) {
  ScaledImage result;
  EXPECT_EQ(CodecStatus::kOk, FilterScaleImage(ctx, nullptr, 0, art, dw, dh, -1, &result));
  return std::vector<uint8_t>(result.pixels,
                              result.pixels + result.stride * static_cast<size_t>(dh));
}

size_t SectionSize(int dw, int dh) {
  return std::max(RowStride(dw) * static_cast<size_t>(dh), size_t{1} << 20);
}

TEST(ScaleInPlace, ScreenSizesGiveTheSameBytesWithoutAnImageSizedBuffer) {
  const std::vector<uint8_t> file = EncodeSampleArt(576, 432, 4, 80);
  auto ctx = NewContext();
  WaveletPtr art;
  ASSERT_EQ(CodecStatus::kOk,
            ReadWaveletFromMemory(ctx.get(), file.data(), file.size(), "saver.art", false, &art));
  const size_t decodedBytes = static_cast<size_t>(art->header.imageSize);
  struct Size {
    int dw, dh;
  };
  // Screens up to 3840 x 2160, with and without row padding, and the odd
  // sizes just past the art's own.
  for (Size s : {Size{640, 480}, Size{800, 600}, Size{1024, 768}, Size{1366, 768}, Size{1280, 1024},
                 Size{1920, 1080}, Size{801, 601}, Size{577, 433}, Size{2560, 1440},
                 Size{3840, 2160}, Size{1000, 450}, Size{700, 2000}}) {
    SCOPED_TRACE(testing::Message() << s.dw << " x " << s.dh);
    const std::vector<uint8_t> want = ScaleApart(ctx.get(), art.get(), s.dw, s.dh);
    const InPlaceRun run =
        ScaleIntoTarget(ctx.get(), art.get(), s.dw, s.dh, SectionSize(s.dw, s.dh));
    EXPECT_TRUE(run.guardsIntact) << "written outside the target";
    EXPECT_TRUE(run.bytes == want) << "differs from scaling apart";
    // Decoding allocates its stream and one piece's coefficients; nothing
    // as large as the decoded art or the rows filtered across.
    EXPECT_LT(run.largestAllocation, decodedBytes);
    EXPECT_LT(run.largestAllocation, static_cast<size_t>(s.dw) * 3 * 432);
  }
}

std::vector<size_t> g_sizes;
bool RecordSize(size_t bytes, void*) {
  g_sizes.push_back(bytes);
  return true;
}

TEST(ScaleInPlace, TheDecoderWorksInTheBytesTheResultWillCover) {
  // The coefficients and synthesis planes go in the target before the
  // decoded art: no allocation of their sizes, and the same picture.
  const std::vector<uint8_t> file = EncodeSampleArt(576, 432, 4, 80);
  auto reference = NewContext();
  WaveletPtr art;
  ASSERT_EQ(CodecStatus::kOk, ReadWaveletFromMemory(reference.get(), file.data(), file.size(),
                                                    "saver.art", false, &art));
  ArtGeometry g;
  CodecError error;
  ASSERT_EQ(CodecStatus::kOk,
            DeriveArtGeometry(art->header, art->payload.size, "saver.art", &g, &error));
  const size_t planeBytes = SynthesisScratchCount(g.pieceSide) * sizeof(int32_t);
  for (int dw : {1024, 1920}) {
    const int dh = dw * 3 / 4;
    SCOPED_TRACE(testing::Message() << dw << " x " << dh);
    const std::vector<uint8_t> want = ScaleApart(reference.get(), art.get(), dw, dh);
    auto ctx = NewContext();  // no planes kept from an earlier decode
    std::vector<uint8_t> target(SectionSize(dw, dh), 0xA5);
    ScaledImage result;
    g_sizes.clear();
    SetAllocationHook(RecordSize, nullptr);
    const CodecStatus status =
        FilterScaleImage(ctx.get(), target.data(), target.size(), art.get(), dw, dh, -1, &result);
    SetAllocationHook(nullptr, nullptr);
    ASSERT_EQ(status, CodecStatus::kOk) << ctx->error.message;
    EXPECT_TRUE(std::equal(want.begin(), want.end(), result.pixels));
    EXPECT_EQ(std::count(g_sizes.begin(), g_sizes.end(), g.pieceBytes), 0);
    EXPECT_EQ(std::count(g_sizes.begin(), g_sizes.end(), planeBytes), 0);
  }
}

TEST(ScaleInPlace, TargetsWithoutRoomScaleApartWithTheSameBytes) {
  const std::vector<uint8_t> file = EncodeSampleArt(576, 432, 4, 80);
  auto ctx = NewContext();
  WaveletPtr art;
  ASSERT_EQ(CodecStatus::kOk,
            ReadWaveletFromMemory(ctx.get(), file.data(), file.size(), "saver.art", false, &art));
  struct Size {
    int dw, dh;
  };
  // Smaller than the art (the preview, small screens): the filtered rows or
  // the decoded art do not fit beside each other, so the passes use buffers
  // of their own; the target still gets exactly the same picture.
  for (Size s : {Size{152, 112}, Size{320, 240}, Size{576, 200}, Size{300, 432}, Size{575, 431},
                 Size{2000, 100}}) {
    SCOPED_TRACE(testing::Message() << s.dw << " x " << s.dh);
    const std::vector<uint8_t> want = ScaleApart(ctx.get(), art.get(), s.dw, s.dh);
    const size_t needed = std::max(std::max(static_cast<size_t>(s.dw) * s.dh * 3, size_t{1} << 20),
                                   RowStride(s.dw) * static_cast<size_t>(std::max(432, s.dh)));
    for (size_t size : {SectionSize(s.dw, s.dh), needed}) {
      const InPlaceRun run = ScaleIntoTarget(ctx.get(), art.get(), s.dw, s.dh, size);
      EXPECT_TRUE(run.guardsIntact) << "written outside the target";
      EXPECT_TRUE(run.bytes == want) << "differs from scaling apart";
    }
  }
}

TEST(ScaleInPlace, ManyShapesOfSmallArt) {
  // Arts and targets where the filtered rows come close to the decoded art
  // at the target's end: every result equals scaling apart, and nothing is
  // written outside the target.
  auto ctx = NewContext();
  struct Shape {
    int w, h;
  };
  for (Shape shape : {Shape{64, 48}, Shape{96, 72}, Shape{128, 96}, Shape{160, 120}}) {
    const int w = shape.w, h = shape.h;
    {
      const std::vector<uint8_t> file = EncodeSampleArt(w, h, 4);
      WaveletPtr art;
      ASSERT_EQ(CodecStatus::kOk, ReadWaveletFromMemory(ctx.get(), file.data(), file.size(),
                                                        "small.art", false, &art));
      for (int dw : {w + 1, 2 * w + 3, 641}) {
        for (int dh : {h + 1, 2 * h - 1, 500}) {
          SCOPED_TRACE(testing::Message() << w << " x " << h << " -> " << dw << " x " << dh);
          const std::vector<uint8_t> want = ScaleApart(ctx.get(), art.get(), dw, dh);
          const InPlaceRun run = ScaleIntoTarget(ctx.get(), art.get(), dw, dh, SectionSize(dw, dh));
          EXPECT_TRUE(run.guardsIntact);
          EXPECT_TRUE(run.bytes == want);
        }
      }
    }
  }
}

}  // namespace
