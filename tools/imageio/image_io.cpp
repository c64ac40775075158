#include "image_io.h"

#include <png.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* error) {
  FilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    *error = "cannot open " + path;
    return false;
  }
  bytes->clear();
  uint8_t chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
    bytes->insert(bytes->end(), chunk, chunk + n);
  }
  if (std::ferror(file.get())) {
    *error = "cannot read " + path;
    return false;
  }
  return true;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes,
                    std::string* error) {
  FilePtr file(std::fopen(path.c_str(), "wb"));
  if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() ||
      std::fflush(file.get()) != 0) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

uint32_t Le16(const uint8_t* p) {
  return static_cast<uint32_t>(p[0] | p[1] << 8);
}
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
void PutLe16(std::vector<uint8_t>* out, uint32_t v) {
  out->push_back(static_cast<uint8_t>(v));
  out->push_back(static_cast<uint8_t>(v >> 8));
}
void PutLe32(std::vector<uint8_t>* out, uint32_t v) {
  PutLe16(out, v & 0xFFFF);
  PutLe16(out, v >> 16);
}

constexpr int32_t kMaxSide = 1 << 15;

bool ReadPng(const std::string& path, Picture* picture, std::string* error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    *error = path + ": " + image.message;
    return false;
  }
  if (image.width == 0 || image.height == 0 || image.width > kMaxSide || image.height > kMaxSide) {
    png_image_free(&image);
    *error = path + ": unsupported picture size";
    return false;
  }
  image.format = PNG_FORMAT_BGR;
  picture->width = static_cast<int32_t>(image.width);
  picture->height = static_cast<int32_t>(image.height);
  picture->bgr.assign(PNG_IMAGE_SIZE(image), 0);
  png_color black = {0, 0, 0};
  if (!png_image_finish_read(&image, &black, picture->bgr.data(), 0, nullptr)) {
    *error = path + ": " + image.message;
    png_image_free(&image);
    return false;
  }
  return true;
}

bool WritePng(const std::string& path, const uint8_t* bgr, int32_t width, int32_t height,
              size_t stride, std::string* error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_BGR;
  if (!png_image_write_to_file(&image, path.c_str(), 0, bgr, static_cast<png_int_32>(stride),
                               nullptr)) {
    *error = path + ": " + image.message;
    return false;
  }
  return true;
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

}  // namespace

PictureFormat PictureFormatFromPath(const std::string& path) {
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos) return PictureFormat::kUnknown;
  std::string ext = Lower(path.substr(dot + 1));
  if (ext == "png") return PictureFormat::kPng;
  if (ext == "bmp") return PictureFormat::kBmp;
  if (ext == "ppm" || ext == "pnm") return PictureFormat::kPpm;
  return PictureFormat::kUnknown;
}

bool DecodeBmp(const uint8_t* data, size_t size, Picture* picture, std::string* error) {
  if (size < 54 || data[0] != 'B' || data[1] != 'M') {
    *error = "not a BMP file";
    return false;
  }
  uint32_t pixelOffset = Le32(data + 10);
  uint32_t headerSize = Le32(data + 14);
  if (headerSize < 40 || 14 + static_cast<uint64_t>(headerSize) > size) {
    *error = "unsupported BMP header";
    return false;
  }
  int32_t width = static_cast<int32_t>(Le32(data + 18));
  int32_t rawHeight = static_cast<int32_t>(Le32(data + 22));
  uint32_t bits = Le16(data + 28);
  uint32_t compression = Le32(data + 30);
  uint32_t coloursUsed = Le32(data + 46);
  bool topDown = rawHeight < 0;
  int64_t height = topDown ? -static_cast<int64_t>(rawHeight) : rawHeight;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
    *error = "unsupported BMP size";
    return false;
  }
  if (!(bits == 24 || bits == 32 || bits == 8) ||
      !(compression == 0 || (compression == 3 && bits == 32))) {
    *error = "unsupported BMP (only uncompressed 8, 24 and 32 bits)";
    return false;
  }
  uint64_t rowBytes = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
  if (pixelOffset > size || rowBytes * static_cast<uint64_t>(height) > size - pixelOffset) {
    *error = "BMP pixel data is truncated";
    return false;
  }
  const uint8_t* palette = data + 14 + headerSize;
  uint32_t paletteEntries = coloursUsed ? coloursUsed : 256;
  if (bits == 8 && (paletteEntries > 256 || 14 + headerSize + 4ull * paletteEntries > size)) {
    *error = "BMP colour table is truncated";
    return false;
  }
  picture->width = width;
  picture->height = static_cast<int32_t>(height);
  picture->bgr.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, 0);
  for (int64_t y = 0; y < height; ++y) {
    const uint8_t* src =
        data + pixelOffset + rowBytes * static_cast<uint64_t>(topDown ? y : height - 1 - y);
    uint8_t* dst = picture->bgr.data() + static_cast<size_t>(y) * picture->stride();
    for (int32_t x = 0; x < width; ++x) {
      if (bits == 8) {
        uint32_t index = src[x] < paletteEntries ? src[x] : 0;
        std::memcpy(dst + 3 * x, palette + 4 * index, 3);
      } else {
        std::memcpy(dst + 3 * x, src + static_cast<size_t>(x) * (bits / 8), 3);
      }
    }
  }
  return true;
}

std::vector<uint8_t> EncodeBmp(const uint8_t* bgr, int32_t width, int32_t height, size_t stride) {
  uint32_t rowBytes = static_cast<uint32_t>((width * 3 + 3) / 4 * 4);
  uint32_t imageBytes = rowBytes * static_cast<uint32_t>(height);
  std::vector<uint8_t> out;
  out.reserve(54 + imageBytes);
  out.push_back('B');
  out.push_back('M');
  PutLe32(&out, 54 + imageBytes);
  PutLe32(&out, 0);
  PutLe32(&out, 54);
  PutLe32(&out, 40);
  PutLe32(&out, static_cast<uint32_t>(width));
  PutLe32(&out, static_cast<uint32_t>(height));
  PutLe16(&out, 1);
  PutLe16(&out, 24);
  PutLe32(&out, 0);
  PutLe32(&out, imageBytes);
  PutLe32(&out, 2835);
  PutLe32(&out, 2835);
  PutLe32(&out, 0);
  PutLe32(&out, 0);
  for (int32_t y = height - 1; y >= 0; --y) {
    const uint8_t* row = bgr + stride * static_cast<size_t>(y);
    out.insert(out.end(), row, row + static_cast<size_t>(width) * 3);
    out.insert(out.end(), rowBytes - static_cast<size_t>(width) * 3, 0);
  }
  return out;
}

bool DecodePpm(const uint8_t* data, size_t size, Picture* picture, std::string* error) {
  size_t pos = 0;
  auto skipSpace = [&]() {
    while (pos < size) {
      if (data[pos] == '#') {
        while (pos < size && data[pos] != '\n') ++pos;
      } else if (std::isspace(data[pos])) {
        ++pos;
      } else {
        break;
      }
    }
  };
  auto number = [&](int64_t* value) {
    skipSpace();
    if (pos >= size || !std::isdigit(data[pos])) return false;
    *value = 0;
    while (pos < size && std::isdigit(data[pos]) && *value < (1 << 20)) {
      *value = *value * 10 + (data[pos++] - '0');
    }
    return true;
  };
  if (size < 2 || data[0] != 'P' || data[1] != '6') {
    *error = "not a binary PPM (P6) file";
    return false;
  }
  pos = 2;
  int64_t width, height, maxval;
  if (!number(&width) || !number(&height) || !number(&maxval) || pos >= size ||
      !std::isspace(data[pos])) {
    *error = "bad PPM header";
    return false;
  }
  ++pos;
  if (maxval != 255 || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
    *error = "unsupported PPM (maxval must be 255)";
    return false;
  }
  uint64_t bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 3;
  if (bytes > size - pos) {
    *error = "PPM pixel data is truncated";
    return false;
  }
  picture->width = static_cast<int32_t>(width);
  picture->height = static_cast<int32_t>(height);
  picture->bgr.resize(bytes);
  for (uint64_t i = 0; i < bytes; i += 3) {
    picture->bgr[i] = data[pos + i + 2];
    picture->bgr[i + 1] = data[pos + i + 1];
    picture->bgr[i + 2] = data[pos + i];
  }
  return true;
}

std::vector<uint8_t> EncodePpm(const uint8_t* bgr, int32_t width, int32_t height, size_t stride) {
  char header[64];
  int n = std::snprintf(header, sizeof header, "P6\n%d %d\n255\n", width, height);
  std::vector<uint8_t> out(header, header + n);
  out.reserve(out.size() + static_cast<size_t>(width) * height * 3);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = bgr + stride * static_cast<size_t>(y);
    for (int32_t x = 0; x < width; ++x) {
      out.push_back(row[3 * x + 2]);
      out.push_back(row[3 * x + 1]);
      out.push_back(row[3 * x]);
    }
  }
  return out;
}

bool ReadPicture(const std::string& path, Picture* picture, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, &bytes, error)) return false;
  static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  bool ok;
  if (bytes.size() >= 8 && std::memcmp(bytes.data(), kPngSignature, 8) == 0) {
    return ReadPng(path, picture, error);
  } else if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
    ok = DecodeBmp(bytes.data(), bytes.size(), picture, error);
  } else if (bytes.size() >= 2 && bytes[0] == 'P' && bytes[1] == '6') {
    ok = DecodePpm(bytes.data(), bytes.size(), picture, error);
  } else {
    *error = path + ": not a PNG, BMP or PPM picture";
    return false;
  }
  if (!ok) *error = path + ": " + *error;
  return ok;
}

bool WritePicture(const std::string& path, const uint8_t* bgr, int32_t width, int32_t height,
                  size_t stride, std::string* error) {
  switch (PictureFormatFromPath(path)) {
    case PictureFormat::kPng:
      return WritePng(path, bgr, width, height, stride, error);
    case PictureFormat::kBmp:
      return WriteWholeFile(path, EncodeBmp(bgr, width, height, stride), error);
    case PictureFormat::kPpm:
      return WriteWholeFile(path, EncodePpm(bgr, width, height, stride), error);
    default:
      *error = path + ": the extension must be .png, .bmp or .ppm";
      return false;
  }
}
