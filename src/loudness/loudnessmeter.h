// One measurement of interleaved 16-bit frames at 44,100 Hz: integrated
// loudness and loudness range, and the true peak when asked. The sound is
// K-weighted and its energy summed every 100 ms; the gating blocks are
// gated to a hundredth of a LU (GatedLoudness), the short-term blocks give
// the range (LoudnessRange). Both keep histograms rather than every
// block's loudness, so memory is the same for a minute and for a day of
// sound.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "loudness/gatedloudness.h"
#include "loudness/kweighting.h"
#include "loudness/loudness.h"
#include "loudness/loudnessrange.h"
#include "loudness/truepeak.h"

namespace tp {

class LoudnessMeter {
 public:
  // The true peak (four times oversampled) costs about what the rest of
  // the measurement costs; a measurement that knows its peak otherwise
  // skips it.
  enum class Peak { True, NotMeasured };
  LoudnessMeter(uint32_t channels, Peak peak);

  void Add(const int16_t* frames, size_t count);
  // The measurement so far. Without Peak::True the true peak is left empty.
  Loudness Result() const;

 private:
  void endStep();
  double meanOfLastSteps(uint64_t steps) const;

  uint32_t channels_;
  KWeighting weighting_;
  std::vector<TruePeakMeter> peaks_;  // one per channel with Peak::True
  GatedLoudness gated_;
  LoudnessRange range_;
  std::array<double, 30> lastSteps_{};  // the weighted squares of the last 30 steps
  double stepSquares_ = 0.0;            // of the step under way
  size_t framesIntoStep_ = 0;           // frames since the last 100 ms step
  uint64_t steps_ = 0;                  // 100 ms steps so far
};

// A linear peak (1.0 full scale) in decibels; -infinity for silence.
double PeakToDecibels(double linear);

}  // namespace tp
