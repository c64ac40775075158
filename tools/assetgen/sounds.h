// The event sounds of each colour: short phrases played by the colour's own
// instrument in its own key, synthesised sample by sample.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "colours.h"

constexpr int kSampleRate = 22050;

// The sounds a theme names, by file name ("Ding", "Chord", ...).
struct SoundKind {
  const char* fileName;
};
constexpr int kSoundCount = 20;
extern const SoundKind kSounds[kSoundCount];

// Mono 16-bit samples of one sound.
std::vector<int16_t> SynthesiseSound(Colour colour, int index);

// A RIFF WAVE file of 16-bit mono PCM at kSampleRate.
std::vector<uint8_t> EncodeWave(const std::vector<int16_t>& samples);
