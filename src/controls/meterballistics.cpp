#include "controls/meterballistics.h"

namespace tp {

void MeterBallistics::Update(double peakDecibels, double seconds) {
  const double peak = std::max(peakDecibels, MeterFloorDecibels);
  const double fall = FallDecibelsPerSecond * std::max(seconds, 0.0);
  level_ = std::max({peak, level_ - fall, MeterFloorDecibels});
  if (peak >= hold_) {
    hold_ = peak;
    holdAge_ = 0;
    return;
  }
  // The part of this update that lies past the hold time is spent falling.
  const double heldBefore = holdAge_;
  holdAge_ += std::max(seconds, 0.0);
  if (holdAge_ <= HoldSeconds) return;
  const double falling = holdAge_ - std::max(heldBefore, HoldSeconds);
  hold_ = std::max({hold_ - FallDecibelsPerSecond * falling, level_, MeterFloorDecibels});
}

}  // namespace tp
