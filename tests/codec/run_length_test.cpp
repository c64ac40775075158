// Run-length layer: every code class, runs that cross piece boundaries, and
// streams that end too early.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "codec/run_length.h"

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> list) {
  std::vector<uint8_t> v;
  for (int b : list) v.push_back(static_cast<uint8_t>(b));
  return v;
}

std::vector<uint8_t> Repeat(size_t n, uint8_t value) {
  return std::vector<uint8_t>(n, value);
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> v;
  for (const auto& p : parts) v.insert(v.end(), p.begin(), p.end());
  return v;
}

TEST(RunLengthTest, EveryCodeClass) {
  struct Case {
    const char* name;
    std::vector<uint8_t> codes;
    std::vector<uint8_t> expected;
  };
  const Case cases[] = {
      {"one zero", Bytes({0x00}), Repeat(1, 0)},
      {"32 zeros", Bytes({0x1F}), Repeat(32, 0)},
      {"nibble up 0x20", Bytes({0x20}), Bytes({0x00})},
      {"nibble up 0x2A", Bytes({0x2A}), Bytes({0xA0})},
      {"nibble up 0x3F", Bytes({0x3F}), Bytes({0xF0})},
      {"long run, one", Bytes({0x40, 0x00}), Repeat(1, 0)},
      {"long run 300", Bytes({0x41, 0x2B}), Repeat(300, 0)},
      {"long run 8192", Bytes({0x5F, 0xFF}), Repeat(8192, 0)},
      {"low nibble F 0x60", Bytes({0x60}), Bytes({0x0F})},
      {"low nibble F 0x6E", Bytes({0x6E}), Bytes({0xEF})},
      {"low nibble F 0x7F", Bytes({0x7F}), Bytes({0xFF})},
      {"one 0xFF", Bytes({0x80}), Repeat(1, 0xFF)},
      {"32 0xFF", Bytes({0x9F}), Repeat(32, 0xFF)},
      {"skipped 0xA0-0xBF", Bytes({0xA0, 0xB7, 0xBF, 0x21}), Bytes({0x10})},
      {"one literal", Bytes({0xC0, 0x5A}), Bytes({0x5A})},
      {"32 literals", Concat({Bytes({0xDF}), Repeat(32, 0x33)}), Repeat(32, 0x33)},
      {"skipped 0xE0-0xFF", Bytes({0xE0, 0xFF, 0xEE, 0x22}), Bytes({0x20})},
      {"a coefficient 16m", Bytes({0x23, 0x02}), Bytes({0x30, 0, 0, 0})},
      {"a coefficient -1-16m", Bytes({0x6D, 0x82}), Bytes({0xDF, 0xFF, 0xFF, 0xFF})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunLengthReader r;
    InitRunLengthReader(&r, c.codes.data(), c.codes.size());
    std::vector<uint8_t> out(c.expected.size(), 0xEE);
    ASSERT_TRUE(DecodeRunLength(&r, out.data(), out.size()));
    EXPECT_EQ(out, c.expected);
    uint64_t made = 0;
    EXPECT_TRUE(MeasureRunLength(c.codes.data(), c.codes.size(), c.expected.size(), &made));
    EXPECT_EQ(made, c.expected.size());
  }
}

TEST(RunLengthTest, RunsCarryIntoTheNextPiece) {
  // 10 zeros, 3 literals, 6 x 0xFF, cut into pieces of 4 bytes.
  std::vector<uint8_t> codes = Bytes({0x09, 0xC2, 1, 2, 3, 0x85, 0x05, 0xA5});
  std::vector<uint8_t> all =
      Concat({Repeat(10, 0), Bytes({1, 2, 3}), Repeat(6, 0xFF), Repeat(6, 0)});
  RunLengthReader r;
  InitRunLengthReader(&r, codes.data(), codes.size());
  std::vector<uint8_t> got;
  for (int piece = 0; piece < 6; ++piece) {
    SCOPED_TRACE(piece);
    uint8_t buffer[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    ASSERT_TRUE(DecodeRunLength(&r, buffer, 4));
    got.insert(got.end(), buffer, buffer + 4);
  }
  std::vector<uint8_t> want(all.begin(), all.begin() + 24);
  EXPECT_EQ(got, want);
  uint8_t last[4];
  EXPECT_TRUE(DecodeRunLength(&r, last, 1));   // the 25th byte is there
  EXPECT_FALSE(DecodeRunLength(&r, last, 1));  // then the stream ends
}

TEST(RunLengthTest, StreamsThatEndTooEarly) {
  struct Case {
    const char* name;
    std::vector<uint8_t> codes;
    size_t want;
  };
  const Case cases[] = {
      {"empty", {}, 1},
      {"long run without its count", Bytes({0x03, 0x41}), 5},
      {"literal cut short", Bytes({0xC4, 1, 2}), 5},
      {"only skipped codes", Bytes({0xA0, 0xE0, 0xBF}), 1},
      {"short by one", Bytes({0x1E}), 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunLengthReader r;
    InitRunLengthReader(&r, c.codes.data(), c.codes.size());
    std::vector<uint8_t> out(c.want);
    EXPECT_FALSE(DecodeRunLength(&r, out.data(), out.size()));
    uint64_t made = 12345;
    EXPECT_FALSE(MeasureRunLength(c.codes.data(), c.codes.size(), c.want, &made));
    EXPECT_LT(made, c.want);
  }
}

// The bytes a whole code stream makes, code by code as the format defines
// them (a last code whose operands are missing makes nothing).
std::vector<uint8_t> ReferenceBytes(const std::vector<uint8_t>& codes) {
  std::vector<uint8_t> out;
  for (size_t pos = 0; pos < codes.size();) {
    const uint8_t b = codes[pos++];
    switch (b >> 5) {
      case 0:
        out.insert(out.end(), b + 1u, 0);
        break;
      case 1:
        out.push_back(static_cast<uint8_t>(b << 4));
        break;
      case 2: {
        if (pos >= codes.size()) return out;
        const size_t n = ((b & 0x1Fu) << 8 | codes[pos++]) + 1;
        out.insert(out.end(), n, 0);
        break;
      }
      case 3:
        out.push_back(static_cast<uint8_t>(((b & 0x0F) << 4) | 0x0F));
        break;
      case 4:
        out.insert(out.end(), (b & 0x1Fu) + 1, 0xFF);
        break;
      case 6: {
        const size_t n = (b & 0x1Fu) + 1;
        if (pos + n > codes.size()) return out;
        out.insert(out.end(), codes.begin() + static_cast<long>(pos),
                   codes.begin() + static_cast<long>(pos + n));
        pos += n;
        break;
      }
      default:
        break;
    }
  }
  return out;
}

// How many of them there are.
uint64_t ReferenceTotal(const std::vector<uint8_t>& codes) {
  return ReferenceBytes(codes).size();
}

// Random code bytes in which about headShare in 256 of the bytes that could
// head a long run or a literal stay heads (the rest become codes of one
// byte); with shortRuns, a long run makes at most 512 zeros.
std::vector<uint8_t> RandomCodes(std::mt19937& rng, size_t size, int headShare, bool shortRuns) {
  std::vector<uint8_t> codes(size);
  for (auto& b : codes) {
    b = static_cast<uint8_t>(rng());
    if ((b & 0x60) != 0x40) continue;
    if (static_cast<int>(rng() % 256) >= headShare) {
      b ^= 0x20;
    } else if (shortRuns && (b & 0x80) == 0) {
      b &= 0x41;
    }
  }
  return codes;
}

// Short streams are measured eight code bytes at a time; it must agree with
// the code-by-code count and with the decoder on streams of every mix.
TEST(RunLengthTest, MeasuringAgreesWithDecoding) {
  std::mt19937 rng(5);
  for (int round = 0; round < 600; ++round) {
    SCOPED_TRACE(round);
    const int longShare = static_cast<int>(rng() % 40);  // in 1/256
    const size_t size = 1 + rng() % 300;
    const std::vector<uint8_t> codes = RandomCodes(rng, size, longShare, false);
    const uint64_t total = ReferenceTotal(codes);
    uint64_t made = 0;
    if (total > 0) {
      EXPECT_TRUE(MeasureRunLength(codes.data(), codes.size(), total, &made));
    }
    EXPECT_FALSE(MeasureRunLength(codes.data(), codes.size(), total + 1, &made));
    EXPECT_EQ(made, total);
    for (uint64_t needed : {total / 2, total / 3 + 1, total - (total > 0)}) {
      if (needed == 0) continue;
      EXPECT_TRUE(MeasureRunLength(codes.data(), codes.size(), needed, &made)) << needed;
      EXPECT_GE(made, needed);
    }
    std::vector<uint8_t> out(total + 1);
    RunLengthReader r;
    InitRunLengthReader(&r, codes.data(), codes.size());
    EXPECT_TRUE(DecodeRunLength(&r, out.data(), total));
    EXPECT_FALSE(DecodeRunLength(&r, out.data(), 1));
  }
}

// Long streams are measured a chunk of 4 KB at a time, the heads of long
// runs and literals walked apart from the codes of one byte: the count must
// agree with the code-by-code one wherever the heads fall, with operands
// that reach into the next chunk or look like heads themselves, and with
// the stream cut anywhere.
TEST(RunLengthTest, MeasuringLongStreamsAgreesWithTheCodes) {
  std::mt19937 rng(23);
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    const int headShare = static_cast<int>(rng() % 96);  // in 1/256
    const size_t size = 4096 + rng() % 16000;
    std::vector<uint8_t> codes = RandomCodes(rng, size, headShare, true);
    if (round % 2 == 1) codes.resize(codes.size() - rng() % 40);  // cut anywhere
    const std::vector<uint8_t> want = ReferenceBytes(codes);
    const uint64_t total = want.size();
    uint64_t made = 0;
    EXPECT_FALSE(MeasureRunLength(codes.data(), codes.size(), total + 1, &made));
    EXPECT_EQ(made, total);
    for (uint64_t needed : {total, total - total / 3, total / 2 + 1, uint64_t{1}}) {
      EXPECT_TRUE(MeasureRunLength(codes.data(), codes.size(), needed, &made)) << needed;
      EXPECT_GE(made, needed);
    }
    std::vector<uint8_t> got(total);
    RunLengthReader r;
    InitRunLengthReader(&r, codes.data(), codes.size());
    EXPECT_TRUE(DecodeRunLength(&r, got.data(), total));
    EXPECT_EQ(got, want);
  }
}

// A chunk that is all literals of one byte (the most heads a chunk can
// hold), each operand looking like a head too.
TEST(RunLengthTest, MeasuringAChunkOfLiterals) {
  std::vector<uint8_t> codes;
  for (int i = 0; i < 2048; ++i) codes.insert(codes.end(), {0xC0, 0x40});
  codes.insert(codes.end(), 200, 0xA0);
  uint64_t made = 0;
  EXPECT_FALSE(MeasureRunLength(codes.data(), codes.size(), 2049, &made));
  EXPECT_EQ(made, 2048u);
}

// A chunk of codes that make nothing, ending in a literal whose operands,
// in the next chunk, would each be a run of 32 if read as codes.
TEST(RunLengthTest, MeasuringALiteralAcrossChunks) {
  const std::vector<uint8_t> codes =
      Concat({Repeat(4095, 0xA0), Bytes({0xDF}), Repeat(32, 0x1F), Repeat(200, 0xA0)});
  uint64_t made = 0;
  EXPECT_FALSE(MeasureRunLength(codes.data(), codes.size(), 33, &made));
  EXPECT_EQ(made, 32u);
  EXPECT_TRUE(MeasureRunLength(codes.data(), codes.size(), 32, &made));
  EXPECT_EQ(made, 32u);
}

// Streams of many long zero runs among the other codes, decoded into pieces
// of random sizes, each in a buffer of exactly its size (a write past it is
// caught under the sanitizers), so that runs end at every distance from a
// piece's end and carry into the next piece.
TEST(RunLengthTest, LongRunsInPiecesOfEverySize) {
  std::mt19937 rng(17);
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    std::vector<uint8_t> codes;
    const int count = 1 + static_cast<int>(rng() % 200);
    for (int i = 0; i < count; ++i) {
      if (rng() % 3 == 0) {
        codes.push_back(static_cast<uint8_t>(0x40 | (rng() % 3)));  // up to 768 zeros
        codes.push_back(static_cast<uint8_t>(rng()));
      } else {
        codes.push_back(static_cast<uint8_t>(rng()));
      }
    }
    const std::vector<uint8_t> want = ReferenceBytes(codes);
    std::vector<uint8_t> got;
    RunLengthReader r;
    InitRunLengthReader(&r, codes.data(), codes.size());
    while (got.size() < want.size()) {
      const size_t piece = std::min<size_t>(want.size() - got.size(), 1 + rng() % 700);
      std::vector<uint8_t> out(piece, 0xEE);
      ASSERT_TRUE(DecodeRunLength(&r, out.data(), piece)) << got.size();
      got.insert(got.end(), out.begin(), out.end());
    }
    EXPECT_EQ(got, want);
  }
}

}  // namespace
