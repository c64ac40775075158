#include "codec/palette.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>

#include "base/stdio_file.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr size_t kMaxLineLength = 254;           // characters before the line end
constexpr size_t kMaxTableFileSize = 1 << 20;    // far above 256 full lines
constexpr size_t kFirstTableRead = 16 << 10;     // a product table is about 6 KB
constexpr uint32_t kParentLeafLimit = 1u << 23;  // (offset << 9) | count in 32 bits

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// One "%d" conversion as sscanf does it: optional white space, optional
// sign, digits. Values are kept small enough not to overflow.
bool ScanInt(const char** pos, const char* end, int* value) {
  const char* p = *pos;
  while (p < end && IsSpace(*p)) ++p;
  bool negative = false;
  if (p < end && (*p == '-' || *p == '+')) negative = (*p++ == '-');
  if (p >= end || *p < '0' || *p > '9') return false;
  int v = 0;
  while (p < end && *p >= '0' && *p <= '9') {
    if (v < 100000) v = v * 10 + (*p - '0');
    ++p;
  }
  *value = negative ? -v : v;
  *pos = p;
  return true;
}

// Empty, or only spaces and tabs.
bool IsBlank(const char* line, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (line[i] != ' ' && line[i] != '\t') return false;
  }
  return true;
}

struct LineFault {
  const char* what;
};

// Parses one colour line (without its line end). On success fills the colour
// and path; otherwise names the fault.
bool ParseColourLine(const char* line, size_t length, int rgb[3], uint8_t* digits, int* count,
                     LineFault* fault) {
  const char* end = line + length;
  const char* p = line;
  for (int i = 0; i < 3; ++i) {
    if (!ScanInt(&p, end, &rgb[i])) {
      fault->what = "it does not begin with three numbers (red green blue)";
      return false;
    }
    if (rgb[i] < 0 || rgb[i] > 255) {
      fault->what = "a colour component is outside 0..255";
      return false;
    }
  }
  const char* dash = static_cast<const char*>(std::memchr(line, '-', length));
  if (!dash) {
    fault->what = "it has no \"-\" before its octree path";
    return false;
  }
  *count = 0;
  for (p = dash + 1; p < end;) {
    if (*p == ' ') {
      ++p;
      continue;
    }
    const char* token = p;
    while (p < end && *p != ' ') ++p;
    if (p - token != 1 || *token < '0' || *token > '7') {
      fault->what = "a path digit is not 0..7";
      return false;
    }
    if (*count == kMaxOctreeDepth) {
      fault->what = "the octree path is longer than 8 digits";
      return false;
    }
    digits[(*count)++] = static_cast<uint8_t>(*token - '0');
  }
  return true;
}

CodecStatus TableError(PaletteContext* ctx, int line, const char* name, int lineNumber,
                       const char* what) {
  return SetCodecError(&ctx->error, CodecStatus::kBadData, kPaletteModule, line,
                       "Colour table %s, line %d: %s", name, lineNumber, what);
}

}  // namespace

namespace {

// The least and greatest of one channel's (t - p + 1)^2 over the values t
// low .. low + side - 1.
struct ChannelRange {
  int least;
  int greatest;
};

inline __attribute__((always_inline)) ChannelRange DistanceRange(int low, int side, int p) {
  const int a = low - p + 1;
  const int b = a + side - 1;
  // Zero where the range holds t = p - 1; written without branches, as the
  // leaves come in no order the processor could guess.
  const int above = std::max(a, 0), below = std::min(b, 0);
  return {above * above + below * below, std::max(a * a, b * b)};
}

// (t - p + 1)^2 - (t - q + 1)^2 for one channel value t.
int DistanceGap(int t, int p, int q) {
  return (t - p + 1) * (t - p + 1) - (t - q + 1) * (t - q + 1);
}

// A new block's answers, null when the blocks may not grow. The first
// capacity holds what a screen-sized painting needs (its pages are touched
// only as blocks are used): growing by copying touches every page again.
uint8_t* NewBlock(NearestCache* cache) {
  if (cache->blockCount == cache->blockCapacity) {
    if (cache->blockCapacity == NearestCache::kMaxBlocks) return nullptr;
    const uint32_t capacity =
        cache->blockCapacity ? std::min(2 * cache->blockCapacity, NearestCache::kMaxBlocks) : 32768;
    std::unique_ptr<uint8_t[]> grown(
        new (std::nothrow) uint8_t[static_cast<size_t>(capacity) * NearestCache::kBlockSize]);
    if (!grown) return nullptr;
    if (cache->blockCount) {
      std::memcpy(grown.get(), cache->blocks.get(),
                  static_cast<size_t>(cache->blockCount) * NearestCache::kBlockSize);
    }
    cache->blocks = std::move(grown);
    cache->blockCapacity = capacity;
  }
  return cache->blocks.get() + static_cast<size_t>(cache->blockCount++) * NearestCache::kBlockSize;
}

// A box of colour space: side values a channel from low.
struct ColourBox {
  int low[3];
  int side;
};

// The colours of cell number `cell` among the cells of `bits` bits (CellOf).
ColourBox CellBox(uint32_t cell, int bits) {
  const uint32_t mask = (1u << bits) - 1;
  const int shift = 8 - bits;
  return {{static_cast<int>((cell >> (2 * bits)) << shift),
           static_cast<int>(((cell >> bits) & mask) << shift),
           static_cast<int>((cell & mask) << shift)},
          1 << shift};
}

// The box's first colour, 0x00RRGGBB.
uint32_t BoxColour(const ColourBox& box) {
  return static_cast<uint32_t>(box.low[0] << 16 | box.low[1] << 8 | box.low[2]);
}

// The leaves among `leaves` (in search order) that may be the first
// nearest to some colour of the box, written to out in the same order;
// returns how many. A leaf is left out when its least distance over the box
// exceeds the greatest distance of the leaf whose greatest distance is
// least (the reference), or when the reference is nearer at every colour of
// the box (as near will do when the reference comes first in search order
// and so wins the tie). The difference of two leaves' distances is linear in
// each channel, so its least over the box is at the box's corners, channel
// by channel.
int NearestCandidates(const ColourOctree& tree, const ColourBox& box, const int16_t* leaves,
                      int count, int16_t* out) {
  int least[kMaxOctreeNodes];
  int greatest[kMaxOctreeNodes];
  int j = 0;
#if defined(__SSE2__)
  // All the leaves below a node lie side by side: eight at a time. Each
  // difference fits 16 bits, and a multiply-add squares two of them into a
  // 32-bit sum.
  if (count >= 8 && leaves[count - 1] - leaves[0] == count - 1) {
    const int first = leaves[0];
    const __m128i zero = _mm_setzero_si128();
    const __m128i span = _mm_set1_epi16(static_cast<int16_t>(box.side - 1));
    for (; j + 8 <= count; j += 8) {
      __m128i leastLow = zero, leastHigh = zero, greatestLow = zero, greatestHigh = zero;
      const int16_t* channels[3] = {tree.leafRed, tree.leafGreen, tree.leafBlue};
      for (int k = 0; k < 3; ++k) {
        const __m128i p =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(channels[k] + first + j));
        const __m128i a = _mm_sub_epi16(_mm_set1_epi16(static_cast<int16_t>(box.low[k] + 1)), p);
        const __m128i b = _mm_add_epi16(a, span);
        const __m128i above = _mm_max_epi16(a, zero);
        const __m128i below = _mm_min_epi16(b, zero);
        const __m128i far = _mm_max_epi16(_mm_max_epi16(a, _mm_sub_epi16(zero, a)),
                                          _mm_max_epi16(b, _mm_sub_epi16(zero, b)));
        const __m128i nearLow = _mm_unpacklo_epi16(above, below);
        const __m128i nearHigh = _mm_unpackhi_epi16(above, below);
        const __m128i farLow = _mm_unpacklo_epi16(far, zero);
        const __m128i farHigh = _mm_unpackhi_epi16(far, zero);
        leastLow = _mm_add_epi32(leastLow, _mm_madd_epi16(nearLow, nearLow));
        leastHigh = _mm_add_epi32(leastHigh, _mm_madd_epi16(nearHigh, nearHigh));
        greatestLow = _mm_add_epi32(greatestLow, _mm_madd_epi16(farLow, farLow));
        greatestHigh = _mm_add_epi32(greatestHigh, _mm_madd_epi16(farHigh, farHigh));
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(least + j), leastLow);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(least + j + 4), leastHigh);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(greatest + j), greatestLow);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(greatest + j + 4), greatestHigh);
    }
  }
#endif
  for (; j < count; ++j) {
    const int i = leaves[j];
    const ChannelRange r = DistanceRange(box.low[0], box.side, tree.leafRed[i]);
    const ChannelRange g = DistanceRange(box.low[1], box.side, tree.leafGreen[i]);
    const ChannelRange b = DistanceRange(box.low[2], box.side, tree.leafBlue[i]);
    least[j] = r.least + g.least + b.least;
    greatest[j] = r.greatest + g.greatest + b.greatest;
  }
  int threshold = INT_MAX;
  int reference = leaves[0];
  for (j = 0; j < count; ++j) {
    if (greatest[j] < threshold) {
      threshold = greatest[j];
      reference = leaves[j];
    }
  }
  const int16_t* channels[3] = {tree.leafRed, tree.leafGreen, tree.leafBlue};
  int kept = 0;
  for (j = 0; j < count; ++j) {
    const int i = leaves[j];
    if (least[j] > threshold) continue;
    if (i != reference) {
      int margin = 0;  // least over the box of distance(i) - distance(reference)
      for (int k = 0; k < 3; ++k) {
        const int p = channels[k][i], q = channels[k][reference];
        margin +=
            std::min(DistanceGap(box.low[k], p, q), DistanceGap(box.low[k] + box.side - 1, p, q));
      }
      if (reference < i ? margin >= 0 : margin > 0) continue;
    }
    out[kept++] = static_cast<int16_t>(i);
  }
  return kept;
}

// The node where SearchOctree's walk stops for the colours of a box whose
// top `bits` bits of each channel are those of colour, when they all stop
// at the same node above those bits: the node, or -1 with *leaf the answer
// when the walk ends at a leaf, or -2 when the colours' own low bits lead
// on.
int SharedStop(const ColourOctree& tree, uint32_t colour, int bits, int* leaf) {
  int node = 0;
  for (int level = 0; level < tree.maxDepth; ++level) {
    if (level >= bits) return -2;
    const int c = tree.nodes[node].child[OctreeChildIndex(colour, level)];
    if (c < 0) break;
    if (tree.nodes[c].isLeaf) {
      *leaf = tree.nodes[c].index;
      return -1;
    }
    node = c;
  }
  if (tree.nodes[node].isLeaf) {
    *leaf = tree.nodes[node].index;
    return -1;
  }
  return node;
}

// The leaves below node, in search order.
int LeavesBelow(const ColourOctree& tree, int node, int16_t* out) {
  const OctreeNode& n = tree.nodes[node];
  for (int i = n.leafBegin; i < n.leafEnd; ++i) out[i - n.leafBegin] = static_cast<int16_t>(i);
  return n.leafEnd - n.leafBegin;
}

// Copies the leaf list of a larger cell's entry ((offset << 9) | count) to
// out; returns how many leaves it holds.
int CopyLeafList(const NearestCache& cache, uint32_t entry, int16_t* out) {
  const int count = static_cast<int>(entry & 0x1FF);
  std::memcpy(out, cache.parentLeaves.get() + (entry >> 9), count * sizeof(int16_t));
  return count;
}

// The entry of a larger cell, of `bits` bits a channel (the parents of the
// cells, or theirs), worked out now if need be.
uint32_t LargerCellEntry(const ColourOctree& tree, int bits, uint32_t larger, NearestCache* cache) {
  const bool parentOfCells = bits == NearestCache::kCellBits - 1;
  uint32_t& entry = cache->parents[parentOfCells ? larger : NearestCache::kParents + larger];
  if (entry != NearestCache::kParentUnworked) return entry;
  const ColourBox box = CellBox(larger, bits);
  int leaf = 0;
  const int stop = SharedStop(tree, BoxColour(box), bits, &leaf);
  entry = NearestCache::kNoParentList;
  if (stop < 0) return entry;
  // The next larger cell's list, when its colours share the stop, holds
  // every leaf that may be nearest here.
  int16_t leaves[kMaxOctreeNodes];
  const uint32_t outer =
      parentOfCells ? LargerCellEntry(tree, bits - 1, CellOf(BoxColour(box), bits - 1), cache)
                    : NearestCache::kNoParentList;
  const int all = outer != NearestCache::kNoParentList ? CopyLeafList(*cache, outer, leaves)
                                                       : LeavesBelow(tree, stop, leaves);
  if (all == 0) return entry;
  const uint32_t needed = cache->parentLeafCount + static_cast<uint32_t>(all);
  // An entry keeps 23 bits of offset: past them the cells walk on their own.
  if (needed > kParentLeafLimit) return entry;
  if (needed > cache->parentLeafCapacity) {
    uint32_t capacity = cache->parentLeafCapacity ? cache->parentLeafCapacity : 8192;
    while (capacity < needed) capacity *= 2;
    std::unique_ptr<int16_t[]> grown(new (std::nothrow) int16_t[capacity]);
    if (!grown) return entry;
    if (cache->parentLeafCount) {
      std::memcpy(grown.get(), cache->parentLeaves.get(), cache->parentLeafCount * sizeof(int16_t));
    }
    cache->parentLeaves = std::move(grown);
    cache->parentLeafCapacity = capacity;
  }
  const uint32_t offset = cache->parentLeafCount;
  const int count = NearestCandidates(tree, box, leaves, all, cache->parentLeaves.get() + offset);
  cache->parentLeafCount += static_cast<uint32_t>(count);
  entry = offset << 9 | static_cast<uint32_t>(count);
  return entry;
}

// The answers for the 64 colours of a cell's box, red slowest and blue
// fastest: for each colour the first of the candidates (in search order)
// at the least distance.
void FillBlock(const ColourOctree& tree, const ColourBox& box, const int16_t* candidates, int count,
               uint8_t* block) {
  constexpr int kSide = 1 << NearestCache::kLowBits;
#if defined(__SSE2__)
  // Four blue values to a vector. A colour's key for candidate j is its
  // distance times 256 plus j, so the least key is the first candidate at
  // the least distance, as strict less in search order gives, and one
  // comparison keeps both. Distances stay below 2^18, so keys fit 31 bits.
  static_assert(kSide == 4, "one vector holds a cell's blue values");
  if (count <= kMaxPaletteColours) {
    int32_t redKeys[kSide][kMaxPaletteColours];
    int32_t greenKeys[kSide][kMaxPaletteColours];
    __m128i blueKeys[kMaxPaletteColours];
    uint8_t answers[kMaxPaletteColours];
    const __m128i low16 = _mm_set1_epi32(0xFFFF);
    const __m128i blues = _mm_add_epi32(_mm_set1_epi32(box.low[2] + 1), _mm_setr_epi32(0, 1, 2, 3));
    for (int j = 0; j < count; ++j) {
      const int i = candidates[j];
      for (int v = 0; v < kSide; ++v) {
        const int dr = box.low[0] + v + 1 - tree.leafRed[i];
        const int dg = box.low[1] + v + 1 - tree.leafGreen[i];
        redKeys[v][j] = (dr * dr) << 8 | j;
        greenKeys[v][j] = (dg * dg) << 8;
      }
      // Differences fit 16 bits: with the upper halves cleared, a
      // multiply-add squares each lane.
      const __m128i db =
          _mm_and_si128(_mm_sub_epi32(blues, _mm_set1_epi32(tree.leafBlue[i])), low16);
      blueKeys[j] = _mm_slli_epi32(_mm_madd_epi16(db, db), 8);
      answers[j] = static_cast<uint8_t>(tree.leafIndex[i]);
    }
    for (int r = 0; r < kSide; ++r) {
      __m128i least[kSide];
      for (int g = 0; g < kSide; ++g) {
        least[g] = _mm_add_epi32(_mm_set1_epi32(redKeys[r][0] + greenKeys[g][0]), blueKeys[0]);
      }
      for (int j = 1; j < count; ++j) {
        for (int g = 0; g < kSide; ++g) {
          const __m128i key =
              _mm_add_epi32(_mm_set1_epi32(redKeys[r][j] + greenKeys[g][j]), blueKeys[j]);
          const __m128i less = _mm_cmplt_epi32(key, least[g]);
          least[g] = _mm_or_si128(_mm_and_si128(less, key), _mm_andnot_si128(less, least[g]));
        }
      }
      for (int g = 0; g < kSide; ++g) {
        alignas(16) int32_t keys[kSide];
        _mm_store_si128(reinterpret_cast<__m128i*>(keys), least[g]);
        for (int b = 0; b < kSide; ++b) *block++ = answers[keys[b] & 0xFF];
      }
    }
    return;
  }
#endif
  for (int r = 0; r < kSide; ++r) {
    for (int g = 0; g < kSide; ++g) {
      for (int b = 0; b < kSide; ++b) {
        const int t[3] = {box.low[0] + r + 1, box.low[1] + g + 1, box.low[2] + b + 1};
        int best = candidates[0];
        int bestDistance = INT_MAX;
        for (int j = 0; j < count; ++j) {
          const int i = candidates[j];
          const int dr = t[0] - tree.leafRed[i], dg = t[1] - tree.leafGreen[i],
                    db = t[2] - tree.leafBlue[i];
          const int d = dr * dr + dg * dg + db * db;
          best = d < bestDistance ? i : best;
          bestDistance = std::min(d, bestDistance);
        }
        *block++ = static_cast<uint8_t>(tree.leafIndex[best]);
      }
    }
  }
}

// The entry of a cell (see NearestCache), following SearchOctree's walk for
// the cell's colours as far as their shared bits reach.
uint32_t ClassifyCell(const ColourOctree& tree, uint32_t cell, NearestCache* cache) {
  constexpr int kBits = NearestCache::kCellBits;
  const ColourBox box = CellBox(cell, kBits);
  // The larger cell's list, when its colours share the stop, holds every
  // leaf that may be nearest here.
  int16_t leaves[kMaxOctreeNodes];
  int all = 0;
  const uint32_t parentEntry =
      LargerCellEntry(tree, kBits - 1, CellOf(BoxColour(box), kBits - 1), cache);
  if (parentEntry != NearestCache::kNoParentList) {
    all = CopyLeafList(*cache, parentEntry, leaves);
  } else {
    int leaf = 0;
    const int stop = SharedStop(tree, BoxColour(box), kBits, &leaf);
    if (stop == -1) return static_cast<uint32_t>(leaf);
    if (stop == -2) return NearestCache::kSearchEach;
    all = LeavesBelow(tree, stop, leaves);
  }
  if (all == 0) return NearestCache::kSearchEach;
  int16_t candidates[kMaxOctreeNodes];
  const int count = NearestCandidates(tree, box, leaves, all, candidates);
  if (count == 1) return static_cast<uint32_t>(tree.leafIndex[candidates[0]]);
  uint8_t* block = NewBlock(cache);
  if (!block) return NearestCache::kSearchEach;
  FillBlock(tree, box, candidates, count, block);
  return NearestCache::kFirstBlock + cache->blockCount - 1;
}

// Every cell back to unclassified (a new table).
void ClearCells(NearestCache* cache) {
  std::memset(cache->cells.get(), 0xFF, NearestCache::kCells * sizeof(uint16_t));
  std::memset(cache->parents.get(), 0xFF, NearestCache::kParentEntries * sizeof(uint32_t));
  cache->blockCount = 0;
  cache->parentLeafCount = 0;
}

}  // namespace

CodecStatus PaletteOutOfMemory(PaletteContext* ctx, int line) {
  return OutOfMemoryError(&ctx->error, kPaletteModule, line,
                          ctx->options ? ctx->options->outOfMemoryFormat : nullptr);
}

void InitPaletteContext(PaletteContext* ctx, const CodecOptions* options) {
  ctx->options = options;
  ctx->table.reset();
  ctx->cache.reset();
  ctx->cacheFailed = false;
  FreeDeltas(&ctx->dither.deltas);
  ctx->dither.lastKernel8 = -1;
  ctx->dither.lastKernel16 = -1;
  ClearCodecError(&ctx->error);
}

CodecStatus ReadColourTableFromText(PaletteContext* ctx, const char* text, size_t length,
                                    const char* name, const LogicalPalette** palette) {
  ClearCodecError(&ctx->error);
  std::unique_ptr<ColourTable> table(new (std::nothrow) ColourTable);
  if (!table) return PaletteOutOfMemory(ctx, __LINE__);
  table->palette.version = 0x300;
  table->palette.entryCount = 0;
  ResetOctree(&table->octree);
  int count = 0;
  int lineNumber = 0;
  int firstBlank = 0;  // line number of the first blank line, 0 while none
  size_t start = 0;
  while (start < length) {
    const char* line = text + start;
    const char* newline = static_cast<const char*>(std::memchr(line, '\n', length - start));
    if (!newline) break;  // a last line without its line end is not read
    size_t lineLength = static_cast<size_t>(newline - line);
    start += lineLength + 1;
    if (lineLength && line[lineLength - 1] == '\r') --lineLength;  // text-mode line end
    ++lineNumber;
    if (lineLength > kMaxLineLength) {
      return TableError(ctx, __LINE__, name, lineNumber, "the line is too long");
    }
    if (std::memchr(line, '\0', lineLength)) {
      return TableError(ctx, __LINE__, name, lineNumber, "the line holds a NUL character");
    }
    // Blank lines may end the table (hand-written tables often do); between
    // colours they would shift every later palette entry, so they are
    // refused there once a colour follows them.
    if (IsBlank(line, lineLength)) {
      if (!firstBlank) firstBlank = lineNumber;
      continue;
    }
    if (count == kMaxPaletteColours) {
      return TableError(ctx, __LINE__, name, lineNumber, "more than 256 colours");
    }
    int rgb[3];
    uint8_t digits[kMaxOctreeDepth];
    int depth = 0;
    LineFault fault = {""};
    if (!ParseColourLine(line, lineLength, rgb, digits, &depth, &fault)) {
      return TableError(ctx, __LINE__, name, lineNumber, fault.what);
    }
    if (firstBlank) {
      return TableError(ctx, __LINE__, name, firstBlank,
                        "the line is blank (blank lines may only end the table)");
    }
    PaletteEntry& e = table->palette.entries[count];
    e.red = static_cast<uint8_t>(rgb[0]);
    e.green = static_cast<uint8_t>(rgb[1]);
    e.blue = static_cast<uint8_t>(rgb[2]);
    e.flags = 0;
    table->values[count] = static_cast<uint32_t>(rgb[0] << 16 | rgb[1] << 8 | rgb[2]);
    AddOctreePath(&table->octree, digits, depth, count);
    ++count;
  }
  if (count == 0) {
    return SetCodecError(&ctx->error, CodecStatus::kBadData, kPaletteModule, __LINE__,
                         "Colour table %s holds no colours", name);
  }
  table->palette.entryCount = static_cast<uint16_t>(count);
  for (int i = count; i < kMaxPaletteColours; ++i) {
    table->palette.entries[i] = PaletteEntry{0, 0, 0, 0};
    table->values[i] = 0;
  }
  FinishOctree(&table->octree, table->values);
  ctx->table = std::move(table);
  // A new table makes every answer kept so far wrong.
  if (ctx->cache) ClearCells(ctx->cache.get());
  if (palette) *palette = &ctx->table->palette;
  return CodecStatus::kOk;
}

CodecStatus ReadColourTable(PaletteContext* ctx, const char* path, const LogicalPalette** palette) {
  ClearCodecError(&ctx->error);
  StdioFile file(OpenCodecFile(path, "r"));
  if (!file) {
    return SetCodecError(&ctx->error, CodecStatus::kCannotOpen, kPaletteModule, __LINE__,
                         "File %s could not be opened: EXITING\r\n", path);
  }
  // The buffer grows with what the file holds. A reader may touch every page
  // of the buffer it is handed (Wine's does): the largest buffer a table may
  // need would cost more than reading a table of a few kilobytes.
  ByteBuffer text;
  size_t length = 0;
  for (size_t capacity = kFirstTableRead;;
       capacity = std::min(2 * capacity, kMaxTableFileSize + 1)) {
    ByteBuffer grown;
    if (!AllocateBytes(&grown, capacity, false)) return PaletteOutOfMemory(ctx, __LINE__);
    if (length) std::memcpy(grown.data(), text.data(), length);
    text = std::move(grown);
    length += std::fread(text.data() + length, 1, capacity - length, file.get());
    if (length < capacity || capacity > kMaxTableFileSize) break;
  }
  if (length > kMaxTableFileSize) {
    return SetCodecError(&ctx->error, CodecStatus::kBadData, kPaletteModule, __LINE__,
                         "Colour table %s is too large", path);
  }
  return ReadColourTableFromText(ctx, reinterpret_cast<const char*>(text.data()), length, path,
                                 palette);
}

namespace {

// Made at the first search after a table is read; without the memory the
// searches just go uncached.
NearestCache* Cache(PaletteContext* ctx) {
  if (!ctx->cache && !ctx->cacheFailed) {
    std::unique_ptr<NearestCache> cache(new (std::nothrow) NearestCache);
    if (cache) {
      cache->cells.reset(new (std::nothrow) uint16_t[NearestCache::kCells]);
      cache->parents.reset(new (std::nothrow) uint32_t[NearestCache::kParentEntries]);
    }
    if (cache && cache->cells && cache->parents) {
      ClearCells(cache.get());
      ctx->cache = std::move(cache);
    } else {
      ctx->cacheFailed = true;
    }
  }
  return ctx->cache.get();
}

}  // namespace

const NearestCache* PrepareNearestCache(PaletteContext* ctx) {
  return ctx->table ? Cache(ctx) : nullptr;
}

int NearestColourIndex(PaletteContext* ctx, uint32_t colour) {
  if (!ctx->table) return -1;
  colour &= 0xFFFFFF;
  NearestCache* cache = Cache(ctx);
  if (!cache) return SearchOctree(ctx->table->octree, colour);
  const uint32_t cell = NearestCell(colour);
  uint16_t& entry = cache->cells[cell];
  if (entry == NearestCache::kUnclassified) {
    entry = static_cast<uint16_t>(ClassifyCell(ctx->table->octree, cell, cache));
  }
  if (entry == NearestCache::kSearchEach) return SearchOctree(ctx->table->octree, colour);
  return CellNearestIndex(*cache, colour);
}

uint32_t NearestColour(PaletteContext* ctx, uint32_t colour) {
  int index = NearestColourIndex(ctx, colour);
  return index < 0 ? 0 : ctx->table->values[index];
}

CodecStatus MapImageToPalette(PaletteContext* ctx, uint8_t* image, int rows, int width,
                              int rowPadding) {
  ClearCodecError(&ctx->error);
  if (!ctx->table) {
    return SetCodecError(&ctx->error, CodecStatus::kBadArgument, kPaletteModule, __LINE__,
                         "No colour table has been read");
  }
  if (!image || rows < 0 || width < 0 || rowPadding < 0) {
    return SetCodecError(&ctx->error, CodecStatus::kBadArgument, kPaletteModule, __LINE__,
                         "MapImageToPalette: bad image (%d rows of %d pixels)", rows, width);
  }
  for (int y = 0; y < rows; ++y) {
    if (StopRequested(ctx->cancel)) return StoppedError(&ctx->error, kPaletteModule, __LINE__);
    for (int x = 0; x < width; ++x, image += 3) {
      uint32_t c =
          static_cast<uint32_t>(image[2]) << 16 | static_cast<uint32_t>(image[1]) << 8 | image[0];
      uint32_t q = NearestColour(ctx, c);
      image[0] = static_cast<uint8_t>(q);
      image[1] = static_cast<uint8_t>(q >> 8);
      image[2] = static_cast<uint8_t>(q >> 16);
    }
    image += rowPadding;
  }
  return CodecStatus::kOk;
}
