// The encoder: round trips through the decoder, its run-length and Huffman
// writers, and the quantiser's choice of cheap coefficient values.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "allocation_watch.h"
#include "codec/art_encoder.h"
#include "codec/codec.h"
#include "codec/d4_synthesis.h"
#include "codec/huffman.h"
#include "codec/run_length.h"
#include "sample_picture.h"

namespace {

BgrImage View(const Picture& p) {
  return BgrImage{p.bgr.data(), p.width, p.height, p.stride()};
}

double Psnr(const Picture& a, const uint8_t* b) {
  double sum = 0;
  for (size_t i = 0; i < a.bgr.size(); ++i) {
    double d = static_cast<double>(a.bgr[i]) - b[i];
    sum += d * d;
  }
  double mse = sum / static_cast<double>(a.bgr.size());
  return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

// One analysis line with every product and partial sum rounded on its own
// (volatile stores), in the encoder's order: what the encoder must compute
// when nothing is fused into a multiply-add.
void UnfusedAnalyseLine(const double* x, size_t in, int n, double* lo, double* hi, size_t out) {
  const double c0 = kD4C0 / 65536.0, c1 = kD4C1 / 65536.0, c2 = kD4C2 / 65536.0,
               c3 = kD4C3 / 65536.0;
  const int m = 2 * n;
  for (int k = 0; k < n; ++k) {
    const double x0 = x[static_cast<size_t>((2 * k) % m) * in];
    const double x1 = x[static_cast<size_t>((2 * k + 1) % m) * in];
    const double x2 = x[static_cast<size_t>((2 * k + 2) % m) * in];
    const double x3 = x[static_cast<size_t>((2 * k + 3) % m) * in];
    volatile double p0 = c0 * x0, p1 = c1 * x1, p2 = c2 * x2, p3 = c3 * x3;
    volatile double s = p0 + p1;
    s = s + p2;
    lo[static_cast<size_t>(k) * out] = s + p3;
    volatile double q0 = c3 * x0, q1 = c2 * x1, q2 = c1 * x2, q3 = c0 * x3;
    volatile double t = q0 - q1;
    t = t + q2;
    hi[static_cast<size_t>(k) * out] = t - q3;
  }
}

// The forward transform is built with -ffp-contract=off: a compiler that
// fused its products into multiply-adds would round differently, and the
// encoder would make other bytes on other machines. Random fractions make
// fused and unfused results differ in their last bits almost everywhere.
TEST(EncoderTest, TheForwardTransformRoundsEveryOperation) {
  const int side = 32;
  const int base = 8;
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> value(-300.0, 300.0);
  std::vector<double> plane(side * side);
  for (double& v : plane) v = value(rng);
  std::vector<double> expected = plane;
  std::vector<double> work(side * side);
  for (int m = side; m > base; m /= 2) {
    const int s = m / 2;
    const size_t band = static_cast<size_t>(s) * s;
    double* lowRows = work.data();
    double* highRows = work.data() + band * 2;
    for (int x = 0; x < m; ++x) {
      UnfusedAnalyseLine(expected.data() + x, m, s, lowRows + x, highRows + x, m);
    }
    for (int r = 0; r < s; ++r) {
      UnfusedAnalyseLine(lowRows + static_cast<size_t>(r) * m, 1, s,
                         expected.data() + static_cast<size_t>(r) * s,
                         expected.data() + band + static_cast<size_t>(r) * s, 1);
      UnfusedAnalyseLine(highRows + static_cast<size_t>(r) * m, 1, s,
                         expected.data() + 2 * band + static_cast<size_t>(r) * s,
                         expected.data() + 3 * band + static_cast<size_t>(r) * s, 1);
    }
  }
  ASSERT_TRUE(ForwardTransformPlane(plane.data(), side, base));
  int differ = 0;
  for (size_t i = 0; i < plane.size(); ++i) differ += std::memcmp(&plane[i], &expected[i], 8) != 0;
  EXPECT_EQ(differ, 0) << "values rounded differently (fused multiply-add?)";
}

TEST(EncoderTest, ATargetSizeGivesTheBestArtThatFits) {
  const Picture picture = MakeSamplePicture(128, 96);
  EncodeOptions options;
  options.pieces = 4;
  for (size_t budget : {size_t{3000}, size_t{6000}, size_t{12000}}) {
    SCOPED_TRACE(budget);
    ByteBuffer file;
    EncodeStats stats;
    int quality = 0;
    CodecError error;
    ASSERT_EQ(CodecStatus::kOk,
              EncodeWaveletToSize(View(picture), options, budget, &file, &stats, &quality, &error))
        << error.message;
    EXPECT_LE(file.size, budget);
    EXPECT_EQ(stats.fileBytes, file.size);
    if (quality < 100) {
      EncodeOptions finer = options;
      finer.quality = quality + 1;
      ByteBuffer bigger;
      ASSERT_EQ(CodecStatus::kOk, EncodeWavelet(View(picture), finer, &bigger, nullptr, &error));
      EXPECT_GT(bigger.size, budget);
    }
  }
  ByteBuffer tiny;
  CodecError error;
  EXPECT_EQ(CodecStatus::kBadArgument,
            EncodeWaveletToSize(View(picture), options, 200, &tiny, nullptr, nullptr, &error));
}

TEST(EncoderTest, RoundTripsThroughTheDecoder) {
  struct Case {
    int width, height, pieces;
    bool halved;
    int quality;
    double minPsnr;
  };
  // Small pictures full of edges and grain: half-size chroma costs several
  // dB at colour edges whatever the quality. Odd widths get no transform.
  const Case cases[] = {
      {96, 64, 1, true, 100, 31.5}, {96, 64, 1, false, 100, 44}, {96, 64, 1, true, 90, 30.5},
      {96, 64, 1, true, 50, 24.5},  {128, 96, 4, true, 100, 33}, {128, 96, 4, false, 90, 38},
      {128, 64, 4, true, 75, 28},   {77, 50, 1, true, 90, 33},   {64, 64, 1, true, 30, 21},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " pieces " << c.pieces
                                    << " halved " << c.halved << " quality " << c.quality);
    Picture picture = MakeSamplePicture(c.width, c.height);
    EncodeOptions options;
    options.pieces = c.pieces;
    options.chroma = c.halved ? ChromaLayout::kHalved : ChromaLayout::kFull;
    options.quality = c.quality;
    ByteBuffer file;
    EncodeStats stats;
    CodecError error;
    ASSERT_EQ(CodecStatus::kOk, EncodeWavelet(View(picture), options, &file, &stats, &error))
        << error.message;
    std::unique_ptr<CodecContext> ctx(new CodecContext);
    InitCodecContext(ctx.get());
    WaveletPtr art;
    ASSERT_EQ(CodecStatus::kOk,
              ReadWaveletFromMemory(ctx.get(), file.data(), file.size, "rt.art", true, &art))
        << ctx->error.message;
    EXPECT_EQ(art->header.width, c.width);
    EXPECT_EQ(art->header.height, c.height);
    EXPECT_EQ(art->header.pieces, c.pieces);
    EXPECT_EQ(art->header.chromaHalved != 0, c.halved && c.width % 2 == 0);
    double psnr = Psnr(picture, art->pixels.data());
    EXPECT_GE(psnr, c.minPsnr);
    EXPECT_NEAR(psnr, stats.psnr, 0.01);
    EXPECT_EQ(stats.fileBytes, file.size);
  }
}

TEST(EncoderTest, LowerQualityMakesSmallerFiles) {
  Picture picture = MakeSamplePicture(128, 96);
  size_t previous = SIZE_MAX;
  // Qualities with different quantiser steps (steps come in plateaus).
  for (int quality : {100, 97, 90, 75, 50, 25}) {
    SCOPED_TRACE(quality);
    EncodeOptions options;
    options.quality = quality;
    ByteBuffer file;
    CodecError error;
    ASSERT_EQ(CodecStatus::kOk, EncodeWavelet(View(picture), options, &file, nullptr, &error));
    EXPECT_LT(file.size, previous);
    previous = file.size;
  }
}

TEST(EncoderTest, FlatColoursComeBackClose) {
  const uint8_t colours[][3] = {{0, 0, 0},   {255, 255, 255}, {0, 0, 255},  {255, 0, 0},
                                {0, 255, 0}, {128, 128, 128}, {17, 200, 99}};
  for (const auto& c : colours) {
    SCOPED_TRACE(testing::Message() << int(c[0]) << "," << int(c[1]) << "," << int(c[2]));
    Picture picture;
    picture.width = 32;
    picture.height = 24;
    for (int i = 0; i < 32 * 24; ++i) picture.bgr.insert(picture.bgr.end(), c, c + 3);
    ByteBuffer file;
    CodecError error;
    ASSERT_EQ(CodecStatus::kOk,
              EncodeWavelet(View(picture), EncodeOptions(), &file, nullptr, &error));
    std::unique_ptr<CodecContext> ctx(new CodecContext);
    InitCodecContext(ctx.get());
    WaveletPtr art;
    ASSERT_EQ(CodecStatus::kOk,
              ReadWaveletFromMemory(ctx.get(), file.data(), file.size, "f", true, &art));
    for (size_t i = 0; i < picture.bgr.size(); ++i) {
      ASSERT_NEAR(art->pixels.data()[i], picture.bgr[i], 2) << i;
    }
  }
}

TEST(EncoderTest, RejectsShapesTheFormatCannotHold) {
  struct Case {
    int width, height, pieces, quality;
  };
  for (Case c : {Case{40, 41, 1, 75}, Case{41, 30, 4, 75}, Case{40, 19, 4, 75}, Case{40, 40, 4, 75},
                 Case{40, 30, 2, 75}, Case{40, 30, 1, 0}, Case{40, 30, 1, 101},
                 Case{2050, 8, 1, 75}, Case{4098, 2050, 4, 75}}) {
    SCOPED_TRACE(testing::Message()
                 << c.width << "x" << c.height << " " << c.pieces << " " << c.quality);
    Picture picture = MakeSamplePicture(c.width, c.height);
    EncodeOptions options;
    options.pieces = c.pieces;
    options.quality = c.quality;
    ByteBuffer file;
    CodecError error;
    EXPECT_EQ(CodecStatus::kBadArgument,
              EncodeWavelet(View(picture), options, &file, nullptr, &error));
    EXPECT_NE(error.message[0], '\0');
  }
}

// Whichever allocation fails, the encoder says so, with either method: it
// never writes a file from planes it could not finish.
TEST(EncoderTest, EveryFailedAllocationIsReported) {
  Picture picture = MakeSamplePicture(64, 48);
  for (EncodeMethod method : {EncodeMethod::kFixedSteps, EncodeMethod::kRateDistortion}) {
    SCOPED_TRACE(static_cast<int>(method));
    EncodeOptions options;
    options.pieces = 4;
    options.quality = 80;
    options.method = method;
    int allocations = 0;
    {
      AllocationWatch watch;
      ByteBuffer file;
      CodecError error;
      ASSERT_EQ(CodecStatus::kOk, EncodeWavelet(View(picture), options, &file, nullptr, &error));
      allocations = watch.count();
    }
    ASSERT_GT(allocations, 20);
    for (int n = 1; n <= allocations; ++n) {
      SCOPED_TRACE(testing::Message() << "allocation " << n << " of " << allocations);
      AllocationWatch watch(n);
      ByteBuffer file;
      CodecError error;
      EXPECT_EQ(CodecStatus::kOutOfMemory,
                EncodeWavelet(View(picture), options, &file, nullptr, &error));
      EXPECT_TRUE(watch.failed());
      EXPECT_NE(std::string(error.message).find("Out of memory"), std::string::npos)
          << error.message;
    }
  }
}

// Coefficients of every piece of an encoded file, read back through the
// decoder's own layers.
std::vector<int32_t> Coefficients(const ByteBuffer& file) {
  ArtHeader h;
  ParseArtHeader(file.data(), &h);
  BitReader bits;
  InitBitReader(&bits, file.data() + kArtHeaderSize, file.size - kArtHeaderSize);
  HuffmanDecoder d;
  EXPECT_EQ(CodecStatus::kOk, ReadHuffmanTree(&d, &bits, "c", nullptr));
  std::vector<uint8_t> stream(static_cast<size_t>(h.packedSize));
  EXPECT_EQ(stream.size(), DecodeHuffmanSymbols(d, &bits, stream.data(), stream.size()));
  RunLengthReader r;
  InitRunLengthReader(&r, stream.data(), stream.size());
  std::vector<uint8_t> bytes;
  uint8_t word[4];
  while (DecodeRunLength(&r, word, 4)) bytes.insert(bytes.end(), word, word + 4);
  std::vector<int32_t> values(bytes.size() / 4);
  for (size_t i = 0; i < values.size(); ++i) {
    values[i] = static_cast<int32_t>(bytes[4 * i] | bytes[4 * i + 1] << 8 | bytes[4 * i + 2] << 16 |
                                     static_cast<uint32_t>(bytes[4 * i + 3]) << 24);
  }
  return values;
}

TEST(EncoderTest, QuantisedValuesAreTheCheapOnes) {
  Picture picture = MakeSamplePicture(64, 64);
  EncodeOptions options;
  options.quality = 80;
  ByteBuffer file;
  EncodeStats stats;
  CodecError error;
  ASSERT_EQ(CodecStatus::kOk, EncodeWavelet(View(picture), options, &file, &stats, &error));
  ASSERT_EQ(stats.lumaStep % 16, 0);
  std::vector<int32_t> values = Coefficients(file);
  ASSERT_EQ(values.size(), 64u * 64 + 2 * 32 * 32);
  int nonZero = 0;
  for (int32_t v : values) {
    if (v == 0) continue;
    ++nonZero;
    // 16m or -1 - 16m: one code byte, the rest of the word a run.
    ASSERT_TRUE(v > 0 ? v % 16 == 0 : (-1 - v) % 16 == 0) << v;
  }
  EXPECT_GT(nonZero, 50);
}

TEST(EncoderTest, RunLengthWriterRoundTrips) {
  std::mt19937 rng(23);
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    std::vector<uint8_t> bytes;
    size_t n = rng() % 20000;
    while (bytes.size() < n) {
      switch (rng() % 6) {
        case 0:
          bytes.insert(bytes.end(), rng() % 10000, 0);
          break;
        case 1:
          bytes.insert(bytes.end(), rng() % 70, 0xFF);
          break;
        case 2:
          bytes.push_back(static_cast<uint8_t>((rng() % 16) << 4));
          break;
        case 3:
          bytes.push_back(static_cast<uint8_t>(((rng() % 16) << 4) | 15));
          break;
        default:
          for (size_t k = rng() % 50; k > 0; --k) bytes.push_back(static_cast<uint8_t>(rng()));
      }
    }
    std::vector<uint8_t> codes(RunLengthBound(bytes.size()));
    codes.resize(EncodeRunLength(bytes.data(), bytes.size(), codes.data()));
    RunLengthReader r;
    InitRunLengthReader(&r, codes.data(), codes.size());
    std::vector<uint8_t> back(bytes.size());
    ASSERT_TRUE(DecodeRunLength(&r, back.data(), back.size()));
    EXPECT_EQ(back, bytes);
    EXPECT_EQ(r.pos, codes.size());
    EXPECT_EQ(r.pendingCount, 0u);
  }
}

// Encodes bytes into a buffer whose first RunLengthBound bytes may be
// written and whose rest is a guard (large enough that a wrong bound shows
// as a failure, not as a damaged heap), and checks the length, the guard and
// the round trip.
void CheckRunLengthBound(const std::vector<uint8_t>& bytes) {
  const size_t bound = RunLengthBound(bytes.size());
  std::vector<uint8_t> codes(bound + bytes.size() + 64, 0xA5);
  const size_t length = EncodeRunLength(bytes.data(), bytes.size(), codes.data());
  ASSERT_LE(length, bound) << bytes.size() << " bytes";
  for (size_t i = bound; i < codes.size(); ++i) ASSERT_EQ(codes[i], 0xA5) << "written past " << i;
  RunLengthReader r;
  InitRunLengthReader(&r, codes.data(), length);
  std::vector<uint8_t> back(bytes.size());
  ASSERT_TRUE(DecodeRunLength(&r, back.data(), back.size()));
  ASSERT_EQ(back, bytes);
  ASSERT_EQ(r.pos, length);
}

std::vector<uint8_t> Repeated(const std::vector<uint8_t>& period, size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = period[i % period.size()];
  return bytes;
}

TEST(EncoderTest, RunLengthStaysWithinItsBound) {
  // The worst case: a literal byte then two cheap bytes of different codes
  // costs 4 bytes for 3, and the bound is exact for it.
  {
    std::vector<uint8_t> xcc = Repeated({0x01, 0x10, 0x20}, 30000);
    std::vector<uint8_t> codes(2 * xcc.size());
    EXPECT_EQ(40000u, EncodeRunLength(xcc.data(), xcc.size(), codes.data()));
    EXPECT_EQ(40000u, RunLengthBound(xcc.size()));
  }
  CheckRunLengthBound(Repeated({0x01, 0x10, 0x20}, 30000));
  CheckRunLengthBound(Repeated({0x01, 0x01, 0x01, 0x00, 0x10, 0x10, 0x01, 0x00}, 16384));

  // Every pattern of period 1 to 4 over bytes of each code class (zero,
  // 0xFF, low nibble 0, low nibble F, literal), at lengths around the code
  // limits.
  const uint8_t alphabet[] = {0x00, 0xFF, 0x10, 0x2F, 0x01, 0x5A};
  const size_t lengths[] = {1, 2, 3, 4, 5, 31, 32, 33, 34, 64, 65, 97, 1000, 3001};
  std::vector<uint8_t> period;
  for (int p = 1; p <= 4; ++p) {
    int count = 1;
    for (int k = 0; k < p; ++k) count *= 6;
    for (int code = 0; code < count; ++code) {
      period.clear();
      for (int k = 0, c = code; k < p; ++k, c /= 6) period.push_back(alphabet[c % 6]);
      for (size_t n : lengths) {
        SCOPED_TRACE(testing::Message() << "period " << p << " pattern " << code << " n " << n);
        ASSERT_NO_FATAL_FAILURE(CheckRunLengthBound(Repeated(period, n)));
      }
    }
  }

  // Runs of every length around the thresholds (32 for short zero runs and
  // 0xFF runs and literals, 8192 for long zero runs), between bytes of each
  // class.
  for (uint8_t run : {0x00, 0xFF, 0x01, 0x10}) {
    for (uint8_t edge : alphabet) {
      for (size_t n = 1; n <= 70; ++n) {
        SCOPED_TRACE(testing::Message()
                     << "run of " << n << " x " << int{run} << " edge " << int{edge});
        std::vector<uint8_t> bytes(1, edge);
        bytes.insert(bytes.end(), n, run);
        bytes.push_back(edge);
        bytes.push_back(edge);
        ASSERT_NO_FATAL_FAILURE(CheckRunLengthBound(bytes));
      }
    }
  }
  for (size_t n = 8180; n <= 8200; ++n) {
    std::vector<uint8_t> bytes(n, 0);
    bytes.push_back(0x01);
    ASSERT_NO_FATAL_FAILURE(CheckRunLengthBound(bytes));
  }

  // Random bytes, mostly cheap ones, mostly literal ones, and even mixes.
  std::mt19937 rng(31);
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    const unsigned literalShare = rng() % 101;
    std::vector<uint8_t> bytes(rng() % 5000);
    for (auto& b : bytes) {
      if (rng() % 100 < literalShare) {
        b = static_cast<uint8_t>(0x01 + rng() % 0x0E);  // low nibble 1..E
      } else {
        b = alphabet[rng() % 4];
      }
    }
    ASSERT_NO_FATAL_FAILURE(CheckRunLengthBound(bytes));
  }
}

TEST(EncoderTest, HuffmanWriterRoundTrips) {
  std::mt19937 rng(29);
  std::vector<std::vector<uint8_t>> streams;
  streams.push_back({});
  streams.push_back({7});
  streams.push_back(std::vector<uint8_t>(1000, 0x42));  // one symbol: node count 1
  streams.push_back({1, 2});
  std::vector<uint8_t> all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<uint8_t>(i));
  streams.push_back(all);
  // Fibonacci counts make the deepest tree there is.
  std::vector<uint8_t> deep;
  uint64_t a = 1, b = 1;
  for (int s = 0; s < 25; ++s) {
    for (uint64_t k = 0; k < a; ++k) deep.push_back(static_cast<uint8_t>(s));
    uint64_t next = a + b;
    a = b;
    b = next;
  }
  streams.push_back(deep);
  for (int i = 0; i < 50; ++i) {
    std::vector<uint8_t> s(rng() % 5000);
    for (auto& v : s) v = static_cast<uint8_t>(rng() % (1 + rng() % 256));
    streams.push_back(s);
  }
  for (size_t i = 0; i < streams.size(); ++i) {
    SCOPED_TRACE(i);
    const std::vector<uint8_t>& s = streams[i];
    std::vector<uint8_t> payload(HuffmanBound(s.size()));
    payload.resize(EncodeHuffman(s.data(), s.size(), payload.data()));
    BitReader bits;
    InitBitReader(&bits, payload.data(), payload.size());
    HuffmanDecoder d;
    ASSERT_EQ(CodecStatus::kOk, ReadHuffmanTree(&d, &bits, "h", nullptr));
    std::vector<uint8_t> back(s.size());
    ASSERT_EQ(s.size(), DecodeHuffmanSymbols(d, &bits, back.data(), back.size()));
    EXPECT_EQ(back, s);
  }
}

}  // namespace
