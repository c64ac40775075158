#include "saver/input_motion.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(MovementFires, TheFirstPositionIsTheStartAndNeverFires) {
  MotionTracker t;
  EXPECT_FALSE(MovementFires(&t, 500, 400));
  EXPECT_TRUE(t.started);
  EXPECT_EQ(t.startX, 500);
  EXPECT_EQ(t.startY, 400);
}

TEST(MovementFires, ThreePixelsInAllDoNotFourDo) {
  MotionTracker t;
  MovementFires(&t, 500, 400);
  EXPECT_FALSE(MovementFires(&t, 501, 400));
  EXPECT_FALSE(MovementFires(&t, 502, 401));  // 3 in all
  EXPECT_FALSE(MovementFires(&t, 497, 400));
  EXPECT_FALSE(MovementFires(&t, 500, 403));
  EXPECT_FALSE(MovementFires(&t, 499, 398));
  EXPECT_TRUE(MovementFires(&t, 502, 402));  // 4
  EXPECT_TRUE(MovementFires(&t, 504, 400));
  EXPECT_TRUE(MovementFires(&t, 496, 400));
  EXPECT_TRUE(MovementFires(&t, 500, 396));
  // The start point stays where it was, whatever came between.
  EXPECT_FALSE(MovementFires(&t, 500, 400));
  EXPECT_EQ(t.startX, 500);
}

TEST(MovementFires, FarCoordinatesDoNotOverflow) {
  MotionTracker t;
  MovementFires(&t, INT_MIN, INT_MIN);
  EXPECT_TRUE(MovementFires(&t, INT_MAX, INT_MAX));
  MotionTracker u;
  MovementFires(&u, INT_MAX, 0);
  EXPECT_FALSE(MovementFires(&u, INT_MAX, 3));
}

TEST(NudgeMoved, EitherCoordinateOneFurtherCounts) {
  EXPECT_TRUE(NudgeMoved(10, 10, 11, 11));
  EXPECT_TRUE(NudgeMoved(10, 767, 11, 767));       // bottom edge: only x moved
  EXPECT_TRUE(NudgeMoved(1023, 10, 1023, 11));     // right edge: only y moved
  EXPECT_FALSE(NudgeMoved(1023, 767, 1023, 767));  // the corner: it did not move
  EXPECT_FALSE(NudgeMoved(INT_MAX, INT_MAX, INT_MAX, INT_MAX));
}

TEST(NudgeMoved, ClicksInTheCornerAlternateAndNeverFire) {
  // The cursor rests in the bottom-right corner of a 1024 x 768 screen, the
  // start point recorded there; each click nudges, and the cursor is clipped
  // to the screen.
  auto clip = [](int32_t v, int32_t limit) { return v < 0 ? 0 : v > limit ? limit : v; };
  MotionTracker t;
  int32_t x = 1023, y = 767;
  MovementFires(&t, x, y);
  for (int click = 0; click < 10; ++click) {
    int32_t qx = clip(x + 1, 1023), qy = clip(y + 1, 767);
    if (!NudgeMoved(x, y, qx, qy)) {
      qx = clip(x - 1, 1023);
      qy = clip(y - 1, 767);
    }
    x = qx;
    y = qy;
    EXPECT_FALSE(MovementFires(&t, x, y)) << "click " << click;
    EXPECT_EQ(x, click % 2 == 0 ? 1022 : 1023);
  }
}

TEST(NudgeMoved, ASecondClickInTheOpenFires) {
  MotionTracker t;
  MovementFires(&t, 300, 300);
  EXPECT_FALSE(MovementFires(&t, 301, 301));  // the first click: 2
  EXPECT_TRUE(MovementFires(&t, 302, 302));   // the second: 4
}

}  // namespace
