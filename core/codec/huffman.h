// Huffman layer of the .ART payload: the tree that travels in the file and
// the decoder that turns the payload into the run-length stream.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/bit_reader.h"
#include "codec/codec_base.h"

constexpr int kMaxHuffmanNodes = 255;

// Bits the lookahead table looks at. Any width decodes the same bytes; 11
// bits resolve nearly every code of real art in one step.
constexpr int kLookaheadBits = 11;

// One lookahead slot, indexed by the next kLookaheadBits bits of the stream:
// the whole codes (up to kSlotCodes) those bits begin with, or the node
// reached after all of them when the first code is longer.
constexpr int kSlotCodes = 4;
struct HuffmanLookahead {
  uint8_t bytes[kSlotCodes];  // the codes' bytes; bytes[0] is the node for a node
  uint8_t length;             // bits of the codes in the slot, or all the bits for a node
  uint8_t codes;              // codes in the slot, 0 for a node
  uint8_t firstLength;        // bits of the first code
  uint8_t unused;
};

struct HuffmanDecoder {
  int nodeCount = 0;                         // N
  uint16_t child[kMaxHuffmanNodes][2] = {};  // [node][bit]: < 256 leaf byte, else 256 + node
  HuffmanLookahead lookahead[1 << kLookaheadBits] = {};  // rebuilt for each payload
};

// Reads the node count and the nodes, checks every child index and that no
// node can be reached from itself, and builds the lookahead table.
// name is the file for the messages.
CodecStatus ReadHuffmanTree(HuffmanDecoder* decoder, BitReader* reader, const char* name,
                            CodecError* error);

// Room for decoding a long stream's second half beside its first, kept from
// one payload to the next.
struct HuffmanScratch {
  ByteBuffer bytes;
  MemoryBudget* budget = nullptr;  // charged with the bytes when set
};

// Decodes symbols from reader into out until outSize bytes are made or the
// stream cannot finish another symbol. Returns the number of bytes made.
// With scratch, a long stream is decoded from its start and its middle at
// once (the same bytes, sooner); the reader then stands after the last code
// either reader read, which may lie beyond the last one needed.
size_t DecodeHuffmanSymbols(const HuffmanDecoder& decoder, BitReader* reader, uint8_t* out,
                            size_t outSize, HuffmanScratch* scratch = nullptr);
