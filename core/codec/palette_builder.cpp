#include "codec/palette_builder.h"

#include <algorithm>
#include <cstdio>
#include <new>

namespace {

// Octree key: the path digits of a colour, level 0 in the top three bits.
uint32_t OctreeKey(uint8_t r, uint8_t g, uint8_t b) {
  uint32_t key = 0;
  for (int level = 0; level < 8; ++level) {
    int shift = 7 - level;
    uint32_t digit = ((r >> shift) & 1u) | (((g >> shift) & 1u) << 1) | (((b >> shift) & 1u) << 2);
    key = (key << 3) | digit;
  }
  return key;
}

// The prefix of a key at depth d (0..8).
uint32_t Prefix(uint32_t key, int depth) {
  return depth == 0 ? 0 : key >> (3 * (8 - depth));
}

struct Colour {
  uint32_t key;
  uint64_t count;
  uint64_t sum[3];  // red, green, blue
};

// A node at some depth: a run of the sorted colours sharing its prefix.
struct Group {
  uint32_t begin;
  uint32_t end;
  uint64_t count;
  uint32_t children;  // groups of depth + 1 inside it
  bool folded;
};

struct Leaf {
  uint32_t begin;
  uint32_t end;
  int depth;
};

// Groups of the colours at depth d, in key order.
size_t MakeGroups(const Colour* colours, uint32_t n, int depth, Group* groups) {
  size_t count = 0;
  uint32_t i = 0;
  while (i < n) {
    uint32_t prefix = Prefix(colours[i].key, depth);
    Group g = {i, i, 0, 0, false};
    uint32_t lastChild = 0xFFFFFFFF;
    while (g.end < n && Prefix(colours[g.end].key, depth) == prefix) {
      g.count += colours[g.end].count;
      uint32_t child = depth < 8 ? Prefix(colours[g.end].key, depth + 1) : g.end;
      if (child != lastChild) {
        ++g.children;
        lastChild = child;
      }
      ++g.end;
    }
    groups[count++] = g;
    i = g.end;
  }
  return count;
}

}  // namespace

CodecStatus BuildPalette(const BgrImage& image, int maxColours, BuiltPalette* palette,
                         CodecError* error) {
  ClearCodecError(error);
  *palette = BuiltPalette();
  if (!image.pixels || image.width < 1 || image.height < 1 ||
      image.stride < static_cast<size_t>(image.width) * 3) {
    return SetCodecError(error, CodecStatus::kBadArgument, kPaletteModule, __LINE__,
                         "Cannot build a palette for a %d x %d picture", image.width, image.height);
  }
  if (maxColours < 1 || maxColours > kMaxPaletteColours) {
    return SetCodecError(error, CodecStatus::kBadArgument, kPaletteModule, __LINE__,
                         "A colour table holds 1 to 256 colours, not %d", maxColours);
  }
  // Large pictures are sampled on a grid: a palette needs the colour
  // distribution, not every pixel.
  const uint64_t pixels = static_cast<uint64_t>(image.width) * image.height;
  const int32_t step = pixels > (1u << 22) ? 2 + static_cast<int32_t>(pixels >> 24) : 1;
  const uint64_t samples =
      static_cast<uint64_t>((image.width + step - 1) / step) * ((image.height + step - 1) / step);
  std::unique_ptr<uint32_t[]> keys(new (std::nothrow) uint32_t[samples]);
  std::unique_ptr<Colour[]> colours(new (std::nothrow) Colour[samples]);
  std::unique_ptr<Group[]> groups(new (std::nothrow) Group[samples]);
  std::unique_ptr<Leaf[]> leafMemory(new (std::nothrow) Leaf[samples]);
  if (!keys || !colours || !groups || !leafMemory) {
    return OutOfMemoryError(error, kPaletteModule, __LINE__);
  }
  uint32_t n = 0;
  for (int32_t y = 0; y < image.height; y += step) {
    const uint8_t* row = image.pixels + image.stride * static_cast<size_t>(y);
    for (int32_t x = 0; x < image.width; x += step) {
      keys[n++] = OctreeKey(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    }
  }
  std::sort(keys.get(), keys.get() + n);
  // Distinct colours with their counts; the key holds the colour itself.
  uint32_t distinct = 0;
  for (uint32_t i = 0; i < n;) {
    uint32_t j = i;
    while (j < n && keys[j] == keys[i]) ++j;
    uint8_t rgb[3] = {0, 0, 0};
    for (int level = 0; level < 8; ++level) {
      uint32_t digit = (keys[i] >> (3 * (7 - level))) & 7;
      for (int c = 0; c < 3; ++c) {
        rgb[c] = static_cast<uint8_t>(rgb[c] | (((digit >> c) & 1) << (7 - level)));
      }
    }
    Colour& colour = colours[distinct++];
    colour.key = keys[i];
    colour.count = j - i;
    for (int c = 0; c < 3; ++c) colour.sum[c] = static_cast<uint64_t>(rgb[c]) * (j - i);
    i = j;
  }
  keys.reset();

  // Fold from depth 7 up. Before level d is looked at, all nodes deeper than
  // d are folded, so the leaves are the groups of depth d + 1.
  Leaf* leaves = leafMemory.get();
  size_t leafCount = 0;
  size_t currentLeaves = distinct;
  int depth = 8;
  if (currentLeaves > static_cast<size_t>(maxColours)) {
    for (depth = 7; depth >= 0; --depth) {
      size_t groupCount = MakeGroups(colours.get(), distinct, depth, groups.get());
      // Fewest pixels first; ties in key order.
      std::unique_ptr<uint32_t[]> order(new (std::nothrow) uint32_t[groupCount]);
      if (!order) return OutOfMemoryError(error, kPaletteModule, __LINE__);
      for (size_t i = 0; i < groupCount; ++i) order[i] = static_cast<uint32_t>(i);
      std::stable_sort(order.get(), order.get() + groupCount,
                       [&](uint32_t a, uint32_t b) { return groups[a].count < groups[b].count; });
      for (size_t k = 0; k < groupCount && currentLeaves > static_cast<size_t>(maxColours); ++k) {
        Group& g = groups[order[k]];
        currentLeaves -= g.children - 1;
        g.folded = true;
      }
      if (currentLeaves <= static_cast<size_t>(maxColours)) {
        // Leaves: folded groups of this depth, and the depth + 1 groups of
        // the others, in key order.
        for (size_t i = 0; i < groupCount; ++i) {
          const Group& g = groups[i];
          if (g.folded) {
            leaves[leafCount++] = {g.begin, g.end, depth};
            continue;
          }
          uint32_t at = g.begin;
          while (at < g.end) {
            uint32_t prefix = Prefix(colours[at].key, depth + 1);
            uint32_t end = at;
            while (end < g.end && Prefix(colours[end].key, depth + 1) == prefix) ++end;
            leaves[leafCount++] = {at, end, depth + 1};
            at = end;
          }
        }
        break;
      }
    }
  } else {
    for (uint32_t i = 0; i < distinct; ++i) leaves[leafCount++] = {i, i + 1, 8};
  }

  palette->count = static_cast<int>(leafCount);
  for (size_t i = 0; i < leafCount; ++i) {
    const Leaf& leaf = leaves[i];
    uint64_t count = 0;
    uint64_t sum[3] = {0, 0, 0};
    for (uint32_t k = leaf.begin; k < leaf.end; ++k) {
      count += colours[k].count;
      for (int c = 0; c < 3; ++c) sum[c] += colours[k].sum[c];
    }
    for (int c = 0; c < 3; ++c)
      palette->rgb[i][c] = static_cast<uint8_t>((sum[c] + count / 2) / count);
    palette->depth[i] = static_cast<uint8_t>(leaf.depth);
    uint32_t key = colours[leaf.begin].key;
    for (int level = 0; level < leaf.depth; ++level) {
      palette->path[i][level] = static_cast<uint8_t>((key >> (3 * (7 - level))) & 7);
    }
  }
  return CodecStatus::kOk;
}

size_t FormatColourTable(const BuiltPalette& palette, char* text, size_t size) {
  size_t length = 0;
  auto append = [&](const char* piece) {
    for (const char* p = piece; *p; ++p, ++length) {
      if (length + 1 < size) text[length] = *p;
    }
  };
  char piece[24];
  for (int i = 0; i < palette.count; ++i) {
    std::snprintf(piece, sizeof piece, "%d %d %d -", palette.rgb[i][0], palette.rgb[i][1],
                  palette.rgb[i][2]);
    append(piece);
    for (int k = 0; k < palette.depth[i]; ++k) {
      std::snprintf(piece, sizeof piece, " %d", palette.path[i][k]);
      append(piece);
    }
    append("\n");
  }
  if (size) text[length < size ? length : size - 1] = '\0';
  return length;
}
