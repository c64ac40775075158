#include "codec/art_format.h"

namespace {

int32_t ReadLe32(const uint8_t* p) {
  uint32_t v = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
               static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
  return static_cast<int32_t>(v);
}

void WriteLe32(uint8_t* p, int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

// True when side = base * 2^k for some k >= 0.
bool IsBaseTimesPowerOfTwo(int32_t side, int32_t base) {
  if (base <= 0 || side < base) return false;
  while (side > base) {
    if (side % 2) return false;
    side /= 2;
  }
  return side == base;
}

}  // namespace

void ParseArtHeader(const uint8_t* bytes, ArtHeader* header) {
  int32_t words[kArtHeaderSize / 4];
  for (size_t i = 0; i < kArtHeaderSize / 4; ++i) words[i] = ReadLe32(bytes + 4 * i);
  header->chromaHalved = words[0];
  for (int i = 0; i < 6; ++i) header->unused1[i] = words[1 + i];
  header->width = words[7];
  header->height = words[8];
  header->baseSize = words[9];
  header->pieces = words[10];
  for (int i = 0; i < 4; ++i) {
    header->yOffset[i] = words[11 + i];
    header->uOffset[i] = words[15 + i];
    header->vOffset[i] = words[19 + i];
  }
  header->packedSize = words[23];
  header->imageSize = words[24];
  header->unused2[0] = words[25];
  header->unused2[1] = words[26];
}

void SerializeArtHeader(const ArtHeader& header, uint8_t* bytes) {
  int32_t words[kArtHeaderSize / 4];
  words[0] = header.chromaHalved;
  for (int i = 0; i < 6; ++i) words[1 + i] = header.unused1[i];
  words[7] = header.width;
  words[8] = header.height;
  words[9] = header.baseSize;
  words[10] = header.pieces;
  for (int i = 0; i < 4; ++i) {
    words[11 + i] = header.yOffset[i];
    words[15 + i] = header.uOffset[i];
    words[19 + i] = header.vOffset[i];
  }
  words[23] = header.packedSize;
  words[24] = header.imageSize;
  words[25] = header.unused2[0];
  words[26] = header.unused2[1];
  for (size_t i = 0; i < kArtHeaderSize / 4; ++i) WriteLe32(bytes + 4 * i, words[i]);
}

CodecStatus DeriveArtGeometry(const ArtHeader& header, size_t payloadSize, const char* name,
                              ArtGeometry* g, CodecError* error) {
  *g = ArtGeometry();
  if (header.pieces == 16) {
    return SetCodecError(error, CodecStatus::kUnsupported, kArtModule, __LINE__,
                         "Art file %s has 16 pieces: 16-piece art is not supported", name);
  }
  if (header.pieces != 1 && header.pieces != 4) {
    return SetCodecError(error, CodecStatus::kBadData, kArtModule, __LINE__,
                         "wavelet pieces has illegal value: %d", header.pieces);
  }
  g->pieces = header.pieces;
  g->perSide = header.pieces == 4 ? 2 : 1;
  g->bottomFirst = header.pieces == 4 ? 2 : 0;
  if (header.width < g->perSide || header.height < 1 || header.width > kMaxArtSide ||
      header.height > kMaxArtSide) {
    return SetCodecError(error, CodecStatus::kBadData, kArtModule, __LINE__,
                         "Art file %s has a bad size: %d x %d", name, header.width, header.height);
  }
  g->width = header.width;
  g->height = header.height;
  g->baseSize = header.baseSize;
  int32_t t = header.width / g->perSide;
  int32_t c = header.chromaHalved ? t / 2 : t;
  g->pieceSide = t;
  g->chromaSide = c;
  if (t > kMaxPieceSide) {
    return SetCodecError(error, CodecStatus::kBadData, kArtModule, __LINE__,
                         "Art file %s has a bad size: %d x %d in pieces of %d pixels (at most %d)",
                         name, header.width, header.height, t, kMaxPieceSide);
  }
  if (header.width != t * g->perSide || !IsBaseTimesPowerOfTwo(t, header.baseSize) ||
      !IsBaseTimesPowerOfTwo(c, header.baseSize)) {
    return SetCodecError(error, CodecStatus::kBadData, kArtModule, __LINE__,
                         "Art file %s: piece side %d and chroma side %d are not %d times a power "
                         "of two",
                         name, t, c, header.baseSize);
  }
  // Each piece is a T x T tile; the rows it copies must exist in the tile and
  // in the image.
  if (g->pieces == 1) {
    if (g->height > t) {
      return SetCodecError(error, CodecStatus::kBadData, kArtModule, __LINE__,
                           "Art file %s is taller (%d) than its piece (%d)", name, g->height, t);
    }
    g->rowsOfPiece[0] = g->height;
  } else {
    if (g->height < t || g->height > 2 * t) {
      return SetCodecError(error, CodecStatus::kBadData, kArtModule, __LINE__,
                           "Art file %s: height %d does not fit two rows of %d-pixel pieces", name,
                           g->height, t);
    }
    g->rowsOfPiece[0] = g->rowsOfPiece[1] = t;
    g->rowsOfPiece[2] = g->rowsOfPiece[3] = g->height % t;
  }
  uint64_t pieceBytes = 4 * (static_cast<uint64_t>(t) * t + 2 * static_cast<uint64_t>(c) * c);
  uint64_t imageBytes = static_cast<uint64_t>(g->width) * static_cast<uint64_t>(g->height) * 3;
  if (pieceBytes > kMaxAllocation || imageBytes > kMaxAllocation) {
    return SetCodecError(error, CodecStatus::kBadData, kArtModule, __LINE__,
                         "Art file %s is too large to decode (%d x %d)", name, g->width, g->height);
  }
  g->pieceBytes = static_cast<size_t>(pieceBytes);
  g->imageBytes = static_cast<size_t>(imageBytes);
  if (header.imageSize < 0 || static_cast<uint64_t>(header.imageSize) != imageBytes) {
    return SetCodecError(error, CodecStatus::kBadData, kArtModule, __LINE__,
                         "Art file %s: image size %d does not match %d x %d x 3", name,
                         header.imageSize, g->width, g->height);
  }
  if (header.packedSize <= 0 ||
      static_cast<uint64_t>(header.packedSize) > static_cast<uint64_t>(payloadSize) * 8) {
    return SetCodecError(error, CodecStatus::kBadData, kArtModule, __LINE__,
                         "Art file %s: packed size %d does not fit its %u payload bytes", name,
                         header.packedSize, static_cast<unsigned>(payloadSize));
  }
  return CodecStatus::kOk;
}
