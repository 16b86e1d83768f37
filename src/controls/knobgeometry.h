// The rotary control's angle arithmetic, apart from the widget so that it can
// be checked against values worked out by hand.
//
// The knob sweeps 270 degrees clockwise: Position 0 points to the lower left
// (7:30 on a clock face), Max / 2 straight up and Max to the lower right
// (4:30). The quarter below the centre between the two ends is dead.
#pragma once

#include <optional>

namespace tp {

struct KnobOffset {
  int dx = 0;  // to the right
  int dy = 0;  // upward
};

// Where the pointer line ends, relative to the centre (cx, cy) = (width / 2,
// height / 2), for `position` of `max`. A max of 0 or less points at the
// start of the sweep instead of dividing by zero.
KnobOffset KnobPointerEnd(int position, int max, int cx, int cy);

// The Position a drag sets when the pointer is (dx, dy) from the centre, dy
// growing upward; nothing (no change, no event) when the pointer is exactly
// on the centre. Inside the dead sector the knob snaps to the nearer end, but
// never straight from one end to the other.
std::optional<int> KnobPositionAt(int dx, int dy, int position, int max);

}  // namespace tp
