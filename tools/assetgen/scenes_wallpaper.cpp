// The five wallpapers, 1024 x 768: each a landscape in its colour.
#include <algorithm>
#include <cmath>
#include <functional>

#include "scene_kit.h"
#include "scenes.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr float kAspect = 4.0f / 3.0f;
constexpr float kDv = 1.0f / kHeight;

// ---------------------------------------------------------------- WHITE
// Ivory peaks at morning: snowfields, a pale sun, a frozen lake.
Rgb WhiteScene(float x, float v, float px, float py, bool reflected);

Rgb WhiteSky(float x, float v) {
  Rgb c = Gradient({{0.0f, Hex(0x7F98BE)},
                    {0.3f, Hex(0xB4C3D8)},
                    {0.55f, Hex(0xEDE6DA)},
                    {0.62f, Hex(0xF6EEE0)}},
                   v);
  const float sx = 0.96f, sy = 0.2f;
  const float d = std::sqrt((x - sx) * (x - sx) + (v - sy) * (v - sy));
  c = Glow(c, d, 0.22f, Hex(0xFFF3D8), 0.75f);
  c = Glow(c, d, 0.05f, Hex(0xFFFFF4), 0.9f);
  if (d < 0.03f) c = Mix(c, Hex(0xFFFFFA), Smoothstep(0.03f, 0.026f, d));
  // Long wisps of high cloud.
  const float n = Fbm(x * 2.2f + 0.6f * Fbm(x * 1.3f, v * 4, 3, 40), v * 11.0f, 6, 41);
  const float cloud = Smoothstep(0.08f, 0.5f, n) * (1 - Smoothstep(0.3f, 0.5f, v));
  const Rgb cloudColour = Mix(Hex(0xFFFDF6), Hex(0xB9BCD0), Smoothstep(-0.1f, 0.5f, n - 0.2f));
  return Mix(c, cloudColour, cloud * 0.85f);
}

Rgb Snow(float light, float x, float v, uint32_t seed) {
  const Rgb lit = Hex(0xFFFCF4);
  const Rgb shade = Hex(0x8E9CC0);
  Rgb c = Mix(shade, lit, Smoothstep(0.25f, 0.75f, light));
  const float rock = Smoothstep(0.6f, 0.85f, Ridged(x * 14.0f, v * 4.0f, 5, seed)) *
                     Smoothstep(0.55f, 0.2f, light) * 0.8f;
  return Mix(c, Mix(Hex(0x5F5A60), Hex(0x9B948E), light), rock * 0.85f);
}

Rgb WhiteScene(float x, float v, float px, float py, bool reflected) {
  Rgb c = WhiteSky(x, v);
  const Rgb haze = Hex(0xE8E8EC);
  // Far range.
  Ridge far = [](float t) { return Skyline(t, 0.5f, 0.2f, 2.2f, 51); };
  const float farTop = far(x);
  if (v > farTop - kDv) {
    const float light = FaceLight(far, x, v, 1.0f, 52);
    Rgb m = Snow(light, x, v, 53);
    m = Haze(m, haze, 0.55f - 0.2f * Smoothstep(farTop, farTop + 0.2f, v));
    c = Mix(c, m, Below(v, farTop, kDv));
  }
  // The great peaks.
  Ridge mid = [](float t) {
    return Skyline(t, 0.66f, 0.26f, 1.3f, 61, 5) -
           0.2f * std::exp(-std::pow((t - 0.55f) / 0.2f, 2.0f)) -
           0.1f * std::exp(-std::pow((t - 1.05f) / 0.15f, 2.0f));
  };
  const float midTop = mid(x);
  if (v > midTop - kDv) {
    const float light = FaceLight(mid, x, v, 1.0f, 62);
    Rgb m = Snow(light, x, v, 63);
    m = Haze(m, haze, 0.18f + 0.55f * Smoothstep(0.6f, 0.715f, v));
    c = Mix(c, m, Below(v, midTop, kDv));
  }
  if (reflected) return c;
  // Frozen lake mirroring the peaks.
  const float shore = 0.715f + 0.006f * Fbm(x * 6, 0.2f, 3, 70);
  if (v > shore) {
    const float mirror = 2 * shore - v + 0.004f * Fbm(x * 30, v * 200, 2, 71);
    Rgb r = WhiteScene(x, mirror, px, py, true);
    const float ice = 0.5f + 0.5f * Fbm(x * 3, v * 40, 4, 72);
    r = Mix(r, Hex(0xDCE6F0), 0.35f + 0.25f * ice);
    c = Mix(c, r, Below(v, shore, kDv));
  }
  // Near snowfields rolling down to the viewer.
  Ridge nearHill = [](float t) {
    return 0.77f - 0.05f * Fbm(t * 1.5f, 0.1f, 4, 80) + 0.02f * std::sin(t * 3.0f);
  };
  const float nearTop = nearHill(x);
  if (v > nearTop - kDv) {
    const float e = 0.004f;
    const float slope = (Fbm((x + e) * 2.5f, v * 7, 3, 81) - Fbm((x - e) * 2.5f, v * 7, 3, 81)) / e;
    const float light = Clamp01(0.7f + 0.05f * slope);
    Rgb m = Mix(Hex(0xB4C2DC), Hex(0xFFFDF8), light);
    // Scattered snow-laden pines along the crest.
    const float trees = TreeLine(x, nearTop + 0.03f, 0.02f, 0.07f, 83);
    const float band = Smoothstep(0.45f, 0.6f, Fbm(x * 1.2f, 0.4f, 3, 84));
    if (band > 0 && v > trees && v < nearTop + 0.05f) {
      const float snowy = Smoothstep(0.2f, 0.7f, Fbm(px * 0.2f, py * 0.35f, 3, 85));
      const Rgb pine = Mix(Hex(0x2E3A3C), Hex(0xEEF2F6), snowy * 0.8f);
      m = Mix(m, pine, band * Below(v, trees, kDv));
    }
    c = Mix(c, m, Below(v, nearTop, kDv));
  }
  // Wind-carved drifts in the foreground.
  const float driftTop = 0.86f + 0.05f * Fbm(x * 2.2f, 0.7f, 4, 90);
  if (v > driftTop - kDv) {
    const float ripple = std::sin((x * 30 + 4 * Fbm(x * 3, v * 6, 3, 91)) + v * 40);
    const float light = Clamp01(0.7f + 0.2f * ripple * Smoothstep(driftTop, 1.0f, v));
    Rgb m = Mix(Hex(0xB8C4DE), Hex(0xFFFEFA), light);
    const float glint = Stars(px, py, 2.5f, 92);
    m = Screen(m, Hex(0xFFFFFF), glint);
    c = Mix(c, m, Below(v, driftTop, kDv));
  }
  return c;
}

// ---------------------------------------------------------------- BLUE
// Open sea under a high summer sky; sun glitter; a headland and surf.
Rgb BlueSky(float x, float v) {
  Rgb c = Gradient({{0.0f, Hex(0x17407E)},
                    {0.25f, Hex(0x2F68AE)},
                    {0.45f, Hex(0x7AAAD6)},
                    {0.53f, Hex(0xCFE2EF)}},
                   v);
  const float sx = 0.42f, sy = 0.16f;
  const float d = std::sqrt((x - sx) * (x - sx) + (v - sy) * (v - sy));
  c = Glow(c, d, 0.16f, Hex(0xFFF8E8), 0.6f);
  // Cumulus: a squashed fractal, lit from above toward the sun.
  auto density = [](float cx, float cv) {
    const float base = Fbm(cx * 1.5f, cv * 3.6f, 6, 21) + 0.35f * (0.42f - cv) * 2.4f;
    return base * Smoothstep(0.53f, 0.36f, cv);
  };
  const float dn = density(x, v);
  if (dn > 0.05f) {
    const float above = density(x - 0.01f, v - 0.018f);
    const float light = Clamp01(0.62f + (dn - above) * 5.5f);
    Rgb cloud = Mix(Hex(0x8D9FBE), Hex(0xFFFFFB), light);
    cloud = Mix(cloud, Hex(0xD4E2F0), Smoothstep(0.3f, 0.53f, v) * 0.4f);
    c = Mix(c, cloud, Smoothstep(0.05f, 0.3f, dn));
  }
  return c;
}

Rgb BlueScene(float x, float v, float px, float py) {
  const float horizon = 0.53f;
  if (v < horizon) {
    Rgb c = BlueSky(x, v);
    // A distant headland on the right.
    const float head =
        horizon - 0.055f * Smoothstep(0.95f, 1.2f, x) * (0.6f + 0.4f * Ridged(x * 6, 0.3f, 4, 30));
    if (v > head) {
      const float light = 0.5f + 0.5f * Fbm(x * 20, v * 30, 3, 31);
      c = Mix(c, Mix(Hex(0x55708E), Hex(0x8AA2BC), light), Below(v, head, kDv) * 0.9f);
    }
    return c;
  }
  // The sea: perspective waves, sky reflection, glitter under the sun.
  const float depth = v - horizon;
  const float z = 1.0f / (depth + 0.012f);
  const float wx = x * z * 0.8f;
  const float wz = z * 1.6f;
  const float e = 0.05f;
  const float h = Fbm(wx, wz, 5, 11);
  const float hx = Fbm(wx + e, wz, 5, 11);
  const float hz = Fbm(wx, wz + e, 5, 11);
  const float nx = (hx - h) / e;
  const float nz = (hz - h) / e;
  const float fresnel = Clamp01(0.25f + 0.75f * std::exp(-depth * 9));
  const float mirror = std::max(0.02f, horizon - depth * 0.9f - nz * 0.03f);
  const Rgb sky = BlueSky(x + nx * 0.02f, mirror);
  Rgb water =
      Gradient({{0.0f, Hex(0x3E78AE)}, {0.12f, Hex(0x1E5A94)}, {0.47f, Hex(0x0B3366)}}, depth);
  Rgb c = Mix(water, sky, fresnel * (0.6f + 0.2f * nz));
  // Glitter: a column below the sun, broken by the waves.
  const float column = std::exp(-std::fabs(x - 0.42f + nx * 0.03f) / (0.035f + depth * 0.35f));
  const float sparkle = Smoothstep(0.3f, 0.9f, nx * 0.5f + nz * 0.5f + 0.4f * h);
  c = Screen(c, Hex(0xFFF6DC), column * (0.25f + 0.9f * sparkle));
  // Foam streaks near the viewer.
  const float foam =
      Smoothstep(0.55f, 0.75f, Fbm(wx * 1.7f, wz * 0.6f, 4, 12)) * Smoothstep(0.1f, 0.35f, depth);
  c = Mix(c, Hex(0xDCEAF4), foam * 0.6f);
  // Dark rocks in the lower left, surf breaking on them.
  const float rockTop =
      1.0f - 0.3f * Smoothstep(0.5f, 0.05f, x) * (0.7f + 0.3f * Ridged(x * 5, 0.7f, 5, 13)) -
      0.03f * Fbm(x * 14, 0.2f, 3, 14);
  if (v > rockTop - 0.05f) {
    const float surf = Smoothstep(0.04f, 0.0f, std::fabs(v - rockTop + 0.005f)) *
                       Smoothstep(0.62f, 0.45f, x) *
                       Smoothstep(0.3f, 0.7f, Fbm(px * 0.05f, py * 0.12f, 4, 15) + 0.4f);
    c = Mix(c, Hex(0xF2F8FC), surf * 0.85f);
    if (v > rockTop) {
      const float e = 0.5f;
      auto height = [](float hx, float hy) { return Ridged(hx * 0.012f, hy * 0.018f, 6, 16); };
      const float h = height(px, py);
      const float lx = (height(px + e, py) - h) / e;
      const float ly = (height(px, py + e) - h) / e;
      const float light = Clamp01(0.45f + 40.0f * (lx * 0.7f - ly * 0.5f) - 0.8f * (v - rockTop));
      Rgb rock = Mix(Hex(0x0C1620), Hex(0x5C7488), light);
      rock = Screen(rock, Hex(0xBCD4E8), Smoothstep(0.75f, 0.95f, light) * 0.5f);
      c = Mix(c, rock, Below(v, rockTop, kDv));
    }
  }
  return c;
}

// ---------------------------------------------------------------- BLACK
// Obsidian crags under a moon and the galaxy, a still black tarn.
Rgb BlackSky(float x, float v, float px, float py) {
  Rgb c = Gradient({{0.0f, Hex(0x030208)}, {0.4f, Hex(0x0C0A18)}, {0.62f, Hex(0x241E3A)}}, v);
  // The galaxy: a diagonal band of dust and glow.
  const float across = (v - 0.55f + 0.45f * x - 0.1f) * 2.2f;
  const float band = std::exp(-across * across * 5.0f);
  const float dust = Fbm(x * 5, v * 5, 6, 101);
  c = Screen(c, Hex(0x5A5078), band * Clamp01(0.35f + 0.6f * dust));
  c = Mix(c, Hex(0x05040A), band * Smoothstep(0.2f, 0.5f, Fbm(x * 9, v * 9, 5, 102)) * 0.6f);
  const float star = Stars(px, py, 9.0f, 103) * (0.35f + 0.65f * band);
  const float hue = HashUnit(static_cast<int32_t>(px / 8), static_cast<int32_t>(py / 8), 104);
  c = Screen(c, Mix(Hex(0xC8D4FF), Hex(0xFFE8D0), hue), star);
  // The moon.
  const float mx = 1.02f, my = 0.2f, r = 0.052f;
  const float d = std::sqrt((x - mx) * (x - mx) + (v - my) * (v - my));
  c = Glow(c, d, 0.12f, Hex(0x6C6890), 0.5f);
  if (d < r + 0.003f) {
    const float maria = Fbm(x * 40, v * 40, 5, 105);
    Rgb moon = Mix(Hex(0xF0EEF6), Hex(0xA8A4B8), Smoothstep(-0.1f, 0.5f, maria));
    moon = moon * (0.8f + 0.2f * std::sqrt(Clamp01(1 - d * d / (r * r))));
    c = Mix(c, moon, Smoothstep(r + 0.0015f, r - 0.0015f, d));
  }
  return c;
}

// Obsidian: near-black glass, its faces catching the moon in cold sheens,
// broken into large angular facets.
Rgb Obsidian(float light, float px, float py, float scale, uint32_t seed) {
  const CellSample cell = Cellular(px * scale, py * scale * 0.6f, seed);
  const float facet = (cell.id & 1023) / 1023.0f - 0.5f;
  const float edge = Smoothstep(0.05f, 0.0f, cell.f2 - cell.f1);
  const float l = Clamp01(light + 0.2f * facet);
  Rgb c = Gradient({{0.0f, Hex(0x040307)},
                    {0.55f, Hex(0x17141F)},
                    {0.85f, Hex(0x3A3552)},
                    {1.0f, Hex(0x8A84B4)}},
                   l * l);
  return Screen(c, Hex(0x5A5680), edge * l * 0.12f);
}
Rgb BlackScene(float x, float v, float px, float py, bool reflected) {
  Rgb c = BlackSky(x, v, px, py);
  Ridge far = [](float t) { return Skyline(t, 0.6f, 0.16f, 2.6f, 111); };
  const float farTop = far(x);
  if (v > farTop - kDv) {
    const float light = FaceLight(far, x, v, 1.0f, 113);
    Rgb m = Obsidian(light, px, py, 0.02f, 112);
    m = Haze(m, Hex(0x1E1A30), 0.5f);
    // Moonlit rim along the crest.
    m = Screen(m, Hex(0x7470A0), Smoothstep(0.008f, 0.0f, v - farTop) * 0.5f);
    c = Mix(c, m, Below(v, farTop, kDv));
  }
  Ridge crag = [](float t) {
    return Skyline(t, 0.74f, 0.36f, 1.8f, 121) - 0.12f * Smoothstep(0.4f, 0.0f, t);
  };
  const float cragTop = crag(x);
  if (v > cragTop - kDv) {
    const float light = FaceLight(crag, x, v, 1.0f, 122);
    Rgb m = Obsidian(light, px, py, 0.03f, 123);
    m = Screen(m, Hex(0x9A94C8), Smoothstep(0.006f, 0.0f, v - cragTop) * 0.7f);
    c = Mix(c, m, Below(v, cragTop, kDv));
  }
  if (reflected) return c;
  const float shore = 0.79f;
  if (v > shore) {
    const float mirror = 2 * shore - v + 0.002f * GradientNoise(x * 20, v * 300, 131);
    Rgb r = BlackScene(x, mirror, px, 2 * shore * kHeight - py, true);
    r = r * 0.7f;
    // The moon's path on the water.
    const float path = std::exp(-std::fabs(x - 1.02f) / 0.03f) *
                       Smoothstep(0.2f, 0.8f, GradientNoise(x * 60, v * 400, 132) + 0.3f);
    r = Screen(r, Hex(0xB8B4D8), path * 0.7f);
    c = Mix(c, r, Below(v, shore, kDv));
  }
  // Obsidian shards in the foreground.
  Ridge shards = [](float t) {
    return 1.0f - 0.26f * Ridged(t * 2.6f, 0.9f, 5, 141) *
                      (Smoothstep(0.55f, 0.0f, t) + Smoothstep(0.95f, 1.33f, t));
  };
  const float shardTop = shards(x);
  if (v > shardTop - kDv) {
    const float light = FaceLight(shards, x, v, 1.0f, 144) * 0.8f;
    Rgb m = Obsidian(light, px, py, 0.04f, 143);
    m = Screen(m, Hex(0xA8A2D8), Smoothstep(0.005f, 0.0f, v - shardTop) * 0.6f);
    c = Mix(c, m, Below(v, shardTop, kDv));
  }
  return c;
}

// ---------------------------------------------------------------- RED
// A volcano in eruption at dusk: lava rivers, a lit plume, a molten river
// winding through a plain of cooling basalt.
constexpr float kCraterX = 0.86f;
constexpr float kCraterV = 0.27f;

float RedConeTop(float x) {
  const float dx = x - kCraterX;
  const float k = dx < 0 ? 0.62f : 0.85f;  // the left flank is the longer
  float top = kCraterV + k * std::pow(std::fabs(dx), 1.25f) +
              0.05f * Ridged(x * 7.0f, 0.3f, 5, 221) * Smoothstep(0.0f, 0.25f, std::fabs(dx));
  // The crater's notch.
  top += 0.012f * std::exp(-dx * dx / 0.0009f);
  return top;
}

// Lava rivers down the flanks: intensity 0..1.
float LavaRivers(float x, float v) {
  float best = 0;
  const float spread[] = {-0.55f, -0.2f, 0.25f, 0.6f};
  for (int i = 0; i < 4; ++i) {
    const float depth = v - kCraterV;
    if (depth < 0) break;
    const float path = kCraterX + spread[i] * depth * 1.1f +
                       0.035f * Fbm(v * 9.0f, i * 3.1f, 4, 230 + i) * Smoothstep(0.0f, 0.1f, depth);
    const float width = 0.003f + 0.012f * depth;
    const float reach = Smoothstep(0.3f + 0.12f * static_cast<float>(i % 2), 0.12f, depth);
    best = std::max(best, std::exp(-std::fabs(x - path) / width) * reach);
  }
  return best;
}

Rgb RedScene(float x, float v, float px, float py) {
  Rgb c = Gradient({{0.0f, Hex(0x0E0304)},
                    {0.25f, Hex(0x2E0906)},
                    {0.5f, Hex(0x7A220C)},
                    {0.6f, Hex(0xC4501C)},
                    {0.64f, Hex(0xE07028)}},
                   v);
  // Faint stars high up.
  c = Screen(c, Hex(0xFFD8B0), Stars(px, py, 2.0f, 202) * Smoothstep(0.3f, 0.0f, v) * 0.6f);
  // The plume: a column from the crater bending right with height.
  const float rise = Clamp01((kCraterV - v) / kCraterV);
  const float centre = kCraterX + 0.5f * rise * rise + 0.05f * Fbm(v * 4, 0.3f, 3, 203);
  const float width = 0.03f + 0.5f * rise;
  const float across = (x - centre) / width;
  const float billow = Fbm(x * 5.0f - v * 1.5f, v * 6.0f, 6, 201);
  const float plume = Clamp01(std::exp(-across * across * 0.7f) * (1.1f + 1.2f * billow)) *
                      Smoothstep(kCraterV + 0.01f, kCraterV - 0.03f, v);
  const Rgb lit = Mix(Hex(0xFF8A30), Hex(0x5A2418), Smoothstep(0.0f, 0.45f, rise));
  const Rgb smoke = Mix(Hex(0x180806), lit, Clamp01(0.55f + billow * 1.2f - rise * 0.4f));
  c = Mix(c, smoke, plume * 0.92f);
  // Embers thrown up round the crater.
  const float ember =
      Stars(px, py, 1.5f, 204) *
      std::exp(-std::sqrt((x - kCraterX) * (x - kCraterX) * 2 + (v - kCraterV) * (v - kCraterV)) /
               0.12f);
  c = Screen(c, Hex(0xFFC050), ember);
  // Distant ranges in silhouette against the glow.
  const float farTop = Skyline(x, 0.6f, 0.09f, 2.4f, 211);
  if (v > farTop - kDv) {
    const Rgb m = Mix(Hex(0x3A1008), Hex(0x7C2A10), Smoothstep(farTop + 0.04f, farTop, v) * 0.6f);
    c = Mix(c, m, Below(v, farTop, kDv));
  }
  // The cone.
  Ridge cone = RedConeTop;
  const float top = RedConeTop(x);
  if (v > top - kDv) {
    const float light = FaceLight(cone, x, v, -1.0f, 222);
    Rgb m = Gradient({{0.0f, Hex(0x080303)}, {0.5f, Hex(0x1E0A08)}, {1.0f, Hex(0x562014)}}, light);
    // The crater lights its own upper slopes.
    const float nearCrater = std::exp(
        -std::sqrt((x - kCraterX) * (x - kCraterX) + (v - kCraterV) * (v - kCraterV)) / 0.08f);
    m = Screen(m, Hex(0xFF6A20), nearCrater * 0.55f);
    const float lava = LavaRivers(x, v);
    const float crust = Smoothstep(0.2f, 0.6f, Fbm(px * 0.06f, py * 0.06f, 3, 225));
    const Rgb hot =
        Mix(Hex(0xFF4A10), Hex(0xFFE890), Smoothstep(0.5f, 1.0f, lava) * (1 - 0.5f * crust));
    m = Screen(m, Hex(0xFF5A18), Smoothstep(0.05f, 0.4f, lava) * 0.5f);
    m = Mix(m, hot, Smoothstep(0.35f, 0.75f, lava));
    m = Haze(m, Hex(0x8C3014), 0.15f * Smoothstep(0.5f, 0.75f, v));
    c = Mix(c, m, Below(v, top, kDv));
  }
  // The crater's fire.
  const float fd = std::sqrt((x - kCraterX) * (x - kCraterX) * 3 + (v - kCraterV) * (v - kCraterV));
  c = Glow(c, fd, 0.012f, Hex(0xFFF0B0), 1.0f);
  c = Glow(c, fd, 0.05f, Hex(0xFF8A30), 0.6f);
  // A basalt plain, the molten river winding through it toward the viewer.
  const float plain = 0.74f + 0.015f * Fbm(x * 5, 0.3f, 3, 231);
  if (v > plain - kDv) {
    const float near = Clamp01((v - plain) / (1 - plain));
    const float perspective = 1.0f / (0.15f + near);
    const float riverX =
        0.55f + 0.25f * std::sin(near * 5.0f + 0.5f) + 0.05f * Fbm(near * 6, 0.2f, 3, 232);
    const float riverHalf = 0.015f + 0.11f * near;
    const float inRiver = Smoothstep(riverHalf, riverHalf * 0.6f, std::fabs(x - riverX));
    const float gz = 1.0f / (v - 0.62f);
    const CellSample cell = Cellular((x - 0.67f) * gz * 2.2f, gz * 2.2f, 233);
    const float facet = (cell.id & 255) / 255.0f;
    const float crack = Smoothstep(0.1f, 0.0f, cell.f2 - cell.f1);
    Rgb ground = Mix(Hex(0x070304), Hex(0x2A120E), 0.2f + 0.6f * facet);
    // Cracks glow more the nearer they are to the river.
    const float heat = std::exp(-std::fabs(x - riverX) / (riverHalf * 2.5f));
    ground = Mix(ground, Hex(0xFF6A18), crack * heat);
    ground = Screen(ground, Hex(0xFF5010), heat * 0.35f);
    const float flow = Fbm((x - riverX) * 14 * perspective, near * 24 - x * 3, 4, 234);
    const Rgb molten = Mix(Hex(0xFF5A14), Hex(0xFFEA90), Smoothstep(-0.3f, 0.5f, flow));
    Rgb m = Mix(ground, molten, inRiver);
    m = Haze(m, Hex(0x6C2410), 0.35f * (1 - near));
    c = Mix(c, m, Below(v, plain, kDv));
  }
  return c;
}

// ---------------------------------------------------------------- GREEN
// Layers of forested hills in morning mist, sun rays, a flowering meadow.
Rgb GreenScene(float x, float v, float px, float py) {
  Rgb c = Gradient({{0.0f, Hex(0x6E9EBC)}, {0.3f, Hex(0xA8CAD0)}, {0.5f, Hex(0xE2ECD4)}}, v);
  const float sx = 0.3f, sy = 0.14f;
  const float sd = std::sqrt((x - sx) * (x - sx) + (v - sy) * (v - sy));
  c = Glow(c, sd, 0.22f, Hex(0xFFF6D0), 0.7f);
  c = Glow(c, sd, 0.035f, Hex(0xFFFFF0), 0.95f);
  // Soft clouds low in the sky.
  const float cloud =
      Smoothstep(0.1f, 0.6f, Fbm(x * 2.0f, v * 6.0f, 5, 302)) * Smoothstep(0.05f, 0.3f, v);
  c = Mix(c, Hex(0xF4F6EC), cloud * 0.5f);
  const float angle = std::atan2(v - sy, x - sx);
  const float rays = Smoothstep(0.0f, 0.7f, Fbm(angle * 3.5f, 0.5f, 3, 301)) *
                     Smoothstep(0.08f, 0.35f, sd) * std::exp(-sd * 1.2f);
  const Rgb mist = Hex(0xE2ECD6);
  struct Band {
    float ground, relief, spacing, height;
    Rgb dark, lit;
    float haze;
    uint32_t seed;
  };
  const Band bands[] = {
      {0.5f, 0.1f, 0.012f, 0.045f, Hex(0x4E7068), Hex(0x8AAE96), 0.4f, 310},
      {0.6f, 0.12f, 0.015f, 0.065f, Hex(0x2C5040), Hex(0x6E9A68), 0.22f, 320},
      {0.71f, 0.1f, 0.02f, 0.1f, Hex(0x163620), Hex(0x568A40), 0.08f, 330},
      {0.83f, 0.08f, 0.03f, 0.17f, Hex(0x0A200E), Hex(0x467C30), 0.0f, 340},
  };
  for (const Band& b : bands) {
    const float hill =
        b.ground - b.relief * (0.5f + 0.5f * Fbm(x * 1.4f, b.seed * 0.1f, 4, b.seed));
    const float trees = TreeLine(x, hill + 0.02f, b.spacing, b.height, b.seed + 1);
    const float top = std::min(trees, hill);
    if (v < top - kDv) continue;
    const float needles = Fbm(px * 0.1f, py * 0.03f, 3, b.seed + 2);
    // Lit crowns darkening downward, then fading into the valley mist.
    const float cell = x / b.spacing;
    const float side = cell - std::floor(cell);
    const float crown = Smoothstep(hill + 0.01f, hill - 0.02f, v);
    const float down = Clamp01((v - top) / (b.height * 1.2f));
    const float light =
        Clamp01(0.75f - 0.55f * down + 0.3f * needles + 0.2f * (0.5f - side) * crown);
    Rgb m = Mix(b.dark, b.lit, light);
    const float fade = Smoothstep(hill - b.height * 0.2f, hill + 0.035f + b.height * 0.3f, v);
    m = Haze(m, mist, Clamp01(b.haze + (0.85f - b.haze) * fade * (b.seed == 340 ? 0.3f : 1.0f)));
    c = Mix(c, m, Below(v, top, kDv));
  }
  c = Screen(c, Hex(0xFFF4C8), rays * 0.35f * Smoothstep(0.85f, 0.4f, v));
  // The meadow.
  const float meadow = 0.86f + 0.03f * Fbm(x * 2.5f, 0.9f, 4, 350);
  if (v > meadow - kDv) {
    const float near = Clamp01((v - meadow) / (1 - meadow));
    const float blades = Fbm(px * 0.25f, py * 0.03f, 4, 351);
    const float tufts = Fbm(px * 0.02f, py * 0.04f, 3, 354);
    const float light = Clamp01(0.6f + 0.3f * blades + 0.25f * tufts - 0.45f * near);
    Rgb m = Gradient({{0.0f, Hex(0x1E4414)}, {0.5f, Hex(0x5C9A2C)}, {1.0f, Hex(0xC8E27C)}}, light);
    m = Screen(m, Hex(0xFFF0B0), Smoothstep(0.3f, 0.0f, std::fabs(x - 0.45f) - 0.25f) * 0.2f);
    const float flower = Stars(px, py * 1.5f, 5.0f, 352) * Smoothstep(0.05f, 0.3f, near);
    const float kind = HashUnit(static_cast<int32_t>(px / 5), static_cast<int32_t>(py / 5), 353);
    m = Mix(m, kind < 0.4f ? Hex(0xFFFAE0) : (kind < 0.8f ? Hex(0xF8D840) : Hex(0xE8A0C8)), flower);
    c = Mix(c, m, Below(v, meadow, kDv));
  }
  return c;
}

}  // namespace

bool PaintWallpaper(const std::string& name, Canvas* canvas) {
  *canvas = Canvas(kWidth, kHeight);
  std::function<Rgb(float, float, float, float)> scene;
  float brush = 0.025f;
  uint32_t seed = 0;
  if (name == "WHITE") {
    scene = [](float x, float v, float px, float py) { return WhiteScene(x, v, px, py, false); };
    seed = 1;
  } else if (name == "BLUE") {
    scene = BlueScene;
    seed = 2;
  } else if (name == "BLACK") {
    scene = [](float x, float v, float px, float py) { return BlackScene(x, v, px, py, false); };
    brush = 0.035f;
    seed = 3;
  } else if (name == "RED") {
    scene = RedScene;
    brush = 0.035f;
    seed = 4;
  } else if (name == "GREEN") {
    scene = GreenScene;
    seed = 5;
  } else {
    return false;
  }
  canvas->Paint([&](int px, int py, float u, float v) {
    const float x = u * kAspect;
    Rgb c = scene(x, v, static_cast<float>(px), static_cast<float>(py));
    c = Brush(c, static_cast<float>(px), static_cast<float>(py), brush, 0.5f, seed);
    return Vignette(c, u, v, 0.18f);
  });
  return true;
}
