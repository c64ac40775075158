// What the largest files cost: the context's memory cap holds the largest
// art decoded and scaled to an 8K screen, a refused file costs at most
// 64 x its size + 16 MiB, and every charge goes back with its buffer.
// Memory is counted through the context's budget and the allocation hook,
// not timed.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "art_builder.h"
#include "codec/codec.h"
#include "codec_presets.h"

namespace {

constexpr uint64_t kMiB = 1 << 20;

std::unique_ptr<CodecContext> NewContext() {
  std::unique_ptr<CodecContext> ctx(new CodecContext);
  InitCodecContext(ctx.get(), SwitcherCodecOptions());
  return ctx;
}

// A picture of one grey whose coefficients are all zero: a two-leaf tree
// (bit 0: 0x5F, bit 1: 0xFF), every "0 1" a run of 8192 zero bytes. A few
// kilobytes make the largest picture the format allows.
std::vector<uint8_t> FlatArt(int pieces, int width, int height, int baseSize,
                             uint64_t runsMissing = 0) {
  ArtHeader h = TestHeader(pieces, width, height, baseSize, false);
  const uint64_t t = static_cast<uint64_t>(width / (pieces == 4 ? 2 : 1));
  const uint64_t needed = 4 * 3 * t * t * static_cast<uint64_t>(pieces);
  const uint64_t runs = (needed + 8191) / 8192 - runsMissing;
  for (int i = 0; i < 4; ++i) h.yOffset[i] = h.uOffset[i] = h.vOffset[i] = 512;
  TestBitWriter w;
  w.Put(1, 8);
  w.Put(0xFF, 9);
  w.Put(0x5F, 9);
  for (uint64_t i = 0; i < runs; ++i) {
    w.Put(0, 1);
    w.Put(1, 1);
  }
  std::vector<uint8_t> payload = w.Finish();
  payload.resize(payload.size() + 8, 0);
  h.packedSize = static_cast<int32_t>(2 * runs);
  return BuildArtFileWithPayload(h, payload);
}

// Adds up every allocation the codec asks for while it lives: more than
// any moment's live memory.
class AllocationSum {
 public:
  AllocationSum() { SetAllocationHook(&See, this); }
  ~AllocationSum() { SetAllocationHook(nullptr, nullptr); }
  AllocationSum(const AllocationSum&) = delete;
  AllocationSum& operator=(const AllocationSum&) = delete;
  uint64_t bytes() const { return bytes_; }

 private:
  static bool See(size_t bytes, void* user) {
    static_cast<AllocationSum*>(user)->bytes_ += bytes;
    return true;
  }
  uint64_t bytes_ = 0;
};

TEST(LimitsTest, TheLargestArtOnAn8KScreenStaysUnderTheCap) {
  auto ctx = NewContext();
  ctx->displayBitsPerPixel = 24;
  const std::vector<uint8_t> file = FlatArt(4, kMaxArtSide, kMaxArtSide, 1);
  ASSERT_LT(file.size(), 8000u);
  const uint64_t before = ctx->memory.live;
  {
    WaveletPtr art;
    ASSERT_EQ(CodecStatus::kOk,
              ReadWaveletFromMemory(ctx.get(), file.data(), file.size(), "flat.art", false, &art));
    ScaledImage scaled;
    ASSERT_EQ(CodecStatus::kOk,
              FilterScaleImage(ctx.get(), nullptr, 0, art.get(), 7680, 4320, -1, &scaled))
        << ctx->error.message;
    // 512 everywhere is clamp[128] = 131; the last row is black.
    EXPECT_EQ(scaled.pixels[0], 131);
    EXPECT_EQ(scaled.pixels[scaled.stride * 4319], 0);
    // Decoded picture 48 MiB, filtered rows 90 MiB, result 95 MiB, scratch
    // planes 16 MiB, and the payload.
    EXPECT_GT(ctx->memory.peak, 240 * kMiB);
    EXPECT_LE(ctx->memory.peak, 270 * kMiB);
    EXPECT_LE(ctx->memory.peak, kMaxContextMemory);
  }
  // Everything but the scratch planes the context keeps went back.
  EXPECT_EQ(ctx->memory.live, before + 2 * 8 * kMiB);
}

TEST(LimitsTest, TheCapRefusesWithAClearMessageAndLeavesNothingCharged) {
  auto ctx = NewContext();
  const std::vector<uint8_t> file = FlatArt(4, 2048, 2048, 1);
  WaveletPtr art;
  ASSERT_EQ(CodecStatus::kOk,
            ReadWaveletFromMemory(ctx.get(), file.data(), file.size(), "flat.art", false, &art));
  const uint64_t before = ctx->memory.live;
  ctx->memory.limit = 16 * kMiB;
  ScaledImage scaled;
  EXPECT_EQ(CodecStatus::kOutOfMemory,
            FilterScaleImage(ctx.get(), nullptr, 0, art.get(), 1024, 768, -1, &scaled));
  EXPECT_NE(std::string(ctx->error.message).find("needs more than 16 MiB"), std::string::npos)
      << ctx->error.message;
  EXPECT_EQ(ctx->memory.live, before);
  // With the cap back the same record decodes, and a plain failure of the
  // system still gets the program's own text.
  ctx->memory.limit = kMaxContextMemory;
  EXPECT_EQ(CodecStatus::kOk,
            FilterScaleImage(ctx.get(), nullptr, 0, art.get(), 1024, 768, -1, &scaled));
}

// Every way a small file claiming the largest picture can be refused, and
// what it may cost: the run-length stream (at most 8 bytes a payload byte)
// and the payload, never the picture.
TEST(LimitsTest, ARefusedFileCostsAtMost64TimesItsSizePlus16MiB) {
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    const char* message;
  };
  std::vector<Case> cases;
  cases.push_back(
      {"stream one run short", FlatArt(4, kMaxArtSide, kMaxArtSide, 1, 1), "ends after"});
  cases.push_back(
      {"stream of a few runs", FlatArt(1, kMaxPieceSide, kMaxPieceSide, 1, 1500), "ends after"});
  {
    std::vector<uint8_t> file = FlatArt(4, kMaxArtSide, kMaxArtSide, 1);
    file[kArtHeaderSize] = 0;  // no nodes
    cases.push_back({"no Huffman tree", file, "Huffman"});
  }
  {
    std::vector<uint8_t> file = FlatArt(4, kMaxArtSide, kMaxArtSide, 1);
    ArtHeader h;
    ParseArtHeader(file.data(), &h);
    h.packedSize = static_cast<int32_t>(8 * (file.size() - kArtHeaderSize) + 1);
    SerializeArtHeader(h, file.data());
    cases.push_back({"packed size beyond the payload", file, "packed size"});
  }
  {
    std::vector<uint8_t> file = FlatArt(1, kMaxArtSide, kMaxArtSide, 1);
    cases.push_back({"piece beyond 2048", file, "at most 2048"});
  }
  {
    std::vector<uint8_t> file(kMaxArtFileSize + 1, 0);
    std::vector<uint8_t> art = FlatArt(1, 64, 64, 1);
    std::memcpy(file.data(), art.data(), art.size());
    cases.push_back({"file beyond 8 MiB", file, "too large"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto ctx = NewContext();
    AllocationSum sum;
    WaveletPtr art;
    EXPECT_EQ(CodecStatus::kBadData, ReadWaveletFromMemory(ctx.get(), c.file.data(), c.file.size(),
                                                           "bad.art", true, &art));
    EXPECT_NE(std::string(ctx->error.message).find(c.message), std::string::npos)
        << ctx->error.message;
    EXPECT_LE(sum.bytes(), 64 * c.file.size() + 16 * kMiB);
  }
}

// A picture one row high cannot be filtered: that is known from its header,
// so it is refused before it costs its 48 MiB of coefficients.
TEST(LimitsTest, APictureTooSmallToFilterIsRefusedBeforeItIsDecoded) {
  auto ctx = NewContext();
  const std::vector<uint8_t> file = FlatArt(1, kMaxPieceSide, 1, 1);
  WaveletPtr art;
  ASSERT_EQ(CodecStatus::kOk,
            ReadWaveletFromMemory(ctx.get(), file.data(), file.size(), "row.art", false, &art));
  AllocationSum sum;
  ScaledImage scaled;
  EXPECT_EQ(CodecStatus::kBadArgument,
            FilterScaleImage(ctx.get(), nullptr, 0, art.get(), 640, 480, -1, &scaled));
  EXPECT_NE(std::string(ctx->error.message).find("too small to filter"), std::string::npos);
  EXPECT_EQ(sum.bytes(), 0u);
}

// Colours beyond the clamp table come only from corrupt data; such a file
// decodes, its values saturated, rather than being refused after the
// picture's memory was taken.
TEST(LimitsTest, ColoursBeyondTheTableDecodeSaturated) {
  auto ctx = NewContext();
  ArtHeader h = TestHeader(1, 2, 2, 2, false);
  h.yOffset[0] = 100000;
  h.uOffset[0] = h.vOffset[0] = 512;
  const std::vector<uint8_t> file = BuildArtFile(h, {0x40, 0x2F});
  WaveletPtr art;
  ASSERT_EQ(CodecStatus::kOk,
            ReadWaveletFromMemory(ctx.get(), file.data(), file.size(), "hot.art", true, &art))
      << ctx->error.message;
  for (int i = 0; i < 12; ++i) EXPECT_EQ(art->pixels.data()[i], 255) << i;
}

}  // namespace
