// The screen saver's input test: when a mouse movement ends the saver, and
// where a click nudges the cursor. Positions are screen coordinates.
#pragma once

#include <cstdint>

// Total movement (horizontal plus vertical distance from the start point)
// beyond this ends the saver.
constexpr int32_t kMovementThreshold = 3;

// The start point is the first position seen and is never reset.
struct MotionTracker {
  bool started = false;
  int32_t startX = 0;
  int32_t startY = 0;
  int32_t threshold = kMovementThreshold;
};

// The movement test for the cursor at x, y: the first call records the start
// point and never fires; later calls fire when |x - start x| + |y - start y|
// is greater than the threshold. 64-bit sums: no coordinate overflows them.
bool MovementFires(MotionTracker* tracker, int32_t x, int32_t y);

// The nudge of a button press: the cursor at px, py is set one pixel right
// and down, and read back as qx, qy. It has moved when either coordinate
// went up by one; when it could not (the bottom-right corner), it is set one
// pixel up and left instead.
bool NudgeMoved(int32_t px, int32_t py, int32_t qx, int32_t qy);
