#include "codec/run_length.h"

#include <cstring>

namespace {

// One decoded code: a fill (value, count) or a literal (source, count).
struct Run {
  size_t count;
  bool literal;
  uint8_t value;
  size_t source;
};

// Decodes the code at *pos. False when its operands run past the end.
bool NextRun(const uint8_t* data, size_t size, size_t* pos, Run* run) {
  uint8_t b = data[(*pos)++];
  run->literal = false;
  run->value = 0;
  switch (b >> 5) {
    case 0:  // 0x00-0x1F: zeros
      run->count = static_cast<size_t>(b) + 1;
      return true;
    case 1:  // 0x20-0x3F: one byte, low nibble moved up
      run->count = 1;
      run->value = static_cast<uint8_t>(b << 4);
      return true;
    case 2:  // 0x40-0x5F: long run of zeros
      if (*pos >= size) return false;
      run->count = ((static_cast<size_t>(b & 0x1F) << 8) | data[(*pos)++]) + 1;
      return true;
    case 3:  // 0x60-0x7F: one byte ending in 0xF
      run->count = 1;
      run->value = static_cast<uint8_t>(((b & 0x0F) << 4) | 0x0F);
      return true;
    case 4:  // 0x80-0x9F: 0xFF bytes
      run->count = static_cast<size_t>(b & 0x1F) + 1;
      run->value = 0xFF;
      return true;
    case 6:  // 0xC0-0xDF: literal bytes
      run->count = static_cast<size_t>(b & 0x1F) + 1;
      if (size - *pos < run->count) return false;
      run->literal = true;
      run->source = *pos;
      *pos += run->count;
      return true;
    default:  // 0xA0-0xBF, 0xE0-0xFF: no output
      run->count = 0;
      return true;
  }
}

}  // namespace

void InitRunLengthReader(RunLengthReader* reader, const uint8_t* data, size_t size) {
  *reader = RunLengthReader();
  reader->data = data;
  reader->size = size;
}

bool MeasureRunLength(const uint8_t* data, size_t size, uint64_t needed, uint64_t* made) {
  uint64_t total = 0;
  size_t pos = 0;
  while (total < needed) {
    Run run;
    if (pos >= size || !NextRun(data, size, &pos, &run)) {
      *made = total;
      return false;
    }
    total += run.count;
  }
  *made = total;
  return true;
}

bool DecodeRunLength(RunLengthReader* r, uint8_t* out, size_t count) {
  size_t written = 0;
  while (written < count) {
    if (r->pendingCount == 0) {
      Run run;
      if (r->pos >= r->size || !NextRun(r->data, r->size, &r->pos, &run)) return false;
      r->pendingCount = run.count;
      r->pendingLiteral = run.literal;
      r->pendingValue = run.value;
      r->literalPos = run.source;
      if (run.count == 0) continue;
    }
    size_t n = r->pendingCount < count - written ? r->pendingCount : count - written;
    if (r->pendingLiteral) {
      std::memcpy(out + written, r->data + r->literalPos, n);
      r->literalPos += n;
    } else {
      std::memset(out + written, r->pendingValue, n);
    }
    written += n;
    r->pendingCount -= n;
  }
  return true;
}
