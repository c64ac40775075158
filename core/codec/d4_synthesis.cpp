#include "codec/d4_synthesis.h"

#include <algorithm>

#include "codec/cpu_features.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

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

#if !defined(__SSE2__)
// The same filter down the columns of n rows of `width` values: output rows
// 2k + 2 and 2k + 3 from input rows k and k + 1 (rows 0 and 1 from rows n - 1
// and 0), whole rows at a time so the inner loop runs over contiguous
// memory. Only the first `pairs` pairs of output rows are made.
void SynthesizeColumns(const int32_t* low, const int32_t* high, int n, int width, int pairs,
                       int32_t* out) {
  for (int k = -1; k < pairs - 1; ++k) {
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
#endif

#if defined(__SSE2__)

// Vector form of Even and Odd for values that fit in 16 bits. Pairs of
// neighbours (l0, l1) and (h0, h1) share a 32-bit lane, so one multiply-add
// forms two products; 54821 does not fit in 16 bits and is taken as
// 65536 - 10715. Every partial sum stays within 32 bits and the total wraps
// as the scalar's unsigned sum does, so the results are the same.
inline __m128i Pair(int a, int b) {
  return _mm_set1_epi32(
      static_cast<int32_t>((static_cast<uint32_t>(b) << 16) | (static_cast<uint32_t>(a) & 0xFFFF)));
}

inline void EvenOdd(__m128i lp, __m128i hp, __m128i l1, __m128i h0, __m128i* even, __m128i* odd) {
  const __m128i e = _mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(lp, Pair(14689, 31651)),
                                                _mm_madd_epi16(hp, Pair(-10715, -8480))),
                                  _mm_slli_epi32(h0, 16));
  const __m128i o =
      _mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(lp, Pair(-8480, -10715)), _mm_slli_epi32(l1, 16)),
                    _mm_madd_epi16(hp, Pair(-31651, -14689)));
  *even = _mm_srai_epi32(e, 16);
  *odd = _mm_srai_epi32(o, 16);
}

inline __m128i Load(const int32_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

inline void Store(int32_t* p, __m128i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// The 16-bit filters pack their inputs with saturation, which is exact
// only for values that fit. So they note every value they pack: a lane of
// `reach` gathers v + 0x8000 by OR, which stays below 0x10000 exactly when
// each value does. A pass whose reach shows a wider value is made again by
// the 32-bit filters.
inline void Note(__m128i* reach, __m128i v) {
  *reach = _mm_or_si128(*reach, _mm_add_epi32(v, _mm_set1_epi32(0x8000)));
}

bool Fits16(__m128i reach) {
  return _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_srli_epi32(reach, 16), _mm_setzero_si128())) ==
         0xFFFF;
}

// Pairs k .. k + 7 of SynthesizeRow for 16-bit values.
inline void RowGroup8(const int32_t* l, const int32_t* h, int k, int32_t* out, __m128i* reach) {
  const __m128i l0a = Load(l + k), l0b = Load(l + k + 4);
  const __m128i l1a = Load(l + k + 1), l1b = Load(l + k + 5);
  const __m128i h0a = Load(h + k), h0b = Load(h + k + 4);
  const __m128i h1a = Load(h + k + 1), h1b = Load(h + k + 5);
  // Inputs k .. k + 8: the first eight and the last four of each.
  Note(reach, l0a), Note(reach, l0b), Note(reach, l1b);
  Note(reach, h0a), Note(reach, h0b), Note(reach, h1b);
  const __m128i l0 = _mm_packs_epi32(l0a, l0b), l1 = _mm_packs_epi32(l1a, l1b);
  const __m128i h0 = _mm_packs_epi32(h0a, h0b), h1 = _mm_packs_epi32(h1a, h1b);
  __m128i even, odd;
  EvenOdd(_mm_unpacklo_epi16(l0, l1), _mm_unpacklo_epi16(h0, h1), l1a, h0a, &even, &odd);
  Store(out + 2 * k + 2, _mm_unpacklo_epi32(even, odd));
  Store(out + 2 * k + 6, _mm_unpackhi_epi32(even, odd));
  EvenOdd(_mm_unpackhi_epi16(l0, l1), _mm_unpackhi_epi16(h0, h1), l1b, h0b, &even, &odd);
  Store(out + 2 * k + 10, _mm_unpacklo_epi32(even, odd));
  Store(out + 2 * k + 14, _mm_unpackhi_epi32(even, odd));
}

// Output pairs k .. n - 2 of SynthesizeRow for 16-bit values, eight at a
// time while input k + 8 exists, then the pairs left by one group that ends
// at the last pair (it makes some pairs again, the same: the rows are only
// read). Returns the first pair not made.
int RowPairs8(const int32_t* l, const int32_t* h, int n, int k, int32_t* out, __m128i* reach) {
  for (; k + 8 < n; k += 8) RowGroup8(l, h, k, out, reach);
  if (k < n - 1 && n > 8) {
    RowGroup8(l, h, n - 9, out, reach);
    k = n - 1;
  }
  return k;
}

inline void ColumnsGroup8(const int32_t* l0, const int32_t* l1, const int32_t* h0,
                          const int32_t* h1, int x, int32_t* even, int32_t* odd) {
  const __m128i l1a = Load(l1 + x), l1b = Load(l1 + x + 4);
  const __m128i h0a = Load(h0 + x), h0b = Load(h0 + x + 4);
  const __m128i lw0 = _mm_packs_epi32(Load(l0 + x), Load(l0 + x + 4));
  const __m128i lw1 = _mm_packs_epi32(l1a, l1b);
  const __m128i hw0 = _mm_packs_epi32(h0a, h0b);
  const __m128i hw1 = _mm_packs_epi32(Load(h1 + x), Load(h1 + x + 4));
  __m128i e, o;
  EvenOdd(_mm_unpacklo_epi16(lw0, lw1), _mm_unpacklo_epi16(hw0, hw1), l1a, h0a, &e, &o);
  Store(even + x, e);
  Store(odd + x, o);
  EvenOdd(_mm_unpackhi_epi16(lw0, lw1), _mm_unpackhi_epi16(hw0, hw1), l1b, h0b, &e, &o);
  Store(even + x + 4, e);
  Store(odd + x + 4, o);
}

// Columns x .. width - 1 of one output row pair of SynthesizeColumns for
// 16-bit values, eight at a time, the last group ending at the last column;
// returns the first column not made.
int ColumnsPair8(const int32_t* l0, const int32_t* l1, const int32_t* h0, const int32_t* h1,
                 int width, int x, int32_t* even, int32_t* odd) {
  for (; x + 8 <= width; x += 8) ColumnsGroup8(l0, l1, h0, h1, x, even, odd);
  if (x < width && width >= 8) {
    ColumnsGroup8(l0, l1, h0, h1, width - 8, even, odd);
    x = width;
  }
  return x;
}

#if defined(__GNUC__) || defined(__clang__)
#define LUMIVEX_AVX2 __attribute__((target("avx2")))

// The same with AVX2, sixteen at a time. Each 256-bit operation is the
// 128-bit one on two halves, so the values are the same: packs and unpacks
// work within halves, which leaves the lanes of a multiply-add in order,
// and the row pass puts its interleaved stores in order with a permute.
LUMIVEX_AVX2 inline __m256i Pair8(int a, int b) {
  return _mm256_set1_epi32(
      static_cast<int32_t>((static_cast<uint32_t>(b) << 16) | (static_cast<uint32_t>(a) & 0xFFFF)));
}

LUMIVEX_AVX2 inline void EvenOdd8(__m256i lp, __m256i hp, __m256i l1, __m256i h0, __m256i* even,
                                  __m256i* odd) {
  const __m256i e = _mm256_add_epi32(_mm256_add_epi32(_mm256_madd_epi16(lp, Pair8(14689, 31651)),
                                                      _mm256_madd_epi16(hp, Pair8(-10715, -8480))),
                                     _mm256_slli_epi32(h0, 16));
  const __m256i o = _mm256_add_epi32(
      _mm256_add_epi32(_mm256_madd_epi16(lp, Pair8(-8480, -10715)), _mm256_slli_epi32(l1, 16)),
      _mm256_madd_epi16(hp, Pair8(-31651, -14689)));
  *even = _mm256_srai_epi32(e, 16);
  *odd = _mm256_srai_epi32(o, 16);
}

LUMIVEX_AVX2 inline void Note8(__m256i* reach, __m256i v) {
  *reach = _mm256_or_si256(*reach, _mm256_add_epi32(v, _mm256_set1_epi32(0x8000)));
}

// Folds a wide reach into the 128-bit one.
LUMIVEX_AVX2 inline void NoteReach8(__m128i* reach, __m256i wide) {
  *reach = _mm_or_si128(
      *reach, _mm_or_si128(_mm256_castsi256_si128(wide), _mm256_extracti128_si256(wide, 1)));
}

LUMIVEX_AVX2 inline __m256i Load8(const int32_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

LUMIVEX_AVX2 inline void Store8(int32_t* p, __m256i v) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

// Pairs k .. k + 7 given their even and odd values, interleaved in order.
LUMIVEX_AVX2 inline void StorePairs8(int32_t* out, __m256i even, __m256i odd) {
  const __m256i low = _mm256_unpacklo_epi32(even, odd);
  const __m256i high = _mm256_unpackhi_epi32(even, odd);
  Store8(out, _mm256_permute2x128_si256(low, high, 0x20));
  Store8(out + 8, _mm256_permute2x128_si256(low, high, 0x31));
}

LUMIVEX_AVX2 inline void RowGroup16(const int32_t* l, const int32_t* h, int k, int32_t* out,
                                    __m256i* seen) {
  const __m256i l0a = Load8(l + k), l0b = Load8(l + k + 8);
  const __m256i l1a = Load8(l + k + 1), l1b = Load8(l + k + 9);
  const __m256i h0a = Load8(h + k), h0b = Load8(h + k + 8);
  const __m256i h1a = Load8(h + k + 1), h1b = Load8(h + k + 9);
  // Inputs k .. k + 16: the first sixteen and the last eight of each.
  Note8(seen, l0a), Note8(seen, l0b), Note8(seen, l1b);
  Note8(seen, h0a), Note8(seen, h0b), Note8(seen, h1b);
  const __m256i l0 = _mm256_packs_epi32(l0a, l0b), l1 = _mm256_packs_epi32(l1a, l1b);
  const __m256i h0 = _mm256_packs_epi32(h0a, h0b), h1 = _mm256_packs_epi32(h1a, h1b);
  __m256i even, odd;
  EvenOdd8(_mm256_unpacklo_epi16(l0, l1), _mm256_unpacklo_epi16(h0, h1), l1a, h0a, &even, &odd);
  StorePairs8(out + 2 * k + 2, even, odd);
  EvenOdd8(_mm256_unpackhi_epi16(l0, l1), _mm256_unpackhi_epi16(h0, h1), l1b, h0b, &even, &odd);
  StorePairs8(out + 2 * k + 18, even, odd);
}

LUMIVEX_AVX2 int RowPairs16(const int32_t* l, const int32_t* h, int n, int k, int32_t* out,
                            __m128i* reach) {
  __m256i seen = _mm256_setzero_si256();
  for (; k + 16 < n; k += 16) RowGroup16(l, h, k, out, &seen);
  if (k < n - 1 && n > 16) {
    RowGroup16(l, h, n - 17, out, &seen);
    k = n - 1;
  }
  NoteReach8(reach, seen);
  return k;
}

LUMIVEX_AVX2 inline void ColumnsGroup16(const int32_t* l0, const int32_t* l1, const int32_t* h0,
                                        const int32_t* h1, int x, int32_t* even, int32_t* odd) {
  const __m256i l1a = Load8(l1 + x), l1b = Load8(l1 + x + 8);
  const __m256i h0a = Load8(h0 + x), h0b = Load8(h0 + x + 8);
  const __m256i lw0 = _mm256_packs_epi32(Load8(l0 + x), Load8(l0 + x + 8));
  const __m256i lw1 = _mm256_packs_epi32(l1a, l1b);
  const __m256i hw0 = _mm256_packs_epi32(h0a, h0b);
  const __m256i hw1 = _mm256_packs_epi32(Load8(h1 + x), Load8(h1 + x + 8));
  __m256i e, o;
  EvenOdd8(_mm256_unpacklo_epi16(lw0, lw1), _mm256_unpacklo_epi16(hw0, hw1), l1a, h0a, &e, &o);
  Store8(even + x, e);
  Store8(odd + x, o);
  EvenOdd8(_mm256_unpackhi_epi16(lw0, lw1), _mm256_unpackhi_epi16(hw0, hw1), l1b, h0b, &e, &o);
  Store8(even + x + 8, e);
  Store8(odd + x + 8, o);
}

LUMIVEX_AVX2 int ColumnsPair16(const int32_t* l0, const int32_t* l1, const int32_t* h0,
                               const int32_t* h1, int width, int x, int32_t* even, int32_t* odd) {
  for (; x + 16 <= width; x += 16) ColumnsGroup16(l0, l1, h0, h1, x, even, odd);
  if (x < width && width >= 16) {
    ColumnsGroup16(l0, l1, h0, h1, width - 16, even, odd);
    x = width;
  }
  return x;
}
#endif

// SynthesizeRow for 16-bit values.
void SynthesizeRow16(const int32_t* l, const int32_t* h, int n, bool wide, int32_t* out,
                     __m128i* reach) {
  out[0] = Even(l[n - 1], l[0], h[n - 1], h[0]);
  out[1] = Odd(l[n - 1], l[0], h[n - 1], h[0]);
  int k = 0;
#if defined(LUMIVEX_AVX2)
  if (wide) k = RowPairs16(l, h, n, k, out, reach);
#else
  (void)wide;
#endif
  k = RowPairs8(l, h, n, k, out, reach);
  for (; k < n - 1; ++k) {
    out[2 * k + 2] = Even(l[k], l[k + 1], h[k], h[k + 1]);
    out[2 * k + 3] = Odd(l[k], l[k + 1], h[k], h[k + 1]);
  }
}

// SynthesizeColumns for 16-bit values, which its inputs always are: each is
// an output of the row pass, a 32-bit sum shifted down by 16.
void SynthesizeColumns16(const int32_t* low, const int32_t* high, int n, int width, int pairs,
                         bool wide, int32_t* out) {
  for (int k = -1; k < pairs - 1; ++k) {
    int a = k < 0 ? n - 1 : k;
    int b = k + 1;
    const int32_t* l0 = low + static_cast<size_t>(a) * width;
    const int32_t* l1 = low + static_cast<size_t>(b) * width;
    const int32_t* h0 = high + static_cast<size_t>(a) * width;
    const int32_t* h1 = high + static_cast<size_t>(b) * width;
    int32_t* even = out + static_cast<size_t>(2 * k + 2) * width;
    int32_t* odd = even + width;
    int x = 0;
#if defined(LUMIVEX_AVX2)
    if (wide) x = ColumnsPair16(l0, l1, h0, h1, width, x, even, odd);
#endif
    x = ColumnsPair8(l0, l1, h0, h1, width, x, even, odd);
    for (; x < width; ++x) {
      even[x] = Even(l0[x], l1[x], h0[x], h1[x]);
      odd[x] = Odd(l0[x], l1[x], h0[x], h1[x]);
    }
  }
}

#endif

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

bool InverseTransformPlane(SynthesisScratch* scratch, int32_t* plane, int side, int baseSize,
                           int rowsNeeded) {
  if (side <= baseSize) return true;
  const size_t need = SynthesisScratchCount(side);
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
  InverseTransformPlane(scratch->low.data(), scratch->high.data(), plane, side, baseSize,
                        rowsNeeded);
  return true;
}

void InverseTransformPlane(int32_t* rowsLow, int32_t* rowsHigh, int32_t* plane, int side,
                           int baseSize, int rowsNeeded) {
#if defined(__SSE2__)
  const bool wide = WideVectorsAvailable();
#endif
  for (int s = baseSize; s < side; s *= 2) {
    size_t band = static_cast<size_t>(s) * s;
    const int32_t* ll = plane;
    const int32_t* b1 = plane + band;
    const int32_t* b2 = plane + 2 * band;
    const int32_t* b3 = plane + 3 * band;
    // The last level makes only the rows asked for: its pairs of output
    // rows up to the last of them, from rows 0 .. pairs - 1 of the scratch
    // and its last row (the pair of rows 0 and 1 wraps round to it).
    const int outRows = 2 * s < side ? 2 * s : std::max(1, std::min(rowsNeeded, 2 * s));
    const int pairs = (outRows + 1) / 2;
    // Rows first: each band row pair gives one row of 2s values. Row-major
    // scratch is the transpose of the defining form's column-wise scratch,
    // and the column pass below reads it accordingly; the values match.
    // The scratch rows the column pass reads: 0 .. pairs - 1 and the last.
    auto eachRow = [&](auto make) {
      for (int r = 0; r < pairs; ++r) make(static_cast<size_t>(r) * s);
      if (pairs < s) make(static_cast<size_t>(s - 1) * s);
    };
    auto makeRow = [&](size_t at) {
      SynthesizeRow(ll + at, b1 + at, s, rowsLow + 2 * at);
      SynthesizeRow(b2 + at, b3 + at, s, rowsHigh + 2 * at);
    };
#if defined(__SSE2__)
    // The vector filters take values of 16 bits. The bands come from the
    // file, and real art keeps to 16 bits, so the rows are made on that
    // trust and made again by the plain filters if a wider value was met
    // (the pass does not write what it reads). Every value the column pass
    // reads is a filter's output, which fits.
    __m128i reach = _mm_setzero_si128();
    eachRow([&](size_t at) {
      SynthesizeRow16(ll + at, b1 + at, s, wide, rowsLow + 2 * at, &reach);
      SynthesizeRow16(b2 + at, b3 + at, s, wide, rowsHigh + 2 * at, &reach);
    });
    if (!Fits16(reach)) eachRow(makeRow);
    SynthesizeColumns16(rowsLow, rowsHigh, s, 2 * s, pairs, wide, plane);
#else
    eachRow(makeRow);
    SynthesizeColumns(rowsLow, rowsHigh, s, 2 * s, pairs, plane);
#endif
  }
}
