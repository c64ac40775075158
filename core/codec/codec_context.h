// The codec's state for one program: its options and settings, the
// decoder's tables and scratch, the palette, the spot and one error record,
// in one explicit object. A context is used by one thread at a time; a
// program keeps one for the life of the process (tables and scratch planes
// are made on first use and kept).
#pragma once

#include <memory>

#include "base/stdio_file.h"
#include "codec/codec_base.h"
#include "codec/codec_options.h"
#include "codec/colour_convert.h"
#include "codec/d4_synthesis.h"
#include "codec/huffman.h"
#include "codec/palette.h"
#include "codec/wavelet.h"

// Decoder tables and scratch.
struct ArtDecoder {
  bool clampBuilt = false;
  ClampTable clamp;          // built at the first decode
  HuffmanDecoder huffman;    // rebuilt for each payload
  HuffmanScratch halves;     // grown to the longest run-length stream seen
  SynthesisScratch scratch;  // grown to the largest plane seen
};

// The caption spot: its mask and the backup file "spot.sav".
struct SpotState {
  WaveletPtr mask;  // from LoadSpotMask: pixels hold mask width x height bytes
  StdioFile file;   // open from the first SaveSpot
  char path[kPathSize] = {};
};

struct CodecContext {
  CodecContext() {
    decoder.scratch.budget = &memory;
    decoder.halves.budget = &memory;
  }
  // error refers into palette and palette points at options: a copy would
  // still point into the context it was copied from.
  CodecContext(const CodecContext&) = delete;
  CodecContext& operator=(const CodecContext&) = delete;

  // What the program asked for (InitCodecContext).
  CodecOptions options;

  // Settings the program fills in.
  int displayBitsPerPixel = 24;           // planes x bits a pixel of the display
  int ditherKernel = 2;                   // 0..15; both programs use 2
  bool serpentine = false;                // both programs leave it off
  int logoKind = -1;                      // logo overlay: -1 none, 1 "logo1.art", else "logo3.art"
  char artDirectory[kPathSize] = {};      // logo overlay: prefix of the logo files
  char programDirectory[kPathSize] = {};  // where "spot.sav" is made

  // Every buffer the context's operations allocate is charged here, the
  // ones they return too (those must go before the context). Declared
  // before the members that hold charged buffers, so it outlives them.
  MemoryBudget memory;

  // Tables, scratch and files kept between calls.
  ArtDecoder decoder;
  PaletteContext palette;
  SpotState spot;

  // The failure of the last operation, whichever part of the codec it came
  // from: the palette routines record into this same record.
  CodecError& error = palette.error;

  // A flag the caller sets to stop decoding, scaling or colour reduction at
  // the next piece or row (null: never stopped); they then return kStopped.
  // The palette routines read this same flag.
  const std::atomic<bool>*& cancel = palette.cancel;
};

// Prepares a context with the program's options (defaults: the plain
// behaviour) and the default settings.
void InitCodecContext(CodecContext* ctx, const CodecOptions& options = CodecOptions());

// Copies a directory into artDirectory / programDirectory. False when it
// does not fit in 260 characters.
bool SetArtDirectory(CodecContext* ctx, const char* directory);
bool SetProgramDirectory(CodecContext* ctx, const char* directory);

// A failed allocation in the words of ctx's options; one that the context's
// budget refused says so, with the budget.
CodecStatus OutOfMemory(CodecContext* ctx, const char* module, int line);
