// Run-length layer of the .ART payload (code table in art_format.h).
//
// The stream is one run of coefficient bytes that the pieces take in P-byte
// slices. A run that crosses the end of a piece is held in the reader and
// finishes at the start of the next piece, so no piece needs a spill area
// after its coefficients.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/codec_base.h"

struct RunLengthReader {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t pos = 0;  // next code byte
  // The unfinished part of the last run: a fill of one byte value, or
  // literal bytes still to copy from data + literalPos.
  size_t pendingCount = 0;
  bool pendingLiteral = false;
  uint8_t pendingValue = 0;
  size_t literalPos = 0;
};

void InitRunLengthReader(RunLengthReader* reader, const uint8_t* data, size_t size);

// Counts the bytes the stream makes, stopping once `needed` are reached.
// False (with *made the bytes counted so far) when a code's operands run past
// the end of the stream or the stream ends first.
bool MeasureRunLength(const uint8_t* data, size_t size, uint64_t needed, uint64_t* made);

// Writes exactly count bytes to out. False when the stream ends first or a
// code's operands lie past its end.
bool DecodeRunLength(RunLengthReader* reader, uint8_t* out, size_t count);
