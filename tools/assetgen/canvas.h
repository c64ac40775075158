// Floating-point pictures for the generators: an opaque RGB canvas for the
// painted scenes and a premultiplied RGBA layer for shapes, icons and text.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Rgb {
  float r = 0, g = 0, b = 0;  // 0..255
};

inline Rgb operator+(Rgb a, Rgb b) {
  return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Rgb operator-(Rgb a, Rgb b) {
  return {a.r - b.r, a.g - b.g, a.b - b.b};
}
inline Rgb operator*(Rgb a, float k) {
  return {a.r * k, a.g * k, a.b * k};
}
inline Rgb operator*(Rgb a, Rgb b) {  // b in 0..255 acts as a 0..1 filter
  return {a.r * b.r / 255.0f, a.g * b.g / 255.0f, a.b * b.b / 255.0f};
}

float Clamp01(float t);
float Smoothstep(float edge0, float edge1, float x);
float Lerp(float a, float b, float t);
Rgb Mix(Rgb a, Rgb b, float t);  // t clamped to 0..1
// Screen blend, for light added to a picture.
Rgb Screen(Rgb base, Rgb light, float amount);
float Luma(Rgb c);  // 0..255

// Colour from 0xRRGGBB.
Rgb Hex(uint32_t rrggbb);

// A gradient through stops at increasing positions.
struct GradientStop {
  float at;
  Rgb colour;
};
Rgb Gradient(const std::vector<GradientStop>& stops, float t);

struct Canvas {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;

  Canvas() = default;
  Canvas(int w, int h, Rgb fill = {});
  Rgb& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  const Rgb& At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  // Bilinear sample at pixel coordinates (centres at .5), edges clamped.
  Rgb Sample(float x, float y) const;

  // Calls f(x, y, u, v) for every pixel, u and v the centre in 0..1.
  void Paint(const std::function<Rgb(int, int, float, float)>& f);
};

struct Rgba {
  float r = 0, g = 0, b = 0, a = 0;  // premultiplied; a in 0..1
};

struct Layer {
  int width = 0;
  int height = 0;
  std::vector<Rgba> pixels;

  Layer() = default;
  Layer(int w, int h);
  Rgba& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  const Rgba& At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  // Puts colour over the pixel with the given coverage (0..1).
  void Blend(int x, int y, Rgb colour, float coverage);
  // Straight (unpremultiplied) colour of a pixel.
  Rgb Colour(int x, int y) const;
};

// Composites a layer over a canvas at an offset.
void DrawLayer(Canvas* canvas, const Layer& layer, int left, int top, float opacity = 1.0f);

// A coverage mask (0..1), e.g. text rendered white on black.
struct Mask {
  int width = 0;
  int height = 0;
  std::vector<float> values;

  float At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    return values[static_cast<size_t>(y) * width + x];
  }
};

// Reads a picture (PNG, BMP, PPM) as a mask from its green channel.
bool LoadMask(const std::string& path, Mask* mask, std::string* error);
// Blurs a mask by three box passes of the given radius, growing it by a
// margin of 3 x radius on each side.
Mask BlurMask(const Mask& mask, int radius);
// Puts colour(x, y) through the mask onto the canvas, mask's top-left at
// (left, top); x and y passed to colour are canvas coordinates.
void DrawMask(Canvas* canvas, const Mask& mask, int left, int top,
              const std::function<Rgb(int, int)>& colour, float opacity = 1.0f);
void DrawMask(Canvas* canvas, const Mask& mask, int left, int top, Rgb colour,
              float opacity = 1.0f);

// Area-averaging resize (for thumbnails) and bilinear resize.
Canvas ResizeBox(const Canvas& source, int width, int height);

// 24-bit blue, green, red rows of exactly width x 3 bytes, rounded and clamped.
std::vector<uint8_t> ToBgr(const Canvas& canvas);
Canvas FromBgr(const uint8_t* bgr, int width, int height, size_t stride);

// Writes the canvas as .png, .bmp or .ppm by extension.
bool SaveCanvas(const Canvas& canvas, const std::string& path, std::string* error);
bool LoadCanvas(const std::string& path, Canvas* canvas, std::string* error);
