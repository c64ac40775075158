#include "iconfile.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

#include "codec/art_encoder.h"
#include "codec/palette.h"
#include "codec/palette_builder.h"

namespace {

struct Writer {
  std::vector<uint8_t> bytes;
  void U8(uint32_t v) { bytes.push_back(static_cast<uint8_t>(v)); }
  void U16(uint32_t v) {
    U8(v & 0xFF);
    U8((v >> 8) & 0xFF);
  }
  void U32(uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  void Put32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
  }
};

uint8_t Byte(float v) {
  const float r = std::floor(v + 0.5f);
  return static_cast<uint8_t>(r < 0 ? 0 : (r > 255 ? 255 : r));
}

// The 16 colours of the standard VGA palette, in their usual order.
const uint8_t kVga[16][3] = {
    {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {128, 128, 128}, {192, 192, 192}, {255, 0, 0},     {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
};

int NearestOf(const std::vector<std::array<uint8_t, 3>>& table, const uint8_t rgb[3]) {
  int best = 0;
  int bestDistance = 1 << 30;
  for (size_t i = 0; i < table.size(); ++i) {
    int d = 0;
    for (int c = 0; c < 3; ++c) {
      const int e = static_cast<int>(table[i][c]) - rgb[c];
      d += e * e;
    }
    if (d < bestDistance) {
      bestDistance = d;
      best = static_cast<int>(i);
    }
  }
  return best;
}

// Colour table and per-pixel indexes of one picture.
struct Indexed {
  std::vector<std::array<uint8_t, 3>> table;  // red, green, blue; 2^bpp entries
  std::vector<int> index;
};

Indexed IndexPicture(const IconPicture& picture) {
  Indexed out;
  const size_t count = picture.colours.size();
  out.index.assign(count, 0);
  std::vector<std::array<uint8_t, 3>> rgb(count);
  for (size_t i = 0; i < count; ++i) {
    rgb[i] = {Byte(picture.colours[i].r), Byte(picture.colours[i].g), Byte(picture.colours[i].b)};
  }
  if (picture.bitsPerPixel == 1) {
    out.table = {{{0, 0, 0}}, {{255, 255, 255}}};
    for (size_t i = 0; i < count; ++i) {
      const int luma = (299 * rgb[i][0] + 587 * rgb[i][1] + 114 * rgb[i][2]) / 1000;
      out.index[i] = picture.shown[i] && luma >= 128 ? 1 : 0;
    }
    return out;
  }
  if (picture.bitsPerPixel == 4) {
    for (const auto& c : kVga) out.table.push_back({{c[0], c[1], c[2]}});
    for (size_t i = 0; i < count; ++i) {
      out.index[i] = picture.shown[i] ? NearestOf(out.table, rgb[i].data()) : 0;
    }
    return out;
  }
  // 8 bits: entry 0 is black (the clear pixels), then the picture's own
  // colours, reduced by the octree builder when there are more than 255.
  std::map<std::array<uint8_t, 3>, int> distinct;
  for (size_t i = 0; i < count; ++i) {
    if (picture.shown[i]) distinct.emplace(rgb[i], 0);
  }
  out.table.push_back({{0, 0, 0}});
  if (distinct.size() <= 255) {
    for (auto& entry : distinct) {
      entry.second = static_cast<int>(out.table.size());
      out.table.push_back(entry.first);
    }
    for (size_t i = 0; i < count; ++i) out.index[i] = picture.shown[i] ? distinct[rgb[i]] : 0;
  } else {
    std::vector<uint8_t> bgr;
    for (size_t i = 0; i < count; ++i) {
      if (!picture.shown[i]) continue;
      bgr.insert(bgr.end(), {rgb[i][2], rgb[i][1], rgb[i][0]});
    }
    BgrImage image;
    image.pixels = bgr.data();
    image.width = static_cast<int32_t>(bgr.size() / 3);
    image.height = 1;
    image.stride = bgr.size();
    std::unique_ptr<BuiltPalette> built(new BuiltPalette);
    CodecError error;
    if (BuildPalette(image, 255, built.get(), &error) != CodecStatus::kOk) {
      // Only memory can run out here (the picture is a valid row of its
      // colours), and an icon cannot be written without its colours.
      std::fprintf(stderr, "assetgen: %s\n", error.message);
      std::exit(1);
    }
    for (int i = 0; i < built->count; ++i) {
      out.table.push_back({{built->rgb[i][0], built->rgb[i][1], built->rgb[i][2]}});
    }
    const std::vector<std::array<uint8_t, 3>> own(out.table.begin() + 1, out.table.end());
    for (size_t i = 0; i < count; ++i) {
      if (picture.shown[i]) out.index[i] = 1 + NearestOf(own, rgb[i].data());
    }
  }
  out.table.resize(256, {{0, 0, 0}});
  return out;
}

size_t RowBytes(int width, int bits) {
  return ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
}

// The BITMAPINFOHEADER, colour table, XOR and AND rows of one picture.
std::vector<uint8_t> EncodePicture(const IconPicture& picture) {
  const Indexed indexed = IndexPicture(picture);
  const int n = picture.size;
  const int bits = picture.bitsPerPixel;
  const size_t xorRow = RowBytes(n, bits);
  const size_t andRow = RowBytes(n, 1);
  Writer w;
  w.U32(40);
  w.U32(n);
  w.U32(2 * n);  // colour rows and mask rows
  w.U16(1);
  w.U16(bits);
  w.U32(0);  // BI_RGB
  w.U32(static_cast<uint32_t>((xorRow + andRow) * n));
  w.U32(0);
  w.U32(0);
  w.U32(0);
  w.U32(0);
  for (const auto& c : indexed.table) {
    w.U8(c[2]);
    w.U8(c[1]);
    w.U8(c[0]);
    w.U8(0);
  }
  for (int y = n - 1; y >= 0; --y) {
    std::vector<uint8_t> row(xorRow, 0);
    for (int x = 0; x < n; ++x) {
      const uint32_t v = static_cast<uint32_t>(indexed.index[static_cast<size_t>(y) * n + x]);
      const size_t bit = static_cast<size_t>(x) * bits;
      row[bit / 8] |= static_cast<uint8_t>(v << (8 - bits - bit % 8));
    }
    w.bytes.insert(w.bytes.end(), row.begin(), row.end());
  }
  for (int y = n - 1; y >= 0; --y) {
    std::vector<uint8_t> row(andRow, 0);
    for (int x = 0; x < n; ++x) {
      if (!picture.shown[static_cast<size_t>(y) * n + x]) row[x / 8] |= 0x80 >> (x % 8);
    }
    w.bytes.insert(w.bytes.end(), row.begin(), row.end());
  }
  return w.bytes;
}

std::vector<uint8_t> EncodeDirectory(const std::vector<IconPicture>& pictures, bool cursor,
                                     Hotspot hotspot) {
  Writer w;
  w.U16(0);
  w.U16(cursor ? 2 : 1);
  w.U16(static_cast<uint32_t>(pictures.size()));
  std::vector<std::vector<uint8_t>> images;
  for (const IconPicture& p : pictures) images.push_back(EncodePicture(p));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * pictures.size());
  for (size_t i = 0; i < pictures.size(); ++i) {
    const IconPicture& p = pictures[i];
    w.U8(p.size >= 256 ? 0 : p.size);
    w.U8(p.size >= 256 ? 0 : p.size);
    w.U8(p.bitsPerPixel >= 8 ? 0 : 1u << p.bitsPerPixel);
    w.U8(0);
    if (cursor) {
      w.U16(hotspot.x);
      w.U16(hotspot.y);
    } else {
      w.U16(1);
      w.U16(p.bitsPerPixel);
    }
    w.U32(static_cast<uint32_t>(images[i].size()));
    w.U32(offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const auto& image : images) w.bytes.insert(w.bytes.end(), image.begin(), image.end());
  return w.bytes;
}

}  // namespace

IconPicture PictureFromLayer(const Layer& layer, int bitsPerPixel) {
  IconPicture picture;
  picture.size = layer.width;
  picture.bitsPerPixel = bitsPerPixel;
  for (int y = 0; y < layer.height; ++y) {
    for (int x = 0; x < layer.width; ++x) {
      const bool shown = layer.At(x, y).a >= 0.5f;
      picture.shown.push_back(shown ? 1 : 0);
      picture.colours.push_back(shown ? layer.Colour(x, y) : Rgb{});
    }
  }
  return picture;
}

std::vector<uint8_t> EncodeIconFile(const std::vector<IconPicture>& pictures) {
  return EncodeDirectory(pictures, false, {});
}

std::vector<uint8_t> EncodeCursorFile(const std::vector<IconPicture>& pictures, Hotspot hotspot) {
  return EncodeDirectory(pictures, true, hotspot);
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes,
                    std::string* error) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (f && std::fclose(f) != 0) ok = false;
  if (!ok && error) *error = "cannot write " + path;
  return ok;
}
