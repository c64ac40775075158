// libFuzzer target: any bytes as a .TR colour table; when one is read, the
// search, the mapping and both dithers run over a small picture made from
// the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "codec/palette.h"
#include "codec_presets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const CodecOptions options = ScreenSaverCodecOptions(nullptr);
  static PaletteContext* const ctx = [] {
    PaletteContext* c = new PaletteContext;
    InitPaletteContext(c, &options);
    return c;
  }();
  if (ReadColourTableFromText(ctx, reinterpret_cast<const char*>(data), size, "fuzz.tr") !=
      CodecStatus::kOk) {
    return 0;
  }
  const int width = 13, rows = 5, pad = 1;
  std::vector<uint8_t> picture((width * 3 + pad) * rows);
  for (size_t i = 0; i < picture.size(); ++i) {
    picture[i] = size ? static_cast<uint8_t>(data[i % size] * 37 + i) : 0;
  }
  for (size_t i = 0; i + 2 < picture.size(); i += 3) {
    uint32_t c = static_cast<uint32_t>(picture[i] << 16 | picture[i + 1] << 8 | picture[i + 2]);
    NearestColourIndex(ctx, c);
  }
  // Failures are answers too; only crashes and leaks count.
  std::vector<uint8_t> image = picture;
  static_cast<void>(MapImageToPalette(ctx, image.data(), rows, width, pad));
  int kernel = size ? data[size / 2] % 16 : 2;
  image = picture;
  static_cast<void>(DitherImage8(ctx, kernel, (size & 1) != 0, image.data(), rows, width, pad));
  image = picture;
  static_cast<void>(
      DitherImage16(ctx, 15 - kernel, (size & 2) != 0, image.data(), rows, width, pad));
  return 0;
}
