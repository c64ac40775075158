// A deterministic painting-like test picture: evening sky with clouds and a
// sun, two ranges of hills, a lake with reflections, trees and film grain.
// Smooth gradients, hard edges and texture, so that codecs are measured on
// something closer to real art than flat colour.
#pragma once

#include <cstdint>

#include "image_io.h"

Picture MakeSamplePicture(int32_t width, int32_t height);
