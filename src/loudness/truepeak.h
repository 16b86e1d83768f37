// The true peak of one channel of interleaved 16-bit frames: the highest
// magnitude of the sound four times oversampled, as a meter to BS.1770
// reads it between the samples. The oversampling filter is a 49-tap
// windowed sinc (Hann window) split into four phases; the phase that lands
// on the samples is the sample itself, so the true peak is never below the
// sample peak. It is our own rather than libebur128's true-peak mode, which
// filters in double precision and sample by sample and cost more than the
// whole export it measures; this one filters a block at a time in single
// precision, which the compiler runs four or eight samples at once, and
// agrees with libebur128's to a few thousandths of a decibel.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tp {

class TruePeakMeter {
 public:
  TruePeakMeter(uint32_t channels, uint32_t channel);

  void Add(const int16_t* frames, size_t count);
  // The highest so far, linear (1.0 full scale).
  double Peak() const { return peak_; }

  static constexpr size_t TapsPerPhase = 12;

 private:
  static constexpr size_t ChunkFrames = 1024;
  void addChunk(const int16_t* frames, size_t count);

  uint32_t channels_, channel_;
  // The channel's last TapsPerPhase - 1 samples, then the chunk being
  // filtered: the filter reaches back into the previous chunk.
  std::array<float, TapsPerPhase - 1 + ChunkFrames> samples_{};
  std::array<float, ChunkFrames> filtered_{};
  std::array<float, ChunkFrames> highest_{};
  float peak_ = 0.0f;
};

}  // namespace tp
