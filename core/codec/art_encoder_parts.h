// What both methods of the .ART writer share: the Y', U', V' planes the
// decoder's colour conversion turns back into the picture, the square tiles
// of the pieces cut from them, the coefficient words, and the error of a
// decoded result.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/art_encoder.h"
#include "codec/art_format.h"

// Per-pixel targets of the decoder's colour conversion, in doubles: the
// planes, and the clamp-table index each channel should land on.
struct ColourPlanes {
  double* y;
  double* u;
  double* v;
  double* blue;
  double* green;
  double* red;
};

// Fills the six planes (width x height each) from the picture.
void ToDecoderColours(const BgrImage& image, ColourPlanes planes);

struct PieceLayout {
  int32_t row0;
  int32_t col0;
  int32_t visibleRows;
};

// What goes in the rows of a tile the decoder never shows.
enum class HiddenRows {
  kRepeatLast,    // the last visible row again
  kBlendToFirst,  // a blend from the last visible row back to the first,
                  // so that the transform's wrap meets no step
};

// Fills a side x side tile from a full-resolution plane.
void FillTile(const double* plane, int32_t planeWidth, const PieceLayout& at, int side,
              HiddenRows hidden, double* tile);

// Half-size chroma as the decoder samples it: sample (r, c) stands for
// column 2c of rows 2r and 2r + 1, and odd columns interpolate.
void HalveTile(const double* tile, int side, double* half);

// Chooses each pixel's Y' to share out evenly over its three channels the
// error that half-size chroma leaves (see the definition).
void CompensateLuma(double* luma, const double* uHalf, const double* vHalf, const double* blue,
                    const double* green, const double* red, int side);

// The tiles of one piece: Y', U', V' (and, with half-size chroma, the three
// channel targets), each side x side from the picture's width-wide planes;
// with half-size chroma also the two halved chroma tiles, and Y' chosen for
// the chroma the decoder will interpolate.
void MakePieceTiles(const ColourPlanes& colours, int32_t width, const PieceLayout& at, int side,
                    bool halved, HiddenRows hidden, double* const tiles[6],
                    double* const halves[2]);

// The coefficients as the decoder reads them: 32-bit little-endian words.
void AppendLe32(const int32_t* values, size_t count, uint8_t* out);

// Whether the decoder's synthesis of a side x side plane of coefficients
// keeps every sum within the 32 bits it forms them in. The sums wrap round
// there, and a wrapped one is nonsense: large slow changes (a bright sky
// over dark ground) grow the coarsest band twofold a level until they do.
// work holds 2 x side x side values; where the sums fit, its first
// side x side are the decoder's result.
bool SynthesisFits(const int32_t* coefficients, int side, int baseSize, int64_t* work);

// The synthesis truncates at every pass: the rounded mean by which its
// first count values (as SynthesisFits left them) fall short of the plane
// before the transform, for the offset to take back.
int32_t SynthesisDrift(const double* spatial, const int64_t* synthesised, size_t count);

// The file: header (packedSize set here) and the Huffman code of the
// run-length stream.
CodecStatus WriteArtFile(ArtHeader header, const uint8_t* stream, size_t streamBytes,
                         ByteBuffer* file, CodecError* error);

// Squared differences of every byte of a decoded result (rows width x 3
// bytes apart) from the picture, summed.
double SquaredError(const BgrImage& image, const uint8_t* decoded);

// Decodes an encoded file as a program would and sums its squared error
// against the picture. Otherwise the decoder's status, with its error in
// *error: kBadData from a colour outside the clamp table is ringing at a
// coarse step, which a finer step mends.
CodecStatus DecodeToCheck(const ByteBuffer& file, const BgrImage& image, double* squaredError,
                          CodecError* error);

// PSNR over all channels for that sum of squares.
double PsnrOf(double squaredError, const BgrImage& image);
