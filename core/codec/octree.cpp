#include "codec/octree.h"

namespace {

// (t - p + 1)^2: the difference plus one, squared, as the programs always
// looked it up in their table of squares.
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

void FinishOctree(ColourOctree* tree) {
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
}

int SearchOctree(const ColourOctree& tree, const uint32_t* values, uint32_t colour) {
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
  int best = -1;
  int32_t bestDistance = 0;
  for (int i = stop.leafBegin; i < stop.leafEnd; ++i) {
    int index = tree.nodes[tree.leaves[i]].index;
    uint32_t p = values[index];
    int32_t d = ChannelDistance(tr, static_cast<int>((p >> 16) & 0xFF)) +
                ChannelDistance(tg, static_cast<int>((p >> 8) & 0xFF)) +
                ChannelDistance(tb, static_cast<int>(p & 0xFF));
    if (best < 0 || d < bestDistance) {
      best = index;
      bestDistance = d;
    }
  }
  return best;
}
