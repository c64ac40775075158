#include "test_art.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "codec/art_encoder.h"
#include "codec/palette_builder.h"
#include "winsupport.h"

namespace {

// Sky, sun and hills: smooth areas and edges, like real art.
std::vector<uint8_t> Landscape(int width, int height) {
  std::vector<uint8_t> bgr(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &bgr[(static_cast<size_t>(y) * width + x) * 3];
      const double fy = static_cast<double>(y) / height, fx = static_cast<double>(x) / width;
      const double hill = 0.62 + 0.08 * (fx - 0.5) * (fx - 0.5) * 8 - 0.05 * fx;
      const double sun = (fx - 0.7) * (fx - 0.7) + (fy - 0.25) * (fy - 0.25);
      if (sun < 0.008) {
        p[0] = 60, p[1] = 210, p[2] = 250;
      } else if (fy > hill) {
        p[0] = static_cast<uint8_t>(40 + 40 * fx), p[1] = static_cast<uint8_t>(120 + 60 * fy);
        p[2] = static_cast<uint8_t>(50 + 30 * fx);
      } else {
        p[0] = static_cast<uint8_t>(230 - 90 * fy), p[1] = static_cast<uint8_t>(170 - 60 * fy);
        p[2] = static_cast<uint8_t>(90 + 40 * fy);
      }
    }
  }
  return bgr;
}

bool WriteAll(const std::string& path, const void* data, size_t size) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  bool ok = std::fwrite(data, 1, size, out) == size;
  return std::fclose(out) == 0 && ok;
}

}  // namespace

bool WriteTestArt(const std::string& dir, const std::string& name, int width, int height,
                  int pieces, int colours) {
  std::vector<uint8_t> picture = Landscape(width, height);
  BgrImage image{picture.data(), width, height, static_cast<size_t>(width) * 3};
  EncodeOptions options;
  options.pieces = pieces;
  ByteBuffer file;
  CodecError error;
  BuiltPalette palette;
  if (EncodeWavelet(image, options, &file, nullptr, &error) != CodecStatus::kOk ||
      BuildPalette(image, colours, &palette, &error) != CodecStatus::kOk) {
    std::fprintf(stderr, "test art %s (%d x %d): %s\n", name.c_str(), width, height, error.message);
    return false;
  }
  std::vector<char> text(kMaxColourTableText);
  size_t length = FormatColourTable(palette, text.data(), text.size());
  return WriteAll(dir + "\\" + name + ".ART", file.data(), file.size) &&
         WriteAll(dir + "\\" + name + ".tr", text.data(), length);
}

std::string TavolArtDir() {
  std::string dir = WindowsDir() + "\\TAVOL";
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}
