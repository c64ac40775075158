// Inverse D4 transform: hand-worked values, 32-bit wrap, the fast 2-D form
// against the defining transposing form, and the encoder's forward transform.
#include <gtest/gtest.h>

#include <cmath>
#include <climits>
#include <algorithm>
#include <random>
#include <vector>

#include "allocation_watch.h"
#include "codec/art_encoder.h"
#include "codec/d4_synthesis.h"
#include "reference.h"
#include "wide_and_narrow.h"

namespace {

std::vector<int32_t> Synthesize(std::vector<int32_t> low, std::vector<int32_t> high) {
  std::vector<int32_t> out(2 * low.size(), 0x7777);
  SynthesizeLines(low.data(), high.data(), static_cast<int>(low.size()), 1, out.data(), 1);
  return out;
}

TEST(D4SynthesisTest, HandWorkedLines) {
  struct Case {
    const char* name;
    std::vector<int32_t> low, high, expected;
  };
  const Case cases[] = {
      // 14689 + 31651 = 46340, 54821 - 8480 = 46341: 4096 x 46340 >> 16 = 2896.
      {"low only", {4096}, {0}, {2896, 2896}},
      {"high only", {0}, {4096}, {2896, -2897}},
      {"shift is arithmetic", {-1}, {0}, {-1, -1}},
      {"two samples with wrap", {100, 200}, {10, -20}, {75, 65, 129, 154}},
      // Products wrap in 32 bits: 46340 * 2^30 = 0, 46341 * 2^30 = 2^30 (mod 2^32).
      {"32-bit wrap", {1 << 30}, {0}, {0, 16384}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Synthesize(c.low, c.high), c.expected);
  }
}

TEST(D4SynthesisTest, OutputStrideTransposes) {
  // Two lines of length 1 with stride 2: line r's outputs go to r + 2j.
  int32_t low[2] = {4096, 0};
  int32_t high[2] = {0, 4096};
  int32_t out[4] = {};
  SynthesizeLines(low, high, 1, 2, out, 2);
  EXPECT_EQ(out[0], 2896);
  EXPECT_EQ(out[2], 2896);
  EXPECT_EQ(out[1], 2896);
  EXPECT_EQ(out[3], -2897);
}

TEST(D4SynthesisTest, MatchesFloorFormulaOnRandomLines) {
  std::mt19937 rng(3);
  // Small enough that no sum leaves 32 bits (109641 x 19000 < 2^31).
  std::uniform_int_distribution<int32_t> value(-19000, 19000);
  for (int n : {1, 2, 3, 9, 36}) {
    SCOPED_TRACE(n);
    std::vector<int32_t> low(n), high(n);
    for (auto& v : low) v = value(rng);
    for (auto& v : high) v = value(rng);
    EXPECT_EQ(Synthesize(low, high), ReferenceSynthesis(low, high));
  }
}

// The transform as the format defines it: per level, lines of the low band
// with band 1 into scratch 1 (stride s), band 2 with band 3 into scratch 2,
// then 2s lines of scratch 1 with scratch 2 into the plane (stride 2s).
void DefiningInverse(std::vector<int32_t>* plane, int side, int base) {
  for (int s = base; s < side; s *= 2) {
    size_t band = static_cast<size_t>(s) * s;
    std::vector<int32_t> one(2 * band), two(2 * band);
    int32_t* p = plane->data();
    SynthesizeLines(p, p + band, s, s, one.data(), s);
    SynthesizeLines(p + 2 * band, p + 3 * band, s, s, two.data(), s);
    SynthesizeLines(one.data(), two.data(), s, 2 * s, p, 2 * s);
  }
}

using D4PathsTest = WideAndNarrowTest;
INSTANTIATE_TEST_SUITE_P(WideAndNarrow, D4PathsTest, testing::Bool());

TEST_P(D4PathsTest, PlaneTransformMatchesTheDefiningForm) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int32_t> value(-3000, 3000);
  struct Case {
    int side, base;
  };
  for (Case c :
       {Case{2, 1}, Case{4, 1}, Case{8, 2}, Case{36, 9}, Case{64, 4}, Case{96, 3}, Case{9, 9}}) {
    SCOPED_TRACE(testing::Message() << c.side << " from " << c.base);
    std::vector<int32_t> plane(static_cast<size_t>(c.side) * c.side);
    for (auto& v : plane) v = value(rng);
    std::vector<int32_t> expected = plane;
    DefiningInverse(&expected, c.side, c.base);
    SynthesisScratch scratch;
    ASSERT_TRUE(InverseTransformPlane(&scratch, plane.data(), c.side, c.base, c.side));
    EXPECT_EQ(plane, expected);
  }
}

// Only the rows asked for: they match the whole transform's, for every
// count of rows (odd and even, the first alone, all), narrow values and
// wide, with a scratch that held another plane's rows before.
TEST_P(D4PathsTest, TheRowsAskedForMatchTheWholePlane) {
  std::mt19937 rng(29);
  struct Case {
    int side, base;
    int32_t limit;
  };
  for (Case c : {Case{36, 9, 3000}, Case{64, 4, 3000}, Case{72, 9, 200000}, Case{8, 1, 3000}}) {
    std::uniform_int_distribution<int32_t> value(-c.limit, c.limit);
    std::vector<int32_t> source(static_cast<size_t>(c.side) * c.side);
    for (auto& v : source) v = value(rng);
    std::vector<int32_t> whole = source;
    SynthesisScratch scratch;
    ASSERT_TRUE(InverseTransformPlane(&scratch, whole.data(), c.side, c.base, c.side));
    for (int rows = 1; rows <= c.side; ++rows) {
      SCOPED_TRACE(testing::Message() << c.side << " from " << c.base << ", " << rows << " rows");
      std::vector<int32_t> other(source.size());
      for (auto& v : other) v = value(rng);
      ASSERT_TRUE(InverseTransformPlane(&scratch, other.data(), c.side, c.base, c.side));
      std::vector<int32_t> plane = source;
      ASSERT_TRUE(InverseTransformPlane(&scratch, plane.data(), c.side, c.base, rows));
      const size_t shown = static_cast<size_t>(rows) * c.side;
      ASSERT_TRUE(
          std::equal(plane.begin(), plane.begin() + static_cast<long>(shown), whole.begin()));
    }
  }
}

// Values near and past the 16-bit edge, and a few far beyond it (whose
// products wrap in 32 bits): the vector filters must give way to the plain
// ones wherever a level holds such a value, and agree everywhere else.
TEST_P(D4PathsTest, WideValuesMatchTheDefiningForm) {
  std::mt19937 rng(23);
  struct Case {
    int side, base;
    int32_t limit;
    int wildPerMille;
  };
  for (Case c : {Case{72, 9, 4000, 0}, Case{64, 4, 32767, 0}, Case{128, 4, 9000, 1},
                 Case{144, 9, 2000, 2}, Case{256, 8, 16000, 0}}) {
    SCOPED_TRACE(testing::Message() << c.side << " from " << c.base << " limit " << c.limit);
    std::uniform_int_distribution<int32_t> value(-c.limit - 1, c.limit);
    std::uniform_int_distribution<int32_t> wild(INT32_MIN, INT32_MAX);
    std::uniform_int_distribution<int> pick(0, 999);
    std::vector<int32_t> plane(static_cast<size_t>(c.side) * c.side);
    for (auto& v : plane) v = pick(rng) < c.wildPerMille ? wild(rng) : value(rng);
    std::vector<int32_t> expected = plane;
    DefiningInverse(&expected, c.side, c.base);
    SynthesisScratch scratch;
    ASSERT_TRUE(InverseTransformPlane(&scratch, plane.data(), c.side, c.base, c.side));
    EXPECT_EQ(plane, expected);
  }
}

// One value past the 16-bit range at every place of the plane in turn
// (wherever a vector step, a scalar edge or the wrapped last row reads it),
// with all rows and with a few: just past it, and far past it, where the
// products wrap in 32 bits. The rows that read it must be made by the
// plain filters.
TEST_P(D4PathsTest, OneWideValueAnywhereMatchesTheDefiningForm) {
  std::mt19937 rng(31);
  std::uniform_int_distribution<int32_t> value(-2000, 2000);
  const int side = 40;
  const int base = 5;
  std::vector<int32_t> source(static_cast<size_t>(side) * side);
  for (auto& v : source) v = value(rng);
  SynthesisScratch scratch;
  for (size_t at = 0; at < source.size(); ++at) {
    for (int rows : {side, 7}) {
      SCOPED_TRACE(testing::Message() << "value at " << at << ", " << rows << " rows");
      std::vector<int32_t> plane = source;
      constexpr int32_t kWide[] = {32768, -32769, 100000, -100000};
      plane[at] = kWide[(at + static_cast<size_t>(rows)) % 4];
      std::vector<int32_t> expected = plane;
      DefiningInverse(&expected, side, base);
      ASSERT_TRUE(InverseTransformPlane(&scratch, plane.data(), side, base, rows));
      const auto shown = static_cast<long>(rows) * side;
      ASSERT_TRUE(std::equal(plane.begin(), plane.begin() + shown, expected.begin()));
    }
  }
}

TEST(D4SynthesisTest, ConstantLowBandHandWorked) {
  // Side 2 from base 1: low 1024 -> (46340 * 1024) >> 16 = 724 and
  // (46341 * 1024) >> 16 = 724 across, then 511 and 511 down.
  std::vector<int32_t> plane = {1024, 0, 0, 0};
  SynthesisScratch scratch;
  ASSERT_TRUE(InverseTransformPlane(&scratch, plane.data(), 2, 1, 2));
  EXPECT_EQ(plane, (std::vector<int32_t>{511, 511, 511, 511}));
}

TEST(D4SynthesisTest, ForwardTransformIsInvertedByTheSynthesis) {
  const int side = 64;
  std::vector<double> plane(side * side);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      plane[y * side + x] =
          300 * std::sin(x * 0.2) + 200 * std::cos(y * 0.13) + 3 * ((x * 7 + y * 13) % 11);
    }
  }
  std::vector<double> original = plane;
  ASSERT_TRUE(ForwardTransformPlane(plane.data(), side, 2));
  std::vector<int32_t> coefficients(plane.size());
  for (size_t i = 0; i < plane.size(); ++i)
    coefficients[i] = static_cast<int32_t>(std::lround(plane[i]));
  SynthesisScratch scratch;
  ASSERT_TRUE(InverseTransformPlane(&scratch, coefficients.data(), side, 2, side));
  double worst = 0;
  double meanError = 0;
  for (size_t i = 0; i < plane.size(); ++i) {
    double d = coefficients[i] - original[i];
    worst = std::max(worst, std::fabs(d));
    meanError += d;
  }
  meanError /= static_cast<double>(plane.size());
  // Truncation at every pass costs about half a unit each, nothing more.
  EXPECT_LT(worst, 6.0);
  EXPECT_LT(std::fabs(meanError), 3.0);
}

TEST(D4SynthesisTest, ForwardTransformWithoutMemorySaysSo) {
  std::vector<double> plane(16 * 16, 7.0);
  AllocationWatch watch(1);
  EXPECT_FALSE(ForwardTransformPlane(plane.data(), 16, 2));
  EXPECT_TRUE(watch.failed());
  EXPECT_EQ(plane, std::vector<double>(16 * 16, 7.0));  // untouched
}

}  // namespace
