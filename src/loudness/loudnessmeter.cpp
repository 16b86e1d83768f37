#include "loudness/loudnessmeter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace tp {

namespace {
constexpr size_t SampleRate = 44100;
// A step is 100 ms. A gating block is the last 4 steps, one every step;
// a short-term block the last 30, one every 10 steps.
constexpr size_t FramesPerStep = SampleRate / 10;
constexpr uint64_t StepsPerBlock = 4;
constexpr uint64_t StepsPerShortTerm = 30, StepsBetweenShortTerms = 10;
}  // namespace

LoudnessMeter::LoudnessMeter(uint32_t channels, Peak peak) : channels_(channels), weighting_(channels) {
  if (peak == Peak::True)
    for (uint32_t channel = 0; channel < channels; ++channel) peaks_.emplace_back(channels, channel);
}

void LoudnessMeter::Add(const int16_t* frames, size_t count) {
  while (count > 0) {
    const size_t piece = std::min(count, FramesPerStep - framesIntoStep_);
    stepSquares_ += weighting_.AddSquares(frames, piece);
    for (TruePeakMeter& channel : peaks_) channel.Add(frames, piece);
    frames += piece * channels_;
    count -= piece;
    framesIntoStep_ += piece;
    if (framesIntoStep_ == FramesPerStep) endStep();
  }
}

void LoudnessMeter::endStep() {
  lastSteps_[steps_ % lastSteps_.size()] = stepSquares_;
  stepSquares_ = 0.0;
  framesIntoStep_ = 0;
  weighting_.FlushTinyStates();
  ++steps_;
  // The first blocks would reach back before the first frame.
  if (steps_ >= StepsPerBlock) gated_.AddBlock(meanOfLastSteps(StepsPerBlock));
  if (steps_ >= StepsPerShortTerm && (steps_ - StepsPerShortTerm) % StepsBetweenShortTerms == 0)
    range_.AddBlock(meanOfLastSteps(StepsPerShortTerm));
}

double LoudnessMeter::meanOfLastSteps(uint64_t steps) const {
  double squares = 0.0;
  for (uint64_t back = 1; back <= steps; ++back) squares += lastSteps_[(steps_ - back) % lastSteps_.size()];
  return squares / double(steps * FramesPerStep);
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
  result.rangeLu = range_.Range();
  if (!peaks_.empty()) {
    double peak = 0.0;
    for (const TruePeakMeter& channel : peaks_) peak = std::max(peak, channel.Peak());
    result.truePeakDbtp = PeakToDecibels(peak);
  }
  return result;
}

}  // namespace tp
