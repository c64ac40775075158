#include "saver/transitions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace {

using Cells = std::vector<TransitionCell>;

// ---------------------------------------------------------------------------
// Reference orders, written plainly from the routines' description: wide
// arithmetic, "%" instead of masks, one record for every band.

uint64_t RefPower(uint64_t n) {
  uint64_t p = 1;
  while (p < n) p *= 2;
  return p;
}

uint64_t RefCeil(uint64_t a, uint64_t b) {
  return a / b + (a % b ? 1 : 0);
}

Cells RefDissolve(int x0, int y0, int w, int h, int tileW, int tileH, uint32_t tick) {
  const uint64_t cols = RefCeil(w, tileW), rows = RefCeil(h, tileH);
  const uint64_t cells = rows * cols;
  const uint64_t copies = (rows + 1) * (cols + 1);
  const uint64_t p = RefPower(copies);
  uint64_t state = tick;
  state = (state * 214013 + 2531011) % (uint64_t{1} << 32);
  uint64_t v = ((state >> 16) & 0x7FFF) % p;
  Cells out;
  while (out.size() < copies) {
    v = (5 * v + 1) % p;
    if (v <= cells) {
      out.push_back({static_cast<int32_t>(x0 + tileW * static_cast<int64_t>(v % cols)),
                     static_cast<int32_t>(y0 + tileH * static_cast<int64_t>(v / cols)), tileW,
                     tileH});
    }
  }
  return out;
}

Cells RefSweep(int x0, int y0, int w, int h, int band, int wave, int tileW, int tileH,
               uint32_t tick) {
  static const int primes[20] = {5,  7,  11, 13, 17, 19, 23, 29, 31, 37,
                                 41, 43, 47, 53, 59, 61, 67, 71, 73, 79};
  struct Rec {
    int64_t value, multiplier, increment, modulus, stepsLeft;
  };
  const int64_t bands = RefCeil(w, band);
  const int64_t bandCols = RefCeil(band, tileW), rows = RefCeil(h, tileH);
  const int64_t cells = rows * bandCols;
  const int64_t p = static_cast<int64_t>(RefPower(cells));
  const int64_t first = 1 - wave;
  std::vector<Rec> recs;
  for (int64_t i = first; i < bands; ++i) {
    Rec r;
    if (i == first) {
      r.value = tick % p;
      r.multiplier = 5;
    } else {
      r.value = (5 * recs.back().value + 1) % p;
      int64_t entry = ((i % 20) + 20) % 20;
      r.multiplier = 4 * primes[entry] + 1;
    }
    r.increment = 1;
    r.modulus = p;
    r.stepsLeft = p;
    recs.push_back(r);
  }
  Cells out;
  int64_t k = first;
  while (k < bands) {
    for (int64_t n = wave; n >= 1; --n) {
      for (int64_t i = k; i < std::min(k + n, bands); ++i) {
        Rec& r = recs[i - first];
        r.value = (r.multiplier * r.value + r.increment) % r.modulus;
        r.stepsLeft -= 1;
        if (r.value <= cells && i >= 0) {
          out.push_back({static_cast<int32_t>(x0 + i * band + tileW * (r.value % bandCols)),
                         static_cast<int32_t>(y0 + tileH * (r.value / bandCols)), tileW, tileH});
        }
      }
    }
    if (recs[k - first].stepsLeft <= 0) k = k + 1;
  }
  return out;
}

// ---------------------------------------------------------------------------

Cells Collect(DissolveTilesOrder order) {
  Cells out;
  TransitionCell cell;
  while (order.Next(&cell)) out.push_back(cell);
  return out;
}

Cells Collect(SweepBandsOrder& order) {
  Cells out;
  TransitionCell cell;
  while (order.Next(&cell)) out.push_back(cell);
  return out;
}

Cells Dissolve(const DissolveTilesArgs& a, uint32_t tick) {
  return Collect(DissolveTilesOrder(a, tick));
}

Cells Sweep(const SweepBandsArgs& a, uint32_t tick) {
  SweepBandsOrder order(a, tick);
  return Collect(order);
}

Cells Ref(const DissolveTilesArgs& a, uint32_t tick) {
  return RefDissolve(a.x0, a.y0, a.w, a.h, a.tileW, a.tileH, tick);
}

Cells Ref(const SweepBandsArgs& a, uint32_t tick) {
  return RefSweep(a.x0, a.y0, a.w, a.h, a.bandWidth, a.wave, a.tileW, a.tileH, tick);
}

// FNV-1a over the cells' four fields, little-endian.
uint64_t Digest(const Cells& cells) {
  uint64_t hash = 0xCBF29CE484222325ull;
  for (const TransitionCell& c : cells) {
    for (int32_t field : {c.x, c.y, c.w, c.h}) {
      const uint32_t u = static_cast<uint32_t>(field);
      for (int shift = 0; shift < 32; shift += 8) {
        hash ^= (u >> shift) & 0xFF;
        hash *= 0x100000001B3ull;
      }
    }
  }
  return hash;
}

// Cells copied, by top-left corner.
std::map<std::pair<int32_t, int32_t>, int> Counts(const Cells& cells) {
  std::map<std::pair<int32_t, int32_t>, int> counts;
  for (const TransitionCell& c : cells) ++counts[{c.x, c.y}];
  return counts;
}

int At(const std::map<std::pair<int32_t, int32_t>, int>& counts, int64_t x, int64_t y) {
  auto it = counts.find({static_cast<int32_t>(x), static_cast<int32_t>(y)});
  return it == counts.end() ? 0 : it->second;
}

void ExpectSameCells(const Cells& got, const Cells& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) {
    ASSERT_TRUE(got[i] == want[i]) << "cell " << i << ": got " << got[i].x << "," << got[i].y
                                   << " want " << want[i].x << "," << want[i].y;
  }
}

uint32_t Mix(uint32_t seed) {
  seed ^= seed >> 16;
  seed *= 0x7FEB352Du;
  seed ^= seed >> 15;
  seed *= 0x846CA68Bu;
  return seed ^ (seed >> 16);
}

// ---------------------------------------------------------------------------

TEST(TransitionModulus, SmallestPowerOfTwoAtLeastN) {
  const std::pair<int64_t, uint32_t> cases[] = {
      {-5, 1},
      {0, 1},
      {1, 1},
      {2, 2},
      {3, 4},
      {4, 4},
      {5, 8},
      {384, 512},
      {440, 512},
      {512, 512},
      {513, 1024},
      {19481, 32768},
      {32768, 32768},
      {1 << 30, 1u << 30},
      {(1 << 30) + 1, 1u << 31},
      {0x7FFFFFFF, 1u << 31},
  };
  for (const auto& c : cases) EXPECT_EQ(TransitionModulus(c.first), c.second) << c.first;
}

TEST(SweepBandMultiplier, TableEntryIModTwentyFromZero) {
  const std::pair<int64_t, uint32_t> cases[] = {
      {0, 21},   {1, 29},   {2, 45},   {19, 317}, {20, 21},   {39, 317},
      {-1, 317}, {-4, 269}, {-19, 29}, {-20, 21}, {-21, 317}, {31, 4 * 43 + 1},
  };
  for (const auto& c : cases) EXPECT_EQ(SweepBandMultiplier(c.first), c.second) << c.first;
  for (int i = 0; i < kSweepPrimeCount; ++i) {
    EXPECT_EQ(SweepBandMultiplier(i) % 4, 1u) << "a = 4k + 1 gives the full period";
  }
}

// ---------------------------------------------------------------------------
// DissolveTiles

TEST(DissolveTiles, FullScreenAtFourByFour) {
  const DissolveTilesArgs args{0, 0, 640, 480, 4, 4};
  DissolveTilesGeometry g = DissolveTilesLayout(args);
  EXPECT_EQ(g.status, TransitionStatus::kOk);
  EXPECT_EQ(g.cols, 160);
  EXPECT_EQ(g.rows, 120);
  EXPECT_EQ(g.cells, 19200);
  EXPECT_EQ(g.copies, 19481);  // 161 x 121
  EXPECT_EQ(g.modulus, 32768u);

  DissolveTilesOrder order(args, 123456);
  EXPECT_EQ(order.copyCount(), 19481u);
  Cells cells = Collect(order);
  ASSERT_EQ(cells.size(), 19481u);
  auto counts = Counts(cells);
  for (int y = 0; y < 480; y += 4) {
    for (int x = 0; x < 640; x += 4) ASSERT_GE(At(counts, x, y), 1) << x << "," << y;
  }
  // The value equal to cells: column 0, one row below the last.
  EXPECT_GE(At(counts, 0, 480), 1);
  EXPECT_EQ(counts.size(), 19201u) << "nothing else is copied";
  for (const TransitionCell& c : cells) {
    ASSERT_EQ(c.w, 4);
    ASSERT_EQ(c.h, 4);
  }
}

TEST(DissolveTiles, StartIsTheSeededGeneratorsFirstValueModP) {
  Lcg thread(77);
  thread.Next();
  DissolveTilesOrder order({0, 0, 640, 480, 4, 4}, 1000, &thread);
  Lcg expected(1000);
  const int first = expected.Next();
  EXPECT_EQ(order.start(), static_cast<uint32_t>(first) % 32768u);
  // The thread's generator is left as the routine leaves it: seeded, advanced once.
  EXPECT_EQ(thread.state(), expected.state());
  EXPECT_EQ(thread.Next(), expected.Next());

  // A small grid reduces the start modulo its own P.
  DissolveTilesOrder small({0, 0, 8, 8, 4, 4}, 1000);  // copies 9, P 16
  EXPECT_EQ(small.start(), static_cast<uint32_t>(first) % 16u);

  // Refused areas still seed and advance the thread's generator.
  Lcg refused(5);
  DissolveTilesOrder none({0, 0, 0, 10, 4, 4}, 42, &refused);
  Lcg after42(42);
  after42.Next();
  EXPECT_EQ(refused.state(), after42.state());
}

TEST(DissolveTiles, MatchesTheReferenceOverManyAreasAndSeeds) {
  const DissolveTilesArgs areas[] = {
      {0, 0, 640, 480, 4, 4}, {0, 0, 800, 600, 5, 5}, {284, 215, 355, 264, 3, 3},
      {0, 0, 152, 112, 5, 5}, {-7, 11, 13, 9, 4, 4},  {3, 5, 1, 1, 1, 1},
      {0, 0, 1, 1, 8, 8},     {10, 20, 17, 3, 2, 7},  {0, 0, 1024, 768, 6, 6},
      {0, 0, 31, 1, 1, 1},    {0, 0, 7, 5, 16, 1},
  };
  for (const DissolveTilesArgs& a : areas) {
    for (uint32_t s = 0; s < 12; ++s) {
      const uint32_t tick = Mix(s * 7919 + static_cast<uint32_t>(a.w));
      SCOPED_TRACE(testing::Message() << a.w << "x" << a.h << " tile " << a.tileW << "x" << a.tileH
                                      << " tick " << tick);
      DissolveTilesOrder order(a, tick);
      Cells got = Collect(order);
      ExpectSameCells(got, Ref(a, tick));
      EXPECT_EQ(order.copyCount(), got.size());
    }
  }
}

TEST(DissolveTiles, GoldenDigests) {
  struct Case {
    DissolveTilesArgs args;
    uint32_t tick;
    size_t count;
    uint64_t digest;
  } cases[] = {
      {{0, 0, 640, 480, 4, 4}, 0, 19481, 8286172658996959324ull},
      {{0, 0, 640, 480, 4, 4}, 0xDEADBEEF, 19481, 17661446624849813803ull},
      {{284, 215, 355, 264, 3, 3}, 86400000, 89 * 120, 15437984193344786034ull},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tick);
    Cells ref = Ref(c.args, c.tick);
    Cells got = Dissolve(c.args, c.tick);
    ExpectSameCells(got, ref);
    EXPECT_EQ(got.size(), c.count);
    EXPECT_EQ(Digest(got), c.digest);
  }
}

TEST(DissolveTiles, EveryCellOfOddSizedAreasOnce) {
  // Sides that are not multiples of the tile: the last column and row reach
  // past the area and are copied whole, from the same place.
  const DissolveTilesArgs areas[] = {
      {0, 0, 13, 9, 4, 4}, {5, 7, 641, 479, 4, 4}, {0, 0, 355, 264, 3, 3}, {-3, -3, 2, 2, 5, 5}};
  for (const DissolveTilesArgs& a : areas) {
    for (uint32_t tick : {0u, 1u, 65535u, 4000000000u}) {
      SCOPED_TRACE(testing::Message() << a.w << "x" << a.h << " tick " << tick);
      Cells cells = Dissolve(a, tick);
      const int64_t cols = CeilDiv(a.w, a.tileW), rows = CeilDiv(a.h, a.tileH);
      ASSERT_EQ(cells.size(), static_cast<size_t>((rows + 1) * (cols + 1)));
      auto counts = Counts(cells);
      for (int64_t r = 0; r < rows; ++r) {
        for (int64_t c = 0; c < cols; ++c) {
          ASSERT_GE(At(counts, a.x0 + c * a.tileW, a.y0 + r * a.tileH), 1) << c << "," << r;
        }
      }
      EXPECT_GE(At(counts, a.x0, a.y0 + rows * a.tileH), 1);
      EXPECT_EQ(counts.size(), static_cast<size_t>(rows * cols + 1));
      // The last column starts inside the area and ends past it when w is not a multiple.
      int32_t maxX = a.x0;
      for (const TransitionCell& c : cells) maxX = std::max(maxX, c.x);
      EXPECT_EQ(maxX, a.x0 + (cols - 1) * a.tileW);
      EXPECT_LT(maxX, a.x0 + a.w);
    }
  }
}

TEST(DissolveTiles, DifferentTicksGiveDifferentOrders) {
  std::set<uint64_t> digests;
  for (uint32_t tick = 5000000; tick < 5000100; ++tick) {
    digests.insert(Digest(Dissolve({0, 0, 640, 480, 4, 4}, tick)));
  }
  // Consecutive ticks move the generator's first value by about 3.3: a few
  // neighbours may share a start, nearly all differ.
  EXPECT_GE(digests.size(), 95u);
  EXPECT_NE(Digest(Dissolve({0, 0, 64, 48, 4, 4}, 1)), Digest(Dissolve({0, 0, 64, 48, 4, 4}, 2)));
}

TEST(DissolveTiles, RefusedAreas) {
  struct Case {
    DissolveTilesArgs args;
    TransitionStatus status;
  } cases[] = {
      {{0, 0, 0, 480, 4, 4}, TransitionStatus::kEmpty},
      {{0, 0, 640, 0, 4, 4}, TransitionStatus::kEmpty},
      {{0, 0, -640, 480, 4, 4}, TransitionStatus::kEmpty},
      {{0, 0, 640, -1, 4, 4}, TransitionStatus::kEmpty},
      {{0, 0, 640, 480, 0, 4}, TransitionStatus::kEmpty},
      {{0, 0, 640, 480, 4, -4}, TransitionStatus::kEmpty},
      {{0, 0, INT32_MAX, INT32_MAX, 1, 1}, TransitionStatus::kTooLarge},
      // (rows + 1) x (cols + 1) = 65536 x 32768 = 2^31: one too many.
      {{0, 0, 32767, 65535, 1, 1}, TransitionStatus::kTooLarge},
      // Cells whose edges leave the 32-bit range.
      {{INT32_MAX - 10, 0, 20, 4, 4, 4}, TransitionStatus::kTooLarge},
      {{0, INT32_MAX - 4, 4, 4, 4, 4}, TransitionStatus::kTooLarge},  // the cell below the last row
      {{0, 0, 4, 4, INT32_MAX, 4}, TransitionStatus::kOk},            // one cell 2^31 - 1 wide
      {{1, 0, 4, 4, INT32_MAX, 4}, TransitionStatus::kTooLarge},
      {{INT32_MAX - 16, INT32_MAX - 8, 16, 4, 4, 4}, TransitionStatus::kOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.args.x0 << "," << c.args.y0 << " " << c.args.w << "x"
                                    << c.args.h << " tile " << c.args.tileW << "x" << c.args.tileH);
    DissolveTilesOrder order(c.args, 1);
    EXPECT_EQ(order.status(), c.status);
    if (c.status != TransitionStatus::kOk) {
      EXPECT_EQ(order.copyCount(), 0u);
      TransitionCell cell;
      EXPECT_FALSE(order.Next(&cell));
    } else {
      Cells cells = Collect(order);
      EXPECT_EQ(cells.size(), order.copyCount());
      ExpectSameCells(cells, Ref(c.args, 1));
    }
  }
}

TEST(DissolveTiles, LargestAcceptedCountUsesTwoToThe31) {
  // 65535 x 32768 copies = 2^31 - 2^15: accepted, P = 2^31. The first cells
  // still follow the reference (the whole run is too long for a test).
  const DissolveTilesArgs args{0, 0, 32767, 65534, 1, 1};
  DissolveTilesGeometry g = DissolveTilesLayout(args);
  ASSERT_EQ(g.status, TransitionStatus::kOk);
  EXPECT_EQ(g.copies, 2147450880);
  EXPECT_EQ(g.modulus, 2147483648u);
  DissolveTilesOrder order(args, 99);
  EXPECT_EQ(order.copyCount(), 2147450880u);
  // Reference for the first cells, with the wide arithmetic of RefDissolve.
  uint64_t v = static_cast<uint64_t>(Lcg(99).Next()) % (uint64_t{1} << 31);
  const uint64_t cells = 32767ull * 65534ull;
  TransitionCell cell;
  for (int i = 0; i < 1000; ++i) {
    do {
      v = (5 * v + 1) % (uint64_t{1} << 31);
    } while (v > cells);
    ASSERT_TRUE(order.Next(&cell));
    ASSERT_EQ(cell.x, static_cast<int32_t>(v % 32767)) << i;
    ASSERT_EQ(cell.y, static_cast<int32_t>(v / 32767)) << i;
  }
}

// ---------------------------------------------------------------------------
// SweepBands

TEST(SweepBands, FullScreenBandsOfTwenty) {
  const SweepBandsArgs args{0, 0, 640, 480, 20, 5, 5, 5};
  SweepBandsGeometry g = SweepBandsLayout(args);
  EXPECT_EQ(g.status, TransitionStatus::kOk);
  EXPECT_EQ(g.bands, 32);
  EXPECT_EQ(g.bandCols, 4);
  EXPECT_EQ(g.rows, 96);
  EXPECT_EQ(g.cells, 384);
  EXPECT_EQ(g.modulus, 512u);

  for (uint32_t tick : {0u, 777u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(tick);
    SweepBandsOrder order(args, tick);
    Cells cells = Collect(order);
    EXPECT_EQ(cells.size(), SweepBandsOrder::CountCopies(args, tick));
    // Every band is stepped at least P times: each of its 385 values <= cells at least once.
    EXPECT_GE(cells.size(), 32u * 385u);
    auto counts = Counts(cells);
    for (int y = 0; y < 480; y += 5) {
      for (int x = 0; x < 640; x += 5) ASSERT_GE(At(counts, x, y), 1) << x << "," << y;
    }
    for (int band = 0; band < 32; ++band) {
      EXPECT_GE(At(counts, band * 20, 480), 1) << "cell below band " << band;
    }
    EXPECT_EQ(counts.size(), 32u * 385u) << "nothing else is copied";
    for (const TransitionCell& c : cells) {
      ASSERT_GE(c.x, 0) << "lead-in bands are never drawn";
      ASSERT_EQ(c.w, 5);
      ASSERT_EQ(c.h, 5);
    }
    // The reveal starts at the left edge at once.
    EXPECT_LT(cells.front().x, 20);
  }
}

TEST(SweepBands, MatchesTheReferenceOverManyAreasAndSeeds) {
  const SweepBandsArgs areas[] = {
      {0, 0, 640, 480, 20, 5, 5, 5},     {0, 0, 800, 600, 20, 5, 5, 5},
      {284, 215, 352, 264, 15, 5, 3, 3}, {0, 0, 152, 112, 20, 5, 6, 6},
      {0, 0, 10, 30, 15, 5, 3, 3},       {-40, 9, 97, 13, 7, 3, 2, 4},
      {0, 0, 30, 10, 10, 5, 5, 5},       {0, 0, 64, 8, 8, 1, 4, 4},
      {0, 0, 50, 50, 4, 9, 4, 4},        {0, 0, 21, 21, 20, 5, 30, 30},
      {0, 0, 200, 7, 3, 2, 1, 1},        {0, 0, 45, 16, 15, 20, 3, 3},
      {0, 0, 100, 40, 10, 1, 2, 2},  // wave 1: band 0 is the first record, multiplier 5
  };
  for (const SweepBandsArgs& a : areas) {
    for (uint32_t s = 0; s < 8; ++s) {
      const uint32_t tick = Mix(s * 104729 + static_cast<uint32_t>(a.w * 31 + a.wave));
      SCOPED_TRACE(testing::Message()
                   << a.w << "x" << a.h << " band " << a.bandWidth << " wave " << a.wave << " tile "
                   << a.tileW << "x" << a.tileH << " tick " << tick);
      ExpectSameCells(Sweep(a, tick), Ref(a, tick));
    }
  }
}

TEST(SweepBands, GoldenDigests) {
  struct Case {
    SweepBandsArgs args;
    uint32_t tick;
    size_t count;
    uint64_t digest;
  } cases[] = {
      // 32 bands x 385 values <= cells, and the repeats of the last turns.
      {{0, 0, 640, 480, 20, 5, 5, 5}, 0, 12365, 2820815881480999620ull},
      {{0, 0, 640, 480, 20, 5, 5, 5}, 0xDEADBEEF, 12365, 16008983412633602060ull},
      // The backdrop: 24 bands of 5 x 88 cells, P 512.
      {{284, 215, 352, 264, 15, 5, 3, 3}, 86400000, 10622, 15004403873575846272ull},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tick);
    Cells ref = Ref(c.args, c.tick);
    Cells got = Sweep(c.args, c.tick);
    ExpectSameCells(got, ref);
    EXPECT_EQ(got.size(), c.count);
    EXPECT_EQ(Digest(got), c.digest);
  }
}

// Bands of 2 x 2 cells (P = 4 = cells): every step of a real band copies a
// cell, so the order of bands in the copies shows the turns. With P below
// the wave the front moves on after every turn.
TEST(SweepBands, TurnsStepTheFrontWaveTimesAndThinOutBehind) {
  const SweepBandsArgs args{0, 0, 30, 10, 10, 5, 5, 5};  // 3 bands, band cells 4
  ASSERT_EQ(SweepBandsLayout(args).modulus, 4u);
  std::vector<int> order;
  for (const TransitionCell& c : Sweep(args, 12345)) order.push_back(c.x / 10);
  const std::vector<int> expected = {
      0,                                   // turn 1: front -4, band 0 once
      0, 1, 0,                             // turn 2: band 0 twice, band 1 once
      0, 1, 2, 0, 1, 0,                    // turn 3
      0, 1, 2, 0, 1, 2, 0, 1, 0,           // turn 4
      0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 0,  // turn 5: band 0 is the front, 5 steps
      1, 2, 1, 2, 1, 2, 1, 2, 1,           // turn 6: band 1 in front
      2, 2, 2, 2, 2,                       // turn 7
  };
  EXPECT_EQ(order, expected);
}

// With P far above the wave the front stays for several turns; while band k
// is in front, band 0 gets 5 + k steps a turn (k = -4 .. 0), and once in
// front 5 a turn until it has had its P steps.
TEST(SweepBands, FirstRealBandStepsGrowWithTheFront) {
  // One band of 8 x 8 = 64 cells, P = 64: every step copies.
  const SweepBandsArgs args{0, 0, 8, 8, 8, 5, 1, 1};
  Cells cells = Sweep(args, 4242);
  // Band -4 needs ceil(64 / 5) = 13 turns in front: band 0 gets 13 x 1 steps;
  // band -3 had 13 x 4 = 52, needs 12 more: 3 turns of 5, band 0 gets 3 x 2;
  // band -2 had 13 x 3 + 3 x 4 = 51: 3 turns, 3 x 3; band -1 had
  // 13 x 2 + 3 x 3 + 3 x 4 = 47: 4 turns, 4 x 4; band 0 had
  // 13 + 6 + 9 + 16 = 44, needs 20: 4 turns of 5.
  EXPECT_EQ(cells.size(), 13u + 6u + 9u + 16u + 20u);
  // Band 0 alone: its copies are its own sequence from its start, multiplier
  // 21, each value a cell (no value exceeds 63).
  uint32_t v = 4242 % 64;
  for (int i = 0; i < 4; ++i) v = (5 * v + 1) % 64;  // starts of bands -3 .. 0
  for (size_t i = 0; i < cells.size(); ++i) {
    v = (21 * v + 1) % 64;
    ASSERT_EQ(cells[i].x, static_cast<int32_t>(v % 8)) << i;
    ASSERT_EQ(cells[i].y, static_cast<int32_t>(v / 8)) << i;
  }
}

TEST(SweepBands, BackdropNarrowerThanOneBand) {
  // A single real band (0) behind four lead-ins: a plain dissolve of that
  // band, copied whole (5 columns of 3 = 15 pixels) past the area's 10.
  const SweepBandsArgs args{284, 215, 10, 264, 15, 5, 3, 3};
  SweepBandsGeometry g = SweepBandsLayout(args);
  EXPECT_EQ(g.bands, 1);
  EXPECT_EQ(g.cells, 5 * 88);
  EXPECT_EQ(g.modulus, 512u);
  for (uint32_t tick : {1u, 999u, 3000000000u}) {
    SCOPED_TRACE(tick);
    Cells cells = Sweep(args, tick);
    ExpectSameCells(cells, Ref(args, tick));
    auto counts = Counts(cells);
    EXPECT_EQ(counts.size(), 441u);
    for (int r = 0; r < 88; ++r) {
      for (int c = 0; c < 5; ++c) ASSERT_GE(At(counts, 284 + 3 * c, 215 + 3 * r), 1);
    }
    EXPECT_GE(At(counts, 284, 215 + 264), 1);
    // Its sequence: start four steps of 5v + 1 on from tick mod P, multiplier 21.
    uint32_t v = tick % 512;
    for (int i = 0; i < 4; ++i) v = (5 * v + 1) % 512;
    size_t i = 0;
    while (i < cells.size()) {
      v = (21 * v + 1) % 512;
      if (v > 440) continue;
      ASSERT_EQ(cells[i].x, static_cast<int32_t>(284 + 3 * (v % 5))) << i;
      ASSERT_EQ(cells[i].y, static_cast<int32_t>(215 + 3 * (v / 5))) << i;
      ++i;
    }
  }
}

TEST(SweepBands, WidthsNotAMultipleOfTheBandOrTile) {
  // 97 = 13 x 7 + 6: the last band of 7 pixels starts at 84 and is copied
  // whole; tiles of 2 over a band of 7 make 4 columns (8 pixels).
  const SweepBandsArgs args{0, 0, 97, 13, 7, 3, 2, 4};
  SweepBandsGeometry g = SweepBandsLayout(args);
  EXPECT_EQ(g.bands, 14);
  EXPECT_EQ(g.bandCols, 4);
  EXPECT_EQ(g.rows, 4);
  Cells cells = Sweep(args, 31337);
  auto counts = Counts(cells);
  for (int band = 0; band < 14; ++band) {
    for (int r = 0; r < 4; ++r) {
      for (int c = 0; c < 4; ++c) ASSERT_GE(At(counts, band * 7 + 2 * c, 4 * r), 1);
    }
  }
  int32_t maxX = 0;
  for (const TransitionCell& c : cells) maxX = std::max(maxX, c.x);
  EXPECT_EQ(maxX, 13 * 7 + 6);
}

TEST(SweepBands, TheWaveMovesRight) {
  // Each band's first copy comes after the first copy of the band to its left.
  for (uint32_t s = 0; s < 40; ++s) {
    const SweepBandsArgs args{0, 0, 640, 480, 20, 5, 5, 5};
    SweepBandsOrder order(args, Mix(s));
    std::vector<int64_t> firstSeen(32, -1);
    TransitionCell cell;
    int64_t index = 0;
    while (order.Next(&cell)) {
      const int64_t band = order.lastBand();
      ASSERT_EQ(band, cell.x / 20);
      if (firstSeen[band] < 0) firstSeen[band] = index;
      ++index;
    }
    for (int band = 1; band < 32; ++band) EXPECT_LT(firstSeen[band - 1], firstSeen[band]);
  }
}

TEST(SweepBands, DifferentTicksGiveDifferentOrders) {
  std::set<uint64_t> digests;
  for (uint32_t tick = 86400000; tick < 86400000 + 100; ++tick) {
    digests.insert(Digest(Sweep({0, 0, 640, 480, 20, 5, 5, 5}, tick)));
  }
  EXPECT_EQ(digests.size(), 100u);  // starts differ mod 512
  // Ticks 512 apart start every band at the same place.
  EXPECT_EQ(Digest(Sweep({0, 0, 640, 480, 20, 5, 5, 5}, 1000)),
            Digest(Sweep({0, 0, 640, 480, 20, 5, 5, 5}, 1512)));
}

TEST(SweepBands, RefusedArguments) {
  struct Case {
    SweepBandsArgs args;
    TransitionStatus status;
  } cases[] = {
      {{0, 0, 0, 480, 20, 5, 5, 5}, TransitionStatus::kEmpty},
      {{0, 0, 640, 0, 20, 5, 5, 5}, TransitionStatus::kEmpty},
      {{0, 0, 640, 480, 0, 5, 5, 5}, TransitionStatus::kEmpty},
      {{0, 0, 640, 480, 20, 0, 5, 5}, TransitionStatus::kEmpty},
      {{0, 0, 640, 480, 20, -3, 5, 5}, TransitionStatus::kEmpty},
      {{0, 0, 640, 480, 20, 5, 0, 5}, TransitionStatus::kEmpty},
      {{0, 0, 640, 480, 20, 5, 5, -5}, TransitionStatus::kEmpty},
      {{0, 0, 640, 480, 20, kMaxSweepWave + 1, 5, 5}, TransitionStatus::kTooLarge},
      {{0, 0, 65536, 32768, 65536, 5, 1, 1}, TransitionStatus::kTooLarge},      // 2^31 cells
      {{INT32_MAX - 30, 0, 30, 10, 20, 5, 5, 5}, TransitionStatus::kTooLarge},  // last band
      {{INT32_MAX - 40, 0, 30, 10, 20, 5, 5, 5}, TransitionStatus::kOk},
      {{0, 0, 640, 480, 20, kMaxSweepWave, 20, 480}, TransitionStatus::kOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.args.w << "x" << c.args.h << " band " << c.args.bandWidth
                                    << " wave " << c.args.wave);
    SweepBandsOrder order(c.args, 7);
    EXPECT_EQ(order.status(), c.status);
    if (c.status != TransitionStatus::kOk) {
      TransitionCell cell;
      EXPECT_FALSE(order.Next(&cell));
      EXPECT_EQ(SweepBandsOrder::CountCopies(c.args, 7), 0u);
    }
  }
}

TEST(SweepBands, ALongLeadInRunsToTheEnd) {
  // One cell a band: P = 1, so every step of band 0 or 1 copies their only
  // cell; 99 lead-in bands go first.
  const SweepBandsArgs args{0, 0, 40, 10, 20, 100, 20, 10};
  Cells cells = Sweep(args, 3);
  ExpectSameCells(cells, Ref(args, 3));
  for (const TransitionCell& c : cells) EXPECT_TRUE(c.x == 0 || c.x == 20);
}

// ---------------------------------------------------------------------------
// The callback and template forms hand out the same cells as the orders.

void Append(void* context, const TransitionCell& cell) {
  static_cast<Cells*>(context)->push_back(cell);
}

TEST(TransitionForms, VisitorsAndIteratorsAgree) {
  const DissolveTilesArgs d{3, 4, 100, 60, 4, 4};
  const SweepBandsArgs s{3, 4, 100, 60, 20, 5, 5, 5};
  for (uint32_t tick : {10u, 20u}) {
    Cells viaCallback;
    Lcg random;
    EXPECT_EQ(VisitDissolveTiles(d, tick, &random, Append, &viaCallback),
              DissolveTilesOrder(d, tick).copyCount());
    ExpectSameCells(viaCallback, Dissolve(d, tick));

    Cells sweepCallback;
    EXPECT_EQ(VisitSweepBands(s, tick, Append, &sweepCallback),
              SweepBandsOrder::CountCopies(s, tick));
    ExpectSameCells(sweepCallback, Sweep(s, tick));

    const TransitionChoice dissolve{TransitionKind::kDissolveTiles, 4, 4, 0, 0};
    const TransitionChoice sweep{TransitionKind::kSweepBands, 5, 5, 20, 5};
    Cells byChoice;
    VisitTransition(dissolve, 3, 4, 100, 60, tick, nullptr, Append, &byChoice);
    ExpectSameCells(byChoice, Dissolve(d, tick));
    Cells byTemplate;
    uint64_t n = ForEachTransitionCell(sweep, 3, 4, 100, 60, tick, nullptr,
                                       [&](const TransitionCell& c) { byTemplate.push_back(c); });
    EXPECT_EQ(n, byTemplate.size());
    ExpectSameCells(byTemplate, Sweep(s, tick));
  }
}

// ---------------------------------------------------------------------------
// The extent covers every cell a run copies, and is reached: a fade's solid
// bitmap of that size leaves no cell reading outside it.

template <typename Args>
void ExpectExtentCoversTheCells(const Args& args, const TransitionExtent& extent,
                                const Cells& cells) {
  ASSERT_FALSE(cells.empty());
  int64_t right = 0, bottom = 0;
  for (const TransitionCell& c : cells) {
    ASSERT_GE(c.x, args.x0);
    ASSERT_GE(c.y, args.y0);
    ASSERT_LE(int64_t{c.x} + c.w, extent.right) << c.x << "," << c.y;
    ASSERT_LE(int64_t{c.y} + c.h, extent.bottom) << c.x << "," << c.y;
    right = std::max(right, int64_t{c.x} + c.w);
    bottom = std::max(bottom, int64_t{c.y} + c.h);
  }
  EXPECT_EQ(right, extent.right);
  EXPECT_EQ(bottom, extent.bottom);
}

TEST(TransitionExtent, CoversEveryDissolveCellBeyondTheArea) {
  const DissolveTilesArgs cases[] = {
      {0, 0, 640, 480, 6, 6},   // the fade over a 640 x 480 window: 642 x 486
      {0, 0, 1024, 768, 6, 6},  // 1026 x 774
      {0, 0, 152, 112, 6, 6},   // the preview
      {0, 0, 1366, 768, 5, 5}, {7, 9, 33, 17, 4, 3},
  };
  for (const DissolveTilesArgs& a : cases) {
    SCOPED_TRACE(testing::Message() << a.w << " x " << a.h << " tiles " << a.tileW);
    const TransitionExtent extent = DissolveTilesExtent(a);
    EXPECT_GE(extent.right, a.x0 + a.w);
    EXPECT_GT(extent.bottom, a.y0 + a.h);
    for (uint32_t tick : {1u, 777u}) ExpectExtentCoversTheCells(a, extent, Dissolve(a, tick));
  }
  EXPECT_EQ(DissolveTilesExtent({0, 0, 640, 480, 6, 6}).right, 642);
  EXPECT_EQ(DissolveTilesExtent({0, 0, 640, 480, 6, 6}).bottom, 486);
}

TEST(TransitionExtent, CoversEverySweepCellBeyondTheArea) {
  const SweepBandsArgs cases[] = {
      {0, 0, 640, 480, 20, 5, 6, 6},   // bands of 20 in cells of 6: each band 24 wide
      {0, 0, 1024, 768, 20, 5, 6, 6},  // 512 cells a band, P = 512: none below the last row
      {0, 0, 152, 112, 20, 5, 6, 6},  {0, 0, 1366, 768, 20, 5, 5, 5}, {5, 3, 47, 13, 15, 5, 3, 3},
  };
  for (const SweepBandsArgs& a : cases) {
    SCOPED_TRACE(testing::Message() << a.w << " x " << a.h << " tiles " << a.tileW);
    const TransitionExtent extent = SweepBandsExtent(a);
    EXPECT_GE(extent.right, a.x0 + a.w);
    EXPECT_GE(extent.bottom, a.y0 + a.h);
    for (uint32_t tick : {1u, 777u}) ExpectExtentCoversTheCells(a, extent, Sweep(a, tick));
  }
  // 32 bands of 20 from 0; the last band's 4 cells of 6 reach 620 + 24.
  EXPECT_EQ(SweepBandsExtent({0, 0, 640, 480, 20, 5, 6, 6}).right, 644);
  EXPECT_EQ(SweepBandsExtent({0, 0, 640, 480, 20, 5, 6, 6}).bottom, 486);
  EXPECT_EQ(SweepBandsExtent({0, 0, 1024, 768, 20, 5, 6, 6}).bottom, 768);
}

TEST(TransitionExtent, RefusedAreasReachNothing) {
  EXPECT_EQ(DissolveTilesExtent({0, 0, 0, 480, 6, 6}).right, 0);
  EXPECT_EQ(SweepBandsExtent({0, 0, 640, 480, 20, 0, 6, 6}).bottom, 0);
}

}  // namespace
