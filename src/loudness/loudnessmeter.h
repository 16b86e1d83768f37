// One measurement of interleaved 16-bit frames at 44,100 Hz: integrated
// loudness and loudness range, and the true peak when asked. libebur128
// filters and measures the loudness, TruePeakMeter the peak; the gating
// blocks, read every 100 ms, are gated
// here (GatedLoudness) to a hundredth of a LU. Both keep histograms rather
// than every block's loudness, so memory is the same for a minute and for a
// day of sound.
#pragma once

#include <ebur128.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "loudness/gatedloudness.h"
#include "loudness/loudness.h"
#include "loudness/truepeak.h"

namespace tp {

class LoudnessMeter {
 public:
  // The true peak (four times oversampled) costs about what the rest of
  // the measurement costs; a measurement that knows its peak otherwise
  // skips it.
  enum class Peak { True, NotMeasured };
  LoudnessMeter(uint32_t channels, Peak peak);
  ~LoudnessMeter();
  LoudnessMeter(const LoudnessMeter&) = delete;
  LoudnessMeter& operator=(const LoudnessMeter&) = delete;

  void Add(const int16_t* frames, size_t count);
  // The measurement so far. Without Peak::True the true peak is left empty.
  Loudness Result() const;

 private:
  ebur128_state* state_ = nullptr;
  uint32_t channels_;
  std::vector<TruePeakMeter> peaks_;  // one per channel with Peak::True
  GatedLoudness gated_;
  size_t framesIntoStep_ = 0;  // frames since the last 100 ms step
  uint64_t steps_ = 0;         // 100 ms steps so far
};

// A linear peak (1.0 full scale) in decibels; -infinity for silence.
double PeakToDecibels(double linear);

}  // namespace tp
