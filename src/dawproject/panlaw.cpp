#include "dawproject/panlaw.h"

#include <algorithm>

#include "mix/mixer.h"

namespace tp {

namespace {

double mixerGain(int volumePosition, int panIndex) {
  const int32_t volume = VolumeTable[std::clamp(volumePosition, 0, 127)];
  return double((volume * PanTable[std::clamp(panIndex, 0, 100)]) >> 13) / 8192.0;
}

// The azimuth whose two sides stand in the ratio right : left. The share
// of the right grows and that of the left shrinks with the azimuth, so
// their ratio rises monotonically: bisection to the last bit of a double.
double azimuthFor(double left, double right) {
  if (right <= 0) return 0.0;
  if (left <= 0) return 1.0;
  double low = 0.0, high = 1.0;
  for (int step = 0; step < 64; ++step) {
    const double middle = (low + high) / 2;
    // right/left < f(a)/f(1−a)  ⇔  right·f(1−a) < left·f(a), without dividing by zero.
    if (right * MonoPanLawSide(1 - middle) < left * MonoPanLawSide(middle))
      high = middle;
    else
      low = middle;
  }
  return (low + high) / 2;
}

}  // namespace

double MonoPanLawSide(double x) { return x * (MonoPanLawSlope * x + 1 - MonoPanLawSlope); }

double MixerLeftGain(int volumePosition, int panPosition) { return mixerGain(volumePosition, panPosition); }

double MixerRightGain(int volumePosition, int panPosition) {
  return mixerGain(volumePosition, 100 - std::clamp(panPosition, 0, 100));
}

MonoStripGains SolveMonoStrip(int volumePosition, int panPosition) {
  const double left = MixerLeftGain(volumePosition, panPosition);
  const double right = MixerRightGain(volumePosition, panPosition);
  MonoStripGains gains;
  if (left <= 0 && right <= 0) {
    gains.fader = 0.0;
    return gains;
  }
  gains.azimuth = azimuthFor(left, right);
  // Taken from the louder side, where the share is largest and the
  // division loses least.
  const double amplitude = left >= right ? left / MonoPanLawSide(1 - gains.azimuth)
                                         : right / MonoPanLawSide(gains.azimuth);
  gains.fader = std::min(amplitude, FaderTop);
  gains.trim = std::clamp(amplitude / gains.fader, TrimBottom, TrimTop);
  return gains;
}

}  // namespace tp
