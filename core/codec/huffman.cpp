#include "codec/huffman.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsLeaf(uint16_t child) {
  return child < 256;
}

// Follows one bit from node; returns the child value.
uint16_t Step(const HuffmanDecoder& d, int node, uint32_t bit) {
  return d.child[node][bit];
}

// A corrupt tree may link nodes into a loop; the depth-first walks would then
// never end. Colour marking over at most 255 nodes, iterative.
bool HasLoop(const HuffmanDecoder& d) {
  uint8_t state[kMaxHuffmanNodes] = {};  // 0 new, 1 on the path, 2 done
  int stack[kMaxHuffmanNodes];
  uint8_t nextBit[kMaxHuffmanNodes];
  int depth = 0;
  stack[0] = d.nodeCount - 1;
  nextBit[0] = 0;
  state[stack[0]] = 1;
  while (depth >= 0) {
    int node = stack[depth];
    if (nextBit[depth] == 2) {
      state[node] = 2;
      --depth;
      continue;
    }
    uint16_t c = d.child[node][nextBit[depth]++];
    if (IsLeaf(c)) continue;
    int n = c - 256;
    if (state[n] == 1) return true;
    if (state[n] == 2) continue;
    state[n] = 1;
    ++depth;
    stack[depth] = n;
    nextBit[depth] = 0;
  }
  return false;
}

// Every slot's first code from one walk of the tree's top kLookaheadBits
// levels: a code of length n is the first code of every slot whose low n
// bits are its bits (2^(11 - n) slots, 2^n apart); a node at the last level
// is where the slot's code goes on bit by bit. Then the codes after the
// first from the slots themselves: the slot of the bits left over starts
// with the next code, which counts when it ends within the slot's own bits.
void BuildLookahead(HuffmanDecoder* d) {
  constexpr uint32_t kSlotCount = 1u << kLookaheadBits;
  struct Visit {
    int node;
    uint32_t bits;  // the path to it, first bit lowest
    int depth;
  };
  // Depth first, at most two pending visits a level.
  Visit stack[2 * kLookaheadBits];
  int top = 0;
  stack[top++] = {d->nodeCount - 1, 0, 0};
  while (top > 0) {
    const Visit v = stack[--top];
    for (uint32_t bit = 0; bit < 2; ++bit) {
      const uint16_t c = Step(*d, v.node, bit);
      const uint32_t bits = v.bits | bit << v.depth;
      const int depth = v.depth + 1;
      if (IsLeaf(c)) {
        const HuffmanLookahead slot = {{static_cast<uint8_t>(c), 0, 0, 0},
                                       static_cast<uint8_t>(depth),
                                       1,
                                       static_cast<uint8_t>(depth),
                                       0};
        for (uint32_t index = bits; index < kSlotCount; index += 1u << depth) {
          d->lookahead[index] = slot;
        }
      } else if (depth == kLookaheadBits) {
        // Nodes number below 255.
        d->lookahead[bits] = {{static_cast<uint8_t>(c - 256), 0, 0, 0}, kLookaheadBits, 0, 0, 0};
      } else {
        stack[top++] = {c - 256, bits, depth};
      }
    }
  }
  for (uint32_t index = 0; index < kSlotCount; ++index) {
    HuffmanLookahead& slot = d->lookahead[index];
    if (slot.codes == 0) continue;
    int used = slot.firstLength;
    while (slot.codes < kSlotCodes) {
      const HuffmanLookahead& next = d->lookahead[index >> used];
      if (next.codes == 0 || used + next.firstLength > kLookaheadBits) break;
      slot.bytes[slot.codes++] = next.bytes[0];
      used += next.firstLength;
    }
    slot.length = static_cast<uint8_t>(used);
  }
}

}  // namespace

CodecStatus ReadHuffmanTree(HuffmanDecoder* d, BitReader* reader, const char* name,
                            CodecError* error) {
  uint32_t count = 0;
  if (!ReadBits(reader, 8, &count) || count == 0) {
    return SetCodecError(error, CodecStatus::kBadData, kArtModule, __LINE__,
                         "Art file %s: Huffman tree has no nodes", name);
  }
  d->nodeCount = static_cast<int>(count);
  for (int node = 0; node < d->nodeCount; ++node) {
    uint32_t one = 0;
    uint32_t zero = 0;
    if (!ReadBits(reader, 9, &one) || !ReadBits(reader, 9, &zero)) {
      return SetCodecError(error, CodecStatus::kBadData, kArtModule, __LINE__,
                           "Art file %s ends inside its Huffman tree", name);
    }
    if ((one >= 256 && one - 256 >= count) || (zero >= 256 && zero - 256 >= count)) {
      return SetCodecError(error, CodecStatus::kBadData, kArtModule, __LINE__,
                           "Art file %s: Huffman node %d has a child outside the tree", name, node);
    }
    d->child[node][1] = static_cast<uint16_t>(one);
    d->child[node][0] = static_cast<uint16_t>(zero);
  }
  if (HasLoop(*d)) {
    return SetCodecError(error, CodecStatus::kBadData, kArtModule, __LINE__,
                         "Art file %s: Huffman tree loops back on itself", name);
  }
  BuildLookahead(d);
  return CodecStatus::kOk;
}

namespace {

constexpr uint64_t kSlotMask = (1u << kLookaheadBits) - 1;

// The bits read so far, counted from the reader's first byte: the bytes
// loaded less the bits still in the buffer.
uint64_t BitPosition(size_t pos, int count) {
  return static_cast<uint64_t>(pos) * 8 - static_cast<uint64_t>(count);
}
uint64_t BitPosition(const BitReader& r) {
  return BitPosition(r.pos, r.count);
}

// A reader decoding at full speed: its buffer is topped up to at least 56
// bits with one 8-byte load and up to five table slots (5 x 11 bits, up to
// kSlotCodes codes each) are taken before looking again. The bits above
// `count` are those of the bytes from pos on, the very bits the next load
// puts there, so they may stay until the reader goes back to a BitReader.
struct FastReader {
  const uint8_t* data;
  size_t size;
  size_t pos;
  uint64_t bits;
  int count;
  uint8_t* out;
  size_t made;
  size_t outSize;

  static constexpr int kSlots = 56 / kLookaheadBits;

  FastReader(const BitReader& r, uint8_t* o, size_t m, size_t n)
      : data(r.data),
        size(r.size),
        pos(r.pos),
        bits(r.bits),
        count(r.count),
        out(o),
        made(m),
        outSize(n) {}

  // Whether one more round fits the output and the data.
  bool CanGo() const { return outSize - made >= kSlotCodes * kSlots && size - pos >= 8; }

  uint64_t Position() const { return BitPosition(pos, count); }

  // One round; false when a slot holds a longer code, which is left for the
  // careful decoder.
  bool Round(const HuffmanLookahead* table) {
    if (count < 56) {
      uint64_t word;
      std::memcpy(&word, data + pos, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
      word = __builtin_bswap64(word);
#endif
      bits |= word << count;
      pos += static_cast<size_t>((63 - count) >> 3);
      count |= 56;
    }
    for (int i = 0; i < kSlots; ++i) {
      const HuffmanLookahead& slot = table[bits & kSlotMask];
      const int codes = slot.codes;
      if (codes == 0) return false;
      // All the slot's bytes are written; those past its codes are
      // written over next.
      std::memcpy(out + made, slot.bytes, kSlotCodes);
      made += static_cast<size_t>(codes);
      bits >>= slot.length;
      count -= slot.length;
    }
    return true;
  }

  // Back to the plain reader, whose buffer is clear above `count`.
  void Store(BitReader* r) const {
    r->bits = count < 64 ? bits & ((uint64_t{1} << count) - 1) : bits;
    r->count = count;
    r->pos = pos;
  }
};

// One code the careful way (a code longer than the table's bits, or the
// stream's last bytes). False when the stream ends inside it.
bool DecodeOneCode(const HuffmanDecoder& d, BitReader* r, uint8_t* byte) {
  if (r->count < kLookaheadBits) RefillBits(r);
  int node = d.nodeCount - 1;
  if (r->count >= kLookaheadBits) {
    const HuffmanLookahead& slot = d.lookahead[r->bits & kSlotMask];
    if (slot.codes != 0) {
      *byte = slot.bytes[0];
      r->bits >>= slot.firstLength;
      r->count -= slot.firstLength;
      return true;
    }
    // A longer code: on from the node reached.
    r->bits >>= kLookaheadBits;
    r->count -= kLookaheadBits;
    node = slot.bytes[0];
  }
  // Bit by bit: the rest of a longer code, or, with too few bits left for
  // the table (it would look past the end), the whole code from the root.
  for (;;) {
    if (r->count == 0) RefillBits(r);
    if (r->count == 0) return false;
    const uint16_t c = Step(d, node, static_cast<uint32_t>(r->bits & 1));
    r->bits >>= 1;
    r->count -= 1;
    if (IsLeaf(c)) {
      *byte = static_cast<uint8_t>(c);
      return true;
    }
    node = c - 256;
  }
}

// One round of `fast`, whose plain reader is r; a slot that holds a longer
// code gets the careful decoder. False when the stream ends inside that
// code; storing `fast` into r again then undoes the attempt.
inline bool Advance(const HuffmanDecoder& d, FastReader* fast, BitReader* r) {
  if (fast->Round(d.lookahead)) return true;
  fast->Store(r);
  if (!DecodeOneCode(d, r, fast->out + fast->made)) return false;
  *fast = FastReader(*r, fast->out, fast->made + 1, fast->outSize);
  return true;
}

// The stream from where r stands, one reader, into out from `made` on: at
// full speed while whole rounds fit, then code by code to the end.
size_t DecodeOneWay(const HuffmanDecoder& d, BitReader* r, uint8_t* out, size_t made,
                    size_t outSize) {
  FastReader fast(*r, out, made, outSize);
  while (fast.CanGo() && Advance(d, &fast, r)) {
  }
  fast.Store(r);
  made = fast.made;
  while (made < outSize && DecodeOneCode(d, r, out + made)) ++made;
  return made;
}

// The first reader code by code from firstMade until it ends a code where
// the second reader ended one of its first codes (ends[0 .. noted], made
// into second[0 .. noted - 1]); from there on the second reader's bytes are
// the stream's, and r takes the second reader's place. Returns the bytes
// made in all.
size_t JoinAtACodeEnd(const HuffmanDecoder& d, BitReader* r, uint8_t* out, size_t firstMade,
                      size_t outSize, const uint64_t* ends, int noted,
                      const BitReader& secondReader, const uint8_t* second, size_t secondMade) {
  int next = 0;
  while (firstMade < outSize) {
    const uint64_t at = BitPosition(*r);
    while (next <= noted && ends[next] < at) ++next;
    if (next > noted) {
      // Past every noted end: they never met.
      return DecodeOneWay(d, r, out, firstMade, outSize);
    }
    if (ends[next] == at) {
      const size_t rest = std::min(secondMade - static_cast<size_t>(next), outSize - firstMade);
      std::memcpy(out + firstMade, second + next, rest);
      // The second reader's room may have ended before the stream's bytes
      // did; it stands after its last code, so the rest follows from there.
      *r = secondReader;
      return DecodeOneWay(d, r, out, firstMade + rest, outSize);
    }
    if (!DecodeOneCode(d, r, out + firstMade)) break;
    ++firstMade;
  }
  return firstMade;
}

// Streams shorter than this go one way: the second reader's start and the
// joining cost more than they save.
constexpr uint64_t kSplitFromBits = 1u << 16;
// Codes the second reader notes the ends of before it speeds up: the first
// reader must end a code where one of these does. Real art's codes line up
// again within a few dozen codes.
constexpr int kJoinCodes = 256;

// A Huffman stream has no marks between its codes, but a decoder started at
// any bit soon ends a code where the true decode does, and from there on
// makes the same bytes. So the second half is decoded from its middle byte
// while the first half is decoded from the start, the two chains of table
// reads running side by side, and the halves are joined where the first
// reader ends a code at a place the second one noted. Where they never meet
// (a tree of equal lengths can stay out of step for ever), the first reader
// simply goes on alone: the bytes are the one-way decode's either way.
// Returns false, having done nothing, when the stream is too short or the
// scratch cannot be had.
bool DecodeTwoWays(const HuffmanDecoder& d, BitReader* r, uint8_t* out, size_t outSize,
                   HuffmanScratch* scratch, size_t* made) {
  const uint64_t start = BitPosition(*r);
  const uint64_t end = static_cast<uint64_t>(r->size) * 8;
  if (end < start + kSplitFromBits || outSize < kSplitFromBits / 8) return false;
  // The second reader makes at most what the first would from the middle
  // on, plus the few codes before they meet: outSize is room enough, and
  // should it not be, the join goes on from where the second reader stopped.
  if (scratch->bytes.size < outSize &&
      !AllocateBytes(&scratch->bytes, outSize, false, scratch->budget)) {
    // One reader needs no scratch: a refusal here is not the decode's.
    if (scratch->budget) scratch->budget->refused = false;
    return false;
  }
  uint8_t* second = scratch->bytes.data();

  // The second reader from the middle byte, noting where each of its first
  // codes ends.
  BitReader b;
  InitBitReader(&b, r->data, r->size);
  b.pos = static_cast<size_t>((start / 8 + r->size) / 2);
  const uint64_t middle = BitPosition(b);
  uint64_t ends[kJoinCodes + 1];
  ends[0] = middle;
  int noted = 0;
  size_t secondMade = 0;
  while (noted < kJoinCodes && DecodeOneCode(d, &b, second + secondMade)) {
    ++secondMade;
    ends[++noted] = BitPosition(b);
  }
  if (noted < kJoinCodes) {
    // The stream ends within those codes: nothing to share.
    *made = DecodeOneWay(d, r, out, 0, outSize);
    return true;
  }

  // Both at full speed, the first reader stopping short of the middle.
  FastReader first(*r, out, 0, outSize);
  FastReader other(b, second, secondMade, outSize);
  auto firstMayGo = [&] { return first.Position() + 64 <= middle && first.CanGo(); };
  bool firstStopped = false;
  bool otherStopped = false;
  while (firstMayGo() && other.CanGo()) {
    if (!Advance(d, &first, r)) {
      firstStopped = true;
      break;
    }
    if (!Advance(d, &other, &b)) {
      otherStopped = true;
      break;
    }
  }
  while (!firstStopped && firstMayGo()) firstStopped = !Advance(d, &first, r);
  // Storing the full-speed states again also undoes a careful code that
  // failed: each reader stands where its last whole code ended.
  first.Store(r);
  other.Store(&b);
  const size_t firstMade = first.made;
  secondMade = otherStopped ? other.made : DecodeOneWay(d, &b, second, other.made, outSize);
  *made = JoinAtACodeEnd(d, r, out, firstMade, outSize, ends, noted, b, second, secondMade);
  return true;
}

}  // namespace

size_t DecodeHuffmanSymbols(const HuffmanDecoder& d, BitReader* r, uint8_t* out, size_t outSize,
                            HuffmanScratch* scratch) {
  size_t made = 0;
  if (scratch && DecodeTwoWays(d, r, out, outSize, scratch, &made)) return made;
  return DecodeOneWay(d, r, out, 0, outSize);
}
