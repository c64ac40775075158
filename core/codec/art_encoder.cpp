#include "codec/art_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "codec/art_encoder_parts.h"
#include "codec/art_encoder_rd.h"
#include "codec/art_entropy.h"
#include "codec/art_format.h"
#include "codec/codec_context.h"
#include "codec/d4_synthesis.h"

namespace {

constexpr double kC0 = kD4C0 / 65536.0;
constexpr double kC1 = kD4C1 / 65536.0;
constexpr double kC2 = kD4C2 / 65536.0;
constexpr double kC3 = kD4C3 / 65536.0;

// Bits are written least significant first, as the decoder reads them.
struct BitWriter {
  uint8_t* out;
  size_t pos = 0;
  uint64_t acc = 0;
  int count = 0;

  void Put(uint64_t value, int n) {
    acc |= value << count;
    count += n;
    while (count >= 8) {
      out[pos++] = static_cast<uint8_t>(acc);
      acc >>= 8;
      count -= 8;
    }
  }
  void Flush() {
    if (count > 0) out[pos++] = static_cast<uint8_t>(acc);
    acc = 0;
    count = 0;
  }
};

// One analysis line: 2n inputs (stride in) to n low and n high values. The
// transpose of the synthesis: low k reads inputs 2k .. 2k + 3 with c0..c3,
// high k with c3, -c2, c1, -c0, indexes wrapping.
void AnalyseLine(const double* x, size_t in, int n, double* lo, double* hi, size_t out) {
  const int m = 2 * n;
  for (int k = 0; k < n; ++k) {
    double x0 = x[static_cast<size_t>((2 * k) % m) * in];
    double x1 = x[static_cast<size_t>((2 * k + 1) % m) * in];
    double x2 = x[static_cast<size_t>((2 * k + 2) % m) * in];
    double x3 = x[static_cast<size_t>((2 * k + 3) % m) * in];
    lo[static_cast<size_t>(k) * out] = kC0 * x0 + kC1 * x1 + kC2 * x2 + kC3 * x3;
    hi[static_cast<size_t>(k) * out] = kC3 * x0 - kC2 * x1 + kC1 * x2 - kC0 * x3;
  }
}

int TrailingZeros(int32_t v) {
  int n = 0;
  while (v > 0 && (v & 1) == 0) {
    v >>= 1;
    ++n;
  }
  return n;
}

// Quantiser step for the luma planes. Multiples of 16 keep most quantised
// coefficients on the one-byte run-length codes; the top qualities trade
// that for precision.
int LumaStep(int quality) {
  if (quality >= 100) return 1;
  if (quality >= 96) return 1 << (100 - quality);  // 2, 4, 8, 16
  double m = std::pow(2.0, (95.0 - quality) / 15.0);
  int k = static_cast<int>(m + 0.5);
  return 16 * (k < 1 ? 1 : k);
}

int ChromaStep(int lumaStep) {
  if (lumaStep < 16) return lumaStep;
  return 16 * ((lumaStep * 3 / 2 + 8) / 16);
}

// The value the decoder will see for quantiser bin n. Negative bins end in
// 0xF so that they take the one-byte 0x60-0x7F code.
int32_t Reconstruct(int32_t n, int step) {
  if (n >= 0) return n * step;
  return n * step - (step % 16 == 0 ? 1 : 0);
}

int32_t QuantiseValue(double c, int step) {
  double deadZone = step >= 16 ? 0.2 : 0.0;
  double a = std::fabs(c) / step + 0.5 - deadZone;
  int32_t n = a > 0 ? static_cast<int32_t>(a) : 0;
  return Reconstruct(c < 0 ? -n : n, step);
}

bool IsCheap(uint8_t b) {
  return b == 0 || b == 0xFF || (b & 0x0F) == 0 || (b & 0x0F) == 0x0F;
}

// Codes one plane: centres it, transforms, quantises into out and returns
// the offset, corrected so that the fixed-point synthesis lands on the
// plane's mean.
bool CodePlane(double* plane, int side, int baseSize, int step, int32_t* out, int32_t* offset,
               bool* wraps) {
  const size_t count = static_cast<size_t>(side) * side;
  double mean = 0;
  for (size_t i = 0; i < count; ++i) mean += plane[i];
  mean /= static_cast<double>(count);
  int32_t base = static_cast<int32_t>(std::floor(mean + 0.5));
  for (size_t i = 0; i < count; ++i) plane[i] -= base;
  std::unique_ptr<double[]> spatial;
  if (!AllocateArray(&spatial, count)) return false;
  std::memcpy(spatial.get(), plane, sizeof(double) * count);
  if (!ForwardTransformPlane(plane, side, baseSize)) return false;
  for (size_t i = 0; i < count; ++i) out[i] = QuantiseValue(plane[i], step);
  std::unique_ptr<int64_t[]> synthesis;
  if (!AllocateArray(&synthesis, 2 * count)) return false;
  if (!SynthesisFits(out, side, baseSize, synthesis.get())) {
    *wraps = true;
    return true;
  }
  *offset = base + SynthesisDrift(spatial.get(), synthesis.get(), count);
  return true;
}

struct Attempt {
  int lumaStep;
  int chromaStep;
};

CodecStatus EncodeOnce(const BgrImage& image, const EncodeOptions& options, int32_t side,
                       int levels, bool halved, const Attempt& steps, const ColourPlanes& colours,
                       ByteBuffer* file, EncodeStats* stats, bool* wraps, CodecError* error) {
  const int perSide = options.pieces == 4 ? 2 : 1;
  const int32_t baseSize = side >> levels;
  const int32_t chromaSide = halved ? side / 2 : side;
  const size_t lumaCount = static_cast<size_t>(side) * side;
  const size_t chromaCount = static_cast<size_t>(chromaSide) * chromaSide;
  const size_t pieceValues = lumaCount + 2 * chromaCount;
  const size_t coefficientBytes = pieceValues * 4 * static_cast<size_t>(options.pieces);

  ByteBuffer coefficients, stream;
  IntBuffer quantised;
  // Work tiles: luma, U, V and the three channel targets at full size, and
  // the two half-size chroma planes.
  std::unique_ptr<double[]> work;
  if (!AllocateArray(&work, 6 * lumaCount + 2 * chromaCount) ||
      !AllocateBytes(&coefficients, coefficientBytes, false) ||
      !AllocateInts(&quantised, pieceValues, false)) {
    return OutOfMemoryError(error, kArtModule, __LINE__);
  }
  double* tiles[6];
  for (int k = 0; k < 6; ++k) tiles[k] = work.get() + k * lumaCount;
  double* halves[2] = {work.get() + 6 * lumaCount, work.get() + 6 * lumaCount + chromaCount};
  ArtHeader header;
  std::memset(&header, 0, sizeof header);
  header.chromaHalved = halved ? 1 : 0;
  header.width = image.width / perSide;
  header.height = image.height / perSide;
  header.baseSize = baseSize;
  header.pieces = options.pieces;
  header.imageSize = image.width * image.height * 3;

  for (int i = 0; i < options.pieces; ++i) {
    PieceLayout at;
    at.row0 = (i / perSide) * side;
    at.col0 = (i % perSide) * side;
    at.visibleRows = std::min<int32_t>(side, image.height - at.row0);
    int32_t* q = quantised.data();
    if (at.visibleRows <= 0) {
      std::fill(q, q + pieceValues, 0);  // shows nothing: cheapest content
    } else {
      MakePieceTiles(colours, image.width, at, side, halved, HiddenRows::kRepeatLast, tiles,
                     halves);
      int32_t* offsets[3] = {&header.yOffset[i], &header.uOffset[i], &header.vOffset[i]};
      int32_t* destinations[3] = {q, q + lumaCount, q + lumaCount + chromaCount};
      for (int p = 0; p < 3; ++p) {
        double* plane = p > 0 && halved ? halves[p - 1] : tiles[p];
        int planeSide = p > 0 && halved ? chromaSide : side;
        int step = p == 0 ? steps.lumaStep : steps.chromaStep;
        if (!CodePlane(plane, planeSide, baseSize, step, destinations[p], offsets[p], wraps)) {
          return OutOfMemoryError(error, kArtModule, __LINE__);
        }
        if (*wraps) return CodecStatus::kOk;
      }
    }
    AppendLe32(q, pieceValues, coefficients.data() + pieceValues * 4 * static_cast<size_t>(i));
  }

  if (!AllocateBytes(&stream, RunLengthBound(coefficientBytes), false)) {
    return OutOfMemoryError(error, kArtModule, __LINE__);
  }
  size_t streamBytes = EncodeRunLength(coefficients.data(), coefficientBytes, stream.data());
  coefficients = ByteBuffer();
  CodecStatus status = WriteArtFile(header, stream.data(), streamBytes, file, error);
  if (status != CodecStatus::kOk) return status;
  if (stats) {
    stats->pieces = options.pieces;
    stats->baseSize = baseSize;
    stats->levels = levels;
    stats->chromaHalved = halved;
    stats->lumaStep = steps.lumaStep;
    stats->chromaStep = steps.chromaStep;
    stats->streamBytes = streamBytes;
    stats->fileBytes = file->size;
  }
  return CodecStatus::kOk;
}

}  // namespace

bool ForwardTransformPlane(double* plane, int side, int baseSize) {
  std::unique_ptr<double[]> work;
  if (!AllocateArray(&work, static_cast<size_t>(side) * side)) return false;
  for (int m = side; m > baseSize; m /= 2) {
    const int s = m / 2;
    const size_t band = static_cast<size_t>(s) * s;
    // Down the columns: rows of the vertical low half, then the high half.
    double* lowRows = work.get();
    double* highRows = work.get() + band * 2;
    for (int x = 0; x < m; ++x) {
      AnalyseLine(plane + x, static_cast<size_t>(m), s, lowRows + x, highRows + x,
                  static_cast<size_t>(m));
    }
    // Across each row: LL | band 1 from the low rows, band 2 | band 3 from
    // the high rows.
    for (int r = 0; r < s; ++r) {
      AnalyseLine(lowRows + static_cast<size_t>(r) * m, 1, s, plane + static_cast<size_t>(r) * s,
                  plane + band + static_cast<size_t>(r) * s, 1);
    }
    for (int r = 0; r < s; ++r) {
      AnalyseLine(highRows + static_cast<size_t>(r) * m, 1, s,
                  plane + 2 * band + static_cast<size_t>(r) * s,
                  plane + 3 * band + static_cast<size_t>(r) * s, 1);
    }
  }
  return true;
}

// Every code costs no more bytes than it makes, except a literal, which
// costs one header byte more. Cut the input where each literal starts: every
// piece but the last is at least 3 bytes long, because EncodeRunLength ends
// a literal only
//   - after 32 bytes,
//   - after 31 bytes, when the next byte is cheap (it cannot ride along), or
//   - at a cheap byte whose next byte is cheap too (a lone cheap byte rides
//     along), so at least two cheap bytes follow a literal of at least one,
// or at the end of the input. So there are at most (size + 2) / 3 literals,
// and the code is at most size + (size + 2) / 3 bytes. A literal byte
// followed by two cheap bytes of different codes, over and over, takes
// exactly that.
size_t RunLengthBound(size_t size) {
  return size + (size + 2) / 3;
}

size_t EncodeRunLength(const uint8_t* bytes, size_t size, uint8_t* out) {
  size_t i = 0;
  size_t o = 0;
  while (i < size) {
    uint8_t b = bytes[i];
    if (b == 0x00) {
      size_t run = 1;
      while (i + run < size && run < 8192 && bytes[i + run] == 0) ++run;
      if (run <= 32) {
        out[o++] = static_cast<uint8_t>(run - 1);
      } else {
        out[o++] = static_cast<uint8_t>(0x40 | ((run - 1) >> 8));
        out[o++] = static_cast<uint8_t>((run - 1) & 0xFF);
      }
      i += run;
    } else if (b == 0xFF) {
      size_t run = 1;
      while (i + run < size && run < 32 && bytes[i + run] == 0xFF) ++run;
      out[o++] = static_cast<uint8_t>(0x80 | (run - 1));
      i += run;
    } else if ((b & 0x0F) == 0) {
      out[o++] = static_cast<uint8_t>(0x20 | (b >> 4));
      ++i;
    } else if ((b & 0x0F) == 0x0F) {
      out[o++] = static_cast<uint8_t>(0x60 | (b >> 4));
      ++i;
    } else {
      // Literal bytes; a lone cheap byte between two literal ones rides
      // along (one byte either way, and no second literal header).
      size_t j = i;
      while (j < size && j - i < 32) {
        if (!IsCheap(bytes[j])) {
          ++j;
        } else if (j + 1 < size && j + 1 - i < 32 && !IsCheap(bytes[j + 1])) {
          j += 2;
        } else {
          break;
        }
      }
      size_t n = j - i;
      out[o++] = static_cast<uint8_t>(0xC0 | (n - 1));
      std::memcpy(out + o, bytes + i, n);
      o += n;
      i = j;
    }
  }
  return o;
}

size_t HuffmanBound(size_t size) {
  return size * 8 + 1024;
}

size_t EncodeHuffman(const uint8_t* stream, size_t size, uint8_t* out) {
  uint64_t frequency[256] = {};
  for (size_t i = 0; i < size; ++i) ++frequency[stream[i]];
  int symbols[256];
  int distinct = 0;
  for (int s = 0; s < 256; ++s) {
    if (frequency[s]) symbols[distinct++] = s;
  }
  BitWriter writer{out};
  uint64_t code[256] = {};
  int length[256] = {};
  if (distinct <= 1) {
    // One node with the same byte on both sides: every bit is one byte.
    int s = distinct ? symbols[0] : 0;
    writer.Put(1, 8);
    writer.Put(static_cast<uint64_t>(s), 9);
    writer.Put(static_cast<uint64_t>(s), 9);
    length[s] = 1;
  } else {
    // Codes longer than 57 bits would not fit the writer in one go; halving
    // the counts until they fit only happens on pathological inputs.
    uint64_t weight[256];
    for (int s = 0; s < 256; ++s) weight[s] = frequency[s];
    int nodeCount = 0;
    uint16_t child[255][2];
    for (;;) {
      nodeCount = BuildHuffmanTree(weight, child);
      // Depth of each node from the root (children numbered lower).
      int depth[255];
      depth[nodeCount - 1] = 0;
      uint64_t path[255];
      path[nodeCount - 1] = 0;
      int longest = 0;
      for (int n = nodeCount - 1; n >= 0; --n) {
        for (int bit = 0; bit < 2; ++bit) {
          uint16_t c = child[n][bit];
          uint64_t p = depth[n] < 64 ? path[n] | (static_cast<uint64_t>(bit) << depth[n]) : 0;
          if (c < 256) {
            length[c] = depth[n] + 1;
            code[c] = p;
          } else {
            depth[c - 256] = depth[n] + 1;
            path[c - 256] = p;
          }
          longest = std::max(longest, depth[n] + 1);
        }
      }
      if (longest <= 57) break;
      for (int s = 0; s < 256; ++s) {
        if (weight[s]) weight[s] = weight[s] / 2 + 1;
      }
    }
    writer.Put(static_cast<uint64_t>(nodeCount), 8);
    for (int n = 0; n < nodeCount; ++n) {
      writer.Put(child[n][1], 9);
      writer.Put(child[n][0], 9);
    }
  }
  for (size_t i = 0; i < size; ++i) writer.Put(code[stream[i]], length[stream[i]]);
  writer.Flush();
  for (int i = 0; i < 8; ++i) out[writer.pos++] = 0;
  return writer.pos;
}

namespace {

// The piece side and transform levels of an art of this picture, or an
// error for a shape the format cannot hold.
CodecStatus CheckShape(const BgrImage& image, const EncodeOptions& options, int32_t* sideOut,
                       int* levelsOut, CodecError* error) {
  if (!image.pixels || image.width < 1 || image.height < 1 || image.width > kMaxArtSide ||
      image.height > kMaxArtSide || image.stride < static_cast<size_t>(image.width) * 3) {
    return SetCodecError(error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                         "Cannot encode a %d x %d picture", image.width, image.height);
  }
  int32_t side = 0;
  if (options.pieces == 1) {
    if (image.height > image.width) {
      return SetCodecError(error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                           "A 1-piece art cannot be taller (%d) than wide (%d)", image.height,
                           image.width);
    }
    side = image.width;
  } else if (options.pieces == 4) {
    side = image.width / 2;
    if (image.width % 2 || image.height % 2 || image.height < side || image.height >= 2 * side) {
      return SetCodecError(error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                           "A 4-piece art needs even sides and width / 2 <= height < width "
                           "(got %d x %d)",
                           image.width, image.height);
    }
  } else {
    return SetCodecError(error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                         "Pieces must be 1 or 4, not %d", options.pieces);
  }
  if (side > kMaxPieceSide) {
    return SetCodecError(error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                         "Cannot encode a %d x %d picture in %d piece%s: pieces are at most %d "
                         "pixels wide",
                         image.width, image.height, options.pieces, options.pieces == 1 ? "" : "s",
                         kMaxPieceSide);
  }
  *sideOut = side;
  *levelsOut = std::min(std::max(options.maxLevels, 0), TrailingZeros(side));
  return CodecStatus::kOk;
}

// The rate-distortion method for the piece count asked for or, with
// pieces 0, for each count the picture's shape allows, keeping the better:
// by error plus lambda times the bits for a quality, by error for a size
// (maxBytes non-zero).
CodecStatus EncodeByRateDistortion(const BgrImage& image, const EncodeOptions& options,
                                   size_t maxBytes, ByteBuffer* file, EncodeStats* stats,
                                   int* quality, CodecError* error) {
  const int asked[1] = {options.pieces};
  const int both[2] = {1, 4};
  const int* counts = options.pieces == 0 ? both : asked;
  const int countCount = options.pieces == 0 ? 2 : 1;
  bool found = false;
  double best = 0;
  for (int k = 0; k < countCount; ++k) {
    EncodeOptions tryOptions = options;
    tryOptions.pieces = counts[k];
    int32_t side = 0;
    int levels = 0;
    CodecError tryError;
    CodecStatus status = CheckShape(image, tryOptions, &side, &levels, &tryError);
    ByteBuffer candidate;
    EncodeStats candidateStats;
    int candidateQuality = 0;
    double cost = 0;
    if (status == CodecStatus::kOk) {
      status = maxBytes ? EncodeRateDistortionToSize(image, tryOptions, side, levels, maxBytes,
                                                     &candidate, &candidateStats, &candidateQuality,
                                                     &tryError)
                        : EncodeRateDistortion(image, tryOptions, side, levels, &candidate,
                                               &candidateStats, &cost, &tryError);
    }
    // A shape a count cannot hold, or a size it cannot meet, leaves the
    // other count to try; anything else is the answer.
    if (status != CodecStatus::kOk) {
      if (status != CodecStatus::kBadArgument || countCount == 1) {
        *error = tryError;
        return status;
      }
      if (!found && k == countCount - 1) {
        return SetCodecError(error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                             "No piece layout holds this %d x %d picture%s", image.width,
                             image.height, maxBytes ? " in the bytes asked for" : "");
      }
      continue;
    }
    if (maxBytes) cost = -candidateStats.psnr;
    if (!found || cost < best) {
      found = true;
      best = cost;
      *file = std::move(candidate);
      if (stats) *stats = candidateStats;
      if (quality) *quality = candidateQuality;
    }
  }
  return CodecStatus::kOk;
}

}  // namespace

CodecStatus EncodeWavelet(const BgrImage& image, const EncodeOptions& options, ByteBuffer* file,
                          EncodeStats* stats, CodecError* error) {
  ClearCodecError(error);
  if (options.quality < 1 || options.quality > 100) {
    return SetCodecError(error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                         "Quality %d is outside 1..100", options.quality);
  }
  if (options.method == EncodeMethod::kRateDistortion) {
    return EncodeByRateDistortion(image, options, 0, file, stats, nullptr, error);
  }
  if (options.chroma == ChromaLayout::kChoose || options.pieces == 0) {
    return SetCodecError(error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                         "Choosing the %s needs the rate-distortion method",
                         options.pieces == 0 ? "piece count" : "chroma layout");
  }
  int32_t side = 0;
  int levels = 0;
  CodecStatus shape = CheckShape(image, options, &side, &levels, error);
  if (shape != CodecStatus::kOk) return shape;
  // Half-size chroma needs a level to halve.
  bool halved = options.chroma == ChromaLayout::kHalved && levels >= 1;

  const size_t pixels = static_cast<size_t>(image.width) * image.height;
  std::unique_ptr<double[]> planeMemory;
  if (!AllocateArray(&planeMemory, pixels * 6))
    return OutOfMemoryError(error, kArtModule, __LINE__);
  double* m = planeMemory.get();
  ColourPlanes colours = {
      m, m + pixels, m + 2 * pixels, m + 3 * pixels, m + 4 * pixels, m + 5 * pixels};
  ToDecoderColours(image, colours);

  Attempt steps = {LumaStep(options.quality), 0};
  steps.chromaStep = ChromaStep(steps.lumaStep);
  for (;;) {
    bool wraps = false;
    CodecStatus status = EncodeOnce(image, options, side, levels, halved, steps, colours, file,
                                    stats, &wraps, error);
    if (status != CodecStatus::kOk) return status;
    if (wraps) {
      // A level less halves the coarsest band; half-size chroma keeps the
      // level it is halved by.
      if (levels <= (halved ? 1 : 0)) {
        return SetCodecError(error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                             "The picture's values are too large for the decoder's sums");
      }
      --levels;
      continue;
    }
    // Decode what was written: the file must read back, and strong ringing
    // at coarse steps must not push a colour outside the clamp table.
    double squaredError = 0;
    status = DecodeToCheck(*file, image, &squaredError, error);
    if (status == CodecStatus::kOk) {
      if (stats) stats->psnr = PsnrOf(squaredError, image);
      return CodecStatus::kOk;
    }
    // Only ringing is worth a finer step; any other failure is the answer.
    if (status != CodecStatus::kBadData || steps.lumaStep <= 1) return status;
    steps.lumaStep = std::max(1, steps.lumaStep / 2);
    steps.chromaStep = std::max(1, steps.chromaStep / 2);
  }
}

CodecStatus EncodeWaveletToSize(const BgrImage& image, const EncodeOptions& options,
                                size_t maxBytes, ByteBuffer* file, EncodeStats* stats, int* quality,
                                CodecError* error) {
  ClearCodecError(error);
  if (options.method == EncodeMethod::kRateDistortion) {
    if (maxBytes == 0) {
      return SetCodecError(error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                           "No art fits in 0 bytes");
    }
    return EncodeByRateDistortion(image, options, maxBytes, file, stats, quality, error);
  }
  // Files grow with the quality (the steps only get finer), so the answer
  // is found by halving the range: at most seven encodes.
  int low = 1;
  int high = 100;
  int best = 0;
  ByteBuffer bestFile;
  EncodeStats bestStats;
  while (low <= high) {
    const int middle = (low + high) / 2;
    EncodeOptions tryOptions = options;
    tryOptions.quality = middle;
    ByteBuffer candidate;
    EncodeStats candidateStats;
    CodecStatus status = EncodeWavelet(image, tryOptions, &candidate, &candidateStats, error);
    if (status != CodecStatus::kOk) return status;
    if (candidate.size <= maxBytes) {
      best = middle;
      bestFile = std::move(candidate);
      bestStats = candidateStats;
      low = middle + 1;
    } else {
      high = middle - 1;
    }
  }
  if (best == 0) {
    return SetCodecError(error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                         "No art of this picture fits in %u bytes",
                         static_cast<unsigned>(maxBytes));
  }
  *file = std::move(bestFile);
  if (stats) *stats = bestStats;
  if (quality) *quality = best;
  return CodecStatus::kOk;
}
