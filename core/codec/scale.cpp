#include "codec/scale.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "codec/codec_context.h"
#include "codec/spot.h"

namespace {

// Scaled sides stay below 32768 so that side x 65536 fits the signed 32-bit
// step and accumulator of the position tables.
constexpr int32_t kMaxScaledSide = 32767;

// Position table: the accumulated 16.16 step, >> 8.
void BuildPositions(int32_t* table, int32_t count, int32_t step) {
  int32_t acc = 0;
  for (int32_t i = 0; i < count; ++i) {
    table[i] = acc >> 8;
    acc += step;
  }
}

uint64_t Area3(int32_t width, int32_t height) {
  return static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 3;
}

bool SideOk(int32_t side) {
  return side >= 1 && side <= kMaxScaledSide;
}

// The decoded image of art: its own pixels, or a fresh decode into `into`
// (or into place when given).
CodecStatus SourcePixels(CodecContext* ctx, WaveletImage* art, uint8_t* place, ByteBuffer* into,
                         uint8_t** pixels, DecodeRoom room = DecodeRoom()) {
  // A record's own pixels are used when they are really its decoded image
  // (a record built by hand must still describe them truthfully).
  const ArtHeader& h = art->header;
  uint64_t bytes = h.width > 0 && h.height > 0
                       ? static_cast<uint64_t>(h.width) * static_cast<uint64_t>(h.height) * 3
                       : 0;
  if (art->decoded && bytes && static_cast<uint64_t>(h.imageSize) == bytes &&
      art->pixels.size >= bytes) {
    *pixels = art->pixels.data();
    return CodecStatus::kOk;
  }
  CodecStatus status;
  if (place) {
    status = DecodeWavelet(ctx, *art, place, static_cast<size_t>(art->header.imageSize), room);
    *pixels = place;
  } else {
    status = DecodeWavelet(ctx, *art, into, room);
    *pixels = into->data();
  }
  return status;
}

// One row filtered across: srow is a decoded row of exactly width x 3 bytes
// followed by the next row (its first pixel stands in for the pixel after
// the last).
#if defined(__SSE2__)

// Result pixel `position` of a row in 16-bit lanes 0..2 (the lanes above
// hold nothing useful). (s3 f + s0 (256 - f)) >> 8 is s0 + ((s3 - s0) f >> 8),
// as 256 s0 is a whole multiple of 256; (s3 - s0) f >> 8 is the high half of
// (s3 - s0) x 128 times 2f, both of which fit 16 bits. The eight bytes read
// are the pixel, the next one and two more: within the next row, which
// always follows (its first pixel stands in for the one after the last).
inline __m128i AcrossPixel(const uint8_t* srow, int32_t position) {
  const __m128i zero = _mm_setzero_si128();
  const uint8_t* s = srow + 3 * static_cast<size_t>(position >> 8);
  const __m128i v = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(s)), zero);
  const __m128i difference = _mm_sub_epi16(_mm_srli_si128(v, 6), v);
  const __m128i weight = _mm_set1_epi16(static_cast<int16_t>((position & 255) << 1));
  return _mm_add_epi16(v, _mm_mulhi_epi16(_mm_slli_epi16(difference, 7), weight));
}

#endif

void FilterRowAcross(const uint8_t* srow, const int32_t* xpos, int32_t dw, uint8_t* drow) {
  int32_t x = 0;
#if defined(__SSE2__)
  // Two pixels a step, stored as eight bytes: the two bytes past them are
  // written again by the next step, and the last steps are left to the
  // plain loop so that no store passes the row's end.
  const __m128i firstPixel = _mm_setr_epi16(-1, -1, -1, 0, 0, 0, 0, 0);
  for (; x + 3 <= dw; x += 2) {
    const __m128i a = _mm_and_si128(AcrossPixel(srow, xpos[x]), firstPixel);
    const __m128i b = _mm_slli_si128(_mm_and_si128(AcrossPixel(srow, xpos[x + 1]), firstPixel), 6);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(drow + 3 * static_cast<size_t>(x)),
                     _mm_packus_epi16(_mm_or_si128(a, b), a));
  }
#endif
  for (; x < dw; ++x) {
    const uint8_t* s = srow + 3 * static_cast<size_t>(xpos[x] >> 8);
    const int f = xpos[x] & 255;
    const int g = 256 - f;
    drow[3 * x] = static_cast<uint8_t>((s[3] * f + s[0] * g) >> 8);
    drow[3 * x + 1] = static_cast<uint8_t>((s[4] * f + s[1] * g) >> 8);
    drow[3 * x + 2] = static_cast<uint8_t>((s[5] * f + s[2] * g) >> 8);
  }
}

// One result row down from two filtered rows, its pad bytes zeroed.
void FilterRowDown(const uint8_t* upper, const uint8_t* lower, int32_t position, size_t rowBytes,
                   size_t stride, uint8_t* drow) {
  const int f = position & 255;
  const int g = 256 - f;
  size_t i = 0;
#if defined(__SSE2__)
  // Sixteen bytes at a time in 16-bit lanes: upper x g + lower x f is at
  // most 255 x 256, so it fits.
  const __m128i wg = _mm_set1_epi16(static_cast<int16_t>(g));
  const __m128i wf = _mm_set1_epi16(static_cast<int16_t>(f));
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= rowBytes; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + i));
    const __m128i lo =
        _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(a, zero), wg),
                                     _mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), wf)),
                       8);
    const __m128i hi =
        _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(a, zero), wg),
                                     _mm_mullo_epi16(_mm_unpackhi_epi8(b, zero), wf)),
                       8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(drow + i), _mm_packus_epi16(lo, hi));
  }
#endif
  for (; i < rowBytes; ++i) {
    drow[i] = static_cast<uint8_t>((upper[i] * g + lower[i] * f) >> 8);
  }
  std::memset(drow + rowBytes, 0, stride - rowBytes);
}

// The filtered row a result row starts from: its position's whole part, at
// most the second-last row.
int32_t BaseRow(int32_t position, int32_t height) {
  const int32_t base = position >> 8;
  return base > height - 2 ? height - 2 : base;
}

// Whether the pass across may write its rows into the target while the
// decoded art still lies at the end of it: filtered row y (at row
// firstRow + y of the target, rowBytes long) must end before decoded row
// y + 1, which is read after it, begins. Both ends move linearly with y, so
// the first and the last row decide.
bool AcrossFitsInPlace(uint64_t srcOffset, size_t srcStride, size_t stride, size_t rowBytes,
                       int32_t firstRow, int32_t height) {
  for (int32_t y : {0, height - 2}) {
    const uint64_t end = static_cast<uint64_t>(firstRow + y) * stride + rowBytes;
    const uint64_t nextRow = srcOffset + static_cast<uint64_t>(y + 1) * srcStride;
    if (end > nextRow) return false;
  }
  return true;
}

struct ScalePasses {
  const uint8_t* src = nullptr;  // the decoded art, rows of width x 3 bytes
  int32_t width = 0;
  int32_t height = 0;
  int32_t dw = 0;
  int32_t dh = 0;
  size_t stride = 0;  // of the result
  const int32_t* xpos = nullptr;
  const int32_t* ypos = nullptr;
};

// Both passes through a buffer of their own: height rows filtered across,
// then the result rows down from them.
CodecStatus ScaleApart(CodecContext* ctx, const ScalePasses& p, uint8_t* out) {
  const size_t rowBytes = static_cast<size_t>(p.dw) * 3;
  ByteBuffer across;
  if (!AllocateBytes(&across, rowBytes * static_cast<size_t>(p.height), false, &ctx->memory)) {
    return OutOfMemory(ctx, kArtModule, __LINE__);
  }
  const size_t srcStride = static_cast<size_t>(p.width) * 3;
  for (int32_t y = 0; y + 1 < p.height; ++y) {
    if (StopRequested(ctx->cancel)) return StoppedError(&ctx->error, kArtModule, __LINE__);
    FilterRowAcross(p.src + srcStride * static_cast<size_t>(y), p.xpos, p.dw,
                    across.data() + rowBytes * static_cast<size_t>(y));
  }
  std::memset(across.data() + rowBytes * static_cast<size_t>(p.height - 1), 0, rowBytes);
  for (int32_t y = 0; y + 1 < p.dh; ++y) {
    if (StopRequested(ctx->cancel)) return StoppedError(&ctx->error, kArtModule, __LINE__);
    const uint8_t* upper =
        across.data() + rowBytes * static_cast<size_t>(BaseRow(p.ypos[y], p.height));
    FilterRowDown(upper, upper + rowBytes, p.ypos[y], rowBytes, p.stride,
                  out + p.stride * static_cast<size_t>(y));
  }
  std::memset(out + p.stride * static_cast<size_t>(p.dh - 1), 0, p.stride);
  return CodecStatus::kOk;
}

// Both passes in the target that holds the decoded art at its end. Across:
// filtered row y goes to target row firstRow + y (firstRow = dh - height
// when the art grows), each row made in a spare row first, so it may cover
// the decoded row it came from (AcrossFitsInPlace). Down: result row y is
// made from filtered rows base and base + 1 and belongs in target row y,
// which is filtered row y - firstRow; it goes there once that row is no
// longer needed (below the base of the row being made, bases only grow) and
// waits in a spare row until then. A few rows wait at most; how many is
// counted from the position table first.
CodecStatus ScaleInPlace(CodecContext* ctx, const ScalePasses& p, uint8_t* target,
                         int32_t firstRow) {
  const size_t rowBytes = static_cast<size_t>(p.dw) * 3;
  const size_t srcStride = static_cast<size_t>(p.width) * 3;
  const int32_t resultRows = p.dh - 1;  // the last row is black
  // Rows waiting at once: made but not yet written, always a run of rows.
  int32_t mostWaiting = 1;
  for (int32_t y = 0, written = 0; y < resultRows; ++y) {
    const int32_t base = BaseRow(p.ypos[y], p.height);
    while (written < y && written - firstRow < base) ++written;
    if (written == y && y - firstRow < base) {
      written = y + 1;
    } else if (y + 1 - written > mostWaiting) {
      mostWaiting = y + 1 - written;
    }
  }
  ByteBuffer spare;
  if (!AllocateBytes(&spare, p.stride * static_cast<size_t>(mostWaiting), false, &ctx->memory)) {
    return OutOfMemory(ctx, kArtModule, __LINE__);
  }
  auto row = [&](int32_t y) { return target + p.stride * static_cast<size_t>(y); };
  auto waiting = [&](int32_t y) {
    return spare.data() + p.stride * static_cast<size_t>(y % mostWaiting);
  };

  for (int32_t y = 0; y + 1 < p.height; ++y) {
    if (StopRequested(ctx->cancel)) return StoppedError(&ctx->error, kArtModule, __LINE__);
    FilterRowAcross(p.src + srcStride * static_cast<size_t>(y), p.xpos, p.dw, spare.data());
    std::memcpy(row(firstRow + y), spare.data(), rowBytes);
  }
  std::memset(row(firstRow + p.height - 1), 0, rowBytes);

  int32_t written = 0;
  for (int32_t y = 0; y < resultRows; ++y) {
    if (StopRequested(ctx->cancel)) return StoppedError(&ctx->error, kArtModule, __LINE__);
    const int32_t base = BaseRow(p.ypos[y], p.height);
    for (; written < y && written - firstRow < base; ++written) {
      std::memcpy(row(written), waiting(written), p.stride);
    }
    const uint8_t* upper = row(firstRow + base);
    if (written == y && y - firstRow < base) {
      FilterRowDown(upper, upper + p.stride, p.ypos[y], rowBytes, p.stride, row(y));
      written = y + 1;
    } else {
      FilterRowDown(upper, upper + p.stride, p.ypos[y], rowBytes, p.stride, waiting(y));
    }
  }
  for (; written < resultRows; ++written) std::memcpy(row(written), waiting(written), p.stride);
  std::memset(row(p.dh - 1), 0, p.stride);
  return CodecStatus::kOk;
}

}  // namespace

bool DecodeOffsetInTarget(int32_t artWidth, int32_t artHeight, int32_t dw, int32_t dh,
                          uint64_t* offset) {
  *offset = 0;
  if (artWidth <= 0 || artHeight <= 0 || dw <= 0 || dh <= 0) return false;
  const uint64_t span = std::max(Area3(dw, dh), kScaleTargetFloor);
  const uint64_t decoded = Area3(artWidth, artHeight);
  if (decoded > span) return false;
  *offset = span - decoded;
  return true;
}

uint64_t ScaleTargetBytes(int32_t artWidth, int32_t artHeight, int32_t dw, int32_t dh) {
  if (artWidth <= 0 || artHeight <= 0 || dw <= 0 || dh <= 0) return 0;
  const uint64_t rows = static_cast<uint64_t>(std::max(artHeight, dh));
  return std::max(std::max(Area3(dw, dh), kScaleTargetFloor), RowStride(dw) * rows);
}

int32_t ScaleStep(int32_t source, int32_t destination) {
  return static_cast<int32_t>((static_cast<int64_t>(source) << 16) / destination);
}

bool LogoPixelUsed(bool firstLogo, const uint8_t* bgr) {
  if (firstLogo) return bgr[0] > 32 || bgr[1] > 32 || bgr[2] > 32;
  return bgr[0] < 200 || bgr[1] < 200 || bgr[2] < 200;
}

DibHeader MakeDibHeader(int32_t width, int32_t height) {
  DibHeader h;
  std::memset(&h, 0, sizeof h);
  h.biSize = 40;
  h.biWidth = width;
  h.biHeight = -height;
  h.biPlanes = 1;
  h.biBitCount = 24;
  return h;
}

CodecStatus ReduceColours(CodecContext* ctx, uint8_t* image, int32_t ditherRows, int32_t mapRows,
                          int32_t width) {
  int pad = RowPadding(width);
  int depth = ctx->displayBitsPerPixel;
  if (ctx->options.fifteenBitsAsSixteen && depth == 15) depth = 16;
  // The palette routines record their failures in ctx->error themselves.
  if (ctx->ditherKernel == 0) return MapImageToPalette(&ctx->palette, image, mapRows, width, pad);
  if (depth == 16) {
    return DitherImage16(&ctx->palette, ctx->ditherKernel, ctx->serpentine, image, ditherRows,
                         width, pad);
  }
  if (depth == 8) {
    return DitherImage8(&ctx->palette, ctx->ditherKernel, ctx->serpentine, image, ditherRows, width,
                        pad);
  }
  return CodecStatus::kOk;
}

CodecStatus OverlayLogo(CodecContext* ctx, uint8_t* image, int32_t width, int32_t height,
                        int corner) {
  ClearCodecError(&ctx->error);
  if (ctx->logoKind == -1) return CodecStatus::kOk;
  const bool firstLogo = ctx->logoKind == 1;
  char path[kPathSize];
  int n = std::snprintf(path, sizeof path, "%s%s", ctx->artDirectory,
                        firstLogo ? "logo1.art" : "logo3.art");
  if (n < 0 || static_cast<size_t>(n) >= sizeof path) {
    return SetCodecError(&ctx->error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                         "Logo path in %s is too long", ctx->artDirectory);
  }
  WaveletPtr logo;
  CodecStatus status = ReadWavelet(ctx, path, true, &logo);
  if (status != CodecStatus::kOk) return status;
  const int32_t lw = logo->header.width;
  const int32_t lh = logo->header.height;
  const int32_t left = (corner & 1) ? width - lw - 1 : 0;
  const int32_t top = (corner & 2) ? height - lh - 1 : 0;
  const size_t imageStride = static_cast<size_t>(width) * 3;
  const size_t logoStride = static_cast<size_t>(lw) * 3;
  for (int32_t r = 0; r < lh; ++r) {
    int32_t y = top + r;
    if (y < 0 || y >= height) continue;
    const uint8_t* lp = logo->pixels.data() + logoStride * static_cast<size_t>(r);
    for (int32_t c = 0; c < lw; ++c, lp += 3) {
      int32_t x = left + c;
      if (x < 0 || x >= width) continue;
      if (!LogoPixelUsed(firstLogo, lp)) continue;
      uint8_t* ip = image + imageStride * static_cast<size_t>(y) + 3 * static_cast<size_t>(x);
      for (int k = 0; k < 3; ++k) ip[k] = static_cast<uint8_t>((ip[k] + lp[k]) / 2);
    }
  }
  return CodecStatus::kOk;
}

CodecStatus FilterScaleImage(CodecContext* ctx, uint8_t* target, size_t targetSize,
                             WaveletImage* art, int32_t dw, int32_t dh, int32_t spot,
                             ScaledImage* result) {
  ClearCodecError(&ctx->error);
  *result = ScaledImage();
  if (!art) {
    return SetCodecError(&ctx->error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                         "FilterScaleImage: no art");
  }
  const char* name = art->fileName;
  if (!SideOk(dw) || !SideOk(dh)) {
    return SetCodecError(&ctx->error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                         "FilterScaleImage: cannot scale %s to %d x %d", name, dw, dh);
  }
  const int32_t width = art->header.width;
  const int32_t height = art->header.height;
  const uint64_t decodedBytes = static_cast<uint64_t>(art->header.imageSize);
  const bool sameSize = dw == width && dh == height;
  const size_t stride = RowStride(dw);
  const size_t rowBytes = static_cast<size_t>(dw) * 3;
  const uint64_t resultBytes = static_cast<uint64_t>(stride) * static_cast<uint64_t>(dh);
  if (resultBytes > kMaxAllocation) {
    return SetCodecError(&ctx->error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                         "FilterScaleImage: %d x %d is too large", dw, dh);
  }
  if (target && !sameSize && targetSize < resultBytes) {
    return SetCodecError(&ctx->error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                         "FilterScaleImage: target of %u bytes cannot hold %d x %d",
                         static_cast<unsigned>(targetSize), dw, dh);
  }
  // Known from the header: refused before the art costs its decoding.
  if (!sameSize && (width < 2 || height < 2)) {
    return SetCodecError(&ctx->error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                         "FilterScaleImage: %s is %d x %d, too small to filter", name, width,
                         height);
  }

  // The decoded art goes to the end of the target, as the programs have
  // always put it: returned as it is when the size is the art's own, else
  // scaled in place when the target's rows leave room for that (the passes
  // then read ahead of what they write). Otherwise, and without a target, it
  // gets a buffer of its own.
  const int32_t firstAcrossRow = dh > height ? dh - height : 0;
  uint8_t* place = nullptr;
  bool inPlace = false;
  if (target && !art->decoded) {
    const uint64_t span = std::max(Area3(dw, dh), kScaleTargetFloor);
    if (span <= targetSize && span >= decodedBytes) {
      const uint64_t offset = span - decodedBytes;
      if (sameSize) {
        place = target + offset;
      } else if (height >= 2 && width >= 2 &&
                 ScaleTargetBytes(width, height, dw, dh) <= targetSize &&
                 AcrossFitsInPlace(offset, static_cast<size_t>(width) * 3, stride, rowBytes,
                                   firstAcrossRow, height)) {
        place = target + offset;
        inPlace = true;
      }
    }
  }
  // The target bytes the result will cover and the decoded art does not
  // are lent to the decoder for its working planes: their pages are then
  // touched once, by both, rather than fresh planes being allocated too.
  DecodeRoom room;
  if (target && !sameSize) {
    room.bytes = target;
    room.size = place ? static_cast<size_t>(place - target) : targetSize;
    if (room.size > resultBytes) room.size = static_cast<size_t>(resultBytes);
  }
  ByteBuffer decodedOwn;
  uint8_t* src = nullptr;
  CodecStatus status = SourcePixels(ctx, art, place, &decodedOwn, &src, room);
  if (status != CodecStatus::kOk) return status;

  if (ctx->options.logoOverlay) {
    status = OverlayLogo(ctx, src, width, height, 3);
    if (status != CodecStatus::kOk) return status;
  }

  if (sameSize) {
    result->pixels = src;
    result->width = width;
    result->height = height;
    result->stride = static_cast<size_t>(width) * 3;
    result->owned = std::move(decodedOwn);
    return CodecStatus::kOk;
  }
  if (StopRequested(ctx->cancel)) return StoppedError(&ctx->error, kArtModule, __LINE__);

  uint8_t* out = target;
  if (!out) {
    uint64_t rows = static_cast<uint64_t>(height > dh ? height : dh);
    if (!AllocateBytes(&result->owned, static_cast<size_t>(stride * rows + 4), true,
                       &ctx->memory)) {
      return OutOfMemory(ctx, kArtModule, __LINE__);
    }
    out = result->owned.data();
  }
  IntBuffer positions;
  if (!AllocateInts(&positions, static_cast<size_t>(dw) + static_cast<size_t>(dh), false,
                    &ctx->memory)) {
    return OutOfMemory(ctx, kArtModule, __LINE__);
  }
  ScalePasses passes;
  passes.src = src;
  passes.width = width;
  passes.height = height;
  passes.dw = dw;
  passes.dh = dh;
  passes.stride = stride;
  int32_t* xpos = positions.data();
  int32_t* ypos = xpos + dw;
  BuildPositions(xpos, dw, ScaleStep(width, dw));
  BuildPositions(ypos, dh, ScaleStep(height, dh));
  passes.xpos = xpos;
  passes.ypos = ypos;
  status = inPlace ? ScaleInPlace(ctx, passes, out, firstAcrossRow) : ScaleApart(ctx, passes, out);
  if (status != CodecStatus::kOk) return status;

  result->pixels = out;
  result->width = dw;
  result->height = dh;
  result->stride = stride;
  decodedOwn = ByteBuffer();

  if (spot != -1) {
    status = SaveSpot(ctx, out, dw, dh, spot);
    if (status != CodecStatus::kOk) return status;
  }
  return ReduceColours(ctx, out, dh - 1, dh, dw);
}

CodecStatus NearestScaleImage(CodecContext* ctx, uint8_t* target, size_t targetSize,
                              WaveletImage* art, int32_t dw, int32_t dh, ScaledImage* result) {
  ClearCodecError(&ctx->error);
  *result = ScaledImage();
  if (!art || !SideOk(dw) || !SideOk(dh)) {
    return SetCodecError(&ctx->error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                         "NearestScaleImage: cannot scale to %d x %d", dw, dh);
  }
  const size_t stride = RowStride(dw);
  const uint64_t resultBytes = static_cast<uint64_t>(stride) * static_cast<uint64_t>(dh);
  if (resultBytes > kMaxAllocation || (target && targetSize < resultBytes)) {
    return SetCodecError(&ctx->error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                         "NearestScaleImage: no room for %d x %d", dw, dh);
  }
  const int32_t width = art->header.width;
  const int32_t height = art->header.height;
  ByteBuffer decodedOwn;
  uint8_t* src = nullptr;
  CodecStatus status = SourcePixels(ctx, art, nullptr, &decodedOwn, &src);
  if (status != CodecStatus::kOk) return status;
  uint8_t* out = target;
  if (!out) {
    if (!AllocateBytes(&result->owned, static_cast<size_t>(resultBytes + 8), true, &ctx->memory)) {
      return OutOfMemory(ctx, kArtModule, __LINE__);
    }
    out = result->owned.data();
  }
  IntBuffer columns;
  if (!AllocateInts(&columns, static_cast<size_t>(dw), false, &ctx->memory)) {
    return OutOfMemory(ctx, kArtModule, __LINE__);
  }
  const int32_t xstep = ScaleStep(width, dw);
  const int32_t ystep = ScaleStep(height, dh);
  int32_t acc = 0;
  for (int32_t x = 0; x < dw; ++x, acc += xstep) columns.data()[x] = (acc >> 16) * 3;
  const size_t rowBytes = static_cast<size_t>(dw) * 3;
  const size_t srcStride = static_cast<size_t>(width) * 3;
  int32_t previous = -1;
  acc = 0;
  for (int32_t y = 0; y < dh; ++y, acc += ystep) {
    int32_t sy = acc >> 16;
    uint8_t* drow = out + stride * static_cast<size_t>(y);
    if (sy == previous) {
      std::memcpy(drow, drow - stride, rowBytes);
      continue;
    }
    const uint8_t* srow = src + srcStride * static_cast<size_t>(sy);
    for (int32_t x = 0; x < dw; ++x) std::memcpy(drow + 3 * x, srow + columns.data()[x], 3);
    previous = sy;
  }
  result->pixels = out;
  result->width = dw;
  result->height = dh;
  result->stride = stride;
  return CodecStatus::kOk;
}
