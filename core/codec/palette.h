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

// Every search result kept: the search is a pure function of the colour and
// the table, so each 24-bit colour is searched at most once per table (the
// error diffusion asks for the same colours over and over). The index table
// is only touched where colours were seen; the bitmap says which entries
// hold an answer and is cleared when a table is read.
struct NearestCache {
  static constexpr uint32_t kColours = 1u << 24;
  // The answer for every colour of a cell of the top five bits of each
  // channel, where the walk ends at a leaf within those bits (so the low
  // bits cannot change it); -1 where they can. 64 KiB, so it stays in
  // the processor's cache, unlike the per-colour table.
  static constexpr int kPrefixBits = 5;
  static constexpr uint32_t kPrefixCells = 1u << (3 * kPrefixBits);
  std::unique_ptr<int16_t[]> prefix;  // kPrefixCells answers or -1
  std::unique_ptr<uint8_t[]> index;   // kColours palette indexes
  std::unique_ptr<uint64_t[]> known;  // kColours / 64 words, one bit a colour
};

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
