#include "noise.h"

#include <cmath>

uint32_t HashInt(int32_t x, int32_t y, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 0x27D4EB2Du ^ static_cast<uint32_t>(y) * 0x165667B1u ^
               (seed + 0x9E3779B9u) * 0x85EBCA6Bu;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

float HashUnit(int32_t x, int32_t y, uint32_t seed) {
  return static_cast<float>(HashInt(x, y, seed) & 0xFFFFFF) / 16777215.0f;
}

namespace {

float Fade(float t) {
  return t * t * t * (t * (t * 6 - 15) + 10);
}

// Dot product with one of 16 unit gradients picked by the hash.
float Corner(int32_t ix, int32_t iy, float dx, float dy, uint32_t seed) {
  static const float kGradients[16][2] = {
      {1.0f, 0.0f},  {0.9239f, 0.3827f},   {0.7071f, 0.7071f},   {0.3827f, 0.9239f},
      {0.0f, 1.0f},  {-0.3827f, 0.9239f},  {-0.7071f, 0.7071f},  {-0.9239f, 0.3827f},
      {-1.0f, 0.0f}, {-0.9239f, -0.3827f}, {-0.7071f, -0.7071f}, {-0.3827f, -0.9239f},
      {0.0f, -1.0f}, {0.3827f, -0.9239f},  {0.7071f, -0.7071f},  {0.9239f, -0.3827f},
  };
  const float* g = kGradients[HashInt(ix, iy, seed) & 15];
  return g[0] * dx + g[1] * dy;
}

}  // namespace

float GradientNoise(float x, float y, uint32_t seed) {
  const float fx = std::floor(x);
  const float fy = std::floor(y);
  const int32_t ix = static_cast<int32_t>(fx);
  const int32_t iy = static_cast<int32_t>(fy);
  const float dx = x - fx;
  const float dy = y - fy;
  const float n00 = Corner(ix, iy, dx, dy, seed);
  const float n10 = Corner(ix + 1, iy, dx - 1, dy, seed);
  const float n01 = Corner(ix, iy + 1, dx, dy - 1, seed);
  const float n11 = Corner(ix + 1, iy + 1, dx - 1, dy - 1, seed);
  const float u = Fade(dx);
  const float v = Fade(dy);
  const float a = n00 + (n10 - n00) * u;
  const float b = n01 + (n11 - n01) * u;
  return (a + (b - a) * v) * 1.4142f;
}

float Fbm(float x, float y, int octaves, uint32_t seed, float lacunarity, float gain) {
  float sum = 0;
  float amplitude = 1;
  float total = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amplitude * GradientNoise(x, y, seed + static_cast<uint32_t>(i) * 1013u);
    total += amplitude;
    // A small rotation between octaves hides the lattice.
    const float rx = x * 0.8f - y * 0.6f;
    const float ry = x * 0.6f + y * 0.8f;
    x = rx * lacunarity + 17.3f;
    y = ry * lacunarity + 4.9f;
    amplitude *= gain;
  }
  return sum / total;
}

float Ridged(float x, float y, int octaves, uint32_t seed) {
  float sum = 0;
  float amplitude = 1;
  float total = 0;
  float weight = 1;
  for (int i = 0; i < octaves; ++i) {
    float n = 1.0f - std::fabs(GradientNoise(x, y, seed + static_cast<uint32_t>(i) * 7919u));
    n *= n;
    sum += amplitude * n * weight;
    total += amplitude;
    weight = n;
    const float rx = x * 0.8f - y * 0.6f;
    const float ry = x * 0.6f + y * 0.8f;
    x = rx * 2.0f + 31.1f;
    y = ry * 2.0f + 9.7f;
    amplitude *= 0.5f;
  }
  return sum / total;
}

float Fbm1(float x, int octaves, uint32_t seed) {
  return Fbm(x, 0.37f * static_cast<float>(seed % 97), octaves, seed);
}

CellSample Cellular(float x, float y, uint32_t seed) {
  const int32_t ix = static_cast<int32_t>(std::floor(x));
  const int32_t iy = static_cast<int32_t>(std::floor(y));
  CellSample s;
  s.f1 = 1e9f;
  s.f2 = 1e9f;
  for (int32_t dy = -1; dy <= 1; ++dy) {
    for (int32_t dx = -1; dx <= 1; ++dx) {
      const int32_t cx = ix + dx;
      const int32_t cy = iy + dy;
      const float fx = cx + HashUnit(cx, cy, seed);
      const float fy = cy + HashUnit(cx, cy, seed + 77u);
      const float d = std::sqrt((fx - x) * (fx - x) + (fy - y) * (fy - y));
      if (d < s.f1) {
        s.f2 = s.f1;
        s.f1 = d;
        s.id = HashInt(cx, cy, seed + 191u);
        s.px = fx;
        s.py = fy;
      } else if (d < s.f2) {
        s.f2 = d;
      }
    }
  }
  return s;
}
