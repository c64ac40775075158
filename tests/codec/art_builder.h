// Test-side writer of .ART files, kept apart from the codec's own encoder so
// that the decoder is checked against the format itself.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "codec/art_format.h"

// Least-significant-bit-first writer.
class TestBitWriter {
 public:
  void Put(uint32_t value, int bits);
  std::vector<uint8_t> Finish();

 private:
  std::vector<uint8_t> bytes_;
  uint32_t acc_ = 0;
  int count_ = 0;
};

// A Huffman tree as it travels: node j holds {child for bit 1, child for bit 0}.
using TestTree = std::vector<std::array<uint16_t, 2>>;

// 255 nodes; the code of every byte is its own 8 bits, bit 0 first, so the
// coded payload after the tree is the stream itself.
TestTree FullByteTree();
void WriteTree(TestBitWriter* writer, const TestTree& tree);

// Run-length code using only zero runs and literal runs.
std::vector<uint8_t> SimpleRunLength(const std::vector<uint8_t>& bytes);

// Little-endian bytes of 32-bit coefficients.
std::vector<uint8_t> CoefficientBytes(const std::vector<int32_t>& values);

// Header for a picture of decoded width x height (stored halved for 4
// pieces), with imageSize filled in; offsets zero.
ArtHeader TestHeader(int pieces, int width, int height, int baseSize, bool chromaHalved);

// Header + full-byte tree + stream coded byte by byte + 4 zero bytes. The
// header's packedSize is set to the stream length unless packedSize >= 0.
std::vector<uint8_t> BuildArtFile(ArtHeader header, const std::vector<uint8_t>& stream,
                                  int packedSize = -1);

// The same with a payload of the caller's (tree and all).
std::vector<uint8_t> BuildArtFileWithPayload(const ArtHeader& header,
                                             const std::vector<uint8_t>& payload);

// A unique scratch directory under the system's temp directory.
std::string MakeTempDirectory();
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
