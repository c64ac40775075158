// libFuzzer target: the codec paths past the decoder that the other targets
// never reach, with the input choosing sizes, settings and files:
// - FilterScaleImage into a caller's target (of the right size, of the
//   size the unscaled case asks for, or too small) and into its own buffer,
//   the same size as the art (decoded into the end of the target) or not;
// - the logo overlay, with "logo1.art" / "logo3.art" written to a temporary
//   art directory (a picture encoded from the input, or the input's file);
// - LoadSpotMask from a mask file made the same way, for any screen size;
// - SaveSpot and ReplaceSpot with "spot.sav" in that temporary directory:
//   unmasked pixels stay, fully masked ones turn black, and at 24 bits a
//   replaced spot is the picture as it was, byte for byte;
// - the colour reduction: all eight dither kernels and their mirrors at 8,
//   15 and 16 bits, serpentine or not, and the plain mapping (kernel 0);
// - NearestScaleImage into a target.
// The art is the input's bytes as a file, a picture encoded from them, or a
// record decoded by hand. Everything a run leaves (mask, files) is cleared
// before the next, so every run is reproducible on its own.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "codec/codec.h"
#include "codec_presets.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::string g_dir;  // the temporary directory, removed at exit

void RemoveFiles() {
  for (const char* name : {"logo1.art", "logo3.art", "spot.art", "spot.sav"}) {
    std::remove((g_dir + "/" + name).c_str());
  }
}

void RemoveDirectory() {
  RemoveFiles();
  rmdir(g_dir.c_str());
}

const std::string& TempDir() {
  if (g_dir.empty()) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/lumivex-fuzz-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) std::abort();
    g_dir = name.data();
    std::atexit(RemoveDirectory);
  }
  return g_dir;
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
}

CodecContext* Context(const CodecOptions& options) {
  CodecContext* ctx = new CodecContext;
  InitCodecContext(ctx, options);
  return ctx;
}

// A w x h picture (rows padded to 4 bytes) filled from the input's bytes.
std::vector<uint8_t> Picture(const std::vector<uint8_t>& bytes, int w, int h, size_t stride,
                             uint8_t salt) {
  std::vector<uint8_t> picture(stride * static_cast<size_t>(h), 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < 3 * w; ++x) {
      size_t i = static_cast<size_t>(y) * 3 * w + x;
      picture[stride * y + x] =
          bytes.empty() ? static_cast<uint8_t>(i * 7 + salt) : bytes[i % bytes.size()] ^ salt;
    }
  }
  return picture;
}

// An .ART file of a w x h picture from the input's bytes; empty when the
// encoder refuses the shape.
std::vector<uint8_t> Encode(const std::vector<uint8_t>& bytes, int w, int h, int quality,
                            bool fourPieces, bool halved, bool rateDistortion, uint8_t salt) {
  const size_t stride = static_cast<size_t>(w) * 3;
  std::vector<uint8_t> picture = Picture(bytes, w, h, stride, salt);
  BgrImage image = {picture.data(), w, h, stride};
  EncodeOptions options;
  options.quality = quality;
  options.pieces = fourPieces ? 4 : 1;
  options.chroma = halved ? ChromaLayout::kHalved : ChromaLayout::kFull;
  if (rateDistortion) options.method = EncodeMethod::kRateDistortion;
  ByteBuffer file;
  CodecError error;
  if (EncodeWavelet(image, options, &file, nullptr, &error) != CodecStatus::kOk) return {};
  return std::vector<uint8_t>(file.data(), file.data() + file.size);
}

const char* const kTables[] = {
    "0 0 0 -\n",
    "0 0 0 - 0\n255 0 0 - 1\n0 255 0 - 2\n0 0 255 - 4\n200 200 200 - 7\n",
    "9 10 10 - 1\n11 10 10 - 2\n250 250 250 - 7 7 7 7 7 7 7 7\n",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CodecContext* const contexts[2] = {Context(SwitcherCodecOptions()),
                                            Context(ScreenSaverCodecOptions(nullptr))};
  const std::string& dir = TempDir();
  FuzzedDataProvider in(data, size);

  // Settings (integers come from the end of the input, files from its start).
  CodecContext* ctx = contexts[in.ConsumeBool()];
  const int kernel = in.ConsumeIntegralInRange(0, 15);
  const int depth = in.PickValueInArray({8, 15, 16, 24, 32});
  const bool serpentine = in.ConsumeBool();
  const int sourceKind = in.ConsumeIntegralInRange(0, 2);  // file, encoded, by hand
  const int w = in.ConsumeIntegralInRange(1, 48);
  const int h = in.ConsumeIntegralInRange(1, 48);
  const int quality = in.ConsumeIntegralInRange(1, 100);
  const bool fourPieces = in.ConsumeBool();
  const bool halved = in.ConsumeBool();
  const bool decodeNow = in.ConsumeBool();
  const bool sameSize = in.ConsumeBool();
  int dw = in.ConsumeIntegralInRange(1, 320);
  int dh = in.ConsumeIntegralInRange(1, 320);
  const int targetKind = in.ConsumeIntegralInRange(0, 3);  // none, exact, floor, short
  const int corner = in.ConsumeIntegralInRange(-1, 3);
  const int logoKind = in.PickValueInArray({-1, 1, 3});
  const bool logoFromFile = in.ConsumeBool();
  const bool maskFromFile = in.ConsumeBool();
  const int screenWidth = in.ConsumeIntegralInRange(0, 1200);
  const int screenHeight = in.ConsumeIntegralInRange(0, 1000);
  const int tableKind = in.ConsumeIntegralInRange(0, 3);
  const bool rateDistortion = in.ConsumeBool();
  const std::vector<uint8_t> bytes = in.ConsumeRemainingBytes<uint8_t>();

  ctx->displayBitsPerPixel = depth;
  ctx->ditherKernel = kernel;
  ctx->serpentine = serpentine;
  ctx->logoKind = logoKind;
  ctx->spot.mask.reset();
  Check(SetArtDirectory(ctx, (dir + "/").c_str()) && SetProgramDirectory(ctx, dir.c_str()));

  // The colour table: a fixed one, or one built for the input's picture.
  if (tableKind < 3) {
    const char* table = kTables[tableKind];
    Check(ReadColourTableFromText(&ctx->palette, table, std::strlen(table), "fuzz.tr") ==
          CodecStatus::kOk);
  } else {
    const size_t stride = static_cast<size_t>(w) * 3;
    std::vector<uint8_t> picture = Picture(bytes, w, h, stride, 0);
    BgrImage image = {picture.data(), w, h, stride};
    std::unique_ptr<BuiltPalette> built(new BuiltPalette);
    CodecError error;
    if (BuildPalette(image, 1 + quality % 64, built.get(), &error) != CodecStatus::kOk) return 0;
    std::vector<char> text(kMaxColourTableText);
    size_t length = FormatColourTable(*built, text.data(), text.size());
    Check(ReadColourTableFromText(&ctx->palette, text.data(), length, "built.tr") ==
          CodecStatus::kOk);
  }

  // Logo and mask files.
  if (logoKind != -1) {
    std::vector<uint8_t> logo = logoFromFile ? bytes
                                             : Encode(bytes, 2 + w / 2, 1 + h / 3, quality, false,
                                                      halved, rateDistortion, 0x5A);
    WriteFile(dir + (logoKind == 1 ? "/logo1.art" : "/logo3.art"), logo.data(), logo.size());
  }
  if (corner != -1) {
    std::vector<uint8_t> mask =
        maskFromFile ? bytes : Encode(bytes, w, h, quality, false, halved, rateDistortion, 0xA5);
    WriteFile(dir + "/spot.art", mask.data(), mask.size());
    static_cast<void>(LoadSpotMask(ctx, (dir + "/spot.art").c_str(), screenWidth, screenHeight));
  }

  // The art.
  WaveletPtr art;
  if (sourceKind == 2) {
    art.reset(new WaveletImage);
    art->header.pieces = 1;
    art->header.width = w;
    art->header.height = h;
    art->header.imageSize = w * h * 3;
    std::snprintf(art->fileName, sizeof art->fileName, "by hand");
    Check(AllocateBytes(&art->pixels, static_cast<size_t>(w * h * 3) + kDecodeSlack, true));
    std::vector<uint8_t> picture = Picture(bytes, w, h, static_cast<size_t>(w) * 3, 0x33);
    std::memcpy(art->pixels.data(), picture.data(), picture.size());
    art->decoded = 1;
  } else {
    std::vector<uint8_t> file =
        sourceKind == 0 ? bytes
                        : Encode(bytes, w, h, quality, fourPieces, halved, rateDistortion, 0);
    if (ReadWaveletFromMemory(ctx, file.data(), file.size(), "fuzz.art", decodeNow, &art) !=
        CodecStatus::kOk) {
      RemoveFiles();
      return 0;
    }
  }
  const int32_t width = art->header.width;
  const int32_t height = art->header.height;
  // Pictures beyond a million pixels only make the run slow, not wiser.
  if (static_cast<int64_t>(width) * height > (1 << 20)) {
    RemoveFiles();
    return 0;
  }
  if (sameSize) dw = width, dh = height;

  // The target, exactly as large as asked (ASan sees any write past it).
  const uint64_t resultBytes = static_cast<uint64_t>(RowStride(dw)) * dh;
  uint64_t floor = static_cast<uint64_t>(dw) * dh * 3;
  if (floor < 1048576) floor = 1048576;
  size_t targetSize = 0;
  if (targetKind == 1) targetSize = static_cast<size_t>(resultBytes);
  if (targetKind == 2) targetSize = static_cast<size_t>(floor > resultBytes ? floor : resultBytes);
  if (targetKind == 3) targetSize = static_cast<size_t>(resultBytes / 2);
  std::unique_ptr<uint8_t[]> target(targetKind ? new uint8_t[targetSize ? targetSize : 1]
                                               : nullptr);

  ScaledImage scaled;
  CodecStatus status =
      FilterScaleImage(ctx, target.get(), targetSize, art.get(), dw, dh, corner, &scaled);
  if (status == CodecStatus::kOk) {
    Check(scaled.pixels && scaled.width == dw && scaled.height == dh);
    if (corner != -1 && !(dw == width && dh == height)) {
      SpotRect rect;
      if (ReplaceSpot(ctx, &rect, scaled.pixels, dw, dh, corner) == CodecStatus::kOk) {
        Check(rect.left >= 0 && rect.top >= 0 && rect.left + rect.width <= dw &&
              rect.top + rect.height <= dh);
      }
    }
  } else {
    Check(ctx->error.status == status && ctx->error.message[0] != '\0');
  }

  // The spot on its own, at 24 bits (no colour reduction): unmasked pixels
  // stay, fully masked ones go black, and ReplaceSpot puts back every byte.
  SpotRect rect;
  if (corner != -1 && SpotRectangle(*ctx, dw, dh, corner, &rect)) {
    ctx->displayBitsPerPixel = 24;
    ctx->ditherKernel = kernel ? kernel : 2;
    const size_t stride = RowStride(dw);
    std::vector<uint8_t> original = Picture(bytes, dw, dh, stride, 0x77);
    std::vector<uint8_t> image = original;
    if (SaveSpot(ctx, image.data(), dw, dh, corner) == CodecStatus::kOk) {
      const uint8_t* mask = ctx->spot.mask->pixels.data();
      for (int32_t y = 0; y < rect.height; ++y) {
        for (int32_t x = 0; x < rect.width; ++x) {
          const size_t at = stride * (rect.top + y) + 3 * static_cast<size_t>(rect.left + x);
          const uint8_t m = mask[static_cast<size_t>(y) * rect.width + x];
          if (m == 0) Check(std::memcmp(&image[at], &original[at], 3) == 0);
          if (m == 255) Check(image[at] == 0 && image[at + 1] == 0 && image[at + 2] == 0);
        }
      }
      SpotRect back;
      Check(ReplaceSpot(ctx, &back, image.data(), dw, dh, corner) == CodecStatus::kOk);
      Check(back.left == rect.left && back.top == rect.top && back.width == rect.width &&
            back.height == rect.height);
      Check(image == original);
    }
  }

  // The nearest-neighbour scaler into a target of exactly its size.
  ScaledImage nearest;
  std::unique_ptr<uint8_t[]> small(new uint8_t[RowStride(dh) * static_cast<size_t>(dw)]);
  static_cast<void>(NearestScaleImage(ctx, small.get(), RowStride(dh) * static_cast<size_t>(dw),
                                      art.get(), dh, dw, &nearest));

  CloseSpotFile(ctx, true);
  ctx->spot.mask.reset();
  RemoveFiles();
  return 0;
}
