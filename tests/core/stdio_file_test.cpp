#include "base/stdio_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string TempPath(const char* name) {
  return ::testing::TempDir() + "stdio_file_" + name;
}

std::vector<unsigned char> Pattern(size_t size) {
  std::vector<unsigned char> bytes(size);
  uint32_t x = 12345;
  for (unsigned char& b : bytes) {
    x = x * 1103515245u + 12345u;
    b = static_cast<unsigned char>(x >> 24);
  }
  return bytes;
}

std::vector<unsigned char> ReadAll(const std::string& path) {
  std::vector<unsigned char> bytes;
  StdioFile file(path.c_str(), "rb");
  if (!file) return bytes;
  unsigned char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  return bytes;
}

// Around the piece size (64 KB) and well past it, with a header before the
// block as the wallpaper maker writes one.
TEST(WriteInPiecesTest, TheFileHoldsEveryByteInOrder) {
  const std::string path = TempPath("pieces");
  for (size_t size : {size_t{0}, size_t{1}, size_t{65535}, size_t{65536}, size_t{65537},
                      size_t{3 * 65536}, size_t{6220800 + 7}}) {
    SCOPED_TRACE(size);
    const std::vector<unsigned char> header = Pattern(1078);
    const std::vector<unsigned char> block = Pattern(size + 1);  // +1: data() never null
    {
      StdioFile file(path.c_str(), "wb");
      ASSERT_TRUE(file);
      ASSERT_EQ(std::fwrite(header.data(), 1, header.size(), file.get()), header.size());
      EXPECT_EQ(WriteInPieces(file.get(), block.data() + 1, size), size);
      ASSERT_EQ(file.Close(), 0);
    }
    std::vector<unsigned char> expected = header;
    expected.insert(expected.end(), block.begin() + 1, block.end());
    EXPECT_EQ(ReadAll(path), expected);
  }
  std::remove(path.c_str());
}

// A stream that takes no writes: the count says that none went out.
TEST(WriteInPiecesTest, AFailedWriteReportsTheBytesThatWentOut) {
  const std::string path = TempPath("readonly");
  {
    StdioFile file(path.c_str(), "wb");
    ASSERT_TRUE(file);
  }
  StdioFile file(path.c_str(), "rb");
  ASSERT_TRUE(file);
  const std::vector<unsigned char> block = Pattern(200000);
  EXPECT_EQ(WriteInPieces(file.get(), block.data(), block.size()), 0u);
  EXPECT_EQ(WriteInPieces(file.get(), block.data(), 100), 0u);
  file.Close();
  std::remove(path.c_str());
}

}  // namespace
