// Benchmarks of the art codec on a 576 x 432 painting-like picture (the
// screen saver's art size): decoding four-piece art, the wallpaper maker's
// scale-and-reduce to 1080p and 4K at 8 and 16 bits, encoding, and - in the
// same run, for scale - libjpeg-turbo decoding a quality-90 JPEG of the same
// picture.
#include <benchmark/benchmark.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <memory>
#include <vector>

#include "jpeg_peer.h"

#include "codec/art_encoder.h"
#include "codec/codec.h"
#include "codec/colour_convert.h"
#include "codec/d4_synthesis.h"
#include "codec/huffman.h"
#include "codec/run_length.h"
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

// The decoder's stages one at a time on the same art, each from the output
// of the one before (prepared once, outside the timing).
struct Stages {
  ArtHeader header;
  ArtGeometry g;
  std::vector<uint8_t> stream;               // the Huffman layer's output
  std::vector<std::vector<int32_t>> raw;     // each piece's coefficients
  std::vector<std::vector<int32_t>> planes;  // each piece after synthesis
};

const Stages& DecoderStages() {
  static const Stages stages = [] {
    Stages st;
    const EncodedArt& encoded = FourPieceArt();
    ParseArtHeader(encoded.file.data(), &st.header);
    st.header.width *= 2;
    st.header.height *= 2;
    const size_t payload = encoded.file.size - kArtHeaderSize;
    CodecError error;
    if (DeriveArtGeometry(st.header, payload, "bench.art", &st.g, &error) != CodecStatus::kOk) {
      std::abort();
    }
    std::unique_ptr<HuffmanDecoder> huffman(new HuffmanDecoder);
    BitReader bits;
    InitBitReader(&bits, encoded.file.data() + kArtHeaderSize, payload);
    if (ReadHuffmanTree(huffman.get(), &bits, "bench.art", &error) != CodecStatus::kOk) {
      std::abort();
    }
    st.stream.resize(static_cast<size_t>(st.header.packedSize));
    st.stream.resize(DecodeHuffmanSymbols(*huffman, &bits, st.stream.data(), st.stream.size()));
    RunLengthReader runs;
    InitRunLengthReader(&runs, st.stream.data(), st.stream.size());
    SynthesisScratch scratch;
    const size_t t2 = static_cast<size_t>(st.g.pieceSide) * st.g.pieceSide;
    const size_t c2 = static_cast<size_t>(st.g.chromaSide) * st.g.chromaSide;
    for (int i = 0; i < st.g.pieces; ++i) {
      std::vector<int32_t> raw(st.g.pieceBytes / 4);
      if (!DecodeRunLength(&runs, reinterpret_cast<uint8_t*>(raw.data()), st.g.pieceBytes)) {
        std::abort();
      }
      std::vector<int32_t> plane = raw;
      if (!InverseTransformPlane(&scratch, plane.data(), st.g.pieceSide, st.g.baseSize,
                                 st.g.pieceSide) ||
          !InverseTransformPlane(&scratch, plane.data() + t2, st.g.chromaSide, st.g.baseSize,
                                 st.g.chromaSide) ||
          !InverseTransformPlane(&scratch, plane.data() + t2 + c2, st.g.chromaSide, st.g.baseSize,
                                 st.g.chromaSide)) {
        std::abort();
      }
      st.raw.push_back(std::move(raw));
      st.planes.push_back(std::move(plane));
    }
    return st;
  }();
  return stages;
}

void BM_StageHuffman(benchmark::State& state) {
  const EncodedArt& encoded = FourPieceArt();
  const Stages& st = DecoderStages();
  std::unique_ptr<HuffmanDecoder> huffman(new HuffmanDecoder);
  std::vector<uint8_t> out(static_cast<size_t>(st.header.packedSize));
  HuffmanScratch halves;  // kept from one decode to the next, as in a context
  for (auto _ : state) {
    BitReader bits;
    InitBitReader(&bits, encoded.file.data() + kArtHeaderSize, encoded.file.size - kArtHeaderSize);
    CodecError error;
    if (ReadHuffmanTree(huffman.get(), &bits, "bench.art", &error) != CodecStatus::kOk) break;
    benchmark::DoNotOptimize(
        DecodeHuffmanSymbols(*huffman, &bits, out.data(), out.size(), &halves));
  }
  state.counters["stream_bytes"] = static_cast<double>(st.stream.size());
}
BENCHMARK(BM_StageHuffman)->Name("DecodeStage/1-huffman")->Unit(benchmark::kMillisecond);

void BM_StageRunLength(benchmark::State& state) {
  const Stages& st = DecoderStages();
  std::vector<int32_t> out(st.g.pieceBytes / 4);
  const uint64_t needed = static_cast<uint64_t>(st.g.pieceBytes) * st.g.pieces;
  for (auto _ : state) {
    uint64_t made = 0;
    MeasureRunLength(st.stream.data(), st.stream.size(), needed, &made);
    RunLengthReader runs;
    InitRunLengthReader(&runs, st.stream.data(), st.stream.size());
    for (int i = 0; i < st.g.pieces; ++i) {
      DecodeRunLength(&runs, reinterpret_cast<uint8_t*>(out.data()), st.g.pieceBytes);
    }
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_StageRunLength)->Name("DecodeStage/2-run-length")->Unit(benchmark::kMillisecond);

// Includes copying each piece's coefficients into place (as the run-length
// layer would have left them).
void BM_StageSynthesis(benchmark::State& state) {
  const Stages& st = DecoderStages();
  std::vector<int32_t> plane(st.g.pieceBytes / 4);
  SynthesisScratch scratch;
  const size_t t2 = static_cast<size_t>(st.g.pieceSide) * st.g.pieceSide;
  const size_t c2 = static_cast<size_t>(st.g.chromaSide) * st.g.chromaSide;
  for (auto _ : state) {
    for (int i = 0; i < st.g.pieces; ++i) {
      if (st.g.rowsOfPiece[i] == 0) continue;
      std::memcpy(plane.data(), st.raw[i].data(), st.g.pieceBytes);
      // The rows the piece shows, as the decoder makes them.
      const int rows = st.g.rowsOfPiece[i];
      const int chromaRows = ChromaRowsRead(rows, st.header.chromaHalved != 0);
      InverseTransformPlane(&scratch, plane.data(), st.g.pieceSide, st.g.baseSize, rows);
      InverseTransformPlane(&scratch, plane.data() + t2, st.g.chromaSide, st.g.baseSize,
                            chromaRows);
      InverseTransformPlane(&scratch, plane.data() + t2 + c2, st.g.chromaSide, st.g.baseSize,
                            chromaRows);
    }
    benchmark::DoNotOptimize(plane.data());
  }
}
BENCHMARK(BM_StageSynthesis)->Name("DecodeStage/3-synthesis")->Unit(benchmark::kMillisecond);

void BM_StageColour(benchmark::State& state) {
  const Stages& st = DecoderStages();
  ClampTable clamp;
  BuildArtClampTable(&clamp);
  std::vector<uint8_t> image(st.g.imageBytes + kDecodeSlack);
  const size_t t2 = static_cast<size_t>(st.g.pieceSide) * st.g.pieceSide;
  const size_t c2 = static_cast<size_t>(st.g.chromaSide) * st.g.chromaSide;
  const size_t stride = static_cast<size_t>(st.g.width) * 3;
  for (auto _ : state) {
    for (int i = 0; i < st.g.pieces; ++i) {
      if (st.g.rowsOfPiece[i] == 0) continue;
      const int32_t* p = st.planes[i].data();
      PiecePlanes planes = {p,
                            p + t2,
                            p + t2 + c2,
                            st.g.pieceSide,
                            st.g.chromaSide,
                            st.header.chromaHalved != 0,
                            st.header.yOffset[i],
                            st.header.uOffset[i],
                            st.header.vOffset[i]};
      const size_t origin = static_cast<size_t>(i / st.g.perSide) * st.g.pieceSide * stride +
                            static_cast<size_t>(i % st.g.perSide) * st.g.pieceSide * 3;
      ConvertPieceRows(clamp, planes, st.g.rowsOfPiece[i], image.data() + origin, stride);
    }
    benchmark::DoNotOptimize(image.data());
  }
}
BENCHMARK(BM_StageColour)->Name("DecodeStage/4-colour")->Unit(benchmark::kMillisecond);

// FilterScaleImage's stages on an art decoded beforehand: the scale alone
// (a 24-bit display reduces nothing), then the reduction alone (the scaled
// picture copied back before each pass, a copy that is timed too).
void BM_StageScale(benchmark::State& state) {
  const int dw = static_cast<int>(state.range(0));
  const int dh = static_cast<int>(state.range(1));
  const int depth = static_cast<int>(state.range(2));
  const EncodedArt& encoded = FourPieceArt();
  auto ctx = NewContext();
  const std::vector<char>& table = SampleTable();
  WaveletPtr art;
  if (ReadColourTableFromText(&ctx->palette, table.data(), table.size(), "bench.tr") !=
          CodecStatus::kOk ||
      ReadWaveletFromMemory(ctx.get(), encoded.file.data(), encoded.file.size, "bench.art", true,
                            &art) != CodecStatus::kOk) {
    state.SkipWithError(ctx->error.message);
    return;
  }
  ctx->displayBitsPerPixel = 24;
  ScaledImage scaled;
  if (FilterScaleImage(ctx.get(), nullptr, 0, art.get(), dw, dh, -1, &scaled) != CodecStatus::kOk) {
    state.SkipWithError(ctx->error.message);
    return;
  }
  std::vector<uint8_t> work(scaled.pixels, scaled.pixels + scaled.stride * dh);
  ctx->displayBitsPerPixel = depth;
  for (auto _ : state) {
    if (depth == 24) {
      ScaledImage result;
      if (FilterScaleImage(ctx.get(), nullptr, 0, art.get(), dw, dh, -1, &result) !=
          CodecStatus::kOk) {
        break;
      }
      benchmark::DoNotOptimize(result.pixels);
    } else {
      std::memcpy(work.data(), scaled.pixels, work.size());
      if (ReduceColours(ctx.get(), work.data(), dh - 1, dh, dw) != CodecStatus::kOk) break;
      benchmark::DoNotOptimize(work.data());
    }
  }
}
BENCHMARK(BM_StageScale)
    ->Name("ScaleStage")
    ->ArgNames({"w", "h", "bits"})
    ->Args({1920, 1080, 24})
    ->Args({1920, 1080, 16})
    ->Args({1920, 1080, 8})
    ->Unit(benchmark::kMillisecond);

// libjpeg-turbo on the same picture: encoded once at quality 90 (its default
// 4:2:0 sampling, like the art's halved chroma), decoded to BGR each time.
const std::vector<uint8_t>& SampleJpeg() {
  static const std::vector<uint8_t> jpeg = EncodeJpeg(Sample(), kJpegQuality, false);
  return jpeg;
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

// Medians by benchmark name, kept for the summary lines.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> medianMs;
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.aggregate_name != "median" && run.run_type == Run::RT_Aggregate) continue;
      // Real time in milliseconds (every benchmark here is in ms).
      std::string name = run.run_name.str();
      if (run.run_type == Run::RT_Aggregate || !medianMs.count(name)) {
        medianMs[name] = run.GetAdjustedRealTime();
      }
    }
  }
};

struct EncoderComparison {
  double jpegBytes = 0;
  double jpegPsnr = 0;
  // The fixed steps: the smallest quality whose art is at least as close to
  // the picture as the JPEG.
  double fixedBytes = 0;
  double fixedPsnr = 0;
  double fittedBytes = 0;  // JPEG q90 with fitted Huffman tables
  double fittedPsnr = 0;
  // The rate-distortion method at the fitted JPEG's byte count.
  double rdBytes = 0;
  double rdPsnr = 0;
};

EncoderComparison CompareEncoders() {
  EncoderComparison c;
  const std::vector<uint8_t>& jpeg = SampleJpeg();
  std::vector<uint8_t> decoded(static_cast<size_t>(kWidth) * kHeight * 3);
  DecodeJpeg(jpeg, &decoded);
  c.jpegBytes = static_cast<double>(jpeg.size());
  c.jpegPsnr = Psnr(Sample().bgr.data(), decoded.data(), decoded.size());
  for (int quality = 50; quality <= 100; ++quality) {
    EncodeOptions options;
    options.quality = quality;
    options.pieces = 4;
    ByteBuffer file;
    EncodeStats stats;
    CodecError error;
    if (EncodeWavelet(SampleImage(), options, &file, &stats, &error) != CodecStatus::kOk) continue;
    if (stats.psnr >= c.jpegPsnr) {
      c.fixedBytes = static_cast<double>(file.size);
      c.fixedPsnr = stats.psnr;
      break;
    }
  }
  // The stricter peer: the same JPEG with Huffman tables fitted to it.
  const std::vector<uint8_t> fitted = EncodeJpeg(Sample(), kJpegQuality, true);
  DecodeJpeg(fitted, &decoded);
  c.fittedBytes = static_cast<double>(fitted.size());
  c.fittedPsnr = Psnr(Sample().bgr.data(), decoded.data(), decoded.size());
  EncodeOptions options;
  options.pieces = 4;
  options.method = EncodeMethod::kRateDistortion;
  options.chroma = ChromaLayout::kChoose;
  ByteBuffer file;
  EncodeStats stats;
  CodecError error;
  if (EncodeWaveletToSize(SampleImage(), options, fitted.size(), &file, &stats, nullptr, &error) ==
      CodecStatus::kOk) {
    c.rdBytes = static_cast<double>(file.size);
    c.rdPsnr = stats.psnr;
  }
  return c;
}

}  // namespace

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  // Fixed heap thresholds. glibc moves them as large blocks are freed, so
  // whether a result freed at the end of each iteration goes back to the
  // kernel, to be faulted in page by page at the next, would depend on
  // where the blocks made before it happened to land. What a first touch
  // costs is measured where it is paid: the wallpaper maker under Wine.
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto get = [&](const std::string& name) {
    auto it = reporter.medianMs.find(name);
    return it == reporter.medianMs.end() ? 0.0 : it->second;
  };
  std::printf("\nSummary (medians of this run, real time; ratio = peer / ours):\n");
  auto line = [](const char* what, double ours, const char* peerName, double peer, const char* goal,
                 bool met) {
    if (ours <= 0 || peer <= 0) return;
    std::printf("  %-44s ours %8.3f ms | %-26s %8.3f ms | ratio %5.2fx | goal %s: %s\n", what, ours,
                peerName, peer, peer / ours, goal, met ? "met" : "missed");
  };
  const double decode = get("DecodeArt/576x432/4pieces");
  const double jpegDecode = get("LibjpegTurboDecode/576x432/q90");
  line("decode 576x432 four-piece art", decode, "libjpeg-turbo q90 decode", jpegDecode,
       "<= 1.2 ms and >= 0.65x", decode <= 1.2 && jpegDecode >= 0.65 * decode);
  const double s8 = get("FilterScaleImage/w:1920/h:1080/bits:8");
  line("FilterScaleImage 1920x1080, 8-bit", s8, "same at 24-bit",
       get("FilterScaleImage/w:1920/h:1080/bits:24"), "<= 30 ms", s8 <= 30);
  const double s8k = get("FilterScaleImage/w:3840/h:2160/bits:8");
  line("FilterScaleImage 3840x2160, 8-bit", s8k, "same at 24-bit",
       get("FilterScaleImage/w:3840/h:2160/bits:24"), "<= 100 ms", s8k <= 100);
  const double s16 = get("FilterScaleImage/w:1920/h:1080/bits:16");
  line("FilterScaleImage 1920x1080, 16-bit", s16, "same at 24-bit",
       get("FilterScaleImage/w:1920/h:1080/bits:24"), "<= 15 ms", s16 <= 15);
  if (decode > 0) {
    std::printf("  decode stages: huffman %.3f, run-length %.3f, synthesis %.3f, colour %.3f ms\n",
                get("DecodeStage/1-huffman"), get("DecodeStage/2-run-length"),
                get("DecodeStage/3-synthesis"), get("DecodeStage/4-colour"));
  }
  if (s8 > 0 || s16 > 0) {
    std::printf(
        "  1080p stages: decode+scale (24-bit) %.3f, reduction 16-bit %.3f, 8-bit %.3f ms\n",
        get("ScaleStage/w:1920/h:1080/bits:24"), get("ScaleStage/w:1920/h:1080/bits:16"),
        get("ScaleStage/w:1920/h:1080/bits:8"));
  }
  const EncoderComparison c = CompareEncoders();
  std::printf("  %-44s ours %8.0f B at %.2f dB | JPEG q90 %8.0f B at %.2f dB | ratio %5.2fx\n",
              "encode, fixed steps, at the PSNR of JPEG q90", c.fixedBytes, c.fixedPsnr,
              c.jpegBytes, c.jpegPsnr, c.fixedBytes > 0 ? c.jpegBytes / c.fixedBytes : 0.0);
  std::printf(
      "  %-44s ours %8.0f B at %.2f dB | JPEG q90, fitted tables, %6.0f B at %.2f dB | %+.2f dB "
      "| goal PSNR >= JPEG's: %s\n",
      "encode --method rd at the bytes of JPEG q90", c.rdBytes, c.rdPsnr, c.fittedBytes,
      c.fittedPsnr, c.rdPsnr - c.fittedPsnr,
      c.rdBytes > 0 && c.rdPsnr >= c.fittedPsnr ? "met on this picture" : "missed");
  benchmark::Shutdown();
  return 0;
}
