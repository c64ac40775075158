#include "sample_picture.h"

#include <algorithm>
#include <cmath>

namespace {

uint32_t Hash(int32_t x, int32_t y, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 0x8DA6B343u ^ static_cast<uint32_t>(y) * 0xD8163841u ^
               seed * 0xCB1AB31Fu;
  h ^= h >> 13;
  h *= 0x5BD1E995u;
  h ^= h >> 15;
  return h;
}

double Lattice(int32_t x, int32_t y, uint32_t seed) {
  return (Hash(x, y, seed) & 0xFFFF) / 65535.0;
}

double Smooth(double t) {
  return t * t * (3 - 2 * t);
}

// Value noise in 0..1.
double Noise(double x, double y, uint32_t seed) {
  double fx = std::floor(x);
  double fy = std::floor(y);
  int32_t ix = static_cast<int32_t>(fx);
  int32_t iy = static_cast<int32_t>(fy);
  double tx = Smooth(x - fx);
  double ty = Smooth(y - fy);
  double a = Lattice(ix, iy, seed) + (Lattice(ix + 1, iy, seed) - Lattice(ix, iy, seed)) * tx;
  double b =
      Lattice(ix, iy + 1, seed) + (Lattice(ix + 1, iy + 1, seed) - Lattice(ix, iy + 1, seed)) * tx;
  return a + (b - a) * ty;
}

double Fbm(double x, double y, int octaves, uint32_t seed) {
  double sum = 0;
  double amplitude = 0.5;
  double total = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amplitude * Noise(x, y, seed + static_cast<uint32_t>(i));
    total += amplitude;
    x *= 2.03;
    y *= 2.03;
    amplitude *= 0.5;
  }
  return sum / total;
}

struct Rgb {
  double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) {
  t = std::min(1.0, std::max(0.0, t));
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Scale(Rgb a, double k) {
  return {a.r * k, a.g * k, a.b * k};
}

// Height (0 top .. 1 bottom) of a hill range at u.
double Ridge(double u, double base, double amplitude, double frequency, uint32_t seed) {
  return base - amplitude * Fbm(u * frequency, 0.5, 5, seed);
}

Rgb Scene(double u, double v, double aspect) {
  const double horizon = 0.62;
  // Sky: deep blue down to a warm horizon, clouds on top.
  Rgb sky = Mix(Rgb{38, 52, 110}, Rgb{238, 150, 92}, std::pow(v / horizon, 1.6));
  double clouds = Fbm(u * 4 * aspect, v * 9, 6, 11);
  sky = Mix(sky, Rgb{250, 214, 190}, (clouds - 0.52) * 2.2 * (1 - v / horizon));
  // Sun with a soft glow.
  double dx = (u - 0.68) * aspect;
  double dy = v - 0.40;
  double d = std::sqrt(dx * dx + dy * dy);
  sky = Mix(sky, Rgb{255, 236, 180}, 0.55 * std::exp(-d * 9));
  if (d < 0.045) sky = Rgb{255, 247, 215};
  Rgb colour = sky;
  // Far hills, bluish and hazy; near hills, green with texture.
  double far = Ridge(u, horizon, 0.16, 3.0, 23);
  if (v > far) {
    double shade = 0.85 + 0.3 * Fbm(u * 20, v * 20, 4, 31);
    colour = Scale(Mix(Rgb{96, 104, 150}, Rgb{150, 130, 150}, (v - far) * 6), shade);
  }
  double near = Ridge(u, horizon + 0.05, 0.12, 5.0, 41);
  if (v > near && v < horizon + 0.06) {
    double grass = Fbm(u * 60, v * 40, 5, 53);
    colour = Mix(Rgb{40, 82, 38}, Rgb{120, 140, 60}, grass * 1.3 - 0.1);
    colour = Scale(colour, 0.75 + 0.5 * (v - near) * 4);
  }
  // Lake: mirrored sky, darkened, with ripples.
  if (v > horizon + 0.06) {
    double mirrorV = 2 * (horizon + 0.06) - v;
    double ripple = 0.012 * std::sin(v * 260 + 6 * Fbm(u * 8, v * 30, 3, 61));
    Rgb reflected = Scene(u + ripple, std::max(0.0, mirrorV), aspect);
    colour = Mix(Scale(reflected, 0.72), Rgb{20, 40, 60}, (v - horizon - 0.06) * 1.4);
  }
  // A few dark trees on the near shore.
  for (int i = 0; i < 7; ++i) {
    double tx = 0.08 + 0.13 * i + 0.03 * Lattice(i, 1, 71);
    double top = horizon - 0.06 - 0.08 * Lattice(i, 2, 71);
    double bottom = horizon + 0.055;
    double halfWidth = 0.025 * (v - top) / (bottom - top);
    if (v > top && v < bottom && std::fabs(u - tx) * aspect < halfWidth) {
      double leaf = Fbm(u * 120, v * 120, 3, 83);
      colour = Mix(Rgb{14, 36, 22}, Rgb{40, 70, 36}, leaf);
    }
  }
  return colour;
}

}  // namespace

Picture MakeSamplePicture(int32_t width, int32_t height) {
  Picture picture;
  picture.width = width;
  picture.height = height;
  picture.bgr.resize(static_cast<size_t>(width) * height * 3);
  const double aspect = static_cast<double>(width) / height;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      double u = (x + 0.5) / width;
      double v = (y + 0.5) / height;
      Rgb c = Scene(u, v, aspect);
      // Film grain.
      double grain = (Lattice(x, y, 97) - 0.5) * 7;
      uint8_t* p = picture.bgr.data() + (static_cast<size_t>(y) * width + x) * 3;
      p[0] = static_cast<uint8_t>(std::min(255.0, std::max(0.0, c.b + grain)));
      p[1] = static_cast<uint8_t>(std::min(255.0, std::max(0.0, c.g + grain)));
      p[2] = static_cast<uint8_t>(std::min(255.0, std::max(0.0, c.r + grain)));
    }
  }
  return picture;
}
