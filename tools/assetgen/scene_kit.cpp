#include "scene_kit.h"

#include <algorithm>
#include <cmath>

float Skyline(float x, float base, float amplitude, float frequency, uint32_t seed, int octaves) {
  return base - amplitude * Ridged(x * frequency, 0.5f + seed * 0.013f, octaves, seed);
}

float TreeLine(float x, float ground, float spacing, float height, uint32_t seed) {
  const float cell = x / spacing;
  const int32_t i0 = static_cast<int32_t>(std::floor(cell));
  float top = ground;
  for (int32_t i = i0 - 2; i <= i0 + 2; ++i) {
    const float centre = (i + 0.2f + 0.6f * HashUnit(i, 3, seed)) * spacing;
    const float h = height * (0.55f + 0.45f * HashUnit(i, 5, seed));
    const float halfWidth = h * (0.2f + 0.08f * HashUnit(i, 7, seed));
    const float d = std::fabs(x - centre) / halfWidth;
    if (d >= 1) continue;
    // A ragged cone in tiers of branches.
    const float t = 1 - d;
    const float tiers = t - 0.1f * (t * 6 - std::floor(t * 6)) * (1 - t);
    const float rag = 0.05f * h * GradientNoise(x * 300.0f / spacing, i * 1.7f, seed);
    top = std::min(top, ground - h * tiers + rag * d);
  }
  return top;
}

Rgb Glow(Rgb base, float d, float radius, Rgb colour, float strength) {
  const float k = std::exp(-d / radius) * strength;
  return Screen(base, colour, Clamp01(k));
}

float Stars(float px, float py, float density, uint32_t seed) {
  const float cellSize = std::sqrt(1000.0f / density);
  const float cx = px / cellSize;
  const float cy = py / cellSize;
  const int32_t ix = static_cast<int32_t>(std::floor(cx));
  const int32_t iy = static_cast<int32_t>(std::floor(cy));
  float best = 0;
  for (int32_t dy = -1; dy <= 1; ++dy) {
    for (int32_t dx = -1; dx <= 1; ++dx) {
      const int32_t gx = ix + dx, gy = iy + dy;
      const float sx = (gx + HashUnit(gx, gy, seed)) * cellSize;
      const float sy = (gy + HashUnit(gx, gy, seed + 1)) * cellSize;
      const float m = HashUnit(gx, gy, seed + 2);
      const float magnitude = m * m * m;  // many faint stars, few bright
      const float r = 0.55f + 1.1f * magnitude;
      const float d = std::sqrt((sx - px) * (sx - px) + (sy - py) * (sy - py));
      best = std::max(
          best, magnitude * Clamp01(1.0f - d / r) + 0.25f * magnitude * std::exp(-d / (r * 1.6f)));
    }
  }
  return Clamp01(best * 1.6f);
}

Rgb Brush(Rgb c, float x, float y, float strength, float angle, uint32_t seed) {
  const float ca = std::cos(angle), sa = std::sin(angle);
  const float along = x * ca + y * sa;
  const float across = -x * sa + y * ca;
  const float n = Fbm(along * 0.02f, across * 0.03f, 3, seed);
  const float m = Fbm(along * 0.004f, across * 0.008f, 2, seed + 5);
  const float k = 1 + strength * n;
  Rgb out = {c.r * k, c.g * k, c.b * k};
  // Warm and cool drift.
  out.r += strength * 40 * m;
  out.b -= strength * 40 * m;
  return out;
}

Rgb Vignette(Rgb c, float u, float v, float strength) {
  const float dx = u - 0.5f, dy = v - 0.5f;
  const float k = 1 - strength * Smoothstep(0.25f, 0.75f, std::sqrt(dx * dx + dy * dy));
  return c * k;
}

// Light on a mountain face, 0 shadow .. 1 sunlit. Near the crest it follows
// the skyline's slope; lower down a ridged field of spurs and gullies, its
// folds running down the slope, takes over.
float FaceLight(const Ridge& ridge, float x, float v, float sunSide, uint32_t seed) {
  const float top = ridge(x);
  const float depth = std::max(0.0f, v - top);
  const float e = 0.003f;
  const float wide = 0.02f;
  const float xc =
      x + 0.4f * depth * std::max(-1.0f, std::min(1.0f, 4.0f * Fbm(x * 4.0f, 0.2f, 2, seed + 5)));
  const float crest = (ridge(xc + wide) - ridge(xc - wide)) / (2 * wide);
  auto field = [seed](float fx, float fv) {
    const float warp = 0.25f * Fbm(fx * 2.0f, fv * 2.0f, 3, seed + 1);
    return Ridged(fx * 3.2f + warp, fv * 1.6f, 6, seed);
  };
  const float fx = x + 0.35f * depth;  // spurs lean down and away from the peaks
  const float dfdx = (field(fx + e, v) - field(fx - e, v)) / (2 * e);
  const float folds = Clamp01(0.5f + sunSide * dfdx * 0.02f);
  const float crestLight = Smoothstep(-0.25f, 0.25f, sunSide * crest);
  const float nearCrest = std::exp(-depth * 12.0f);
  return Clamp01(Lerp(folds, crestLight, nearCrest * 0.75f));
}
