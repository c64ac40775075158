// The mapping of a large buffer's pages: everything stays as it was, and
// the pages are in the working set before anything touches them.
#include <windows.h>
#include <psapi.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "page_mapping.h"

namespace {

SIZE_T WorkingSet() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  EXPECT_TRUE(GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters));
  return counters.WorkingSetSize;
}

struct VirtualBlock {
  explicit VirtualBlock(size_t size)
      : bytes(static_cast<uint8_t*>(
            VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE))) {}
  ~VirtualBlock() {
    if (bytes) VirtualFree(bytes, 0, MEM_RELEASE);
  }
  VirtualBlock(const VirtualBlock&) = delete;
  VirtualBlock& operator=(const VirtualBlock&) = delete;
  uint8_t* bytes;
};

uint8_t Pattern(size_t i) {
  return static_cast<uint8_t>(i * 131 + (i >> 12));
}

TEST(PageMappingTest, UntouchedPagesComeIntoTheWorkingSet) {
  constexpr size_t kSize = 8u << 20;
  VirtualBlock block(kSize);
  ASSERT_NE(block.bytes, nullptr);
  const SIZE_T before = WorkingSet();
  // Neither end on a page boundary, as a heap block's are not.
  MapPagesAtOnce(block.bytes + 100, kSize - 300);
  const SIZE_T after = WorkingSet();
  EXPECT_GE(after, before + kSize - (1u << 20)) << before << " -> " << after;
}

TEST(PageMappingTest, ContentsAndTheBytesAroundAreKept) {
  constexpr size_t kSize = 3u << 20;
  VirtualBlock block(kSize);
  ASSERT_NE(block.bytes, nullptr);
  for (size_t i = 0; i < kSize; ++i) block.bytes[i] = Pattern(i);
  struct Range {
    size_t offset, size;
  } ranges[] = {{0, kSize}, {1, 1}, {4095, 2}, {70000, 0}, {12345, 2u << 20}, {kSize - 7, 7}};
  for (const Range& range : ranges) {
    MapPagesAtOnce(block.bytes + range.offset, range.size);
  }
  size_t wrong = 0;
  for (size_t i = 0; i < kSize; ++i) wrong += block.bytes[i] != Pattern(i);
  EXPECT_EQ(wrong, 0u);
  // Still writable, and the block frees normally.
  block.bytes[kSize / 2] = 7;
  EXPECT_EQ(block.bytes[kSize / 2], 7);
  EXPECT_TRUE(VirtualFree(block.bytes, 0, MEM_RELEASE));
  block.bytes = nullptr;
}

}  // namespace
