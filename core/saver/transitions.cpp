#include "saver/transitions.h"

#include <new>

namespace {

constexpr int64_t kMaxCoordinate = 0x7FFFFFFF;

int64_t Min(int64_t a, int64_t b) {
  return a < b ? a : b;
}

// Whether every cell edge of a run stays a 32-bit coordinate: the right edge
// of the rightmost cell and the bottom of the cell below the last row.
bool EdgesFit(int32_t x0, int32_t y0, int64_t rightExtent, int64_t rows, int32_t tileH) {
  return x0 + rightExtent <= kMaxCoordinate && y0 + (rows + 1) * tileH <= kMaxCoordinate;
}

}  // namespace

const int32_t kSweepPrimes[kSweepPrimeCount] = {5,  7,  11, 13, 17, 19, 23, 29, 31, 37,
                                                41, 43, 47, 53, 59, 61, 67, 71, 73, 79};

uint32_t TransitionModulus(int64_t n) {
  uint64_t p = 1;
  while (static_cast<int64_t>(p) < n) p <<= 1;
  return static_cast<uint32_t>(p);
}

uint32_t SweepBandMultiplier(int64_t band) {
  int64_t entry = band % kSweepPrimeCount;
  if (entry < 0) entry += kSweepPrimeCount;
  return static_cast<uint32_t>(4 * kSweepPrimes[entry] + 1);
}

DissolveTilesGeometry DissolveTilesLayout(const DissolveTilesArgs& a) {
  DissolveTilesGeometry g;
  if (a.w <= 0 || a.h <= 0 || a.tileW <= 0 || a.tileH <= 0) return g;
  g.cols = CeilDiv(a.w, a.tileW);
  g.rows = CeilDiv(a.h, a.tileH);
  g.cells = g.rows * g.cols;
  g.copies = (g.rows + 1) * (g.cols + 1);
  if (g.copies > kMaxTransitionCount || !EdgesFit(a.x0, a.y0, g.cols * a.tileW, g.rows, a.tileH)) {
    g.status = TransitionStatus::kTooLarge;
    return g;
  }
  g.modulus = TransitionModulus(g.copies);
  g.status = TransitionStatus::kOk;
  return g;
}

DissolveTilesOrder::DissolveTilesOrder(const DissolveTilesArgs& args, uint32_t tick,
                                       Lcg* threadRandom)
    : args_(args), layout_(DissolveTilesLayout(args)) {
  Lcg local;
  Lcg* random = threadRandom ? threadRandom : &local;
  random->Seed(tick);
  const uint32_t first = static_cast<uint32_t>(random->Next());
  if (layout_.status != TransitionStatus::kOk) return;
  mask_ = layout_.modulus - 1;
  start_ = first & mask_;  // P is a power of two: the mask is mod P
  value_ = start_;
}

bool DissolveTilesOrder::Next(TransitionCell* cell) {
  if (layout_.status != TransitionStatus::kOk) return false;
  const uint64_t cells = static_cast<uint64_t>(layout_.cells);
  while (copied_ < layout_.copies) {
    value_ = (5 * value_ + 1) & mask_;  // wraps mod 2^32, which P divides
    if (value_ > cells) continue;
    const int64_t column = value_ % layout_.cols;
    const int64_t row = value_ / layout_.cols;
    cell->x = static_cast<int32_t>(args_.x0 + args_.tileW * column);
    cell->y = static_cast<int32_t>(args_.y0 + args_.tileH * row);
    cell->w = args_.tileW;
    cell->h = args_.tileH;
    ++copied_;
    return true;
  }
  return false;
}

SweepBandsGeometry SweepBandsLayout(const SweepBandsArgs& a) {
  SweepBandsGeometry g;
  if (a.w <= 0 || a.h <= 0 || a.bandWidth <= 0 || a.wave <= 0 || a.tileW <= 0 || a.tileH <= 0) {
    return g;
  }
  g.bands = CeilDiv(a.w, a.bandWidth);
  g.bandCols = CeilDiv(a.bandWidth, a.tileW);
  g.rows = CeilDiv(a.h, a.tileH);
  g.cells = g.rows * g.bandCols;
  const int64_t rightExtent = (g.bands - 1) * a.bandWidth + g.bandCols * a.tileW;
  if (g.cells > kMaxTransitionCount || a.wave > kMaxSweepWave ||
      !EdgesFit(a.x0, a.y0, rightExtent, g.rows, a.tileH)) {
    g.status = TransitionStatus::kTooLarge;
    return g;
  }
  g.modulus = TransitionModulus(g.cells);
  g.status = TransitionStatus::kOk;
  return g;
}

TransitionExtent DissolveTilesExtent(const DissolveTilesArgs& a) {
  const DissolveTilesGeometry g = DissolveTilesLayout(a);
  if (g.status != TransitionStatus::kOk) return {};
  return {a.x0 + g.cols * a.tileW, a.y0 + (g.rows + 1) * a.tileH};
}

TransitionExtent SweepBandsExtent(const SweepBandsArgs& a) {
  const SweepBandsGeometry g = SweepBandsLayout(a);
  if (g.status != TransitionStatus::kOk) return {};
  // The value equal to cells only comes up when it is below P.
  const int64_t rowsCopied = g.rows + (g.cells < static_cast<int64_t>(g.modulus) ? 1 : 0);
  return {a.x0 + (g.bands - 1) * a.bandWidth + g.bandCols * a.tileW, a.y0 + rowsCopied * a.tileH};
}

SweepBandsOrder::SweepBandsOrder(const SweepBandsArgs& args, uint32_t tick)
    : args_(args), layout_(SweepBandsLayout(args)), status_(layout_.status) {
  if (status_ != TransitionStatus::kOk) return;
  wave_ = args.wave;
  bands_.reset(new (std::nothrow) Band[static_cast<size_t>(wave_)]);
  if (!bands_) {
    status_ = TransitionStatus::kOutOfMemory;
    return;
  }
  mask_ = layout_.modulus - 1;
  first_ = 1 - wave_;
  lastStart_ = tick & mask_;
  // Bands 1 - wave .. 0 are stepped in the first turn; bands >= 1 come in as
  // the front moves on (there is always at least band 0).
  for (int64_t band = first_; band <= 0; ++band) AddBand(band);
  front_ = first_;
  n_ = wave_;
  next_ = front_;
  passEnd_ = Min(front_ + n_, layout_.bands);
}

void SweepBandsOrder::AddBand(int64_t band) {
  Band& b = Record(band);
  if (band == first_) {
    b.multiplier = 5;  // lastStart_ holds tick mod P
  } else {
    lastStart_ = (5 * lastStart_ + 1) & mask_;
    b.multiplier = SweepBandMultiplier(band);
  }
  b.value = lastStart_;
  b.stepsLeft = static_cast<int64_t>(layout_.modulus);
}

bool SweepBandsOrder::Next(TransitionCell* cell) {
  if (status_ != TransitionStatus::kOk) return false;
  const uint64_t cells = static_cast<uint64_t>(layout_.cells);
  while (front_ < layout_.bands) {
    if (next_ < passEnd_) {
      const int64_t band = next_++;
      Band& b = Record(band);
      b.value = (b.multiplier * b.value + 1) & mask_;
      --b.stepsLeft;
      if (band < 0 || b.value > cells) continue;
      const int64_t column = b.value % layout_.bandCols;
      const int64_t row = b.value / layout_.bandCols;
      cell->x = static_cast<int32_t>(args_.x0 + band * args_.bandWidth + args_.tileW * column);
      cell->y = static_cast<int32_t>(args_.y0 + args_.tileH * row);
      cell->w = args_.tileW;
      cell->h = args_.tileH;
      lastBand_ = band;
      return true;
    }
    if (n_ > 1) {
      --n_;
    } else {
      // End of a turn: the front moves on once it has had its P steps, and
      // the band wave - 1 behind the new front comes in.
      if (Record(front_).stepsLeft <= 0) {
        ++front_;
        const int64_t incoming = front_ + wave_ - 1;
        if (incoming < layout_.bands) AddBand(incoming);
      }
      n_ = wave_;
    }
    next_ = front_;
    passEnd_ = Min(front_ + n_, layout_.bands);
  }
  return false;
}

uint64_t SweepBandsOrder::CountCopies(const SweepBandsArgs& args, uint32_t tick) {
  SweepBandsOrder order(args, tick);
  TransitionCell cell;
  uint64_t count = 0;
  while (order.Next(&cell)) ++count;
  return count;
}

namespace {

template <typename Order>
uint64_t VisitOrder(Order* order, TransitionVisitor visit, void* context) {
  TransitionCell cell;
  uint64_t count = 0;
  while (order->Next(&cell)) {
    visit(context, cell);
    ++count;
  }
  return count;
}

}  // namespace

uint64_t VisitDissolveTiles(const DissolveTilesArgs& args, uint32_t tick, Lcg* threadRandom,
                            TransitionVisitor visit, void* context) {
  DissolveTilesOrder order(args, tick, threadRandom);
  return VisitOrder(&order, visit, context);
}

uint64_t VisitSweepBands(const SweepBandsArgs& args, uint32_t tick, TransitionVisitor visit,
                         void* context) {
  SweepBandsOrder order(args, tick);
  return VisitOrder(&order, visit, context);
}

uint64_t VisitTransition(const TransitionChoice& choice, int32_t x0, int32_t y0, int32_t w,
                         int32_t h, uint32_t tick, Lcg* threadRandom, TransitionVisitor visit,
                         void* context) {
  return ForEachTransitionCell(choice, x0, y0, w, h, tick, threadRandom,
                               [&](const TransitionCell& cell) { visit(context, cell); });
}
