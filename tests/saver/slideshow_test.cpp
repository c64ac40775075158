#include "saver/slideshow.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <set>
#include <vector>

namespace {

SlideshowState WithUsed(std::vector<int> used, int artsSinceLogo) {
  SlideshowState s;
  int count = 0;
  for (int i = 0; i < kArtCount; ++i) count += s.usedArts[i] = used[i];
  s.usedCount = count;
  s.artsSinceLogo = artsSinceLogo;
  s.currentArt = 4;
  return s;
}

TEST(ChooseNextArt, FirstRequestStartsACycle) {
  SlideshowState s;
  EXPECT_EQ(s.usedCount, 200);
  EXPECT_TRUE(NewPictureNeedsRandom(s));
  // 41 mod 5 = 1: row 2.
  EXPECT_EQ(ChooseNextArt(&s, 41), 2);
  EXPECT_EQ(s.previousArt, 0);
  EXPECT_EQ(s.artsSinceLogo, 1);
  EXPECT_EQ(s.usedCount, 2);
  const int used[kArtCount] = {1, 0, 1, 0, 0, 0};
  for (int i = 0; i < kArtCount; ++i) EXPECT_EQ(s.usedArts[i], used[i]) << i;
}

TEST(ChooseNextArt, WalksForwardOverUsedRowsAndWrapsFromFiveToOne) {
  struct Case {
    std::vector<int> used;
    int random;
    int expected;
  } cases[] = {
      {{1, 0, 0, 0, 0, 0}, 0, 1},                                  // start row = value mod 5 + 1
      {{1, 0, 0, 0, 0, 0}, 4, 5}, {{1, 0, 0, 0, 0, 0}, 32767, 3},  // 32767 mod 5 = 2
      {{1, 1, 0, 1, 0, 0}, 0, 2},                                  // 1 used: on to 2
      {{1, 1, 0, 1, 0, 0}, 2, 4},                                  // 3 used: on to 4
      {{1, 1, 1, 1, 1, 0}, 0, 5},                                  // 1..4 used: the last free row
      {{1, 0, 1, 1, 1, 1}, 4, 1},  // 5 used: past row 0 (always marked) to 1
      {{1, 0, 1, 1, 1, 1}, 2, 1},  // 3, 4, 5 used, then 0, then 1
      {{1, 1, 0, 1, 1, 1}, 3, 2},  // 4, 5, 0, 1 used, then 2
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "random " << c.random << " expected " << c.expected);
    int count = 0;
    for (int u : c.used) count += u;
    SlideshowState s = WithUsed(c.used, count - 1);
    EXPECT_EQ(ChooseNextArt(&s, c.random), c.expected);
    EXPECT_EQ(s.previousArt, 4);
    EXPECT_EQ(s.usedArts[c.expected], 1);
    EXPECT_EQ(s.usedCount, count + 1);
  }
}

TEST(ChooseNextArt, LogoEverySixthRequestWithoutARandomValue) {
  SlideshowState s;
  s.artsSinceLogo = 5;
  s.currentArt = 3;
  s.usedCount = 6;
  EXPECT_FALSE(NewPictureNeedsRandom(s));
  Lcg random(12345);
  EXPECT_EQ(ChooseNextArt(&s, &random), 0);
  EXPECT_EQ(random.state(), 12345u) << "the logo draws no random value";
  EXPECT_EQ(s.previousArt, 3);
  EXPECT_EQ(s.artsSinceLogo, 0);
  EXPECT_EQ(s.usedCount, 6) << "the cycle's rows stay until the next card art";
}

// An independent model: the first free row from value mod 5 + 1 in the
// cyclic order 1, 2, 3, 4, 5, 1, ...
int FirstFree(const int* used, int value) {
  int row = value % 5 + 1;
  while (used[row]) row = row % 5 + 1;
  return row;
}

TEST(ChooseNextArt, CyclesOverManySeeds) {
  for (uint32_t seed = 0; seed < 300; ++seed) {
    SCOPED_TRACE(seed);
    SlideshowState s;
    Lcg random(seed * 2654435761u);
    Lcg mirror = random;
    int previous = 0;
    for (int cycle = 0; cycle < 40; ++cycle) {
      std::set<int> seen;
      for (int request = 0; request < 5; ++request) {
        int used[kArtCount];
        for (int i = 0; i < kArtCount; ++i) used[i] = s.usedArts[i];
        if (request == 0) {
          for (int& u : used) u = 0;  // a new cycle
        }
        const int value = mirror.Next();
        const int art = ChooseNextArt(&s, &random);
        ASSERT_EQ(art, FirstFree(used, value));
        ASSERT_GE(art, 1);
        ASSERT_LE(art, 5);
        ASSERT_TRUE(seen.insert(art).second) << "no card art repeats within a cycle";
        ASSERT_EQ(s.previousArt, previous);
        ASSERT_EQ(s.usedArts[0], 1);
        ASSERT_EQ(TimerStateAfterNewPicture(art), TS_SPOT_DUE);
        previous = art;
      }
      ASSERT_EQ(seen.size(), 5u);
      ASSERT_EQ(s.usedCount, kArtCount) << "the cycle ends with five arts";
      ASSERT_EQ(ChooseNextArt(&s, &random), 0) << "then the logo";
      ASSERT_EQ(TimerStateAfterNewPicture(0), TS_NEXT_DUE);
      ASSERT_EQ(s.previousArt, previous);
      ASSERT_EQ(random.state(), mirror.state());
      previous = 0;
    }
  }
}

TEST(ChooseNextArt, RandomValuesSpreadOverTheRows) {
  // Over many cycles every row is chosen first about as often as the others.
  int firstOfCycle[kArtCount] = {};
  SlideshowState s;
  Lcg random(20240601);
  for (int request = 0; request < 6 * 5000; ++request) {
    const bool first = s.usedCount >= kArtCount && s.artsSinceLogo < 5;
    const int art = ChooseNextArt(&s, &random);
    if (first) ++firstOfCycle[art];
  }
  EXPECT_EQ(firstOfCycle[0], 0);
  for (int row = 1; row < kArtCount; ++row) {
    EXPECT_GT(firstOfCycle[row], 800) << row;
    EXPECT_LT(firstOfCycle[row], 1200) << row;
  }
}

TEST(TickDifference, SignedAcrossTheWrap) {
  struct Case {
    uint32_t now, then;
    int32_t expected;
  } cases[] = {
      {5000, 0, 5000},
      {0, 5000, -5000},
      {0x00000388u, 0xFFFFF000u, 5000},
      {0xFFFFF000u, 0x00000388u, -5000},
      {0x80000000u, 0, INT32_MIN},
      {0x7FFFFFFFu, 0, INT32_MAX},
      {0, 0x80000001u, INT32_MAX},
      {123, 123, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(TickDifference(c.now, c.then), c.expected) << c.now;
}

TEST(SlideshowTimerAction, Table) {
  const uint32_t t0 = 0xFFFFB000u;  // 20 s before the wrap
  struct Case {
    int state, ready, art;
    uint32_t start, shown, now;
    TimerAction expected;
  } cases[] = {
      // Busy: nothing, whatever the clock says.
      {TS_BUSY, 1, 2, t0, t0, t0 + 60000, TimerAction::kNothing},
      // Spot due 5000 ms after the reveal ended, only once the thread is done.
      {TS_SPOT_DUE, 1, 2, t0, t0 + 1000, t0 + 5999, TimerAction::kNothing},
      {TS_SPOT_DUE, 1, 2, t0, t0 + 1000, t0 + 6000, TimerAction::kReplaceSpot},
      {TS_SPOT_DUE, 0, 2, t0, t0 + 1000, t0 + 9000, TimerAction::kNothing},
      {TS_SPOT_DUE, 1, 2, t0, t0 + 18000, t0 + 23000, TimerAction::kReplaceSpot},  // wrapped
      {TS_SPOT_DUE, 1, 2, t0, t0 + 18000, t0 + 22999, TimerAction::kNothing},
      // A shown tick after now (a signed negative difference) is not due.
      {TS_SPOT_DUE, 1, 2, t0, t0 + 9000, t0 + 100, TimerAction::kNothing},
      // Next due: prefetch 18000 after the reveal began.
      {TS_NEXT_DUE, 1, 3, t0, t0, t0 + 17999, TimerAction::kNothing},
      {TS_NEXT_DUE, 1, 3, t0, t0, t0 + 18000, TimerAction::kNewPicture},  // across the wrap
      {TS_NEXT_DUE, 0, 3, t0, t0, t0 + 30000, TimerAction::kNothing},
      // The logo is replaced as soon as the thread is done.
      {TS_NEXT_DUE, 1, 0, t0, t0, t0, TimerAction::kNewPicture},
      {TS_NEXT_DUE, 0, 0, t0, t0, t0 + 90000, TimerAction::kNothing},
      // Differences of more than 2^31 ms read as negative.
      {TS_NEXT_DUE, 1, 3, 0, 0, 0x80000000u, TimerAction::kNothing},
      {TS_NEXT_DUE, 1, 3, 0, 0, 0x7FFFFFFFu, TimerAction::kNewPicture},
      // Unknown states do nothing.
      {7, 1, 0, t0, t0, t0 + 60000, TimerAction::kNothing},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "state " << c.state << " now " << c.now);
    SlideshowTimerInputs in;
    in.timerState = c.state;
    in.readyForNext = c.ready;
    in.currentArt = c.art;
    in.pictureStartTick = c.start;
    in.pictureShownTick = c.shown;
    in.prefetchMs = 18000;
    in.spotDelayMs = kSpotDelayMs;
    EXPECT_EQ(SlideshowTimerAction(in, c.now), c.expected);
  }
}

TEST(SlideshowTimerAction, NegativeAndZeroIntervalsAreDueAtOnce) {
  // A stored interval of 0 or less makes prefetchMs negative: due on the
  // next tick after the thread is done.
  for (int32_t seconds : {0, 1, -5}) {
    SlideshowTimerInputs in;
    in.timerState = TS_NEXT_DUE;
    in.readyForNext = 1;
    in.currentArt = 1;
    in.pictureStartTick = 1000;
    in.prefetchMs = PrefetchMs(seconds * 1000);
    EXPECT_EQ(SlideshowTimerAction(in, 1000), TimerAction::kNewPicture) << seconds;
  }
}

TEST(RevealDue, WaitsTheIntervalUnsignedExceptAfterTheLogo) {
  struct Case {
    int previous;
    uint32_t now, start;
    int32_t wait;
    bool expected;
  } cases[] = {
      {0, 100, 100, 20000, true},  // after the logo: at once
      {0, 100, 200, -5000, true},
      {3, 100, 100, 20000, false},
      {3, 20099, 100, 20000, false},
      {3, 20100, 100, 20000, true},
      {3, 0x00000C00u, 0xFFFFC000u, 20000, false},  // 19456 ms across the wrap
      {3, 0x00000E20u, 0xFFFFC000u, 20000, true},   // 20000 ms across the wrap
      {3, 5, 5, 0, true},
      // Unsigned: a negative interval is 2^32 - 5000 ms away.
      {3, 100 + 3600000, 100, -5000, false},
      {3, 100 + 0xFFFFEC77u, 100, -5000, false},
      {3, 100 + 0xFFFFEC78u, 100, -5000, true},
      // Unsigned: a start after now (a huge difference) is due.
      {3, 100, 200, 20000, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RevealDue(c.previous, c.now, c.start, c.wait), c.expected)
        << c.previous << " " << c.now << " " << c.start << " " << c.wait;
  }
}

TEST(RevealWaitMs, TimeLeftOfTheIntervalAndNoneAfterTheLogo) {
  EXPECT_EQ(RevealWaitMs(0, 100, 100, 20000), 0u);  // after the logo: at once
  EXPECT_EQ(RevealWaitMs(3, 100, 100, 20000), 20000u);
  EXPECT_EQ(RevealWaitMs(3, 5100, 100, 20000), 15000u);
  EXPECT_EQ(RevealWaitMs(3, 20099, 100, 20000), 1u);
  EXPECT_EQ(RevealWaitMs(3, 20100, 100, 20000), 0u);
  EXPECT_EQ(RevealWaitMs(3, 30000, 100, 20000), 0u);  // decoding took longer: at once
  // Across the wrap of the tick count.
  EXPECT_EQ(RevealWaitMs(3, 1000, 0xFFFFFF00u, 5000), 3744u);
  EXPECT_EQ(RevealWaitMs(3, 4744, 0xFFFFFF00u, 5000), 0u);
  // The wait agrees with RevealDue for every interval the dialog offers.
  for (int32_t interval = 20000; interval <= 60000; interval += 1000) {
    for (uint32_t now : {100u, 100u + interval - 1, 100u + interval}) {
      EXPECT_EQ(RevealWaitMs(3, now, 100, interval) == 0, RevealDue(3, now, 100, interval));
    }
  }
}

TEST(RevealWaitMs, ANegativeIntervalRevealsAtOnceInsteadOfWaitingDays) {
  // A stored "-5" gives -5000 ms; read unsigned that is 4,294,962,296 ms.
  EXPECT_FALSE(RevealDue(3, 100, 100, -5000));
  EXPECT_EQ(RevealWaitMs(3, 100, 100, -5000), 0u);
  EXPECT_EQ(RevealWaitMs(3, 100, 100, INT32_MIN), 0u);
  EXPECT_EQ(RevealWaitMs(3, 100, 100, 0), 0u);
}

TEST(PrefetchMs, TwoSecondsBeforeTheInterval) {
  EXPECT_EQ(PrefetchMs(20000), 18000);
  EXPECT_EQ(PrefetchMs(60000), 58000);
  EXPECT_EQ(PrefetchMs(5000), 3000);
  EXPECT_EQ(PrefetchMs(0), -2000);
  EXPECT_EQ(PrefetchMs(INT32_MAX), INT32_MAX - 2000);
  EXPECT_EQ(PrefetchMs(INT32_MIN + 1999), INT32_MIN);
  EXPECT_EQ(PrefetchMs(INT32_MIN), INT32_MIN);
}

// The show as the window and the picture thread run it, with the clock
// starting 30 s before the tick count wraps: card arts revealed every 20 s,
// backdrops removed 5 s (to the next 500 ms tick) after a reveal ends.
TEST(SlideshowTimeline, IntervalsHoldAcrossTheWrap) {
  const int32_t intervalMs = 20000;
  const uint32_t decodeMs = 1300;
  const uint32_t revealMs = 700;
  uint32_t now = 0xFFFF8AD0u;  // -30000
  SlideshowState show;
  Lcg random(now);
  SlideshowTimerInputs t;
  t.pictureStartTick = now;
  t.readyForNext = 1;
  t.timerState = TS_NEXT_DUE;
  t.prefetchMs = PrefetchMs(intervalMs);
  bool threadRunning = false;
  uint32_t requestTick = 0;
  std::vector<uint32_t> cardReveals;
  std::vector<int> arts;
  int spotsRemoved = 0;
  for (int tick = 0; tick < 2 * 60 * 10; ++tick) {  // ten minutes of 500 ms ticks
    now += kSlideshowTimerMs;
    // The picture thread: decode, wait (polling every millisecond), reveal.
    if (threadRunning && TickDifference(now, requestTick) >= static_cast<int32_t>(decodeMs)) {
      uint32_t clock = requestTick + decodeMs;
      while (!RevealDue(show.previousArt, clock, t.pictureStartTick, intervalMs)) ++clock;
      if (TickDifference(now, clock + revealMs) >= 0) {
        t.pictureStartTick = clock;
        t.pictureShownTick = clock + revealMs;
        t.readyForNext = 1;
        threadRunning = false;
        if (show.currentArt != 0) cardReveals.push_back(clock);
      }
    }
    switch (SlideshowTimerAction(t, now)) {
      case TimerAction::kNewPicture:
        t.readyForNext = 0;
        t.timerState = TS_BUSY;
        arts.push_back(ChooseNextArt(&show, &random));
        t.currentArt = show.currentArt;
        threadRunning = true;
        requestTick = now;
        t.timerState = TimerStateAfterNewPicture(show.currentArt);
        break;
      case TimerAction::kReplaceSpot: {
        const int32_t late = TickDifference(now, t.pictureShownTick) - kSpotDelayMs;
        EXPECT_GE(late, 0);
        EXPECT_LT(late, 500);
        ++spotsRemoved;
        t.timerState = TS_NEXT_DUE;
        break;
      }
      case TimerAction::kNothing:
        break;
    }
  }
  ASSERT_GE(cardReveals.size(), 25u);
  // The first card art follows the logo at once; after it, reveals come every
  // 20 s except where the logo sits between (logo at 20 s, next card as soon
  // as it is decoded).
  size_t card = 0;
  uint32_t lastCardReveal = cardReveals[0];
  for (size_t i = 1; i < arts.size() && card + 1 < cardReveals.size(); ++i) {
    if (arts[i] == 0) continue;
    ++card;
    const int32_t gap = TickDifference(cardReveals[card], lastCardReveal);
    if (arts[i - 1] == 0) {
      EXPECT_GT(gap, intervalMs) << "after the logo";
      EXPECT_LE(gap, intervalMs + 500 + static_cast<int32_t>(decodeMs + revealMs));
    } else {
      EXPECT_EQ(gap, intervalMs) << "card " << card;
    }
    lastCardReveal = cardReveals[card];
  }
  EXPECT_GE(spotsRemoved, static_cast<int>(cardReveals.size()) - 1);
  EXPECT_LT(now, 0xFFFF8AD0u) << "the clock wrapped";
}

TEST(TransitionChoices, OddDissolvesEvenSweeps) {
  struct Case {
    TransitionChoice got;
    TransitionKind kind;
    int32_t tile, band, wave;
  } cases[] = {
      {RevealTransition(41, 640), TransitionKind::kDissolveTiles, 4, 0, 0},
      {RevealTransition(41, 800), TransitionKind::kDissolveTiles, 5, 0, 0},
      {RevealTransition(41, 152), TransitionKind::kDissolveTiles, 5, 0, 0},
      {RevealTransition(41, 639), TransitionKind::kDissolveTiles, 5, 0, 0},
      {RevealTransition(18466, 640), TransitionKind::kSweepBands, 5, 20, 5},
      {RevealTransition(0, 1024), TransitionKind::kSweepBands, 5, 20, 5},
      {FadeTransition(32767), TransitionKind::kDissolveTiles, 6, 0, 0},
      {FadeTransition(32766), TransitionKind::kSweepBands, 6, 20, 5},
      {SpotTransition(1), TransitionKind::kDissolveTiles, 3, 0, 0},
      {SpotTransition(2), TransitionKind::kSweepBands, 3, 15, 5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.got.kind, c.kind);
    EXPECT_EQ(c.got.tileW, c.tile);
    EXPECT_EQ(c.got.tileH, c.tile);
    if (c.kind == TransitionKind::kSweepBands) {
      EXPECT_EQ(c.got.bandWidth, c.band);
      EXPECT_EQ(c.got.wave, c.wave);
    }
  }
}

TEST(TransitionChoices, EveryNewPictureThreadStartsWithAnOddValue) {
  // A fresh thread's first value is 41: on a palette display the fade is
  // always FadeDissolve, without a palette the reveal always DissolveTiles.
  Lcg thread;
  EXPECT_EQ(FadeTransition(thread.Next()).kind, TransitionKind::kDissolveTiles);
  Lcg other;
  EXPECT_EQ(RevealTransition(other.Next(), 640).kind, TransitionKind::kDissolveTiles);
  // The fade reseeds the thread's generator with the tick count, so the
  // reveal after it follows from that tick.
  Lcg palette;
  FadeTransition(palette.Next());
  DissolveTilesOrder fade({0, 0, 640, 480, 6, 6}, 86400000, &palette);
  Lcg expected(86400000);
  expected.Next();
  EXPECT_EQ(palette.Next(), expected.Next());
}

}  // namespace
