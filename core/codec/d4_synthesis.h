// Inverse Daubechies D4 transform in 16.16 fixed point.
//
// The synthesis filters are the D4 scaling coefficients truncated to 1/65536:
//   (1+sqrt3)/(4 sqrt2) = 31651, (3+sqrt3)/(4 sqrt2) = 54821,
//   (3-sqrt3)/(4 sqrt2) = 14689, (1-sqrt3)/(4 sqrt2) = -8480,
// with periodic wrap. Products and sums wrap in 32 bits (done unsigned) and
// the shift is arithmetic: the format's 32-bit arithmetic, defined for any
// coefficients, so corrupt files decode to some picture instead of undefined
// behaviour.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/codec_base.h"

constexpr int32_t kD4C0 = 31651;
constexpr int32_t kD4C1 = 54821;
constexpr int32_t kD4C2 = 14689;
constexpr int32_t kD4C3 = -8480;

// The two scratch planes of one level, side^2 / 2 values each for the largest
// plane seen; grown on demand and kept for the life of the context.
struct SynthesisScratch {
  IntBuffer low;
  IntBuffer high;
  MemoryBudget* budget = nullptr;  // charged with the planes when set
};

// 1-D synthesis in its defining form: `lines` lines of length n taken from
// low and high (line r at r * n); the 2n outputs of line r go to
// out[r + j * stride], j = 0 .. 2n - 1.
void SynthesizeLines(const int32_t* low, const int32_t* high, int n, int lines, int32_t* out,
                     int stride);

// Rebuilds a side x side plane in place from its coarsest band of baseSize
// (side = baseSize * 2^k, checked by the caller). Only rows 0 .. rowsNeeded
// - 1 of the result are made (the rows a piece shows); the rows below keep
// whatever the last level left there. False when the scratch planes cannot
// be allocated.
bool InverseTransformPlane(SynthesisScratch* scratch, int32_t* plane, int side, int baseSize,
                           int rowsNeeded);

// Values in each of the two scratch planes a plane of that side needs.
inline size_t SynthesisScratchCount(int side) {
  return static_cast<size_t>(side) * static_cast<size_t>(side) / 2;
}

// The same with scratch planes the caller lends (SynthesisScratchCount(side)
// values each; their contents are overwritten).
void InverseTransformPlane(int32_t* rowsLow, int32_t* rowsHigh, int32_t* plane, int side,
                           int baseSize, int rowsNeeded);
