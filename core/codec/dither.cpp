#include "codec/dither.h"

#include <cstring>
#include <new>

#include "codec/palette.h"

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
      if (!AllocateInts(&row, static_cast<size_t>(entries) * 3, false)) {
        state.errorRowEntries = 0;
        return PaletteOutOfMemory(ctx, __LINE__);
      }
    }
    state.errorRowEntries = entries;
  }
  size_t rowBytes = static_cast<size_t>(entries) * 3 * sizeof(int32_t);
  int32_t* errorRow[5];
  for (int i = 0; i < 5; ++i) {
    errorRow[i] = state.errorRows[i].data();
    std::memset(errorRow[i], 0, rowBytes);
  }
  const int kernelRows = kDitherKernels[kernel].rows > 0 ? kDitherKernels[kernel].rows : 1;
  const int32_t* const* tapDelta = state.deltas.tap;
  const size_t stride = static_cast<size_t>(width) * 3 + static_cast<size_t>(rowPadding);

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
        q = NearestColour(ctx, c);
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
