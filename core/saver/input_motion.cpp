#include "saver/input_motion.h"

bool MovementFires(MotionTracker* tracker, int32_t x, int32_t y) {
  if (!tracker->started) {
    tracker->started = true;
    tracker->startX = x;
    tracker->startY = y;
    return false;
  }
  int64_t dx = static_cast<int64_t>(x) - tracker->startX;
  int64_t dy = static_cast<int64_t>(y) - tracker->startY;
  if (dx < 0) dx = -dx;
  if (dy < 0) dy = -dy;
  return dx + dy > tracker->threshold;
}

bool NudgeMoved(int32_t px, int32_t py, int32_t qx, int32_t qy) {
  return static_cast<int64_t>(qx) == static_cast<int64_t>(px) + 1 ||
         static_cast<int64_t>(qy) == static_cast<int64_t>(py) + 1;
}
