// Cell orders of the screen saver's transitions (module tri1). A transition
// copies a picture from a source device context to the window in cells of
// tileW x tileH pixels, one BitBlt (SRCCOPY, the same coordinates in source
// and destination) per cell, in a pseudo-random order. The generators here
// hand out those cells in the exact order the copies must be made; the
// Win32 side turns each cell into one BitBlt and keeps no state of its own.
//
// Both orders walk a linear congruential sequence modulo a power of two P:
// value <- (a x value + 1) mod P with a = 4k + 1, which visits every value
// below P once in any P consecutive steps. A cell grid of an area has
// ceil(w / tileW) columns and ceil(h / tileH) rows, numbered row by row; the
// last column and row may reach past the area and are copied whole, and the
// value equal to the cell count (column 0, one row below the last) is
// copied too.
//
// Refused areas hand out no cells (status() says why): a side, tile, band
// width or wave of 0 or less; a count N (copies of DissolveTiles, cells of
// one band of SweepBands) of 2^31 or more; a wave above kMaxSweepWave; any
// cell edge outside the 32-bit coordinate range.
#pragma once

#include <cstdint>
#include <memory>

#include "saver/lcg.h"

// One block copy: x, y of the top-left corner (destination coordinates, the
// same in the source), w x h the tile size.
struct TransitionCell {
  int32_t x = 0;
  int32_t y = 0;
  int32_t w = 0;
  int32_t h = 0;
  bool operator==(const TransitionCell& o) const {
    return x == o.x && y == o.y && w == o.w && h == o.h;
  }
};

enum class TransitionStatus {
  kOk,
  kEmpty,        // a side, tile, band width or wave of 0 or less: nothing to copy
  kTooLarge,     // N of 2^31 or more, wave above kMaxSweepWave, or coordinates overflow
  kOutOfMemory,  // the band records could not be allocated
};

// Largest N the generators accept (N is below 2^31, so P is at most 2^31).
constexpr int64_t kMaxTransitionCount = 0x7FFFFFFF;
// Largest wave SweepBands accepts: every lead-in band is stepped at least P
// times without drawing, so a larger wave only burns time.
constexpr int32_t kMaxSweepWave = 65536;

// P for a count n: the smallest power of two at least n (n itself when it is
// one); 1 for n of 1 or less. n at most 2^31.
uint32_t TransitionModulus(int64_t n);

// ceil(a / b) for a >= 0, b > 0.
constexpr int64_t CeilDiv(int64_t a, int64_t b) {
  return a / b + (a % b != 0 ? 1 : 0);
}

// Arguments of DissolveTiles(dst, x0, y0, w, h, tileW, tileH, src).
struct DissolveTilesArgs {
  int32_t x0 = 0;
  int32_t y0 = 0;
  int32_t w = 0;
  int32_t h = 0;
  int32_t tileW = 0;
  int32_t tileH = 0;
};

// The grid of a DissolveTiles run: cols x rows cells; copies = (rows + 1) x
// (cols + 1) cells are copied; P = modulus for copies.
struct DissolveTilesGeometry {
  TransitionStatus status = TransitionStatus::kEmpty;
  int64_t cols = 0;
  int64_t rows = 0;
  int64_t cells = 0;
  int64_t copies = 0;
  uint32_t modulus = 0;
};
DissolveTilesGeometry DissolveTilesLayout(const DissolveTilesArgs& args);

// DissolveTiles: the calling thread's generator is seeded with `tick` (the
// routine's GetTickCount) and its next value modulo P is the start; then v <-
// (5v + 1) AND (P - 1), and every v <= cells copies the cell at column
// v mod cols, row v / cols, until `copies` cells have been copied. Pass the
// thread's own generator as threadRandom: the routine leaves it seeded and
// advanced once, which later choices on that thread follow (refused areas
// too). Without one a local generator is used. Allocates nothing.
class DissolveTilesOrder {
 public:
  DissolveTilesOrder(const DissolveTilesArgs& args, uint32_t tick, Lcg* threadRandom = nullptr);

  TransitionStatus status() const { return layout_.status; }
  const DissolveTilesGeometry& layout() const { return layout_; }
  // The value the sequence starts from: the generator's first value mod P.
  uint32_t start() const { return start_; }
  // Cells Next hands out in all: exactly `copies`, or 0 for a refused area.
  uint64_t copyCount() const { return status() == TransitionStatus::kOk ? layout_.copies : 0; }

  // The next cell to copy; false when the run is over.
  bool Next(TransitionCell* cell);

 private:
  DissolveTilesArgs args_;
  DissolveTilesGeometry layout_;
  uint32_t start_ = 0;
  uint32_t value_ = 0;
  uint32_t mask_ = 0;
  int64_t copied_ = 0;
};

// Arguments of SweepBands(dst, x0, y0, w, h, band width, wave, tileW, tileH, src).
struct SweepBandsArgs {
  int32_t x0 = 0;
  int32_t y0 = 0;
  int32_t w = 0;
  int32_t h = 0;
  int32_t bandWidth = 0;
  int32_t wave = 0;
  int32_t tileW = 0;
  int32_t tileH = 0;
};

// The bands of a SweepBands run: `bands` real bands of bandCols x rows
// cells from the left (the last may reach past the area), P = modulus for
// cells; band records exist for band numbers 1 - wave .. bands - 1.
struct SweepBandsGeometry {
  TransitionStatus status = TransitionStatus::kEmpty;
  int64_t bands = 0;
  int64_t bandCols = 0;
  int64_t rows = 0;
  int64_t cells = 0;
  uint32_t modulus = 0;
};
SweepBandsGeometry SweepBandsLayout(const SweepBandsArgs& args);

// How far the cells of a run reach: the right edge of the last column and
// the bottom of the cell below the last row (a band sweep copies that cell
// only when the cell count is below P). A solid bitmap that wide and high, from 0, 0, covers every
// cell a fade copies when the area starts at 0, 0. Both 0 for a refused area.
struct TransitionExtent {
  int64_t right = 0;
  int64_t bottom = 0;
};
TransitionExtent DissolveTilesExtent(const DissolveTilesArgs& args);
TransitionExtent SweepBandsExtent(const SweepBandsArgs& args);

// The multiplier table: the 20 primes 5, 7, 11, ..., 79.
constexpr int kSweepPrimeCount = 20;
extern const int32_t kSweepPrimes[kSweepPrimeCount];

// Multiplier of band i after the first record: 4 x prime + 1, the prime the
// table's entry i mod 20 taken from 0 to 19 (also for negative i). The first
// record (band 1 - wave) has multiplier 5.
uint32_t SweepBandMultiplier(int64_t band);

// SweepBands: band 1 - wave starts at `tick` mod P with multiplier 5, each
// following band at 5 x (previous band's start) + 1 mod P with its table
// multiplier. The front band k starts at 1 - wave; each turn steps, for n =
// wave down to 1, bands k .. min(k + n, bands) - 1 once each (so the front
// wave times, the band behind it wave - 1 times, ...), copying the cell of
// every value <= cells of a real band (number >= 0); after the turn the front
// moves on when it has been stepped at least P times. Lead-in bands (negative
// numbers) are stepped but never drawn. Keeps `wave` band records, allocated
// once here.
class SweepBandsOrder {
 public:
  SweepBandsOrder(const SweepBandsArgs& args, uint32_t tick);

  TransitionStatus status() const { return status_; }
  const SweepBandsGeometry& layout() const { return layout_; }

  // The next cell to copy; false when the run is over.
  bool Next(TransitionCell* cell);
  // The band the last cell handed out belongs to (0 .. bands - 1).
  int64_t lastBand() const { return lastBand_; }

  // Cells a run with these arguments and tick hands out in all: at least
  // bands x (min(cells + 1, P)); the repeats of the last turns depend on the
  // tick, so this runs the generator (no copies) through.
  static uint64_t CountCopies(const SweepBandsArgs& args, uint32_t tick);

 private:
  struct Band {
    uint32_t value = 0;
    uint32_t multiplier = 0;
    int64_t stepsLeft = 0;
  };
  Band& Record(int64_t band) { return bands_[static_cast<size_t>((band - first_) % wave_)]; }
  void AddBand(int64_t band);

  SweepBandsArgs args_;
  SweepBandsGeometry layout_;
  TransitionStatus status_ = TransitionStatus::kEmpty;
  std::unique_ptr<Band[]> bands_;  // a ring: band j in slot (j - first_) mod wave
  int64_t wave_ = 0;
  int64_t first_ = 0;       // 1 - wave
  int64_t front_ = 0;       // k
  int64_t next_ = 0;        // next band to step in this pass
  int64_t passEnd_ = 0;     // min(k + n, bands)
  int64_t n_ = 0;           // this pass steps bands k .. k + n - 1; n = wave .. 1
  uint32_t mask_ = 0;       // P - 1
  uint32_t lastStart_ = 0;  // start value of the last band added
  int64_t lastBand_ = -1;
};

// Which routine a random value picked, and its parameters.
enum class TransitionKind { kDissolveTiles, kSweepBands };
struct TransitionChoice {
  TransitionKind kind = TransitionKind::kDissolveTiles;
  int32_t tileW = 0;
  int32_t tileH = 0;
  int32_t bandWidth = 0;  // SweepBands only
  int32_t wave = 0;       // SweepBands only
};

// Callback form: visit(context, cell) once per cell, in copy order.
using TransitionVisitor = void (*)(void* context, const TransitionCell& cell);

// Runs DissolveTiles, SweepBands, or the one a choice names, over an area,
// calling visit once per cell in copy order. Returns the cells visited
// (0 for a refused area; check the order's status() to tell why).
uint64_t VisitDissolveTiles(const DissolveTilesArgs& args, uint32_t tick, Lcg* threadRandom,
                            TransitionVisitor visit, void* context);
uint64_t VisitSweepBands(const SweepBandsArgs& args, uint32_t tick, TransitionVisitor visit,
                         void* context);
uint64_t VisitTransition(const TransitionChoice& choice, int32_t x0, int32_t y0, int32_t w,
                         int32_t h, uint32_t tick, Lcg* threadRandom, TransitionVisitor visit,
                         void* context);

// The same with any callable taking a const TransitionCell&.
template <typename Visit>
uint64_t ForEachTransitionCell(const TransitionChoice& choice, int32_t x0, int32_t y0, int32_t w,
                               int32_t h, uint32_t tick, Lcg* threadRandom, Visit&& visit) {
  uint64_t count = 0;
  TransitionCell cell;
  if (choice.kind == TransitionKind::kDissolveTiles) {
    DissolveTilesOrder order({x0, y0, w, h, choice.tileW, choice.tileH}, tick, threadRandom);
    while (order.Next(&cell)) {
      visit(cell);
      ++count;
    }
  } else {
    SweepBandsOrder order({x0, y0, w, h, choice.bandWidth, choice.wave, choice.tileW, choice.tileH},
                          tick);
    while (order.Next(&cell)) {
      visit(cell);
      ++count;
    }
  }
  return count;
}
