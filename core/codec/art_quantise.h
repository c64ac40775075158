// Rate-distortion choice of the quantised coefficients of one plane.
//
// Each coefficient becomes the value v that minimises
//   weight * (c - v)^2 + lambda * bits(v),
// where bits(v) is what v adds to the stream under the current prices: its
// own bytes and the runs on either side of it (the neighbours' values as
// chosen so far). The candidates are 0, the multiples of the band's step
// either side of c and, where the step is not a multiple of 16, the nearest
// values that one run-length code byte makes (16m and 16m + 15 above zero,
// -16m and -16m - 1 below).
//
// The zeros after a negative value may be written as -1 instead: its word
// ends in 0xFF bytes, and -1 is four more, so one 0x80-0x9F code covers the
// tail and up to seven -1 values after it where a 0xFF code and a zero run
// would be two. Each such gap is filled where the bit saved is worth more
// than the error of -1 against the coefficients there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "codec/art_entropy.h"

struct QuantBand {
  size_t start = 0;  // first coefficient, counted from the plane's first
  size_t count = 0;
  int step = 1;
};

struct QuantPlane {
  const double* coefficients = nullptr;  // storage order
  const float* weight = nullptr;         // squared-error weight of each coefficient
  size_t count = 0;
  const QuantBand* bands = nullptr;  // covering 0 .. count - 1 in order
  int bandCount = 0;
};

// Work arrays for planes of up to `largest` coefficients.
struct QuantWork {
  std::unique_ptr<uint32_t[]> next;     // first chosen non-zero at or after each index
  std::unique_ptr<double[]> fillError;  // running sum of the extra error of -1 over 0
  bool Allocate(size_t largest);
};

// The starting point: each coefficient to the nearest multiple of its band's
// step, with a dead zone of a fifth of a step around zero.
void QuantiseDeadZone(const QuantPlane& plane, int32_t* out);

// One pass over the plane in storage order, improving the chosen values q
// in place (gaps left at zero).
void ChooseCoefficients(const QuantPlane& plane, const RateModel& model, double lambda, int32_t* q,
                        QuantWork* work);

// The values as written: q with the gaps after negative values filled with
// -1 where that pays.
void FillGaps(const QuantPlane& plane, const RateModel& model, double lambda, const int32_t* q,
              int32_t* out, QuantWork* work);
