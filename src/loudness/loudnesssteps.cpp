#include "loudness/loudnesssteps.h"

#include <algorithm>

namespace tp {

size_t LoudnessSteps::AddUpToStepEnd(const int16_t* frames, size_t count) { return addUpToStepEnd(frames, count); }
size_t LoudnessSteps::AddUpToStepEnd(const float* frames, size_t count) { return addUpToStepEnd(frames, count); }

template <typename Sample>
size_t LoudnessSteps::addUpToStepEnd(const Sample* frames, size_t count) {
  const size_t piece = std::min(count, FramesPerStep - framesIntoStep_);
  squares_ += weighting_.AddSquares(frames, piece);
  framesIntoStep_ += piece;
  if (framesIntoStep_ == FramesPerStep) {
    last_[steps_ % last_.size()] = squares_;
    squares_ = 0.0;
    framesIntoStep_ = 0;
    weighting_.FlushTinyStates();
    ++steps_;
  }
  return piece;
}

double LoudnessSteps::MeanOfLast(uint64_t steps) const {
  double squares = 0.0;
  for (uint64_t back = 1; back <= steps; ++back) squares += last_[(steps_ - back) % last_.size()];
  return squares / double(steps * FramesPerStep);
}

}  // namespace tp
