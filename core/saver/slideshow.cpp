#include "saver/slideshow.h"

#include <climits>

bool NewPictureNeedsRandom(const SlideshowState& state) {
  return state.artsSinceLogo < kCardsPerCycle;
}

int ChooseNextArt(SlideshowState* s, int randomValue) {
  s->previousArt = s->currentArt;
  if (s->artsSinceLogo >= kCardsPerCycle) {
    s->artsSinceLogo = 0;
    s->currentArt = 0;
    return s->currentArt;
  }
  ++s->artsSinceLogo;
  if (s->usedCount >= kArtCount) {
    for (int& used : s->usedArts) used = 0;
    s->usedArts[0] = 1;
    s->usedCount = 1;
  }
  // Random values are 0..32767; taken unsigned so that no caller's value can
  // give a row below 1.
  int u = static_cast<int>(static_cast<unsigned>(randomValue) % (kArtCount - 1)) + 1;
  // Row 0 is always marked and a cycle ends after five arts, so a free row
  // exists; the bound only keeps a hand-made state from looping forever.
  for (int tries = 0; s->usedArts[u] == 1 && tries < kArtCount; ++tries) u = (u + 1) % kArtCount;
  s->currentArt = u;
  s->usedArts[u] = 1;
  ++s->usedCount;
  return s->currentArt;
}

int ChooseNextArt(SlideshowState* state, Lcg* random) {
  return ChooseNextArt(state, NewPictureNeedsRandom(*state) ? random->Next() : 0);
}

TimerState TimerStateAfterNewPicture(int currentArt) {
  return currentArt != 0 ? TS_SPOT_DUE : TS_NEXT_DUE;
}

int32_t TickDifference(uint32_t now, uint32_t then) {
  const uint32_t d = now - then;
  // Two's complement reading of d, without relying on the conversion.
  return d <= static_cast<uint32_t>(INT32_MAX) ? static_cast<int32_t>(d)
                                               : -static_cast<int32_t>(~d) - 1;
}

TimerAction SlideshowTimerAction(const SlideshowTimerInputs& in, uint32_t now) {
  switch (in.timerState) {
    case TS_SPOT_DUE:
      if (in.readyForNext == 1 && TickDifference(now, in.pictureShownTick) >= in.spotDelayMs) {
        return TimerAction::kReplaceSpot;
      }
      break;
    case TS_NEXT_DUE:
      if (in.readyForNext == 1 &&
          (in.currentArt == 0 || TickDifference(now, in.pictureStartTick) >= in.prefetchMs)) {
        return TimerAction::kNewPicture;
      }
      break;
    default:
      break;
  }
  return TimerAction::kNothing;
}

bool RevealDue(int previousArt, uint32_t now, uint32_t pictureStartTick, int32_t waitIntervalMs) {
  if (previousArt == 0) return true;
  return now - pictureStartTick >= static_cast<uint32_t>(waitIntervalMs);
}

uint32_t RevealWaitMs(int previousArt, uint32_t now, uint32_t pictureStartTick,
                      int32_t waitIntervalMs) {
  if (previousArt == 0 || waitIntervalMs <= 0) return 0;
  const uint32_t interval = static_cast<uint32_t>(waitIntervalMs);
  const uint32_t elapsed = now - pictureStartTick;
  return elapsed >= interval ? 0 : interval - elapsed;
}

int32_t PrefetchMs(int32_t intervalMs) {
  const int64_t ms = static_cast<int64_t>(intervalMs) - kPrefetchLeadMs;
  return ms < INT32_MIN ? INT32_MIN : static_cast<int32_t>(ms);
}

TransitionChoice RevealTransition(int randomValue, int32_t windowWidth) {
  if (randomValue & 1) {
    const int32_t tile = windowWidth == 640 ? 4 : 5;
    return {TransitionKind::kDissolveTiles, tile, tile, 0, 0};
  }
  return {TransitionKind::kSweepBands, 5, 5, 20, 5};
}

TransitionChoice FadeTransition(int randomValue) {
  if (randomValue & 1) return {TransitionKind::kDissolveTiles, 6, 6, 0, 0};
  return {TransitionKind::kSweepBands, 6, 6, 20, 5};
}

TransitionChoice SpotTransition(int randomValue) {
  if (randomValue & 1) return {TransitionKind::kDissolveTiles, 3, 3, 0, 0};
  return {TransitionKind::kSweepBands, 3, 3, 15, 5};
}
