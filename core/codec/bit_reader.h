// Least-significant-bit-first reader over a byte range. Never reads outside
// [data, data + size): the payload carries no guard bytes of its own.
#pragma once

#include <cstddef>
#include <cstdint>

struct BitReader {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t pos = 0;     // next byte to load
  uint64_t bits = 0;  // loaded bits, next bit in bit 0
  int count = 0;      // number of loaded bits
};

inline void InitBitReader(BitReader* reader, const uint8_t* data, size_t size) {
  *reader = BitReader();
  reader->data = data;
  reader->size = size;
}

// Loads whole bytes while they fit in the 64-bit buffer.
inline void RefillBits(BitReader* r) {
  if (r->count <= 32 && r->size - r->pos >= 4) {
    const uint8_t* p = r->data + r->pos;
    uint64_t word = static_cast<uint64_t>(p[0]) | static_cast<uint64_t>(p[1]) << 8 |
                    static_cast<uint64_t>(p[2]) << 16 | static_cast<uint64_t>(p[3]) << 24;
    r->bits |= word << r->count;
    r->count += 32;
    r->pos += 4;
  }
  while (r->count <= 56 && r->pos < r->size) {
    r->bits |= static_cast<uint64_t>(r->data[r->pos++]) << r->count;
    r->count += 8;
  }
}

// Bits left in the stream, loaded or not.
inline uint64_t BitsLeft(const BitReader& r) {
  return static_cast<uint64_t>(r.size - r.pos) * 8 + static_cast<uint64_t>(r.count);
}

// Reads an n-bit number (n <= 32), bit 0 first. False at the end of the data.
inline bool ReadBits(BitReader* r, int n, uint32_t* value) {
  if (r->count < n) RefillBits(r);
  if (r->count < n) return false;
  *value = static_cast<uint32_t>(r->bits & ((uint64_t{1} << n) - 1));
  r->bits >>= n;
  r->count -= n;
  return true;
}
