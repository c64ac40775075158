// Colour tables (.TR), nearest-colour search and colour reduction (module
// PALETTE).
//
// A .TR file is text, one colour a line, at most 256 lines:
//   "R G B - d0 d1 ... dn\n"
// three decimal numbers 0..255 (red, green, blue), then after the first "-"
// the octree path digits 0..7 separated by blanks (at most 8; none makes the
// root the leaf). Line n is palette entry n. A last line without a line end
// is not read. Lines hold at most 254 characters before their line end.
// Blank lines (empty, or spaces and tabs) may follow the last colour line;
// before a colour line they are refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "codec/codec_base.h"
#include "codec/codec_options.h"
#include "codec/dither.h"
#include "codec/octree.h"

// The Windows LOGPALETTE layout (version 0x300, count, red/green/blue/flags
// entries), so the programs can hand it to CreatePalette as it is.
struct PaletteEntry {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
  uint8_t flags;
};

struct LogicalPalette {
  uint16_t version;
  uint16_t entryCount;
  PaletteEntry entries[kMaxPaletteColours];
};
static_assert(sizeof(PaletteEntry) == 4, "PALETTEENTRY is 4 bytes");
static_assert(sizeof(LogicalPalette) == 4 + 4 * kMaxPaletteColours, "LOGPALETTE layout");

// Everything one colour table gives.
struct ColourTable {
  LogicalPalette palette;
  uint32_t values[kMaxPaletteColours];  // 0x00RRGGBB per entry
  ColourOctree octree;
};

// Nearest-colour answers kept by cell of colour space: the colours sharing
// the top kCellBits bits of each channel. A cell is worked out at its first
// search. Where the walk of all its colours ends at one leaf, that leaf is
// the answer. Where it stops at one node, only the few leaves below that
// node that can be nearest to some colour of the cell are compared (the node
// may have a couple of hundred), and the answers for the cell's colours are
// kept in a block of their own. Where the walk goes deeper than the cell's
// bits, each colour is searched. Only cells the pictures reach are worked
// out, and a new table clears them all.
struct NearestCache {
  static constexpr int kCellBits = 6;
  static constexpr int kLowBits = 8 - kCellBits;
  static constexpr uint32_t kCells = 1u << (3 * kCellBits);
  static constexpr uint32_t kBlockSize = 1u << (3 * kLowBits);  // colours a cell holds
  // A cell's entry: its answer (below 256), 256 + its block's number, or
  // one of these. Two bytes a cell, so that the cells' pages are few; the
  // cells that find the blocks all taken search each colour.
  static constexpr uint32_t kUnclassified = 0xFFFF;
  static constexpr uint32_t kSearchEach = 0xFFFE;
  static constexpr uint32_t kFirstBlock = 256;
  static constexpr uint32_t kMaxBlocks = kSearchEach - kFirstBlock;
  std::unique_ptr<uint16_t[]> cells;  // kCells entries
  // The blocks: kBlockSize palette indexes each, by the colours' low bits.
  std::unique_ptr<uint8_t[]> blocks;
  uint32_t blockCount = 0;  // in use
  uint32_t blockCapacity = 0;
  // Cells of one bit less a channel (eight cells each), where the walk
  // stops at a node above the cells' bits: the leaves that may be nearest
  // in the larger cell, so that each of its cells compares only those. The
  // parents' own parents, one bit less again, cut the node's leaves down
  // for them the same way. Entries kParents on are the parents' parents.
  static constexpr uint32_t kParents = kCells / 8;
  static constexpr uint32_t kParentEntries = kParents + kParents / 8;
  static constexpr uint32_t kParentUnworked = 0xFFFFFFFF;
  static constexpr uint32_t kNoParentList = 0xFFFFFFFE;  // the cells walk on their own
  std::unique_ptr<uint32_t[]> parents;      // kParentEntries: (offset << 9) | count, or a mark
  std::unique_ptr<int16_t[]> parentLeaves;  // the lists, leaf numbers in search order
  uint32_t parentLeafCount = 0;
  uint32_t parentLeafCapacity = 0;
};

// The cell of colour (0x00RRGGBB) among the cells of the top `bits` bits of
// each channel: red's bits, then green's, then blue's.
inline uint32_t CellOf(uint32_t colour, int bits) {
  const int shift = 8 - bits;
  const uint32_t mask = (1u << bits) - 1;
  return ((colour >> (16 + shift)) & mask) << (2 * bits) |
         ((colour >> (8 + shift)) & mask) << bits | ((colour >> shift) & mask);
}

inline uint32_t NearestCell(uint32_t colour) {
  return CellOf(colour, NearestCache::kCellBits);
}

// A colour's place in its cell's block.
inline uint32_t PlaceInBlock(uint32_t colour) {
  constexpr int kBits = NearestCache::kLowBits;
  constexpr uint32_t kMask = (1u << kBits) - 1;
  return ((colour >> 16) & kMask) << (2 * kBits) | ((colour >> 8) & kMask) << kBits |
         (colour & kMask);
}

// The palette index for colour (0x00RRGGBB) when its cell has it, -1 when
// the cell is not worked out yet or searches each colour (NearestColourIndex
// then does the rest). Inline for the error diffusion's inner loop.
inline int CellNearestIndex(const NearestCache& cache, uint32_t colour) {
  const uint32_t entry = cache.cells[NearestCell(colour)];
  if (entry < NearestCache::kFirstBlock) return static_cast<int>(entry);
  if (entry >= NearestCache::kSearchEach) return -1;
  return cache.blocks[(entry - NearestCache::kFirstBlock) * NearestCache::kBlockSize +
                      PlaceInBlock(colour)];
}

struct DitherState {
  DeltaTables deltas;
  int lastKernel8 = -1;   // the kernel DitherImage8 used last
  int lastKernel16 = -1;  // the kernel DitherImage16 used last
  IntBuffer errorRows[5];
  int errorRowEntries = 0;  // entries (3 channels each) the rows hold
};

struct PaletteContext {
  // The program's options (trace, out-of-memory text); null for the
  // defaults. Inside a CodecContext, that context's options.
  const CodecOptions* options = nullptr;
  std::unique_ptr<ColourTable> table;   // null until a table was read
  std::unique_ptr<NearestCache> cache;  // made at the first search
  bool cacheFailed = false;             // no memory for it: search every time
  DitherState dither;
  // The failure of the last operation (the whole codec's record when the
  // palette belongs to a CodecContext).
  CodecError error;
  // Set by a caller that may want a reduction stopped (null: never); read
  // between rows (StopRequested). The whole codec's flag when the palette
  // belongs to a CodecContext.
  const std::atomic<bool>* cancel = nullptr;
};

// Sets up an empty context. options, when given, must outlive it.
void InitPaletteContext(PaletteContext* ctx, const CodecOptions* options = nullptr);

// Reads a colour table file; on success the table replaces the previous one
// and *palette (when not null) points at the context's logical palette. On
// failure the previous table stays. Errors: "File %s could not be opened:
// EXITING\r\n"; a malformed line, more than 256 lines or no colour line at
// all, each with the file and line.
CodecStatus ReadColourTable(PaletteContext* ctx, const char* path,
                            const LogicalPalette** palette = nullptr);

// The same from text in memory; name stands for the file in messages.
CodecStatus ReadColourTableFromText(PaletteContext* ctx, const char* text, size_t length,
                                    const char* name, const LogicalPalette** palette = nullptr);

// Colour value (0x00RRGGBB) of the nearest palette entry; 0 when no table
// has been read.
uint32_t NearestColour(PaletteContext* ctx, uint32_t colour);

// Palette index of the same entry; -1 when no table has been read.
int NearestColourIndex(PaletteContext* ctx, uint32_t colour);

// The context's kept answers, made now if need be, for the loops below;
// null when no table has been read or there was no memory for them. Valid
// until the context is freed.
const NearestCache* PrepareNearestCache(PaletteContext* ctx);

// NearestColourIndex and NearestColour for loops over many colours: the
// kept answer read inline where the cell has one. cache is
// PrepareNearestCache's (null: always the full call).
inline int NearestColourIndexKept(PaletteContext* ctx, const NearestCache* cache, uint32_t colour) {
  const int index = cache ? CellNearestIndex(*cache, colour) : -1;
  return index >= 0 ? index : NearestColourIndex(ctx, colour);
}

inline uint32_t NearestColourKept(PaletteContext* ctx, const NearestCache* cache, uint32_t colour) {
  const int index = cache ? CellNearestIndex(*cache, colour) : -1;
  return index >= 0 ? ctx->table->values[index] : NearestColour(ctx, colour);
}

// Images below are 24-bit (blue, green, red), `width` pixels a row, each row
// followed by rowPadding bytes.

// Replaces each pixel by its nearest palette colour, no diffusion.
CodecStatus MapImageToPalette(PaletteContext* ctx, uint8_t* image, int rows, int width,
                              int rowPadding);

// Error diffusion with kernel 0..15 to the palette (8-bit displays) or to
// five bits a channel (16-bit displays). Serpentine travel alternates the
// direction, right-to-left rows using the mirrored kernel.
CodecStatus DitherImage8(PaletteContext* ctx, int kernel, bool serpentine, uint8_t* image, int rows,
                         int width, int rowPadding);
CodecStatus DitherImage16(PaletteContext* ctx, int kernel, bool serpentine, uint8_t* image,
                          int rows, int width, int rowPadding);

// A failed allocation of a palette routine, in the words of ctx's options.
CodecStatus PaletteOutOfMemory(PaletteContext* ctx, int line);

// Builds the delta tables of kernel into slots (a weight's table is made
// once and shared by every tap of that weight and by the mirrored kernel).
// Error: "Not enough memory for delta array\r\n".
CodecStatus MakeDeltas(PaletteContext* ctx, int kernel, DeltaTables* slots);
