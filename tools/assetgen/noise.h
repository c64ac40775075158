// Seeded lattice noise for the painted pictures. Everything is a pure
// function of its arguments, so a picture is the same on every run.
#pragma once

#include <cstdint>

uint32_t HashInt(int32_t x, int32_t y, uint32_t seed);

// A hash as a number in 0..1.
float HashUnit(int32_t x, int32_t y, uint32_t seed);

// Gradient noise, about -1..1, smooth (quintic fade).
float GradientNoise(float x, float y, uint32_t seed);

// Fractal sum of octaves, about -1..1; each octave has its own seed.
float Fbm(float x, float y, int octaves, uint32_t seed, float lacunarity = 2.0f, float gain = 0.5f);

// Ridged fractal: sharp crests near 1, valleys near 0.
float Ridged(float x, float y, int octaves, uint32_t seed);

// One-dimensional fractal for skylines, about -1..1.
float Fbm1(float x, int octaves, uint32_t seed);

// Cellular (Worley) noise: distances to the nearest and second nearest
// feature point, and the nearest point's cell hash.
struct CellSample {
  float f1 = 0;
  float f2 = 0;
  uint32_t id = 0;
  float px = 0, py = 0;  // the nearest feature point
};
CellSample Cellular(float x, float y, uint32_t seed);
