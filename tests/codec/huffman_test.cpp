// Huffman layer: tree reading and checking, lookahead decoding, the end of
// the stream.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "allocation_watch.h"
#include "art_builder.h"
#include "codec/huffman.h"

namespace {

std::vector<uint8_t> TreePayload(const TestTree& tree, const std::vector<int>& bits) {
  TestBitWriter w;
  WriteTree(&w, tree);
  for (int b : bits) w.Put(static_cast<uint32_t>(b), 1);
  return w.Finish();
}

// Bit by bit from the root, as the format defines it.
std::vector<uint8_t> WalkBits(const TestTree& tree, const std::vector<int>& bits, size_t limit) {
  std::vector<uint8_t> out;
  int node = static_cast<int>(tree.size()) - 1;
  for (int b : bits) {
    uint16_t c = tree[node][b ? 0 : 1];
    if (c < 256) {
      out.push_back(static_cast<uint8_t>(c));
      if (out.size() == limit) break;
      node = static_cast<int>(tree.size()) - 1;
    } else {
      node = c - 256;
    }
  }
  return out;
}

CodecStatus Decode(const std::vector<uint8_t>& payload, size_t want, std::vector<uint8_t>* out,
                   HuffmanScratch* scratch = nullptr) {
  HuffmanDecoder d;
  BitReader r;
  InitBitReader(&r, payload.data(), payload.size());
  CodecError error;
  CodecStatus s = ReadHuffmanTree(&d, &r, "h.art", &error);
  if (s != CodecStatus::kOk) return s;
  out->assign(want, 0xEE);
  out->resize(DecodeHuffmanSymbols(d, &r, out->data(), want, scratch));
  return s;
}

// A random full binary tree over `leaves` random bytes, children numbered
// first; `lopsided` joins the newest node most of the time, which makes long
// codes.
TestTree RandomTree(std::mt19937* rng, int leaves, bool lopsided) {
  std::vector<uint16_t> pool;
  for (int i = 0; i < leaves; ++i) pool.push_back(static_cast<uint16_t>((*rng)() % 256));
  TestTree tree;
  while (pool.size() > 1) {
    size_t a = lopsided && (*rng)() % 4 != 0 ? pool.size() - 1 : (*rng)() % pool.size();
    uint16_t ca = pool[a];
    pool.erase(pool.begin() + static_cast<long>(a));
    size_t b = (*rng)() % pool.size();
    uint16_t cb = pool[b];
    pool.erase(pool.begin() + static_cast<long>(b));
    tree.push_back({ca, cb});
    pool.push_back(static_cast<uint16_t>(256 + tree.size() - 1));
  }
  return tree;
}

// Every bit the decoder sees: the stream's and the pad bits of its last byte.
std::vector<int> PaddedBits(const TestTree& tree, std::vector<int> bits) {
  const size_t treeBits = 8 + 18 * tree.size();
  while ((treeBits + bits.size()) % 8) bits.push_back(0);
  return bits;
}

TEST(HuffmanTest, SingleNodeDecodesEveryBitAsItsByte) {
  TestTree tree = {{0x41, 0x41}};
  std::vector<uint8_t> out;
  ASSERT_EQ(CodecStatus::kOk, Decode(TreePayload(tree, {1, 0, 1, 1, 0}), 100, &out));
  // 8 + 18 tree bits leave 6 in the last byte: 5 written and 1 pad bit.
  EXPECT_EQ(out, std::vector<uint8_t>(6, 0x41));
}

TEST(HuffmanTest, FullByteTreeGivesTheBytesBack) {
  std::vector<int> bits;
  std::vector<uint8_t> bytes = {0, 1, 0x7F, 0x80, 0xFF, 0x55, 0xAA};
  for (uint8_t b : bytes) {
    for (int i = 0; i < 8; ++i) bits.push_back((b >> i) & 1);
  }
  std::vector<uint8_t> out;
  ASSERT_EQ(CodecStatus::kOk, Decode(TreePayload(FullByteTree(), bits), bytes.size(), &out));
  EXPECT_EQ(out, bytes);
}

// A chain: byte k has code 0^k 1 (k = 0..10), the last node ends in two
// leaves; codes reach 11 bits, past the 8-bit lookahead.
TestTree ChainTree() {
  const int n = 11;
  TestTree tree(n);
  // Node j (root = n - 1) at depth n - 1 - j: bit 1 -> leaf (depth), bit 0 -> deeper node.
  for (int j = 0; j < n; ++j) {
    int depth = n - 1 - j;
    tree[j][0] = static_cast<uint16_t>(depth);                                              // bit 1
    tree[j][1] = j == 0 ? static_cast<uint16_t>(200) : static_cast<uint16_t>(256 + j - 1);  // bit 0
  }
  return tree;
}

TEST(HuffmanTest, LongCodesAndTheStreamsEnd) {
  TestTree tree = ChainTree();
  std::vector<int> bits;
  auto code = [&](int k) {
    for (int i = 0; i < k; ++i) bits.push_back(0);
    bits.push_back(1);
  };
  code(10);  // 11 bits: byte 10
  code(0);   // byte 0
  code(9);
  for (int i = 0; i < 11; ++i) bits.push_back(0);  // 200: eleven zeros
  code(3);
  std::vector<uint8_t> out;
  ASSERT_EQ(CodecStatus::kOk, Decode(TreePayload(tree, bits), 5, &out));
  EXPECT_EQ(out, (std::vector<uint8_t>{10, 0, 9, 200, 3}));
}

TEST(HuffmanTest, StopsWhenTheLastCodeIsCutOff) {
  TestTree tree = ChainTree();
  // Two one-bit codes, then three zeros of an 11-bit code; the zero bits
  // that fill the last byte (8 + 11 x 18 + 5 = 211 bits) do not finish it.
  std::vector<int> bits = {1, 1, 0, 0, 0};
  std::vector<uint8_t> payload = TreePayload(tree, bits);
  std::vector<uint8_t> out;
  ASSERT_EQ(CodecStatus::kOk, Decode(payload, 100, &out));
  EXPECT_EQ(out, (std::vector<uint8_t>{0, 0}));
}

TEST(HuffmanTest, MatchesTheBitByBitWalkOnRandomTrees) {
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    const TestTree tree = RandomTree(&rng, 2 + static_cast<int>(rng() % 60), false);
    std::vector<int> bits(rng() % 3000);
    for (int& b : bits) b = static_cast<int>(rng() & 1);
    std::vector<uint8_t> payload = TreePayload(tree, bits);
    // The payload's pad bits take part too.
    const std::vector<int> allBits = PaddedBits(tree, bits);
    std::vector<uint8_t> expected = WalkBits(tree, allBits, 100000);
    std::vector<uint8_t> out;
    ASSERT_EQ(CodecStatus::kOk, Decode(payload, 100000, &out));
    EXPECT_EQ(out, expected);
  }
}

// A long stream is decoded from its start and its middle at once and joined
// where the two readers end a code at the same bit. Whatever the tree, the
// length asked for and where the stream ends, the bytes are the bit-by-bit
// walk's.
TEST(HuffmanTest, DecodingFromTheMiddleToo) {
  std::mt19937 rng(11);
  HuffmanScratch scratch;
  for (int round = 0; round < 24; ++round) {
    SCOPED_TRACE(round);
    const bool lopsided = round % 3 == 0;  // codes well past the table's 11 bits
    const TestTree tree = RandomTree(&rng, 2 + static_cast<int>(rng() % 200), lopsided);
    std::vector<int> bits(70000 + rng() % 90000);
    for (int& b : bits) b = static_cast<int>(rng() & 1);
    const std::vector<uint8_t> payload = TreePayload(tree, bits);
    const std::vector<uint8_t> all = WalkBits(tree, PaddedBits(tree, bits), bits.size());
    // Everything, about half, just short of everything, and more than the
    // stream holds (it then ends inside a code or at the last bit).
    const size_t wants[] = {all.size(), all.size() / 2 + rng() % 1000, all.size() - 1,
                            all.size() + 100};
    for (size_t want : wants) {
      SCOPED_TRACE(want);
      std::vector<uint8_t> out;
      ASSERT_EQ(CodecStatus::kOk, Decode(payload, want, &out, &scratch));
      ASSERT_EQ(out.size(), std::min(want, all.size()));
      EXPECT_TRUE(std::equal(out.begin(), out.end(), all.begin()));
    }
  }
}

// Eight-bit codes after a 4598-bit tree always end at 6 mod 8, and the
// second reader starts on a byte: the readers never meet, and the first one
// goes on alone. Where the scratch cannot be had, one reader does it all.
TEST(HuffmanTest, DecodingFromTheMiddleWhenTheReadersNeverMeet) {
  std::mt19937 rng(5);
  std::vector<int> bits(8 * 20000);
  for (int& b : bits) b = static_cast<int>(rng() & 1);
  const TestTree tree = FullByteTree();
  const std::vector<uint8_t> payload = TreePayload(tree, bits);
  const std::vector<uint8_t> all = WalkBits(tree, PaddedBits(tree, bits), bits.size());
  HuffmanScratch scratch;
  std::vector<uint8_t> out;
  ASSERT_EQ(CodecStatus::kOk, Decode(payload, all.size(), &out, &scratch));
  EXPECT_EQ(out, all);
  HuffmanScratch none;
  AllocationWatch failFirst(1);
  ASSERT_EQ(CodecStatus::kOk, Decode(payload, all.size(), &out, &none));
  EXPECT_TRUE(failFirst.failed());
  EXPECT_EQ(out, all);
}

// A budget with no room for the scratch: one reader decodes it all, and
// the refusal is not left behind to be reported as the picture's.
TEST(HuffmanTest, NoRoomForTheSecondReader) {
  std::mt19937 rng(9);
  const TestTree tree = RandomTree(&rng, 40, false);
  std::vector<int> bits(100000);
  for (int& b : bits) b = static_cast<int>(rng() & 1);
  const std::vector<uint8_t> payload = TreePayload(tree, bits);
  const std::vector<uint8_t> all = WalkBits(tree, PaddedBits(tree, bits), bits.size());
  MemoryBudget budget;
  budget.limit = 1024;
  HuffmanScratch scratch;
  scratch.budget = &budget;
  std::vector<uint8_t> out;
  ASSERT_EQ(CodecStatus::kOk, Decode(payload, all.size(), &out, &scratch));
  EXPECT_EQ(out, all);
  EXPECT_TRUE(scratch.bytes.empty());
  EXPECT_FALSE(budget.refused);
  EXPECT_EQ(budget.live, 0u);
}

TEST(HuffmanTest, RejectsBrokenTrees) {
  struct Case {
    const char* name;
    std::vector<uint8_t> payload;
    const char* message;
  };
  TestBitWriter none;
  none.Put(0, 8);
  none.Put(0, 32);
  TestTree outside = {{0x10, 256 + 3}, {256, 0x11}, {256 + 1, 0x12}};  // node 3 of 3
  TestTree loop = {{256 + 1, 0x10}, {256, 0x11}, {256 + 1, 0x12}};     // 0 -> 1 -> 0
  TestTree self = {{256 + 0, 0x10}};
  std::vector<uint8_t> cut = TreePayload(FullByteTree(), {});
  cut.resize(100);
  const Case cases[] = {
      {"no nodes", none.Finish(), "no nodes"},
      {"child outside the tree", TreePayload(outside, {1, 0}), "outside"},
      {"loop", TreePayload(loop, {1, 0}), "loops"},
      {"root is its own child", TreePayload(self, {1}), "loops"},
      {"tree cut short", cut, "ends inside"},
      {"empty payload", {}, "no nodes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HuffmanDecoder d;
    BitReader r;
    InitBitReader(&r, c.payload.data(), c.payload.size());
    CodecError error;
    EXPECT_EQ(CodecStatus::kBadData, ReadHuffmanTree(&d, &r, "h.art", &error));
    EXPECT_NE(std::string(error.message).find(c.message), std::string::npos) << error.message;
    EXPECT_NE(std::string(error.message).find("h.art"), std::string::npos);
  }
}

// Short codes put two in each lookahead slot: every count asked for, up to
// well past a fast loop's worth, gives exactly that many bytes and writes
// nothing beyond them.
TEST(HuffmanTest, StopsAtExactlyTheBytesAskedFor) {
  // Codes 1, 01, 001, 000: every slot holds two codes.
  const TestTree tree = {{3, 4}, {2, 256}, {1, 257}};
  std::mt19937 rng(3);
  std::vector<int> bits(4000);
  for (int& b : bits) b = static_cast<int>(rng() & 1);
  const std::vector<uint8_t> payload = TreePayload(tree, bits);
  const std::vector<uint8_t> all = WalkBits(tree, bits, bits.size());
  for (size_t want = 0; want <= 80; ++want) {
    SCOPED_TRACE(want);
    std::vector<uint8_t> out;
    ASSERT_EQ(CodecStatus::kOk, Decode(payload, want, &out));
    EXPECT_EQ(out, std::vector<uint8_t>(all.begin(), all.begin() + static_cast<long>(want)));
  }
}

}  // namespace
