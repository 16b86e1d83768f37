// The K-weighted energy of a sound in steps of 100 ms, the grain of every
// loudness to EBU R128: a gating block is the last 4 steps, a short-term
// block the last 30. Keeps the last 30 steps and nothing more, so memory is
// the same for a second and for a day.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "loudness/kweighting.h"

namespace tp {

class LoudnessSteps {
 public:
  static constexpr size_t FramesPerStep = 44100 / 10;
  static constexpr uint64_t StepsPerMomentary = 4, StepsPerShortTerm = 30;

  explicit LoudnessSteps(uint32_t channels) : weighting_(channels) {}

  // Filters up to the end of the step under way and returns how many of
  // `count` frames that took; `StepEnded` then says whether it ended.
  size_t AddUpToStepEnd(const int16_t* frames, size_t count);
  size_t AddUpToStepEnd(const float* frames, size_t count);  // full scale 1.0
  bool StepEnded() const { return framesIntoStep_ == 0 && steps_ > 0; }
  uint64_t Steps() const { return steps_; }
  // The mean square of the last `steps` whole steps (channels weighted);
  // at most StepsPerShortTerm, and no more than have been.
  double MeanOfLast(uint64_t steps) const;

 private:
  template <typename Sample>
  size_t addUpToStepEnd(const Sample* frames, size_t count);

  KWeighting weighting_;
  std::array<double, StepsPerShortTerm> last_{};  // the weighted squares of the last steps
  double squares_ = 0.0;                          // of the step under way
  size_t framesIntoStep_ = 0;
  uint64_t steps_ = 0;
};

}  // namespace tp
