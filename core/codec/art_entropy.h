// The encoder's price list for the two entropy layers of an art file: what
// each run-length code byte costs once Huffman-coded, the cheapest cover of a
// zero run, what a coefficient's own bytes cost, and the cheapest run-length
// code of a byte string under those prices.
//
// The prices are the Huffman code lengths of the previous try; the encoder
// alternates between choosing coefficients and codes under the prices and
// refitting the prices to what it chose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Bits each run-length code byte costs.
struct SymbolCosts {
  double bits[256];
};

// Every code byte at 8 bits: the first try, before any stream exists.
void FlatSymbolCosts(SymbolCosts* costs);

// The Huffman tree of these byte counts, for two or more bytes that occur:
// nodes as the decoder reads them (child[n][1] for bit 1, child[n][0] for
// bit 0; below 256 a byte, else node child - 256), every child numbered
// before its parent and the root last. Returns the node count.
int BuildHuffmanTree(const uint64_t weight[256], uint16_t child[255][2]);

// Huffman code lengths for these byte counts (0 for bytes that do not
// occur; a single byte gets length 1).
void HuffmanCodeLengths(const uint64_t frequency[256], int length[256]);

// Prices from a stream's byte counts: its Huffman code lengths, with the
// tree's 18 bits a leaf spread over each byte's uses. A byte the stream does
// not use is priced as the longest code plus a new leaf, so the next try
// takes it up only where it pays.
void CostsFromFrequencies(const uint64_t frequency[256], SymbolCosts* costs);

// The counts of code bytes in a run-length stream.
void CountSymbols(const uint8_t* stream, size_t size, uint64_t frequency[256]);

// Cheapest cover of a zero run by the zero codes (0x00-0x1F one byte for up
// to 32 zeros, 0x40-0x5F two bytes for up to 8192), and the bytes of that
// cover.
class ZeroRunCosts {
 public:
  static constexpr size_t kLongest = 8192;

  // False when its table cannot be allocated.
  bool Build(const SymbolCosts& costs);
  double Cost(size_t zeros) const;
  // Writes the codes of `zeros` zero bytes; returns how many code bytes.
  size_t Emit(size_t zeros, uint8_t* out) const;

 private:
  std::unique_ptr<double[]> cost_;    // 0 .. kLongest
  std::unique_ptr<uint16_t[]> head_;  // bytes covered by the first code of the cover
  std::unique_ptr<bool[]> headLong_;  // whether that code is a two-byte one
  double longest_ = 0;                // one two-byte code of kLongest zeros
  uint8_t oneZero_ = 0;               // the cheapest code of a single zero
};

// Prices of whole coefficients. A 32-bit little-endian coefficient is its
// significant bytes between a head of 0x00 bytes (multiples of 256) and a
// tail of 0x00 (v >= 0) or 0xFF (v < 0) bytes; head and tail are left to
// the runs around them (a zero head joins the zero run before it, a zero
// tail the one after, a 0xFF tail is a 0x80-0x9F run that may go on into
// the next coefficients when they are -1).
struct ValueCost {
  double bits;  // of the significant bytes
  int zeroHead;
  int zeroTail;
  int onesTail;
};

struct RateModel {
  SymbolCosts symbols;
  ZeroRunCosts zeros;
  double cheapest[256];  // one byte alone: its one-byte code, or a literal of one

  bool Build(const SymbolCosts& costs);
  ValueCost Value(int32_t v) const;
  // The same from a table for the common values.
  ValueCost FastValue(int32_t v) const {
    if (v >= -kTable && v < kTable) return table_[v + kTable];
    return Value(v);
  }
  // A run of n (1..32) 0xFF bytes.
  double Ones(int n) const { return symbols.bits[0x80 | (n - 1)]; }

 private:
  static constexpr int32_t kTable = 2048;
  ValueCost table_[2 * kTable];
};

// Whether one code byte of 0x20-0x3F or 0x60-0x7F can make b.
inline bool IsOneCodeByte(uint8_t b) {
  return (b & 0x0F) == 0 || (b & 0x0F) == 0x0F;
}

// The cheapest run-length code of bytes under the model's prices (a
// shortest path over the byte positions). out must hold
// ParsedRunLengthBound(size) bytes; returns the code length, or 0 with
// size > 0 when the work arrays cannot be allocated.
size_t ParsedRunLengthBound(size_t size);
size_t ParseRunLength(const uint8_t* bytes, size_t size, const RateModel& model, uint8_t* out);
