#include "codec/art_entropy.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "codec/codec_base.h"

void FlatSymbolCosts(SymbolCosts* costs) {
  for (double& b : costs->bits) b = 8;
}

int BuildHuffmanTree(const uint64_t weight[256], uint16_t child[255][2]) {
  // Two queues: the leaves by weight and the merged nodes in the order made
  // (their weights never decrease), so no heap is needed.
  int symbols[256];
  int distinct = 0;
  for (int s = 0; s < 256; ++s) {
    if (weight[s]) symbols[distinct++] = s;
  }
  std::sort(symbols, symbols + distinct,
            [&](int a, int b) { return weight[a] != weight[b] ? weight[a] < weight[b] : a < b; });
  uint64_t nodeWeight[255];
  int leaf = 0;
  int next = 0;
  int nodeCount = 0;
  auto take = [&](uint16_t* value, uint64_t* w) {
    if (leaf < distinct && (next >= nodeCount || weight[symbols[leaf]] <= nodeWeight[next])) {
      *value = static_cast<uint16_t>(symbols[leaf]);
      *w = weight[symbols[leaf++]];
    } else {
      *value = static_cast<uint16_t>(256 + next);
      *w = nodeWeight[next++];
    }
  };
  while (nodeCount < distinct - 1) {
    uint64_t wa, wb;
    take(&child[nodeCount][1], &wa);
    take(&child[nodeCount][0], &wb);
    nodeWeight[nodeCount] = wa + wb;
    ++nodeCount;
  }
  return nodeCount;
}

void HuffmanCodeLengths(const uint64_t frequency[256], int length[256]) {
  int count = 0;
  int only = 0;
  for (int s = 0; s < 256; ++s) {
    length[s] = 0;
    if (frequency[s]) {
      ++count;
      only = s;
    }
  }
  if (count == 1) length[only] = 1;
  if (count < 2) return;
  uint16_t child[255][2];
  const int nodes = BuildHuffmanTree(frequency, child);
  // Depths from the root (the last node) down: children are numbered lower.
  int depth[255];
  depth[nodes - 1] = 0;
  for (int n = nodes - 1; n >= 0; --n) {
    for (uint16_t c : child[n]) {
      if (c < 256) {
        length[c] = depth[n] + 1;
      } else {
        depth[c - 256] = depth[n] + 1;
      }
    }
  }
}

void CostsFromFrequencies(const uint64_t frequency[256], SymbolCosts* costs) {
  int length[256];
  HuffmanCodeLengths(frequency, length);
  int longest = 1;
  for (int s = 0; s < 256; ++s) longest = std::max(longest, length[s]);
  // A leaf adds one node of two 9-bit children to the tree.
  constexpr double kLeafBits = 18;
  for (int s = 0; s < 256; ++s) {
    costs->bits[s] = frequency[s] ? length[s] + kLeafBits / static_cast<double>(frequency[s])
                                  : longest + 1 + kLeafBits;
  }
}

void CountSymbols(const uint8_t* stream, size_t size, uint64_t frequency[256]) {
  for (int s = 0; s < 256; ++s) frequency[s] = 0;
  for (size_t i = 0; i < size; ++i) ++frequency[stream[i]];
}

bool ZeroRunCosts::Build(const SymbolCosts& costs) {
  if (!cost_) {
    if (!AllocationAllowed((kLongest + 1) * (sizeof(double) + sizeof(uint16_t) + sizeof(bool)))) {
      return false;
    }
    cost_.reset(new (std::nothrow) double[kLongest + 1]);
    head_.reset(new (std::nothrow) uint16_t[kLongest + 1]);
    headLong_.reset(new (std::nothrow) bool[kLongest + 1]);
    if (!cost_ || !head_ || !headLong_) {
      cost_.reset();
      return false;
    }
  }
  const double* bits = costs.bits;
  // One zero can also be the one-byte code 0x20 (or 0x30).
  double shortCost[33];
  for (int n = 1; n <= 32; ++n) shortCost[n] = bits[n - 1];
  shortCost[1] = std::min({bits[0x00], bits[0x20], bits[0x30]});
  cost_[0] = 0;
  head_[0] = 0;
  headLong_[0] = false;
  for (size_t n = 1; n <= kLongest; ++n) {
    double best = bits[0x40 | ((n - 1) >> 8)] + bits[(n - 1) & 0xFF];
    uint16_t head = static_cast<uint16_t>(n);
    bool isLong = true;
    for (size_t m = 1; m <= 32 && m <= n; ++m) {
      double c = shortCost[m] + cost_[n - m];
      if (c < best) {
        best = c;
        head = static_cast<uint16_t>(m);
        isLong = false;
      }
    }
    cost_[n] = best;
    head_[n] = head;
    headLong_[n] = isLong;
  }
  longest_ = bits[0x5F] + bits[0xFF];
  oneZero_ = bits[0x00] <= bits[0x20] && bits[0x00] <= bits[0x30] ? 0x00
             : bits[0x20] <= bits[0x30]                           ? 0x20
                                                                  : 0x30;
  return true;
}

double ZeroRunCosts::Cost(size_t zeros) const {
  if (zeros <= kLongest) return cost_[zeros];
  size_t full = (zeros - 1) / kLongest;
  return static_cast<double>(full) * longest_ + cost_[zeros - full * kLongest];
}

size_t ZeroRunCosts::Emit(size_t zeros, uint8_t* out) const {
  size_t o = 0;
  while (zeros > kLongest) {
    out[o++] = 0x5F;
    out[o++] = 0xFF;
    zeros -= kLongest;
  }
  while (zeros > 0) {
    size_t m = head_[zeros];
    if (headLong_[zeros]) {
      out[o++] = static_cast<uint8_t>(0x40 | ((m - 1) >> 8));
      out[o++] = static_cast<uint8_t>((m - 1) & 0xFF);
    } else {
      out[o++] = m == 1 ? oneZero_ : static_cast<uint8_t>(m - 1);
    }
    zeros -= m;
  }
  return o;
}

bool RateModel::Build(const SymbolCosts& costs) {
  symbols = costs;
  if (!zeros.Build(costs)) return false;
  const double* bits = symbols.bits;
  for (int b = 0; b < 256; ++b) {
    double c = bits[0xC0] + bits[b];
    int hi = b >> 4;
    if ((b & 0x0F) == 0) c = std::min({c, bits[0x20 | hi], bits[0x30 | hi]});
    if ((b & 0x0F) == 0x0F) c = std::min({c, bits[0x60 | hi], bits[0x70 | hi]});
    if (b == 0) c = std::min(c, bits[0x00]);
    if (b == 0xFF) c = std::min(c, bits[0x80]);
    cheapest[b] = c;
  }
  for (int32_t v = -kTable; v < kTable; ++v) table_[v + kTable] = Value(v);
  return true;
}

ValueCost RateModel::Value(int32_t v) const {
  const uint32_t u = static_cast<uint32_t>(v);
  uint8_t b[4];
  for (int k = 0; k < 4; ++k) b[k] = static_cast<uint8_t>(u >> (8 * k));
  const uint8_t fill = v < 0 ? 0xFF : 0x00;
  int significant = 4;
  while (significant > 0 && b[significant - 1] == fill) --significant;
  int head = 0;
  while (head < significant && b[head] == 0) ++head;
  // Cheapest code of the significant bytes alone: one-byte codes or
  // literals over any stretch of them.
  const double* bits = symbols.bits;
  double best[5];
  best[head] = 0;
  for (int j = head + 1; j <= significant; ++j) {
    best[j] = best[j - 1] + cheapest[b[j - 1]];
    double literal = 0;
    for (int i = j - 1; i >= head; --i) {
      literal += bits[b[i]];
      best[j] = std::min(best[j], best[i] + bits[0xC0 | (j - i - 1)] + literal);
    }
  }
  ValueCost c;
  c.bits = best[significant];
  c.zeroHead = v == 0 ? 0 : head;
  c.zeroTail = v < 0 ? 0 : 4 - significant;
  c.onesTail = v < 0 ? 4 - significant : 0;
  return c;
}

size_t ParsedRunLengthBound(size_t size) {
  // Every code makes at least one byte and takes at most two for it.
  return 2 * size + 16;
}

namespace {

enum CodeKind : uint8_t { kLiteral, kZeros, kOnes, kSingle };

// Cheapest one-byte code (0x20-0x3F, 0x60-0x7F) for a byte it can make.
struct SingleCodes {
  uint8_t code[256];
  double cost[256];
  void Build(const double* bits) {
    for (int b = 0; b < 256; ++b) {
      int hi = b >> 4;
      code[b] = 0;
      cost[b] = std::numeric_limits<double>::infinity();
      if ((b & 0x0F) == 0) {
        code[b] = static_cast<uint8_t>(bits[0x20 | hi] <= bits[0x30 | hi] ? 0x20 | hi : 0x30 | hi);
      } else if ((b & 0x0F) == 0x0F) {
        code[b] = static_cast<uint8_t>(bits[0x60 | hi] <= bits[0x70 | hi] ? 0x60 | hi : 0x70 | hi);
      } else {
        continue;
      }
      cost[b] = bits[code[b]];
    }
  }
};

// Work arrays of one stretch of the stream.
struct ParseWork {
  std::unique_ptr<double[]> best;    // cheapest cost to reach each position
  std::unique_ptr<uint32_t[]> span;  // bytes covered by the code ending there
  std::unique_ptr<uint8_t[]> kind;
  std::unique_ptr<uint32_t[]> path;  // ends of the chosen codes, last first
};

size_t ParseStretch(const uint8_t* bytes, size_t n, const RateModel& model,
                    const SingleCodes& singles, ParseWork* w, uint8_t* out) {
  const double* bits = model.symbols.bits;
  const double kNone = std::numeric_limits<double>::infinity();
  double* best = w->best.get();
  uint32_t* span = w->span.get();
  uint8_t* kind = w->kind.get();
  for (size_t i = 0; i <= n; ++i) best[i] = kNone;
  best[0] = 0;
  auto relax = [&](size_t to, double cost, uint32_t covered, CodeKind k) {
    if (cost < best[to]) {
      best[to] = cost;
      span[to] = covered;
      kind[to] = k;
    }
  };
  size_t zeroEnd = 0;
  size_t onesEnd = 0;
  for (size_t i = 0; i < n; ++i) {
    const uint8_t b = bytes[i];
    if (b == 0 && i >= zeroEnd) {
      zeroEnd = i;
      while (zeroEnd < n && bytes[zeroEnd] == 0) ++zeroEnd;
    }
    if (b == 0xFF && i >= onesEnd) {
      onesEnd = i;
      while (onesEnd < n && bytes[onesEnd] == 0xFF) ++onesEnd;
    }
    const double here = best[i];
    if (here == kNone) continue;
    if (b == 0) {
      // The rest of the run at once: the run's cover is already the
      // cheapest mix of zero codes.
      size_t e = zeroEnd - i;
      relax(zeroEnd, here + model.zeros.Cost(e), static_cast<uint32_t>(e), kZeros);
      // A literal never starts on a zero: it would only carry zeros that
      // a zero code covers for less.
      continue;
    }
    if (b == 0xFF) {
      size_t e = std::min<size_t>(onesEnd - i, 32);
      relax(i + e, here + bits[0x80 | (e - 1)], static_cast<uint32_t>(e), kOnes);
    }
    const double single = singles.cost[b];
    if (single < kNone) relax(i + 1, here + single, 1, kSingle);
    // Literals start on a byte no one-byte code makes more cheaply; they
    // may carry cheap bytes along.
    if (single <= bits[0xC0] + bits[b]) continue;
    double acc = here;
    size_t most = std::min<size_t>(32, n - i);
    for (size_t m = 1; m <= most; ++m) {
      acc += bits[bytes[i + m - 1]];
      relax(i + m, acc + bits[0xC0 | (m - 1)], static_cast<uint32_t>(m), kLiteral);
    }
  }
  // Walk back from the end, then write the codes in order.
  uint32_t* path = w->path.get();
  size_t codes = 0;
  for (size_t at = n; at > 0; at -= span[at]) path[codes++] = static_cast<uint32_t>(at);
  size_t o = 0;
  while (codes > 0) {
    const size_t end = path[--codes];
    const size_t m = span[end];
    const size_t start = end - m;
    switch (kind[end]) {
      case kZeros:
        o += model.zeros.Emit(m, out + o);
        break;
      case kOnes:
        out[o++] = static_cast<uint8_t>(0x80 | (m - 1));
        break;
      case kSingle:
        out[o++] = singles.code[bytes[start]];
        break;
      default:
        out[o++] = static_cast<uint8_t>(0xC0 | (m - 1));
        std::memcpy(out + o, bytes + start, m);
        o += m;
        break;
    }
  }
  return o;
}

}  // namespace

size_t ParseRunLength(const uint8_t* bytes, size_t size, const RateModel& model, uint8_t* out) {
  // Stretches of 1 MiB bound the work arrays; a zero run cut at a stretch's
  // end costs one more code byte.
  constexpr size_t kStretch = size_t{1} << 20;
  const size_t longest = std::min(size, kStretch);
  ParseWork w;
  if (!AllocateArray(&w.best, longest + 1) || !AllocateArray(&w.span, longest + 1) ||
      !AllocateArray(&w.kind, longest + 1) || !AllocateArray(&w.path, longest + 1)) {
    return 0;
  }
  SingleCodes singles;
  singles.Build(model.symbols.bits);
  size_t o = 0;
  for (size_t at = 0; at < size; at += kStretch) {
    size_t n = std::min(kStretch, size - at);
    o += ParseStretch(bytes + at, n, model, singles, &w, out + o);
  }
  return o;
}
