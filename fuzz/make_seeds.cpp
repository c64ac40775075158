// Writes starting corpora for the fuzz targets: small .ART files of every
// layout the encoder makes, and a few colour tables.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "codec/art_encoder.h"
#include "codec/palette_builder.h"
#include "sample_picture.h"

namespace {

void Write(const std::string& path, const void* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return;
  }
  std::fwrite(data, 1, size, f);
  std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_seeds ART_DIR TABLE_DIR\n");
    return 2;
  }
  const std::string artDir = argv[1], tableDir = argv[2];
  struct Seed {
    int width, height, pieces, quality;
    bool halved;
  };
  const Seed seeds[] = {{16, 16, 1, 90, true}, {32, 20, 1, 50, true},   {24, 18, 4, 75, false},
                        {40, 30, 4, 95, true}, {9, 7, 1, 100, false},   {64, 48, 1, 20, true},
                        {8, 4, 4, 80, true},   {48, 32, 4, 100, false}, {2, 1, 1, 90, false}};
  int n = 0;
  for (const Seed& s : seeds) {
    Picture p = MakeSamplePicture(s.width, s.height);
    BgrImage image = {p.bgr.data(), p.width, p.height, p.stride()};
    EncodeOptions options;
    options.pieces = s.pieces;
    options.quality = s.quality;
    options.chromaHalved = s.halved;
    ByteBuffer file;
    CodecError error;
    if (EncodeWavelet(image, options, &file, nullptr, &error) != CodecStatus::kOk) {
      std::fprintf(stderr, "seed %d: %s\n", n, error.message);
      continue;
    }
    Write(artDir + "/seed" + std::to_string(n++) + ".art", file.data(), file.size);
    std::unique_ptr<BuiltPalette> palette(new BuiltPalette);
    if (BuildPalette(image, 1 + (s.width * 7) % 64, palette.get(), &error) == CodecStatus::kOk) {
      std::vector<char> text(kMaxColourTableText);
      size_t length = FormatColourTable(*palette, text.data(), text.size());
      Write(tableDir + "/seed" + std::to_string(n) + ".tr", text.data(), length);
    }
  }
  const char* tables[] = {"0 0 0 -\n", "9 10 10 - 1\n11 10 10 - 2\n",
                          "255 0 0 - 1\n0 255 0 - 2 7\n0 0 255 -4\r\n1 2 3 - 0"};
  for (const char* t : tables) {
    Write(tableDir + "/hand" + std::to_string(n++) + ".tr", t, std::string(t).size());
  }
  return 0;
}
