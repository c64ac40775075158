#include "art_builder.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

void TestBitWriter::Put(uint32_t value, int bits) {
  for (int i = 0; i < bits; ++i) {
    acc_ |= ((value >> i) & 1u) << count_;
    if (++count_ == 8) {
      bytes_.push_back(static_cast<uint8_t>(acc_));
      acc_ = 0;
      count_ = 0;
    }
  }
}

std::vector<uint8_t> TestBitWriter::Finish() {
  if (count_) bytes_.push_back(static_cast<uint8_t>(acc_));
  acc_ = 0;
  count_ = 0;
  return bytes_;
}

TestTree FullByteTree() {
  // Node of depth d (0 = root) and prefix p (its d bits, first read in bit
  // 0) is numbered offset[d] + p: deeper nodes first, the root last (254).
  const int offset[8] = {254, 252, 248, 240, 224, 192, 128, 0};
  TestTree tree(255);
  for (int d = 0; d < 8; ++d) {
    for (int p = 0; p < (1 << d); ++p) {
      for (int bit = 0; bit < 2; ++bit) {
        int next = p | (bit << d);
        uint16_t child = d == 7 ? static_cast<uint16_t>(next)
                                : static_cast<uint16_t>(256 + offset[d + 1] + next);
        tree[offset[d] + p][bit == 1 ? 0 : 1] = child;
      }
    }
  }
  return tree;
}

void WriteTree(TestBitWriter* writer, const TestTree& tree) {
  writer->Put(static_cast<uint32_t>(tree.size()), 8);
  for (const auto& node : tree) {
    writer->Put(node[0], 9);
    writer->Put(node[1], 9);
  }
}

std::vector<uint8_t> SimpleRunLength(const std::vector<uint8_t>& bytes) {
  std::vector<uint8_t> out;
  size_t i = 0;
  while (i < bytes.size()) {
    if (bytes[i] == 0) {
      size_t run = 0;
      while (i + run < bytes.size() && bytes[i + run] == 0 && run < 8192) ++run;
      if (run <= 32) {
        out.push_back(static_cast<uint8_t>(run - 1));
      } else {
        out.push_back(static_cast<uint8_t>(0x40 | ((run - 1) >> 8)));
        out.push_back(static_cast<uint8_t>(run - 1));
      }
      i += run;
    } else {
      size_t run = 0;
      while (i + run < bytes.size() && bytes[i + run] != 0 && run < 32) ++run;
      out.push_back(static_cast<uint8_t>(0xC0 | (run - 1)));
      out.insert(out.end(), bytes.begin() + static_cast<long>(i),
                 bytes.begin() + static_cast<long>(i + run));
      i += run;
    }
  }
  return out;
}

std::vector<uint8_t> CoefficientBytes(const std::vector<int32_t>& values) {
  std::vector<uint8_t> out;
  for (int32_t v : values) {
    uint32_t u = static_cast<uint32_t>(v);
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<uint8_t>(u >> (8 * k)));
  }
  return out;
}

ArtHeader TestHeader(int pieces, int width, int height, int baseSize, bool chromaHalved) {
  ArtHeader h;
  std::memset(&h, 0, sizeof h);
  int divide = pieces == 4 ? 2 : 1;
  h.chromaHalved = chromaHalved ? 1 : 0;
  h.width = width / divide;
  h.height = height / divide;
  h.baseSize = baseSize;
  h.pieces = pieces;
  h.imageSize = width * height * 3;
  return h;
}

std::vector<uint8_t> BuildArtFileWithPayload(const ArtHeader& header,
                                             const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> file(kArtHeaderSize);
  SerializeArtHeader(header, file.data());
  file.insert(file.end(), payload.begin(), payload.end());
  return file;
}

std::vector<uint8_t> BuildArtFile(ArtHeader header, const std::vector<uint8_t>& stream,
                                  int packedSize) {
  header.packedSize = packedSize >= 0 ? packedSize : static_cast<int32_t>(stream.size());
  TestBitWriter writer;
  WriteTree(&writer, FullByteTree());
  for (uint8_t b : stream) writer.Put(b, 8);
  std::vector<uint8_t> payload = writer.Finish();
  payload.insert(payload.end(), 4, 0);
  return BuildArtFileWithPayload(header, payload);
}

std::string MakeTempDirectory() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/codec_tests_XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp failed");
  return buffer.data();
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) throw std::runtime_error("cannot write " + path);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}
