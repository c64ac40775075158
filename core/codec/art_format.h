// The .ART picture file.
//
//   offset 0    ArtHeader, 108 bytes, 27 little-endian signed 32-bit words
//   offset 108  payload: Huffman-coded run-length stream, to the end of file
//
// Payload bit stream: bytes in file order, each byte from bit 0 (least
// significant) to bit 7; an n-bit number is read bit 0 first.
//   8 bits      node count N, 1..255
//   N x 18 bits nodes 0..N-1 in order, each: child for a 1 bit (9 bits), then
//               child for a 0 bit (9 bits). A child below 256 is a leaf holding
//               that byte; 256 + j is node j. The root is node N - 1.
//   codes       from the root, one bit per step, until a leaf: one byte of the
//               run-length stream. The first packedSize bytes are the stream;
//               whatever the last bits decode to beyond that is ignored.
//
// Run-length stream: one code byte b, by its top three bits:
//   0x00-0x1F  b + 1 bytes 0x00          0x80-0x9F  (b & 0x1F) + 1 bytes 0xFF
//   0x20-0x3F  one byte (b << 4) & 0xFF  0xA0-0xBF  nothing
//   0x40-0x5F  ((b & 0x1F) << 8 | next) + 1 bytes 0x00 (two-byte code)
//   0x60-0x7F  one byte (b & 0x0F) << 4 | 0x0F
//   0xC0-0xDF  (b & 0x1F) + 1 literal bytes that follow the code
//   0xE0-0xFF  nothing
// The output is one long run of little-endian signed 32-bit wavelet
// coefficients; piece i takes the bytes [i * P, (i + 1) * P) of it (a run may
// cross from one piece into the next).
//
// Piece coefficients, P = 4 (T^2 + 2 C^2) bytes: the luma plane (T x T), then
// U and V (C x C each), row by row. Each plane holds the coarsest low band
// (baseSize^2 values) followed, for each level s = baseSize, 2 baseSize, ...
// up to side / 2, by the three s x s detail bands of that level: horizontal
// high (band 1), vertical high (band 2), both high (band 3). The inverse
// Daubechies D4 transform (16.16 fixed point) rebuilds the plane, then each
// pixel's luma and chroma give blue, green and red through a clamp table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/codec_base.h"

constexpr size_t kArtHeaderSize = 108;

struct ArtHeader {
  int32_t chromaHalved;  //   0  0: chroma planes have the luma side; else half of it
  int32_t unused1[6];    //   4  not read
  int32_t width;         //  28  pixels; stored halved for 4 pieces, doubled on reading
  int32_t height;        //  32  pixels; stored halved for 4 pieces, doubled on reading
  int32_t baseSize;      //  36  side of the coarsest low band
  int32_t pieces;        //  40  1 or 4 (16 exists in the format, not supported here)
  int32_t yOffset[4];    //  44  per piece, added to every luma value after the transform
  int32_t uOffset[4];    //  60  per piece, the same for U
  int32_t vOffset[4];    //  76  per piece, the same for V
  int32_t packedSize;    //  92  bytes of run-length stream the Huffman layer yields
  int32_t imageSize;     //  96  bytes of the decoded image: width x height x 3
  int32_t unused2[2];    // 100  not read
};
static_assert(sizeof(ArtHeader) == kArtHeaderSize, "ArtHeader must be the 108 file bytes");

// Reads and writes the 108 header bytes (little-endian, any host).
void ParseArtHeader(const uint8_t* bytes, ArtHeader* header);
void SerializeArtHeader(const ArtHeader& header, uint8_t* bytes);

// Largest picture the codec accepts: 4096 pixels a side, pieces of at most
// 2048 (so 1-piece art is at most 2048 x 2048). The arts of the package are
// 576 x 432. At the limits the decoded image and one piece's coefficients
// are 48 MiB each and the scratch planes 8 MiB each: no file can make the
// decoder ask for more.
constexpr int32_t kMaxArtSide = 4096;
constexpr int32_t kMaxPieceSide = 2048;

// Largest art file: 8 MiB. Undoing the Huffman layer costs time in
// proportion to the payload whatever the file turns out to be, and this
// keeps a refused file under a second. A 4096 x 4096 picture of pure noise
// at quality 90 is about 6 MiB; the package's arts are at most 220 KB.
constexpr uint64_t kMaxArtFileSize = 8u << 20;

// Everything the decoder derives from a header, checked.
struct ArtGeometry {
  int32_t width = 0;        // decoded width (already doubled for 4 pieces)
  int32_t height = 0;       // decoded height
  int32_t pieces = 0;       // 1 or 4
  int32_t perSide = 0;      // 1 or 2
  int32_t bottomFirst = 0;  // first piece of the bottom row, 0 or 2
  int32_t pieceSide = 0;    // T
  int32_t chromaSide = 0;   // C
  int32_t baseSize = 0;
  size_t pieceBytes = 0;        // P
  size_t imageBytes = 0;        // width x height x 3
  int32_t rowsOfPiece[4] = {};  // rows each piece copies into the image
};

// Checks a header whose width and height are the decoded ones (as ReadWavelet
// leaves them) and fills geometry. name is the file for the messages;
// payloadSize bounds packedSize (every stream byte costs at least one bit).
CodecStatus DeriveArtGeometry(const ArtHeader& header, size_t payloadSize, const char* name,
                              ArtGeometry* geometry, CodecError* error);
