// Colour conversion: the clamp table, hand-worked pixels, half-size chroma
// sampling and out-of-table values.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "codec/colour_convert.h"
#include "reference.h"
#include "wide_and_narrow.h"

namespace {

ClampTable Clamp() {
  ClampTable t;
  BuildArtClampTable(&t);
  return t;
}

// One 1 x 1 piece with full chroma.
void ConvertOne(int32_t y, int32_t u, int32_t v, uint8_t bgr[3]) {
  static const ClampTable clamp = Clamp();
  PiecePlanes p = {&y, &u, &v, 1, 1, false, 0, 0, 0};
  ConvertPieceRows(clamp, p, 1, bgr, 3);
}

TEST(ColourTest, ClampTableStretches0To248) {
  ClampTable t = Clamp();
  struct Case {
    int index;
    int value;
  };
  for (Case c : {Case{-512, 0}, Case{-1, 0}, Case{0, 0}, Case{1, 1}, Case{124, 127}, Case{128, 131},
                 Case{247, 253}, Case{248, 255}, Case{249, 255}, Case{511, 255}}) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(t.value[c.index + 512], c.value);
  }
}

TEST(ColourTest, HandWorkedPixels) {
  struct Case {
    const char* name;
    int32_t y, u, v;
    uint8_t b, g, r;
  };
  const Case cases[] = {
      // B4 = 512, R4 = 512, G = 128: clamp[128] = 131 everywhere.
      {"mid grey", 512, 512, 512, 131, 131, 131},
      // B4 = -1024, R4 = -819 (>> 2 = -205), G = (361 * 1744) >> 12 = 153 -> 157.
      {"all zero", 0, 0, 0, 0, 157, 0},
      // B4 = R4 = 992 (>> 2 = 248); G = ((992 - 112 - 296) * 1744) >> 12 = 248.
      {"white", 992, 512, 512, 255, 255, 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    uint8_t bgr[3] = {0xEE, 0xEE, 0xEE};
    ConvertOne(c.y, c.u, c.v, bgr);
    EXPECT_EQ(bgr[0], c.b);
    EXPECT_EQ(bgr[1], c.g);
    EXPECT_EQ(bgr[2], c.r);
  }
}

TEST(ColourTest, MatchesTheFormulaOnRandomValues) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int32_t> value(-200, 1200);
  int converted = 0;
  for (int i = 0; i < 20000; ++i) {
    int32_t y = value(rng), u = value(rng), v = value(rng);
    uint8_t got[3];
    ConvertOne(y, u, v, got);
    ++converted;
    uint8_t want[3];
    ReferenceConvert(y, u, v, want);
    ASSERT_EQ(got[0], want[0]) << y << " " << u << " " << v;
    ASSERT_EQ(got[1], want[1]) << y << " " << u << " " << v;
    ASSERT_EQ(got[2], want[2]) << y << " " << u << " " << v;
  }
  EXPECT_GT(converted, 5000);
}

// Whole rows, wide enough for the vector path, with full and half-size
// chroma: every pixel against the formula. Some values lie far outside
// 16 bits or outside the table (saturated there), so the exact path takes
// over mid-row.
using ColourPathsTest = WideAndNarrowTest;
INSTANTIATE_TEST_SUITE_P(WideAndNarrow, ColourPathsTest, testing::Bool());

TEST_P(ColourPathsTest, WideRowsMatchTheFormula) {
  std::mt19937 rng(11);
  // Sides around the vector groups' ends too: a group may write past its
  // pixels only into columns of its own row.
  for (int side : {16, 17, 18, 24, 33, 34, 40, 64, 200, 256}) {
    for (bool halved : {false, true}) {
      if (halved && side % 2 == 1) continue;
      for (int wild : {0, 1}) {
        SCOPED_TRACE(testing::Message()
                     << side << (halved ? " halved" : " full") << " wild " << wild);
        const int c = halved ? side / 2 : side;
        std::uniform_int_distribution<int32_t> value(-100, 1100);
        std::uniform_int_distribution<int32_t> far(-70000, 70000);
        std::uniform_int_distribution<int> pick(0, 999);
        auto draw = [&]() { return wild && pick(rng) == 0 ? far(rng) : value(rng); };
        std::vector<int32_t> luma(static_cast<size_t>(side) * side), u(c * c), v(c * c);
        for (auto& x : luma) x = draw();
        for (auto& x : u) x = draw() - 500;
        for (auto& x : v) x = draw() - 500;
        PiecePlanes p = {luma.data(), u.data(), v.data(), side, c, halved, 3, 500, 490};
        std::vector<uint8_t> out(static_cast<size_t>(side) * side * 3 + 8, 0xEE);
        static const ClampTable clamp = Clamp();
        for (int r = 0; r < side; ++r) {
          PiecePlanes row = p;
          row.luma = p.luma + static_cast<size_t>(r) * side;
          const int cr = halved ? r / 2 : r;
          row.u = p.u + static_cast<size_t>(cr) * c;
          row.v = p.v + static_cast<size_t>(cr) * c;
          uint8_t* line = out.data() + static_cast<size_t>(r) * side * 3;
          ConvertPieceRows(clamp, row, 1, line, static_cast<size_t>(side) * 3);
          for (int k = 0; k < 8; ++k) {
            ASSERT_EQ(line[3 * side + k], 0xEE) << "row " << r << ": byte " << k << " past it";
          }
          for (int x = 0; x < side; ++x) {
            int32_t uu, vv;
            const int32_t* ur = row.u;
            const int32_t* vr = row.v;
            if (!halved || x % 2 == 0) {
              uu = ur[halved ? x / 2 : x];
              vv = vr[halved ? x / 2 : x];
            } else {
              int a = (x - 1) / 2, b = x == side - 1 ? a : a + 1;
              uu = static_cast<int32_t>((static_cast<int64_t>(ur[a]) + ur[b]) / 2);
              vv = static_cast<int32_t>((static_cast<int64_t>(vr[a]) + vr[b]) / 2);
            }
            const int64_t y = static_cast<int64_t>(row.luma[x]) + 3;
            uint8_t want[3];
            ReferenceConvert(y, uu + 500, vv + 490, want);
            ASSERT_EQ(line[3 * x], want[0]) << "row " << r << " column " << x;
            ASSERT_EQ(line[3 * x + 1], want[1]) << "row " << r << " column " << x;
            ASSERT_EQ(line[3 * x + 2], want[2]) << "row " << r << " column " << x;
          }
        }
      }
    }
  }
}

TEST(ColourTest, ArithmeticClampEqualsTheTable) {
  // The vector path computes the table: 0 below 0, 255 above 248, and
  // i + (1850 i) >> 16 between.
  const ClampTable t = Clamp();
  for (int i = -512; i < 512; ++i) {
    const int c = i < 0 ? 0 : (i > 248 ? 248 : i);
    EXPECT_EQ(t.value[i + 512], c + ((1850 * c) >> 16)) << i;
  }
}

TEST(ColourTest, HalfSizeChromaInterpolatesOddColumns) {
  // T = 4, C = 2. Y' = 1066 and V' = 0 make blue = clamp[(42 + 2U') >> 2],
  // so each pixel's U' shows in its blue byte.
  const ClampTable clamp = Clamp();
  std::vector<int32_t> luma(16, 1066);
  // Chroma rows: row 0 for pixel rows 0 and 1, row 1 for rows 2 and 3.
  std::vector<int32_t> u = {-7, 0, 10, 30};
  std::vector<int32_t> v(4, 0);
  PiecePlanes p = {luma.data(), u.data(), v.data(), 4, 2, true, 0, 0, 0};
  std::vector<uint8_t> out(4 * 4 * 3, 0xEE);
  ConvertPieceRows(clamp, p, 4, out.data(), 12);
  auto blue = [&](int r, int x) { return static_cast<int>(out[r * 12 + x * 3]); };
  auto expect = [&](int uValue) {
    uint8_t bgr[3];
    ReferenceConvert(1066, uValue, 0, bgr);
    return static_cast<int>(bgr[0]);
  };
  // Row 0: x0 = U[0] = -7; x1 = (-7 + 0) / 2 = -3 (toward zero, not -4);
  // x2 = 0; x3 (last) = (0 + 0) / 2.
  EXPECT_EQ(expect(-3), 9);
  EXPECT_EQ(expect(-4), 8);
  EXPECT_EQ(blue(0, 0), expect(-7));
  EXPECT_EQ(blue(0, 1), expect(-3));
  EXPECT_EQ(blue(0, 2), expect(0));
  EXPECT_EQ(blue(0, 3), expect(0));
  EXPECT_EQ(blue(1, 1), expect(-3));  // row 1 shares chroma row 0
  // Row 2: 10, (10 + 30) / 2 = 20, 30, last column repeats 30.
  EXPECT_EQ(blue(2, 0), expect(10));
  EXPECT_EQ(blue(2, 1), expect(20));
  EXPECT_EQ(blue(2, 2), expect(30));
  EXPECT_EQ(blue(3, 3), expect(30));
}

// Only corrupt data leaves the table; its values take the table's nearer
// end, so such a file decodes instead of being refused after its picture's
// memory is taken.
// Values of any size, those whose 32-bit products wrap too: the vector
// paths must give the bytes of the value-by-value path, which defines the
// arithmetic. Rows of one pixel go by that path alone.
TEST(ColourTest, EveryPathGivesTheSameBytesForAnyValues) {
  std::mt19937 rng(41);
  std::uniform_int_distribution<int32_t> any(INT32_MIN, INT32_MAX);
  std::uniform_int_distribution<int32_t> wide(-(1 << 20), 1 << 20);
  std::uniform_int_distribution<int32_t> near(-40000, 40000);
  std::uniform_int_distribution<int> pick(0, 2);
  static const ClampTable clamp = Clamp();
  for (int side : {17, 34, 64}) {
    for (bool halved : {false, true}) {
      SCOPED_TRACE(testing::Message() << side << (halved ? " halved" : " full"));
      const int c = halved ? (side + 1) / 2 : side;
      auto draw = [&]() {
        const int which = pick(rng);
        return which == 0 ? any(rng) : which == 1 ? wide(rng) : near(rng);
      };
      std::vector<int32_t> luma(static_cast<size_t>(side) * side), u(c * c), v(c * c);
      for (auto& x : luma) x = draw();
      for (auto& x : u) x = draw();
      for (auto& x : v) x = draw();
      PiecePlanes p = {luma.data(), u.data(), v.data(), side, c, halved, 7, -300, 200};
      const size_t stride = static_cast<size_t>(side) * 3;
      std::vector<uint8_t> single(stride * side);
      for (int r = 0; r < side; ++r) {
        for (int x = 0; x < side; ++x) {
          // The pixel's own chroma, resolved as a row would resolve it.
          const int cr = halved ? r / 2 : r;
          int32_t uu, vv;
          if (!halved || x % 2 == 0) {
            uu = u[static_cast<size_t>(cr) * c + (halved ? x / 2 : x)];
            vv = v[static_cast<size_t>(cr) * c + (halved ? x / 2 : x)];
          } else {
            const int a = (x - 1) / 2, b = x == side - 1 ? a : a + 1;
            const size_t at = static_cast<size_t>(cr) * c;
            uu = static_cast<int32_t>(
                     (static_cast<uint32_t>(u[at + a]) + static_cast<uint32_t>(u[at + b]))) /
                 2;
            vv = static_cast<int32_t>(
                     (static_cast<uint32_t>(v[at + a]) + static_cast<uint32_t>(v[at + b]))) /
                 2;
          }
          int32_t y = luma[static_cast<size_t>(r) * side + x];
          PiecePlanes one = {&y, &uu, &vv, 1, 1, false, p.yOffset, p.uOffset, p.vOffset};
          ConvertPieceRows(clamp, one, 1, &single[r * stride + 3 * static_cast<size_t>(x)], 3);
        }
      }
      for (bool wideVectors : {false, true}) {
        AllowWideVectors(wideVectors);
        std::vector<uint8_t> rows(stride * side + 8);
        ConvertPieceRows(clamp, p, side, rows.data(), stride);
        rows.resize(stride * side);
        EXPECT_EQ(rows, single) << (wideVectors ? "wide" : "narrow");
      }
      AllowWideVectors(true);
    }
  }
}

TEST(ColourTest, IndexesOutsideTheTableSaturate) {
  struct Case {
    const char* name;
    int32_t y, u, v;
    int channel;  // blue, green, red
    uint8_t value;
  };
  // B4 >> 2 = 512; G = (1301 * 1744) >> 12 = 553; R4 >> 2 = -705.
  const Case cases[] = {{"blue too high", 1024, 1024, 0, 0, 255},
                        {"green too high", 1300, -138, -301, 1, 255},
                        {"red too low", -2000, 1600, 0, 2, 0},
                        {"far beyond 32 bits of products", 0x40000000, 0x40000000, 0, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    uint8_t bgr[3] = {0x11, 0x22, 0x33};
    ConvertOne(c.y, c.u, c.v, bgr);
    EXPECT_EQ(bgr[c.channel], c.value);
  }
  // The pixels around one outside the table convert as ever.
  const ClampTable clamp = Clamp();
  std::vector<int32_t> luma = {512, 512, 512, 99999};
  std::vector<int32_t> chroma = {512, 512, 512, 512};
  PiecePlanes p = {luma.data(), chroma.data(), chroma.data(), 2, 2, false, 0, 0, 0};
  std::vector<uint8_t> out(12, 0xEE);
  ConvertPieceRows(clamp, p, 2, out.data(), 6);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(out[i], 131) << i;
  EXPECT_EQ(out[9], 255);
  EXPECT_EQ(out[11], 255);
}

}  // namespace
