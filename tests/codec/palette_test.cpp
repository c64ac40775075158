// Colour tables: reading and checking .TR text, the octree search with its
// (t - p + 1)^2 distance, and the palette builder.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "art_builder.h"
#include "codec/palette.h"
#include "codec/palette_builder.h"
#include "sample_picture.h"

namespace {

std::unique_ptr<PaletteContext> NewPalette() {
  std::unique_ptr<PaletteContext> ctx(new PaletteContext);
  InitPaletteContext(ctx.get());
  return ctx;
}

CodecStatus Read(PaletteContext* ctx, const std::string& text) {
  return ReadColourTableFromText(ctx, text.data(), text.size(), "t.tr");
}

uint32_t Rgb(int r, int g, int b) {
  return static_cast<uint32_t>(r << 16 | g << 8 | b);
}

TEST(ColourTableTest, FillsTheLogicalPalette) {
  auto ctx = NewPalette();
  const LogicalPalette* palette = nullptr;
  std::string text = "255 0 0 - 1\n0 255 0 - 2 7\n0 0 255 -4\n";
  ASSERT_EQ(CodecStatus::kOk,
            ReadColourTableFromText(ctx.get(), text.data(), text.size(), "t.tr", &palette));
  ASSERT_NE(palette, nullptr);
  EXPECT_EQ(palette->version, 0x300);
  EXPECT_EQ(palette->entryCount, 3);
  EXPECT_EQ(palette->entries[0].red, 255);
  EXPECT_EQ(palette->entries[1].green, 255);
  EXPECT_EQ(palette->entries[2].blue, 255);
  EXPECT_EQ(palette->entries[2].flags, 0);
  EXPECT_EQ(ctx->table->values[1], 0x00FF00u);
  EXPECT_EQ(ctx->table->octree.maxDepth, 2);
}

TEST(ColourTableTest, LastLineWithoutItsEndIsNotRead) {
  auto ctx = NewPalette();
  ASSERT_EQ(CodecStatus::kOk, Read(ctx.get(), "1 2 3 - 0\r\n4 5 6 - 1"));
  EXPECT_EQ(ctx->table->palette.entryCount, 1);
}

// A table written by hand often ends in an empty line or two.
TEST(ColourTableTest, BlankLinesMayEndTheTable) {
  std::string full;
  for (int i = 0; i < 256; ++i) full += std::to_string(i) + " 0 0 - 0\n";
  struct Case {
    const char* name;
    std::string text;
    int colours;
  };
  const Case cases[] = {
      {"one empty line", "1 2 3 - 0\n4 5 6 - 1\n\n", 2},
      {"several empty lines", "1 2 3 - 0\n\n\n\n", 1},
      {"CR LF line ends", "1 2 3 - 0\r\n\r\n\r\n", 1},
      {"spaces and tabs", "1 2 3 - 0\n  \t \n\t\n", 1},
      {"unfinished blank last line", "1 2 3 - 0\n\n   ", 1},
      {"256 colours and blank lines", full + "\n\n", 256},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto ctx = NewPalette();
    ASSERT_EQ(CodecStatus::kOk, Read(ctx.get(), c.text)) << ctx->error.message;
    EXPECT_EQ(ctx->table->palette.entryCount, c.colours);
  }
}

TEST(ColourTableTest, BadTablesAreReportedAndTheOldOneKept) {
  struct Case {
    const char* name;
    std::string text;
    const char* message;
  };
  std::string many;
  for (int i = 0; i < 257; ++i) many += "1 2 3 - 0\n";
  const Case cases[] = {
      {"empty", "", "holds no colours"},
      {"only an unfinished line", "1 2 3 - 0", "holds no colours"},
      {"no dash", "1 2 3 - 0\n4 5 6 0\n", "line 2: it has no \"-\""},
      {"blank line between colours", "1 2 3 - 0\n\n4 5 6 - 1\n", "line 2: the line is blank"},
      {"blank line first", "\n1 2 3 - 0\n", "line 1: the line is blank"},
      {"only blank lines", "\n \n\t\n", "holds no colours"},
      {"a dot after the colours", "1 2 3 - 0\n\n.\n", "line 3: it does not begin"},
      {"257 lines and a blank one", many + "\n", "more than 256"},
      {"two numbers", "1 2 - 0\n", "three numbers"},
      {"component 256", "1 256 3 - 0\n", "outside 0..255"},
      {"negative component", "1 -2 3 - 0\n", "outside 0..255"},
      {"digit 8", "1 2 3 - 0 8\n", "not 0..7"},
      {"digits run together", "1 2 3 - 01\n", "not 0..7"},
      {"nine digits", "1 2 3 - 0 0 0 0 0 0 0 0 0\n", "longer than 8"},
      {"257 lines", many, "more than 256"},
      {"long line", "1 2 3 -" + std::string(300, ' ') + "\n", "too long"},
      {"NUL inside", std::string("1 2 3 - 0\0 1\n", 13), "NUL"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto ctx = NewPalette();
    ASSERT_EQ(CodecStatus::kOk, Read(ctx.get(), "9 9 9 -\n"));
    EXPECT_EQ(CodecStatus::kBadData, Read(ctx.get(), c.text));
    EXPECT_NE(std::string(ctx->error.message).find(c.message), std::string::npos)
        << ctx->error.message;
    EXPECT_NE(std::string(ctx->error.message).find("t.tr"), std::string::npos);
    EXPECT_STREQ(ctx->error.module, "PALETTE");
    EXPECT_EQ(NearestColour(ctx.get(), Rgb(1, 2, 3)), Rgb(9, 9, 9));  // old table still there
  }
}

TEST(ColourTableTest, MissingFileMessage) {
  auto ctx = NewPalette();
  std::string path = MakeTempDirectory() + "/none.tr";
  EXPECT_EQ(CodecStatus::kCannotOpen, ReadColourTable(ctx.get(), path.c_str()));
  EXPECT_EQ(std::string(ctx->error.message), "File " + path + " could not be opened: EXITING\r\n");
  EXPECT_EQ(NearestColour(ctx.get(), Rgb(1, 2, 3)), 0u);
  EXPECT_EQ(NearestColourIndex(ctx.get(), Rgb(1, 2, 3)), -1);
}

TEST(ColourTableTest, ReadsAFile) {
  std::string path = MakeTempDirectory() + "/pal.tr";
  std::string text = "10 20 30 - 0\n200 100 50 - 6\n";
  WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
  auto ctx = NewPalette();
  ASSERT_EQ(CodecStatus::kOk, ReadColourTable(ctx.get(), path.c_str()));
  EXPECT_EQ(ctx->table->palette.entryCount, 2);
}

// A table file of exactly `size` bytes (at least what the colours take):
// `colours` long colour lines, colour i being (i, 255 - i, 7), then blank
// lines of spaces.
std::string TableFileOfSize(int colours, size_t size) {
  std::string text;
  for (int i = 0; i < colours; ++i) {
    text += std::to_string(i) + " " + std::to_string(255 - i) + " 7 " + std::string(200, 'x') +
            " - " + std::to_string(i / 64) + " " + std::to_string(i / 8 % 8) + " " +
            std::to_string(i % 8) + "\n";
  }
  while (text.size() < size) {
    const size_t line = std::min<size_t>(size - text.size(), 255);
    text += std::string(line - 1, ' ') + "\n";
  }
  return text;
}

TEST(ColourTableTest, FileSizesAroundTheReadsAndTheLimit) {
  const std::string directory = MakeTempDirectory();
  const struct {
    int colours;
    size_t size;  // 0: the colour lines alone
    CodecStatus status;
  } cases[] = {
      {256, 0, CodecStatus::kOk},                   // about 56 KB, read in growing steps
      {1, 16 << 10, CodecStatus::kOk},              // fills the first read exactly
      {1, (16 << 10) + 1, CodecStatus::kOk},        // one byte more
      {256, 1 << 20, CodecStatus::kOk},             // the largest allowed
      {256, (1 << 20) + 1, CodecStatus::kBadData},  // one byte more
      {1, 3 << 20, CodecStatus::kBadData},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.colours) + " colours in " + std::to_string(c.size) + " bytes");
    const std::string path = directory + "/sized.tr";
    const std::string text = TableFileOfSize(c.colours, c.size);
    ASSERT_TRUE(c.size == 0 || text.size() == c.size);
    WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
    auto ctx = NewPalette();
    ASSERT_EQ(c.status, ReadColourTable(ctx.get(), path.c_str()));
    if (c.status != CodecStatus::kOk) {
      EXPECT_EQ(std::string(ctx->error.message), "Colour table " + path + " is too large");
      continue;
    }
    ASSERT_EQ(ctx->table->palette.entryCount, c.colours);
    const PaletteEntry& last = ctx->table->palette.entries[c.colours - 1];
    EXPECT_EQ(last.red, c.colours - 1);
    EXPECT_EQ(last.green, 256 - c.colours);
    EXPECT_EQ(last.blue, 7);
  }
}

TEST(NearestColourTest, SearchCases) {
  struct Case {
    const char* name;
    std::string table;
    uint32_t colour;
    int index;
  };
  const Case cases[] = {
      // Leaves A (found first) and B below the root; (10,10,10)'s path leaves
      // the tree at once. Distances (t - p + 1)^2: A = 4 + 1 + 1 = 6,
      // B = 0 + 1 + 1 = 2. Plain squares would tie and pick A.
      {"difference plus one", "9 10 10 - 1\n11 10 10 - 2\n", Rgb(10, 10, 10), 1},
      {"first found wins a tie", "11 10 10 - 1\n11 10 10 - 2\n", Rgb(10, 10, 10), 0},
      // A colour whose path reaches a leaf takes it without comparing.
      {"leaf on the path", "200 0 0 - 0\n10 10 10 - 1\n", Rgb(5, 5, 5), 0},
      {"empty path is the root", "50 60 70 -\n", Rgb(255, 255, 255), 0},
      // (200,0,0): level 0 digit 1 (red's bit 7) leads to the node of the
      // two deeper leaves; only they are compared, not the nearer entry 0.
      {"search stays in the subtree", "201 1 1 - 0\n128 0 0 - 1 0\n255 0 255 - 1 4\n",
       Rgb(200, 0, 0), 1},
      {"missing child at the root", "0 0 0 - 0\n255 255 255 - 7\n", Rgb(250, 10, 250), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto ctx = NewPalette();
    ASSERT_EQ(CodecStatus::kOk, Read(ctx.get(), c.table));
    EXPECT_EQ(NearestColourIndex(ctx.get(), c.colour), c.index);
    EXPECT_EQ(NearestColour(ctx.get(), c.colour), ctx->table->values[c.index]);
    // And again through the memo.
    EXPECT_EQ(NearestColourIndex(ctx.get(), c.colour), c.index);
  }
}

// The search written plainly over the table's own lines: walk the colour's
// path, else compare every leaf below the stop in depth-first order.
struct PlainTree {
  struct Node {
    int child[8];
    int leaf = -1;  // palette index
    Node() {
      for (int& c : child) c = -1;
    }
  };
  std::vector<Node> nodes = std::vector<Node>(1);
  std::vector<uint32_t> colours;
  int maxDepth = 0;

  void Add(uint32_t colour, const std::vector<int>& path) {
    int n = 0;
    for (int d : path) {
      if (nodes[n].child[d] < 0) {
        nodes[n].child[d] = static_cast<int>(nodes.size());
        nodes.emplace_back();
      }
      n = nodes[n].child[d];
    }
    nodes[n].leaf = static_cast<int>(colours.size());
    colours.push_back(colour);
    maxDepth = std::max(maxDepth, static_cast<int>(path.size()));
  }
  void Collect(int n, std::vector<int>* out) const {
    for (int c : nodes[n].child) {
      if (c < 0) continue;
      if (nodes[c].leaf >= 0) {
        out->push_back(nodes[c].leaf);
      } else {
        Collect(c, out);
      }
    }
  }
  int Search(uint32_t colour) const {
    int n = 0;
    for (int level = 0; level < maxDepth; ++level) {
      int c = nodes[n].child[OctreeChildIndex(colour, level)];
      if (c < 0) break;
      if (nodes[c].leaf >= 0) return nodes[c].leaf;
      n = c;
    }
    if (nodes[n].leaf >= 0) return nodes[n].leaf;
    std::vector<int> leaves;
    Collect(n, &leaves);
    int best = -1;
    long bestDistance = 0;
    for (int index : leaves) {
      long d = 0;
      for (int shift : {16, 8, 0}) {
        long t = (colour >> shift) & 0xFF, p = (colours[index] >> shift) & 0xFF;
        d += (t - p + 1) * (t - p + 1);
      }
      if (best < 0 || d < bestDistance) {
        best = index;
        bestDistance = d;
      }
    }
    return best;
  }
};

// A random table of 1..256 lines, as text and as a PlainTree. Paths are
// mostly the colour's own bits at a random depth of 1..8, and now and then
// any digits at all (tables are free to say anything). With `ties`, some
// lines repeat an earlier colour or step one from it in a channel, so that
// leaves lie at equal distances and the search order must decide.
struct RandomTable {
  PlainTree plain;
  std::string text;

  // One line, in the text and in the plain tree.
  void Add(uint32_t colour, const std::vector<int>& path) {
    plain.Add(colour, path);
    text += std::to_string(colour >> 16) + " " + std::to_string((colour >> 8) & 0xFF) + " " +
            std::to_string(colour & 0xFF) + " -";
    for (int d : path) text += " " + std::to_string(d);
    text += "\n";
  }
};

// With `clustered`, the colours lie near one another, as a picture's do, and
// paths are at least three deep: most colours then stop at a node above
// many leaves, and the choice among those leaves is what is tested.
RandomTable MakeRandomTable(std::mt19937* rng, bool anyPaths, bool ties, bool clustered = false) {
  RandomTable table;
  const int lines = 1 + static_cast<int>((*rng)() % 256);
  const uint32_t centre = (*rng)() & 0xFFFFFF;
  for (int i = 0; i < lines; ++i) {
    uint32_t colour = (*rng)() & 0xFFFFFF;
    if (clustered) {
      colour = 0;
      for (int shift : {16, 8, 0}) {
        const int c =
            static_cast<int>((centre >> shift) & 0xFF) + static_cast<int>((*rng)() % 97) - 48;
        colour |= static_cast<uint32_t>(std::min(255, std::max(0, c))) << shift;
      }
    }
    if (ties && i > 0 && (*rng)() % 4 == 0) {
      colour = table.plain.colours[(*rng)() % table.plain.colours.size()];
      const int shift = 8 * static_cast<int>((*rng)() % 3);
      if ((*rng)() % 2 && ((colour >> shift) & 0xFF) < 255) colour += 1u << shift;
    }
    std::vector<int> path;
    const int depth =
        clustered ? 3 + static_cast<int>((*rng)() % 6) : 1 + static_cast<int>((*rng)() % 8);
    const bool own = !anyPaths || (*rng)() % 8 != 0;
    for (int level = 0; level < depth; ++level) {
      path.push_back(own ? OctreeChildIndex(colour, level) : static_cast<int>((*rng)() % 8));
    }
    table.Add(colour, path);
  }
  return table;
}

TEST(NearestColourTest, MatchesThePlainSearchOnRandomTables) {
  std::mt19937 rng(73);
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE(round);
    const RandomTable table = MakeRandomTable(&rng, true, false);
    auto ctx = NewPalette();
    ASSERT_EQ(CodecStatus::kOk, Read(ctx.get(), table.text)) << ctx->error.message;
    for (int i = 0; i < 3000; ++i) {
      uint32_t colour = rng() & 0xFFFFFF;
      ASSERT_EQ(NearestColourIndex(ctx.get(), colour), table.plain.Search(colour))
          << std::hex << colour;
    }
  }
}

// Every colour whose channels end in 0 or 7 in their low three bits: the
// corners of the cells the answers are kept by (and of the cells of one bit
// less), where a wrong shortcut would show first. A second table read into
// the same context must replace every kept answer.
TEST(NearestColourTest, MatchesThePlainSearchAtEveryCellCorner) {
  std::mt19937 rng(19);
  auto ctx = NewPalette();
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    const RandomTable table = MakeRandomTable(&rng, false, round % 2 == 1, round >= 2);
    ASSERT_EQ(CodecStatus::kOk, Read(ctx.get(), table.text)) << ctx->error.message;
    std::vector<uint32_t> values;
    for (uint32_t v = 0; v < 256; v += 8) {
      values.push_back(v);
      values.push_back(v + 7);
    }
    for (uint32_t r : values) {
      for (uint32_t g : values) {
        for (uint32_t b : values) {
          const uint32_t colour = r << 16 | g << 8 | b;
          ASSERT_EQ(NearestColourIndex(ctx.get(), colour), table.plain.Search(colour))
              << std::hex << colour;
        }
      }
    }
  }
}

// Every colour of random cells of 8 x 8 x 8 colours, asked in a random
// order and each twice, so that a cell's answers are worked out from any of
// its colours and then read back (also through CellNearestIndex, as the
// error diffusion reads them). Tables with ties and deep paths.
TEST(NearestColourTest, MatchesThePlainSearchInEveryColourOfACell) {
  std::mt19937 rng(5);
  auto ctx = NewPalette();
  for (int round = 0; round < 8; ++round) {
    SCOPED_TRACE(round);
    const RandomTable table = MakeRandomTable(&rng, round % 3 == 2, true, round % 2 == 0);
    ASSERT_EQ(CodecStatus::kOk, Read(ctx.get(), table.text)) << ctx->error.message;
    const NearestCache* cache = PrepareNearestCache(ctx.get());
    ASSERT_NE(cache, nullptr);
    for (int cell = 0; cell < 150; ++cell) {
      const uint32_t base = rng() & 0xF8F8F8;
      std::vector<uint32_t> colours;
      for (uint32_t i = 0; i < 512; ++i) {
        colours.push_back(base | (i >> 6) << 16 | ((i >> 3) & 7) << 8 | (i & 7));
      }
      std::shuffle(colours.begin(), colours.end(), rng);
      for (int pass = 0; pass < 2; ++pass) {
        for (uint32_t colour : colours) {
          const int want = table.plain.Search(colour);
          ASSERT_EQ(NearestColourIndex(ctx.get(), colour), want) << std::hex << colour;
          const int kept = CellNearestIndex(*cache, colour);
          if (kept >= 0) {
            ASSERT_EQ(kept, want) << std::hex << colour;
          }
        }
      }
    }
  }
}

// The first colour of cell number `cell` (NearestCell).
uint32_t CellColour(uint32_t cell) {
  return (cell >> 12) << 18 | ((cell >> 6) & 63) << 10 | (cell & 63) << 2;
}

// The plain tree of a .TR file's colour lines.
PlainTree PlainTreeOfFile(const std::string& path) {
  std::ifstream file(path);
  PlainTree plain;
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream fields(line);
    int r = 0, g = 0, b = 0;
    std::string dash;
    if (!(fields >> r >> g >> b >> dash)) continue;
    std::vector<int> steps;
    for (int step = 0; fields >> step;) steps.push_back(step);
    plain.Add(Rgb(r, g, b), steps);
  }
  return plain;
}

// A colour from every cell with a product table: more cells need blocks of
// answers than the blocks' first capacity holds, so they grow (moving every
// block) while answers are kept; all stay right. A second table read into
// the same context then writes its blocks over the first one's.
TEST(NearestColourTest, KeptAnswersSurviveTheBlocksGrowing) {
  const std::string path = std::string(LUMIVEX_GOLDEN_DIR) + "/WHITE.tr";
  const PlainTree plain = PlainTreeOfFile(path);
  ASSERT_GT(plain.colours.size(), 200u) << path;
  auto ctx = NewPalette();
  const LogicalPalette* palette = nullptr;
  ASSERT_EQ(CodecStatus::kOk, ReadColourTable(ctx.get(), path.c_str(), &palette))
      << ctx->error.message;
  const NearestCache* cache = PrepareNearestCache(ctx.get());
  ASSERT_NE(cache, nullptr);
  std::mt19937 rng(41);
  std::vector<uint32_t> corners;
  for (uint32_t cell = 0; cell < NearestCache::kCells; ++cell) {
    corners.push_back(CellColour(cell));
  }
  std::shuffle(corners.begin(), corners.end(), rng);
  for (uint32_t colour : corners) {
    ASSERT_EQ(NearestColourIndex(ctx.get(), colour), plain.Search(colour)) << std::hex << colour;
  }
  ASSERT_GT(cache->blockCount, 32768u) << "the blocks never grew";
  // Read back after the moves: another colour of each cell.
  for (uint32_t colour : corners) {
    const uint32_t other = colour | (rng() & 0x030303);
    const int kept = CellNearestIndex(*cache, other);
    if (kept >= 0) {
      ASSERT_EQ(kept, plain.Search(other)) << std::hex << other;
    }
  }
  // Another table in the same context: none of the first one's answers
  // may show through.
  const std::string second = std::string(LUMIVEX_GOLDEN_DIR) + "/0340.tr";
  const PlainTree secondPlain = PlainTreeOfFile(second);
  ASSERT_GT(secondPlain.colours.size(), 200u) << second;
  ASSERT_EQ(CodecStatus::kOk, ReadColourTable(ctx.get(), second.c_str(), &palette))
      << ctx->error.message;
  ASSERT_EQ(cache, PrepareNearestCache(ctx.get()));
  for (uint32_t colour : corners) {
    const uint32_t other = colour | (rng() & 0x030303);
    const int want = secondPlain.Search(other);
    ASSERT_EQ(NearestColourIndex(ctx.get(), other), want) << std::hex << other;
    const int kept = CellNearestIndex(*cache, other);
    if (kept >= 0) {
      ASSERT_EQ(kept, want) << std::hex << other;
    }
  }
}

// 256 colours a step apart in red, every path under digit 0: seven eighths
// of the colours stop at the root and compare all 256 leaves, and a cell's
// four reds have four different nearest colours, so every such cell needs a
// block: more than there can be. The cells past the last block search each
// colour and answer right.
TEST(NearestColourTest, CellsPastTheLastBlockSearchEachColour) {
  std::mt19937 rng(23);
  RandomTable table;
  for (int i = 0; i < 256; ++i) {
    std::vector<int> path = {0};
    for (int level = 1; level < 8; ++level) path.push_back(static_cast<int>(rng() % 8));
    table.Add(static_cast<uint32_t>(i) << 16 | 0x8080, path);
  }
  const PlainTree& plain = table.plain;
  auto ctx = NewPalette();
  ASSERT_EQ(CodecStatus::kOk, Read(ctx.get(), table.text)) << ctx->error.message;
  const NearestCache* cache = PrepareNearestCache(ctx.get());
  ASSERT_NE(cache, nullptr);
  std::vector<uint32_t> cells(NearestCache::kCells);
  for (uint32_t cell = 0; cell < NearestCache::kCells; ++cell) cells[cell] = cell;
  std::shuffle(cells.begin(), cells.end(), rng);
  for (uint32_t cell : cells) {
    const uint32_t colour = CellColour(cell) | (rng() & 0x030303);
    NearestColourIndex(ctx.get(), colour);  // every answer is checked below
  }
  ASSERT_EQ(cache->blockCount, NearestCache::kMaxBlocks) << "the blocks were never all taken";
  // Read back: another colour of each cell, the last cells searching each.
  int searched = 0;
  for (uint32_t cell : cells) {
    const uint32_t colour = CellColour(cell) | (rng() & 0x030303);
    const int want = plain.Search(colour);
    const int kept = CellNearestIndex(*cache, colour);
    if (kept >= 0) {
      ASSERT_EQ(kept, want) << std::hex << colour;
    } else {
      ++searched;
    }
    ASSERT_EQ(NearestColourIndex(ctx.get(), colour), want) << std::hex << colour;
  }
  EXPECT_GT(searched, 0);
}

TEST(NearestColourTest, MapImageToPaletteKeepsPadBytes) {
  auto ctx = NewPalette();
  ASSERT_EQ(CodecStatus::kOk, Read(ctx.get(), "0 0 0 - 0\n255 255 255 - 7\n"));
  // Two rows of one pixel (blue, green, red) and one pad byte each.
  std::vector<uint8_t> image = {10, 20, 30, 0xAB, 250, 240, 230, 0xCD};
  ASSERT_EQ(CodecStatus::kOk, MapImageToPalette(ctx.get(), image.data(), 2, 1, 1));
  EXPECT_EQ(image, (std::vector<uint8_t>{0, 0, 0, 0xAB, 255, 255, 255, 0xCD}));
}

TEST(PaletteBuilderTest, PathsAreTheColoursOwnBits) {
  Picture picture = MakeSamplePicture(160, 120);
  BgrImage image = {picture.bgr.data(), 160, 120, picture.stride()};
  for (int colours : {1, 2, 16, 234, 256}) {
    SCOPED_TRACE(colours);
    std::unique_ptr<BuiltPalette> built(new BuiltPalette);
    CodecError error;
    ASSERT_EQ(CodecStatus::kOk, BuildPalette(image, colours, built.get(), &error));
    EXPECT_LE(built->count, colours);
    EXPECT_GE(built->count, colours > 8 ? colours - 7 : 1);
    std::vector<char> text(kMaxColourTableText);
    size_t length = FormatColourTable(*built, text.data(), text.size());
    ASSERT_LT(length, text.size());
    ASSERT_EQ(text[length - 1], '\n');  // the last line must end too
    auto ctx = NewPalette();
    ASSERT_EQ(CodecStatus::kOk, ReadColourTableFromText(ctx.get(), text.data(), length, "built.tr"))
        << ctx->error.message;
    ASSERT_EQ(ctx->table->palette.entryCount, built->count);
    for (int i = 0; i < built->count; ++i) {
      uint32_t c = Rgb(built->rgb[i][0], built->rgb[i][1], built->rgb[i][2]);
      for (int level = 0; level < built->depth[i]; ++level) {
        ASSERT_EQ(built->path[i][level], OctreeChildIndex(c, level)) << i;
      }
      ASSERT_EQ(NearestColourIndex(ctx.get(), c), i);
    }
  }
}

TEST(PaletteBuilderTest, FewColoursAreKeptExactly) {
  Picture picture;
  picture.width = 3;
  picture.height = 2;
  picture.bgr = {0, 0, 0, 255, 255, 255, 10, 20, 30, 10, 20, 30, 0, 0, 0, 1, 2, 3};
  BgrImage image = {picture.bgr.data(), 3, 2, 9};
  BuiltPalette built;
  CodecError error;
  ASSERT_EQ(CodecStatus::kOk, BuildPalette(image, 234, &built, &error));
  ASSERT_EQ(built.count, 4);
  // Key order: black first, white last.
  EXPECT_EQ(built.rgb[0][0], 0);
  EXPECT_EQ(built.rgb[3][0], 255);
  EXPECT_EQ(built.depth[0], 8);
  char text[256];
  FormatColourTable(built, text, sizeof text);
  EXPECT_EQ(std::string(text).substr(0, 26), "0 0 0 - 0 0 0 0 0 0 0 0\n3 ");
}

}  // namespace
