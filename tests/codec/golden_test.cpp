// Byte-exact guard over everything the codec makes from a fixed set of arts:
// the decoded image, FilterScaleImage at several sizes, depths and dither
// kernels, the screen saver's path (logo, spot, ReplaceSpot) and the
// wallpaper bitmap. Each output's bytes are hashed; the hashes were taken
// from the plain implementation and must never move, however the code is
// made faster. The arts are frozen copies of product arts (tests/codec/golden,
// not the build's: the encoder may change those) and synthetic arts built
// here with hand-made Huffman trees (8-bit codes and codes up to 255 bits).
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "art_builder.h"
#include "codec/codec.h"
#include "codec_presets.h"
#include "wallpaper/wallpaper_bitmap.h"
#include "wide_and_narrow.h"

#ifndef LUMIVEX_GOLDEN_DIR
#error "LUMIVEX_GOLDEN_DIR must name tests/codec/golden"
#endif

namespace {

// FNV-1a, 64 bits.
struct Digest {
  uint64_t value = 14695981039346656037ull;
  void Add(const uint8_t* bytes, size_t size) {
    for (size_t i = 0; i < size; ++i) {
      value ^= bytes[i];
      value *= 1099511628211ull;
    }
  }
  void AddInt(int64_t v) {
    uint8_t b[8];
    for (int i = 0; i < 8; ++i) b[i] = static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * i));
    Add(b, 8);
  }
  std::string Hex() const {
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, value);
    return text;
  }
};

std::string GoldenDir() {
  return LUMIVEX_GOLDEN_DIR;
}

// A Huffman tree shaped as a chain: the most frequent byte of the stream
// gets a 1-bit code, the next a 2-bit one, and so on down to 255 bits, so
// the decoder's table and its long-code path both get work.
TestTree ChainTree(const std::vector<uint8_t>& stream, std::vector<uint8_t>* order) {
  std::vector<uint64_t> count(256, 0);
  for (uint8_t b : stream) ++count[b];
  order->resize(256);
  for (int i = 0; i < 256; ++i) (*order)[i] = static_cast<uint8_t>(i);
  std::stable_sort(order->begin(), order->end(),
                   [&](uint8_t a, uint8_t b) { return count[a] > count[b]; });
  // Node 254 (the root): bit 1 -> order[0], bit 0 -> node 253; ... node 0:
  // bit 1 -> order[254], bit 0 -> order[255].
  TestTree tree(255);
  for (int n = 254; n >= 0; --n) {
    int rank = 254 - n;
    tree[n][0] = (*order)[rank];
    tree[n][1] = n == 0 ? (*order)[255] : static_cast<uint16_t>(256 + n - 1);
  }
  return tree;
}

std::vector<uint8_t> ChainCodedFile(ArtHeader header, const std::vector<uint8_t>& stream) {
  std::vector<uint8_t> order;
  TestTree tree = ChainTree(stream, &order);
  int rankOf[256];
  for (int i = 0; i < 256; ++i) rankOf[order[i]] = i;
  TestBitWriter writer;
  WriteTree(&writer, tree);
  for (uint8_t b : stream) {
    int rank = rankOf[b];
    // rank r < 255: r zero bits then a one bit; rank 255: 255 zero bits.
    for (int i = 0; i < rank && i < 254; ++i) writer.Put(0, 1);
    if (rank < 254) {
      writer.Put(1, 1);
    } else {
      writer.Put(rank == 254 ? 1 : 0, 1);
    }
  }
  std::vector<uint8_t> payload = writer.Finish();
  payload.insert(payload.end(), 4, 0);
  header.packedSize = static_cast<int32_t>(stream.size());
  return BuildArtFileWithPayload(header, payload);
}

// Coefficients of one plane: a small coarsest band and sparse details that
// shrink towards the fine levels, so the picture stays inside the colour
// table.
void FillPlane(std::mt19937* rng, int side, int base, std::vector<int32_t>* out) {
  std::uniform_int_distribution<int> coarse(-6, 6);
  std::uniform_int_distribution<int> pick(0, 99);
  for (int i = 0; i < base * base; ++i) out->push_back(coarse(*rng));
  int amplitude = 24;
  for (int s = base; s < side; s *= 2) {
    std::uniform_int_distribution<int> detail(-amplitude, amplitude);
    for (int i = 0; i < 3 * s * s; ++i) out->push_back(pick(*rng) < 35 ? detail(*rng) : 0);
    amplitude = std::max(4, amplitude * 2 / 3);
  }
}

std::vector<uint8_t> SyntheticArt(int pieces, int width, int height, int base, bool halved,
                                  bool chain, uint32_t seed) {
  ArtHeader header = TestHeader(pieces, width, height, base, halved);
  const int t = width / (pieces == 4 ? 2 : 1);
  const int c = halved ? t / 2 : t;
  std::mt19937 rng(seed);
  std::vector<int32_t> values;
  for (int i = 0; i < pieces; ++i) {
    FillPlane(&rng, t, base, &values);
    FillPlane(&rng, c, base, &values);
    FillPlane(&rng, c, base, &values);
    header.yOffset[i] = 500 + 10 * i;
    header.uOffset[i] = 520 - 7 * i;
    header.vOffset[i] = 505 + 3 * i;
  }
  std::vector<uint8_t> stream = SimpleRunLength(CoefficientBytes(values));
  return chain ? ChainCodedFile(header, stream) : BuildArtFile(header, stream);
}

struct ArtCase {
  std::string name;
  std::string artPath;
  std::string tablePath;
};

std::vector<ArtCase> Arts(const std::string& scratch) {
  const std::string g = GoldenDir() + "/";
  std::vector<ArtCase> arts = {
      {"WHITE", g + "WHITE.ART", g + "WHITE.tr"},
      {"RED", g + "RED.ART", g + "RED.tr"},
      {"0340", g + "0340.art", g + "0340.tr"},
      {"logo1", g + "logo1.art", g + "logo1.tr"},
  };
  struct Synthetic {
    const char* name;
    int pieces, width, height, base;
    bool halved, chain;
  };
  for (Synthetic s : {Synthetic{"syn-1p-halved", 1, 64, 48, 4, true, false},
                      Synthetic{"syn-4p-full-chain", 4, 96, 80, 3, false, true},
                      Synthetic{"syn-4p-halved-chain", 4, 128, 100, 4, true, true}}) {
    std::string path = scratch + "/" + s.name + ".art";
    WriteBytes(path, SyntheticArt(s.pieces, s.width, s.height, s.base, s.halved, s.chain,
                                  static_cast<uint32_t>(s.width * 7 + s.height)));
    arts.push_back({s.name, path, g + "0340.tr"});
  }
  return arts;
}

std::unique_ptr<CodecContext> NewContext(const CodecOptions& options) {
  std::unique_ptr<CodecContext> ctx(new CodecContext);
  InitCodecContext(ctx.get(), options);
  return ctx;
}

struct Setting {
  int kernel;
  bool serpentine;
};

// Every output of one art, by name.
std::map<std::string, std::string> DigestArt(const ArtCase& art, const std::string& scratch) {
  std::map<std::string, std::string> digests;
  auto ctx = NewContext(SwitcherCodecOptions());
  WaveletPtr record;
  EXPECT_EQ(CodecStatus::kOk, ReadWavelet(ctx.get(), art.artPath.c_str(), false, &record))
      << ctx->error.message;
  EXPECT_EQ(CodecStatus::kOk, ReadColourTable(&ctx->palette, art.tablePath.c_str()))
      << ctx->error.message;
  if (!record) return digests;
  const int32_t width = record->header.width;
  const int32_t height = record->header.height;
  {
    ByteBuffer image;
    EXPECT_EQ(CodecStatus::kOk, DecodeWavelet(ctx.get(), *record, &image)) << ctx->error.message;
    Digest d;
    d.Add(image.data(), image.size);
    digests[art.name + "/decode"] = d.Hex();
  }
  {
    // Same size into a caller's target: the decoded image, placed at its end.
    std::vector<uint8_t> target(std::max<size_t>(size_t{1} << 20, RowStride(width) * height) + 64);
    ScaledImage result;
    EXPECT_EQ(CodecStatus::kOk, FilterScaleImage(ctx.get(), target.data(), target.size(),
                                                 record.get(), width, height, -1, &result));
    Digest d;
    d.AddInt(static_cast<int64_t>(result.pixels - target.data()));
    d.Add(result.pixels, result.stride * static_cast<size_t>(result.height));
    digests[art.name + "/same-size"] = d.Hex();
  }
  struct Size {
    int32_t w, h;
    bool allKernels;
  };
  const std::vector<Setting> all = {{0, false},  {1, false},  {2, false}, {3, false},
                                    {4, false},  {5, false},  {6, false}, {7, false},
                                    {10, false}, {15, false}, {2, true},  {3, true}};
  const std::vector<Setting> product = {{2, false}, {0, false}};
  for (Size size : {Size{640, 480, true}, Size{1920, 1080, false}, Size{301, 203, false}}) {
    for (int depth : {8, 16, 24}) {
      Digest d;
      for (const Setting& s : size.allKernels ? all : product) {
        ctx->displayBitsPerPixel = depth;
        ctx->ditherKernel = s.kernel;
        ctx->serpentine = s.serpentine;
        ScaledImage result;
        EXPECT_EQ(CodecStatus::kOk, FilterScaleImage(ctx.get(), nullptr, 0, record.get(), size.w,
                                                     size.h, -1, &result))
            << ctx->error.message;
        d.AddInt(s.kernel * 2 + s.serpentine);
        d.Add(result.pixels, result.stride * static_cast<size_t>(result.height));
      }
      digests[art.name + "/" + std::to_string(size.w) + "x" + std::to_string(size.h) + "/" +
              std::to_string(depth)] = d.Hex();
    }
  }
  // The screen saver: logo blended in, the spot darkened and put back.
  for (int depth : {8, 16}) {
    auto saver = NewContext(ScreenSaverCodecOptions(nullptr));
    SetArtDirectory(saver.get(), (GoldenDir() + "/").c_str());
    SetProgramDirectory(saver.get(), scratch.c_str());
    saver->logoKind = depth == 8 ? 1 : 3;
    saver->displayBitsPerPixel = depth;
    EXPECT_EQ(CodecStatus::kOk,
              LoadSpotMask(saver.get(), (GoldenDir() + "/spot.art").c_str(), 640, 480))
        << saver->error.message;
    EXPECT_EQ(CodecStatus::kOk, ReadColourTable(&saver->palette, art.tablePath.c_str()));
    Digest d;
    for (int corner : {3, 0}) {
      ScaledImage result;
      EXPECT_EQ(CodecStatus::kOk,
                FilterScaleImage(saver.get(), nullptr, 0, record.get(), 640, 480, corner, &result))
          << saver->error.message;
      d.Add(result.pixels, result.stride * static_cast<size_t>(result.height));
      SpotRect rect;
      EXPECT_EQ(CodecStatus::kOk, ReplaceSpot(saver.get(), &rect, result.pixels, 640, 480, corner))
          << saver->error.message;
      d.Add(result.pixels, result.stride * static_cast<size_t>(result.height));
    }
    CloseSpotFile(saver.get(), true);
    digests[art.name + "/saver/" + std::to_string(depth)] = d.Hex();
  }
  // The wallpaper bitmap file, as the switcher makes it.
  for (WallpaperScreen screen :
       {WallpaperScreen{1920, 1080, 8, 3780, 3780}, WallpaperScreen{1920, 1080, 16, 3780, 3780},
        WallpaperScreen{1920, 1080, 32, 3780, 3780}, WallpaperScreen{1366, 768, 8, 2834, 2834},
        WallpaperScreen{1024, 768, 16, 2834, 2834}}) {
    auto paper = NewContext(SwitcherCodecOptions());
    paper->displayBitsPerPixel = screen.depth;
    WallpaperBitmap bitmap;
    EXPECT_EQ(CodecStatus::kOk, MakeWallpaperBitmap(paper.get(), art.artPath.c_str(),
                                                    art.tablePath.c_str(), screen, &bitmap))
        << paper->error.message;
    Digest d;
    d.Add(bitmap.headers, sizeof bitmap.headers);
    d.Add(bitmap.pixels.data(), bitmap.imageBytes);
    digests[art.name + "/wallpaper/" + std::to_string(screen.width) + "x" +
            std::to_string(screen.height) + "/" + std::to_string(screen.depth)] = d.Hex();
  }
  return digests;
}

// Taken from the plain implementation before any of it was made faster.
const std::map<std::string, std::string> kGolden = {
    {"0340/1920x1080/16", "12461070b3715062"},
    {"0340/1920x1080/24", "50fbfec00157b759"},
    {"0340/1920x1080/8", "0d3fab6480a73dab"},
    {"0340/301x203/16", "2086f4769921834b"},
    {"0340/301x203/24", "5e32539151f2c081"},
    {"0340/301x203/8", "107ddc62afd8288d"},
    {"0340/640x480/16", "69084ef992cd1406"},
    {"0340/640x480/24", "87c3f7059a28f496"},
    {"0340/640x480/8", "d111302d403adbd7"},
    {"0340/decode", "e8ddd3f11a2fbd0c"},
    {"0340/same-size", "a4504277fe044d9c"},
    {"0340/saver/16", "ed408e40dc22283d"},
    {"0340/saver/8", "1cff0f88ac8d37cf"},
    {"0340/wallpaper/1024x768/16", "0ff71927ff08100b"},
    {"0340/wallpaper/1366x768/8", "963d3c1de8d8d70a"},
    {"0340/wallpaper/1920x1080/16", "aa119b6d9a4b0bee"},
    {"0340/wallpaper/1920x1080/32", "e86968dbc44deae9"},
    {"0340/wallpaper/1920x1080/8", "183d2954bf225c56"},
    {"RED/1920x1080/16", "f5c4fe4981a0d751"},
    {"RED/1920x1080/24", "495320668c479969"},
    {"RED/1920x1080/8", "7c7375683909cd9d"},
    {"RED/301x203/16", "8704590d910d600a"},
    {"RED/301x203/24", "0cc8ac6be6f6b4c8"},
    {"RED/301x203/8", "2160538f34c35517"},
    {"RED/640x480/16", "eb550af67bc61ea0"},
    {"RED/640x480/24", "83162fc480c99623"},
    {"RED/640x480/8", "7365c8e8ce256512"},
    {"RED/decode", "46c7a4933046c444"},
    {"RED/same-size", "48fb34d0b6b3dc24"},
    {"RED/saver/16", "f05fd8bf3f426ad4"},
    {"RED/saver/8", "4da2edb36cd113bd"},
    {"RED/wallpaper/1024x768/16", "6dcea0af4d40f72b"},
    {"RED/wallpaper/1366x768/8", "a6c55f537666cfea"},
    {"RED/wallpaper/1920x1080/16", "df053f61f5b27209"},
    {"RED/wallpaper/1920x1080/32", "7321e249883d6a44"},
    {"RED/wallpaper/1920x1080/8", "ba5bc60d9359636c"},
    {"WHITE/1920x1080/16", "dce11323d4c0cd6a"},
    {"WHITE/1920x1080/24", "03e56e66e1bfdc75"},
    {"WHITE/1920x1080/8", "739c21361d176c15"},
    {"WHITE/301x203/16", "d6dd4c1a3854dbd4"},
    {"WHITE/301x203/24", "1d007bb8161691fe"},
    {"WHITE/301x203/8", "b036710eb742a4c5"},
    {"WHITE/640x480/16", "02a137053b99a934"},
    {"WHITE/640x480/24", "7cb09599c097198f"},
    {"WHITE/640x480/8", "ed90b2a6a99eccd0"},
    {"WHITE/decode", "a6d3f63577a17d00"},
    {"WHITE/same-size", "88077e920feee7a0"},
    {"WHITE/saver/16", "1f06dd963885b358"},
    {"WHITE/saver/8", "cc482722cabcd933"},
    {"WHITE/wallpaper/1024x768/16", "b956612ddb124b9a"},
    {"WHITE/wallpaper/1366x768/8", "6c0f96b9a18573d1"},
    {"WHITE/wallpaper/1920x1080/16", "e34ac1283e9c47e1"},
    {"WHITE/wallpaper/1920x1080/32", "acbc24e730e361e1"},
    {"WHITE/wallpaper/1920x1080/8", "a4487c942848f9fc"},
    {"logo1/1920x1080/16", "57e791e619705641"},
    {"logo1/1920x1080/24", "a2f62128758ea084"},
    {"logo1/1920x1080/8", "8b4b1d678d93ea0f"},
    {"logo1/301x203/16", "5e96126b0b4add4b"},
    {"logo1/301x203/24", "207eb57c8672ee1f"},
    {"logo1/301x203/8", "e8b2ce65a3418dc2"},
    {"logo1/640x480/16", "7ccc11e14beb3c7a"},
    {"logo1/640x480/24", "f39fd6c7f667e68f"},
    {"logo1/640x480/8", "91337d5d513d662a"},
    {"logo1/decode", "47e1f253eca31ce4"},
    {"logo1/same-size", "428ea9309b6ad963"},
    {"logo1/saver/16", "60d1100ca6810c2d"},
    {"logo1/saver/8", "ffb186a9ed71dcfa"},
    {"logo1/wallpaper/1024x768/16", "53a8fd5db92821fa"},
    {"logo1/wallpaper/1366x768/8", "6106e69aa7ddce9e"},
    {"logo1/wallpaper/1920x1080/16", "c806dfa52a73f82b"},
    {"logo1/wallpaper/1920x1080/32", "e9638489202c7159"},
    {"logo1/wallpaper/1920x1080/8", "498a3f7d63e3a399"},
    {"syn-1p-halved/1920x1080/16", "1dea0c4c5b7d6dfe"},
    {"syn-1p-halved/1920x1080/24", "cd7d020f9822d70c"},
    {"syn-1p-halved/1920x1080/8", "d13b03c1d20b4359"},
    {"syn-1p-halved/301x203/16", "911e338bd588b93e"},
    {"syn-1p-halved/301x203/24", "771ec6e09f84afd3"},
    {"syn-1p-halved/301x203/8", "51c9dcfd53967868"},
    {"syn-1p-halved/640x480/16", "14f1cd44ff9acebe"},
    {"syn-1p-halved/640x480/24", "e66a349f08880def"},
    {"syn-1p-halved/640x480/8", "4a6ce2d0aeba82f6"},
    {"syn-1p-halved/decode", "76d7896fbd50f8ba"},
    {"syn-1p-halved/same-size", "63305528a43fcff1"},
    {"syn-1p-halved/saver/16", "1b4bff3695f61406"},
    {"syn-1p-halved/saver/8", "d5cae3c9085fcb70"},
    {"syn-1p-halved/wallpaper/1024x768/16", "42465b2a172c3b69"},
    {"syn-1p-halved/wallpaper/1366x768/8", "8f01fba43e2ce5d8"},
    {"syn-1p-halved/wallpaper/1920x1080/16", "647088b769f7f731"},
    {"syn-1p-halved/wallpaper/1920x1080/32", "b7f4915f13b52f60"},
    {"syn-1p-halved/wallpaper/1920x1080/8", "9c7cf315984076f3"},
    {"syn-4p-full-chain/1920x1080/16", "fb5084305157eeae"},
    {"syn-4p-full-chain/1920x1080/24", "e5e0fb9d6b6a1cf4"},
    {"syn-4p-full-chain/1920x1080/8", "2943857b49176c9a"},
    {"syn-4p-full-chain/301x203/16", "c3dcbc9a08a0c165"},
    {"syn-4p-full-chain/301x203/24", "0fcc00445a58dd94"},
    {"syn-4p-full-chain/301x203/8", "8b821aea032a3738"},
    {"syn-4p-full-chain/640x480/16", "5a02516bc58eeea8"},
    {"syn-4p-full-chain/640x480/24", "79444b32b037e30d"},
    {"syn-4p-full-chain/640x480/8", "825bbe1781119924"},
    {"syn-4p-full-chain/decode", "e4694550f7ed63a5"},
    {"syn-4p-full-chain/same-size", "cadef44b19bb5694"},
    {"syn-4p-full-chain/saver/16", "1cb022e30fbf5624"},
    {"syn-4p-full-chain/saver/8", "4a327f340ea97cfd"},
    {"syn-4p-full-chain/wallpaper/1024x768/16", "2549c553f15b4753"},
    {"syn-4p-full-chain/wallpaper/1366x768/8", "768eff31e119d8c1"},
    {"syn-4p-full-chain/wallpaper/1920x1080/16", "836c2166a27ee6d9"},
    {"syn-4p-full-chain/wallpaper/1920x1080/32", "cd7cfda04a69a42c"},
    {"syn-4p-full-chain/wallpaper/1920x1080/8", "aaf0b264c40e5417"},
    {"syn-4p-halved-chain/1920x1080/16", "927b402c5de5b736"},
    {"syn-4p-halved-chain/1920x1080/24", "a4cc8d67597746b2"},
    {"syn-4p-halved-chain/1920x1080/8", "19f72af8bfdee050"},
    {"syn-4p-halved-chain/301x203/16", "6f838c576569f3ed"},
    {"syn-4p-halved-chain/301x203/24", "cfb14e1004cc73fe"},
    {"syn-4p-halved-chain/301x203/8", "3e3d684bc2961e03"},
    {"syn-4p-halved-chain/640x480/16", "77c2faf192c7a3ec"},
    {"syn-4p-halved-chain/640x480/24", "7017f3857a3ec67a"},
    {"syn-4p-halved-chain/640x480/8", "dbe57410ae8d4b94"},
    {"syn-4p-halved-chain/decode", "c4b5be5f26c6739b"},
    {"syn-4p-halved-chain/same-size", "943d60bf35e12d16"},
    {"syn-4p-halved-chain/saver/16", "6d5fd1b7298ee556"},
    {"syn-4p-halved-chain/saver/8", "775dd2404802be9a"},
    {"syn-4p-halved-chain/wallpaper/1024x768/16", "56f23543b25de368"},
    {"syn-4p-halved-chain/wallpaper/1366x768/8", "4ae71740294e9eee"},
    {"syn-4p-halved-chain/wallpaper/1920x1080/16", "90cb65e48b274805"},
    {"syn-4p-halved-chain/wallpaper/1920x1080/32", "2d1a9c14e5aaa97a"},
    {"syn-4p-halved-chain/wallpaper/1920x1080/8", "da608d705cb98dd6"},
};

using GoldenTest = WideAndNarrowTest;
INSTANTIATE_TEST_SUITE_P(WideAndNarrow, GoldenTest, testing::Bool());

TEST_P(GoldenTest, EveryOutputByteIsUnchanged) {
  const std::string scratch = MakeTempDirectory();
  std::map<std::string, std::string> actual;
  for (const ArtCase& art : Arts(scratch)) {
    for (const auto& entry : DigestArt(art, scratch)) actual.insert(entry);
  }
  std::string report;
  for (const auto& entry : actual) {
    auto it = kGolden.find(entry.first);
    if (it == kGolden.end() || it->second != entry.second) {
      report += "    {\"" + entry.first + "\", \"" + entry.second + "\"},\n";
    }
  }
  EXPECT_EQ(actual.size(), kGolden.size());
  EXPECT_TRUE(report.empty()) << "Outputs that differ from the golden digests:\n" << report;
}

}  // namespace
