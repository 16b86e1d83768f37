// How a level meter moves: it jumps up to a new peak at once and falls back
// at a steady rate, so that short peaks stay readable, while a hold mark
// stays at the highest recent peak for a moment before it falls too. The
// arithmetic is here, apart from the widget and free of any clock, so that
// the caller hands in the time that passed and a test can too.
#pragma once

#include <algorithm>

namespace tp {

// The scale of every meter: from -60 dBFS at its left end to 0 dBFS at its right.
constexpr double MeterFloorDecibels = -60.0;

// Where `decibels` lies along the scale, from 0 at the left end to 1 at the right.
inline double MeterFraction(double decibels) {
  return std::clamp((decibels - MeterFloorDecibels) / -MeterFloorDecibels, 0.0, 1.0);
}

class MeterBallistics {
 public:
  static constexpr double HoldSeconds = 1.5;
  static constexpr double FallDecibelsPerSecond = 20.0;

  // `peakDecibels` is the highest peak since the last update (-infinity for
  // silence), `seconds` the time since then.
  void Update(double peakDecibels, double seconds);
  // Back to the floor at once (a new audition).
  void Reset() { *this = MeterBallistics(); }

  double Level() const { return level_; }
  double Hold() const { return hold_; }
  // Both at the floor: nothing left to draw or to let fall.
  bool AtRest() const { return level_ <= MeterFloorDecibels && hold_ <= MeterFloorDecibels; }

 private:
  double level_ = MeterFloorDecibels;
  double hold_ = MeterFloorDecibels;
  double holdAge_ = 0;  // seconds since the hold mark was set
};

}  // namespace tp
