// Benchmarks of the art codec on a 576 x 432 painting-like picture (the
// screen saver's art size): decoding four-piece art, the wallpaper maker's
// scale-and-reduce to 1080p and 4K at 8 and 16 bits, encoding, and - in the
// same run, for scale - libjpeg-turbo decoding a quality-90 JPEG of the same
// picture.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <jpeglib.h>

#include "codec/art_encoder.h"
#include "codec/codec.h"
#include "codec/palette_builder.h"
#include "codec_presets.h"
#include "sample_picture.h"

namespace {

constexpr int kWidth = 576;
constexpr int kHeight = 432;
constexpr int kArtQuality = 90;
constexpr int kJpegQuality = 90;

const Picture& Sample() {
  static const Picture picture = MakeSamplePicture(kWidth, kHeight);
  return picture;
}

BgrImage SampleImage() {
  const Picture& p = Sample();
  return BgrImage{p.bgr.data(), p.width, p.height, p.stride()};
}

double Psnr(const uint8_t* a, const uint8_t* b, size_t n) {
  double sum = 0;
  for (size_t i = 0; i < n; ++i) {
    double d = static_cast<double>(a[i]) - b[i];
    sum += d * d;
  }
  return 10 * std::log10(255.0 * 255.0 * static_cast<double>(n) / sum);
}

struct EncodedArt {
  ByteBuffer file;
  EncodeStats stats;
};

const EncodedArt& FourPieceArt() {
  static const EncodedArt art = [] {
    EncodedArt a;
    EncodeOptions options;
    options.quality = kArtQuality;
    options.pieces = 4;
    CodecError error;
    if (EncodeWavelet(SampleImage(), options, &a.file, &a.stats, &error) != CodecStatus::kOk) {
      std::fprintf(stderr, "encode failed: %s\n", error.message);
      std::abort();
    }
    return a;
  }();
  return art;
}

// The picture's own 234-colour table, as text.
const std::vector<char>& SampleTable() {
  static const std::vector<char> text = [] {
    std::unique_ptr<BuiltPalette> palette(new BuiltPalette);
    CodecError error;
    if (BuildPalette(SampleImage(), kWallpaperColours, palette.get(), &error) != CodecStatus::kOk) {
      std::fprintf(stderr, "palette failed: %s\n", error.message);
      std::abort();
    }
    std::vector<char> t(kMaxColourTableText);
    t.resize(FormatColourTable(*palette, t.data(), t.size()));
    return t;
  }();
  return text;
}

std::unique_ptr<CodecContext> NewContext() {
  std::unique_ptr<CodecContext> ctx(new CodecContext);
  InitCodecContext(ctx.get(), SwitcherCodecOptions());
  return ctx;
}

void BM_DecodeArt(benchmark::State& state) {
  const EncodedArt& encoded = FourPieceArt();
  auto ctx = NewContext();
  WaveletPtr art;
  if (ReadWaveletFromMemory(ctx.get(), encoded.file.data(), encoded.file.size, "bench.art", false,
                            &art) != CodecStatus::kOk) {
    state.SkipWithError(ctx->error.message);
    return;
  }
  std::vector<uint8_t> target(static_cast<size_t>(art->header.imageSize) + kDecodeSlack);
  for (auto _ : state) {
    if (DecodeWavelet(ctx.get(), *art, target.data(), target.size()) != CodecStatus::kOk) {
      state.SkipWithError(ctx->error.message);
      break;
    }
    benchmark::DoNotOptimize(target.data());
  }
  state.counters["file_bytes"] = static_cast<double>(encoded.file.size);
  state.counters["psnr_db"] = encoded.stats.psnr;
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_DecodeArt)->Name("DecodeArt/576x432/4pieces")->Unit(benchmark::kMillisecond);

// The wallpaper maker's path: decode, filter-scale to the screen, reduce the
// colours for the depth with dither kernel 2.
void BM_FilterScale(benchmark::State& state) {
  const int dw = static_cast<int>(state.range(0));
  const int dh = static_cast<int>(state.range(1));
  const int depth = static_cast<int>(state.range(2));
  const EncodedArt& encoded = FourPieceArt();
  auto ctx = NewContext();
  ctx->displayBitsPerPixel = depth;
  const std::vector<char>& table = SampleTable();
  WaveletPtr art;
  if (ReadColourTableFromText(&ctx->palette, table.data(), table.size(), "bench.tr") !=
          CodecStatus::kOk ||
      ReadWaveletFromMemory(ctx.get(), encoded.file.data(), encoded.file.size, "bench.art", false,
                            &art) != CodecStatus::kOk) {
    state.SkipWithError(ctx->error.message);
    return;
  }
  for (auto _ : state) {
    ScaledImage result;
    if (FilterScaleImage(ctx.get(), nullptr, 0, art.get(), dw, dh, -1, &result) !=
        CodecStatus::kOk) {
      state.SkipWithError(ctx->error.message);
      break;
    }
    benchmark::DoNotOptimize(result.pixels);
  }
  state.SetItemsProcessed(state.iterations() * dw * dh);
}
BENCHMARK(BM_FilterScale)
    ->Name("FilterScaleImage")
    ->ArgNames({"w", "h", "bits"})
    ->Args({1920, 1080, 8})
    ->Args({1920, 1080, 16})
    ->Args({1920, 1080, 24})
    ->Args({3840, 2160, 8})
    ->Args({3840, 2160, 16})
    ->Args({3840, 2160, 24})
    ->Unit(benchmark::kMillisecond);

void BM_Encode(benchmark::State& state) {
  EncodeOptions options;
  options.quality = kArtQuality;
  options.pieces = 4;
  size_t bytes = 0;
  for (auto _ : state) {
    ByteBuffer file;
    CodecError error;
    if (EncodeWavelet(SampleImage(), options, &file, nullptr, &error) != CodecStatus::kOk) {
      state.SkipWithError(error.message);
      break;
    }
    bytes = file.size;
    benchmark::DoNotOptimize(file.data());
  }
  state.counters["file_bytes"] = static_cast<double>(bytes);
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_Encode)->Name("EncodeArt/576x432/4pieces")->Unit(benchmark::kMillisecond);

void BM_BuildPalette(benchmark::State& state) {
  std::unique_ptr<BuiltPalette> palette(new BuiltPalette);
  for (auto _ : state) {
    CodecError error;
    if (BuildPalette(SampleImage(), kWallpaperColours, palette.get(), &error) != CodecStatus::kOk) {
      state.SkipWithError(error.message);
      break;
    }
    benchmark::DoNotOptimize(palette.get());
  }
}
BENCHMARK(BM_BuildPalette)->Name("BuildPalette/576x432/234")->Unit(benchmark::kMillisecond);

// libjpeg-turbo on the same picture: encoded once at quality 90 (its default
// 4:2:0 sampling, like the art's halved chroma), decoded to BGR each time.
const std::vector<uint8_t>& SampleJpeg() {
  static const std::vector<uint8_t> jpeg = [] {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = kWidth;
    c.image_height = kHeight;
    c.input_components = 3;
    c.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, kJpegQuality, TRUE);
    jpeg_start_compress(&c, TRUE);
    const Picture& p = Sample();
    while (c.next_scanline < c.image_height) {
      JSAMPROW row = const_cast<JSAMPROW>(p.bgr.data() + p.stride() * c.next_scanline);
      jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&c);
    std::free(out);
    return bytes;
  }();
  return jpeg;
}

bool DecodeJpeg(const std::vector<uint8_t>& jpeg, std::vector<uint8_t>* out) {
  jpeg_decompress_struct d;
  jpeg_error_mgr err;
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  if (jpeg_read_header(&d, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(&d);
    return false;
  }
  d.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&d);
  const size_t stride = static_cast<size_t>(d.output_width) * 3;
  while (d.output_scanline < d.output_height) {
    JSAMPROW row = out->data() + stride * d.output_scanline;
    jpeg_read_scanlines(&d, &row, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  return true;
}

void BM_JpegDecode(benchmark::State& state) {
  const std::vector<uint8_t>& jpeg = SampleJpeg();
  std::vector<uint8_t> out(static_cast<size_t>(kWidth) * kHeight * 3);
  for (auto _ : state) {
    if (!DecodeJpeg(jpeg, &out)) {
      state.SkipWithError("jpeg decode failed");
      break;
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["file_bytes"] = static_cast<double>(jpeg.size());
  state.counters["psnr_db"] = Psnr(Sample().bgr.data(), out.data(), out.size());
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_JpegDecode)->Name("LibjpegTurboDecode/576x432/q90")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
