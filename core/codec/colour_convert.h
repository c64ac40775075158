// Luma/chroma planes of a piece to blue, green, red bytes.
//
//   Y' = luma + yOffset, U' and V' likewise (half-size chroma: row r / 2,
//        even columns x / 2, odd columns the mean of their two neighbours,
//        the last column repeating its left one)
//   B4 = Y' + 2U' - 1024            blue  = clamp[B4 >> 2]
//   R4 = ((1638 V') >> 10) - 819 + Y'  red = clamp[R4 >> 2]
//   G  = ((Y' - (116 B4 >> 10) - (306 R4 >> 10)) * 1744) >> 12, green = clamp[G]
// The clamp table covers -512..511 and stretches 0..248 onto 0..255. A value
// outside the table can only come from a corrupt file; it saturates at the
// table's ends.
#pragma once

#include <cstddef>
#include <cstdint>

struct ClampTable {
  uint8_t value[1024];  // index i + 512 for i = -512..511
};

void BuildArtClampTable(ClampTable* table);

struct PiecePlanes {
  const int32_t* luma;  // T x T
  const int32_t* u;     // C x C
  const int32_t* v;     // C x C
  int side;             // T
  int chromaSide;       // C: T, or T / 2 when halved
  bool chromaHalved;
  int32_t yOffset, uOffset, vOffset;
};

// The chroma rows ConvertPieceRows reads for rows 0 .. rows - 1.
inline int ChromaRowsRead(int rows, bool chromaHalved) {
  return chromaHalved ? (rows + 1) / 2 : rows;
}

// Converts rows 0 .. rows - 1 of the piece into out (3 bytes a pixel, rows
// outStride bytes apart).
void ConvertPieceRows(const ClampTable& clamp, const PiecePlanes& planes, int rows, uint8_t* out,
                      size_t outStride);
