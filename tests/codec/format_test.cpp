// Header layout and the geometry checks made before anything is allocated.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "art_builder.h"
#include "codec/art_format.h"

namespace {

TEST(ArtHeaderTest, FieldsSitAtTheirFileOffsets) {
  uint8_t bytes[kArtHeaderSize] = {};
  auto put = [&](size_t offset, int32_t v) {
    for (int k = 0; k < 4; ++k)
      bytes[offset + k] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * k));
  };
  put(0, 1);
  put(28, 288);
  put(32, 216);
  put(36, 9);
  put(40, 4);
  put(44, -5);
  put(56, 7);
  put(60, 512);
  put(76, -1);
  put(88, 33);
  put(92, 123456);
  put(96, 746496);
  ArtHeader h;
  ParseArtHeader(bytes, &h);
  EXPECT_EQ(h.chromaHalved, 1);
  EXPECT_EQ(h.width, 288);
  EXPECT_EQ(h.height, 216);
  EXPECT_EQ(h.baseSize, 9);
  EXPECT_EQ(h.pieces, 4);
  EXPECT_EQ(h.yOffset[0], -5);
  EXPECT_EQ(h.yOffset[3], 7);
  EXPECT_EQ(h.uOffset[0], 512);
  EXPECT_EQ(h.vOffset[0], -1);
  EXPECT_EQ(h.vOffset[3], 33);
  EXPECT_EQ(h.packedSize, 123456);
  EXPECT_EQ(h.imageSize, 746496);
  uint8_t again[kArtHeaderSize];
  SerializeArtHeader(h, again);
  EXPECT_EQ(0, std::memcmp(bytes, again, kArtHeaderSize));
}

// Header with decoded sizes, as ReadWavelet leaves it.
ArtHeader Decoded(int pieces, int width, int height, int base, bool halved) {
  ArtHeader h = TestHeader(pieces, width, height, base, halved);
  h.width = width;
  h.height = height;
  h.packedSize = 100;
  return h;
}

TEST(ArtGeometryTest, FourPieceArtOfTheScreenSaver) {
  ArtGeometry g;
  CodecError error;
  ASSERT_EQ(CodecStatus::kOk,
            DeriveArtGeometry(Decoded(4, 576, 432, 9, true), 1000, "a.art", &g, &error));
  EXPECT_EQ(g.pieceSide, 288);
  EXPECT_EQ(g.chromaSide, 144);
  EXPECT_EQ(g.perSide, 2);
  EXPECT_EQ(g.bottomFirst, 2);
  EXPECT_EQ(g.pieceBytes, 4u * (288 * 288 + 2 * 144 * 144));
  EXPECT_EQ(g.rowsOfPiece[0], 288);
  EXPECT_EQ(g.rowsOfPiece[1], 288);
  EXPECT_EQ(g.rowsOfPiece[2], 144);  // 432 mod 288
  EXPECT_EQ(g.rowsOfPiece[3], 144);
}

TEST(ArtGeometryTest, OnePieceCopiesItsHeight) {
  ArtGeometry g;
  ASSERT_EQ(CodecStatus::kOk,
            DeriveArtGeometry(Decoded(1, 64, 40, 4, false), 1000, "a", &g, nullptr));
  EXPECT_EQ(g.pieceSide, 64);
  EXPECT_EQ(g.chromaSide, 64);
  EXPECT_EQ(g.rowsOfPiece[0], 40);
}

TEST(ArtGeometryTest, PicturesUpToTheLimits) {
  struct Case {
    const char* name;
    ArtHeader header;
    bool accepted;
  };
  const Case cases[] = {
      {"4096 x 4096 in 4 pieces", Decoded(4, 4096, 4096, 1, false), true},
      {"4096 x 2048 in 4 pieces", Decoded(4, 4096, 2048, 1, true), true},
      {"2048 x 2048 in 1 piece", Decoded(1, 2048, 2048, 1, false), true},
      {"8192 x 8192 in 4 pieces", Decoded(4, 8192, 8192, 1, true), false},
      {"4096 x 16 in 1 piece", Decoded(1, 4096, 16, 1, true), false},
      {"16384 x 16384 in 4 pieces", Decoded(4, 16384, 16384, 1, true), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ArtGeometry g;
    CodecError error;
    CodecStatus status = DeriveArtGeometry(c.header, 1000, "big.art", &g, &error);
    if (c.accepted) {
      EXPECT_EQ(CodecStatus::kOk, status) << error.message;
    } else {
      EXPECT_EQ(CodecStatus::kBadData, status);
      EXPECT_NE(std::string(error.message).find("bad size"), std::string::npos) << error.message;
    }
  }
}

TEST(ArtGeometryTest, RejectsWhatCannotBeDecoded) {
  struct Case {
    const char* name;
    ArtHeader header;
    size_t payload;
    CodecStatus status;
    const char* message;  // a part the message must hold
  };
  ArtHeader sixteen = Decoded(4, 576, 432, 9, true);
  sixteen.pieces = 16;
  ArtHeader three = Decoded(4, 576, 432, 9, true);
  three.pieces = 3;
  ArtHeader badImageSize = Decoded(1, 64, 64, 4, false);
  badImageSize.imageSize += 3;
  ArtHeader noPacked = Decoded(1, 64, 64, 4, false);
  noPacked.packedSize = 0;
  ArtHeader hugePacked = Decoded(1, 64, 64, 4, false);
  hugePacked.packedSize = 8001;
  ArtHeader negativeWidth = Decoded(1, 64, 64, 4, false);
  negativeWidth.width = -64;
  ArtHeader zeroBase = Decoded(1, 64, 64, 4, false);
  zeroBase.baseSize = 0;
  const Case cases[] = {
      {"16 pieces", sixteen, 1000, CodecStatus::kUnsupported, "16-piece art is not supported"},
      {"3 pieces", three, 1000, CodecStatus::kBadData, "wavelet pieces has illegal value: 3"},
      {"side not base x 2^k", Decoded(1, 48, 48, 5, false), 1000, CodecStatus::kBadData, "power"},
      {"base larger than side", Decoded(1, 8, 8, 16, false), 1000, CodecStatus::kBadData, "power"},
      {"zero base", zeroBase, 1000, CodecStatus::kBadData, "power"},
      {"halved chroma below base", Decoded(1, 8, 8, 8, true), 1000, CodecStatus::kBadData, "power"},
      {"1 piece taller than wide", Decoded(1, 64, 65, 4, false), 1000, CodecStatus::kBadData,
       "taller"},
      {"4 pieces lower than a piece", Decoded(4, 64, 30, 4, false), 1000, CodecStatus::kBadData,
       "height"},
      {"4 pieces higher than two", Decoded(4, 64, 66, 4, false), 1000, CodecStatus::kBadData,
       "height"},
      {"image size", badImageSize, 1000, CodecStatus::kBadData, "image size"},
      {"no packed bytes", noPacked, 1000, CodecStatus::kBadData, "packed size"},
      {"packed beyond 8 per payload byte", hugePacked, 1000, CodecStatus::kBadData, "packed size"},
      {"negative width", negativeWidth, 1000, CodecStatus::kBadData, "size"},
      {"width beyond limit", Decoded(1, 32768, 16, 1, false), 1000, CodecStatus::kBadData, "size"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ArtGeometry g;
    CodecError error;
    std::strcpy(error.message, "untouched");
    EXPECT_EQ(c.status, DeriveArtGeometry(c.header, c.payload, "named.art", &g, &error));
    EXPECT_NE(std::string(error.message).find(c.message), std::string::npos) << error.message;
    EXPECT_STREQ(error.module, "D42SAVE");
    if (c.status == CodecStatus::kBadData &&
        std::string(c.message) != "wavelet pieces has illegal value: 3") {
      EXPECT_NE(std::string(error.message).find("named.art"), std::string::npos) << error.message;
    }
  }
}

}  // namespace
