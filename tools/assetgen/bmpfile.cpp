#include "bmpfile.h"

namespace {

void Put(std::vector<uint8_t>* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> EncodeBitmap8(const std::vector<uint8_t>& indexes, int width, int height,
                                   const std::vector<std::array<uint8_t, 3>>& colours) {
  const uint32_t row = (static_cast<uint32_t>(width) + 3) & ~3u;
  const uint32_t imageBytes = row * static_cast<uint32_t>(height);
  const uint32_t offset = 14 + 40 + 256 * 4;
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put(&out, offset + imageBytes, 4);
  Put(&out, 0, 4);
  Put(&out, offset, 4);
  Put(&out, 40, 4);
  Put(&out, static_cast<uint32_t>(width), 4);
  Put(&out, static_cast<uint32_t>(height), 4);  // positive: bottom-up
  Put(&out, 1, 2);
  Put(&out, 8, 2);
  Put(&out, 0, 4);  // BI_RGB
  Put(&out, imageBytes, 4);
  Put(&out, 2835, 4);  // 72 dots an inch
  Put(&out, 2835, 4);
  Put(&out, 256, 4);
  Put(&out, 0, 4);
  for (size_t i = 0; i < 256; ++i) {
    if (i < colours.size()) {
      out.push_back(colours[i][2]);
      out.push_back(colours[i][1]);
      out.push_back(colours[i][0]);
    } else {
      out.insert(out.end(), {0, 0, 0});
    }
    out.push_back(0);
  }
  for (int y = height - 1; y >= 0; --y) {
    const uint8_t* src = indexes.data() + static_cast<size_t>(y) * width;
    out.insert(out.end(), src, src + width);
    out.insert(out.end(), row - static_cast<uint32_t>(width), 0);
  }
  return out;
}
