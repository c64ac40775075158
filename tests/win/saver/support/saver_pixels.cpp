#include "saver_pixels.h"

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>

#include "codec/codec_context.h"
#include "codec/palette.h"
#include "codec/scale.h"
#include "codec/spot.h"
#include "codec/wavelet.h"
#include "win_raii.h"

const char* const kSaverArtNames[kSaverArtCount] = {"w-logo", "0340", "0893",
                                                    "0930",   "0793", "0731"};

namespace {

// The corner logo each art carries: none for the logo, "logo1.art" for the
// first three card arts, "logo3.art" for the last two.
constexpr int kLogoKinds[kSaverArtCount] = {-1, 1, 1, 1, 0, 0};
constexpr int kBottomRight = 3;

double Luma(uint32_t rgb) {
  return 0.299 * ((rgb >> 16) & 255) + 0.587 * ((rgb >> 8) & 255) + 0.114 * (rgb & 255);
}

void ToPixels(const ScaledImage& image, Pixels* out) {
  out->width = image.width;
  out->height = image.height;
  out->rgb.resize(static_cast<size_t>(image.width) * image.height);
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* row = image.pixels + image.stride * static_cast<size_t>(y);
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = row + 3 * x;
      out->rgb[static_cast<size_t>(y) * image.width + x] =
          static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
    }
  }
}

// At the art's own size the scaler hands back the decoded art as it is; the
// saver makes it like every other picture (backdrop, colour reduction).
bool FinishUnscaled(CodecContext* ctx, const WaveletImage& art, int spot, ScaledImage* image) {
  if (image->width != art.header.width || image->height != art.header.height) return true;
  const int w = image->width, h = image->height;
  ByteBuffer padded;
  if (!AllocateBytes(&padded, RowStride(w) * static_cast<size_t>(h), true)) return false;
  for (int y = 0; y < h; ++y) {
    std::memcpy(padded.data() + RowStride(w) * static_cast<size_t>(y),
                image->pixels + image->stride * static_cast<size_t>(y), static_cast<size_t>(w) * 3);
  }
  if (spot != -1 && SaveSpot(ctx, padded.data(), w, h, spot) != CodecStatus::kOk) return false;
  if (ReduceColours(ctx, padded.data(), h - 1, h, w) != CodecStatus::kOk) return false;
  image->owned = std::move(padded);
  image->pixels = image->owned.data();
  image->stride = RowStride(w);
  return true;
}

bool Fail(std::string* why, const std::string& what, const CodecError& error) {
  *why = what + ": " + error.message;
  return false;
}

}  // namespace

bool GrabScreen(int left, int top, int width, int height, Pixels* out) {
  WindowDC screen(nullptr);
  HDC memory = CreateCompatibleDC(screen.get());
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  GdiObject<HBITMAP> bitmap(
      CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  bool ok = false;
  if (memory && bitmap) {
    SelectGuard selected(memory, bitmap.get());
    ok = BitBlt(memory, 0, 0, width, height, screen.get(), left, top, SRCCOPY) != FALSE;
    GdiFlush();
  }
  if (ok) {
    out->width = width;
    out->height = height;
    const auto* p = static_cast<const uint32_t*>(bits);
    out->rgb.assign(p, p + static_cast<size_t>(width) * height);
    for (uint32_t& v : out->rgb) v &= 0xFFFFFF;
  }
  if (memory) DeleteDC(memory);
  return ok;
}

bool SavePixelsAsBitmap(const Pixels& pixels, const std::string& path) {
  const int stride = (pixels.width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = pixels.width;
  info.biHeight = pixels.height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biSizeImage = static_cast<DWORD>(stride) * pixels.height;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
  std::string row(static_cast<size_t>(stride), '\0');
  for (int y = pixels.height - 1; y >= 0; --y) {
    for (int x = 0; x < pixels.width; ++x) {
      const uint32_t v = pixels.At(x, y);
      row[3 * x] = static_cast<char>(v & 255);
      row[3 * x + 1] = static_cast<char>((v >> 8) & 255);
      row[3 * x + 2] = static_cast<char>((v >> 16) & 255);
    }
    bytes += row;
  }
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  return std::fclose(out) == 0 && written;
}

int ScreenBitsPerPixel() {
  WindowDC screen(nullptr);
  return GetDeviceCaps(screen.get(), BITSPIXEL) * GetDeviceCaps(screen.get(), PLANES);
}

bool SaverArts::Make(const std::string& artDir, const std::string& workDir, int width, int height,
                     int depth, std::string* why) {
  width_ = width;
  height_ = height;
  // A 16-bit screen keeps 5 or 6 bits a channel and widens them again when
  // read back; an 8-bit one shows the nearest colours of the system palette.
  tolerance_ = depth >= 24 ? 0 : depth >= 15 ? 16 : 255;
  wholeShare_ = depth >= 15 ? 1.0 : 0.8;
  // What the saver asks of the codec: its arts' seam, 15 bits reduced as
  // 16, the corner logos.
  CodecOptions options;
  options.seamColumn = 288;
  options.fifteenBitsAsSixteen = true;
  options.logoOverlay = true;
  CodecContext ctx;
  InitCodecContext(&ctx, options);
  ctx.displayBitsPerPixel = depth == 15 ? 16 : depth;
  ctx.ditherKernel = 2;
  if (!SetArtDirectory(&ctx, (artDir + "\\").c_str()) ||
      !SetProgramDirectory(&ctx, workDir.c_str())) {
    *why = "paths too long";
    return false;
  }
  if (LoadSpotMask(&ctx, (artDir + "\\spot.art").c_str(), width, height) != CodecStatus::kOk) {
    return Fail(why, "spot mask", ctx.error);
  }
  SpotRect spot{};
  SpotRectangle(ctx, width, height, kBottomRight, &spot);
  backdrop_ = {spot.left, spot.top, spot.width, spot.height};
  for (int row = 0; row < kSaverArtCount; ++row) {
    const std::string base = artDir + "\\" + kSaverArtNames[row];
    if (depth == 8 && ReadColourTable(&ctx.palette, (base + ".tr").c_str()) != CodecStatus::kOk) {
      return Fail(why, base + ".tr", ctx.palette.error);
    }
    WaveletPtr art;
    if (ReadWavelet(&ctx, (base + ".art").c_str(), false, &art) != CodecStatus::kOk) {
      return Fail(why, base + ".art", ctx.error);
    }
    ctx.logoKind = kLogoKinds[row];
    ScaledImage plain, dark;
    if (FilterScaleImage(&ctx, nullptr, 0, art.get(), width, height, -1, &plain) !=
            CodecStatus::kOk ||
        !FinishUnscaled(&ctx, *art, -1, &plain)) {
      return Fail(why, base + " scaled", ctx.error);
    }
    ToPixels(plain, &plain_[row]);
    if (row == 0) {
      dark_[row] = plain_[row];
      continue;
    }
    if (FilterScaleImage(&ctx, nullptr, 0, art.get(), width, height, kBottomRight, &dark) !=
            CodecStatus::kOk ||
        !FinishUnscaled(&ctx, *art, kBottomRight, &dark)) {
      return Fail(why, base + " with its backdrop", ctx.error);
    }
    ToPixels(dark, &dark_[row]);
  }
  CloseSpotFile(&ctx, true);
  return true;
}

namespace {

int Distance(uint32_t a, uint32_t b) {
  int d = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    d = std::max(
        d, std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255)));
  }
  return d;
}

}  // namespace

bool SaverArts::Same(uint32_t screen, uint32_t picture) const {
  return Distance(screen, picture) <= tolerance_;
}

bool SaverArts::Darkened(const BackdropState& b) const {
  return b.screenLuma < b.plainLuma * 0.85 && b.dark > b.distinct / 4;
}

bool SaverArts::Restored(const BackdropState& b) const {
  // A few pixels of rounded colour may lie nearer the darkened art by chance.
  const int strays = tolerance_ == 0 ? 0 : b.distinct / 20;
  return b.distinct > 0 && b.dark <= strays && 2 * b.plain > b.distinct;
}

int ArtVotes::Majority() const {
  int best = 0;
  for (int i = 1; i < kSaverArtCount; ++i) {
    if (votes[i] > votes[best]) best = i;
  }
  return 2 * votes[best] > points ? best : -1;
}

int ArtVotes::Complete() const {
  for (int i = 0; i < kSaverArtCount; ++i) {
    if (points > 0 && votes[i] >= points * wholeShare) return i;
  }
  return -1;
}

namespace {

constexpr int kVotedColumns = 48, kVotedRows = 12;

int VotedRow(int j, int height) {
  return (height * 4 / 10) * j / kVotedRows + 1;
}

}  // namespace

ArtVotes VoteArts(const SaverArts& arts, const Pixels& screen) {
  ArtVotes v;
  v.wholeShare = arts.wholeShare();
  const int w = arts.width(), h = arts.height();
  const int columns = kVotedColumns, rows = kVotedRows;
  for (int j = 0; j < rows; ++j) {
    const int y = VotedRow(j, h);
    for (int i = 0; i < columns; ++i) {
      const int x = w * i / columns + w / (2 * columns);
      const uint32_t p = screen.At(x, y);
      ++v.points;
      int nearest = 256;
      for (int a = 0; a < kSaverArtCount; ++a) {
        nearest = std::min(nearest, Distance(p, arts.Plain(a).At(x, y)));
      }
      if (nearest > arts.tolerance()) continue;
      for (int a = 0; a < kSaverArtCount; ++a) {
        if (Distance(p, arts.Plain(a).At(x, y)) == nearest) ++v.votes[a];
      }
    }
  }
  return v;
}

bool GrabVotedRows(const SaverArts& arts, Pixels* screen) {
  const int w = arts.width(), h = arts.height();
  if (screen->width != w || screen->height != h) {
    screen->width = w;
    screen->height = h;
    screen->rgb.assign(static_cast<size_t>(w) * h, 0);
  }
  Pixels row;
  for (int j = 0; j < kVotedRows; ++j) {
    const int y = VotedRow(j, h);
    if (!GrabScreen(0, y, w, 1, &row)) return false;
    std::copy(row.rgb.begin(), row.rgb.end(), screen->rgb.begin() + static_cast<ptrdiff_t>(y) * w);
  }
  return true;
}

BackdropState LookAtBackdrop(const SaverArts& arts, int row, const Pixels& screen) {
  BackdropState s;
  const Rect& r = arts.Backdrop();
  const Pixels& plain = arts.Plain(row);
  const Pixels& dark = arts.Dark(row);
  for (int y = r.top; y < r.top + r.height; ++y) {
    for (int x = r.left; x < r.left + r.width; ++x) {
      const uint32_t p = screen.At(x, y);
      const uint32_t plainP = plain.At(x, y), darkP = dark.At(x, y);
      ++s.pixels;
      s.screenLuma += Luma(p);
      s.plainLuma += Luma(plainP);
      if (Distance(plainP, darkP) <= 2 * arts.tolerance()) continue;
      ++s.distinct;
      const int toPlain = Distance(p, plainP);
      const int toDark = Distance(p, darkP);
      if (toPlain <= arts.tolerance() && toPlain <= toDark) ++s.plain;
      if (toDark <= arts.tolerance() && toDark < toPlain) ++s.dark;
    }
  }
  if (s.pixels) {
    s.screenLuma /= s.pixels;
    s.plainLuma /= s.pixels;
  }
  return s;
}
