#include "mix/levels.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tp {

int32_t ScaledPeak(const int16_t* samples, size_t count, int32_t gain) {
  if (count == 0) return 0;
  int16_t lowest = samples[0], highest = samples[0];
  for (size_t n = 1; n < count; ++n) {
    lowest = std::min(lowest, samples[n]);
    highest = std::max(highest, samples[n]);
  }
  // The scaling is monotonic for a gain of 0 or more, so the extremes of the
  // scaled samples are the scaled extremes; the shift rounds toward minus
  // infinity, which is why the low side is scaled before its sign flips.
  const int32_t high = (int32_t(highest) * gain) >> 13;
  const int32_t low = (int32_t(lowest) * gain) >> 13;
  return std::max({high, -low, int32_t(0)});
}

std::array<int32_t, 2> StereoPeaks(const int16_t* stereoBlock, size_t frames) {
  int32_t left = 0, right = 0;
  for (size_t n = 0; n < frames; ++n) {
    left = std::max(left, std::abs(int32_t(stereoBlock[2 * n])));
    right = std::max(right, std::abs(int32_t(stereoBlock[2 * n + 1])));
  }
  return {left, right};
}

double PeakDecibels(int32_t peak) {
  if (peak <= 0) return -std::numeric_limits<double>::infinity();
  return 20.0 * std::log10(double(peak) / 32768.0);
}

}  // namespace tp
