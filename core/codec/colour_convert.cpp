#include "codec/colour_convert.h"

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

void ConvertPieceRows(const ClampTable& clamp, const PiecePlanes& p, int rows, uint8_t* out,
                      size_t outStride) {
  const int t = p.side;
  const int c = p.chromaSide;
  // Chroma is resolved a chunk of columns at a time (offsets added, halves
  // interpolated), so the pixel loop itself has no branches but the range
  // check.
  constexpr int kChunk = 64;
  int32_t us[kChunk];
  int32_t vs[kChunk];
  for (int r = 0; r < rows; ++r) {
    const int32_t* luma = p.luma + static_cast<size_t>(r) * t;
    const int chromaRow = p.chromaHalved ? r / 2 : r;
    const int32_t* urow = p.u + static_cast<size_t>(chromaRow) * c;
    const int32_t* vrow = p.v + static_cast<size_t>(chromaRow) * c;
    uint8_t* line = out + static_cast<size_t>(r) * outStride;
    for (int x0 = 0; x0 < t; x0 += kChunk) {
      const int n = t - x0 < kChunk ? t - x0 : kChunk;
      for (int i = 0; i < n; ++i) {
        const int x = x0 + i;
        if (!p.chromaHalved) {
          us[i] = Add(urow[x], p.uOffset);
          vs[i] = Add(vrow[x], p.vOffset);
        } else if ((x & 1) == 0) {
          us[i] = Add(urow[x / 2], p.uOffset);
          vs[i] = Add(vrow[x / 2], p.vOffset);
        } else {
          const int a = (x - 1) / 2;
          const int b = x == t - 1 ? a : a + 1;
          us[i] = Add(p.uOffset, Mean(urow[a], urow[b]));
          vs[i] = Add(p.vOffset, Mean(vrow[a], vrow[b]));
        }
      }
      // Indexes first (no table reads, so the loop stays simple), one range
      // check for the chunk, then the table.
      int32_t bis[kChunk];
      int32_t gis[kChunk];
      int32_t ris[kChunk];
      uint32_t outside = 0;
      for (int i = 0; i < n; ++i) {
        const int32_t y = Add(luma[x0 + i], p.yOffset);
        const int32_t b4 = S(U(y) + 2u * U(us[i]) - 1024u);
        const int32_t r4 = S(U(S(1638u * U(vs[i])) >> 10) - 819u + U(y));
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
}
