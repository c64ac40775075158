// The event sounds: PCM wave files, short, not clipped, and different for
// every colour.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "asset_files.h"

namespace {

struct Wave {
  uint32_t format = 0, channels = 0, rate = 0, bits = 0;
  std::vector<int> samples;  // first channel
};

bool ParseWave(const std::vector<uint8_t>& b, Wave* w, std::string* why) {
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 ||
      std::memcmp(b.data() + 8, "WAVE", 4) != 0 || U32At(b, 4) + 8 != b.size()) {
    *why = "RIFF header";
    return false;
  }
  bool haveFormat = false;
  for (size_t at = 12; at + 8 <= b.size();) {
    const uint32_t size = U32At(b, at + 4);
    if (at + 8 + size > b.size()) {
      *why = "chunk past the end";
      return false;
    }
    if (std::memcmp(b.data() + at, "fmt ", 4) == 0) {
      w->format = U16At(b, at + 8);
      w->channels = U16At(b, at + 10);
      w->rate = U32At(b, at + 12);
      w->bits = U16At(b, at + 22);
      haveFormat = w->channels > 0 && U32At(b, at + 16) == w->rate * w->channels * w->bits / 8 &&
                   U16At(b, at + 20) == w->channels * w->bits / 8;
    } else if (std::memcmp(b.data() + at, "data", 4) == 0 && haveFormat) {
      const uint32_t frame = w->channels * w->bits / 8;
      for (size_t i = at + 8; i + frame <= at + 8 + size; i += frame) {
        w->samples.push_back(w->bits == 16 ? static_cast<int16_t>(U16At(b, i))
                                           : (b[i] - 128) * 256);
      }
      return true;
    }
    at += 8 + size + (size & 1);
  }
  *why = haveFormat ? "no data chunk" : "bad fmt chunk";
  return false;
}

const char* const kSoundNames[] = {"Ding",         "Chord",      "Chimes",       "Critical Stop",
                                   "Question",     "Start",      "Exit",         "Open",
                                   "Close",        "Minimize",   "Maximize",     "Restore Up",
                                   "Restore Down", "Menu Popup", "Menu Command", "Mail",
                                   "Ring In",      "Ring Out",   "Error",        "Recycle"};

TEST(SoundFiles, ArePcmShortAndUnclipped) {
  for (const char* title : kColourTitles) {
    for (const char* name : kSoundNames) {
      const std::string path = AssetsOut() + "/themes/Tavol/" + title + " " + name + ".wav";
      SCOPED_TRACE(path);
      Wave w;
      std::string why;
      ASSERT_TRUE(ParseWave(ReadBytes(path), &w, &why)) << why;
      EXPECT_EQ(w.format, 1u);  // PCM
      EXPECT_TRUE(w.bits == 8 || w.bits == 16);
      EXPECT_TRUE(w.rate == 11025 || w.rate == 22050 || w.rate == 44100);
      const double seconds = static_cast<double>(w.samples.size()) / w.rate;
      EXPECT_GT(seconds, 0.03);
      EXPECT_LT(seconds, 5.0);
      int peak = 0;
      long long sum = 0;
      for (int s : w.samples) {
        peak = std::max(peak, std::abs(s));
        sum += s;
      }
      EXPECT_GT(peak, 3000);   // audible
      EXPECT_LT(peak, 32000);  // headroom, no clipping
      EXPECT_LT(std::abs(sum / static_cast<long long>(w.samples.size())), 100);  // no DC offset
    }
  }
}

TEST(SoundFiles, EachColourSoundsDifferent) {
  for (const char* name : kSoundNames) {
    SCOPED_TRACE(name);
    std::map<std::vector<uint8_t>, int> seen;
    for (const char* title : kColourTitles) {
      ++seen[ReadBytes(AssetsOut() + "/themes/Tavol/" + title + " " + name + ".wav")];
    }
    EXPECT_EQ(seen.size(), 5u);
  }
}

}  // namespace
