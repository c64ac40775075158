#include "codec/art_encoder_parts.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "codec/codec_context.h"
#include "codec/wavelet.h"

namespace {

// Inverse of the clamp table's stretch: the index whose stretched value is
// the byte (or the nearest one).
double ClampIndex(int value) {
  return std::floor(value * 248.0 / 255.0 + 0.5);
}

}  // namespace

void ToDecoderColours(const BgrImage& image, ColourPlanes planes) {
  for (int32_t y = 0; y < image.height; ++y) {
    const uint8_t* row = image.pixels + image.stride * static_cast<size_t>(y);
    for (int32_t x = 0; x < image.width; ++x) {
      size_t i = static_cast<size_t>(y) * image.width + x;
      // Aim at the middle of each index's range: B4 and R4 are shifted right
      // by 2, G comes out of (X * 1744) >> 12.
      double b4 = 4 * ClampIndex(row[3 * x]) + 1.5;
      double r4 = 4 * ClampIndex(row[3 * x + 2]) + 1.5;
      double gx = (ClampIndex(row[3 * x + 1]) + 0.5) * 4096.0 / 1744.0;
      double luma = gx + std::floor(116 * b4 / 1024) + std::floor(306 * r4 / 1024);
      planes.y[i] = luma;
      planes.u[i] = (b4 - luma + 1024) / 2;
      planes.v[i] = (r4 - luma + 819 + 0.5) * 1024.0 / 1638.0;
      planes.blue[i] = b4 / 4;
      planes.green[i] = ClampIndex(row[3 * x + 1]) + 0.5;
      planes.red[i] = r4 / 4;
    }
  }
}

void FillTile(const double* plane, int32_t planeWidth, const PieceLayout& at, int side,
              HiddenRows hidden, double* tile) {
  const int visible = std::min(at.visibleRows, side);
  for (int r = 0; r < visible; ++r) {
    const double* src = plane + static_cast<size_t>(at.row0 + r) * planeWidth + at.col0;
    std::memcpy(tile + static_cast<size_t>(r) * side, src, sizeof(double) * side);
  }
  const double* last = tile + static_cast<size_t>(visible - 1) * side;
  const int hiddenCount = side - visible;
  for (int r = visible; r < side; ++r) {
    double* row = tile + static_cast<size_t>(r) * side;
    if (hidden == HiddenRows::kRepeatLast) {
      std::memcpy(row, last, sizeof(double) * side);
      continue;
    }
    // A half cosine from the last row to the first: no step either end.
    const double t = static_cast<double>(r - visible + 1) / (hiddenCount + 1);
    const double s = 0.5 - 0.5 * std::cos(3.14159265358979323846 * t);
    for (int x = 0; x < side; ++x) row[x] = last[x] + s * (tile[x] - last[x]);
  }
}

void HalveTile(const double* tile, int side, double* half) {
  int h = side / 2;
  for (int r = 0; r < h; ++r) {
    for (int c = 0; c < h; ++c) {
      int x = 2 * c;
      int xl = x > 0 ? x - 1 : x;
      int xr = x + 1 < side ? x + 1 : x;
      double sum = 0;
      for (int dy = 0; dy < 2; ++dy) {
        const double* row = tile + static_cast<size_t>(2 * r + dy) * side;
        sum += 0.25 * row[xl] + 0.5 * row[x] + 0.25 * row[xr];
      }
      half[static_cast<size_t>(r) * h + c] = sum / 2;
    }
  }
}

// With half-size chroma a pixel gets its neighbours' chroma, which is wrong
// at colour edges. Y' moves blue, green and red alike (a quarter index per
// unit each), so each pixel's Y' is chosen to share that error out evenly
// over its three channels, given the chroma the decoder will interpolate.
// Channels pinned at the clamp table's ends (and past them) count as right.
void CompensateLuma(double* luma, const double* uHalf, const double* vHalf, const double* blue,
                    const double* green, const double* red, int side) {
  const int c = side / 2;
  const double kg = 1744.0 / 4096.0 * (1 - 116.0 / 1024 - 306.0 / 1024);
  for (int r = 0; r < side; ++r) {
    const double* ur = uHalf + static_cast<size_t>(r / 2) * c;
    const double* vr = vHalf + static_cast<size_t>(r / 2) * c;
    for (int x = 0; x < side; ++x) {
      size_t i = static_cast<size_t>(r) * side + x;
      double u, v;
      if ((x & 1) == 0) {
        u = ur[x / 2];
        v = vr[x / 2];
      } else {
        int a = (x - 1) / 2;
        int b = x == side - 1 ? a : a + 1;
        u = (ur[a] + ur[b]) / 2;
        v = (vr[a] + vr[b]) / 2;
      }
      double y = luma[i];
      double b4 = y + 2 * u - 1024;
      double r4 = 1638.0 / 1024 * v - 819 + y;
      double g = 1744.0 / 4096 * (y - 116.0 / 1024 * b4 - 306.0 / 1024 * r4);
      double errors[3] = {b4 / 4 - blue[i], g - green[i], r4 / 4 - red[i]};
      const double targets[3] = {blue[i], green[i], red[i]};
      const double slopes[3] = {0.25, kg, 0.25};
      double num = 0;
      double den = 0;
      for (int k = 0; k < 3; ++k) {
        bool pinnedHigh = targets[k] >= 248 && errors[k] > 0;
        bool pinnedLow = targets[k] < 1 && errors[k] < 0;
        if (pinnedHigh || pinnedLow) continue;
        num += slopes[k] * errors[k];
        den += slopes[k] * slopes[k];
      }
      if (den > 0) luma[i] = y - num / den;
    }
  }
}

void MakePieceTiles(const ColourPlanes& colours, int32_t width, const PieceLayout& at, int side,
                    bool halved, HiddenRows hidden, double* const tiles[6],
                    double* const halves[2]) {
  const double* sources[6] = {colours.y,    colours.u,     colours.v,
                              colours.blue, colours.green, colours.red};
  for (int k = 0; k < (halved ? 6 : 3); ++k) {
    FillTile(sources[k], width, at, side, hidden, tiles[k]);
  }
  if (halved) {
    HalveTile(tiles[1], side, halves[0]);
    HalveTile(tiles[2], side, halves[1]);
    CompensateLuma(tiles[0], halves[0], halves[1], tiles[3], tiles[4], tiles[5], side);
  }
}

void AppendLe32(const int32_t* values, size_t count, uint8_t* out) {
  for (size_t i = 0; i < count; ++i) {
    uint32_t v = static_cast<uint32_t>(values[i]);
    out[4 * i] = static_cast<uint8_t>(v);
    out[4 * i + 1] = static_cast<uint8_t>(v >> 8);
    out[4 * i + 2] = static_cast<uint8_t>(v >> 16);
    out[4 * i + 3] = static_cast<uint8_t>(v >> 24);
  }
}

// One pass of 1-D synthesis (as d4_synthesis does it) in 64 bits: false
// when a sum leaves the 32 bits the decoder forms it in.
namespace {

bool SynthesisLinesFit(const int64_t* low, const int64_t* high, int lines, int n, size_t stride,
                       int64_t* out) {
  const size_t twice = 2 * static_cast<size_t>(n);
  for (int r = 0; r < lines; ++r) {
    const int64_t* l = low + static_cast<size_t>(r) * n;
    const int64_t* h = high + static_cast<size_t>(r) * n;
    for (int k = 0; k < n; ++k) {
      const int k1 = k + 1 < n ? k + 1 : 0;
      const int64_t even = 14689 * l[k] + 31651 * l[k1] + 54821 * h[k] - 8480 * h[k1];
      const int64_t odd = -8480 * l[k] + 54821 * l[k1] - 31651 * h[k] - 14689 * h[k1];
      if (even < INT32_MIN || even > INT32_MAX || odd < INT32_MIN || odd > INT32_MAX) {
        return false;
      }
      const size_t at = (2 * static_cast<size_t>(k) + 2) % twice;
      out[r + at * stride] = even >> 16;
      out[r + (at + 1) * stride] = odd >> 16;
    }
  }
  return true;
}

}  // namespace

bool SynthesisFits(const int32_t* coefficients, int side, int baseSize, int64_t* work) {
  const size_t count = static_cast<size_t>(side) * side;
  int64_t* plane = work;
  int64_t* scratch = plane + count;
  std::copy(coefficients, coefficients + count, plane);
  for (int s = baseSize; s < side; s *= 2) {
    const size_t band = static_cast<size_t>(s) * s;
    if (!SynthesisLinesFit(plane, plane + band, s, s, s, scratch) ||
        !SynthesisLinesFit(plane + 2 * band, plane + 3 * band, s, s, s, scratch + 2 * band) ||
        !SynthesisLinesFit(scratch, scratch + 2 * band, 2 * s, s, 2 * s, plane)) {
      return false;
    }
  }
  return true;
}

int32_t SynthesisDrift(const double* spatial, const int64_t* synthesised, size_t count) {
  double drift = 0;
  for (size_t i = 0; i < count; ++i) drift += spatial[i] - static_cast<double>(synthesised[i]);
  drift /= static_cast<double>(count);
  return static_cast<int32_t>(std::floor(drift + 0.5));
}

CodecStatus WriteArtFile(ArtHeader header, const uint8_t* stream, size_t streamBytes,
                         ByteBuffer* file, CodecError* error) {
  if (streamBytes > 0x7FFFFFFF) {
    return SetCodecError(error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                         "The picture is too large to encode");
  }
  header.packedSize = static_cast<int32_t>(streamBytes);
  ByteBuffer out;
  if (!AllocateBytes(&out, kArtHeaderSize + HuffmanBound(streamBytes), false)) {
    return OutOfMemoryError(error, kArtModule, __LINE__);
  }
  size_t payload = EncodeHuffman(stream, streamBytes, out.data() + kArtHeaderSize);
  SerializeArtHeader(header, out.data());
  out.size = kArtHeaderSize + payload;
  *file = std::move(out);
  return CodecStatus::kOk;
}

double SquaredError(const BgrImage& image, const uint8_t* decoded) {
  double sum = 0;
  for (int32_t y = 0; y < image.height; ++y) {
    const uint8_t* a = image.pixels + image.stride * static_cast<size_t>(y);
    const uint8_t* b = decoded + static_cast<size_t>(y) * image.width * 3;
    for (int32_t i = 0; i < image.width * 3; ++i) {
      double d = static_cast<double>(a[i]) - b[i];
      sum += d * d;
    }
  }
  return sum;
}

double PsnrOf(double squaredError, const BgrImage& image) {
  double mse = squaredError / (3.0 * image.width * image.height);
  return mse <= 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

CodecStatus DecodeToCheck(const ByteBuffer& file, const BgrImage& image, double* squaredError,
                          CodecError* error) {
  std::unique_ptr<CodecContext> check(new (std::nothrow) CodecContext);
  if (!check) return OutOfMemoryError(error, kArtModule, __LINE__);
  InitCodecContext(check.get());
  WaveletPtr art;
  CodecStatus status =
      ReadWaveletFromMemory(check.get(), file.data(), file.size, "encoded art", true, &art);
  if (status != CodecStatus::kOk) {
    *error = check->error;
    return status;
  }
  *squaredError = SquaredError(image, art->pixels.data());
  return CodecStatus::kOk;
}
