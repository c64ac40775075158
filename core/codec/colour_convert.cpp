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

inline bool InTable(int32_t index) {
  return index >= -512 && index <= 511;
}

}  // namespace

void BuildArtClampTable(ClampTable* table) {
  for (int i = -512; i < 512; ++i) {
    int v = i < 0 ? 0 : (i <= 248 ? (255 * i) / 248 : 255);
    table->value[i + 512] = static_cast<uint8_t>(v);
  }
}

bool ConvertPieceRows(const ClampTable& clamp, const PiecePlanes& p, int rows, uint8_t* out,
                      size_t outStride, ConversionFault* fault) {
  const int t = p.side;
  const int c = p.chromaSide;
  for (int r = 0; r < rows; ++r) {
    const int32_t* luma = p.luma + static_cast<size_t>(r) * t;
    const int chromaRow = p.chromaHalved ? r / 2 : r;
    const int32_t* urow = p.u + static_cast<size_t>(chromaRow) * c;
    const int32_t* vrow = p.v + static_cast<size_t>(chromaRow) * c;
    uint8_t* px = out + static_cast<size_t>(r) * outStride;
    for (int x = 0; x < t; ++x, px += 3) {
      int32_t y = Add(luma[x], p.yOffset);
      int32_t u;
      int32_t v;
      if (!p.chromaHalved) {
        u = Add(urow[x], p.uOffset);
        v = Add(vrow[x], p.vOffset);
      } else if ((x & 1) == 0) {
        u = Add(urow[x / 2], p.uOffset);
        v = Add(vrow[x / 2], p.vOffset);
      } else {
        int a = (x - 1) / 2;
        int b = x == t - 1 ? a : a + 1;
        u = Add(p.uOffset, Mean(urow[a], urow[b]));
        v = Add(p.vOffset, Mean(vrow[a], vrow[b]));
      }
      int32_t b4 = S(U(y) + 2u * U(u) - 1024u);
      int32_t r4 = S(U(S(1638u * U(v)) >> 10) - 819u + U(y));
      int32_t g = S(U(y) - U(S(116u * U(b4)) >> 10) - U(S(306u * U(r4)) >> 10));
      g = S(U(g) * 1744u) >> 12;
      int32_t bi = b4 >> 2;
      int32_t ri = r4 >> 2;
      if (!InTable(bi) || !InTable(g) || !InTable(ri)) {
        if (fault) {
          fault->row = r;
          fault->column = x;
          fault->index = !InTable(bi) ? bi : (!InTable(g) ? g : ri);
        }
        return false;
      }
      px[0] = clamp.value[bi + 512];
      px[1] = clamp.value[g + 512];
      px[2] = clamp.value[ri + 512];
    }
  }
  return true;
}
