// The true peak of one channel of interleaved frames: the highest magnitude
// of the band-limited sound between the samples, which is what a normalised
// file's ceiling has to hold.
//
// BS.1770's meter (four times oversampled through a 49-tap filter, which
// libebur128 uses too) reads up to about 0.7 dB low between samples near
// the top of the band: a file normalised to its ceiling then goes above it.
// So the peak is measured in two steps. That short filter runs over every
// sample, a block at a time in single precision (four or eight samples at
// once); it only says where the peak could be. Wherever it comes within
// SearchMargin of the highest found so far, the stretch between two samples
// is measured sixteen times oversampled through a 1,025-tap Kaiser-windowed
// sinc. The long filter only runs near the loudest moments of a sound, so
// the measurement costs little more than the short filter alone.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tp {

class TruePeakMeter {
 public:
  TruePeakMeter(uint32_t channels, uint32_t channel);

  void Add(const int16_t* frames, size_t count);
  // Samples wider than 16 bits (a mix before its final rounding), full
  // scale 1.0.
  void Add(const float* frames, size_t count);
  // The highest so far, linear (1.0 full scale), as if silence followed.
  double Peak() const;

  // The long filter reaches this many samples ahead of the stretch it
  // measures, so the measurement runs this far behind the newest sample.
  static constexpr size_t Delay = 32;
  static constexpr size_t FinePhases = 16;

 private:
  static constexpr size_t ChunkFrames = 1024;
  static constexpr size_t History = 2 * Delay;
  template <typename Sample>
  void addSamples(const Sample* frames, size_t count);
  void measureChunk(size_t count);

  uint32_t channels_, channel_;
  // The channel's last History samples, then the chunk being measured.
  std::array<float, History + ChunkFrames> samples_{};
  std::array<float, ChunkFrames> filtered_{};
  std::array<float, ChunkFrames> roughPeak_{};  // the short filter's highest in each stretch
  float peak_ = 0.0f;
};

}  // namespace tp
