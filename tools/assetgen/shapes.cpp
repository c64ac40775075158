#include "shapes.h"

#include <algorithm>

float SdCircle(Vec2 p, Vec2 centre, float radius) {
  return Length(p - centre) - radius;
}

float SdBox(Vec2 p, Vec2 centre, Vec2 half, float corner) {
  const Vec2 d = {std::fabs(p.x - centre.x) - half.x + corner,
                  std::fabs(p.y - centre.y) - half.y + corner};
  const Vec2 outside = {std::max(d.x, 0.0f), std::max(d.y, 0.0f)};
  return Length(outside) + std::min(std::max(d.x, d.y), 0.0f) - corner;
}

float SdSegment(Vec2 p, Vec2 a, Vec2 b, float halfWidth) {
  const Vec2 pa = p - a;
  const Vec2 ba = b - a;
  const float h = Clamp01(Dot(pa, ba) / Dot(ba, ba));
  return Length(pa - ba * h) - halfWidth;
}

float SdPolygon(Vec2 p, const std::vector<Vec2>& v) {
  float d = Dot(p - v[0], p - v[0]);
  float s = 1.0f;
  for (size_t i = 0, j = v.size() - 1; i < v.size(); j = i, ++i) {
    const Vec2 e = v[j] - v[i];
    const Vec2 w = p - v[i];
    const Vec2 b = w - e * Clamp01(Dot(w, e) / Dot(e, e));
    d = std::min(d, Dot(b, b));
    const bool c1 = p.y >= v[i].y;
    const bool c2 = p.y < v[j].y;
    const bool c3 = e.x * w.y > e.y * w.x;
    if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
  }
  return s * std::sqrt(d);
}

float SdEllipse(Vec2 p, Vec2 centre, Vec2 radii) {
  const Vec2 q = {(p.x - centre.x) / radii.x, (p.y - centre.y) / radii.y};
  const float k = Length(q);
  if (k == 0) return -std::min(radii.x, radii.y);
  // Distance scaled by the gradient length: good near the edge.
  const Vec2 g = {q.x / radii.x, q.y / radii.y};
  return (k - 1.0f) * k / std::max(Length(g), 1e-6f);
}

void FillShape(Layer* layer, const Sdf& shape, const Shader& shader) {
  for (int y = 0; y < layer->height; ++y) {
    for (int x = 0; x < layer->width; ++x) {
      const Vec2 p = {x + 0.5f, y + 0.5f};
      const float c = Coverage(shape(p));
      if (c > 0) layer->Blend(x, y, shader(p), c);
    }
  }
}

void FillShape(Layer* layer, const Sdf& shape, Rgb colour) {
  FillShape(layer, shape, [colour](Vec2) { return colour; });
}

void FillOutlined(Layer* layer, const Sdf& shape, const Shader& body, Rgb outline,
                  float outlineWidth) {
  FillShape(
      layer, [&](Vec2 p) { return shape(p) - outlineWidth; }, outline);
  FillShape(layer, shape, body);
}
