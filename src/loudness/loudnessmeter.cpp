#include "loudness/loudnessmeter.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace tp {

namespace {
constexpr unsigned long SampleRate = 44100;
}

LoudnessMeter::LoudnessMeter(uint32_t channels, Peak peak) : channels_(channels), peak_(peak) {
  int mode = EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_HISTOGRAM;
  if (peak == Peak::True) mode |= EBUR128_MODE_TRUE_PEAK;
  state_ = ebur128_init(channels, SampleRate, mode);
  if (!state_) throw std::bad_alloc();
}

LoudnessMeter::~LoudnessMeter() { ebur128_destroy(&state_); }

void LoudnessMeter::Add(const int16_t* frames, size_t count) {
  if (count > 0) ebur128_add_frames_short(state_, frames, count);
}

double PeakToDecibels(double linear) {
  return linear > 0.0 ? 20.0 * std::log10(linear) : -std::numeric_limits<double>::infinity();
}

Loudness LoudnessMeter::Result() const {
  Loudness result;
  double integrated = 0.0;
  // Nothing above the absolute gate (-70 LUFS): silence, which has no
  // loudness, no range and no peak worth a number.
  if (ebur128_loudness_global(state_, &integrated) != EBUR128_SUCCESS || !std::isfinite(integrated)) return result;
  result.integratedLufs = integrated;
  double range = 0.0;
  if (ebur128_loudness_range(state_, &range) == EBUR128_SUCCESS && std::isfinite(range)) result.rangeLu = range;
  else result.rangeLu = 0.0;
  if (peak_ == Peak::True) {
    double peak = 0.0;
    for (uint32_t channel = 0; channel < channels_; ++channel) {
      double channelPeak = 0.0;
      if (ebur128_true_peak(state_, channel, &channelPeak) == EBUR128_SUCCESS) peak = std::max(peak, channelPeak);
    }
    result.truePeakDbtp = PeakToDecibels(peak);
  }
  return result;
}

}  // namespace tp
