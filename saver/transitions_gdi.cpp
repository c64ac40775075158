// The transitions (module tri1): the core hands out the cells in copy
// order; each becomes one BitBlt from the source DC to the destination at
// the same place. Nothing is paced: a transition takes as long as its copies.
#include <windows.h>

#include <cstdint>

#include "assert_report.h"
#include "gdi_owners.h"
#include "saver.h"

namespace {

bool Stopped(const std::atomic<bool>* stop) {
  return stop && stop->load(std::memory_order_relaxed);
}

// Each cell the order hands out, one BitBlt at the same place, until the
// order ends or the stop flag is set; the count of cells copied.
template <typename Order>
uint64_t CopyCells(HDC dst, HDC src, Order* order, const std::atomic<bool>* stop) {
  uint64_t copied = 0;
  TransitionCell c;
  while (!Stopped(stop) && order->Next(&c)) {
    BitBlt(dst, c.x, c.y, c.w, c.h, src, c.x, c.y, SRCCOPY);
    ++copied;
  }
  GdiFlush();
  return copied;
}

// A solid bitmap compatible with dst, right x bottom from 0, 0, selected into
// a memory DC for as long as it lives.
class SolidSource {
 public:
  SolidSource(HDC dst, COLORREF colour, int64_t right, int64_t bottom)
      : memory_(dst),
        bitmap_(right > 0 && bottom > 0 && right <= INT32_MAX && bottom <= INT32_MAX
                    ? CreateCompatibleBitmap(dst, static_cast<int>(right), static_cast<int>(bottom))
                    : nullptr),
        selected_(memory_.get(), bitmap_.get()) {
    if (!memory_ || !bitmap_) return;
    GdiObject<HBRUSH> brush(CreateSolidBrush(colour));
    RECT all = {0, 0, static_cast<LONG>(right), static_cast<LONG>(bottom)};
    FillRect(memory_.get(), &all, brush.get());
  }
  HDC get() const { return memory_.get(); }
  explicit operator bool() const { return memory_ && bitmap_; }

 private:
  MemoryDC memory_;
  GdiObject<HBITMAP> bitmap_;
  SelectGuard selected_;
};

}  // namespace

uint64_t DissolveTiles(HDC dst, int x0, int y0, int w, int h, int tileW, int tileH, HDC src,
                       Lcg* random, const std::atomic<bool>* stop) {
  DissolveTilesOrder order({x0, y0, w, h, tileW, tileH}, GetTickCount(), random);
  return CopyCells(dst, src, &order, stop);
}

uint64_t SweepBands(HDC dst, int x0, int y0, int w, int h, int bandWidth, int wave, int tileW,
                    int tileH, HDC src, const std::atomic<bool>* stop) {
  SweepBandsOrder order({x0, y0, w, h, bandWidth, wave, tileW, tileH}, GetTickCount());
  if (order.status() == TransitionStatus::kOutOfMemory) {
    Assert(0, "tri1", 1239, "Out of memory allocating from file %s, line %d\n", "tri1", 1239);
  }
  return CopyCells(dst, src, &order, stop);
}

// The cells are read from the solid bitmap at the destination's own
// coordinates, so it reaches as far as the cells do, past the area.
uint64_t FadeDissolve(HDC dst, COLORREF colour, int x0, int y0, int w, int h, int tileW, int tileH,
                      Lcg* random, const std::atomic<bool>* stop) {
  const TransitionExtent extent = DissolveTilesExtent({x0, y0, w, h, tileW, tileH});
  SolidSource solid(dst, colour, extent.right, extent.bottom);
  if (!solid) return 0;
  return DissolveTiles(dst, x0, y0, w, h, tileW, tileH, solid.get(), random, stop);
}

uint64_t FadeSweep(HDC dst, COLORREF colour, int x0, int y0, int w, int h, int bandWidth, int wave,
                   int tileW, int tileH, const std::atomic<bool>* stop) {
  const TransitionExtent extent = SweepBandsExtent({x0, y0, w, h, bandWidth, wave, tileW, tileH});
  SolidSource solid(dst, colour, extent.right, extent.bottom);
  if (!solid) return 0;
  return SweepBands(dst, x0, y0, w, h, bandWidth, wave, tileW, tileH, solid.get(), stop);
}

uint64_t RunTransition(const TransitionChoice& c, HDC dst, int x0, int y0, int w, int h, HDC src,
                       Lcg* random, const std::atomic<bool>* stop) {
  if (c.kind == TransitionKind::kDissolveTiles) {
    return DissolveTiles(dst, x0, y0, w, h, c.tileW, c.tileH, src, random, stop);
  }
  return SweepBands(dst, x0, y0, w, h, c.bandWidth, c.wave, c.tileW, c.tileH, src, stop);
}

uint64_t RunFade(const TransitionChoice& c, HDC dst, COLORREF colour, int x0, int y0, int w, int h,
                 Lcg* random, const std::atomic<bool>* stop) {
  if (c.kind == TransitionKind::kDissolveTiles) {
    return FadeDissolve(dst, colour, x0, y0, w, h, c.tileW, c.tileH, random, stop);
  }
  return FadeSweep(dst, colour, x0, y0, w, h, c.bandWidth, c.wave, c.tileW, c.tileH, stop);
}
