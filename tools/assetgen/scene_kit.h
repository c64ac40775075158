// Building blocks of the painted scenes: skylines, light, fog, stars and
// the brush texture that keeps large areas from looking flat.
#pragma once

#include <cstdint>
#include <functional>

#include "canvas.h"
#include "noise.h"
#include "shapes.h"

// Height of a mountain skyline (v, 0 at the top) at x: base minus a ridged
// fractal of the given amplitude.
float Skyline(float x, float base, float amplitude, float frequency, uint32_t seed,
              int octaves = 6);

// A row of conifers standing on a ground line: the top of the tree line at x
// (v), trees of spacing (in x units) and height, jittered by seed.
float TreeLine(float x, float ground, float spacing, float height, uint32_t seed);

// Adds a soft glow of colour around a point (distance d, falling off with
// radius), by screen blending.
Rgb Glow(Rgb base, float d, float radius, Rgb colour, float strength);

// Star field: brightness 0..1 at pixel (px, py) for a density of stars per
// 1000 pixels.
float Stars(float px, float py, float density, uint32_t seed);

// Painterly variation: shifts value and warmth a little along stroke-like
// noise (angle in radians), so flat areas read as painted.
Rgb Brush(Rgb c, float x, float y, float strength, float angle, uint32_t seed);

// Aerial perspective: mixes toward the haze colour.
inline Rgb Haze(Rgb c, Rgb haze, float amount) {
  return Mix(c, haze, amount);
}

// Coverage of "below the line" with a soft edge of one pixel (dv = pixel
// height in v units).
inline float Below(float v, float line, float dv) {
  return Smoothstep(-dv, dv, v - line);
}

// Gentle darkening toward the corners.
Rgb Vignette(Rgb c, float u, float v, float strength);

// A skyline as a function of x.
using Ridge = std::function<float(float)>;

// Light on a mountain face under a skyline, 0 shadow .. 1 sunlit, for a sun
// on the right (sunSide 1) or the left (-1).
float FaceLight(const Ridge& ridge, float x, float v, float sunSide, uint32_t seed);
