#include "codec/dither.h"

#include <cstring>
#include <new>
#include <utility>

#include "codec/palette.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr DitherKernel Mirror(DitherKernel k) {
  for (int i = 0; i < k.tapCount; ++i) k.taps[i].dx = static_cast<int8_t>(-k.taps[i].dx);
  return k;
}

constexpr DitherKernel kNone = {0, 0, 0, {}};
constexpr DitherKernel kHalf = {16, 2, 2, {{3, -1, 1}, {5, 0, 1}}};
constexpr DitherKernel kFloydSteinberg = {16, 4, 2, {{7, 1, 0}, {3, -1, 1}, {5, 0, 1}, {1, 1, 1}}};
constexpr DitherKernel kStucki = {42,
                                  12,
                                  3,
                                  {{8, 1, 0},
                                   {4, 2, 0},
                                   {2, -2, 1},
                                   {4, -1, 1},
                                   {8, 0, 1},
                                   {4, 1, 1},
                                   {2, 2, 1},
                                   {1, -2, 2},
                                   {2, -1, 2},
                                   {4, 0, 2},
                                   {2, 1, 2},
                                   {1, 2, 2}}};
constexpr DitherKernel kBurkes = {
    32, 7, 2, {{8, 1, 0}, {4, 2, 0}, {2, -2, 1}, {4, -1, 1}, {8, 0, 1}, {4, 1, 1}, {2, 2, 1}}};
constexpr DitherKernel kSierra = {32,
                                  10,
                                  3,
                                  {{5, 1, 0},
                                   {3, 2, 0},
                                   {2, -2, 1},
                                   {4, -1, 1},
                                   {5, 0, 1},
                                   {4, 1, 1},
                                   {2, 2, 1},
                                   {2, -1, 2},
                                   {3, 0, 2},
                                   {2, 1, 2}}};
constexpr DitherKernel kJarvis = {48,
                                  12,
                                  3,
                                  {{7, 1, 0},
                                   {5, 2, 0},
                                   {3, -2, 1},
                                   {5, -1, 1},
                                   {7, 0, 1},
                                   {5, 1, 1},
                                   {3, 2, 1},
                                   {1, -2, 2},
                                   {3, -1, 2},
                                   {5, 0, 2},
                                   {3, 1, 2},
                                   {1, 2, 2}}};
// 62, not 26, in the middle of the third row; the divisor is the weights' sum.
constexpr DitherKernel kWide = {236,
                                12,
                                4,
                                {{32, 2, 0},
                                 {12, -3, 1},
                                 {26, -1, 1},
                                 {30, 1, 1},
                                 {16, 3, 1},
                                 {12, -2, 2},
                                 {62, 0, 2},
                                 {12, 2, 2},
                                 {5, -3, 3},
                                 {12, -1, 3},
                                 {12, 1, 3},
                                 {5, 3, 3}}};

// Error rows: x = 0 at entry 5, so taps reaching 3 to either side stay inside
// rows of width + 10 entries.
constexpr int kRowMargin = 5;

inline int Clamp255(int v) {
  return v < 0 ? 0 : (v > 255 ? 255 : v);
}

enum class Target { kPalette, kFiveBits };

#if defined(__SSE2__)

// Floyd-Steinberg (kernel 2, left to right) with the three channels side by
// side in one vector. Its divisor 16 divides 256, so each delta table entry
// is exactly (8 + w (e - 1)) x 16 = 128 - 16 w + 16 w e: the tables'
// values without reading them. Error rows hold four lanes an entry (blue,
// green, red, 0). The errors for the row below are summed in registers and
// each entry is written once, so that row starts empty.
template <Target kTarget>
class FloydSteinbergRow {
 public:
  void Begin(PaletteContext* ctx, uint8_t* pixels, int width, const int32_t* current,
             int32_t* below) {
    ctx_ = ctx;
    cache_ = kTarget == Target::kPalette ? PrepareNearestCache(ctx) : nullptr;
    pixels_ = pixels;
    lastX_ = width - 1;
    current_ = current;
    below_ = below;
    carry_ = pending0_ = pending1_ = _mm_setzero_si128();
  }

  // Pixel x, after pixel x - 1; writes the row below's entry x - 1 for good.
  // Inlined into the rows' loop, so that each row's errors stay in registers.
  __attribute__((always_inline)) void Step(int x) {
    const __m128i zero = _mm_setzero_si128();
    uint8_t* px = pixels_ + 3 * static_cast<size_t>(x);
    const __m128i acc =
        _mm_add_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(current_ + 4 * x)), carry_);
    // One read takes the next pixel's first byte too (x86 is little-endian),
    // except at the row's end, where it may lie past the picture.
    uint32_t bytes;
    if (x < lastX_) {
      std::memcpy(&bytes, px, 4);
      bytes &= 0xFFFFFF;
    } else {
      bytes = static_cast<uint32_t>(px[0]) | static_cast<uint32_t>(px[1]) << 8 |
              static_cast<uint32_t>(px[2]) << 16;
    }
    const __m128i pixel = _mm_unpacklo_epi16(
        _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(bytes)), zero), zero);
    const __m128i sum = _mm_add_epi32(pixel, _mm_srai_epi32(acc, 8));
    const __m128i clamped = _mm_packus_epi16(_mm_packs_epi32(sum, zero), zero);
    __m128i error;
    if (kTarget == Target::kFiveBits) {
      // Kept in the vector: q is c with the low three bits of each channel
      // cleared, except pure black and white, which stay (no error). Black
      // has no low bits to clear, so only white needs the exception.
      const __m128i rgbMask = _mm_cvtsi32_si128(0xFFFFFF);
      const __m128i colour = _mm_and_si128(clamped, rgbMask);
      const __m128i low = _mm_andnot_si128(_mm_cmpeq_epi32(colour, rgbMask),
                                           _mm_and_si128(colour, _mm_cvtsi32_si128(0x070707)));
      const uint32_t q = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_xor_si128(colour, low)));
      px[0] = static_cast<uint8_t>(q);
      px[1] = static_cast<uint8_t>(q >> 8);
      px[2] = static_cast<uint8_t>(q >> 16);
      error = _mm_unpacklo_epi16(_mm_unpacklo_epi8(low, zero), zero);
    } else {
      // The spare lane gathers the biases; it is never part of a colour.
      const uint32_t c = static_cast<uint32_t>(_mm_cvtsi128_si32(clamped)) & 0xFFFFFF;
      const uint32_t q = c == 0 || c == 0xFFFFFF ? c : NearestColourKept(ctx_, cache_, c);
      px[0] = static_cast<uint8_t>(q);
      px[1] = static_cast<uint8_t>(q >> 8);
      px[2] = static_cast<uint8_t>(q >> 16);
      const __m128i quantised =
          _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(q)), zero), zero);
      error = _mm_sub_epi32(_mm_unpacklo_epi16(_mm_unpacklo_epi8(clamped, zero), zero), quantised);
    }
    const __m128i e16 = _mm_slli_epi32(error, 4);
    const __m128i d7 =
        _mm_add_epi32(_mm_sub_epi32(_mm_slli_epi32(e16, 3), e16), _mm_set1_epi32(128 - 16 * 7));
    const __m128i d3 =
        _mm_add_epi32(_mm_add_epi32(_mm_slli_epi32(e16, 1), e16), _mm_set1_epi32(128 - 16 * 3));
    const __m128i d5 =
        _mm_add_epi32(_mm_add_epi32(_mm_slli_epi32(e16, 2), e16), _mm_set1_epi32(128 - 16 * 5));
    const __m128i d1 = _mm_add_epi32(e16, _mm_set1_epi32(128 - 16 * 1));
    carry_ = d7;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(below_ + 4 * (x - 1)),
                     _mm_add_epi32(pending0_, d3));
    pending0_ = _mm_add_epi32(pending1_, d5);
    pending1_ = d1;
  }

  // After the last pixel: the row below's last entries.
  void Finish(int width) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(below_ + 4 * (width - 1)), pending0_);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(below_ + 4 * width), pending1_);
  }

 private:
  PaletteContext* ctx_ = nullptr;
  const NearestCache* cache_ = nullptr;  // the answers kept, null when none
  uint8_t* pixels_ = nullptr;
  int lastX_ = 0;
  const int32_t* current_ = nullptr;
  int32_t* below_ = nullptr;
  __m128i carry_;     // this row, x + 1 (the weight-7 tap)
  __m128i pending0_;  // the row below, x - 1
  __m128i pending1_;  // the row below, x
};

// kRows rows at once, each two pixels behind the one above. Row k's step x
// makes the entry x - 1 that row k + 1 needs for its step x - 1, so one
// pixel behind would be enough; but then each row's pixel would finish a
// pixel's work later than the one above it in the same column, and the
// processor would have to look several columns ahead to keep all rows
// busy. Two pixels behind, the rows' pixels of one column finish together.
// Each pixel waits for the error of the one before it, so one row alone
// leaves the processor idle most of the time; independent rows fill it.
// Row k reads error row k of `errors` and writes error row k + 1. The same
// arithmetic in the same order per row, so the same bytes.
template <Target kTarget, int kRows>
void FloydSteinbergRows(PaletteContext* ctx, uint8_t* first, size_t stride, int width,
                        int32_t* const* errors) {
  constexpr int kLag = 2;
  FloydSteinbergRow<kTarget> row[kRows];
  for (int k = 0; k < kRows; ++k) {
    row[k].Begin(ctx, first + stride * static_cast<size_t>(k), width, errors[k], errors[k + 1]);
  }
  // Rows starting, all rows under way (no row at its end), rows ending.
  auto stepAll = [&](int x) {
    for (int k = 0; k < kRows; ++k) {
      const int at = x - kLag * k;
      if (at < 0 || at >= width) continue;
      row[k].Step(at);
      if (at == width - 1) row[k].Finish(width);
    }
  };
  const int fullFrom = kLag * (kRows - 1);
  const int fullTo = width - 1;  // row 0 ends at width - 1
  const int end = width + kLag * (kRows - 1);
  int x = 0;
  for (; x < fullFrom && x < end; ++x) stepAll(x);
  for (; x < fullTo; ++x) {
    // Unrolled, each row's state can stay in registers from one step to
    // the next rather than go through the row objects in memory.
#pragma GCC unroll 4
    for (int k = 0; k < kRows; ++k) row[k].Step(x - kLag * k);
  }
  for (; x < end; ++x) stepAll(x);
}

template <Target kTarget>
CodecStatus FloydSteinberg(PaletteContext* ctx, uint8_t* image, int rows, int width, size_t stride,
                           int32_t* const* errorRows) {
  constexpr int kGroup = 4;
  int32_t* errors[kGroup + 1];
  for (int i = 0; i <= kGroup; ++i) errors[i] = errorRows[i] + 4 * kRowMargin;
  int y = 0;
  while (y < rows) {
    if (StopRequested(ctx->cancel)) return StoppedError(&ctx->error, kPaletteModule, __LINE__);
    uint8_t* first = image + stride * static_cast<size_t>(y);
    const int count = rows - y >= kGroup ? kGroup : rows - y >= 2 ? 2 : 1;
    if (count == kGroup) {
      FloydSteinbergRows<kTarget, kGroup>(ctx, first, stride, width, errors);
    } else if (count == 2) {
      FloydSteinbergRows<kTarget, 2>(ctx, first, stride, width, errors);
    } else {
      FloydSteinbergRows<kTarget, 1>(ctx, first, stride, width, errors);
    }
    // The last row's errors are the next group's first.
    std::swap(errors[0], errors[count]);
    y += count;
  }
  return CodecStatus::kOk;
}

#endif

CodecStatus Dither(PaletteContext* ctx, Target target, int* lastKernel, int kernel, bool serpentine,
                   uint8_t* image, int rows, int width, int rowPadding) {
  const char* name = target == Target::kPalette ? "DitherImage8" : "DitherImage16";
  if (kernel < 0 || kernel >= kDitherKernelCount) {
    return SetCodecError(&ctx->error, CodecStatus::kBadArgument, kPaletteModule, __LINE__,
                         "%s: dither kernel %d does not exist", name, kernel);
  }
  if (!image || rows < 0 || width < 0 || rowPadding < 0 || width > (1 << 24)) {
    return SetCodecError(&ctx->error, CodecStatus::kBadArgument, kPaletteModule, __LINE__,
                         "%s: bad image (%d rows of %d pixels)", name, rows, width);
  }
  if (target == Target::kPalette && !ctx->table) {
    return SetCodecError(&ctx->error, CodecStatus::kBadArgument, kPaletteModule, __LINE__,
                         "No colour table has been read");
  }
  DitherState& state = ctx->dither;
  // The tables belong to one kernel at a time; rebuild whenever this call's
  // kernel is not the one they were made for (the two routines share them).
  if (kernel != *lastKernel || state.deltas.kernel != kernel % 8) {
    FreeDeltas(&state.deltas);
    CodecStatus status = MakeDeltas(ctx, kernel, &state.deltas);
    if (status != CodecStatus::kOk) return status;
    *lastKernel = kernel;
  }
  int entries = width + 2 * kRowMargin;
  if (state.errorRowEntries < entries) {
    for (IntBuffer& row : state.errorRows) {
      // Four values an entry: the vector path keeps a lane spare.
      if (!AllocateInts(&row, static_cast<size_t>(entries) * 4, false)) {
        state.errorRowEntries = 0;
        return PaletteOutOfMemory(ctx, __LINE__);
      }
    }
    state.errorRowEntries = entries;
  }
  const size_t stride = static_cast<size_t>(width) * 3 + static_cast<size_t>(rowPadding);
#if defined(__SSE2__)
  if (kernel == 2 && !serpentine) {
    // Every entry of the row below is written before it is read, so only
    // the first current row needs clearing.
    std::memset(state.errorRows[0].data(), 0, static_cast<size_t>(entries) * 4 * sizeof(int32_t));
    int32_t* errorRows[5];
    for (int i = 0; i < 5; ++i) errorRows[i] = state.errorRows[i].data();
    if (target == Target::kPalette) {
      return FloydSteinberg<Target::kPalette>(ctx, image, rows, width, stride, errorRows);
    }
    return FloydSteinberg<Target::kFiveBits>(ctx, image, rows, width, stride, errorRows);
  }
#endif
  size_t rowBytes = static_cast<size_t>(entries) * 3 * sizeof(int32_t);
  int32_t* errorRow[5];
  for (int i = 0; i < 5; ++i) {
    errorRow[i] = state.errorRows[i].data();
    std::memset(errorRow[i], 0, rowBytes);
  }
  const int kernelRows = kDitherKernels[kernel].rows > 0 ? kDitherKernels[kernel].rows : 1;
  const int32_t* const* tapDelta = state.deltas.tap;
  const NearestCache* cache = target == Target::kPalette ? PrepareNearestCache(ctx) : nullptr;

  for (int y = 0; y < rows; ++y) {
    if (StopRequested(ctx->cancel)) return StoppedError(&ctx->error, kPaletteModule, __LINE__);
    uint8_t* row = image + stride * static_cast<size_t>(y);
    bool leftward = serpentine && (y & 1);
    const DitherKernel& k = kDitherKernels[leftward ? MirrorKernel(kernel) : kernel];
    for (int i = 0; i < width; ++i) {
      int x = leftward ? width - 1 - i : i;
      uint8_t* px = row + 3 * static_cast<size_t>(x);
      const int32_t* acc = errorRow[0] + 3 * (x + kRowMargin);
      // The carried error can reach past 255 with the wide kernels; it
      // saturates as the table's ends do.
      int cb = Clamp255(px[0] + (acc[0] >> 8));
      int cg = Clamp255(px[1] + (acc[1] >> 8));
      int cr = Clamp255(px[2] + (acc[2] >> 8));
      uint32_t c = static_cast<uint32_t>(cr << 16 | cg << 8 | cb);
      uint32_t q;
      if (c == 0 || c == 0xFFFFFF) {
        q = c;
      } else if (target == Target::kPalette) {
        q = NearestColourKept(ctx, cache, c);
      } else {
        q = c & 0xF8F8F8;
      }
      int qb = static_cast<int>(q & 0xFF);
      int qg = static_cast<int>((q >> 8) & 0xFF);
      int qr = static_cast<int>((q >> 16) & 0xFF);
      px[0] = static_cast<uint8_t>(qb);
      px[1] = static_cast<uint8_t>(qg);
      px[2] = static_cast<uint8_t>(qr);
      int eb = cb - qb;
      int eg = cg - qg;
      int er = cr - qr;
      for (int t = 0; t < k.tapCount; ++t) {
        const DitherTap& tap = k.taps[t];
        int32_t* target32 = errorRow[tap.dy] + 3 * (x + tap.dx + kRowMargin);
        const int32_t* delta = tapDelta[t];
        target32[0] += delta[eb];
        target32[1] += delta[eg];
        target32[2] += delta[er];
      }
    }
    // Rotate: the next row's errors become current; the old current row is
    // cleared and becomes the last.
    int32_t* done = errorRow[0];
    for (int i = 0; i + 1 < kernelRows; ++i) errorRow[i] = errorRow[i + 1];
    errorRow[kernelRows - 1] = done;
    std::memset(done, 0, rowBytes);
  }
  return CodecStatus::kOk;
}

}  // namespace

const DitherKernel kDitherKernels[kDitherKernelCount] = {kNone,
                                                         kHalf,
                                                         kFloydSteinberg,
                                                         kStucki,
                                                         kBurkes,
                                                         kSierra,
                                                         kJarvis,
                                                         kWide,
                                                         Mirror(kNone),
                                                         Mirror(kHalf),
                                                         Mirror(kFloydSteinberg),
                                                         Mirror(kStucki),
                                                         Mirror(kBurkes),
                                                         Mirror(kSierra),
                                                         Mirror(kJarvis),
                                                         Mirror(kWide)};

void FreeDeltas(DeltaTables* slots) {
  for (auto& table : slots->table) table.reset();
  for (auto& tap : slots->tap) tap = nullptr;
  slots->kernel = -1;
}

CodecStatus MakeDeltas(PaletteContext* ctx, int kernel, DeltaTables* slots) {
  ClearCodecError(&ctx->error);
  if (ctx->options && ctx->options->trace) ctx->options->trace("MakeDeltas\n");
  if (kernel < 0 || kernel >= kDitherKernelCount) {
    return SetCodecError(&ctx->error, CodecStatus::kBadArgument, kPaletteModule, __LINE__,
                         "MakeDeltas: dither kernel %d does not exist", kernel);
  }
  // A weight's table depends on the divisor too: tables left from another
  // kernel must not be picked up.
  if (slots->kernel != kernel % 8) FreeDeltas(slots);
  const DitherKernel& k = kDitherKernels[kernel];
  const int d = k.divisor;
  for (int t = 0; t < k.tapCount; ++t) {
    const int w = k.taps[t].weight;
    std::unique_ptr<int32_t[]>& table = slots->table[w];
    if (!table) {
      table.reset(new (std::nothrow) int32_t[512]);
      if (!table) {
        FreeDeltas(slots);
        return SetCodecError(&ctx->error, CodecStatus::kOutOfMemory, kPaletteModule, __LINE__,
                             "Not enough memory for delta array\r\n");
      }
      for (int j = 0; j < 512; ++j) table[j] = (((d / 2) + w * (j - 256)) * 256) / d;
    }
    slots->tap[t] = table.get() + 255;
  }
  slots->kernel = kernel % 8;
  return CodecStatus::kOk;
}

CodecStatus DitherImage8(PaletteContext* ctx, int kernel, bool serpentine, uint8_t* image, int rows,
                         int width, int rowPadding) {
  ClearCodecError(&ctx->error);
  return Dither(ctx, Target::kPalette, &ctx->dither.lastKernel8, kernel, serpentine, image, rows,
                width, rowPadding);
}

CodecStatus DitherImage16(PaletteContext* ctx, int kernel, bool serpentine, uint8_t* image,
                          int rows, int width, int rowPadding) {
  ClearCodecError(&ctx->error);
  return Dither(ctx, Target::kFiveBits, &ctx->dither.lastKernel16, kernel, serpentine, image, rows,
                width, rowPadding);
}
