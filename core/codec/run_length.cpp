#include "codec/run_length.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
  run->source = 0;
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

namespace {

// Per code byte: bytes it makes and bytes it takes (long runs, whose count
// needs the next byte, are marked with a length of 0).
struct CodeShape {
  uint16_t makes;
  uint8_t takes;
};

struct CodeShapes {
  CodeShape shape[256];
  CodeShapes() {
    for (int b = 0; b < 256; ++b) {
      CodeShape& s = shape[b];
      switch (b >> 5) {
        case 0:
          s = {static_cast<uint16_t>(b + 1), 1};
          break;
        case 1:
        case 3:
          s = {1, 1};
          break;
        case 2:
          s = {0, 0};
          break;
        case 4:
          s = {static_cast<uint16_t>((b & 0x1F) + 1), 1};
          break;
        case 6:
          s = {static_cast<uint16_t>((b & 0x1F) + 1), static_cast<uint8_t>((b & 0x1F) + 2)};
          break;
        default:
          s = {0, 1};
          break;
      }
    }
  }
};

const CodeShapes kShapes;

// Eight code bytes at a time: the codes that take one byte (all but long
// runs and literals, the bytes with bits 6..5 = 10) are counted together up
// to the first code that takes more. Returns how many bytes of word are such
// codes (0..8) and adds what they make to *total.
int CountOneByteCodes(uint64_t word, uint64_t* total) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  constexpr uint64_t kHigh = 0x8080808080808080ull;
  // Bytes equal to 0x40 after masking bits 6..5 mark the longer codes; the
  // lowest marked byte is exact (carries only spoil bytes above it).
  const uint64_t x = (word & (0x60 * kOnes)) ^ (0x40 * kOnes);
  const uint64_t marks = (x - kOnes) & ~x & kHigh;
  const int count = marks ? __builtin_ctzll(marks) / 8 : 8;
  if (count == 0) return 0;
  // Bit 5 clear: zero or 0xFF runs, (b & 0x1F) + 1 bytes. Bit 5 set: one
  // byte when bit 7 is clear (0x20-0x3F, 0x60-0x7F), none when set.
  const uint64_t bit5 = (word >> 5) & kOnes;
  const uint64_t bit7 = (word >> 7) & kOnes;
  const uint64_t runs = ((word & (0x1F * kOnes)) + kOnes) & ~(bit5 * 0xFF);
  uint64_t makes = runs | (bit5 & ~bit7);
  if (count < 8) makes &= (uint64_t{1} << (8 * count)) - 1;
  // Up to 8 x 32: add in 16-bit lanes.
  const uint64_t pairs = (makes & 0x00FF00FF00FF00FFull) + ((makes >> 8) & 0x00FF00FF00FF00FFull);
  *total += (pairs * 0x0001000100010001ull) >> 48;
  return count;
}

// Fill codes (zero runs, 0xFF runs, the two one-byte codes and the skipped
// codes, which fill nothing) as a byte value and a count, so the fast path
// treats them all alike. The counts are also what each byte makes read as a
// code of one byte, nothing for the heads of long runs and literals.
struct FillCodes {
  uint8_t value[256];
  uint8_t count[256];
  FillCodes() {
    for (int b = 0; b < 256; ++b) {
      switch (b >> 5) {
        case 0:
          value[b] = 0, count[b] = static_cast<uint8_t>(b + 1);
          break;
        case 1:
          value[b] = static_cast<uint8_t>(b << 4), count[b] = 1;
          break;
        case 3:
          value[b] = static_cast<uint8_t>(((b & 0x0F) << 4) | 0x0F), count[b] = 1;
          break;
        case 4:
          value[b] = 0xFF, count[b] = static_cast<uint8_t>((b & 0x1F) + 1);
          break;
        default:
          value[b] = 0, count[b] = 0;
          break;  // long runs and literals are apart
      }
    }
  }
};

const FillCodes kFills;

#if defined(__SSE2__)
constexpr size_t kChunk = 4096;
constexpr size_t kLongestCode = 34;  // a literal of 32 bytes and its head

// Measures whole chunks of the stream while each, with the longest code
// after it, lies inside: the first step reads every byte as a code of one
// byte, sixteen at a time, and marks the bytes that may head a long run or
// a literal; the second walks the marks in order, passes over those inside
// the operands of the head before them and takes the operands' counts back
// off. So only the few heads are walked one by one, without a branch that
// depends on the data. Returns where the next code starts and sets *total
// to what the codes before it make.
size_t MeasureChunks(const uint8_t* data, size_t size, uint64_t needed, uint64_t* total) {
  // Operands in the next chunk are taken off before they are counted, so
  // the sum between chunks may be below the true count, even below zero.
  int64_t sum = 0;
  size_t pos = 0;
  size_t nextCode = 0;  // past the operands of the last head
  uint64_t marks[kChunk / 64];
  // Every other byte may head a literal, and each mark is written before it
  // is known to be one: room for a mark after the last.
  size_t literals[kChunk / 2 + 1];
  while ((sum < 0 || static_cast<uint64_t>(sum) < needed) && size - pos >= kChunk + kLongestCode) {
    __m128i sums = _mm_setzero_si128();
    for (size_t i = 0; i < kChunk / 64; ++i) {
      uint64_t mask = 0;
      for (int k = 0; k < 4; ++k) {
        const __m128i v =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos + 64 * i + 16 * k));
        const __m128i heads =
            _mm_cmpeq_epi8(_mm_and_si128(v, _mm_set1_epi8(0x60)), _mm_set1_epi8(0x40));
        // Bit 5 clear: zero or 0xFF runs, (b & 0x1F) + 1 bytes. Bit 5 set:
        // one byte when bit 7 is clear, none when set.
        const __m128i bit5 =
            _mm_cmpeq_epi8(_mm_and_si128(v, _mm_set1_epi8(0x20)), _mm_set1_epi8(0x20));
        const __m128i bit7 = _mm_cmplt_epi8(v, _mm_setzero_si128());
        const __m128i runs = _mm_add_epi8(_mm_and_si128(v, _mm_set1_epi8(0x1F)), _mm_set1_epi8(1));
        const __m128i makes =
            _mm_or_si128(_mm_andnot_si128(_mm_or_si128(bit5, heads), runs),
                         _mm_and_si128(_mm_andnot_si128(bit7, bit5), _mm_set1_epi8(1)));
        sums = _mm_add_epi64(sums, _mm_sad_epu8(makes, _mm_setzero_si128()));
        mask |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(heads)) & 0xFFFFu)
                << (16 * k);
      }
      marks[i] = mask;
    }
    sum += static_cast<int64_t>(_mm_cvtsi128_si32(sums)) +
           static_cast<int64_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums)));

    size_t literalCount = 0;
    for (size_t i = 0; i < kChunk / 64; ++i) {
      for (uint64_t mask = marks[i]; mask != 0; mask &= mask - 1) {
        const size_t at = pos + 64 * i + static_cast<size_t>(__builtin_ctzll(mask));
        const uint8_t head = data[at];
        const uint8_t next = data[at + 1];
        const int64_t low = head & 0x1F;
        const bool isHead = at >= nextCode;
        const bool isLong = (head & 0x80) == 0;
        // A long run's count byte was counted as a code.
        const int64_t makes = isLong ? ((low << 8) | next) + 1 - kFills.count[next] : low + 1;
        sum += isHead ? makes : 0;
        nextCode = isHead ? at + (isLong ? 2 : static_cast<size_t>(low) + 2) : nextCode;
        literals[literalCount] = at;
        literalCount += isHead && !isLong;
      }
    }
    for (size_t l = 0; l < literalCount; ++l) {
      const uint8_t* operands = data + literals[l] + 1;
      const size_t n = (operands[-1] & 0x1Fu) + 1;
      for (size_t q = 0; q < n; ++q) sum -= kFills.count[operands[q]];
    }
    pos += kChunk;
  }
  // The last head's operands past the chunks were taken off but never
  // counted.
  for (; pos < nextCode; ++pos) sum += kFills.count[data[pos]];
  *total = static_cast<uint64_t>(sum);
  return pos;
}
#endif

}  // namespace

bool MeasureRunLength(const uint8_t* data, size_t size, uint64_t needed, uint64_t* made) {
  uint64_t total = 0;
  size_t pos = 0;
#if defined(__SSE2__)
  pos = MeasureChunks(data, size, needed, &total);
#endif
  while (total < needed) {
    if (size - pos >= 8) {
      uint64_t word;
      std::memcpy(&word, data + pos, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
      word = __builtin_bswap64(word);
#endif
      int count = CountOneByteCodes(word, &total);
      pos += static_cast<size_t>(count);
      if (count == 8) continue;
    }
    if (total >= needed || pos >= size) break;
    CodeShape s = kShapes.shape[data[pos]];
    if (s.takes == 0) {  // long run of zeros
      if (size - pos < 2) break;
      total += ((static_cast<uint64_t>(data[pos] & 0x1F) << 8) | data[pos + 1]) + 1;
      pos += 2;
      continue;
    }
    if (size - pos < s.takes) break;  // literal bytes missing
    total += s.makes;
    pos += s.takes;
  }
  *made = total;
  return total >= needed;
}

namespace {

// Room the fast path needs: a short run or literal is written as a whole
// 32-byte block, so the output and the input must have that much left.
constexpr size_t kBlock = 32;

#if defined(__SSE2__)
// Each fill code's byte sixteen times over, so a block is two stores of one
// load rather than a byte spread across a register first.
struct FillBlocks {
  alignas(16) uint8_t bytes[256][16];
  FillBlocks() {
    for (int b = 0; b < 256; ++b) std::memset(bytes[b], kFills.value[b], 16);
  }
};

const FillBlocks kFillBlocks;
#endif

// Zeros n bytes at o, where room bytes are free: whole blocks when they
// fit (the bytes past the run are written over by the codes that follow),
// as a run is typically a few hundred bytes, too short for a general fill
// to get going.
inline void ZeroRun(uint8_t* o, size_t n, size_t room) {
  if (room - n < kBlock) {
    std::memset(o, 0, n);
    return;
  }
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (size_t i = 0; i < n; i += kBlock) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o + i), zero);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o + i + 16), zero);
  }
#else
  std::memset(o, 0, n);
#endif
}

// Writes fill code b's whole block at o; returns the bytes the code makes.
inline size_t FillBlock(uint8_t* o, uint8_t b) {
#if defined(__SSE2__)
  const __m128i fill = _mm_load_si128(reinterpret_cast<const __m128i*>(kFillBlocks.bytes[b]));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o), fill);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 16), fill);
#else
  std::memset(o, kFills.value[b], kBlock);
#endif
  return kFills.count[b];
}

// The head of a long run of zeros or of literal bytes.
inline bool IsHead(uint8_t b) {
  return (b & 0x60) == 0x40;
}

// Decodes whole codes while every write and read stays inside its buffer
// with two blocks to spare; stops early, leaving the rest to the exact
// loop. Short runs are written as whole 32-byte blocks (the bytes past the
// run are overwritten by the codes that follow).
size_t FastRuns(RunLengthReader* r, uint8_t* out, size_t count) {
  const uint8_t* data = r->data;
  size_t pos = r->pos;
  size_t written = 0;
  if (count < 2 * kBlock || r->size < kBlock + 2) return 0;
  // The loop's bounds as limits, so each step compares without subtracting.
  const size_t lastWrite = count - 2 * kBlock;
  const size_t lastRead = r->size - (kBlock + 2);
  while (written <= lastWrite && pos <= lastRead) {
    const uint8_t b = data[pos];
    if (!IsHead(b)) {
      // Fills come in long stretches: two a step where the second is one
      // too, so the room is looked at half as often.
      const uint8_t next = data[pos + 1];
      written += FillBlock(out + written, b);
      ++pos;
      if (!IsHead(next)) {
        written += FillBlock(out + written, next);
        ++pos;
      }
    } else if ((b & 0x80) != 0) {  // literal bytes
      std::memcpy(out + written, data + pos + 1, kBlock);
      const size_t n = static_cast<size_t>(b & 0x1F) + 1;
      written += n;
      pos += n + 1;
    } else {  // long run of zeros
      const size_t n = ((static_cast<size_t>(b & 0x1F) << 8) | data[pos + 1]) + 1;
      if (n > count - written) break;
      ZeroRun(out + written, n, count - written);
      written += n;
      pos += 2;
    }
  }
  r->pos = pos;
  return written;
}

}  // namespace

bool DecodeRunLength(RunLengthReader* r, uint8_t* out, size_t count) {
  size_t written = 0;
  if (r->pendingCount == 0) written = FastRuns(r, out, count);
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
