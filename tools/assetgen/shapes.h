// Signed distance shapes (negative inside, in pixels) and the painter that
// turns them into anti-aliased coverage on a layer. Icons, cursors and the
// emblems are drawn this way so that every size is drawn, not scaled.
#pragma once

#include <cmath>
#include <functional>
#include <vector>

#include "canvas.h"

struct Vec2 {
  float x = 0, y = 0;
};
inline Vec2 operator+(Vec2 a, Vec2 b) {
  return {a.x + b.x, a.y + b.y};
}
inline Vec2 operator-(Vec2 a, Vec2 b) {
  return {a.x - b.x, a.y - b.y};
}
inline Vec2 operator*(Vec2 a, float k) {
  return {a.x * k, a.y * k};
}
inline float Dot(Vec2 a, Vec2 b) {
  return a.x * b.x + a.y * b.y;
}
inline float Length(Vec2 a) {
  return std::sqrt(Dot(a, a));
}
inline Vec2 Rotate(Vec2 p, float radians) {
  const float c = std::cos(radians), s = std::sin(radians);
  return {p.x * c - p.y * s, p.x * s + p.y * c};
}

using Sdf = std::function<float(Vec2)>;
using Shader = std::function<Rgb(Vec2)>;

float SdCircle(Vec2 p, Vec2 centre, float radius);
// Axis-aligned box with rounded corners; half is the half size.
float SdBox(Vec2 p, Vec2 centre, Vec2 half, float corner = 0);
// A segment of the given half thickness (a capsule).
float SdSegment(Vec2 p, Vec2 a, Vec2 b, float halfWidth);
// A closed polygon, any winding.
float SdPolygon(Vec2 p, const std::vector<Vec2>& points);
// Ellipse (approximate distance, exact sign).
float SdEllipse(Vec2 p, Vec2 centre, Vec2 radii);

inline float Union(float a, float b) {
  return a < b ? a : b;
}
inline float Intersect(float a, float b) {
  return a > b ? a : b;
}
inline float Subtract(float a, float b) {
  return a > -b ? a : -b;
}
// The band of the given half width around a shape's edge.
inline float Outline(float d, float halfWidth) {
  return std::fabs(d) - halfWidth;
}

// Coverage of a pixel by a shape at distance d (a one-pixel ramp).
inline float Coverage(float d) {
  return Clamp01(0.5f - d);
}

// Paints shape with shader over the layer; pixel centres at x + 0.5.
void FillShape(Layer* layer, const Sdf& shape, const Shader& shader);
void FillShape(Layer* layer, const Sdf& shape, Rgb colour);
// Paints the shape with an outline of the given width outside its edge
// (outline first, then the body), the usual icon look.
void FillOutlined(Layer* layer, const Sdf& shape, const Shader& body, Rgb outline,
                  float outlineWidth);
