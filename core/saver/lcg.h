// The screen saver's random generator: one linear congruential state per
// thread, state <- state x 214013 + 2531011 (mod 2^32), value = bits 16..30
// of the new state. A fresh state is 1, so an unseeded thread's first value
// is always 41.
#pragma once

#include <cstdint>

class Lcg {
 public:
  static constexpr uint32_t kMultiplier = 214013;
  static constexpr uint32_t kIncrement = 2531011;
  static constexpr int kMaxValue = 32767;

  constexpr Lcg() = default;
  constexpr explicit Lcg(uint32_t seed) : state_(seed) {}

  // Sets the state (the programs seed with GetTickCount).
  constexpr void Seed(uint32_t seed) { state_ = seed; }

  // Advances the state and returns its bits 16..30: 0 to 32767.
  constexpr int Next() {
    state_ = state_ * kMultiplier + kIncrement;  // unsigned: wraps mod 2^32
    return static_cast<int>((state_ >> 16) & 0x7FFF);
  }

  constexpr uint32_t state() const { return state_; }

 private:
  uint32_t state_ = 1;
};
