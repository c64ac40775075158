#include "emblems.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;

float SdStar(Vec2 q) {
  std::vector<Vec2> points;
  for (int k = 0; k < 16; ++k) {
    const float angle = k * kPi / 8 - kPi / 2;
    float r = 0.2f;
    if (k % 2 == 0) r = (k / 2) % 2 == 0 ? 0.8f : 0.5f;
    points.push_back({r * std::cos(angle), r * std::sin(angle)});
  }
  return SdPolygon(q, points);
}

// Distance to a wave line y = y0 + a sin(f x) between x0 and x1.
float SdWave(Vec2 q, float y0, float amplitude, float frequency, float x0, float x1,
             float halfWidth) {
  const float x = std::min(std::max(q.x, x0), x1);
  const float fy = y0 + amplitude * std::sin(frequency * x);
  if (q.x < x0 || q.x > x1) {
    return Length(q - Vec2{x, fy}) - halfWidth;
  }
  const float slope = amplitude * frequency * std::cos(frequency * x);
  return std::fabs(q.y - fy) / std::sqrt(1 + slope * slope) - halfWidth;
}

float SdWaves(Vec2 q, float scale) {
  const float half = std::max(0.085f, 0.75f / scale);
  if (scale < 10) {
    return Union(SdWave(q, -0.2f, 0.1f, 5.0f, -0.5f, 0.5f, half),
                 SdWave(q, 0.25f, 0.1f, 5.0f, -0.5f, 0.5f, half));
  }
  float d = SdWave(q, -0.36f, 0.09f, 5.5f, -0.42f, 0.42f, half);
  d = Union(d, SdWave(q, 0.0f, 0.09f, 5.5f, -0.56f, 0.56f, half));
  return Union(d, SdWave(q, 0.36f, 0.09f, 5.5f, -0.42f, 0.42f, half));
}

float SdCrescent(Vec2 q, float scale) {
  const float moon =
      Subtract(SdCircle(q, {-0.06f, 0.02f}, 0.62f), SdCircle(q, {0.22f, -0.16f}, 0.5f));
  if (scale < 10) return moon;
  // A small four-pointed star in the crescent's hollow.
  std::vector<Vec2> star;
  for (int k = 0; k < 8; ++k) {
    const float angle = k * kPi / 4;
    const float r = k % 2 == 0 ? 0.2f : 0.06f;
    star.push_back({0.34f + r * std::cos(angle), 0.12f + r * std::sin(angle)});
  }
  return Union(moon, SdPolygon(q, star));
}

// A teardrop flame, point up, leaning a little; size scales it about its base.
std::vector<Vec2> FlamePoints(float size, Vec2 offset) {
  std::vector<Vec2> points;
  for (int i = 0; i < 72; ++i) {
    const float t = i * 2 * kPi / 72;
    const float s = std::sin(t / 2);
    float x = 0.52f * std::sin(t) * s * s;
    float y = -std::cos(t);  // -1 at the tip
    x += 0.1f * std::sin((y + 1) * 2.2f) * (1 - y) * 0.5f;
    points.push_back({offset.x + x * size, offset.y + (y * 0.62f + 0.14f) * size});
  }
  return points;
}

float SdFlame(Vec2 q) {
  return SdPolygon(q, FlamePoints(1.0f, {0.0f, 0.08f}));
}

float SdLeaf(Vec2 q, float scale) {
  const Vec2 r = Rotate(q, -0.7f);
  const float lens = Intersect(SdCircle(r, {0.5f, 0.0f}, 0.8f), SdCircle(r, {-0.5f, 0.0f}, 0.8f));
  const float stem = SdSegment(q, {-0.18f, 0.5f}, {-0.34f, 0.72f}, std::max(0.06f, 0.7f / scale));
  return Union(lens, stem);
}

// The leaf's midrib, cut out of the figure.
float SdLeafRib(Vec2 q, float scale) {
  const float half = std::max(0.035f, 0.5f / scale);
  const Vec2 a = Rotate(Vec2{0.0f, 0.5f}, 0.7f);
  const Vec2 b = Rotate(Vec2{0.0f, -0.45f}, 0.7f);
  float d = SdSegment(q, a, b, half);
  if (scale >= 14) {
    for (int i = 0; i < 3; ++i) {
      const float t = -0.25f + i * 0.22f;
      const Vec2 root = Rotate(Vec2{0.0f, t}, 0.7f);
      d = Union(d, SdSegment(q, root, Rotate(Vec2{0.2f, t - 0.16f}, 0.7f), half * 0.8f));
      d = Union(d, SdSegment(q, root, Rotate(Vec2{-0.2f, t - 0.16f}, 0.7f), half * 0.8f));
    }
  }
  return d;
}

Rgb DiscShade(const ColourTones& tones, Vec2 q) {
  const float toLight = Length(q - Vec2{-0.38f, -0.42f});
  Rgb c = Mix(tones.light, tones.base, Smoothstep(0.0f, 0.95f, toLight));
  return Mix(c, tones.deep, Smoothstep(0.55f, 1.05f, Length(q)) * 0.85f);
}

}  // namespace

float EmblemFigure(Colour colour, Vec2 q, float scale) {
  switch (colour) {
    case Colour::kWhite:
      return SdStar(q);
    case Colour::kBlue:
      return SdWaves(q, scale);
    case Colour::kBlack:
      return SdCrescent(q, scale);
    case Colour::kRed:
      return SdFlame(q);
    case Colour::kGreen:
      return SdLeaf(q, scale);
  }
  return 1;
}

void DrawBall(Layer* layer, Colour colour, Vec2 centre, float radius) {
  const ColourTones& tones = TonesOf(colour);
  const float line = std::max(1.0f, radius * 0.07f);
  FillOutlined(
      layer, [&](Vec2 p) { return SdCircle(p, centre, radius - line); },
      [&](Vec2 p) { return DiscShade(tones, (p - centre) * (1.0f / radius)); }, tones.outline,
      line);
}

void DrawEmblem(Layer* layer, Colour colour, Vec2 centre, float radius) {
  const ColourTones& tones = TonesOf(colour);
  DrawBall(layer, colour, centre, radius);
  const float inner = radius * 0.86f;  // the figure's unit, inside the outline
  const float line = std::max(0.8f, radius * 0.05f);
  auto figure = [&](Vec2 p) {
    return EmblemFigure(colour, (p - centre) * (1.0f / inner), inner) * inner;
  };
  auto shade = [&](Vec2 p) {
    const Vec2 q = (p - centre) * (1.0f / inner);
    return Mix(tones.symbolLit, tones.symbol, Smoothstep(-0.7f, 0.6f, q.y + q.x * 0.3f));
  };
  FillOutlined(
      layer, [&](Vec2 p) { return figure(p) + line * 0.5f; }, shade, tones.symbolLine, line);
  if (colour == Colour::kRed && radius >= 10) {
    // The flame's hot core.
    FillShape(
        layer,
        [&](Vec2 p) {
          const Vec2 q = (p - centre) * (1.0f / inner);
          return SdPolygon(q, FlamePoints(0.5f, {0.0f, 0.36f})) * inner;
        },
        Hex(0xFFF6D0));
  }
  if (colour == Colour::kGreen) {
    FillShape(
        layer, [&](Vec2 p) { return SdLeafRib((p - centre) * (1.0f / inner), inner) * inner; },
        tones.deep);
  }
}

void DrawBallsWheel(Layer* layer) {
  const float size = static_cast<float>(layer->width);
  const Vec2 centre = {size / 2, size / 2};
  const float ring = size * 0.32f;
  const float ball = size * 0.165f;
  const Rgb gold = Hex(0xD8A844);
  const Rgb goldLine = Hex(0x5A3C0C);
  const float spoke = std::max(0.6f, size * 0.035f);
  // The wheel: rim and spokes in gold with a dark line.
  auto wheel = [&](Vec2 p) {
    float d = Outline(SdCircle(p, centre, ring), spoke);
    for (int i = 0; i < kColourKindCount; ++i) {
      const float angle = -kPi / 2 + i * 2 * kPi / kColourKindCount;
      const Vec2 at = centre + Vec2{std::cos(angle), std::sin(angle)} * ring;
      d = Union(d, SdSegment(p, centre, at, spoke * 0.8f));
    }
    return Union(d, SdCircle(p, centre, size * 0.09f));
  };
  FillOutlined(
      layer, wheel,
      [&](Vec2 p) { return Mix(Hex(0xFFE7A0), gold, Smoothstep(-4, 6, p.y - centre.y)); }, goldLine,
      std::max(0.8f, size * 0.03f));
  for (int i = 0; i < kColourKindCount; ++i) {
    const float angle = -kPi / 2 + i * 2 * kPi / kColourKindCount;
    const Vec2 at = centre + Vec2{std::cos(angle), std::sin(angle)} * ring;
    DrawBall(layer, kColours[i], at, ball);
  }
}
