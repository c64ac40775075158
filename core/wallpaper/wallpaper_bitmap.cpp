#include "wallpaper/wallpaper_bitmap.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr char kWallpaperModule[] = "wallpaper";

void Put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint16_t Pixel16(const uint8_t* bgr) {
  const unsigned blue = bgr[0] & 0xF8u, green = bgr[1] & 0xF8u, red = bgr[2] & 0xF8u;
  return static_cast<uint16_t>((((red * 32) | green) * 4) | (blue >> 3));
}

#if defined(__SSE2__)

// The four pixels at bytes 0, 3, 6 and 9 of p, one to a 32-bit lane (blue
// in its low byte). Reads 16 bytes.
inline __m128i FourPixels(const uint8_t* p) {
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i first = _mm_unpacklo_epi32(a, _mm_srli_si128(a, 3));
  const __m128i second = _mm_unpacklo_epi32(_mm_srli_si128(a, 6), _mm_srli_si128(a, 9));
  return _mm_unpacklo_epi64(first, second);
}

// Pixel16 of each lane; below 32768, so a signed pack keeps them.
inline __m128i Pack555(__m128i lanes) {
  const __m128i blue = _mm_srli_epi32(_mm_and_si128(lanes, _mm_set1_epi32(0xF8)), 3);
  const __m128i green = _mm_srli_epi32(_mm_and_si128(lanes, _mm_set1_epi32(0xF800)), 6);
  const __m128i red = _mm_srli_epi32(_mm_and_si128(lanes, _mm_set1_epi32(0xF80000)), 9);
  return _mm_or_si128(_mm_or_si128(blue, green), red);
}

#endif

void FillColourTable(const LogicalPalette& palette, uint8_t* table) {
  std::memset(table, 0, kWallpaperColourTableBytes);
  for (int entry = 1; entry <= 254; ++entry) {
    const int index = entry - 1;
    if (index >= palette.entryCount) break;
    uint8_t* quad = table + 4 * entry;
    quad[0] = palette.entries[index].blue;
    quad[1] = palette.entries[index].green;
    quad[2] = palette.entries[index].red;
    quad[3] = 0;
  }
  uint8_t* white = table + 4 * 235;
  white[0] = white[1] = white[2] = white[3] = 255;
}

// After the colour reduction a picture holds only the table's colours (and
// black and white), so the pixel value last found for a colour is kept in a
// small table by colour: most pixels then skip the walk through the cells.
struct IndexMemo {
  static constexpr int kBits = 12;
  struct Slot {
    uint32_t colour = 0xFFFFFFFF;  // no colour: empty
    uint8_t pixel = 0;
  };
  static uint32_t SlotOf(uint32_t colour) { return (colour * 0x9E3779B1u) >> (32 - kBits); }
  Slot slots[1 << kBits];
};

}  // namespace

int32_t WallpaperFileDepth(int32_t displayDepth) {
  return displayDepth == 8 || displayDepth == 16 ? displayDepth : 24;
}

size_t WallpaperRowBytes(int32_t width, int32_t fileDepth) {
  const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(fileDepth / 8);
  return (bytes + 3) & ~size_t{3};
}

void FillWallpaperHeaders(const WallpaperScreen& screen, size_t imageBytes, uint8_t* headers) {
  std::memset(headers, 0, kWallpaperFileHeaderBytes + kWallpaperInfoHeaderBytes);
  uint8_t* file = headers;
  file[0] = 'B';
  file[1] = 'M';
  Put32(file + 2, static_cast<uint32_t>(imageBytes + kWallpaperHeaderBytes));
  Put32(file + 10, static_cast<uint32_t>(kWallpaperHeaderBytes));
  uint8_t* info = headers + kWallpaperFileHeaderBytes;
  Put32(info + 0, static_cast<uint32_t>(kWallpaperInfoHeaderBytes));
  Put32(info + 4, static_cast<uint32_t>(screen.width));
  Put32(info + 8, static_cast<uint32_t>(screen.height));
  Put16(info + 12, 1);
  Put16(info + 14, static_cast<uint32_t>(WallpaperFileDepth(screen.depth)));
  Put32(info + 16, 0);
  Put32(info + 20, static_cast<uint32_t>(imageBytes));
  Put32(info + 24, static_cast<uint32_t>(screen.xPelsPerMeter));
  Put32(info + 28, static_cast<uint32_t>(screen.yPelsPerMeter));
  Put32(info + 32, 256);
  Put32(info + 36, 236);
}

CodecStatus BuildBitmapBits(CodecContext* ctx, uint8_t* image, size_t stride, int32_t width,
                            int32_t height, int32_t fileDepth, uint8_t* colourTable,
                            const char* tablePath, size_t* imageBytes) {
  const LogicalPalette* palette = nullptr;
  CodecStatus status = ReadColourTable(&ctx->palette, tablePath, &palette);
  if (status != CodecStatus::kOk) return status;
  FillColourTable(*palette, colourTable);

  const size_t rowBytes = WallpaperRowBytes(width, fileDepth);
  const NearestCache* nearest = fileDepth == 8 ? PrepareNearestCache(&ctx->palette) : nullptr;
  std::unique_ptr<IndexMemo> memo;
  if (fileDepth == 8) {
    memo.reset(new (std::nothrow) IndexMemo);
    if (!memo) return OutOfMemory(ctx, kWallpaperModule, __LINE__);
  }
  // Convert front to back: an output row never starts after its input row.
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* in = image + static_cast<size_t>(y) * stride;
    uint8_t* out = image + static_cast<size_t>(y) * rowBytes;
    if (fileDepth == 8) {
      for (int32_t x = 0; x < width; ++x, in += 3) {
        const uint32_t colour = (uint32_t{in[2]} << 16) | (uint32_t{in[1]} << 8) | in[0];
        IndexMemo::Slot& slot = memo->slots[IndexMemo::SlotOf(colour)];
        if (slot.colour != colour) {
          slot.colour = colour;
          slot.pixel =
              static_cast<uint8_t>(NearestColourIndexKept(&ctx->palette, nearest, colour) + 1);
        }
        out[x] = slot.pixel;
      }
      std::memset(out + width, 0, rowBytes - static_cast<size_t>(width));
    } else if (fileDepth == 16) {
      int32_t x = 0;
#if defined(__SSE2__)
      // Eight pixels a step, the reads staying inside the row. Each store
      // ends before the input still to be read: out never starts after in.
      for (; x + 10 <= width; x += 8, in += 24) {
        const __m128i low = Pack555(FourPixels(in));
        const __m128i high = Pack555(FourPixels(in + 12));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * static_cast<size_t>(x)),
                         _mm_packs_epi32(low, high));
      }
#endif
      for (; x < width; ++x, in += 3) Put16(out + 2 * x, Pixel16(in));
      std::memset(out + 2 * static_cast<size_t>(width), 0,
                  rowBytes - 2 * static_cast<size_t>(width));
    } else {
      std::memmove(out, in, static_cast<size_t>(width) * 3);
      std::memset(out + 3 * static_cast<size_t>(width), 0,
                  rowBytes - 3 * static_cast<size_t>(width));
    }
  }

  // Rows 0 .. height - 2 reversed for the bottom-up file; the last (black)
  // row stays last.
  ByteBuffer row;
  if (!AllocateBytes(&row, rowBytes, false)) {
    return OutOfMemory(ctx, kWallpaperModule, __LINE__);
  }
  for (int32_t i = 0; i < height / 2; ++i) {
    uint8_t* a = image + static_cast<size_t>(i) * rowBytes;
    uint8_t* b = image + static_cast<size_t>(height - 2 - i) * rowBytes;
    if (a == b || height - 2 - i < 0) continue;
    std::memcpy(row.data(), a, rowBytes);
    std::memcpy(a, b, rowBytes);
    std::memcpy(b, row.data(), rowBytes);
  }
  *imageBytes = rowBytes * static_cast<size_t>(height);
  return CodecStatus::kOk;
}

CodecStatus MakeWallpaperBitmap(CodecContext* ctx, const char* artPath, const char* tablePath,
                                const WallpaperScreen& screen, WallpaperBitmap* out) {
  ClearCodecError(&ctx->error);
  if (screen.width < 2 || screen.height < 2 || screen.width > 32768 || screen.height > 32768) {
    return SetCodecError(&ctx->error, CodecStatus::kBadArgument, kWallpaperModule, __LINE__,
                         "A screen of %d x %d pixels cannot have a wallpaper\n", screen.width,
                         screen.height);
  }
  WaveletPtr art;
  CodecStatus status = ReadWavelet(ctx, artPath, false, &art);
  if (status != CodecStatus::kOk) return status;

  const LogicalPalette* palette = nullptr;
  status = ReadColourTable(&ctx->palette, tablePath, &palette);
  if (status != CodecStatus::kOk) return status;
  if (palette->entryCount > kWallpaperMaxColours) {
    return SetCodecError(&ctx->error, CodecStatus::kBadData, kWallpaperModule, __LINE__,
                         "Colour table %s holds %d colours; a wallpaper's holds at most %d\n",
                         tablePath, palette->entryCount, kWallpaperMaxColours);
  }

  // The art is decoded into the end of the bitmap's own buffer and scaled
  // there: no buffer for the decoded art, none for the rows filtered across.
  // Only for an art no taller than the screen: the buffer is then the
  // screen's size, so nothing the art file claims is allocated before its
  // streams are checked. Without the memory for it the scaler uses buffers
  // of its own, and says what it cannot do. The program may have the
  // buffer's pages mapped in one go first (mapPages).
  ByteBuffer target;
  const uint64_t targetBytes =
      ScaleTargetBytes(art->header.width, art->header.height, screen.width, screen.height);
  if (art->header.height <= screen.height && targetBytes > 0 && targetBytes <= kMaxAllocation) {
    static_cast<void>(
        AllocateBytes(&target, static_cast<size_t>(targetBytes), false, &ctx->memory));
    if (!target.empty() && ctx->options.mapPages) ctx->options.mapPages(target.data(), target.size);
  }
  ScaledImage scaled;
  status = FilterScaleImage(ctx, target.empty() ? nullptr : target.data(), target.size, art.get(),
                            screen.width, screen.height, -1, &scaled);
  if (status != CodecStatus::kOk) return status;
  // An art of exactly the screen's size comes back as the decoded image
  // itself, rows unpadded: copy it into padded rows of its own, since the
  // file's rows are padded.
  ByteBuffer image;
  uint8_t* pixels = scaled.pixels;
  size_t stride = scaled.stride;
  const size_t paddedStride = RowStride(screen.width);
  if (!target.empty() && pixels == target.data() && stride == paddedStride) {
    image = std::move(target);
  } else if (!scaled.owned.empty() && pixels == scaled.owned.data() && stride >= paddedStride) {
    image = std::move(scaled.owned);
  } else {
    if (!AllocateBytes(&image, paddedStride * static_cast<size_t>(screen.height), true)) {
      return OutOfMemory(ctx, kWallpaperModule, __LINE__);
    }
    for (int32_t y = 0; y < screen.height; ++y) {
      std::memcpy(image.data() + paddedStride * static_cast<size_t>(y),
                  pixels + stride * static_cast<size_t>(y), static_cast<size_t>(screen.width) * 3);
    }
    pixels = image.data();
    stride = paddedStride;
  }
  art.reset();

  const int32_t fileDepth = WallpaperFileDepth(screen.depth);
  size_t imageBytes = 0;
  status = BuildBitmapBits(ctx, pixels, stride, screen.width, screen.height, fileDepth,
                           out->headers + kWallpaperFileHeaderBytes + kWallpaperInfoHeaderBytes,
                           tablePath, &imageBytes);
  if (status != CodecStatus::kOk) return status;
  FillWallpaperHeaders(screen, imageBytes, out->headers);
  out->pixels = std::move(image);
  out->imageBytes = imageBytes;
  return CodecStatus::kOk;
}
