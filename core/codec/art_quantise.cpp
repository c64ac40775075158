#include "codec/art_quantise.h"

#include <algorithm>
#include <cmath>

#include "codec/codec_base.h"

bool QuantWork::Allocate(size_t largest) {
  return AllocateArray(&next, largest + 1) && AllocateArray(&fillError, largest + 1);
}

void QuantiseDeadZone(const QuantPlane& plane, int32_t* out) {
  for (int b = 0; b < plane.bandCount; ++b) {
    const QuantBand& band = plane.bands[b];
    const double step = band.step;
    const double deadZone = band.step >= 4 ? 0.2 : 0.0;
    for (size_t i = band.start; i < band.start + band.count; ++i) {
      const double c = plane.coefficients[i];
      double a = std::fabs(c) / step + 0.5 - deadZone;
      int32_t n = a > 0 ? static_cast<int32_t>(a) : 0;
      out[i] = (c < 0 ? -n : n) * band.step;
    }
  }
}

namespace {

// Magnitudes that one code byte makes, next to a (positive: 16m and
// 16m + 15 up to 255; negative: 16m and 16m + 1 up to 256).
void CheapNeighbours(double a, bool negative, int32_t* below, int32_t* above) {
  int32_t m = static_cast<int32_t>(a) / 16 * 16;  // 16m <= a
  int32_t second = negative ? m + 1 : m + 15;     // the other cheap magnitude of this 16
  if (a >= second) {
    *below = second;
    *above = m + 16;
  } else {
    *below = m;
    *above = second;
  }
}

// The value before a gap: where it is, its sign and its tail.
struct Before {
  size_t index = 0;  // the gap starts at index (the value is at index - 1)
  bool negative = false;
  int zeroTail = 0;
  int onesTail = 0;
};

struct GapChoice {
  double cost = 0;  // lambda * bits + the error the filling adds
  size_t filled = 0;
};

class Gaps {
 public:
  Gaps(const QuantPlane& plane, const RateModel& model, double lambda, QuantWork* work)
      : model_(model), lambda_(lambda), fill_(work->fillError.get()) {
    // Writing -1 where c was coded as 0 adds w ((c + 1)^2 - c^2).
    fill_[0] = 0;
    for (size_t i = 0; i < plane.count; ++i) {
      fill_[i + 1] = fill_[i] + plane.weight[i] * (2 * plane.coefficients[i] + 1);
    }
  }

  // The gap from b.index up to the value at `end` (or the plane's end),
  // whose word starts with `head` zero bytes.
  GapChoice Cost(const Before& b, size_t end, int head) const {
    const size_t g = end - b.index;
    GapChoice choice;
    if (!b.negative) {
      choice.cost = lambda_ * model_.zeros.Cost(b.zeroTail + 4 * g + head);
      return choice;
    }
    const double tail = b.onesTail > 0 ? model_.Ones(b.onesTail) : 0;
    choice.cost = lambda_ * (tail + model_.zeros.Cost(4 * g + head));
    const size_t most = static_cast<size_t>(32 - b.onesTail) / 4;
    const size_t m = std::min(g, most);
    if (m > 0) {
      double filled = lambda_ * (model_.Ones(b.onesTail + static_cast<int>(4 * m)) +
                                 model_.zeros.Cost(4 * (g - m) + head)) +
                      (fill_[b.index + m] - fill_[b.index]);
      if (filled < choice.cost) {
        choice.cost = filled;
        choice.filled = m;
      }
    }
    return choice;
  }

 private:
  const RateModel& model_;
  double lambda_;
  double* fill_;
};

Before After(size_t index, int32_t v, const ValueCost& cost) {
  Before b;
  b.index = index + 1;
  b.negative = v < 0;
  b.zeroTail = cost.zeroTail;
  b.onesTail = cost.onesTail;
  return b;
}

}  // namespace

void ChooseCoefficients(const QuantPlane& plane, const RateModel& model, double lambda, int32_t* q,
                        QuantWork* work) {
  const size_t n = plane.count;
  // next[i]: the first non-zero at or after i in the current choice. Only
  // positions after the one being decided are read, and those are not yet
  // changed by this pass.
  uint32_t* next = work->next.get();
  next[n] = static_cast<uint32_t>(n);
  for (size_t i = n; i-- > 0;) next[i] = q[i] != 0 ? static_cast<uint32_t>(i) : next[i + 1];
  const Gaps gaps(plane, model, lambda, work);

  Before before;  // the plane's start counts as after a zero
  for (int b = 0; b < plane.bandCount; ++b) {
    const QuantBand& band = plane.bands[b];
    const int step = band.step;
    const bool offGrid = step % 16 != 0;
    for (size_t i = band.start; i < band.start + band.count; ++i) {
      const double c = plane.coefficients[i];
      const double a = std::fabs(c);
      const double w = plane.weight[i];
      const bool negative = c < 0;
      int32_t candidates[8];
      int count = 0;
      auto add = [&](int32_t magnitude) {
        if (magnitude <= 0) return;
        // Only values closer to c than zero can pay for their bits.
        double d = a - magnitude;
        if (d * d >= a * a) return;
        candidates[count++] = negative ? -magnitude : magnitude;
      };
      const int32_t k = static_cast<int32_t>(a / step);
      add(k * step);
      add((k + 1) * step);
      if (offGrid && a < 4096) {
        int32_t below, above;
        CheapNeighbours(a, negative, &below, &above);
        add(below);
        add(above);
      }
      if (a >= 192) {
        // Multiples of 256 start with a zero byte, which joins the run
        // before them.
        const int32_t m = static_cast<int32_t>(a / 256) * 256;
        add(m);
        add(m + 256);
        // 255 is 0xFF and a zero tail: one 0xFF code.
        if (!negative && a < 512) add(255);
      }
      if (q[i] != 0 && (q[i] < 0) == negative) add(q[i] < 0 ? -q[i] : q[i]);
      if (count == 0) {
        q[i] = 0;
        continue;
      }
      const size_t following = next[i + 1];
      const int followingHead = following < n ? model.FastValue(q[following]).zeroHead : 0;
      // Zero: one gap from the value before to the next.
      double best = w * a * a + gaps.Cost(before, following, followingHead).cost;
      int32_t choice = 0;
      Before chosen;
      for (int j = 0; j < count; ++j) {
        const int32_t v = candidates[j];
        const ValueCost value = model.FastValue(v);
        const Before after = After(i, v, value);
        const double d = c - v;
        const double cost = w * d * d + gaps.Cost(before, i, value.zeroHead).cost +
                            lambda * value.bits + gaps.Cost(after, following, followingHead).cost;
        if (cost < best) {
          best = cost;
          choice = v;
          chosen = after;
        }
      }
      q[i] = choice;
      if (choice != 0) before = chosen;
    }
  }
}

void FillGaps(const QuantPlane& plane, const RateModel& model, double lambda, const int32_t* q,
              int32_t* out, QuantWork* work) {
  const size_t n = plane.count;
  std::copy(q, q + n, out);
  const Gaps gaps(plane, model, lambda, work);
  size_t i = 0;
  while (i < n && q[i] == 0) ++i;
  while (i < n) {
    size_t following = i + 1;
    while (following < n && q[following] == 0) ++following;
    if (q[i] < 0) {
      const int head = following < n ? model.FastValue(q[following]).zeroHead : 0;
      GapChoice choice = gaps.Cost(After(i, q[i], model.FastValue(q[i])), following, head);
      std::fill(out + i + 1, out + i + 1 + choice.filled, -1);
    }
    i = following;
  }
}
