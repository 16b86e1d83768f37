// Reduction of float samples to the takes' 16 bits with triangular (TPDF)
// dither: the sum of two uniform values of one step each, added before
// rounding, makes the rounding error a steady noise instead of distortion
// that follows the signal. The generator starts from a fixed seed so that
// one source always gives the same take, byte for byte.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tp {

class TpdfDither {
 public:
  static constexpr uint64_t DefaultSeed = 0x5EED'7AC0'44A1'0016ull;
  explicit TpdfDither(uint64_t seed = DefaultSeed) : seed_(seed), state_(seed) {}

  // Goes on as if `samples` samples had been quantised since the seed, so
  // that a worker starting in the middle of a file dithers each sample as
  // one thread going from the start would (the generator only counts).
  void SkipTo(uint64_t samples) { state_ = seed_ + samples * Increment; }

  // `sample` has full scale +-1.0; beyond it the result is clipped.
  int16_t Quantise(float sample) {
    uint64_t clipped = 0;
    return Quantise(sample, clipped);
  }
  // The same, adding one to `clipped` when the result had to be clipped.
  int16_t Quantise(float sample, uint64_t& clipped) {
    const uint64_t bits = next();
    // Two 32-bit uniforms in [0, 1), their sum less one: -1 to +1 steps.
    const double noise = double(uint32_t(bits)) * TwoToMinus32 + double(uint32_t(bits >> 32)) * TwoToMinus32 - 1.0;
    const double value = std::floor(double(sample) * 32768.0 + noise + 0.5);
    const double kept = std::clamp(value, -32768.0, 32767.0);
    clipped += kept != value;
    return int16_t(kept);
  }

 private:
  static constexpr double TwoToMinus32 = 1.0 / 4294967296.0;
  // splitmix64: small, fast and well mixed; nothing here needs more.
  static constexpr uint64_t Increment = 0x9E3779B97F4A7C15ull;
  uint64_t next() {
    uint64_t z = (state_ += Increment);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint64_t seed_;
  uint64_t state_;
};

}  // namespace tp
