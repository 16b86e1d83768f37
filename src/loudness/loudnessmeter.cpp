#include "loudness/loudnessmeter.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace tp {

namespace {
constexpr unsigned long SampleRate = 44100;
// A gating block is 400 ms long and one starts every 100 ms.
constexpr size_t FramesPerStep = SampleRate / 10;
constexpr uint64_t StepsPerBlock = 4;
}  // namespace

LoudnessMeter::LoudnessMeter(uint32_t channels, Peak peak) : channels_(channels) {
  // The momentary loudness after each 100 ms step is the gating block that
  // ends there; the range keeps its own histogram.
  int mode = EBUR128_MODE_M | EBUR128_MODE_LRA | EBUR128_MODE_HISTOGRAM;
  if (peak == Peak::True)
    for (uint32_t channel = 0; channel < channels; ++channel) peaks_.emplace_back(channels, channel);
  state_ = ebur128_init(channels, SampleRate, mode);
  if (!state_) throw std::bad_alloc();
}

LoudnessMeter::~LoudnessMeter() { ebur128_destroy(&state_); }

void LoudnessMeter::Add(const int16_t* frames, size_t count) {
  while (count > 0) {
    const size_t piece = std::min(count, FramesPerStep - framesIntoStep_);
    ebur128_add_frames_short(state_, frames, piece);
    for (TruePeakMeter& channel : peaks_) channel.Add(frames, piece);
    frames += piece * channels_;
    count -= piece;
    framesIntoStep_ += piece;
    if (framesIntoStep_ < FramesPerStep) continue;
    framesIntoStep_ = 0;
    // The first blocks would reach back before the first frame.
    if (++steps_ < StepsPerBlock) continue;
    double momentary = 0.0;
    ebur128_loudness_momentary(state_, &momentary);
    gated_.AddBlock(std::isfinite(momentary) ? GatedLoudness::Energy(momentary) : 0.0);
  }
}

double PeakToDecibels(double linear) {
  return linear > 0.0 ? 20.0 * std::log10(linear) : -std::numeric_limits<double>::infinity();
}

Loudness LoudnessMeter::Result() const {
  Loudness result;
  // Nothing above the absolute gate (-70 LUFS): silence, which has no
  // loudness, no range and no peak worth a number.
  result.integratedLufs = gated_.Integrated();
  if (!result.integratedLufs) return result;
  double range = 0.0;
  if (ebur128_loudness_range(state_, &range) == EBUR128_SUCCESS && std::isfinite(range)) result.rangeLu = range;
  else result.rangeLu = 0.0;
  if (!peaks_.empty()) {
    double peak = 0.0;
    for (const TruePeakMeter& channel : peaks_) peak = std::max(peak, channel.Peak());
    result.truePeakDbtp = PeakToDecibels(peak);
  }
  return result;
}

}  // namespace tp
