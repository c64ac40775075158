#include "canvas.h"

#include <algorithm>
#include <cmath>

#include "image_io.h"

float Clamp01(float t) {
  return t < 0 ? 0 : (t > 1 ? 1 : t);
}

float Smoothstep(float edge0, float edge1, float x) {
  const float t = Clamp01((x - edge0) / (edge1 - edge0));
  return t * t * (3 - 2 * t);
}

float Lerp(float a, float b, float t) {
  return a + (b - a) * t;
}

Rgb Mix(Rgb a, Rgb b, float t) {
  t = Clamp01(t);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Screen(Rgb base, Rgb light, float amount) {
  auto one = [amount](float c, float l) {
    const float s = 255.0f - (255.0f - c) * (255.0f - l * amount) / 255.0f;
    return std::max(c, s);
  };
  return {one(base.r, light.r), one(base.g, light.g), one(base.b, light.b)};
}

float Luma(Rgb c) {
  return 0.299f * c.r + 0.587f * c.g + 0.114f * c.b;
}

Rgb Hex(uint32_t rrggbb) {
  return {static_cast<float>((rrggbb >> 16) & 255), static_cast<float>((rrggbb >> 8) & 255),
          static_cast<float>(rrggbb & 255)};
}

Rgb Gradient(const std::vector<GradientStop>& stops, float t) {
  if (t <= stops.front().at) return stops.front().colour;
  for (size_t i = 1; i < stops.size(); ++i) {
    if (t <= stops[i].at) {
      const float span = stops[i].at - stops[i - 1].at;
      return Mix(stops[i - 1].colour, stops[i].colour, (t - stops[i - 1].at) / span);
    }
  }
  return stops.back().colour;
}

Canvas::Canvas(int w, int h, Rgb fill)
    : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}

Rgb Canvas::Sample(float x, float y) const {
  x -= 0.5f;
  y -= 0.5f;
  x = std::min(std::max(x, 0.0f), static_cast<float>(width - 1));
  y = std::min(std::max(y, 0.0f), static_cast<float>(height - 1));
  const int x0 = static_cast<int>(x);
  const int y0 = static_cast<int>(y);
  const int x1 = std::min(x0 + 1, width - 1);
  const int y1 = std::min(y0 + 1, height - 1);
  const float fx = x - x0;
  const float fy = y - y0;
  const Rgb top = Mix(At(x0, y0), At(x1, y0), fx);
  const Rgb bottom = Mix(At(x0, y1), At(x1, y1), fx);
  return Mix(top, bottom, fy);
}

void Canvas::Paint(const std::function<Rgb(int, int, float, float)>& f) {
  for (int y = 0; y < height; ++y) {
    const float v = (y + 0.5f) / height;
    for (int x = 0; x < width; ++x) At(x, y) = f(x, y, (x + 0.5f) / width, v);
  }
}

Layer::Layer(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h) {}

void Layer::Blend(int x, int y, Rgb colour, float coverage) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  coverage = Clamp01(coverage);
  if (coverage <= 0) return;
  Rgba& p = At(x, y);
  const float keep = 1 - coverage;
  p.r = colour.r * coverage + p.r * keep;
  p.g = colour.g * coverage + p.g * keep;
  p.b = colour.b * coverage + p.b * keep;
  p.a = coverage + p.a * keep;
}

Rgb Layer::Colour(int x, int y) const {
  const Rgba& p = At(x, y);
  if (p.a <= 0) return {};
  return {p.r / p.a, p.g / p.a, p.b / p.a};
}

void DrawLayer(Canvas* canvas, const Layer& layer, int left, int top, float opacity) {
  for (int y = 0; y < layer.height; ++y) {
    const int cy = top + y;
    if (cy < 0 || cy >= canvas->height) continue;
    for (int x = 0; x < layer.width; ++x) {
      const int cx = left + x;
      if (cx < 0 || cx >= canvas->width) continue;
      const Rgba& p = layer.At(x, y);
      const float a = p.a * opacity;
      Rgb& d = canvas->At(cx, cy);
      d = {p.r * opacity + d.r * (1 - a), p.g * opacity + d.g * (1 - a),
           p.b * opacity + d.b * (1 - a)};
    }
  }
}

bool LoadMask(const std::string& path, Mask* mask, std::string* error) {
  Picture picture;
  if (!ReadPicture(path, &picture, error)) return false;
  mask->width = picture.width;
  mask->height = picture.height;
  mask->values.resize(static_cast<size_t>(picture.width) * picture.height);
  for (size_t i = 0; i < mask->values.size(); ++i) {
    mask->values[i] = picture.bgr[i * 3 + 1] / 255.0f;
  }
  return true;
}

namespace {

// One box pass along rows (horizontal) or columns, edges treated as zero.
void BoxPass(std::vector<float>* values, int width, int height, int radius, bool horizontal) {
  std::vector<float> out(values->size());
  const int lines = horizontal ? height : width;
  const int length = horizontal ? width : height;
  const float scale = 1.0f / (2 * radius + 1);
  for (int line = 0; line < lines; ++line) {
    auto at = [&](int i) -> float {
      if (i < 0 || i >= length) return 0;
      return horizontal ? (*values)[static_cast<size_t>(line) * width + i]
                        : (*values)[static_cast<size_t>(i) * width + line];
    };
    float sum = 0;
    for (int i = -radius; i <= radius; ++i) sum += at(i);
    for (int i = 0; i < length; ++i) {
      const size_t index = horizontal ? static_cast<size_t>(line) * width + i
                                      : static_cast<size_t>(i) * width + line;
      out[index] = sum * scale;
      sum += at(i + radius + 1) - at(i - radius);
    }
  }
  values->swap(out);
}

}  // namespace

Mask BlurMask(const Mask& mask, int radius) {
  const int margin = 3 * radius;
  Mask out;
  out.width = mask.width + 2 * margin;
  out.height = mask.height + 2 * margin;
  out.values.assign(static_cast<size_t>(out.width) * out.height, 0.0f);
  for (int y = 0; y < mask.height; ++y) {
    for (int x = 0; x < mask.width; ++x) {
      out.values[static_cast<size_t>(y + margin) * out.width + x + margin] = mask.At(x, y);
    }
  }
  for (int pass = 0; pass < 3; ++pass) {
    BoxPass(&out.values, out.width, out.height, radius, true);
    BoxPass(&out.values, out.width, out.height, radius, false);
  }
  return out;
}

void DrawMask(Canvas* canvas, const Mask& mask, int left, int top,
              const std::function<Rgb(int, int)>& colour, float opacity) {
  for (int y = 0; y < mask.height; ++y) {
    const int cy = top + y;
    if (cy < 0 || cy >= canvas->height) continue;
    for (int x = 0; x < mask.width; ++x) {
      const int cx = left + x;
      if (cx < 0 || cx >= canvas->width) continue;
      const float a = mask.At(x, y) * opacity;
      if (a <= 0) continue;
      canvas->At(cx, cy) = Mix(canvas->At(cx, cy), colour(cx, cy), a);
    }
  }
}

void DrawMask(Canvas* canvas, const Mask& mask, int left, int top, Rgb colour, float opacity) {
  DrawMask(
      canvas, mask, left, top, [colour](int, int) { return colour; }, opacity);
}

Canvas ResizeBox(const Canvas& source, int width, int height) {
  Canvas out(width, height);
  const float sx = static_cast<float>(source.width) / width;
  const float sy = static_cast<float>(source.height) / height;
  for (int y = 0; y < height; ++y) {
    const float y0 = y * sy;
    const float y1 = (y + 1) * sy;
    for (int x = 0; x < width; ++x) {
      const float x0 = x * sx;
      const float x1 = (x + 1) * sx;
      Rgb sum;
      float total = 0;
      for (int yy = static_cast<int>(y0);
           yy < std::min(source.height, static_cast<int>(std::ceil(y1))); ++yy) {
        const float wy = std::min(y1, yy + 1.0f) - std::max(y0, static_cast<float>(yy));
        for (int xx = static_cast<int>(x0);
             xx < std::min(source.width, static_cast<int>(std::ceil(x1))); ++xx) {
          const float wx = std::min(x1, xx + 1.0f) - std::max(x0, static_cast<float>(xx));
          sum = sum + source.At(xx, yy) * (wx * wy);
          total += wx * wy;
        }
      }
      out.At(x, y) = total > 0 ? sum * (1.0f / total) : Rgb{};
    }
  }
  return out;
}

namespace {

uint8_t ToByte(float v) {
  const float r = std::floor(v + 0.5f);
  return static_cast<uint8_t>(r < 0 ? 0 : (r > 255 ? 255 : r));
}

}  // namespace

std::vector<uint8_t> ToBgr(const Canvas& canvas) {
  std::vector<uint8_t> bytes(canvas.pixels.size() * 3);
  for (size_t i = 0; i < canvas.pixels.size(); ++i) {
    bytes[i * 3] = ToByte(canvas.pixels[i].b);
    bytes[i * 3 + 1] = ToByte(canvas.pixels[i].g);
    bytes[i * 3 + 2] = ToByte(canvas.pixels[i].r);
  }
  return bytes;
}

Canvas FromBgr(const uint8_t* bgr, int width, int height, size_t stride) {
  Canvas canvas(width, height);
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = bgr + stride * y;
    for (int x = 0; x < width; ++x) {
      canvas.At(x, y) = {static_cast<float>(row[x * 3 + 2]), static_cast<float>(row[x * 3 + 1]),
                         static_cast<float>(row[x * 3])};
    }
  }
  return canvas;
}

bool SaveCanvas(const Canvas& canvas, const std::string& path, std::string* error) {
  const std::vector<uint8_t> bgr = ToBgr(canvas);
  return WritePicture(path, bgr.data(), canvas.width, canvas.height,
                      static_cast<size_t>(canvas.width) * 3, error);
}

bool LoadCanvas(const std::string& path, Canvas* canvas, std::string* error) {
  Picture picture;
  if (!ReadPicture(path, &picture, error)) return false;
  *canvas = FromBgr(picture.bgr.data(), picture.width, picture.height, picture.stride());
  return true;
}
