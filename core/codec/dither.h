// Error-diffusion kernels and their per-weight delta tables.
#pragma once

#include <cstdint>
#include <memory>

#include "codec/codec_base.h"

// One tap: weight at (dx, dy); dy = 0 is the current row, dx is taken in the
// direction of travel (right-to-left rows use the mirrored kernel).
struct DitherTap {
  int8_t weight;
  int8_t dx;
  int8_t dy;
};

struct DitherKernel {
  int divisor;
  int tapCount;
  int rows;  // error rows touched, the current one included
  DitherTap taps[12];
};

// Kernels 0..7 (none, half-error, Floyd-Steinberg, Stucki, Burkes, Sierra,
// Jarvis-Judice-Ninke, the wide kernel 7 with 62 in its middle and divisor
// 236); 8 + k is kernel k with every dx negated.
constexpr int kDitherKernelCount = 16;
extern const DitherKernel kDitherKernels[kDitherKernelCount];

// Kernel used on right-to-left rows.
inline int MirrorKernel(int kernel) {
  return kernel < 8 ? kernel + 8 : kernel - 8;
}

constexpr int kDeltaSlots = 65;  // indexed by weight; the largest is 62

// Per distinct weight w of a kernel with divisor d, entry j = 0..511 holds
// (((d / 2) + w (j - 256)) * 256) / d; a tap reads the value for an error e
// (-255..255) at tap[t][e], a pointer to entry 255 of its weight's table.
struct DeltaTables {
  std::unique_ptr<int32_t[]> table[kDeltaSlots];
  const int32_t* tap[12] = {};
  int kernel = -1;  // kernel (0..7, mirrors share) the tables were made for
};

// Frees every table.
void FreeDeltas(DeltaTables* slots);
