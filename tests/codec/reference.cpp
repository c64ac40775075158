#include "reference.h"

#include <algorithm>

#include "codec/dither.h"

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

namespace {

uint8_t Stretch(int64_t i) {
  if (i < 0) return 0;
  if (i > 248) return 255;
  return static_cast<uint8_t>(255 * i / 248);
}

}  // namespace

void ReferenceConvert(int64_t y, int64_t u, int64_t v, uint8_t bgr[3]) {
  int64_t b4 = y + 2 * u - 1024;
  int64_t r4 = FloorDiv(1638 * v, 1024) - 819 + y;
  int64_t g = FloorDiv((y - FloorDiv(116 * b4, 1024) - FloorDiv(306 * r4, 1024)) * 1744, 4096);
  bgr[0] = Stretch(FloorDiv(b4, 4));
  bgr[1] = Stretch(g);
  bgr[2] = Stretch(FloorDiv(r4, 4));
}

std::vector<int32_t> ReferenceSynthesis(const std::vector<int32_t>& low,
                                        const std::vector<int32_t>& high) {
  const int n = static_cast<int>(low.size());
  std::vector<int32_t> out(2 * static_cast<size_t>(n));
  for (int k = -1; k < n - 1; ++k) {
    int a = k < 0 ? n - 1 : k;
    int b = k + 1;
    int64_t even = 14689LL * low[a] + 31651LL * low[b] + 54821LL * high[a] - 8480LL * high[b];
    int64_t odd = -8480LL * low[a] + 54821LL * low[b] - 31651LL * high[a] - 14689LL * high[b];
    out[2 * k + 2] = static_cast<int32_t>(FloorDiv(even, 65536));
    out[2 * k + 3] = static_cast<int32_t>(FloorDiv(odd, 65536));
  }
  return out;
}

std::vector<uint8_t> ReferenceFilterScale(const std::vector<uint8_t>& src, int width, int height,
                                          int dw, int dh) {
  const int64_t xstep = (static_cast<int64_t>(width) << 16) / dw;
  const int64_t ystep = (static_cast<int64_t>(height) << 16) / dh;
  const size_t rowBytes = static_cast<size_t>(dw) * 3;
  // Across: height - 1 filtered rows and a black one.
  std::vector<uint8_t> across(rowBytes * static_cast<size_t>(height), 0);
  for (int y = 0; y + 1 < height; ++y) {
    for (int x = 0; x < dw; ++x) {
      int64_t entry = (x * xstep) >> 8;
      int64_t s = entry >> 8;
      int64_t f = entry & 255;
      size_t at = (static_cast<size_t>(y) * width + static_cast<size_t>(s)) * 3;
      for (int c = 0; c < 3; ++c) {
        int64_t here = src[at + c];
        int64_t next = src[at + 3 + c];  // the next row's first pixel after a row's last
        across[static_cast<size_t>(y) * rowBytes + 3 * x + c] =
            static_cast<uint8_t>((next * f + here * (256 - f)) >> 8);
      }
    }
  }
  const size_t stride = (rowBytes + 3) / 4 * 4;
  std::vector<uint8_t> out(stride * static_cast<size_t>(dh), 0);
  for (int y = 0; y + 1 < dh; ++y) {
    int64_t entry = (y * ystep) >> 8;
    int64_t base = std::min<int64_t>(height - 2, entry >> 8);
    int64_t f = entry & 255;
    for (size_t i = 0; i < rowBytes; ++i) {
      int64_t upper = across[static_cast<size_t>(base) * rowBytes + i];
      int64_t lower = across[static_cast<size_t>(base + 1) * rowBytes + i];
      out[static_cast<size_t>(y) * stride + i] =
          static_cast<uint8_t>((upper * (256 - f) + lower * f) >> 8);
    }
  }
  return out;
}

std::vector<uint8_t> ReferenceNearestScale(const std::vector<uint8_t>& src, int width, int height,
                                           int dw, int dh) {
  const int64_t xstep = (static_cast<int64_t>(width) << 16) / dw;
  const int64_t ystep = (static_cast<int64_t>(height) << 16) / dh;
  const size_t stride = (static_cast<size_t>(dw) * 3 + 3) / 4 * 4;
  std::vector<uint8_t> out(stride * static_cast<size_t>(dh), 0);
  for (int y = 0; y < dh; ++y) {
    int64_t sy = (y * ystep) >> 16;
    for (int x = 0; x < dw; ++x) {
      int64_t sx = (x * xstep) >> 16;
      for (int c = 0; c < 3; ++c) {
        out[static_cast<size_t>(y) * stride + 3 * x + c] =
            src[(static_cast<size_t>(sy) * width + static_cast<size_t>(sx)) * 3 + c];
      }
    }
  }
  return out;
}

void ReferenceDither(std::vector<uint8_t>* image, int rows, int width, int pad, int kernel,
                     bool serpentine, const std::function<uint32_t(uint32_t)>& quantise) {
  const size_t stride = static_cast<size_t>(width) * 3 + static_cast<size_t>(pad);
  // errors[row][x + 8][channel] for every image row plus margins.
  std::vector<std::vector<std::vector<int64_t>>> errors(
      static_cast<size_t>(rows) + 4,
      std::vector<std::vector<int64_t>>(static_cast<size_t>(width) + 16,
                                        std::vector<int64_t>(3, 0)));
  for (int y = 0; y < rows; ++y) {
    bool leftward = serpentine && (y & 1);
    const DitherKernel& k = kDitherKernels[leftward ? MirrorKernel(kernel) : kernel];
    for (int i = 0; i < width; ++i) {
      int x = leftward ? width - 1 - i : i;
      uint8_t* px = image->data() + stride * static_cast<size_t>(y) + 3 * static_cast<size_t>(x);
      int c[3];
      for (int ch = 0; ch < 3; ++ch) {
        int64_t v = px[ch] + FloorDiv(errors[y][x + 8][ch], 256);
        c[ch] = static_cast<int>(std::min<int64_t>(255, std::max<int64_t>(0, v)));
      }
      uint32_t colour = static_cast<uint32_t>(c[2] << 16 | c[1] << 8 | c[0]);
      uint32_t q = (colour == 0 || colour == 0xFFFFFF) ? colour : quantise(colour);
      int qc[3] = {static_cast<int>(q & 0xFF), static_cast<int>((q >> 8) & 0xFF),
                   static_cast<int>((q >> 16) & 0xFF)};
      for (int ch = 0; ch < 3; ++ch) {
        px[ch] = static_cast<uint8_t>(qc[ch]);
        int64_t e = c[ch] - qc[ch];
        for (int t = 0; t < k.tapCount; ++t) {
          const DitherTap& tap = k.taps[t];
          int64_t d = k.divisor;
          int64_t delta = ((d / 2 + tap.weight * (e - 1)) * 256) / d;  // truncates toward zero
          errors[y + tap.dy][x + tap.dx + 8][ch] += delta;
        }
      }
    }
  }
}
