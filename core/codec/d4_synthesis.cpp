#include "codec/d4_synthesis.h"

namespace {

inline uint32_t U(int32_t v) {
  return static_cast<uint32_t>(v);
}

// out[2k + 2] and out[2k + 3] of the 1-D synthesis for one pair of inputs.
inline int32_t Even(int32_t l0, int32_t l1, int32_t h0, int32_t h1) {
  uint32_t sum = 14689u * U(l0) + 31651u * U(l1) + 54821u * U(h0) - 8480u * U(h1);
  return static_cast<int32_t>(sum) >> 16;
}

inline int32_t Odd(int32_t l0, int32_t l1, int32_t h0, int32_t h1) {
  uint32_t sum = 54821u * U(l1) - 8480u * U(l0) - 31651u * U(h0) - 14689u * U(h1);
  return static_cast<int32_t>(sum) >> 16;
}

// One line of length n into 2n consecutive outputs.
void SynthesizeRow(const int32_t* l, const int32_t* h, int n, int32_t* out) {
  out[0] = Even(l[n - 1], l[0], h[n - 1], h[0]);
  out[1] = Odd(l[n - 1], l[0], h[n - 1], h[0]);
  for (int k = 0; k < n - 1; ++k) {
    out[2 * k + 2] = Even(l[k], l[k + 1], h[k], h[k + 1]);
    out[2 * k + 3] = Odd(l[k], l[k + 1], h[k], h[k + 1]);
  }
}

// The same filter down the columns of n rows of `width` values: output rows
// 2k + 2 and 2k + 3 from input rows k and k + 1, whole rows at a time so the
// inner loop runs over contiguous memory.
void SynthesizeColumns(const int32_t* low, const int32_t* high, int n, int width, int32_t* out) {
  for (int k = -1; k < n - 1; ++k) {
    int a = k < 0 ? n - 1 : k;
    int b = k + 1;
    const int32_t* l0 = low + static_cast<size_t>(a) * width;
    const int32_t* l1 = low + static_cast<size_t>(b) * width;
    const int32_t* h0 = high + static_cast<size_t>(a) * width;
    const int32_t* h1 = high + static_cast<size_t>(b) * width;
    int32_t* even = out + static_cast<size_t>(2 * k + 2) * width;
    int32_t* odd = even + width;
    for (int x = 0; x < width; ++x) {
      even[x] = Even(l0[x], l1[x], h0[x], h1[x]);
      odd[x] = Odd(l0[x], l1[x], h0[x], h1[x]);
    }
  }
}

}  // namespace

void SynthesizeLines(const int32_t* low, const int32_t* high, int n, int lines, int32_t* out,
                     int stride) {
  for (int r = 0; r < lines; ++r) {
    const int32_t* l = low + static_cast<size_t>(r) * n;
    const int32_t* h = high + static_cast<size_t>(r) * n;
    for (int j = 0; j < 2 * n; ++j) {
      int k = j / 2 - 1;  // output 2k + 2 / 2k + 3 pairs inputs k and k + 1
      int a = k < 0 ? n - 1 : k;
      int b = k < 0 ? 0 : k + 1;
      int32_t v = (j % 2 == 0) ? Even(l[a], l[b], h[a], h[b]) : Odd(l[a], l[b], h[a], h[b]);
      out[r + static_cast<size_t>(j) * stride] = v;
    }
  }
}

bool InverseTransformPlane(SynthesisScratch* scratch, int32_t* plane, int side, int baseSize) {
  if (side <= baseSize) return true;
  size_t need = static_cast<size_t>(side) * static_cast<size_t>(side) / 2;
  if (scratch->low.size < need) {
    // Both go first, so the budget sees only the new pair.
    scratch->low = IntBuffer();
    scratch->high = IntBuffer();
    if (!AllocateInts(&scratch->low, need, false, scratch->budget) ||
        !AllocateInts(&scratch->high, need, false, scratch->budget)) {
      scratch->low = IntBuffer();
      scratch->high = IntBuffer();
      return false;
    }
  }
  int32_t* rowsLow = scratch->low.data();
  int32_t* rowsHigh = scratch->high.data();
  for (int s = baseSize; s < side; s *= 2) {
    size_t band = static_cast<size_t>(s) * s;
    const int32_t* ll = plane;
    const int32_t* b1 = plane + band;
    const int32_t* b2 = plane + 2 * band;
    const int32_t* b3 = plane + 3 * band;
    // Rows first: each band row pair gives one row of 2s values. Row-major
    // scratch is the transpose of the defining form's column-wise scratch,
    // and the column pass below reads it accordingly; the values match.
    for (int r = 0; r < s; ++r) {
      size_t at = static_cast<size_t>(r) * s;
      SynthesizeRow(ll + at, b1 + at, s, rowsLow + 2 * at);
      SynthesizeRow(b2 + at, b3 + at, s, rowsHigh + 2 * at);
    }
    SynthesizeColumns(rowsLow, rowsHigh, s, 2 * s, plane);
  }
  return true;
}
