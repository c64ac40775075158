// The slideshow's decisions as pure functions: which art comes next, what
// the 500 ms timer does, when the picture thread reveals, and which
// transition a random value picks. The window procedure and the picture
// thread keep the state and do the drawing; everything here takes the
// clock and the random values as arguments.
#pragma once

#include <cstdint>

#include "saver/captions.h"
#include "saver/lcg.h"
#include "saver/transitions.h"

// Private window messages (WM_USER + 50, + 51).
constexpr unsigned WM_NEWPICTURE = 1074;   // choose the next art, start a picture thread
constexpr unsigned WM_REPLACESPOT = 1075;  // take the caption backdrop away

enum TimerState { TS_BUSY = 0, TS_SPOT_DUE = 1, TS_NEXT_DUE = 2 };

constexpr int32_t kSpotDelayMs = 5000;       // backdrop removed this long after a reveal ended
constexpr int32_t kPrefetchLeadMs = 2000;    // decoding starts this long before the reveal
constexpr uint32_t kSlideshowTimerMs = 500;  // timer 1
constexpr int kCardsPerCycle = kArtCount - 1;

// The choice of arts: a cycle is the logo and then the five card arts, each
// once, in a random order. usedCount starts at 200 so that the first request
// starts a cycle.
struct SlideshowState {
  int currentArt = 0;
  int previousArt = 0;
  int artsSinceLogo = 0;
  int usedArts[kArtCount] = {};  // 1 for each row used in this cycle; row 0 always 1
  int usedCount = 200;           // at least kArtCount: the next card art starts a cycle
};

// Whether the next WM_NEWPICTURE draws a random value: every request but the
// logo's (the sixth) does.
bool NewPictureNeedsRandom(const SlideshowState& state);

// The choice of WM_NEWPICTURE: previousArt = currentArt; after five card arts
// the logo (row 0), otherwise a card art: a new cycle when usedCount >=
// kArtCount, then u = randomValue mod 5 + 1 and the walk u <- (u + 1) mod 6
// over used rows. randomValue is 0..32767 and is not used for the logo.
// Returns the new currentArt.
int ChooseNextArt(SlideshowState* state, int randomValue);
// The same, drawing from the thread's generator only when a card art is chosen.
int ChooseNextArt(SlideshowState* state, Lcg* random);

// timerState once WM_NEWPICTURE has started the thread: TS_SPOT_DUE for a
// card art, TS_NEXT_DUE for the logo.
TimerState TimerStateAfterNewPicture(int currentArt);

// now - then as a signed 32-bit difference, right across the wrap of the
// tick count after 49.7 days.
int32_t TickDifference(uint32_t now, uint32_t then);

// What the window reads on a WM_TIMER tick.
struct SlideshowTimerInputs {
  int timerState = TS_BUSY;
  int readyForNext = 0;
  int currentArt = 0;
  uint32_t pictureStartTick = 0;  // when the current reveal began
  uint32_t pictureShownTick = 0;  // when it ended
  int32_t prefetchMs = 0;
  int32_t spotDelayMs = kSpotDelayMs;
};

enum class TimerAction {
  kNothing,
  kReplaceSpot,  // send WM_REPLACESPOT
  kNewPicture,   // set readyForNext = 0, then send WM_NEWPICTURE
};

// The WM_TIMER decision, with signed tick differences: TS_SPOT_DUE gives
// kReplaceSpot when readyForNext and now - pictureShownTick >= spotDelayMs;
// TS_NEXT_DUE gives kNewPicture when readyForNext and (the logo is showing
// or now - pictureStartTick >= prefetchMs); anything else kNothing.
TimerAction SlideshowTimerAction(const SlideshowTimerInputs& in, uint32_t now);

// The picture thread's wait: due at once after the logo (previousArt 0),
// else when now - pictureStartTick >= waitIntervalMs compared unsigned (a
// negative interval so waits out the whole tick range).
bool RevealDue(int previousArt, uint32_t now, uint32_t pictureStartTick, int32_t waitIntervalMs);

// The same as a time to wait: 0 when the reveal is due, else the
// milliseconds left. A negative interval counts as 0 (the reveal is due at
// once): compared unsigned it would put the reveal some 49.7 days away.
uint32_t RevealWaitMs(int previousArt, uint32_t now, uint32_t pictureStartTick,
                      int32_t waitIntervalMs);

// prefetchMs for an interval: intervalMs - 2000, held at the 32-bit minimum.
int32_t PrefetchMs(int32_t intervalMs);

// The transitions a random value picks (odd: DissolveTiles, even:
// SweepBands). Note that running DissolveTiles reseeds the thread's
// generator with the tick count, so on a palette display the picture
// thread draws the reveal's value only after the fade has run:
//   fade = FadeTransition(random.Next()); run it with &random;
//   reveal = RevealTransition(random.Next(), width); run it with &random.
// The reveal of a new picture over the whole window: tiles 4 x 4 when the
// window is 640 pixels wide, else 5 x 5; the sweep band 20, wave 5, tiles 5 x 5.
TransitionChoice RevealTransition(int randomValue, int32_t windowWidth);
// The fade to black before a palette change (palette displays only): tiles
// 6 x 6, or band 20, wave 5, tiles 6 x 6.
TransitionChoice FadeTransition(int randomValue);
// The removal of the caption backdrop: tiles 3 x 3, or band 15, wave 5, tiles 3 x 3.
TransitionChoice SpotTransition(int randomValue);
