// The knob's angle arithmetic against values worked out by hand.
#include "controls/knobgeometry.h"

#include <gtest/gtest.h>

namespace {

using tp::KnobPointerEnd;
using tp::KnobPositionAt;

struct DragCase {
  const char* what;
  int dx, dy;  // from the centre, dy upward
  int position, max;
  std::optional<int> expected;
};

const DragCase kDragCases[] = {
    {"straight up is the middle", 0, 8, 0, 100, 50},
    {"straight left is a sixth of the sweep (t = pi/4)", -8, 0, 0, 127, 21},
    {"straight right is five sixths (t = 5pi/4)", 8, 0, 0, 127, 106},
    {"the lower-left end is 0", -8, -8, 60, 100, 0},
    {"the lower-right end is Max", 8, -8, 60, 100, 100},
    {"the upper left is a third of the sweep", -8, 8, 0, 120, 40},
    {"the centre changes nothing", 0, 0, 37, 100, std::nullopt},
    {"dead sector, left half, from the middle: 0", -1, -8, 50, 100, 0},
    {"dead sector, right half, from the middle: Max", 1, -8, 50, 100, 100},
    {"dead sector, left half, at Max: stays", -1, -8, 100, 100, 100},
    {"dead sector, right half, at Max: stays", 1, -8, 100, 100, 100},
    {"dead sector, right half, at 0: stays", 1, -8, 0, 100, 0},
    {"dead sector, straight down counts as the left half", 0, -8, 50, 100, 0},
};

class KnobDrag : public ::testing::TestWithParam<DragCase> {};

TEST_P(KnobDrag, SetsThePositionOfTheAngleOrSnapsToTheNearerEnd) {
  const DragCase& c = GetParam();
  EXPECT_EQ(KnobPositionAt(c.dx, c.dy, c.position, c.max), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Table, KnobDrag, ::testing::ValuesIn(kDragCases));

struct PointerCase {
  const char* what;
  int position, max;
  int dx, dy;
};

// On a 17 x 17 knob (cx = cy = 8): 8 * cos(pi/4) = 5.66, which rounds away
// from zero to 6; cos(pi/2) is 6e-17 and must come out as 0, not 1.
const PointerCase kPointerCases[] = {
    {"0 points to the lower left", 0, 100, -6, -6},
    {"the middle points straight up", 50, 100, 0, 8},
    {"Max points to the lower right", 100, 100, 6, -6},
    {"a third points to the upper left", 40, 120, -6, 6},
    {"Max 0 points at the start instead of dividing by zero", 0, 0, -6, -6},
};

class KnobPointer : public ::testing::TestWithParam<PointerCase> {};

TEST_P(KnobPointer, EndsWhereThePositionsAngleRoundedAwayFromZeroSays) {
  const PointerCase& c = GetParam();
  const tp::KnobOffset end = KnobPointerEnd(c.position, c.max, 8, 8);
  EXPECT_EQ(end.dx, c.dx) << c.what;
  EXPECT_EQ(end.dy, c.dy) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Table, KnobPointer, ::testing::ValuesIn(kPointerCases));

}  // namespace
