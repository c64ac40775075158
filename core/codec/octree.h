// Colour octree of a .TR colour table.
//
// The child index at level k (k = 0 for the root's children) of a colour is
// bit (7 - k) of red + 2 x bit (7 - k) of green + 4 x bit (7 - k) of blue.
// Each table line walks its path of such digits from the root and marks the
// node it ends on as a leaf holding the line's palette index.
#pragma once

#include <cstdint>

constexpr int kMaxPaletteColours = 256;
constexpr int kMaxOctreeDepth = 8;
constexpr int kMaxOctreeNodes = 1 + kMaxPaletteColours * kMaxOctreeDepth;

struct OctreeNode {
  int32_t isLeaf;
  int32_t index;      // palette index when a leaf
  int16_t child[8];   // node numbers, -1 for none
  int16_t leafBegin;  // this node's leaves in ColourOctree::leaves,
  int16_t leafEnd;    // depth first, children 0..7, not below a leaf
  uint8_t low[3];     // red, green, blue bounds of those leaves' colours,
  uint8_t high[3];    // for pruning the search
};

struct ColourOctree {
  int nodeCount = 0;  // node 0 is the root
  int maxDepth = 0;   // digits on the longest path
  OctreeNode nodes[kMaxOctreeNodes];
  int16_t leaves[kMaxOctreeNodes];  // leaf node numbers in search order
  int leafCount = 0;
  // The same leaves' colours and palette indexes side by side, for the
  // distance loop (filled by FinishOctreeColours).
  int16_t leafRed[kMaxOctreeNodes];
  int16_t leafGreen[kMaxOctreeNodes];
  int16_t leafBlue[kMaxOctreeNodes];
  int16_t leafIndex[kMaxOctreeNodes];
};

// Empties the tree to a bare root.
void ResetOctree(ColourOctree* tree);

// Walks digits (each 0..7, at most kMaxOctreeDepth of them) from the root,
// creating nodes, and marks the end as a leaf for paletteIndex.
void AddOctreePath(ColourOctree* tree, const uint8_t* digits, int count, int paletteIndex);

// Fills the leaf lists once all paths are in; values are the palette's
// 0x00RRGGBB colours.
void FinishOctree(ColourOctree* tree, const uint32_t* values);

// Child index of colour (0x00RRGGBB) at level.
inline int OctreeChildIndex(uint32_t colour, int level) {
  int shift = 7 - level;
  return static_cast<int>(((colour >> (16 + shift)) & 1) | (((colour >> (8 + shift)) & 1) << 1) |
                          (((colour >> shift) & 1) << 2));
}

// The nearest-colour search: walk the colour's own path; a leaf on it is the
// answer; otherwise the leaves below where the walk stopped are compared by
// the sum over channels of (t - p + 1)^2, the first found winning ties.
// -1 when the tree has no leaf.
int SearchOctree(const ColourOctree& tree, uint32_t colour);
