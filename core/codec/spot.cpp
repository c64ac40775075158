#include "codec/spot.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "codec/codec_context.h"
#include "codec/scale.h"

namespace {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

constexpr uint32_t kHsvUnit = 15728640;  // 3840 x 4096

// The options' words for a disk without room for the backup file, or the
// codec's own.
CodecStatus DiskFull(CodecContext* ctx, int line) {
  char drive = ctx->programDirectory[0] ? ctx->programDirectory[0] : '?';
  const char* format = ctx->options.spotDiskFullFormat
                           ? ctx->options.spotDiskFullFormat
                           : "Out of disk space on drive %c: for backup file\n";
  return SetCodecError(&ctx->error, CodecStatus::kIoError, kArtModule, line, format, drive);
}

// Opens "spot.sav" on first use and sets its length to one rectangle.
CodecStatus OpenSpotFile(CodecContext* ctx, long bytes) {
  SpotState& spot = ctx->spot;
  if (spot.file) return CodecStatus::kOk;
  int n = std::snprintf(spot.path, sizeof spot.path, "%s%cspot.sav", ctx->programDirectory,
                        kPathSeparator);
  if (n < 0 || static_cast<size_t>(n) >= sizeof spot.path) {
    return SetCodecError(&ctx->error, CodecStatus::kIoError, kArtModule, __LINE__,
                         "Spot file open failed");
  }
  // Created or emptied, read and write, raw bytes, and committed to disk
  // whenever it is flushed ("c", as the wallpaper writer does), so a full
  // disk shows at the flush below. C libraries without the flag ignore it.
  spot.file.reset(ctx->options.openSpotFile ? ctx->options.openSpotFile(spot.path, sizeof spot.path)
                                            : OpenCodecFile(spot.path, "w+bc"));
  if (!spot.file) {
    return SetCodecError(&ctx->error, CodecStatus::kIoError, kArtModule, __LINE__,
                         "Spot file open failed");
  }
  if (std::fseek(spot.file.get(), bytes, SEEK_SET) != 0 || std::fflush(spot.file.get()) != 0) {
    return DiskFull(ctx, __LINE__);
  }
  return CodecStatus::kOk;
}

}  // namespace

SpotHsv RgbToSpotHsv(int r, int g, int b) {
  int max = r > g ? (r > b ? r : b) : (g > b ? g : b);
  int min = r < g ? (r < b ? r : b) : (g < b ? g : b);
  SpotHsv hsv;
  hsv.v = max * 64;
  if (max == 0) {
    hsv.h = -1;
    hsv.s = 0;
    return hsv;
  }
  hsv.s = ((max - min) * 4096) / max;
  if (max == min) {
    hsv.h = 0;
    return hsv;
  }
  int d = max - min;
  if (max == r) {
    hsv.h = ((g - b) * 3840) / d;
  } else if (max == g) {
    hsv.h = ((b - r) * 3840) / d + 7680;
  } else {
    hsv.h = ((r - g) * 3840) / d + 15360;
  }
  if (hsv.h < 0) hsv.h += 23040;
  return hsv;
}

void SpotHsvToRgb(SpotHsv hsv, int* r, int* g, int* b) {
  if (hsv.s == 0 && hsv.h == -1) {
    *r = *g = *b = hsv.v / 64;
    return;
  }
  int32_t h = hsv.h == 23040 ? 0 : hsv.h;
  uint32_t v = static_cast<uint32_t>(hsv.v / 64);
  int32_t f = h % 3840;
  uint32_t s = static_cast<uint32_t>(hsv.s);
  int p = static_cast<int>(((4096 - s) * v) / 4096);
  int q = static_cast<int>(((kHsvUnit - s * static_cast<uint32_t>(f)) * v) / kHsvUnit);
  int t = static_cast<int>(
      (static_cast<uint32_t>((f - 3840) * hsv.s + static_cast<int32_t>(kHsvUnit)) * v) / kHsvUnit);
  int vi = static_cast<int>(v);
  switch (h / 3840) {
    case 0:
      *r = vi, *g = t, *b = p;
      break;
    case 1:
      *r = q, *g = vi, *b = p;
      break;
    case 2:
      *r = p, *g = vi, *b = t;
      break;
    case 3:
      *r = p, *g = q, *b = vi;
      break;
    case 4:
      *r = t, *g = p, *b = vi;
      break;
    default:
      *r = vi, *g = p, *b = q;
      break;
  }
}

void DarkenPixel(uint8_t* bgr, uint8_t m) {
  if (m == 0) return;
  SpotHsv hsv = RgbToSpotHsv(bgr[2], bgr[1], bgr[0]);
  hsv.v = static_cast<int32_t>((255u - m) * static_cast<uint32_t>(hsv.v) / 255u);
  int r, g, b;
  SpotHsvToRgb(hsv, &r, &g, &b);
  bgr[0] = static_cast<uint8_t>(b);
  bgr[1] = static_cast<uint8_t>(g);
  bgr[2] = static_cast<uint8_t>(r);
}

CodecStatus LoadSpotMask(CodecContext* ctx, const char* path, int32_t screenWidth,
                         int32_t screenHeight) {
  ClearCodecError(&ctx->error);
  int64_t mw = (static_cast<int64_t>(screenWidth) * 320 / 576) & ~int64_t{3};
  int64_t mh = (static_cast<int64_t>(screenHeight) * 258 / 468) & ~int64_t{3};
  if (mw < 4 || mh < 4 || mw > kMaxArtSide || mh > kMaxArtSide) {
    return SetCodecError(&ctx->error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                         "A %d x %d screen has no room for the spot mask", screenWidth,
                         screenHeight);
  }
  WaveletPtr art;
  CodecStatus status = ReadWavelet(ctx, path, true, &art);
  if (status != CodecStatus::kOk) return status;
  ScaledImage scaled;
  status = NearestScaleImage(ctx, nullptr, 0, art.get(), static_cast<int32_t>(mw),
                             static_cast<int32_t>(mh), &scaled);
  if (status != CodecStatus::kOk) return status;
  ByteBuffer mask;
  if (!AllocateBytes(&mask, static_cast<size_t>(mw * mh), false, &ctx->memory)) {
    return OutOfMemory(ctx, kArtModule, __LINE__);
  }
  for (int64_t y = 0; y < mh; ++y) {
    const uint8_t* row = scaled.pixels + scaled.stride * static_cast<size_t>(y);
    uint8_t* out = mask.data() + static_cast<size_t>(y * mw);
    for (int64_t x = 0; x < mw; ++x) out[x] = row[3 * x];  // blue
  }
  art->header.width = static_cast<int32_t>(mw);
  art->header.height = static_cast<int32_t>(mh);
  art->pixels = std::move(mask);
  art->decoded = 1;
  ctx->spot.mask = std::move(art);
  return CodecStatus::kOk;
}

bool SpotRectangle(const CodecContext& ctx, int32_t dw, int32_t dh, int corner, SpotRect* rect) {
  if (!ctx.spot.mask || corner < 0 || corner > 3) return false;
  const int32_t mw = ctx.spot.mask->header.width;
  const int32_t mh = ctx.spot.mask->header.height;
  rect->left = (corner & 1) ? dw - mw - 1 : 0;
  rect->top = (corner & 2) ? dh - mh - 1 : 0;
  rect->width = mw;
  rect->height = mh;
  return rect->left >= 0 && rect->top >= 0 && rect->left + mw <= dw && rect->top + mh <= dh;
}

CodecStatus SaveSpot(CodecContext* ctx, uint8_t* image, int32_t dw, int32_t dh, int corner) {
  ClearCodecError(&ctx->error);
  if (corner == -1) return CodecStatus::kOk;
  if (StopRequested(ctx->cancel)) return StoppedError(&ctx->error, kArtModule, __LINE__);
  SpotRect rect;
  if (!SpotRectangle(*ctx, dw, dh, corner, &rect)) {
    return SetCodecError(&ctx->error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                         "SaveSpot: no spot mask fits corner %d of a %d x %d image", corner, dw,
                         dh);
  }
  const size_t rowBytes = static_cast<size_t>(rect.width) * 3;
  CodecStatus status =
      OpenSpotFile(ctx, static_cast<long>(rowBytes * static_cast<size_t>(rect.height)));
  if (status != CodecStatus::kOk) return status;
  std::FILE* file = ctx->spot.file.get();
  if (std::fseek(file, 0, SEEK_SET) != 0) {
    return SetCodecError(&ctx->error, CodecStatus::kIoError, kArtModule, __LINE__,
                         "Spot File Seek failed\n");
  }
  const size_t stride = RowStride(dw);
  uint8_t* first =
      image + stride * static_cast<size_t>(rect.top) + 3 * static_cast<size_t>(rect.left);
  for (int32_t r = 0; r < rect.height; ++r) {
    if (std::fwrite(first + stride * static_cast<size_t>(r), 3, static_cast<size_t>(rect.width),
                    file) != static_cast<size_t>(rect.width)) {
      return SetCodecError(&ctx->error, CodecStatus::kIoError, kArtModule, __LINE__,
                           "Out of room for spot backup file\n");
    }
  }
  const uint8_t* mask = ctx->spot.mask->pixels.data();
  for (int32_t r = 0; r < rect.height; ++r) {
    uint8_t* px = first + stride * static_cast<size_t>(r);
    const uint8_t* m = mask + static_cast<size_t>(r) * static_cast<size_t>(rect.width);
    for (int32_t c = 0; c < rect.width; ++c) DarkenPixel(px + 3 * c, m[c]);
  }
  if (std::fflush(file) != 0) {
    return SetCodecError(&ctx->error, CodecStatus::kIoError, kArtModule, __LINE__,
                         "Out of room for spot backup file\n");
  }
  return CodecStatus::kOk;
}

CodecStatus ReplaceSpot(CodecContext* ctx, SpotRect* rect, uint8_t* image, int32_t dw, int32_t dh,
                        int corner) {
  ClearCodecError(&ctx->error);
  *rect = SpotRect{0, 0, 0, 0};
  if (corner == -1) return CodecStatus::kOk;
  SpotRect r;
  if (!SpotRectangle(*ctx, dw, dh, corner, &r)) {
    return SetCodecError(&ctx->error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                         "ReplaceSpot: no spot mask fits corner %d of a %d x %d image", corner, dw,
                         dh);
  }
  std::FILE* file = ctx->spot.file.get();
  if (!file || std::fseek(file, 0, SEEK_SET) != 0) {
    return SetCodecError(&ctx->error, CodecStatus::kIoError, kArtModule, __LINE__,
                         "Spot File Seek failed in replace spot\n");
  }
  const size_t stride = RowStride(dw);
  uint8_t* first = image + stride * static_cast<size_t>(r.top) + 3 * static_cast<size_t>(r.left);
  for (int32_t y = 0; y < r.height; ++y) {
    if (std::fread(first + stride * static_cast<size_t>(y), 3, static_cast<size_t>(r.width),
                   file) != static_cast<size_t>(r.width)) {
      return SetCodecError(&ctx->error, CodecStatus::kIoError, kArtModule, __LINE__,
                           "Spot backup file %s is shorter than its rectangle", ctx->spot.path);
    }
  }
  int32_t rows = (corner & 2) ? r.height - 1 : r.height;
  CodecStatus status =
      ReduceColours(ctx, image + stride * static_cast<size_t>(r.top), rows, rows, dw);
  if (status != CodecStatus::kOk) return status;
  *rect = r;
  return CodecStatus::kOk;
}

void CloseSpotFile(CodecContext* ctx, bool deleteFile) {
  bool wasOpen = static_cast<bool>(ctx->spot.file);
  ctx->spot.file.reset();
  if (deleteFile && wasOpen) std::remove(ctx->spot.path);
}
