// The band-limited peak of a channel, worked out the slow way: the sound
// sixteen times oversampled through a 8,193-tap windowed sinc (512 samples
// each side, Kaiser beta 10) in double precision, at every point. Far
// longer and finer than any meter can afford, it is what a true peak
// should read, and what a ceiling has to hold.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <vector>

namespace tp::test {

inline double BandLimitedPeak(const std::vector<double>& samples) {
  constexpr int Phases = 16, Reach = 512;
  constexpr double Beta = 10.0;
  // taps[phase][k]: the weight of the sample k - Reach away from the
  // point phase / 16 after a sample.
  std::vector<std::vector<double>> taps(Phases, std::vector<double>(2 * Reach + 1));
  for (int phase = 0; phase < Phases; ++phase)
    for (int k = 0; k <= 2 * Reach; ++k) {
      const double t = double(k - Reach) + double(phase) / Phases;
      const double sinc = t == 0.0 ? 1.0 : std::sin(std::numbers::pi * t) / (std::numbers::pi * t);
      const double ratio = t / (Reach + 1);
      const double window = ratio * ratio >= 1.0 ? 0.0
                                                 : std::cyl_bessel_i(0.0, Beta * std::sqrt(1.0 - ratio * ratio)) /
                                                       std::cyl_bessel_i(0.0, Beta);
      taps[size_t(phase)][size_t(k)] = sinc * window;
    }
  // The largest weight each sample can get at any phase: a stretch whose
  // samples times these cannot exceed the peak found needs no closer look
  // (a bound, not an estimate: it only saves time).
  std::vector<double> largestTap(2 * Reach + 1, 0.0);
  for (const auto& phase : taps)
    for (size_t k = 0; k < phase.size(); ++k) largestTap[k] = std::max(largestTap[k], std::fabs(phase[k]));
  double peak = 0.0;
  const long count = long(samples.size());
  // From before the first sample to after the last: the ringing of the
  // sound's edges belongs to it.
  for (long at = -Reach; at < count + Reach; ++at) {
    const long first = std::max(0L, at - Reach), end = std::min(count, at + Reach + 1);
    double bound = 0.0;
    for (long n = first; n < end; ++n) bound += std::fabs(samples[size_t(n)]) * largestTap[size_t(at - n + Reach)];
    if (bound <= peak) continue;
    for (int phase = 0; phase < Phases; ++phase) {
      double sum = 0.0;
      for (long n = first; n < end; ++n) sum += samples[size_t(n)] * taps[size_t(phase)][size_t(at - n + Reach)];
      peak = std::max(peak, std::fabs(sum));
    }
  }
  return peak;
}

// One channel of interleaved 16-bit frames, full scale 1.0.
inline double BandLimitedPeak(const std::vector<int16_t>& frames, uint32_t channels, uint32_t channel) {
  std::vector<double> samples;
  for (size_t i = channel; i < frames.size(); i += channels) samples.push_back(frames[i] / 32768.0);
  return BandLimitedPeak(samples);
}

}  // namespace tp::test
