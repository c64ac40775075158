#include "codec/octree.h"

#include <algorithm>
#include <climits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// (t - p + 1)^2: the difference plus one, squared (a table of squares read
// one entry off). The nearest colour is defined by this distance; plain
// squares would choose other colours, and other pixels.
inline int32_t ChannelDistance(int t, int p) {
  int d = t - p + 1;
  return d * d;
}

int NewNode(ColourOctree* tree) {
  OctreeNode& n = tree->nodes[tree->nodeCount];
  n.isLeaf = 0;
  n.index = 0;
  for (int16_t& c : n.child) c = -1;
  n.leafBegin = n.leafEnd = 0;
  return tree->nodeCount++;
}

}  // namespace

void ResetOctree(ColourOctree* tree) {
  tree->nodeCount = 0;
  tree->maxDepth = 0;
  tree->leafCount = 0;
  NewNode(tree);
}

void AddOctreePath(ColourOctree* tree, const uint8_t* digits, int count, int paletteIndex) {
  int node = 0;
  for (int i = 0; i < count; ++i) {
    int16_t& next = tree->nodes[node].child[digits[i] & 7];
    if (next < 0) next = static_cast<int16_t>(NewNode(tree));
    node = next;
  }
  tree->nodes[node].isLeaf = 1;
  tree->nodes[node].index = paletteIndex;
  if (count > tree->maxDepth) tree->maxDepth = count;
}

void FinishOctree(ColourOctree* tree, const uint32_t* values) {
  // Iterative depth-first walk; a leaf ends its branch, as in the search. The
  // root is walked through even when it is a leaf: the search only stops
  // below a leaf when that leaf is the root.
  struct Frame {
    int16_t node;
    int8_t next;
  };
  Frame stack[kMaxOctreeDepth + 2];
  int depth = 0;
  tree->leafCount = 0;
  stack[0] = {0, 0};
  tree->nodes[0].leafBegin = 0;
  while (depth >= 0) {
    Frame& f = stack[depth];
    OctreeNode& n = tree->nodes[f.node];
    if (f.next == 8) {
      n.leafEnd = static_cast<int16_t>(tree->leafCount);
      --depth;
      continue;
    }
    int16_t c = n.child[f.next++];
    if (c < 0) continue;
    OctreeNode& child = tree->nodes[c];
    child.leafBegin = static_cast<int16_t>(tree->leafCount);
    if (child.isLeaf) {
      tree->leaves[tree->leafCount++] = c;
      child.leafEnd = static_cast<int16_t>(tree->leafCount);
      continue;
    }
    stack[++depth] = {c, 0};
  }
  for (int i = 0; i < tree->leafCount; ++i) {
    int index = tree->nodes[tree->leaves[i]].index;
    uint32_t v = values[index];
    tree->leafRed[i] = static_cast<int16_t>((v >> 16) & 0xFF);
    tree->leafGreen[i] = static_cast<int16_t>((v >> 8) & 0xFF);
    tree->leafBlue[i] = static_cast<int16_t>(v & 0xFF);
    tree->leafIndex[i] = static_cast<int16_t>(index);
  }
  for (int n = 0; n < tree->nodeCount; ++n) {
    OctreeNode& node = tree->nodes[n];
    uint8_t low[3] = {255, 255, 255};
    uint8_t high[3] = {0, 0, 0};
    for (int i = node.leafBegin; i < node.leafEnd; ++i) {
      const int16_t c[3] = {tree->leafRed[i], tree->leafGreen[i], tree->leafBlue[i]};
      for (int k = 0; k < 3; ++k) {
        low[k] = std::min<uint8_t>(low[k], static_cast<uint8_t>(c[k]));
        high[k] = std::max<uint8_t>(high[k], static_cast<uint8_t>(c[k]));
      }
    }
    for (int k = 0; k < 3; ++k) {
      node.low[k] = low[k];
      node.high[k] = high[k];
    }
  }
}

namespace {

#if !defined(__SSE2__)

// Lower bound of the distance from target to any leaf of node: each
// channel's (t - p + 1)^2 at its best p within the node's bounds.
int32_t LowerBound(const OctreeNode& node, const int target[3]) {
  int32_t sum = 0;
  for (int k = 0; k < 3; ++k) {
    int p = target[k] + 1;
    p = p < node.low[k] ? node.low[k] : (p > node.high[k] ? node.high[k] : p);
    sum += ChannelDistance(target[k], p);
  }
  return sum;
}

constexpr int kScanLeaves = 24;  // below this many leaves a plain scan is faster

// Smallest distance among the leaves of node, depth first in search order;
// a later leaf only wins when strictly nearer, so subtrees whose bound is
// not below the best so far cannot change the answer and are skipped.
void SearchBelow(const ColourOctree& tree, int n, const int target[3], int* best,
                 int32_t* bestDistance) {
  const OctreeNode& node = tree.nodes[n];
  if (node.leafEnd - node.leafBegin <= kScanLeaves) {
    for (int i = node.leafBegin; i < node.leafEnd; ++i) {
      int32_t d = ChannelDistance(target[0], tree.leafRed[i]) +
                  ChannelDistance(target[1], tree.leafGreen[i]) +
                  ChannelDistance(target[2], tree.leafBlue[i]);
      if (d < *bestDistance) {
        *best = i;
        *bestDistance = d;
      }
    }
    return;
  }
  for (int16_t c : node.child) {
    if (c < 0) continue;
    const OctreeNode& child = tree.nodes[c];
    if (child.leafEnd == child.leafBegin) continue;
    if (LowerBound(child, target) >= *bestDistance) continue;
    if (child.isLeaf) {
      int i = child.leafBegin;
      int32_t d = ChannelDistance(target[0], tree.leafRed[i]) +
                  ChannelDistance(target[1], tree.leafGreen[i]) +
                  ChannelDistance(target[2], tree.leafBlue[i]);
      if (d < *bestDistance) {
        *best = i;
        *bestDistance = d;
      }
    } else {
      SearchBelow(tree, c, target, best, bestDistance);
    }
  }
}

#endif

#if defined(__SSE2__)

// The same answer as SearchBelow from the node whose leaves are
// [begin, end): the first leaf in search order at the smallest distance.
// Without pruning, four leaves a step: each difference fits 16 bits, and
// one multiply-add gives red^2 + green^2 for four leaves at once.
int FirstNearestLeaf(const ColourOctree& tree, int begin, int end, const int target[3]) {
  int best = begin;
  int32_t bestDistance = INT32_MAX;
  int i = begin;
  if (end - begin >= 8) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i red = _mm_set1_epi16(static_cast<int16_t>(target[0] + 1));
    const __m128i green = _mm_set1_epi16(static_cast<int16_t>(target[1] + 1));
    const __m128i blue = _mm_set1_epi16(static_cast<int16_t>(target[2] + 1));
    __m128i least = _mm_set1_epi32(INT32_MAX);
    __m128i leastAt = _mm_setzero_si128();
    __m128i at = _mm_setr_epi32(i, i + 1, i + 2, i + 3);
    const __m128i four = _mm_set1_epi32(4);
    for (; i + 4 <= end; i += 4) {
      const __m128i dr =
          _mm_sub_epi16(red, _mm_loadl_epi64(reinterpret_cast<const __m128i*>(tree.leafRed + i)));
      const __m128i dg = _mm_sub_epi16(
          green, _mm_loadl_epi64(reinterpret_cast<const __m128i*>(tree.leafGreen + i)));
      const __m128i db = _mm_unpacklo_epi16(
          _mm_sub_epi16(blue, _mm_loadl_epi64(reinterpret_cast<const __m128i*>(tree.leafBlue + i))),
          zero);
      const __m128i rg = _mm_unpacklo_epi16(dr, dg);
      const __m128i d = _mm_add_epi32(_mm_madd_epi16(rg, rg), _mm_madd_epi16(db, db));
      // Strictly nearer only: in each lane the earlier leaf keeps a tie.
      const __m128i nearer = _mm_cmplt_epi32(d, least);
      least = _mm_or_si128(_mm_and_si128(nearer, d), _mm_andnot_si128(nearer, least));
      leastAt = _mm_or_si128(_mm_and_si128(nearer, at), _mm_andnot_si128(nearer, leastAt));
      at = _mm_add_epi32(at, four);
    }
    alignas(16) int32_t distances[4];
    alignas(16) int32_t leaves[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(distances), least);
    _mm_store_si128(reinterpret_cast<__m128i*>(leaves), leastAt);
    for (int k = 0; k < 4; ++k) {
      if (distances[k] < bestDistance || (distances[k] == bestDistance && leaves[k] < best)) {
        best = leaves[k];
        bestDistance = distances[k];
      }
    }
  }
  // The rest come after every leaf above, so again only strictly nearer wins.
  for (; i < end; ++i) {
    const int32_t d = ChannelDistance(target[0], tree.leafRed[i]) +
                      ChannelDistance(target[1], tree.leafGreen[i]) +
                      ChannelDistance(target[2], tree.leafBlue[i]);
    if (d < bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  return best;
}

#endif

}  // namespace

int SearchOctree(const ColourOctree& tree, uint32_t colour) {
  if (tree.nodeCount == 0) return -1;
  int node = 0;
  for (int level = 0; level < tree.maxDepth; ++level) {
    int c = tree.nodes[node].child[OctreeChildIndex(colour, level)];
    if (c < 0) break;
    if (tree.nodes[c].isLeaf) return tree.nodes[c].index;
    node = c;
  }
  const OctreeNode& stop = tree.nodes[node];
  if (stop.isLeaf) return stop.index;
  int tr = static_cast<int>((colour >> 16) & 0xFF);
  int tg = static_cast<int>((colour >> 8) & 0xFF);
  int tb = static_cast<int>(colour & 0xFF);
  const int target[3] = {tr, tg, tb};
#if defined(__SSE2__)
  return tree.leafIndex[FirstNearestLeaf(tree, stop.leafBegin, stop.leafEnd, target)];
#else
  int best = stop.leafBegin;
  int32_t bestDistance = INT32_MAX;
  SearchBelow(tree, node, target, &best, &bestDistance);
  return tree.leafIndex[best];
#endif
}
