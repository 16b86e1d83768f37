#include "controls/knobgeometry.h"

#include <cmath>

namespace tp {

namespace {

// The constants exactly as the knob has always used them; rounding a drag to
// a whole Position depends on their last digits.
constexpr double kFiveQuarterPi = 3.9269908169872414;
constexpr double kThreeQuarterPi = 2.356194490192345;
constexpr double kQuarterPi = 0.7853981633974483;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kTwoOverThreePi = 0.2122065907891938;

// Cut to hundredths first, so that a cosine of 1e-16 counts as 0 and does not
// round up to a whole pixel; then away from zero only for positive values.
int WholePixel(double offset) {
  const double hundredths = std::trunc(offset * 100) * 0.01;
  return int(hundredths > 0 ? std::ceil(hundredths) : std::floor(hundredths));
}

}  // namespace

KnobOffset KnobPointerEnd(int position, int max, int cx, int cy) {
  const double fraction = max > 0 ? double(position) / max : 0.0;
  const double theta = fraction * 3 * M_PI / 2 - M_PI / 4;
  return {WholePixel(-std::cos(theta) * cx), WholePixel(std::sin(theta) * cy)};
}

std::optional<int> KnobPositionAt(int dx, int dy, int position, int max) {
  if (dx == 0 && dy == 0) return std::nullopt;
  const double a = std::atan2(double(dy), double(dx));  // 0 right, pi/2 up

  double travel;  // 0 at the Position 0 end, 3pi/2 at the Max end
  if (a >= -kQuarterPi) {  // the upper half and the lower right, up to the Max end
    travel = kFiveQuarterPi - a;
  } else if (a <= -kThreeQuarterPi) {  // the lower left, down to the Position 0 end
    travel = -a - kThreeQuarterPi;
  } else if (a <= -kHalfPi) {  // dead sector, nearer the Position 0 end
    return position == max ? position : 0;
  } else {  // dead sector, nearer the Max end
    return position == 0 ? position : max;
  }
  return int(travel * kTwoOverThreePi * max + 0.5);
}

}  // namespace tp
