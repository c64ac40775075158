#include "codec/palette.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "base/stdio_file.h"

namespace {

constexpr size_t kMaxLineLength = 254;         // characters before the line end
constexpr size_t kMaxTableFileSize = 1 << 20;  // far above 256 full lines

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

// The walk of SearchOctree for the colours whose top kPrefixBits bits of
// each channel are those of `colour`: the leaf it ends at when that happens
// within those bits, else -1 (a deeper walk, or a search below a node,
// depends on the lower bits).
int16_t PrefixAnswer(const ColourOctree& tree, uint32_t colour) {
  if (tree.nodeCount == 0) return -1;
  int node = 0;
  for (int level = 0; level < tree.maxDepth; ++level) {
    if (level >= NearestCache::kPrefixBits) return -1;
    const int c = tree.nodes[node].child[OctreeChildIndex(colour, level)];
    if (c < 0) return -1;
    if (tree.nodes[c].isLeaf) return static_cast<int16_t>(tree.nodes[c].index);
    node = c;
  }
  return tree.nodes[node].isLeaf ? static_cast<int16_t>(tree.nodes[node].index) : -1;
}

uint32_t PrefixCell(uint32_t colour) {
  constexpr int kShift = 8 - NearestCache::kPrefixBits;
  constexpr uint32_t kMask = (1u << NearestCache::kPrefixBits) - 1;
  return ((colour >> (16 + kShift)) & kMask) << (2 * NearestCache::kPrefixBits) |
         ((colour >> (8 + kShift)) & kMask) << NearestCache::kPrefixBits |
         ((colour >> kShift) & kMask);
}

void FillPrefixAnswers(const ColourOctree& tree, int16_t* prefix) {
  constexpr int kShift = 8 - NearestCache::kPrefixBits;
  constexpr uint32_t kSide = 1u << NearestCache::kPrefixBits;
  for (uint32_t r = 0; r < kSide; ++r) {
    for (uint32_t g = 0; g < kSide; ++g) {
      for (uint32_t b = 0; b < kSide; ++b) {
        const uint32_t colour = (r << kShift) << 16 | (g << kShift) << 8 | (b << kShift);
        prefix[PrefixCell(colour)] = PrefixAnswer(tree, colour);
      }
    }
  }
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
  if (ctx->cache) {
    std::memset(ctx->cache->known.get(), 0, NearestCache::kColours / 8);
    FillPrefixAnswers(ctx->table->octree, ctx->cache->prefix.get());
  }
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
  ByteBuffer text;
  if (!AllocateBytes(&text, kMaxTableFileSize + 1, false)) {
    return PaletteOutOfMemory(ctx, __LINE__);
  }
  size_t length = std::fread(text.data(), 1, text.size, file.get());
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
      cache->prefix.reset(new (std::nothrow) int16_t[NearestCache::kPrefixCells]);
      cache->index.reset(new (std::nothrow) uint8_t[NearestCache::kColours]);
      cache->known.reset(new (std::nothrow) uint64_t[NearestCache::kColours / 64]());
    }
    if (cache && cache->prefix && cache->index && cache->known) {
      FillPrefixAnswers(ctx->table->octree, cache->prefix.get());
      ctx->cache = std::move(cache);
    } else {
      ctx->cacheFailed = true;
    }
  }
  return ctx->cache.get();
}

}  // namespace

int NearestColourIndex(PaletteContext* ctx, uint32_t colour) {
  if (!ctx->table) return -1;
  colour &= 0xFFFFFF;
  NearestCache* cache = Cache(ctx);
  if (!cache) return SearchOctree(ctx->table->octree, colour);
  const int16_t known = cache->prefix[PrefixCell(colour)];
  if (known >= 0) return known;
  // Stored by 8 x 8 x 8 cells of colour space: the colours one picture
  // asks for lie close together, and so do their entries (a cell's answers
  // share one cache line of the bitmap).
  const uint32_t r = colour >> 16, g = (colour >> 8) & 0xFF, b = colour & 0xFF;
  const uint32_t slot = ((r >> 3) << 19) | ((g >> 3) << 14) | ((b >> 3) << 9) | ((r & 7) << 6) |
                        ((g & 7) << 3) | (b & 7);
  uint64_t& word = cache->known[slot >> 6];
  const uint64_t bit = uint64_t{1} << (slot & 63);
  if (word & bit) return cache->index[slot];
  int index = SearchOctree(ctx->table->octree, colour);
  if (index >= 0) {
    cache->index[slot] = static_cast<uint8_t>(index);
    word |= bit;
  }
  return index;
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
