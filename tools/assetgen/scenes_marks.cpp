// The screen saver's logo picture ("w-logo"), its corner logos ("logo1",
// light on black; "logo3", dark on white) and the caption backdrop mask
// ("spot"). Lettering comes from text masks rendered beforehand.
#include <algorithm>
#include <cmath>

#include "emblems.h"
#include "scene_kit.h"
#include "scenes.h"

namespace {

constexpr float kPi = 3.14159265f;

bool Text(const SceneInputs& inputs, const std::string& name, Mask* mask, std::string* error) {
  if (inputs.textDir.empty()) {
    *error = "the lettering needs --text DIR";
    return false;
  }
  return LoadMask(inputs.textDir + "/" + name + ".ppm", mask, error);
}

// Gilded lettering: a soft shadow, a dark edge and a gold gradient face.
void DrawGilded(Canvas* canvas, const Mask& mask, int left, int top, float shadow) {
  const Mask blur = BlurMask(mask, 3);
  const int margin = 9;
  DrawMask(canvas, blur, left - margin + 3, top - margin + 4, Hex(0x000000), shadow);
  const Mask edge = BlurMask(mask, 1);
  DrawMask(canvas, edge, left - 3, top - 3, Hex(0x3A2408), 0.9f);
  const float h = static_cast<float>(mask.height);
  DrawMask(canvas, mask, left, top, [&](int, int y) {
    const float t = (y - top) / h;
    return Gradient({{0.0f, Hex(0xFFF6C8)},
                     {0.45f, Hex(0xF0C860)},
                     {0.55f, Hex(0xC88A2C)},
                     {1.0f, Hex(0xF6D488)}},
                    t);
  });
}

bool PaintLogoPicture(const SceneInputs& inputs, Canvas* canvas, std::string* error) {
  Mask title, subtitle;
  if (!Text(inputs, "logo-title", &title, error) ||
      !Text(inputs, "logo-subtitle", &subtitle, error)) {
    return false;
  }
  const int w = 576, h = 432;
  *canvas = Canvas(w, h);
  const Vec2 ring = {288.0f, 168.0f};
  const float ringRadius = 112.0f;
  canvas->Paint([&](int px, int py, float u, float v) {
    const float d = Length(Vec2{static_cast<float>(px), static_cast<float>(py)} - ring) / 300.0f;
    Rgb c = Gradient({{0.0f, Hex(0x2E2448)}, {0.6f, Hex(0x120E20)}, {1.2f, Hex(0x050308)}}, d);
    // Faint clouds of the five colours drifting round the ring.
    const float n = Fbm(u * 3, v * 3, 5, 501);
    c = Screen(c, Hex(0x5A4A80), Smoothstep(0.0f, 0.6f, n) * 0.35f);
    c = Screen(c, Hex(0xE0E0F0),
               Stars(static_cast<float>(px), static_cast<float>(py), 2.0f, 502) * 0.5f);
    return Brush(c, static_cast<float>(px), static_cast<float>(py), 0.03f, 0.3f, 503);
  });
  // The ring, the raven within, the five emblems on it.
  Layer layer(w, h);
  const Rgb goldLine = Hex(0x4A3008);
  FillOutlined(
      &layer, [&](Vec2 p) { return Outline(SdCircle(p, ring, ringRadius), 4.0f); },
      [&](Vec2 p) {
        const float a = std::atan2(p.y - ring.y, p.x - ring.x);
        return Mix(Hex(0xFFE8A0), Hex(0xA8741E), 0.5f + 0.5f * std::sin(a * 2 + 0.8f));
      },
      goldLine, 1.5f);
  const float ravenSize = 150.0f;
  const Vec2 ravenAt = {ring.x - ravenSize * 0.5f, ring.y - ravenSize * 0.5f};
  FillOutlined(
      &layer, [&](Vec2 p) { return SdRaven((p - ravenAt) * (1.0f / ravenSize)) * ravenSize; },
      [&](Vec2 p) {
        return Mix(Hex(0x3A3450), Hex(0x0A0810), Smoothstep(ring.y - 60, ring.y + 70, p.y));
      },
      Hex(0xC8A050), 1.6f);
  for (int i = 0; i < kColourKindCount; ++i) {
    const float a = -kPi / 2 + i * 2 * kPi / kColourKindCount;
    DrawEmblem(&layer, kColours[i], ring + Vec2{std::cos(a), std::sin(a)} * ringRadius, 27.0f);
  }
  DrawLayer(canvas, layer, 0, 0);
  DrawGilded(canvas, title, (w - title.width) / 2, 292, 0.8f);
  DrawMask(canvas, subtitle, (w - subtitle.width) / 2, 292 + title.height + 4, Hex(0xE8DCC0));
  return true;
}

// A corner logo: lettering on a plain ground.
bool PaintCornerLogo(const SceneInputs& inputs, bool light, Canvas* canvas, std::string* error) {
  Mask title, subtitle;
  if (!Text(inputs, "corner-title", &title, error) ||
      !Text(inputs, "corner-subtitle", &subtitle, error)) {
    return false;
  }
  const int w = 128, h = 64;
  *canvas = Canvas(w, h, light ? Hex(0x000000) : Hex(0xFFFFFF));
  const int gap = 1;
  const int top = (h - title.height - gap - subtitle.height) / 2;
  if (light) {
    DrawMask(canvas, title, (w - title.width) / 2, top, [&](int, int y) {
      return Mix(Hex(0xFFF4D0), Hex(0xE0B460), (y - top) / static_cast<float>(title.height));
    });
    DrawMask(canvas, subtitle, (w - subtitle.width) / 2, top + title.height + gap, Hex(0xE8E0D0));
  } else {
    DrawMask(canvas, title, (w - title.width) / 2, top, Hex(0x2A1A08));
    DrawMask(canvas, subtitle, (w - subtitle.width) / 2, top + title.height + gap, Hex(0x3A3028));
  }
  return true;
}

// The caption backdrop: 255 (black) in a rounded core around the caption,
// easing to 0 (untouched) at every edge of the box.
void PaintSpot(Canvas* canvas) {
  const int w = 320, h = 258;
  *canvas = Canvas(w, h);
  canvas->Paint([](int, int, float u, float v) {
    // Distance inside a rounded box, in 0 (centre) .. 1 (edge) units.
    const float ax = std::fabs(u - 0.5f) * 2;
    const float ay = std::fabs(v - 0.5f) * 2;
    const float rounded = std::pow(std::pow(ax, 4.0f) + std::pow(ay, 4.0f), 0.25f);
    const float core = Smoothstep(1.0f, 0.45f, rounded);
    const float m = 255.0f * core * core * (3 - 2 * core);
    return Rgb{m, m, m};
  });
}

}  // namespace

bool PaintMark(const std::string& name, const SceneInputs& inputs, Canvas* canvas,
               std::string* error) {
  if (name == "w-logo") return PaintLogoPicture(inputs, canvas, error);
  if (name == "logo1") return PaintCornerLogo(inputs, true, canvas, error);
  if (name == "logo3") return PaintCornerLogo(inputs, false, canvas, error);
  if (name == "spot") {
    PaintSpot(canvas);
    return true;
  }
  return false;
}
