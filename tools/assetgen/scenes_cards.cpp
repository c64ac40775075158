// The screen saver's five card arts, 576 x 432. Rows 1 to 3 of its table get
// the light corner logo, so their bottom-right corners are dark; rows 4 and 5
// get the dark logo, so theirs are light.
#include <algorithm>
#include <cmath>
#include <vector>

#include "scene_kit.h"
#include "scenes.h"

namespace {

constexpr int kWidth = 576;
constexpr int kHeight = 432;
constexpr float kAspect = 4.0f / 3.0f;
constexpr float kDv = 1.0f / kHeight;

// ---------------------------------------------------------------- 0340
// "Ivory Spires": a white citadel on a crag above a sea of cloud at dawn.
struct Tower {
  float x, halfWidth, top, roof;
};
const Tower kTowers[] = {
    {0.72f, 0.035f, 0.3f, 0.09f},  {0.8f, 0.028f, 0.22f, 0.1f},   {0.88f, 0.04f, 0.34f, 0.08f},
    {0.96f, 0.026f, 0.27f, 0.09f}, {1.03f, 0.034f, 0.38f, 0.07f}, {0.64f, 0.024f, 0.4f, 0.07f},
    {0.85f, 0.06f, 0.46f, 0.0f},   {0.76f, 0.07f, 0.5f, 0.0f},    {0.98f, 0.065f, 0.48f, 0.0f},
};

Rgb SpiresScene(float x, float v, float px, float py) {
  Rgb c = Gradient({{0.0f, Hex(0x5A78A8)},
                    {0.3f, Hex(0xA8B4CC)},
                    {0.55f, Hex(0xF2D4B4)},
                    {0.66f, Hex(0xFFE2B0)}},
                   v);
  const float sx = 0.25f, sy = 0.6f;
  const float sd = std::sqrt((x - sx) * (x - sx) + (v - sy) * (v - sy));
  c = Glow(c, sd, 0.25f, Hex(0xFFDCA0), 0.6f);
  c = Glow(c, sd, 0.03f, Hex(0xFFFBE8), 0.9f);
  // Streaks of dawn cloud.
  const float streak = Fbm(x * 1.6f, v * 14.0f, 5, 401);
  const float lit = Smoothstep(0.7f, 0.2f, v);
  c = Mix(c, Mix(Hex(0xFFC898), Hex(0x8A7C9C), lit * 0.7f), Smoothstep(0.1f, 0.5f, streak) * 0.6f);
  // The crag.
  Ridge crag = [](float t) {
    return 0.52f + 0.5f * std::pow(std::fabs(t - 0.85f), 1.6f) +
           0.04f * Ridged(t * 6, 0.2f, 4, 402);
  };
  const float cragTop = crag(x);
  // Towers and walls.
  for (const Tower& t : kTowers) {
    const float across = (x - t.x) / t.halfWidth;
    if (std::fabs(across) > 1.3f) continue;
    const float roofBase = t.top;
    const float roofTip = t.top - t.roof;
    const float roofHalf = t.halfWidth * 1.25f * Clamp01((v - roofTip) / std::max(t.roof, 1e-4f));
    const bool inRoof = t.roof > 0 && v >= roofTip && v < roofBase && std::fabs(x - t.x) < roofHalf;
    const bool inBody = v >= roofBase && std::fabs(across) <= 1.0f && v < cragTop + 0.02f;
    if (inBody) {
      const float light = Clamp01(0.5f - 0.55f * across + 0.1f * Fbm(px * 0.1f, py * 0.1f, 2, 403));
      Rgb wall = Mix(Hex(0xA4A2BE), Hex(0xFFF2DC), light);
      // Windows: lit slits in columns.
      const float wx = std::fabs(across);
      const float wy = (v - roofBase) * kHeight / 14.0f;
      if (wx < 0.12f && wy - std::floor(wy) < 0.35f && wy > 0.8f &&
          HashUnit(static_cast<int>(wy), static_cast<int>(t.x * 100), 405) < 0.6f) {
        wall = Mix(Hex(0x4A3C48), Hex(0xFFC060),
                   0.4f + 0.6f * HashUnit(static_cast<int>(wy), static_cast<int>(t.x * 100), 404));
      }
      // Edge softening.
      c = Mix(c, wall, Smoothstep(1.0f, 0.9f, std::fabs(across)));
    } else if (inRoof) {
      const float light = Clamp01(0.5f - 0.6f * (x - t.x) / std::max(roofHalf, 1e-4f));
      c = Mix(Hex(0x6A5A3A), Hex(0xF0C870), light);
    }
  }
  // The crag in shadow, warm light on its left edges.
  if (v > cragTop - kDv) {
    const float light = FaceLight(crag, x, v, -1.0f, 405);
    Rgb m = Gradient({{0.0f, Hex(0x2A2430)}, {0.6f, Hex(0x6A5A64)}, {1.0f, Hex(0xD8B090)}}, light);
    m = Haze(m, Hex(0xE8D0C0), 0.2f * Smoothstep(0.6f, 0.75f, v));
    c = Mix(c, m, Below(v, cragTop, kDv));
  }
  // A sea of cloud below, lit gold from the sun.
  const float sea = 0.7f + 0.03f * Fbm(x * 3, 0.4f, 4, 406);
  if (v > sea) {
    const float billow = Fbm(x * 6, v * 12, 5, 407);
    Rgb cloud = Mix(Hex(0xB49CA8), Hex(0xFFEAD0), Clamp01(0.5f + billow * 1.2f - (v - sea) * 1.5f));
    cloud = Glow(cloud, std::fabs(x - sx) + (v - sea), 0.2f, Hex(0xFFD090), 0.5f);
    c = Mix(c, cloud, Smoothstep(sea, sea + 0.02f, v) * 0.95f);
  }
  // Dark rocks in the foreground, deepest in the lower right.
  const float rocks =
      0.86f - 0.18f * Smoothstep(0.6f, 1.33f, x) + 0.03f * Ridged(x * 7, 0.6f, 4, 408);
  if (v > rocks - kDv) {
    const float shade = 0.25f + 0.3f * Fbm(px * 0.03f, py * 0.03f, 4, 409);
    Rgb m = Mix(Hex(0x0E0A10), Hex(0x4A3C44), shade * Smoothstep(1.33f, 0.4f, x));
    m = Screen(m, Hex(0xE0A070), Smoothstep(0.008f, 0.0f, v - rocks) * 0.5f);
    c = Mix(c, m, Below(v, rocks, kDv));
  }
  return c;
}

// ---------------------------------------------------------------- 0893
// "Tidecaller's Reach": the sea and a sea stack seen from inside a cave.
Rgb ReachOutside(float x, float v, float px, float py) {
  const float horizon = 0.5f;
  if (v < horizon) {
    Rgb c = Gradient({{0.0f, Hex(0x2A64B0)}, {0.35f, Hex(0x6EA6DA)}, {0.5f, Hex(0xD2E6F2)}}, v);
    const float cloud = Fbm(x * 2.2f, v * 5.0f, 6, 411);
    c = Mix(c, Mix(Hex(0xFFFFFF), Hex(0x9AB0CC), Smoothstep(0.2f, 0.6f, cloud)),
            Smoothstep(0.05f, 0.45f, cloud) * 0.8f);
    // The sea stack.
    const float taper = Smoothstep(0.22f, 0.5f, v);
    const float stackLeft = 0.8f - 0.03f * taper + 0.02f * Fbm(v * 8, 0.2f, 3, 412);
    const float stackRight = 0.9f + 0.04f * taper + 0.015f * Fbm(v * 8, 0.9f, 3, 413);
    const float mid = (stackLeft + stackRight) * 0.5f;
    const float stackTop =
        0.23f + 0.5f * (x - mid) * (x - mid) / 0.05f + 0.015f * Ridged(x * 30, 0.1f, 3, 414);
    if (x > stackLeft && x < stackRight && v > stackTop) {
      const float across = (x - stackLeft) / (stackRight - stackLeft);
      const float light =
          Clamp01(0.75f - 0.7f * across + 0.25f * Fbm(px * 0.08f, py * 0.05f, 3, 415));
      c = Mix(Hex(0x3A4A5C), Hex(0xC8C0B0), light);
    }
    return c;
  }
  const float depth = v - horizon;
  const float z = 1.0f / (depth + 0.015f);
  const float h = Fbm(x * z * 0.9f, z * 1.8f, 5, 416);
  Rgb water =
      Gradient({{0.0f, Hex(0x4A86BC)}, {0.2f, Hex(0x1A5A90)}, {0.5f, Hex(0x0C3464)}}, depth);
  water = Mix(water, Hex(0xDCEAF4), Smoothstep(0.25f, 0.6f, h) * 0.5f);
  return Screen(water, Hex(0xFFFFFF),
                Smoothstep(0.45f, 0.7f, h) * Smoothstep(0.3f, 0.0f, depth) * 0.5f);
}

Rgb ReachScene(float x, float v, float px, float py) {
  // The cave mouth: an irregular opening; distance from its edge.
  const Vec2 centre = {0.6f, 0.42f};
  const Vec2 d = {(x - centre.x) / 0.48f, (v - centre.y) / 0.36f};
  const float angle = std::atan2(d.y, d.x);
  const float edge = 1.0f + 0.18f * Fbm(std::cos(angle) * 2 + 3, std::sin(angle) * 2 + 3, 4, 417) +
                     0.12f * std::sin(angle * 3 + 0.5f);
  const float r = Length(d);
  Rgb outside = ReachOutside(x, v, px, py);
  if (r < edge - 0.02f) return outside;
  // The rock, lit by the opening from behind: rim light near the edge.
  const float rim = std::exp(-(r - edge) * 4.0f);
  const float e = 0.6f;
  auto height = [](float hx, float hy) { return Ridged(hx * 0.015f, hy * 0.012f, 5, 418); };
  const float hgt = height(px, py);
  const float lx = (height(px + e, py) - hgt) / e;
  const float ly = (height(px, py + e) - hgt) / e;
  const Vec2 toOpening = {centre.x - x, centre.y - v};
  const float facing = Clamp01(0.5f + 30.0f * (lx * -toOpening.x + ly * -toOpening.y));
  Rgb rock = Gradient({{0.0f, Hex(0x02050A)}, {0.5f, Hex(0x0E2438)}, {1.0f, Hex(0x4E7A9C)}},
                      Clamp01(rim * (0.4f + 0.8f * facing)));
  // Wet floor of the cave reflecting the opening.
  if (v > 0.8f) {
    const float mirror = 0.8f - (v - 0.8f) * 0.6f;
    const Rgb reflected =
        ReachOutside(x + 0.01f * GradientNoise(x * 20, v * 60, 419), mirror, px, py);
    const float under = Smoothstep(0.5f, 0.0f, std::fabs(x - centre.x) - 0.1f);
    rock = Mix(rock, reflected * 0.7f,
               under * Smoothstep(0.8f, 0.86f, v) *
                   Smoothstep(1.0f, 0.9f, v + std::fabs(x - centre.x) * 0.3f));
  }
  return Mix(outside, rock, Smoothstep(edge - 0.02f, edge + 0.02f, r));
}

// ---------------------------------------------------------------- 0930
// "Corvane Roost": a raven on a dead tree against a great moon.
struct Branch {
  Vec2 a, b;
  float ra, rb;
};

void GrowTree(Vec2 from, float angle, float length, float radius, int depth, uint32_t seed,
              std::vector<Branch>* out) {
  const Vec2 to = from + Vec2{std::cos(angle), std::sin(angle)} * length;
  out->push_back({from, to, radius, radius * 0.7f});
  if (depth == 0) return;
  const int children =
      2 + static_cast<int>(HashUnit(depth, static_cast<int32_t>(out->size()), seed) * 1.5f);
  for (int i = 0; i < children; ++i) {
    const float h = HashUnit(i, static_cast<int32_t>(out->size()) * 7 + depth, seed);
    const float turn = (i - (children - 1) * 0.5f) * 0.75f + (h - 0.5f) * 0.6f;
    GrowTree(to, angle + turn, length * (0.62f + 0.2f * h), radius * 0.66f, depth - 1,
             seed + 13u * i, out);
  }
}

const std::vector<Branch>& DeadTree() {
  static const std::vector<Branch> tree = [] {
    std::vector<Branch> branches;
    // Trunk from the lower left, leaning in; a long branch across the moon.
    branches.push_back({{0.12f, 1.05f}, {0.2f, 0.55f}, 0.05f, 0.03f});
    GrowTree({0.2f, 0.55f}, -1.9f, 0.2f, 0.026f, 4, 431, &branches);
    branches.push_back({{0.19f, 0.62f}, {0.62f, 0.66f}, 0.022f, 0.012f});
    branches.push_back({{0.62f, 0.66f}, {0.92f, 0.6f}, 0.012f, 0.005f});
    GrowTree({0.34f, 0.64f}, -2.0f, 0.09f, 0.009f, 3, 432, &branches);
    GrowTree({0.86f, 0.625f}, -0.7f, 0.07f, 0.006f, 3, 433, &branches);
    GrowTree({0.92f, 0.6f}, -0.2f, 0.05f, 0.004f, 2, 434, &branches);
    return branches;
  }();
  return tree;
}

float SdTree(Vec2 p) {
  float d = 1e9f;
  for (const Branch& b : DeadTree()) {
    const Vec2 pa = p - b.a, ba = b.b - b.a;
    const float h = Clamp01(Dot(pa, ba) / Dot(ba, ba));
    d = std::min(d, Length(pa - ba * h) - (b.ra + (b.rb - b.ra) * h));
  }
  return d;
}

Rgb RoostScene(float x, float v, float px, float py) {
  Rgb c = Gradient({{0.0f, Hex(0x07060E)}, {0.5f, Hex(0x1A1630)}, {1.0f, Hex(0x2A2244)}}, v);
  c = Screen(c, Hex(0xD0D4F0), Stars(px, py, 3.0f, 441) * 0.8f);
  const Vec2 moon = {0.78f, 0.42f};
  const float md = Length(Vec2{x, v} - moon);
  const float mr = 0.27f;
  c = Glow(c, md, 0.15f, Hex(0x8A86B0), 0.6f);
  if (md < mr + 0.004f) {
    const float maria = Fbm(x * 9, v * 9, 5, 442);
    Rgb disc = Mix(Hex(0xFAF6EC), Hex(0xBDB6C6), Smoothstep(-0.1f, 0.45f, maria));
    disc = disc * (0.85f + 0.15f * std::sqrt(Clamp01(1 - md * md / (mr * mr))));
    c = Mix(c, disc, Smoothstep(mr + 0.002f, mr - 0.002f, md));
  }
  // Thin clouds drifting across the moon.
  const float drift = Fbm(x * 2.5f, v * 9.0f, 5, 443);
  const float cloud = Smoothstep(0.15f, 0.45f, drift) * Smoothstep(0.8f, 0.3f, v);
  const Rgb cloudLit = Mix(Hex(0x3A3458), Hex(0xB8B4D4), std::exp(-md * 3.0f));
  c = Mix(c, cloudLit, cloud * 0.6f);
  // Hills and the tree in silhouette; the raven on the branch.
  const float hill =
      0.86f - 0.06f * Fbm(x * 2.0f, 0.3f, 4, 444) - 0.08f * Smoothstep(0.6f, 0.0f, x);
  const Vec2 p = {x, v};
  float silhouette = SdTree(p);
  const float ravenSize = 0.27f;
  const Vec2 ravenAt = {0.5f, 0.655f - 0.86f * ravenSize};
  silhouette = std::min(silhouette, SdRaven((p - ravenAt) * (1.0f / ravenSize)) * ravenSize);
  const float edge = 1.0f / kHeight;
  float cover = Clamp01(0.5f - silhouette / edge);
  cover = std::max(cover, Below(v, hill, kDv));
  // Rim light from the moon on the silhouettes' edges.
  const Rgb ink = Mix(Hex(0x040308), Hex(0x2C2840),
                      Smoothstep(0.004f, 0.0f, std::fabs(silhouette)) * std::exp(-md * 2.5f));
  return Mix(c, ink, cover);
}

// ---------------------------------------------------------------- 0793
// "Emberfall Caldera": the lava lake from the crater's rim.
Rgb CalderaScene(float x, float v, float px, float py) {
  Rgb c = Gradient({{0.0f, Hex(0x1A0606)}, {0.3f, Hex(0x4A120A)}, {0.45f, Hex(0x9A3410)}}, v);
  const float smoke = Fbm(x * 2.5f - v, v * 5.0f, 6, 451);
  c = Mix(c, Mix(Hex(0x2A0E0A), Hex(0xE07A30), Smoothstep(0.0f, 0.4f, v + smoke * 0.3f)),
          Smoothstep(-0.1f, 0.4f, smoke) * 0.7f);
  // The far wall of the crater.
  Ridge wall = [](float t) {
    return 0.3f + 0.05f * Ridged(t * 4, 0.4f, 5, 452) + 0.03f * std::sin(t * 5);
  };
  const float wallTop = wall(x);
  if (v > wallTop - kDv) {
    const float light = FaceLight(wall, x, v, 1.0f, 453);
    Rgb m = Gradient({{0.0f, Hex(0x140606)}, {0.6f, Hex(0x4A1C12)}, {1.0f, Hex(0x8A3A1C)}}, light);
    // Lit from below by the lake.
    m = Screen(m, Hex(0xFF7A28), Smoothstep(wallTop + 0.05f, 0.5f, v) * 0.8f);
    c = Mix(c, m, Below(v, wallTop, kDv));
  }
  // The lake: bright molten rock, crusted plates that thin toward the near side.
  const float shore = 0.48f + 0.01f * Fbm(x * 8, 0.2f, 3, 454);
  if (v > shore) {
    const float gz = 1.0f / (v - 0.42f);
    const float flow = 0.15f * Fbm(x * 3, v * 3, 3, 455);
    const CellSample cell = Cellular((x - 0.67f) * gz * 1.6f + flow, gz * 1.6f, 456);
    const float gap = cell.f2 - cell.f1;
    const float near = Clamp01((v - shore) / (1 - shore));
    const float crust =
        Smoothstep(0.05f + 0.25f * near, 0.2f + 0.3f * near, gap) * (1 - 0.75f * near);
    const float heat = Fbm(px * 0.02f, py * 0.03f, 4, 457);
    const Rgb molten =
        Gradient({{0.0f, Hex(0xFF6A14)}, {0.5f, Hex(0xFFB040)}, {1.0f, Hex(0xFFF0B8)}},
                 Clamp01(0.55f + 0.6f * heat + 0.35f * near));
    const Rgb plate = Mix(Hex(0x200808), Hex(0x5A2010), (cell.id & 255) / 255.0f);
    Rgb m = Mix(molten, plate, crust);
    m = Haze(m, Hex(0xE06A28), 0.25f * (1 - near));
    c = Mix(c, m, Smoothstep(shore, shore + 0.004f, v));
  }
  // The near rim on the left, a dark ledge.
  const float ledge = 0.74f + 1.3f * x * x + 0.03f * Ridged(x * 10, 0.5f, 4, 458);
  if (v > ledge - kDv) {
    Rgb m = Mix(Hex(0x0C0404), Hex(0x4A1A10), 0.3f + 0.4f * Fbm(px * 0.05f, py * 0.05f, 3, 459));
    m = Screen(m, Hex(0xFF8A30), Smoothstep(0.01f, 0.0f, v - ledge) * 0.8f);
    c = Mix(c, m, Below(v, ledge, kDv));
  }
  return c;
}

// ---------------------------------------------------------------- 0731
// "Glade of First Light": sunlight through an old forest onto a meadow.
Rgb GladeScene(float x, float v, float px, float py) {
  // Behind the trees: bright hazy light.
  Rgb c = Gradient({{0.0f, Hex(0xA8C8A0)}, {0.5f, Hex(0xE8F0C8)}, {1.0f, Hex(0xF4F4D0)}}, v);
  const Vec2 sun = {0.95f, 0.12f};
  const float sd = Length(Vec2{x, v} - sun);
  c = Glow(c, sd, 0.25f, Hex(0xFFFCE0), 0.9f);
  // Distant trees in the haze.
  const float far = TreeLine(x, 0.74f, 0.018f, 0.12f, 461);
  if (v > far)
    c = Mix(c, Mix(Hex(0x9AB48C), Hex(0xC4D4A8), (v - far) * 2), 0.7f * Below(v, far, kDv));
  // Trunks of the old trees, framing the glade.
  const float trunks[][3] = {{0.06f, 0.055f, 471}, {0.26f, 0.03f, 472}, {0.42f, 0.02f, 473},
                             {0.58f, 0.016f, 474}, {1.18f, 0.05f, 475}, {1.3f, 0.07f, 476}};
  for (const auto& t : trunks) {
    const float wobble = 0.01f * Fbm(v * 4, t[2] * 0.1f, 3, static_cast<uint32_t>(t[2]));
    const float half = t[1] * (1 + 0.3f * Smoothstep(0.6f, 0.95f, v));
    const float across = (x - t[0] - wobble) / half;
    if (std::fabs(across) > 1.0f) continue;
    const float bark = Fbm(px * 0.15f, py * 0.02f, 3, static_cast<uint32_t>(t[2]) + 1);
    const float light = Clamp01(0.35f + 0.45f * across + 0.25f * bark);
    const float distance = t[1] < 0.025f ? 0.5f : 0.0f;
    Rgb m = Gradient({{0.0f, Hex(0x1A1408)}, {0.6f, Hex(0x4A4024)}, {1.0f, Hex(0xB8A870)}}, light);
    m = Haze(m, Hex(0xD8E2B8), distance);
    c = Mix(c, m, Smoothstep(1.0f, 0.85f, std::fabs(across)));
  }
  // The canopy overhead, leaves against the light.
  const float canopy = 0.22f + 0.12f * Fbm(x * 3, 0.2f, 4, 477);
  const float leaves = Fbm(px * 0.05f, py * 0.05f, 5, 478);
  const float holes = Smoothstep(0.1f, 0.35f, leaves + (v - canopy) * 2.5f);
  if (v < canopy + 0.15f) {
    const Rgb leaf = Mix(Hex(0x1C3A14), Hex(0x7AAA3C), Clamp01(0.4f + leaves * 1.5f));
    c = Mix(c, leaf, (1 - holes));
  }
  // Rays through the leaves.
  const float ray =
      Smoothstep(0.1f, 0.6f, Fbm((x - sun.x) / (v - sun.y + 0.3f) * 6.0f, 0.5f, 3, 479));
  c = Screen(c, Hex(0xFFF8D0), ray * 0.35f * Smoothstep(0.2f, 0.5f, v));
  // The sunlit meadow, brightest in the lower right.
  const float meadow = 0.72f + 0.03f * Fbm(x * 3, 0.8f, 3, 480);
  if (v > meadow - kDv) {
    const float near = Clamp01((v - meadow) / (1 - meadow));
    const float blades = Fbm(px * 0.2f, py * 0.03f, 4, 481);
    const float sunlit = Smoothstep(0.3f, 1.1f, x + 0.3f * near);
    const float light =
        Clamp01(0.45f + 0.25f * blades + 0.5f * sunlit - 0.2f * near * (1 - sunlit));
    Rgb m = Gradient({{0.0f, Hex(0x2C4A18)},
                      {0.5f, Hex(0x7AA83C)},
                      {0.85f, Hex(0xCCE48A)},
                      {1.0f, Hex(0xE8F2B8)}},
                     light);
    const float flower = Stars(px, py * 1.4f, 4.0f, 482) * (0.3f + 0.7f * near);
    m = Mix(m,
            HashUnit(static_cast<int>(px / 5), static_cast<int>(py / 5), 483) < 0.5f
                ? Hex(0xFFFFF0)
                : Hex(0xF8E070),
            flower);
    c = Mix(c, m, Below(v, meadow, kDv));
  }
  return c;
}

}  // namespace

float SdRaven(Vec2 q) {
  // Heavy body tilted tail-down, big head, long thick beak, ruffled throat,
  // folded wing tips over a wedge tail.
  const Vec2 b = Rotate(q - Vec2{0.48f, 0.56f}, 0.42f);
  float d = SdEllipse(b, {0, 0}, {0.33f, 0.17f});
  d = Union(d, SdCircle(q, {0.2f, 0.33f}, 0.11f));
  d = Union(d, SdSegment(q, {0.22f, 0.36f}, {0.36f, 0.5f}, 0.11f));
  d = Union(d, SdPolygon(q, {{0.13f, 0.28f}, {-0.07f, 0.37f}, {0.13f, 0.4f}}));
  d = Union(d, SdPolygon(q, {{0.14f, 0.4f}, {0.2f, 0.5f}, {0.28f, 0.42f}}));
  d = Union(d, SdPolygon(q, {{0.5f, 0.46f}, {0.88f, 0.7f}, {0.62f, 0.66f}}));
  d = Union(d, SdPolygon(q, {{0.6f, 0.58f}, {0.99f, 0.84f}, {0.94f, 0.9f}, {0.56f, 0.72f}}));
  d = Union(d, SdSegment(q, {0.42f, 0.68f}, {0.41f, 0.86f}, 0.02f));
  d = Union(d, SdSegment(q, {0.51f, 0.7f}, {0.52f, 0.86f}, 0.02f));
  d = Union(d, SdSegment(q, {0.35f, 0.86f}, {0.47f, 0.86f}, 0.016f));
  d = Union(d, SdSegment(q, {0.47f, 0.86f}, {0.59f, 0.86f}, 0.016f));
  return d;
}

bool PaintCard(const std::string& name, Canvas* canvas) {
  Rgb (*scene)(float, float, float, float) = nullptr;
  uint32_t seed = 0;
  if (name == "0340") {
    scene = SpiresScene;
    seed = 11;
  } else if (name == "0893") {
    scene = ReachScene;
    seed = 12;
  } else if (name == "0930") {
    scene = RoostScene;
    seed = 13;
  } else if (name == "0793") {
    scene = CalderaScene;
    seed = 14;
  } else if (name == "0731") {
    scene = GladeScene;
    seed = 15;
  } else {
    return false;
  }
  *canvas = Canvas(kWidth, kHeight);
  canvas->Paint([&](int px, int py, float u, float v) {
    Rgb c = scene(u * kAspect, v, static_cast<float>(px), static_cast<float>(py));
    return Brush(c, static_cast<float>(px), static_cast<float>(py), 0.03f, 0.7f, seed);
  });
  return true;
}
