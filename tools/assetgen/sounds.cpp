#include "sounds.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "canvas.h"
#include "noise.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kRate = static_cast<float>(kSampleRate);

// The colour's musical character.
struct Voicing {
  float root;              // Hz
  std::vector<int> scale;  // semitones within the octave
  float reverb;            // wet share
  float brightness;        // 0..1
};

const Voicing& VoicingOf(Colour colour) {
  static const Voicing kWhite = {523.25f, {0, 2, 4, 7, 9}, 0.3f, 1.0f};  // C major pentatonic
  static const Voicing kBlue = {587.33f, {0, 2, 4, 6, 7, 9, 11}, 0.35f, 0.6f};  // D lydian
  static const Voicing kBlack = {220.0f, {0, 2, 3, 5, 7, 8, 11}, 0.35f, 0.4f};  // A harmonic minor
  static const Voicing kRed = {
      329.63f, {0, 1, 4, 5, 7, 8, 10}, 0.15f, 0.9f};                    // E phrygian dominant
  static const Voicing kGreen = {392.0f, {0, 2, 4, 7, 9}, 0.2f, 0.7f};  // G major pentatonic
  return ByColour(colour, kWhite, kBlue, kBlack, kRed, kGreen);
}

float DegreeHz(const Voicing& v, int degree) {
  const int n = static_cast<int>(v.scale.size());
  int octave = degree >= 0 ? degree / n : -((-degree + n - 1) / n);
  const int step = degree - octave * n;
  return v.root * std::pow(2.0f, octave + v.scale[step] / 12.0f);
}

struct Note {
  float start;      // seconds
  int degree;       // in the colour's scale
  float length;     // seconds the note rings
  float velocity;   // 0..1
  float glide = 0;  // octaves of pitch change over the note (for sweeps)
};

// One note of the colour's instrument at time t (seconds from its start).
float Instrument(Colour colour, float hz, float t, float length, float glide, uint32_t seed) {
  const float f = hz * std::pow(2.0f, glide * std::min(t / std::max(length, 1e-3f), 1.0f));
  const float phase = 2 * kPi * f * t;
  switch (colour) {
    case Colour::kWhite: {  // a small bell
      const float ratios[] = {1.0f, 2.01f, 3.0f, 4.16f, 5.43f};
      const float amps[] = {1.0f, 0.45f, 0.22f, 0.14f, 0.08f};
      const float decay[] = {1.0f, 0.6f, 0.42f, 0.28f, 0.16f};
      float s = 0;
      for (int k = 0; k < 5; ++k) {
        s += amps[k] * std::sin(phase * ratios[k] + k) * std::exp(-t / (length * decay[k]));
      }
      s += 0.3f * std::sin(phase * 1.0015f) * std::exp(-t / length);  // shimmer
      return s * std::min(1.0f, t / 0.002f) * 0.6f;
    }
    case Colour::kBlue: {  // a soft, watery electric piano with vibrato
      const float vib = 1 + 0.004f * std::sin(2 * kPi * 5.2f * t) * std::min(1.0f, t / 0.2f);
      const float p = phase * vib;
      const float mod = 0.9f * std::exp(-t / 0.25f);
      float s = std::sin(p + mod * std::sin(p)) + 0.2f * std::sin(2 * p);
      return s * std::min(1.0f, t / 0.012f) * std::exp(-t / (length * 0.7f)) * 0.7f;
    }
    case Colour::kBlack: {  // a dark metallic gong, a sub-octave beneath
      const float index = 2.4f * std::exp(-t / 0.35f) + 0.35f;
      float s = std::sin(phase + index * std::sin(phase * 1.41f));
      s += 0.45f * std::sin(phase * 0.5f);
      return s * std::min(1.0f, t / 0.008f) * std::exp(-t / (length * 0.9f)) * 0.6f;
    }
    case Colour::kRed: {  // a bright plucked string, driven hard
      float s = 0;
      for (int k = 1; k <= 8; ++k) {
        const float bright = std::exp(-t * (2.0f + k * 3.0f));
        s += std::sin(phase * k * (1 + 0.0008f * k * k)) * bright / k;
      }
      s *= std::min(1.0f, t / 0.002f) * std::exp(-t / length) * 1.6f;
      return std::tanh(s * 1.8f) * 0.55f;
    }
    case Colour::kGreen: {  // a wooden marimba bar and a breath of wind
      float s = std::sin(phase) * std::exp(-t / (length * 0.5f));
      s += 0.35f * std::sin(phase * 3.93f) * std::exp(-t / 0.08f);
      s += 0.12f * std::sin(phase * 9.54f) * std::exp(-t / 0.02f);
      const float breath = (HashUnit(static_cast<int32_t>(t * kRate), 1, seed) - 0.5f) *
                           std::exp(-t / 0.015f) * 0.3f;
      return (s + breath) * std::min(1.0f, t / 0.001f) * 0.75f;
    }
  }
  return 0;
}

// A deterministic noise burst shaped like crumpling paper or a gust.
float Rustle(float t, float length, uint32_t seed) {
  const float env = std::min(1.0f, t / 0.01f) * std::exp(-t / (length * 0.5f));
  const int32_t i = static_cast<int32_t>(t * kRate);
  const float grain = HashUnit(i / 40, 0, seed) > 0.7f ? 1.0f : 0.3f;
  return (HashUnit(i, 0, seed) * 2 - 1) * env * grain;
}

// Schroeder reverb: four damped combs in parallel, two all-passes in series.
void Reverb(std::vector<float>* samples, float wet) {
  const int combs[] = {557, 593, 641, 677};
  const int passes[] = {225, 341};
  std::vector<float> out(samples->size(), 0.0f);
  for (int delay : combs) {
    std::vector<float> line(delay, 0.0f);
    float low = 0;
    for (size_t i = 0; i < samples->size(); ++i) {
      const float y = line[i % delay];
      low = y * 0.6f + low * 0.4f;
      line[i % delay] = (*samples)[i] + low * 0.8f;
      out[i] += y * 0.25f;
    }
  }
  for (int delay : passes) {
    std::vector<float> line(delay, 0.0f);
    for (size_t i = 0; i < out.size(); ++i) {
      const float buffered = line[i % delay];
      const float y = -out[i] * 0.5f + buffered;
      line[i % delay] = out[i] + buffered * 0.5f;
      out[i] = y;
    }
  }
  for (size_t i = 0; i < samples->size(); ++i) {
    (*samples)[i] = (*samples)[i] * (1 - wet) + out[i] * wet * 2.2f;
  }
}

// The phrase of each sound, in scale degrees.
struct Phrase {
  std::vector<Note> notes;
  float rustle = 0;  // seconds of paper noise
  float level = 0.7f;
};

Phrase PhraseOf(int index, const Voicing& v) {
  const int n = static_cast<int>(v.scale.size());
  const int third = 2;
  const int fifth = n == 5 ? 3 : 4;
  Phrase p;
  auto add = [&p](float start, int degree, float length, float velocity, float glide = 0) {
    p.notes.push_back({start, degree, length, velocity, glide});
  };
  switch (index) {
    case 0:  // Ding
      add(0, fifth, 0.6f, 1.0f);
      add(0.004f, n, 0.5f, 0.35f);
      break;
    case 1:  // Chord
      add(0, 0, 0.9f, 0.8f);
      add(0.02f, third, 0.85f, 0.7f);
      add(0.04f, fifth, 0.8f, 0.7f);
      add(0.06f, n, 0.75f, 0.5f);
      break;
    case 2:  // Chimes
      add(0, n, 0.5f, 0.8f);
      add(0.11f, n + third, 0.5f, 0.7f);
      add(0.22f, n + fifth, 0.7f, 0.8f);
      break;
    case 3:  // Critical Stop
      add(0, fifth - n, 0.7f, 1.0f);
      add(0.16f, -n, 0.9f, 1.0f);
      add(0.16f, -2 * n, 0.9f, 0.6f);
      break;
    case 4:  // Question
      add(0, third, 0.35f, 0.8f);
      add(0.16f, fifth + 1, 0.6f, 0.8f);
      break;
    case 5:  // Start
      add(0, -n, 1.8f, 0.6f);
      add(0.0f, 0, 1.6f, 0.5f);
      for (int i = 0; i < 5; ++i)
        add(0.18f + i * 0.14f, i * (n == 5 ? 1 : 2) % (2 * n) + 1, 0.9f, 0.65f);
      add(0.95f, n, 1.4f, 0.7f);
      add(0.97f, n + third, 1.3f, 0.55f);
      add(0.99f, n + fifth, 1.3f, 0.55f);
      p.level = 0.65f;
      break;
    case 6:  // Exit
      add(0, n + fifth, 0.6f, 0.7f);
      add(0.16f, n + third, 0.6f, 0.65f);
      add(0.32f, n, 0.6f, 0.6f);
      add(0.5f, fifth, 0.7f, 0.55f);
      add(0.7f, 0, 1.2f, 0.6f);
      add(0.7f, -n, 1.2f, 0.4f);
      break;
    case 7:  // Open
      add(0, third, 0.18f, 0.6f, 0.15f);
      add(0.07f, n, 0.3f, 0.55f);
      p.level = 0.5f;
      break;
    case 8:  // Close
      add(0, n, 0.18f, 0.6f, -0.15f);
      add(0.07f, third, 0.3f, 0.55f);
      p.level = 0.5f;
      break;
    case 9:  // Minimize
      add(0, n, 0.15f, 0.5f);
      add(0.05f, fifth, 0.15f, 0.5f);
      add(0.1f, third, 0.3f, 0.5f, -0.2f);
      p.level = 0.45f;
      break;
    case 10:  // Maximize
      add(0, third, 0.15f, 0.5f);
      add(0.05f, fifth, 0.15f, 0.5f);
      add(0.1f, n, 0.3f, 0.5f, 0.2f);
      p.level = 0.45f;
      break;
    case 11:  // Restore Up
      add(0, fifth, 0.15f, 0.5f);
      add(0.06f, n + 1, 0.25f, 0.5f);
      p.level = 0.45f;
      break;
    case 12:  // Restore Down
      add(0, n + 1, 0.15f, 0.5f);
      add(0.06f, fifth, 0.25f, 0.5f);
      p.level = 0.45f;
      break;
    case 13:  // Menu Popup
      add(0, n + fifth, 0.06f, 0.5f);
      p.level = 0.3f;
      break;
    case 14:  // Menu Command
      add(0, n + third, 0.04f, 0.5f);
      p.level = 0.28f;
      break;
    case 15:  // Mail
      add(0, n + third, 0.4f, 0.8f);
      add(0.2f, fifth, 0.7f, 0.8f);
      break;
    case 16:  // Ring In
      for (int i = 0; i < 6; ++i) add(i * 0.045f, i, 0.25f, 0.5f + i * 0.05f);
      p.level = 0.55f;
      break;
    case 17:  // Ring Out
      for (int i = 0; i < 6; ++i) add(i * 0.045f, 5 - i, 0.25f, 0.75f - i * 0.05f);
      p.level = 0.55f;
      break;
    case 18:  // Error
      add(0, -n, 0.6f, 1.0f);
      add(0.01f, 1 - n, 0.6f, 0.9f);
      add(0.2f, -n - 1, 0.8f, 0.9f);
      break;
    case 19:  // Recycle
      p.rustle = 0.45f;
      add(0.3f, third - n, 0.4f, 0.6f, -0.3f);
      p.level = 0.55f;
      break;
  }
  return p;
}

}  // namespace

const SoundKind kSounds[kSoundCount] = {
    {"Ding"},     {"Chord"},      {"Chimes"},       {"Critical Stop"}, {"Question"},
    {"Start"},    {"Exit"},       {"Open"},         {"Close"},         {"Minimize"},
    {"Maximize"}, {"Restore Up"}, {"Restore Down"}, {"Menu Popup"},    {"Menu Command"},
    {"Mail"},     {"Ring In"},    {"Ring Out"},     {"Error"},         {"Recycle"},
};

std::vector<int16_t> SynthesiseSound(Colour colour, int index) {
  const Voicing& v = VoicingOf(colour);
  const Phrase phrase = PhraseOf(index, v);
  float end = phrase.rustle;
  for (const Note& note : phrase.notes) end = std::max(end, note.start + note.length * 2.0f);
  end += 0.25f;  // the reverb's tail
  std::vector<float> mix(static_cast<size_t>(end * kRate), 0.0f);
  const uint32_t seed = 900u + static_cast<uint32_t>(colour) * 31u + static_cast<uint32_t>(index);
  for (const Note& note : phrase.notes) {
    const float hz = DegreeHz(v, note.degree);
    const size_t first = static_cast<size_t>(note.start * kRate);
    const size_t count = static_cast<size_t>(note.length * 3.0f * kRate);
    for (size_t i = 0; i < count && first + i < mix.size(); ++i) {
      const float t = i / kRate;
      mix[first + i] += note.velocity * Instrument(colour, hz, t, note.length, note.glide, seed);
    }
  }
  if (phrase.rustle > 0) {
    float low = 0;
    for (size_t i = 0; i < static_cast<size_t>(phrase.rustle * 1.5f * kRate) && i < mix.size();
         ++i) {
      const float r = Rustle(i / kRate, phrase.rustle, seed);
      low += (r - low) * (0.25f + 0.5f * v.brightness);
      mix[i] += low * 0.8f;
    }
  }
  Reverb(&mix, v.reverb);
  // Block any DC the driven or noisy voices leave (one-pole high-pass, ~18 Hz).
  float previousIn = 0, previousOut = 0;
  for (float& sample : mix) {
    const float y = sample - previousIn + 0.995f * previousOut;
    previousIn = sample;
    previousOut = y;
    sample = y;
  }
  // Level to the phrase's loudness, trim the silent tail, fade the last 15 ms.
  float peak = 1e-6f;
  for (float s : mix) peak = std::max(peak, std::fabs(s));
  size_t last = mix.size();
  while (last > 0 && std::fabs(mix[last - 1]) < peak * 0.002f) --last;
  mix.resize(std::max<size_t>(last, 1));
  const size_t fade = std::min(mix.size(), static_cast<size_t>(0.015f * kRate));
  for (size_t i = 0; i < fade; ++i) mix[mix.size() - 1 - i] *= static_cast<float>(i) / fade;
  std::vector<int16_t> out(mix.size());
  for (size_t i = 0; i < mix.size(); ++i) {
    const float s = mix[i] / peak * phrase.level * 32767.0f;
    out[i] = static_cast<int16_t>(std::lround(std::max(-32767.0f, std::min(32767.0f, s))));
  }
  return out;
}

std::vector<uint8_t> EncodeWave(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> out;
  auto put = [&out](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
  };
  auto tag = [&out](const char* four) { out.insert(out.end(), four, four + 4); };
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  tag("RIFF");
  put(36 + dataBytes, 4);
  tag("WAVE");
  tag("fmt ");
  put(16, 4);
  put(1, 2);  // PCM
  put(1, 2);  // mono
  put(kSampleRate, 4);
  put(kSampleRate * 2, 4);
  put(2, 2);
  put(16, 2);
  tag("data");
  put(dataBytes, 4);
  for (int16_t s : samples) put(static_cast<uint16_t>(s), 2);
  return out;
}
