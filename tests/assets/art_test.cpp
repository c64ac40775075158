// The arts and colour tables, read back through the codec the programs use.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "asset_files.h"
#include "codec/codec.h"
#include "codec_presets.h"

namespace {

std::string ArtDir() {
  return AssetsOut() + "/windows/TAVOL/";
}

struct Decoded {
  int32_t width = 0, height = 0, pieces = 0;
  std::vector<uint8_t> bgr;  // rows of width x 3

  const uint8_t* At(int x, int y) const { return &bgr[(static_cast<size_t>(y) * width + x) * 3]; }
  double MeanLuma(int x0, int y0, int w, int h) const {
    double sum = 0;
    for (int y = y0; y < y0 + h; ++y) {
      for (int x = x0; x < x0 + w; ++x) {
        const uint8_t* p = At(x, y);
        sum += 0.114 * p[0] + 0.587 * p[1] + 0.299 * p[2];
      }
    }
    return sum / (w * h);
  }
};

bool Decode(const std::string& path, Decoded* out, std::string* why) {
  std::unique_ptr<CodecContext> ctx(new CodecContext);
  InitCodecContext(ctx.get(), ScreenSaverCodecOptions(nullptr));
  WaveletPtr art;
  if (ReadWavelet(ctx.get(), path.c_str(), true, &art) != CodecStatus::kOk) {
    *why = ctx->error.message;
    return false;
  }
  out->width = art->header.width;
  out->height = art->header.height;
  out->pieces = art->header.pieces;
  out->bgr.assign(art->pixels.data(),
                  art->pixels.data() + static_cast<size_t>(out->width) * out->height * 3);
  return true;
}

struct ArtCase {
  const char* file;
  int32_t width, height, pieces;
};

const ArtCase kArts[] = {
    {"WHITE.ART", 1024, 768, 4}, {"BLUE.ART", 1024, 768, 4},  {"BLACK.ART", 1024, 768, 4},
    {"RED.ART", 1024, 768, 4},   {"GREEN.ART", 1024, 768, 4}, {"w-logo.art", 576, 432, 4},
    {"0340.art", 576, 432, 4},   {"0893.art", 576, 432, 4},   {"0930.art", 576, 432, 4},
    {"0793.art", 576, 432, 4},   {"0731.art", 576, 432, 4},   {"spot.art", 320, 258, 1},
    {"logo1.art", 128, 64, 1},   {"logo3.art", 128, 64, 1},
};

TEST(ArtFiles, EveryArtDecodesAtItsSize) {
  for (const ArtCase& c : kArts) {
    SCOPED_TRACE(c.file);
    Decoded d;
    std::string why;
    ASSERT_TRUE(Decode(ArtDir() + c.file, &d, &why)) << why;
    EXPECT_EQ(d.width, c.width);
    EXPECT_EQ(d.height, c.height);
    EXPECT_EQ(d.pieces, c.pieces);
  }
}

TEST(ArtFiles, ScreenSaverArtsFitItsScratchPlanes) {
  // The screen saver's inverse transform has room for piece sides up to 320.
  for (const ArtCase& c : kArts) {
    if (c.width == 1024) continue;
    SCOPED_TRACE(c.file);
    const int32_t side = c.pieces == 4 ? c.width / 2 : c.width;
    EXPECT_LE(side, 320);
  }
}

TEST(ColourTables, EveryArtHasATableOfAtMost234Colours) {
  std::vector<std::string> tables = {"PALALL9.TR"};
  for (const ArtCase& c : kArts) {
    const std::string file = c.file;
    tables.push_back(file.substr(0, file.size() - 3) + "tr");
  }
  for (const std::string& table : tables) {
    SCOPED_TRACE(table);
    std::unique_ptr<PaletteContext> ctx(new PaletteContext);
    InitPaletteContext(ctx.get());
    const LogicalPalette* palette = nullptr;
    ASSERT_EQ(ReadColourTable(ctx.get(), (ArtDir() + table).c_str(), &palette), CodecStatus::kOk)
        << ctx->error.message;
    EXPECT_EQ(palette->version, 0x300);
    EXPECT_LE(palette->entryCount, 234);
    EXPECT_GE(palette->entryCount, 64);
  }
}

TEST(ArtFiles, WallpapersAreDominatedByTheirColour) {
  struct Case {
    const char* file;
    bool (*dominant)(double r, double g, double b);
  } cases[] = {
      {"WHITE.ART", [](double r, double g, double b) { return r > 170 && g > 170 && b > 170; }},
      {"BLUE.ART", [](double r, double g, double b) { return b > g && g > r; }},
      {"BLACK.ART", [](double r, double g, double b) { return r < 50 && g < 50 && b < 50; }},
      {"RED.ART", [](double r, double g, double b) { return r > 2 * g && r > 2 * b; }},
      {"GREEN.ART", [](double r, double g, double b) { return g > r && g > b; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    Decoded d;
    std::string why;
    ASSERT_TRUE(Decode(ArtDir() + c.file, &d, &why)) << why;
    double sum[3] = {0, 0, 0};
    for (size_t i = 0; i < d.bgr.size(); ++i) sum[i % 3] += d.bgr[i];
    const double n = static_cast<double>(d.bgr.size() / 3);
    EXPECT_TRUE(c.dominant(sum[2] / n, sum[1] / n, sum[0] / n))
        << "mean " << sum[2] / n << " " << sum[1] / n << " " << sum[0] / n;
  }
}

TEST(ArtFiles, CardCornersSuitTheirLogos) {
  // Rows 1 to 3 of the screen saver's table blend the light logo into the
  // bottom-right corner, rows 4 and 5 the dark one.
  struct Case {
    const char* file;
    bool dark;
  } cases[] = {{"0340.art", true},
               {"0893.art", true},
               {"0930.art", true},
               {"0793.art", false},
               {"0731.art", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    Decoded d;
    std::string why;
    ASSERT_TRUE(Decode(ArtDir() + c.file, &d, &why)) << why;
    const double luma = d.MeanLuma(d.width - 129, d.height - 65, 128, 64);
    if (c.dark) {
      EXPECT_LT(luma, 80);
    } else {
      EXPECT_GT(luma, 160);
    }
  }
}

TEST(ArtFiles, CornerLogosUseOnlyTheirLettering) {
  // "logo1.art" pixels count where a channel is above 32, "logo3.art" pixels
  // where a channel is below 200: the grounds must count for nothing.
  for (const bool first : {true, false}) {
    const std::string file = first ? "logo1.art" : "logo3.art";
    SCOPED_TRACE(file);
    Decoded d;
    std::string why;
    ASSERT_TRUE(Decode(ArtDir() + file, &d, &why)) << why;
    int used = 0;
    for (int y = 0; y < d.height; ++y) {
      for (int x = 0; x < d.width; ++x) {
        if (LogoPixelUsed(first, d.At(x, y))) ++used;
      }
    }
    for (const auto& corner : {std::pair<int, int>{0, 0},
                               {d.width - 1, 0},
                               {0, d.height - 1},
                               {d.width - 1, d.height - 1}}) {
      EXPECT_FALSE(LogoPixelUsed(first, d.At(corner.first, corner.second)));
    }
    EXPECT_GT(used, d.width * d.height / 10);
    EXPECT_LT(used, d.width * d.height / 2);
  }
}

TEST(ArtFiles, SpotIsDarkestInTheMiddleAndClearAtTheEdges) {
  Decoded d;
  std::string why;
  ASSERT_TRUE(Decode(ArtDir() + "spot.art", &d, &why)) << why;
  // The mask is the blue channel.
  EXPECT_GE(d.At(d.width / 2, d.height / 2)[0], 250);
  for (int x = 0; x < d.width; ++x) {
    SCOPED_TRACE(x);
    EXPECT_LE(d.At(x, 0)[0], 8);
    EXPECT_LE(d.At(x, d.height - 1)[0], 8);
  }
  for (int y = 0; y < d.height; ++y) {
    SCOPED_TRACE(y);
    EXPECT_LE(d.At(0, y)[0], 8);
    EXPECT_LE(d.At(d.width - 1, y)[0], 8);
  }
}

}  // namespace
