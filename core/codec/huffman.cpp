#include "codec/huffman.h"

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

size_t DecodeHuffmanSymbols(const HuffmanDecoder& d, BitReader* r, uint8_t* out, size_t outSize) {
  const int root = d.nodeCount - 1;
  size_t made = 0;
  constexpr uint64_t kMask = (1u << kLookaheadBits) - 1;
  // The table's own address, so a slot's fields are one load from the
  // index: the chain from one slot to the next is what the loop waits on.
  const HuffmanLookahead* const table = d.lookahead;
  while (made < outSize) {
    // Fast loop: while eight bytes can be loaded at once, top the buffer up to
    // at least 56 bits with one load and take up to five table slots (5 x 11
    // bits, up to kSlotCodes codes each) before looking again. A longer code
    // leaves it for the loop below.
    {
      uint64_t bits = r->bits;
      int count = r->count;
      size_t pos = r->pos;
      const uint8_t* data = r->data;
      constexpr int kSlots = 56 / kLookaheadBits;
      while (outSize - made >= kSlotCodes * kSlots && r->size - pos >= 8) {
        if (count < 56) {
          uint64_t word;
          std::memcpy(&word, data + pos, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
          word = __builtin_bswap64(word);
#endif
          bits |= word << count;
          pos += static_cast<size_t>((63 - count) >> 3);
          count |= 56;
          // The bits above `count` are those of the bytes from pos on, the
          // very bits the next load puts there, so they may stay.
        }
        bool slow = false;
        for (int i = 0; i < kSlots; ++i) {
          const HuffmanLookahead& slot = table[bits & kMask];
          const int codes = slot.codes;
          if (codes == 0) {
            slow = true;
            break;
          }
          // All the slot's bytes are written; those past its codes are
          // written over next.
          std::memcpy(out + made, slot.bytes, kSlotCodes);
          made += static_cast<size_t>(codes);
          bits >>= slot.length;
          count -= slot.length;
        }
        if (slow) break;
      }
      // The other readers expect the buffer clear above `count`.
      r->bits = count < 64 ? bits & ((uint64_t{1} << count) - 1) : bits;
      r->count = count;
      r->pos = pos;
    }
    if (made >= outSize) break;
    // One symbol the careful way (a long code, or the stream's last bytes),
    // then back to the fast loop.
    if (r->count < kLookaheadBits) RefillBits(r);
    if (r->count >= kLookaheadBits) {
      const HuffmanLookahead& slot = d.lookahead[r->bits & kMask];
      if (slot.codes != 0) {
        const int length = slot.firstLength;
        out[made++] = slot.bytes[0];
        r->bits >>= length;
        r->count -= length;
        continue;
      }
      // A longer code: go on bit by bit from the node reached.
      r->bits >>= kLookaheadBits;
      r->count -= kLookaheadBits;
      int node = slot.bytes[0];
      for (;;) {
        if (r->count == 0) RefillBits(r);
        if (r->count == 0) return made;  // the stream ends inside a code
        uint16_t c = Step(d, node, static_cast<uint32_t>(r->bits & 1));
        r->bits >>= 1;
        r->count -= 1;
        if (IsLeaf(c)) {
          out[made++] = static_cast<uint8_t>(c);
          break;
        }
        node = c - 256;
      }
      continue;
    }
    // Too few bits left for the table: it would look past the end.
    int node = root;
    for (;;) {
      if (r->count == 0) return made;
      uint16_t c = Step(d, node, static_cast<uint32_t>(r->bits & 1));
      r->bits >>= 1;
      r->count -= 1;
      if (IsLeaf(c)) {
        out[made++] = static_cast<uint8_t>(c);
        break;
      }
      node = c - 256;
    }
  }
  return made;
}
