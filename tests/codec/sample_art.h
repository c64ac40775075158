// The sample picture encoded by the codec's own encoder, for the tests that
// need a real art file of a given size rather than a hand-made stream.
#pragma once

#include <cstdint>
#include <vector>

// An art file of MakeSamplePicture(width, height) in `pieces` pieces at
// `quality`; empty (and a test failure) when the encoder refuses it.
std::vector<uint8_t> EncodeSampleArt(int width, int height, int pieces, int quality = 75);
