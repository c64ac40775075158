// libFuzzer target: any bytes as an .ART file, read and decoded with both
// programs' codec options, then scaled both ways when they decode. A file
// that is refused must have cost at most 64 x its size + 16 MiB.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

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
  ctx->displayBitsPerPixel = 16;
  return ctx;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Kept for the whole run, as the programs keep theirs.
  static CodecContext* const switcher = Context(SwitcherCodecOptions());
  static CodecContext* const saver = Context(ScreenSaverCodecOptions(nullptr));
  // Every header goes to the decoder, however large a picture it claims: a
  // small input must never make it allocate much, whatever the header says.
  CodecContext* ctx = (size & 1) ? saver : switcher;
  WaveletPtr art;
  g_allocated = 0;
  SetAllocationHook(CountAllocation, nullptr);
  const CodecStatus status = ReadWaveletFromMemory(ctx, data, size, "fuzz.art", true, &art);
  SetAllocationHook(nullptr, nullptr);
  if (status != CodecStatus::kOk) {
    // A refused file costs at most 64 x its size + 16 MiB, whatever it claims.
    if (g_allocated > 64 * static_cast<uint64_t>(size) + (16u << 20)) std::abort();
    return 0;
  }
  // Scaling pictures beyond a million pixels only makes the run slow, not wiser.
  if (static_cast<int64_t>(art->header.width) * art->header.height > (1 << 20)) return 0;
  // Failures are answers too; only crashes, leaks and large allocations count.
  ScaledImage scaled;
  static_cast<void>(FilterScaleImage(ctx, nullptr, 0, art.get(), 37, 23, -1, &scaled));
  static_cast<void>(FilterScaleImage(ctx, nullptr, 0, art.get(), art->header.width,
                                     art->header.height, -1, &scaled));
  static_cast<void>(NearestScaleImage(ctx, nullptr, 0, art.get(), 19, 41, &scaled));
  // Decode again from the payload, into a target of exactly the image size.
  const size_t imageBytes = static_cast<size_t>(art->header.imageSize);
  std::unique_ptr<uint8_t[]> target(new uint8_t[imageBytes + 1]);
  static_cast<void>(DecodeWavelet(ctx, *art, target.get(), imageBytes));
  // And with room lent for the working planes, none to plenty of it (the
  // input's last byte says how much): the very image ReadWavelet made.
  const size_t roomBytes = std::min<size_t>(imageBytes / 4 * (data[size - 1] % 16), 8u << 20);
  std::unique_ptr<uint8_t[]> room(new uint8_t[roomBytes + 1]);
  if (DecodeWavelet(ctx, *art, target.get(), imageBytes, DecodeRoom{room.get(), roomBytes}) ==
          CodecStatus::kOk &&
      std::memcmp(target.get(), art->pixels.data(), imageBytes) != 0) {
    std::abort();
  }
  return 0;
}
