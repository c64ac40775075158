// libFuzzer target: a consistent header made from the first 8 bytes (pieces,
// chroma, base size, levels, height, offsets, packed size) and the rest as
// the payload, so that mutations reach the Huffman tree, the run-length
// stream, the synthesis and the colour conversion instead of stopping at
// the header. A file that is refused must have cost at most 64 x its size
// + 16 MiB.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "codec/codec.h"
#include "codec_presets.h"

namespace {

// Bytes the codec asked for during one read and decode.
uint64_t g_allocated = 0;
bool CountAllocation(size_t bytes, void*) {
  g_allocated += bytes;
  return true;
}

CodecContext* Context(const CodecOptions& options) {
  CodecContext* ctx = new CodecContext;
  InitCodecContext(ctx, options);
  ctx->displayBitsPerPixel = 8;
  static const char kTable[] =
      "0 0 0 - 0\n255 0 0 - 1\n0 255 0 - 2\n0 0 255 - 4\n200 200 200 - 7\n";
  if (ReadColourTableFromText(&ctx->palette, kTable, sizeof kTable - 1, "fuzz.tr") !=
      CodecStatus::kOk) {
    std::abort();  // the table above is well-formed
  }
  return ctx;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CodecContext* const switcher = Context(SwitcherCodecOptions());
  static CodecContext* const saver = Context(ScreenSaverCodecOptions(nullptr));
  if (size < 9) return 0;
  const bool four = data[0] & 1;
  const bool halved = (data[0] & 2) != 0;
  CodecContext* ctx = (data[0] & 4) ? saver : switcher;
  const int base = 1 + data[1] % 12;
  int levels = data[2] % 5;
  if (halved && levels == 0) levels = 1;
  const int side = base << levels;
  ArtHeader h;
  std::memset(&h, 0, sizeof h);
  h.chromaHalved = halved ? 1 : 0;
  h.baseSize = base;
  h.pieces = four ? 4 : 1;
  int width, height;
  if (four) {
    int low = (side + 1) / 2;
    h.width = side;
    h.height = low + data[3] % (side - low + 1);
    width = 2 * side;
    height = 2 * h.height;
  } else {
    h.width = width = side;
    h.height = height = 1 + data[3] % side;
  }
  for (int i = 0; i < 4; ++i) {
    h.yOffset[i] = 300 + data[4] + 7 * i;
    h.uOffset[i] = 400 + 2 * data[5];
    h.vOffset[i] = 400 + 2 * data[6] - 5 * i;
  }
  const size_t payload = size - 8;
  const int64_t bits = static_cast<int64_t>(payload) * 8;
  h.packedSize = static_cast<int32_t>(bits > data[7] ? bits - data[7] : 1);
  h.imageSize = width * height * 3;
  std::vector<uint8_t> file(kArtHeaderSize + payload);
  SerializeArtHeader(h, file.data());
  std::memcpy(file.data() + kArtHeaderSize, data + 8, payload);
  WaveletPtr art;
  g_allocated = 0;
  SetAllocationHook(CountAllocation, nullptr);
  const CodecStatus status =
      ReadWaveletFromMemory(ctx, file.data(), file.size(), "fuzz.art", true, &art);
  SetAllocationHook(nullptr, nullptr);
  if (status != CodecStatus::kOk) {
    // A refused file costs at most 64 x its size + 16 MiB, whatever it claims.
    if (g_allocated > 64 * static_cast<uint64_t>(file.size()) + (16u << 20)) std::abort();
    return 0;
  }
  ScaledImage scaled;
  // A failure is an answer too; only crashes, leaks and large allocations count.
  static_cast<void>(FilterScaleImage(ctx, nullptr, 0, art.get(), 29, 17, -1, &scaled));
  return 0;
}
