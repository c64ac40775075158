// The decoder on hand-built files: piece placement, runs carried across
// pieces, the seam of 4-piece art by the options, and damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "allocation_watch.h"
#include "art_builder.h"
#include "codec_presets.h"
#include "codec/art_encoder.h"
#include "codec/codec.h"
#include "codec/art_format.h"
#include "reference.h"
#include "sample_art.h"
#include "sample_picture.h"

namespace {

std::unique_ptr<CodecContext> NewContext(const CodecOptions& options = CodecOptions()) {
  std::unique_ptr<CodecContext> ctx(new CodecContext);
  InitCodecContext(ctx.get(), options);
  return ctx;
}

CodecStatus DecodeBytes(CodecContext* ctx, const std::vector<uint8_t>& file, WaveletPtr* art,
                        const char* name = "test.art") {
  return ReadWaveletFromMemory(ctx, file.data(), file.size(), name, true, art);
}

std::vector<uint8_t> Pixel(const WaveletPtr& art, int x, int y) {
  const uint8_t* p = art->pixels.data() + (static_cast<size_t>(y) * art->header.width + x) * 3;
  return {p[0], p[1], p[2]};
}

std::vector<uint8_t> Expected(int64_t y, int64_t u, int64_t v) {
  uint8_t bgr[3];
  ReferenceConvert(y, u, v, bgr);
  return {bgr[0], bgr[1], bgr[2]};
}

TEST(DecoderTest, FlatOnePieceWithoutTransform) {
  // T = 2 = base, full chroma: P = 4 (4 + 2 x 4) = 48 zero bytes.
  ArtHeader h = TestHeader(1, 2, 2, 2, false);
  h.yOffset[0] = h.uOffset[0] = h.vOffset[0] = 512;
  auto ctx = NewContext();
  WaveletPtr art;
  ASSERT_EQ(CodecStatus::kOk, DecodeBytes(ctx.get(), BuildArtFile(h, {0x40, 0x2F}), &art))
      << ctx->error.message;
  EXPECT_EQ(art->decoded, 1);
  ASSERT_EQ(art->pixels.size, 12u + kDecodeSlack);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(art->pixels.data()[i], 131) << i;
}

TEST(DecoderTest, OnePieceCopiesOnlyItsHeight) {
  ArtHeader h = TestHeader(1, 2, 1, 2, false);
  h.yOffset[0] = h.uOffset[0] = h.vOffset[0] = 512;
  auto ctx = NewContext();
  WaveletPtr art;
  ASSERT_EQ(CodecStatus::kOk, DecodeBytes(ctx.get(), BuildArtFile(h, {0x40, 0x2F}), &art));
  EXPECT_EQ(Pixel(art, 1, 0), (std::vector<uint8_t>{131, 131, 131}));
  for (size_t i = 6; i < art->pixels.size; ++i) ASSERT_EQ(art->pixels.data()[i], 0) << i;
}

TEST(DecoderTest, OneLevelOfTransform) {
  // Luma [LL 1024, 0, 0, 0] from base 1 gives 511 everywhere; yOffset 1
  // makes Y' = 512 and zero chroma with offsets 512 gives grey 131.
  ArtHeader h = TestHeader(1, 2, 2, 1, false);
  h.yOffset[0] = 1;
  h.uOffset[0] = h.vOffset[0] = 512;
  std::vector<int32_t> coefficients(12, 0);
  coefficients[0] = 1024;
  auto ctx = NewContext();
  WaveletPtr art;
  ASSERT_EQ(CodecStatus::kOk,
            DecodeBytes(ctx.get(), BuildArtFile(h, SimpleRunLength(CoefficientBytes(coefficients))),
                        &art))
      << ctx->error.message;
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 2; ++x) EXPECT_EQ(Pixel(art, x, y), (std::vector<uint8_t>{131, 131, 131}));
  }
}

// A 4-piece art of T = 4 (8 x 6 pixels, bottom pieces show 2 rows) without
// transform, luma varying by column so the seam shows.
struct FourPieceArt {
  std::vector<uint8_t> file;
  int32_t luma(int piece, int x) const { return 300 + 40 * piece + 16 * x; }
};

FourPieceArt MakeFourPieceArt() {
  FourPieceArt art;
  ArtHeader h = TestHeader(4, 8, 6, 4, false);
  std::vector<int32_t> coefficients;
  for (int i = 0; i < 4; ++i) {
    h.yOffset[i] = 0;
    h.uOffset[i] = 500 + i;
    h.vOffset[i] = 520 - i;
    for (int r = 0; r < 4; ++r) {
      for (int x = 0; x < 4; ++x) coefficients.push_back(art.luma(i, x) + r);
    }
    coefficients.insert(coefficients.end(), 32, 0);  // U and V planes
  }
  art.file = BuildArtFile(h, SimpleRunLength(CoefficientBytes(coefficients)));
  return art;
}

TEST(DecoderTest, FourPiecesArePlacedAndTheSeamSmoothed) {
  const FourPieceArt built = MakeFourPieceArt();
  for (bool saver : {false, true}) {
    SCOPED_TRACE(saver ? "screen saver" : "switcher");
    auto ctx = NewContext(saver ? ScreenSaverCodecOptions(nullptr) : SwitcherCodecOptions());
    WaveletPtr art;
    ASSERT_EQ(CodecStatus::kOk, DecodeBytes(ctx.get(), built.file, &art)) << ctx->error.message;
    ASSERT_EQ(art->header.width, 8);  // stored 4 x 3, doubled
    ASSERT_EQ(art->header.height, 6);
    for (int y = 0; y < 6; ++y) {
      for (int x = 0; x < 8; ++x) {
        if (x == 4) continue;
        int piece = (y < 4 ? 0 : 2) + (x < 4 ? 0 : 1);
        int r = y < 4 ? y : y - 4;
        SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
        EXPECT_EQ(Pixel(art, x, y),
                  Expected(built.luma(piece, x % 4) + r, 500 + piece, 520 - piece));
      }
      // Column 4 (= width / 2, also in the saver for art narrower than 290)
      // is the mean of columns 3 and 5.
      std::vector<uint8_t> left = Pixel(art, 3, y), right = Pixel(art, 5, y),
                           mid = Pixel(art, 4, y);
      for (int c = 0; c < 3; ++c) EXPECT_EQ(mid[c], (left[c] + right[c]) / 2) << "row " << y;
    }
  }
}

// The screen saver's preset smooths column 288 (the seam of its 576-pixel
// arts), any other the true seam; a column without a right neighbour falls
// back to the seam.
TEST(DecoderTest, TheSeamColumnComesFromTheOptions) {
  // 300 x 200 in 4 pieces of 150, no transform; piece 1's luma ramps so
  // that columns 150, 288 and 290 differ from the mean of their neighbours.
  ArtHeader h = TestHeader(4, 300, 200, 150, false);
  std::vector<int32_t> coefficients;
  const size_t plane = 150 * 150;
  for (int i = 0; i < 4; ++i) {
    h.uOffset[i] = h.vOffset[i] = 512;
    h.yOffset[i] = 400;
    for (size_t k = 0; k < plane; ++k) {
      int x = static_cast<int>(k % 150);
      coefficients.push_back(i == 1 ? (x * x % 13) * 19 : 0);
    }
    coefficients.insert(coefficients.end(), 2 * plane, 0);
  }
  std::vector<uint8_t> file = BuildArtFile(h, SimpleRunLength(CoefficientBytes(coefficients)));
  auto luma = [](int x) { return 400 + (x >= 150 ? ((x - 150) * (x - 150) % 13) * 19 : 0); };
  auto raw = [&](int x) { return Expected(luma(x), 512, 512); };
  auto mean = [&](int x) {
    std::vector<uint8_t> a = raw(x - 1), b = raw(x + 1), m(3);
    for (int c = 0; c < 3; ++c) m[c] = static_cast<uint8_t>((a[c] + b[c]) / 2);
    return m;
  };
  ASSERT_NE(raw(288), mean(288));
  ASSERT_NE(raw(150), mean(150));
  ASSERT_NE(raw(290), mean(290));
  struct Case {
    CodecOptions options;
    int smoothed, untouched;
  };
  CodecOptions column290, column299;
  column290.seamColumn = 290;
  column299.seamColumn = 299;
  for (const Case& c :
       {Case{SwitcherCodecOptions(), 150, 288}, Case{ScreenSaverCodecOptions(nullptr), 288, 150},
        Case{CodecOptions(), 150, 288}, Case{column290, 290, 150}, Case{column299, 150, 288}}) {
    SCOPED_TRACE(c.smoothed);
    auto ctx = NewContext(c.options);
    WaveletPtr art;
    ASSERT_EQ(CodecStatus::kOk, DecodeBytes(ctx.get(), file, &art)) << ctx->error.message;
    for (int y : {0, 77, 149}) {  // piece 1's rows
      EXPECT_EQ(Pixel(art, c.smoothed, y), mean(c.smoothed)) << y;
      EXPECT_EQ(Pixel(art, c.untouched, y), raw(c.untouched)) << y;
    }
    for (int y : {150, 199}) {  // piece 3 is flat: smoothing changes nothing
      EXPECT_EQ(Pixel(art, c.smoothed, y), Expected(400, 512, 512)) << y;
    }
  }
}

TEST(DecoderTest, OneRunFeedsEveryPiece) {
  // T = 4: P = 192 bytes; one code makes 768 zeros for all four pieces, each
  // of which starts inside the run the previous piece ended in.
  ArtHeader h = TestHeader(4, 8, 6, 4, false);
  for (int i = 0; i < 4; ++i) {
    h.yOffset[i] = 400 + 50 * i;
    h.uOffset[i] = 512;
    h.vOffset[i] = 512 - 10 * i;
  }
  auto ctx = NewContext();
  WaveletPtr art;
  ASSERT_EQ(CodecStatus::kOk, DecodeBytes(ctx.get(), BuildArtFile(h, {0x42, 0xFF}), &art))
      << ctx->error.message;
  EXPECT_EQ(Pixel(art, 0, 0), Expected(400, 512, 512));
  EXPECT_EQ(Pixel(art, 7, 3), Expected(450, 512, 502));
  EXPECT_EQ(Pixel(art, 0, 5), Expected(500, 512, 492));
  EXPECT_EQ(Pixel(art, 7, 4), Expected(550, 512, 482));
}

TEST(DecoderTest, DecodingAgainGivesTheSameImage) {
  const FourPieceArt built = MakeFourPieceArt();
  auto ctx = NewContext();
  WaveletPtr art;
  ASSERT_EQ(CodecStatus::kOk, DecodeBytes(ctx.get(), built.file, &art));
  std::vector<uint8_t> target(art->header.imageSize + 16, 0xEE);
  ASSERT_EQ(CodecStatus::kOk, DecodeWavelet(ctx.get(), *art, target.data(), target.size()));
  EXPECT_EQ(0, std::memcmp(target.data(), art->pixels.data(), art->header.imageSize));
  EXPECT_EQ(target[art->header.imageSize], 0xEE);  // nothing written past the image
  ByteBuffer again;
  ASSERT_EQ(CodecStatus::kOk, DecodeWavelet(ctx.get(), *art, &again));
  EXPECT_EQ(0, std::memcmp(again.data(), art->pixels.data(), art->header.imageSize));
  EXPECT_EQ(CodecStatus::kBadArgument,
            DecodeWavelet(ctx.get(), *art, target.data(), art->header.imageSize - 1));
}

// Room lent to the decoder: whatever fits of the piece's coefficients and
// the two synthesis planes is taken from it, the rest allocated; the image
// is the same, and so are the bytes next to the room and the image.
TEST(DecoderTest, RoomLentForTheWorkingPlanesGivesTheSameImage) {
  struct Art {
    int width, height, pieces;
  };
  for (Art a : {Art{96, 64, 1}, Art{200, 150, 4}, Art{576, 432, 4}}) {
    SCOPED_TRACE(testing::Message() << a.width << " x " << a.height << ", " << a.pieces);
    const std::vector<uint8_t> file = EncodeSampleArt(a.width, a.height, a.pieces);
    auto reference = NewContext();
    WaveletPtr art;
    ASSERT_EQ(CodecStatus::kOk, ReadWaveletFromMemory(reference.get(), file.data(), file.size(),
                                                      "room.art", false, &art));
    ByteBuffer want;
    ASSERT_EQ(CodecStatus::kOk, DecodeWavelet(reference.get(), *art, &want));
    ArtGeometry g;
    CodecError error;
    ASSERT_EQ(CodecStatus::kOk,
              DeriveArtGeometry(art->header, art->payload.size, "room.art", &g, &error));
    const size_t coefficientBytes = g.pieceBytes;
    const size_t planeBytes = SynthesisScratchCount(g.pieceSide) * sizeof(int32_t);
    const size_t imageBytes = static_cast<size_t>(art->header.imageSize);
    int allocationsWithoutRoom = -1;
    // The room starts 16 bytes past a multiple of 64; each plane taken from
    // it starts at the next multiple of 64. How many planes a room of that
    // size lends: the coefficients, then both synthesis planes or neither.
    auto planesLent = [&](size_t roomBytes) {
      size_t at = 16, left = roomBytes;
      auto take = [&](size_t bytes) {
        const size_t skip = (64 - at % 64) % 64;
        if (left < skip + bytes) return false;
        at += skip + bytes;
        left -= skip + bytes;
        return true;
      };
      const int coefficients = take(coefficientBytes) ? 1 : 0;
      return coefficients + (take(planeBytes) && take(planeBytes) ? 2 : 0);
    };
    constexpr size_t kSkip = 48;
    for (size_t roomBytes :
         {size_t{0}, coefficientBytes - 1, coefficientBytes, coefficientBytes + kSkip - 1,
          coefficientBytes + kSkip, coefficientBytes + planeBytes + kSkip,
          coefficientBytes + 2 * planeBytes + kSkip - 1, coefficientBytes + 2 * planeBytes + 128,
          size_t{4} << 20}) {
      SCOPED_TRACE(testing::Message() << "room of " << roomBytes << " bytes");
      constexpr size_t kGuard = 256;
      std::vector<uint8_t> buffer(2 * kGuard + 64 + roomBytes + imageBytes, 0x5A);
      const uintptr_t start = reinterpret_cast<uintptr_t>(buffer.data()) + kGuard;
      uint8_t* room = buffer.data() + kGuard + (64 - start % 64) % 64 + 16;
      uint8_t* image = room + roomBytes + kGuard;
      auto ctx = NewContext();  // no planes kept from an earlier decode
      AllocationWatch watch;
      ASSERT_EQ(CodecStatus::kOk,
                DecodeWavelet(ctx.get(), *art, image, imageBytes, DecodeRoom{room, roomBytes}))
          << ctx->error.message;
      EXPECT_EQ(0, std::memcmp(image, want.data(), imageBytes));
      for (uint8_t* p = buffer.data(); p < room; ++p) ASSERT_EQ(*p, 0x5A) << "before the room";
      for (size_t i = 0; i < kGuard; ++i) {
        ASSERT_EQ(room[roomBytes + i], 0x5A) << "between the room and the image";
      }
      // Each plane taken from the room is one allocation fewer.
      if (allocationsWithoutRoom < 0) allocationsWithoutRoom = watch.count();
      EXPECT_EQ(watch.count(), allocationsWithoutRoom - planesLent(roomBytes));
    }
  }
}

TEST(DecoderTest, RoomOverlappingTheImageIsRefused) {
  const std::vector<uint8_t> file = EncodeSampleArt(64, 48, 1);
  auto ctx = NewContext();
  WaveletPtr art;
  ASSERT_EQ(CodecStatus::kOk,
            ReadWaveletFromMemory(ctx.get(), file.data(), file.size(), "room.art", false, &art));
  const size_t imageBytes = static_cast<size_t>(art->header.imageSize);
  std::vector<uint8_t> buffer(3 * imageBytes);
  uint8_t* image = buffer.data() + imageBytes;
  EXPECT_EQ(CodecStatus::kBadArgument,
            DecodeWavelet(ctx.get(), *art, image, imageBytes, DecodeRoom{image - 8, 16}));
  EXPECT_EQ(CodecStatus::kBadArgument, DecodeWavelet(ctx.get(), *art, image, imageBytes,
                                                     DecodeRoom{image + imageBytes - 1, 64}));
  EXPECT_EQ(CodecStatus::kOk, DecodeWavelet(ctx.get(), *art, image, imageBytes,
                                            DecodeRoom{buffer.data(), imageBytes}))
      << ctx->error.message;
  EXPECT_EQ(CodecStatus::kOk, DecodeWavelet(ctx.get(), *art, image, imageBytes,
                                            DecodeRoom{image + imageBytes, imageBytes}))
      << ctx->error.message;
}

TEST(DecoderTest, ReadsFilesAndNamesTheMissingOne) {
  std::string dir = MakeTempDirectory();
  std::string path = dir + "/four.art";
  WriteBytes(path, MakeFourPieceArt().file);
  auto ctx = NewContext();
  WaveletPtr art;
  ASSERT_EQ(CodecStatus::kOk, ReadWavelet(ctx.get(), path.c_str(), false, &art));
  EXPECT_EQ(art->decoded, 0);
  EXPECT_STREQ(art->fileName, path.c_str());
  EXPECT_EQ(art->payloadSize, static_cast<int32_t>(MakeFourPieceArt().file.size() - 108));
  EXPECT_EQ(0, ReleaseWavelet(art.release()));
  std::string missing = dir + "/missing.art";
  EXPECT_EQ(CodecStatus::kCannotOpen, ReadWavelet(ctx.get(), missing.c_str(), true, &art));
  EXPECT_EQ(std::string(ctx->error.message),
            "File " + missing + " could not be opened: EXITING\r\n");
  EXPECT_STREQ(ctx->error.module, "D42SAVE");
  EXPECT_FALSE(art);
}

TEST(DecoderTest, DamagedFilesAreReportedNotDecoded) {
  ArtHeader flat = TestHeader(1, 2, 2, 2, false);
  flat.yOffset[0] = flat.uOffset[0] = flat.vOffset[0] = 512;
  const std::vector<uint8_t> good = BuildArtFile(flat, {0x40, 0x2F});
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    CodecStatus status;
    const char* message;
  };
  std::vector<Case> cases;
  cases.push_back({"empty file", {}, CodecStatus::kBadData, "too short"});
  cases.push_back({"header cut", std::vector<uint8_t>(good.begin(), good.begin() + 60),
                   CodecStatus::kBadData, "too short"});
  cases.push_back({"payload cut inside the tree",
                   std::vector<uint8_t>(good.begin(), good.begin() + 300), CodecStatus::kBadData,
                   "Huffman tree"});
  ArtHeader h = flat;
  h.pieces = 7;
  cases.push_back({"pieces 7", BuildArtFile(h, {0x40, 0x2F}), CodecStatus::kBadData,
                   "wavelet pieces has illegal value: 7"});
  h = TestHeader(4, 8, 6, 4, false);
  h.pieces = 16;
  cases.push_back({"16 pieces", BuildArtFile(h, {0x42, 0xFF}), CodecStatus::kUnsupported,
                   "16-piece art is not supported"});
  cases.push_back({"coefficients run out", BuildArtFile(flat, {0x40, 0x2E}), CodecStatus::kBadData,
                   "ends after 47 of 48"});
  cases.push_back({"literal past the stream", BuildArtFile(flat, {0x1F, 0xCF, 1, 2}),
                   CodecStatus::kBadData, "ends after"});
  cases.push_back({"long run without its count", BuildArtFile(flat, {0x1F, 0x40}),
                   CodecStatus::kBadData, "ends after"});
  h = flat;
  h.imageSize = 13;
  cases.push_back(
      {"image size", BuildArtFile(h, {0x40, 0x2F}), CodecStatus::kBadData, "image size"});
  cases.push_back({"packed size beyond the payload", BuildArtFile(flat, {0x40, 0x2F}, 100000),
                   CodecStatus::kBadData, "packed size"});
  {
    TestBitWriter w;
    WriteTree(&w, TestTree{{0x40, 256 + 2}, {0x2F, 0x2F}});
    std::vector<uint8_t> payload = w.Finish();
    payload.resize(payload.size() + 8, 0);
    ArtHeader hh = flat;
    hh.packedSize = 2;
    cases.push_back({"Huffman child outside", BuildArtFileWithPayload(hh, payload),
                     CodecStatus::kBadData, "outside"});
  }
  {
    TestBitWriter w;
    WriteTree(&w, TestTree{{256 + 1, 0x2F}, {256 + 0, 0x40}});
    std::vector<uint8_t> payload = w.Finish();
    payload.resize(payload.size() + 8, 0);
    ArtHeader hh = flat;
    hh.packedSize = 2;
    cases.push_back(
        {"Huffman loop", BuildArtFileWithPayload(hh, payload), CodecStatus::kBadData, "loops"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto ctx = NewContext();
    WaveletPtr art;
    EXPECT_EQ(c.status, DecodeBytes(ctx.get(), c.file, &art, "bad.art"));
    EXPECT_FALSE(art);
    std::string message = ctx->error.message;
    EXPECT_NE(message.find(c.message), std::string::npos) << message;
    if (message.find("wavelet pieces") == std::string::npos) {
      EXPECT_NE(message.find("bad.art"), std::string::npos) << message;
    }
  }
}

// Bytes of a payload behind a one-node tree whose both children are the
// code 0x1F (32 zeros): every bit of the payload makes 32 coefficient bytes.
std::vector<uint8_t> ZeroRunPayload(size_t bytes) {
  TestBitWriter w;
  WriteTree(&w, TestTree{{0x1F, 0x1F}});
  std::vector<uint8_t> payload = w.Finish();
  payload.resize(bytes, 0);
  return payload;
}

// Anything of a picture's size is allocated only once the streams are known
// to make the whole picture: a small file that claims a large one is refused
// with a footprint of its own size.
TEST(DecoderTest, ShortStreamsAreRefusedBeforeThePictureIsAllocated) {
  constexpr size_t kSmall = 64 * 1024;
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    const char* message;
  };
  std::vector<Case> cases;
  {
    // 208 bytes claiming 16384 x 16384 (stored 8192 x 8192) in 4 pieces.
    ArtHeader h = TestHeader(4, 16384, 16384, 1, true);
    h.packedSize = 800;
    cases.push_back({"16384 x 16384 in 208 bytes", BuildArtFileWithPayload(h, ZeroRunPayload(100)),
                     "bad size: 16384 x 16384"});
  }
  std::vector<uint8_t> zeros;  // 50 long runs of 8192 zeros
  for (int i = 0; i < 50; ++i) zeros.insert(zeros.end(), {0x5F, 0xFF});
  cases.push_back({"4096 x 4096, 4 pieces, halved chroma",
                   BuildArtFile(TestHeader(4, 4096, 4096, 1, true), zeros), "ends after"});
  cases.push_back({"4096 x 4096, 4 pieces, full chroma",
                   BuildArtFile(TestHeader(4, 4096, 4096, 8, false), zeros), "ends after"});
  cases.push_back({"2048 x 2048, 1 piece, full chroma",
                   BuildArtFile(TestHeader(1, 2048, 2048, 16, false), zeros), "ends after"});
  {
    ArtHeader h = TestHeader(4, 4096, 3000, 1, true);
    h.packedSize = 800;
    cases.push_back({"4096 x 3000 from a payload of zero runs",
                     BuildArtFileWithPayload(h, ZeroRunPayload(100)), "ends after"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_LT(c.file.size(), 1024u);
    auto ctx = NewContext();
    WaveletPtr art;
    {
      AllocationWatch watch;
      EXPECT_EQ(CodecStatus::kBadData, DecodeBytes(ctx.get(), c.file, &art, "big.art"));
      EXPECT_NE(std::string(ctx->error.message).find(c.message), std::string::npos)
          << ctx->error.message;
      EXPECT_LT(watch.largest(), kSmall);
    }
    // Records read without decoding fail the same way in every routine that
    // decodes them.
    if (ReadWaveletFromMemory(ctx.get(), c.file.data(), c.file.size(), "big.art", false, &art) !=
        CodecStatus::kOk) {
      continue;
    }
    AllocationWatch watch;
    ByteBuffer image;
    EXPECT_EQ(CodecStatus::kBadData, DecodeWavelet(ctx.get(), *art, &image));
    ScaledImage scaled;
    EXPECT_EQ(CodecStatus::kBadData,
              FilterScaleImage(ctx.get(), nullptr, 0, art.get(), 640, 480, -1, &scaled));
    EXPECT_EQ(CodecStatus::kBadData,
              NearestScaleImage(ctx.get(), nullptr, 0, art.get(), 320, 240, &scaled));
    EXPECT_LT(watch.largest(), kSmall);
  }
}

// A real art cut short anywhere is refused before its image or its
// coefficients are allocated: nothing larger than the file's own payload and
// run-length stream.
TEST(DecoderTest, TruncatedArtIsRefusedWithASmallFootprint) {
  Picture picture = MakeSamplePicture(512, 384);
  BgrImage image = {picture.bgr.data(), 512, 384, picture.stride()};
  EncodeOptions options;
  options.quality = 85;
  options.pieces = 4;
  ByteBuffer file;
  CodecError error;
  ASSERT_EQ(CodecStatus::kOk, EncodeWavelet(image, options, &file, nullptr, &error));
  ArtHeader header;
  ParseArtHeader(file.data(), &header);
  const size_t pieceBytes = 4 * (256 * 256 + 2 * 128 * 128);
  ASSERT_LT(static_cast<size_t>(header.packedSize), pieceBytes);
  auto ctx = NewContext();
  int refused = 0;
  for (size_t cut = kArtHeaderSize + 1; cut < file.size; cut += file.size / 97) {
    SCOPED_TRACE(cut);
    AllocationWatch watch;
    WaveletPtr art;
    if (ReadWaveletFromMemory(ctx.get(), file.data(), cut, "cut.art", true, &art) ==
        CodecStatus::kOk) {
      continue;
    }
    ++refused;
    EXPECT_LE(watch.largest(), std::max(cut, static_cast<size_t>(header.packedSize)));
  }
  EXPECT_GT(refused, 90);
}

TEST(DecoderTest, RandomDamageNeverBreaksTheDecoder) {
  Picture picture = MakeSamplePicture(64, 48);
  BgrImage image = {picture.bgr.data(), 64, 48, picture.stride()};
  EncodeOptions options;
  options.quality = 80;
  options.pieces = 4;
  ByteBuffer file;
  CodecError error;
  ASSERT_EQ(CodecStatus::kOk, EncodeWavelet(image, options, &file, nullptr, &error));
  std::vector<uint8_t> original(file.data(), file.data() + file.size);
  std::mt19937 rng(17);
  auto ctx = NewContext(ScreenSaverCodecOptions(nullptr));
  int decoded = 0;
  for (int round = 0; round < 400; ++round) {
    std::vector<uint8_t> bytes = original;
    int flips = 1 + static_cast<int>(rng() % 8);
    for (int k = 0; k < flips; ++k) {
      size_t at = rng() % bytes.size();
      bytes[at] = static_cast<uint8_t>(rng());
    }
    if (rng() % 4 == 0) bytes.resize(rng() % bytes.size());
    WaveletPtr art;
    if (DecodeBytes(ctx.get(), bytes, &art) == CodecStatus::kOk) {
      ++decoded;
      EXPECT_EQ(art->pixels.size, static_cast<size_t>(art->header.imageSize) + kDecodeSlack);
    } else {
      EXPECT_NE(ctx->error.message[0], '\0');
    }
  }
  EXPECT_GT(decoded, 0);  // damage to the payload's end often goes unnoticed
}

}  // namespace
