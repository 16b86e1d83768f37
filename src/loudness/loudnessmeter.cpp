#include "loudness/loudnessmeter.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tp {

namespace {
// A gating block every step once there are 4; a short-term block every 10
// steps once there are 30.
constexpr uint64_t StepsBetweenShortTerms = 10;
}  // namespace

LoudnessMeter::LoudnessMeter(uint32_t channels, Peak peak) : channels_(channels), steps_(channels) {
  if (peak == Peak::True)
    for (uint32_t channel = 0; channel < channels; ++channel) peaks_.emplace_back(channels, channel);
}

void LoudnessMeter::Add(const int16_t* frames, size_t count) { addFrames(frames, count); }
void LoudnessMeter::Add(const float* frames, size_t count) { addFrames(frames, count); }

template <typename Sample>
void LoudnessMeter::addFrames(const Sample* frames, size_t count) {
  while (count > 0) {
    const size_t piece = steps_.AddUpToStepEnd(frames, count);
    for (TruePeakMeter& channel : peaks_) channel.Add(frames, piece);
    frames += piece * channels_;
    count -= piece;
    if (!steps_.StepEnded()) continue;
    const uint64_t steps = steps_.Steps();
    // The first blocks would reach back before the first frame.
    if (steps >= LoudnessSteps::StepsPerMomentary) gated_.AddBlock(steps_.MeanOfLast(LoudnessSteps::StepsPerMomentary));
    if (steps >= LoudnessSteps::StepsPerShortTerm &&
        (steps - LoudnessSteps::StepsPerShortTerm) % StepsBetweenShortTerms == 0)
      range_.AddBlock(steps_.MeanOfLast(LoudnessSteps::StepsPerShortTerm));
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
  result.rangeLu = range_.Range();
  if (!peaks_.empty()) {
    double peak = 0.0;
    for (const TruePeakMeter& channel : peaks_) peak = std::max(peak, channel.Peak());
    result.truePeakDbtp = PeakToDecibels(peak);
  }
  return result;
}

}  // namespace tp
