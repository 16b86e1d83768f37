// One measurement of interleaved 16-bit frames at 44,100 Hz: integrated
// loudness and loudness range, and the true peak when asked. The sound's
// K-weighted energy is summed every 100 ms (LoudnessSteps); the gating blocks are
// gated to a hundredth of a LU (GatedLoudness), the short-term blocks give
// the range (LoudnessRange). Both keep histograms rather than every
// block's loudness, so memory is the same for a minute and for a day of
// sound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "loudness/gatedloudness.h"
#include "loudness/loudness.h"
#include "loudness/loudnessrange.h"
#include "loudness/loudnesssteps.h"
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
  // Samples wider than 16 bits, full scale 1.0.
  void Add(const float* frames, size_t count);
  // The measurement so far. Without Peak::True the true peak is left empty.
  Loudness Result() const;

 private:
  template <typename Sample>
  void addFrames(const Sample* frames, size_t count);

  uint32_t channels_;
  LoudnessSteps steps_;
  std::vector<TruePeakMeter> peaks_;  // one per channel with Peak::True
  GatedLoudness gated_;
  LoudnessRange range_;
};

// A linear peak (1.0 full scale) in decibels; -infinity for silence.
double PeakToDecibels(double linear);

}  // namespace tp
