#include "pictures.h"

#include <algorithm>
#include <cmath>

#include "emblems.h"

namespace {

constexpr float kPi = 3.14159265f;

// Casing and line tones of the desktop objects and pointers of a colour.
struct ObjectTones {
  Rgb casing;       // monitor casing, basket
  Rgb casingLit;    // its lit side
  Rgb line;         // outlines
  Rgb pointerLit;   // pointer fill, top
  Rgb pointer;      // pointer fill, bottom
  Rgb pointerLine;  // pointer outline
};

const ObjectTones& ObjectTonesOf(Colour colour) {
  static const ObjectTones kWhite = {Hex(0xE4DCC6), Hex(0xFFFDF4), Hex(0x4E4028),
                                     Hex(0xFFFFFA), Hex(0xE6DCC0), Hex(0x2C2210)};
  static const ObjectTones kBlue = {Hex(0x8FB0D8), Hex(0xD8E8FA), Hex(0x0A1E44),
                                    Hex(0xB4DCFF), Hex(0x3A84D8), Hex(0x061838)};
  static const ObjectTones kBlack = {Hex(0x625C70), Hex(0xB4ACC4), Hex(0x0A080E),
                                     Hex(0x4A4458), Hex(0x0C0A10), Hex(0xEEEAF8)};
  static const ObjectTones kRed = {Hex(0xC8806A), Hex(0xF6D2C0), Hex(0x3A0400),
                                   Hex(0xFFD890), Hex(0xDC3E1E), Hex(0x320400)};
  static const ObjectTones kGreen = {Hex(0x98B484), Hex(0xE2F0D0), Hex(0x08280C),
                                     Hex(0xD4F4B4), Hex(0x3C9A48), Hex(0x062A0A)};
  return ByColour(colour, kWhite, kBlue, kBlack, kRed, kGreen);
}

// A vertical gradient shader between two tones over y0..y1.
Shader Vertical(Rgb top, Rgb bottom, float y0, float y1) {
  return [=](Vec2 p) { return Mix(top, bottom, (p.y - y0) / (y1 - y0)); };
}

// Monitor: casing box, screen with the colour's sky and ground, stand.
void DrawMonitor(Layer* layer, Colour colour, Vec2 centre, Vec2 half, bool stand, bool figure) {
  const ObjectTones& o = ObjectTonesOf(colour);
  const ColourTones& t = TonesOf(colour);
  const float corner = std::max(1.0f, half.x * 0.15f);
  if (stand) {
    const Vec2 neck = {centre.x, centre.y + half.y + half.y * 0.18f};
    const Vec2 base = {centre.x, centre.y + half.y + half.y * 0.5f};
    auto standShape = [=](Vec2 p) {
      return Union(SdBox(p, neck, {half.x * 0.22f, half.y * 0.25f}),
                   SdBox(p, base, {half.x * 0.68f, std::max(1.0f, half.y * 0.2f)}, 1.0f));
    };
    FillOutlined(layer, standShape, Vertical(o.casingLit, o.casing, base.y - 3, base.y + 2), o.line,
                 1.0f);
  }
  FillOutlined(
      layer, [=](Vec2 p) { return SdBox(p, centre, half, corner); },
      Vertical(o.casingLit, o.casing, centre.y - half.y, centre.y + half.y), o.line, 1.0f);
  const Vec2 screenHalf = {half.x - std::max(2.0f, half.x * 0.22f),
                           half.y - std::max(2.0f, half.y * 0.26f)};
  const Vec2 screenCentre = {centre.x, centre.y - half.y * 0.06f};
  const float top = screenCentre.y - screenHalf.y;
  const float bottom = screenCentre.y + screenHalf.y;
  FillOutlined(
      layer, [=](Vec2 p) { return SdBox(p, screenCentre, screenHalf, 0.5f); },
      [=](Vec2 p) {
        const float v = (p.y - top) / (bottom - top);
        Rgb sky = Mix(t.light, t.base, v * 1.4f);
        return v > 0.62f ? Mix(t.base, t.deep, (v - 0.62f) * 2.2f) : sky;
      },
      Mix(o.line, o.casing, 0.3f), 1.0f);
  if (figure) {
    const float unit = screenHalf.y * 0.8f;
    FillShape(
        layer,
        [=](Vec2 p) {
          return EmblemFigure(colour, (p - screenCentre) * (1.0f / unit), unit) * unit;
        },
        Mix(t.symbolLit, t.symbol, 0.3f));
  }
}

void DrawComputer(Layer* layer, Colour colour, float s) {
  const float k = s / 32.0f;
  DrawMonitor(layer, colour, {16 * k, 12 * k}, {13.5f * k, 10 * k}, true, s >= 32);
  if (s >= 32) {
    FillShape(
        layer,
        [=](Vec2 p) {
          return SdCircle(p, {25.5f, 20.2f}, 0.8f);
        },
        Hex(0x60E060));
  }
}

void DrawNetwork(Layer* layer, Colour colour, float s) {
  const float k = s / 32.0f;
  const ObjectTones& o = ObjectTonesOf(colour);
  const Vec2 hub = {16 * k, 24.5f * k};
  const float cable = std::max(0.7f, 0.9f * k);
  auto cables = [=](Vec2 p) {
    float d = SdSegment(p, {8 * k, 17 * k}, {8 * k, 21 * k}, cable);
    d = Union(d, SdSegment(p, {24 * k, 17 * k}, {24 * k, 21 * k}, cable));
    d = Union(d, SdSegment(p, {8 * k, 21 * k}, {24 * k, 21 * k}, cable));
    return d;
  };
  FillShape(layer, cables, o.line);
  DrawMonitor(layer, colour, {8 * k, 8 * k}, {6.4f * k, 5.2f * k}, true, false);
  DrawMonitor(layer, colour, {24 * k, 8 * k}, {6.4f * k, 5.2f * k}, true, false);
  DrawEmblem(layer, colour, hub, 7.2f * k);
}

void DrawRecycle(Layer* layer, Colour colour, float s, bool full) {
  const float k = s / 32.0f;
  const ObjectTones& o = ObjectTonesOf(colour);
  const ColourTones& t = TonesOf(colour);
  const float cx = 16 * k;
  const float rimY = (full ? 11.0f : 9.0f) * k;
  const float bottomY = 30 * k;
  const float topHalf = 10.5f * k;
  const float bottomHalf = 7.5f * k;
  const std::vector<Vec2> body = {{cx - topHalf, rimY},
                                  {cx + topHalf, rimY},
                                  {cx + bottomHalf, bottomY},
                                  {cx - bottomHalf, bottomY}};
  auto bodyShape = [=](Vec2 p) {
    return Union(SdPolygon(p, body),
                 SdEllipse(p, {cx, bottomY - 0.5f * k}, {bottomHalf, 1.5f * k}));
  };
  auto bodyShade = [=](Vec2 p) {
    const float across = (p.x - cx) / topHalf;
    Rgb c = Mix(o.casingLit, o.casing, Smoothstep(-0.9f, 0.2f, across + 0.2f));
    return Mix(c, Mix(o.casing, o.line, 0.35f), Smoothstep(0.4f, 1.1f, across));
  };
  if (full) {
    // Crumpled papers above the rim.
    const Rgb paper = Hex(0xFBF8F0);
    const Rgb paperLine = Hex(0x605850);
    const Vec2 balls[3] = {{cx - 4.5f * k, rimY - 2.5f * k},
                           {cx + 4 * k, rimY - 3.5f * k},
                           {cx - 0.5f * k, rimY - 6.5f * k}};
    const float radii[3] = {4.8f * k, 4.6f * k, 4.2f * k};
    for (int i = 0; i < 3; ++i) {
      const Vec2 c = balls[i];
      const float r = radii[i];
      const uint32_t seed = 11u + static_cast<uint32_t>(i);
      FillOutlined(
          layer,
          [=](Vec2 p) {
            const Vec2 d = p - c;
            const float angle = std::atan2(d.y, d.x);
            const float wobble = 0.12f * std::sin(angle * 5 + seed) * r;
            return Length(d) - r - wobble;
          },
          [=](Vec2 p) {
            return Mix(paper, Hex(0xC8C2B4), Smoothstep(-r, r, p.y - c.y + p.x - c.x));
          },
          paperLine, 1.0f);
      if (s >= 32) {
        FillShape(
            layer,
            [=](Vec2 p) {
              return Union(
                  SdSegment(p, c + Vec2{-r * 0.5f, -r * 0.1f}, c + Vec2{r * 0.1f, r * 0.3f}, 0.35f),
                  SdSegment(p, c + Vec2{r * 0.1f, r * 0.3f}, c + Vec2{r * 0.45f, -r * 0.3f},
                            0.35f));
            },
            Hex(0x9C9488));
      }
    }
  }
  FillOutlined(layer, bodyShape, bodyShade, o.line, 1.0f);
  // Ribs.
  const float rib = std::max(0.45f, 0.55f * k);
  FillShape(
      layer,
      [=](Vec2 p) {
        float d = 1e9f;
        for (int i = -2; i <= 2; ++i) {
          if (s < 32 && (i == -2 || i == 2)) continue;
          const float top = cx + i * topHalf * 0.42f;
          const float bottom = cx + i * bottomHalf * 0.42f;
          d = Union(d, SdSegment(p, {top, rimY + 3.5f * k}, {bottom, bottomY - 2.5f * k}, rib));
        }
        return d;
      },
      Mix(o.casing, o.line, 0.55f));
  if (s >= 32 && !full) {
    const Vec2 c = {cx, 20.5f * k};
    const float unit = 5.0f;
    FillOutlined(
        layer, [=](Vec2 p) { return EmblemFigure(colour, (p - c) * (1.0f / unit), unit) * unit; },
        [=](Vec2) { return t.symbol; }, t.symbolLine, 0.8f);
  }
  // Rim and opening.
  FillOutlined(
      layer,
      [=](Vec2 p) {
        return SdEllipse(p, {cx, rimY}, {topHalf + 0.8f * k, 2.8f * k});
      },
      [=](Vec2) { return o.casingLit; }, o.line, 1.0f);
  FillShape(
      layer,
      [=](Vec2 p) {
        return SdEllipse(p, {cx, rimY + 0.2f * k}, {topHalf - 1.6f * k, 1.5f * k});
      },
      full ? Hex(0xE8E2D4) : Mix(o.line, o.casing, 0.25f));
}

// Pointer shapes on a 32 x 32 grid; every shape is filled with the colour's
// pointer gradient and outlined one pixel wide.
std::vector<Vec2> ArrowPoints(Vec2 tip, float scale) {
  const Vec2 p[] = {{0, 0},         {0, 19},       {4.6f, 14.6f}, {7.8f, 21.6f},
                    {10.8f, 20.4f}, {7.7f, 13.6f}, {13.6f, 13.6f}};
  std::vector<Vec2> out;
  for (const Vec2& v : p) out.push_back(tip + v * scale);
  return out;
}

// A straight double-headed arrow through centre at the given angle.
std::vector<Vec2> DoubleArrowPoints(Vec2 centre, float angle, float length) {
  const float head = 5.5f, width = 5.0f, shaft = 1.6f;
  const Vec2 p[] = {{-length, 0},
                    {-length + head, -width},
                    {-length + head, -shaft},
                    {length - head, -shaft},
                    {length - head, -width},
                    {length, 0},
                    {length - head, width},
                    {length - head, shaft},
                    {-length + head, shaft},
                    {-length + head, width}};
  std::vector<Vec2> out;
  for (const Vec2& v : p) out.push_back(centre + Rotate(v, angle));
  return out;
}

float SdHourglass(Vec2 p, Vec2 c, float k) {
  float d = SdBox(p, c + Vec2{0, -11.5f * k}, {7 * k, 1.3f * k}, 0.8f * k);
  d = Union(d, SdBox(p, c + Vec2{0, 11.5f * k}, {7 * k, 1.3f * k}, 0.8f * k));
  const std::vector<Vec2> glass = {c + Vec2{-5.5f * k, -10 * k}, c + Vec2{5.5f * k, -10 * k},
                                   c + Vec2{1.2f * k, 0},        c + Vec2{5.5f * k, 10 * k},
                                   c + Vec2{-5.5f * k, 10 * k},  c + Vec2{-1.2f * k, 0}};
  return Union(d, SdPolygon(p, glass));
}

float SdSand(Vec2 p, Vec2 c, float k) {
  const std::vector<Vec2> low = {c + Vec2{0, 3.5f * k}, c + Vec2{4.6f * k, 9.2f * k},
                                 c + Vec2{-4.6f * k, 9.2f * k}};
  const std::vector<Vec2> high = {c + Vec2{-3.4f * k, -6 * k}, c + Vec2{3.4f * k, -6 * k},
                                  c + Vec2{0.6f * k, -1.2f * k}, c + Vec2{-0.6f * k, -1.2f * k}};
  return Union(Union(SdPolygon(p, low), SdPolygon(p, high)),
               SdSegment(p, c + Vec2{0, -1.5f * k}, c + Vec2{0, 4 * k}, 0.45f * k));
}

float SdQuestion(Vec2 p, Vec2 c, float k) {
  const float half = 1.25f * k;
  float d = 1e9f;
  Vec2 last = c + Vec2{-3.4f * k, -3.6f * k};
  for (int i = 1; i <= 10; ++i) {
    const float a = kPi + i * (kPi * 1.45f) / 10;  // from the left, over the top, round
    const Vec2 q = c + Vec2{3.4f * k * std::cos(a), -3.6f * k + 3.4f * k * std::sin(a)};
    d = Union(d, SdSegment(p, last, q, half));
    last = q;
  }
  d = Union(d, SdSegment(p, last, c + Vec2{0, 2.2f * k}, half));
  d = Union(d, SdCircle(p, c + Vec2{0, 5.6f * k}, 1.5f * k));
  return d;
}

struct PointerDraw {
  Layer* layer;
  const ObjectTones& o;
  const ColourTones& t;
  void Body(const Sdf& shape, float y0 = 0, float y1 = 32) {
    FillOutlined(layer, shape, Vertical(o.pointerLit, o.pointer, y0, y1), o.pointerLine, 1.0f);
  }
  // Details in the colour's emblem tones, outlined like the body.
  void Accent(const Sdf& shape) {
    FillOutlined(
        layer, shape, [this](Vec2) { return t.symbol; }, o.pointerLine, 1.0f);
  }
};

}  // namespace

const PointerKind kPointers[kPointerCount] = {
    {"Arrow", "Arrow"},         {"Help", "Help"},      {"AppStarting", "Working"},
    {"Crosshair", "Precision"}, {"IBeam", "Text"},     {"No", "Unavailable"},
    {"NWPen", "Handwriting"},   {"SizeAll", "Move"},   {"SizeNESW", "Size NESW"},
    {"SizeNS", "Size NS"},      {"SizeWE", "Size WE"}, {"SizeNWSE", "Size NWSE"},
    {"UpArrow", "Up"},          {"Wait", "Busy"},
};

Layer EmblemIcon(Colour colour, int size) {
  Layer layer(size, size);
  DrawEmblem(&layer, colour, {size / 2.0f, size / 2.0f}, size / 2.0f - 0.6f);
  return layer;
}

// The screen saver: a monitor whose screen shows the five balls in a row,
// the arts of the five colours passing by.
Layer SaverIcon(int size) {
  Layer layer(size, size);
  const float k = static_cast<float>(size) / 32.0f;
  const Vec2 centre = {16 * k, 12 * k};
  DrawMonitor(&layer, Colour::kBlack, centre, {13.5f * k, 10 * k}, true, false);
  const float ball = size >= 32 ? 2.6f * k : 1.9f * k;
  for (int i = 0; i < kColourKindCount; ++i) {
    const float step = size >= 32 ? 4.6f * k : 4.4f * k;
    DrawBall(&layer, kColours[i], {centre.x + (i - 2) * step, centre.y - 0.5f * k}, ball);
  }
  return layer;
}

Layer BallsIcon(int size) {
  Layer layer(size, size);
  DrawBallsWheel(&layer);
  return layer;
}

const char* DesktopObjectName(DesktopObject object) {
  switch (object) {
    case DesktopObject::kComputer:
      return "Computer";
    case DesktopObject::kNetwork:
      return "Network";
    case DesktopObject::kRecycleFull:
      return "Recycle Full";
    case DesktopObject::kRecycleEmpty:
      return "Recycle Empty";
  }
  return "";
}

Layer DesktopIcon(Colour colour, DesktopObject object, int size) {
  Layer layer(size, size);
  const float s = static_cast<float>(size);
  switch (object) {
    case DesktopObject::kComputer:
      DrawComputer(&layer, colour, s);
      break;
    case DesktopObject::kNetwork:
      DrawNetwork(&layer, colour, s);
      break;
    case DesktopObject::kRecycleFull:
      DrawRecycle(&layer, colour, s, true);
      break;
    case DesktopObject::kRecycleEmpty:
      DrawRecycle(&layer, colour, s, false);
      break;
  }
  return layer;
}

Layer PointerPicture(Colour colour, int index, Hotspot* hotspot) {
  Layer layer(32, 32);
  PointerDraw draw{&layer, ObjectTonesOf(colour), TonesOf(colour)};
  const Vec2 centre = {15.5f, 15.5f};
  *hotspot = {15, 15};
  const std::string key = kPointers[index].themeKey;
  auto arrow = [&](float scale) {
    const std::vector<Vec2> points = ArrowPoints({1.5f, 1.5f}, scale);
    draw.Body([points](Vec2 p) { return SdPolygon(p, points); }, 1, 22);
    *hotspot = {1, 1};
  };
  if (key == "Arrow") {
    arrow(1.0f);
  } else if (key == "Help") {
    arrow(1.0f);
    draw.Accent([](Vec2 p) { return SdQuestion(p, {21.5f, 15.5f}, 1.25f); });
  } else if (key == "AppStarting") {
    arrow(1.0f);
    draw.Body([](Vec2 p) { return SdHourglass(p, {22.5f, 21.5f}, 0.72f); }, 13, 30);
    draw.Accent([](Vec2 p) { return SdSand(p, {22.5f, 21.5f}, 0.72f) + 0.3f; });
  } else if (key == "Wait") {
    draw.Body([&](Vec2 p) { return SdHourglass(p, centre, 1.1f); }, 2, 30);
    draw.Accent([&](Vec2 p) { return SdSand(p, centre, 1.1f) + 0.2f; });
  } else if (key == "Crosshair") {
    draw.Body([&](Vec2 p) {
      float d = SdSegment(p, {15.5f, 3}, {15.5f, 12.5f}, 0.5f);
      d = Union(d, SdSegment(p, {15.5f, 18.5f}, {15.5f, 28}, 0.5f));
      d = Union(d, SdSegment(p, {3, 15.5f}, {12.5f, 15.5f}, 0.5f));
      return Union(d, SdSegment(p, {18.5f, 15.5f}, {28, 15.5f}, 0.5f));
    });
  } else if (key == "IBeam") {
    draw.Body([](Vec2 p) {
      float d = SdSegment(p, {15.5f, 6.5f}, {15.5f, 24.5f}, 0.5f);
      d = Union(d, SdSegment(p, {12.5f, 5.5f}, {18.5f, 5.5f}, 0.5f));
      return Union(d, SdSegment(p, {12.5f, 25.5f}, {18.5f, 25.5f}, 0.5f));
    });
  } else if (key == "No") {
    draw.Body([&](Vec2 p) {
      const float ring = Outline(SdCircle(p, centre, 9.5f), 1.8f);
      const Vec2 a = centre + Rotate(Vec2{-9.5f, 0}, kPi / 4);
      const Vec2 b = centre + Rotate(Vec2{9.5f, 0}, kPi / 4);
      return Union(ring, SdSegment(p, a, b, 1.8f));
    });
  } else if (key == "NWPen") {
    const std::vector<Vec2> pen = {{1.5f, 1.5f}, {8.5f, 4.5f}, {26, 22}, {22, 26}, {4.5f, 8.5f}};
    draw.Body([pen](Vec2 p) { return SdPolygon(p, pen); }, 1, 26);
    draw.Accent([](Vec2 p) {
      return SdPolygon(p, {{21, 17}, {27.5f, 23.5f}, {23.5f, 27.5f}, {17, 21}});
    });
    *hotspot = {1, 1};
  } else if (key == "SizeAll") {
    draw.Body([&](Vec2 p) {
      return Union(SdPolygon(p, DoubleArrowPoints(centre, 0, 13)),
                   SdPolygon(p, DoubleArrowPoints(centre, kPi / 2, 13)));
    });
  } else if (key == "SizeNESW") {
    draw.Body([&](Vec2 p) { return SdPolygon(p, DoubleArrowPoints(centre, -kPi / 4, 12)); });
  } else if (key == "SizeNS") {
    draw.Body([&](Vec2 p) { return SdPolygon(p, DoubleArrowPoints(centre, kPi / 2, 12)); });
  } else if (key == "SizeWE") {
    draw.Body([&](Vec2 p) { return SdPolygon(p, DoubleArrowPoints(centre, 0, 12)); });
  } else if (key == "SizeNWSE") {
    draw.Body([&](Vec2 p) { return SdPolygon(p, DoubleArrowPoints(centre, kPi / 4, 12)); });
  } else if (key == "UpArrow") {
    const std::vector<Vec2> up = {{15.5f, 1.5f}, {22.5f, 9.5f}, {17.5f, 9.5f}, {17.5f, 26},
                                  {13.5f, 26},   {13.5f, 9.5f}, {8.5f, 9.5f}};
    draw.Body([up](Vec2 p) { return SdPolygon(p, up); }, 1, 26);
    *hotspot = {15, 1};
  }
  return layer;
}

std::vector<uint8_t> IconFileFor(const Layer& large, const Layer& small) {
  return EncodeIconFile({PictureFromLayer(large, 8), PictureFromLayer(small, 8),
                         PictureFromLayer(large, 4), PictureFromLayer(small, 4)});
}

std::vector<uint8_t> PointerFileFor(const Layer& picture, Hotspot hotspot) {
  return EncodeCursorFile({PictureFromLayer(picture, 8), PictureFromLayer(picture, 1)}, hotspot);
}
