#include "codec/colour_convert.h"

#include <cstring>

#include "codec/art_format.h"

#include "codec/cpu_features.h"

#if defined(__SSE2__)
#include <immintrin.h>
#if defined(__GNUC__) || defined(__clang__)
#define LUMIVEX_AVX2 __attribute__((target("avx2")))
#endif
#endif

namespace {

inline uint32_t U(int32_t v) {
  return static_cast<uint32_t>(v);
}
inline int32_t S(uint32_t v) {
  return static_cast<int32_t>(v);
}
inline int32_t Add(int32_t a, int32_t b) {
  return S(U(a) + U(b));
}

// Mean of two chroma samples, halves truncated toward zero, in 32-bit wrap.
inline int32_t Mean(int32_t a, int32_t b) {
  return Add(a, b) / 2;
}

// An index beyond the table (only corrupt data makes one) takes the value
// of the table's nearer end, 0 or 255: the file still decodes to a picture,
// so it is never refused after the picture's memory is taken.
inline int32_t Saturate(int32_t index) {
  return index < -512 ? -512 : (index > 511 ? 511 : index);
}

}  // namespace

void BuildArtClampTable(ClampTable* table) {
  for (int i = -512; i < 512; ++i) {
    int v = i < 0 ? 0 : (i <= 248 ? (255 * i) / 248 : 255);
    table->value[i + 512] = static_cast<uint8_t>(v);
  }
}

namespace {

#if defined(LUMIVEX_AVX2)
// Half-size chroma samples 0 .. to columns, eight samples (sixteen columns)
// a step while the sample to the right of each exists. Returns the first
// sample not resolved.
LUMIVEX_AVX2 int ResolveHalvedWide(const int32_t* row, int32_t offset, int c, int32_t* out) {
  const __m256i off = _mm256_set1_epi32(offset);
  int k = 0;
  for (; k + 8 < c; k += 8) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + k));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + k + 1));
    const __m256i sum = _mm256_add_epi32(a, b);
    const __m256i mean = _mm256_srai_epi32(_mm256_add_epi32(sum, _mm256_srli_epi32(sum, 31)), 1);
    const __m256i even = _mm256_add_epi32(a, off);
    const __m256i odd = _mm256_add_epi32(mean, off);
    // Columns 0-3 and 8-11, then 4-7 and 12-15.
    const __m256i low = _mm256_unpacklo_epi32(even, odd);
    const __m256i high = _mm256_unpackhi_epi32(even, odd);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 2 * k),
                        _mm256_permute2x128_si256(low, high, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 2 * k + 8),
                        _mm256_permute2x128_si256(low, high, 0x31));
  }
  _mm256_zeroupper();
  return k;
}
#endif

// Chroma of one row resolved for every column: offset added, halves
// interpolated (the mean truncated toward zero, the last odd column taking
// its left sample twice).
void ResolveChroma(const int32_t* row, int32_t offset, bool halved, bool wide, int t,
                   int32_t* out) {
  int x = 0;
  if (!halved) {
    for (; x < t; ++x) out[x] = Add(row[x], offset);
    return;
  }
#if defined(__SSE2__)
  // Four chroma samples make eight columns; the samples to the right of each
  // (row[k + 1 .. k + 4]) must exist, so the last group is left to the loop
  // below.
  const __m128i off = _mm_set1_epi32(offset);
  const int c = t / 2;
  int k = 0;
#if defined(LUMIVEX_AVX2)
  if (wide) {
    k = ResolveHalvedWide(row, offset, c, out);
    x = 2 * k;
  }
#endif
  for (; k + 4 < c; k += 4, x += 8) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + k));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + k + 1));
    const __m128i sum = _mm_add_epi32(a, b);
    const __m128i mean = _mm_srai_epi32(_mm_add_epi32(sum, _mm_srli_epi32(sum, 31)), 1);
    const __m128i even = _mm_add_epi32(a, off);
    const __m128i odd = _mm_add_epi32(mean, off);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_unpacklo_epi32(even, odd));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 4), _mm_unpackhi_epi32(even, odd));
  }
#else
  (void)wide;
#endif
  for (; x < t; ++x) {
    if ((x & 1) == 0) {
      out[x] = Add(row[x / 2], offset);
    } else {
      const int a = (x - 1) / 2;
      const int b = x == t - 1 ? a : a + 1;
      out[x] = Add(offset, Mean(row[a], row[b]));
    }
  }
}

// Columns x0 .. x1 - 1 of one row, value by value; indexes outside the
// table saturate.
void ConvertSpan(const ClampTable& clamp, const int32_t* luma, const int32_t* us, const int32_t* vs,
                 int32_t yOffset, int x0, int x1, uint8_t* line) {
  constexpr int kChunk = 64;
  for (; x0 < x1; x0 += kChunk) {
    const int n = x1 - x0 < kChunk ? x1 - x0 : kChunk;
    // Indexes first (no table reads, so the loop stays simple), one range
    // check for the chunk, then the table.
    int32_t bis[kChunk];
    int32_t gis[kChunk];
    int32_t ris[kChunk];
    uint32_t outside = 0;
    for (int i = 0; i < n; ++i) {
      const int x = x0 + i;
      const int32_t y = Add(luma[x], yOffset);
      const int32_t b4 = S(U(y) + 2u * U(us[x]) - 1024u);
      const int32_t r4 = S(U(S(1638u * U(vs[x])) >> 10) - 819u + U(y));
      int32_t g = S(U(y) - U(S(116u * U(b4)) >> 10) - U(S(306u * U(r4)) >> 10));
      g = S(U(g) * 1744u) >> 12;
      bis[i] = b4 >> 2;
      gis[i] = g;
      ris[i] = r4 >> 2;
      outside |= U(bis[i] + 512) | U(g + 512) | U(ris[i] + 512);
    }
    if (outside >= 1024u) {
      for (int i = 0; i < n; ++i) {
        bis[i] = Saturate(bis[i]);
        gis[i] = Saturate(gis[i]);
        ris[i] = Saturate(ris[i]);
      }
    }
    uint8_t* px = line + 3 * static_cast<size_t>(x0);
    for (int i = 0; i < n; ++i, px += 3) {
      px[0] = clamp.value[bis[i] + 512];
      px[1] = clamp.value[gis[i] + 512];
      px[2] = clamp.value[ris[i] + 512];
    }
  }
}

#if defined(__SSE2__)

// Whether any lane of v lies outside -2^(bits-1) .. 2^(bits-1) - 1, as
// non-zero lanes.
inline __m128i Outside(__m128i v, int bits) {
  return _mm_srli_epi32(_mm_add_epi32(v, _mm_set1_epi32(1 << (bits - 1))), bits);
}

// x * c for lanes that fit in 16 bits (c < 32768): the high half of each
// lane is the sign of the low half, so one multiply-add gives the product.
inline __m128i MulSmall(__m128i x, int c) {
  return _mm_madd_epi16(x, _mm_set1_epi32(c));
}

// The clamp table as arithmetic on eight 16-bit indexes: 0 below 0, 255
// above 248, and (255 i) / 248 = i + (7 i) / 248 between, which is
// i + (1850 i) >> 16 for every i in 0..248.
inline __m128i ClampBytes(__m128i lo, __m128i hi) {
  __m128i i = _mm_packs_epi32(lo, hi);
  i = _mm_min_epi16(_mm_max_epi16(i, _mm_setzero_si128()), _mm_set1_epi16(248));
  return _mm_add_epi16(i, _mm_mulhi_epu16(i, _mm_set1_epi16(1850)));
}

struct Indexes {
  __m128i b, g, r, outside;
};

// Four pixels' table indexes. Values that the 16-bit products cannot take
// (V' or the green sum outside 16 bits) or indexes outside the table show
// in `outside`; the caller then takes the exact path.
inline Indexes FourIndexes(const int32_t* luma, const int32_t* us, const int32_t* vs,
                           __m128i yOffset) {
  const __m128i y = _mm_add_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(luma)), yOffset);
  const __m128i u = _mm_loadu_si128(reinterpret_cast<const __m128i*>(us));
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(vs));
  const __m128i b4 = _mm_sub_epi32(_mm_add_epi32(y, _mm_add_epi32(u, u)), _mm_set1_epi32(1024));
  const __m128i r4 =
      _mm_add_epi32(_mm_sub_epi32(_mm_srai_epi32(MulSmall(v, 1638), 10), _mm_set1_epi32(819)), y);
  // b4 and r4 fit in 16 bits whenever their indexes are inside the table.
  const __m128i sum = _mm_sub_epi32(_mm_sub_epi32(y, _mm_srai_epi32(MulSmall(b4, 116), 10)),
                                    _mm_srai_epi32(MulSmall(r4, 306), 10));
  Indexes out;
  out.b = _mm_srai_epi32(b4, 2);
  out.g = _mm_srai_epi32(MulSmall(sum, 1744), 12);
  out.r = _mm_srai_epi32(r4, 2);
  out.outside = _mm_or_si128(
      _mm_or_si128(Outside(v, 16), Outside(sum, 16)),
      _mm_or_si128(Outside(out.b, 10), _mm_or_si128(Outside(out.g, 10), Outside(out.r, 10))));
  return out;
}

// Four 0x00RRGGBB lanes to twelve bytes: two 6-byte halves stored as 8 bytes
// each (the two bytes past each half are written over next).
inline void StorePixels(__m128i bgr0, uint8_t* px) {
  const __m128i low = _mm_and_si128(bgr0, _mm_set_epi32(0, 0xFFFFFF, 0, 0xFFFFFF));
  const __m128i high =
      _mm_and_si128(_mm_srli_epi64(bgr0, 8), _mm_set_epi32(0xFFFF, 0xFF000000, 0xFFFF, 0xFF000000));
  const __m128i packed = _mm_or_si128(low, high);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(px), packed);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(px + 6), _mm_unpackhi_epi64(packed, packed));
}

// Columns 0 .. end - 1 eight at a time, while the next column exists (each
// group writes two bytes beyond itself). Returns the first column not
// written: end, or a group that needs the exact path.
int ConvertFast(const int32_t* luma, const int32_t* us, const int32_t* vs, int32_t yOffset, int t,
                uint8_t* line) {
  const __m128i yo = _mm_set1_epi32(yOffset);
  int x = 0;
  for (; x + 8 < t; x += 8) {
    const Indexes a = FourIndexes(luma + x, us + x, vs + x, yo);
    const Indexes b = FourIndexes(luma + x + 4, us + x + 4, vs + x + 4, yo);
    if (_mm_movemask_epi8(
            _mm_cmpeq_epi32(_mm_or_si128(a.outside, b.outside), _mm_setzero_si128())) != 0xFFFF) {
      break;
    }
    const __m128i blue = ClampBytes(a.b, b.b);
    const __m128i green = ClampBytes(a.g, b.g);
    const __m128i red = ClampBytes(a.r, b.r);
    // Bytes blue, green, red, 0 per pixel.
    const __m128i bg = _mm_or_si128(blue, _mm_slli_epi16(green, 8));
    const __m128i r0 = red;
    const __m128i p0 = _mm_unpacklo_epi16(bg, r0);
    const __m128i p1 = _mm_unpackhi_epi16(bg, r0);
    uint8_t* px = line + 3 * static_cast<size_t>(x);
    StorePixels(p0, px);
    StorePixels(p1, px + 12);
  }
  return x;
}

// The same with AVX2, sixteen columns a step, in the scalar's 32-bit
// arithmetic: no value leaves the fast path. The packs work within halves,
// and a permute puts the sixteen pixels back in order.
#if defined(LUMIVEX_AVX2)

LUMIVEX_AVX2 inline __m256i ClampBytes8(__m256i lo, __m256i hi) {
  __m256i i = _mm256_permute4x64_epi64(_mm256_packs_epi32(lo, hi), 0xD8);
  i = _mm256_min_epi16(_mm256_max_epi16(i, _mm256_setzero_si256()), _mm256_set1_epi16(248));
  return _mm256_add_epi16(i, _mm256_mulhi_epu16(i, _mm256_set1_epi16(1850)));
}

struct Indexes8 {
  __m256i b, g, r;
};

// Eight pixels' table indexes in the scalar's own 32-bit arithmetic (AVX2
// multiplies 32-bit lanes), so no value needs the exact path. An index
// beyond the table clamps as it saturates: packs keep its sign and its
// being past 248.
LUMIVEX_AVX2 inline Indexes8 EightIndexes(const int32_t* luma, const int32_t* us, const int32_t* vs,
                                          __m256i yOffset) {
  const __m256i y =
      _mm256_add_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(luma)), yOffset);
  const __m256i u = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(us));
  const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(vs));
  const __m256i b4 =
      _mm256_sub_epi32(_mm256_add_epi32(y, _mm256_add_epi32(u, u)), _mm256_set1_epi32(1024));
  const __m256i r4 = _mm256_add_epi32(
      _mm256_sub_epi32(_mm256_srai_epi32(_mm256_mullo_epi32(v, _mm256_set1_epi32(1638)), 10),
                       _mm256_set1_epi32(819)),
      y);
  const __m256i sum = _mm256_sub_epi32(
      _mm256_sub_epi32(y, _mm256_srai_epi32(_mm256_mullo_epi32(b4, _mm256_set1_epi32(116)), 10)),
      _mm256_srai_epi32(_mm256_mullo_epi32(r4, _mm256_set1_epi32(306)), 10));
  Indexes8 out;
  out.b = _mm256_srai_epi32(b4, 2);
  out.g = _mm256_srai_epi32(_mm256_mullo_epi32(sum, _mm256_set1_epi32(1744)), 12);
  out.r = _mm256_srai_epi32(r4, 2);
  return out;
}

// Sixteen pixels from column x: pixels 0-3 and 8-11 in the low twelve
// bytes of each half of *first, 4-7 and 12-15 in those of *second.
LUMIVEX_AVX2 inline void SixteenPixels(const int32_t* luma, const int32_t* us, const int32_t* vs,
                                       __m256i yOffset, int x, __m256i* first, __m256i* second) {
  // Four pixels' bytes to the low twelve of each 128-bit lane.
  const __m256i pack = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0,
                                        1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  const Indexes8 a = EightIndexes(luma + x, us + x, vs + x, yOffset);
  const Indexes8 b = EightIndexes(luma + x + 8, us + x + 8, vs + x + 8, yOffset);
  const __m256i blue = ClampBytes8(a.b, b.b);
  const __m256i green = ClampBytes8(a.g, b.g);
  const __m256i red = ClampBytes8(a.r, b.r);
  const __m256i bg = _mm256_or_si256(blue, _mm256_slli_epi16(green, 8));
  *first = _mm256_shuffle_epi8(_mm256_unpacklo_epi16(bg, red), pack);
  *second = _mm256_shuffle_epi8(_mm256_unpackhi_epi16(bg, red), pack);
}

// The first 36 of the sixteen pixels' 48 bytes, as three 16-byte stores
// (each writes four bytes past its twelve, which the next store covers).
LUMIVEX_AVX2 inline void StoreFirstTwelvePixels(uint8_t* px, __m256i first, __m256i second) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(px), _mm256_castsi256_si128(first));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(px + 12), _mm256_castsi256_si128(second));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(px + 24), _mm256_extracti128_si256(first, 1));
}

LUMIVEX_AVX2 int ConvertFastWide(const int32_t* luma, const int32_t* us, const int32_t* vs,
                                 int32_t yOffset, int t, uint8_t* line) {
  const __m256i yo = _mm256_set1_epi32(yOffset);
  int x = 0;
  __m256i p0, p1;
  // Each group writes four bytes past itself, into the next two columns,
  // which the next group writes over.
  for (; x + 17 < t; x += 16) {
    SixteenPixels(luma, us, vs, yo, x, &p0, &p1);
    uint8_t* px = line + 3 * static_cast<size_t>(x);
    StoreFirstTwelvePixels(px, p0, p1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(px + 36), _mm256_extracti128_si256(p1, 1));
  }
  // The columns left (up to seventeen) by groups that write nothing past
  // their pixels, their last twelve bytes stored as eight and four; the
  // last ends at the row's end, making some pixels again, the same.
  while (x < t && t >= 16) {
    x = x < t - 16 ? x : t - 16;
    SixteenPixels(luma, us, vs, yo, x, &p0, &p1);
    uint8_t* px = line + 3 * static_cast<size_t>(x);
    StoreFirstTwelvePixels(px, p0, p1);
    const __m128i last = _mm256_extracti128_si256(p1, 1);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(px + 36), last);
    const uint32_t tail = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(last, 8)));
    std::memcpy(px + 44, &tail, 4);
    x += 16;
  }
  // The upper halves cleared before any SSE code runs: MinGW's GCC leaves
  // that to us, and the processor would otherwise carry them through every
  // SSE instruction after (the dither ran 30 % slower).
  _mm256_zeroupper();
  // Rows narrower than a group eight at a time.
  return x +
         ConvertFast(luma + x, us + x, vs + x, yOffset, t - x, line + 3 * static_cast<size_t>(x));
}
#endif

#endif

}  // namespace

void ConvertPieceRows(const ClampTable& clamp, const PiecePlanes& p, int rows, uint8_t* out,
                      size_t outStride) {
  const int t = p.side;
  const int c = p.chromaSide;
  // Chroma resolved once a row, so the pixel loop reads three plain rows.
  // The geometry check keeps pieces within kMaxPieceSide.
  if (t < 1 || t > kMaxPieceSide) return;
  int32_t us[kMaxPieceSide];
  int32_t vs[kMaxPieceSide];
#if defined(LUMIVEX_AVX2)
  const bool wide = WideVectorsAvailable();
#else
  const bool wide = false;
#endif
  int resolved = -1;  // the chroma row in us and vs (two rows share one when halved)
  for (int r = 0; r < rows; ++r) {
    const int32_t* luma = p.luma + static_cast<size_t>(r) * t;
    const int chromaRow = p.chromaHalved ? r / 2 : r;
    if (chromaRow != resolved) {
      ResolveChroma(p.u + static_cast<size_t>(chromaRow) * c, p.uOffset, p.chromaHalved, wide, t,
                    us);
      ResolveChroma(p.v + static_cast<size_t>(chromaRow) * c, p.vOffset, p.chromaHalved, wide, t,
                    vs);
      resolved = chromaRow;
    }
    uint8_t* line = out + static_cast<size_t>(r) * outStride;
    int x = 0;
#if defined(__SSE2__)
#if defined(LUMIVEX_AVX2)
    if (wide) {
      x = ConvertFastWide(luma, us, vs, p.yOffset, t, line);
    } else
#endif
    {
      x = ConvertFast(luma, us, vs, p.yOffset, t, line);
    }
#endif
    ConvertSpan(clamp, luma, us, vs, p.yOffset, x, t, line);
  }
}
