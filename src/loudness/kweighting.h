// The K-weighting of BS.1770 at 44,100 Hz: a high shelf (the head's
// effect) followed by a high pass, each one biquad per channel, and the
// weighted sum of the squares of what comes out, the energy a loudness is
// made of. Filtering here rather than in libebur128, which filters sample
// by sample through branches for every channel layout, makes measuring a
// mixdown cost a fraction of mixing it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tp {

class KWeighting {
 public:
  explicit KWeighting(uint32_t channels);

  // Filters `count` interleaved frames and returns the channels' weighted
  // sum of squares (full scale 1.0).
  double AddSquares(const int16_t* frames, size_t count);
  double AddSquares(const float* frames, size_t count);  // full scale 1.0
  // Between blocks: a filter ringing out in silence would otherwise reach
  // the denormal numbers, which the processor handles at a hundredth of
  // the speed.
  void FlushTinyStates();

 private:
  struct Biquad {
    double b0, b1, b2, a1, a2;
  };
  struct ChannelState {
    double shelf1 = 0, shelf2 = 0, pass1 = 0, pass2 = 0;  // transposed direct form II
    double weight = 1.0;
  };
  static Biquad shelf();
  static Biquad highPass();
  // The sums of squares of `Count` neighbouring channels, `frames` pointing
  // at the first one's first sample.
  template <size_t Count, typename Sample>
  std::array<double, Count> filterChannels(std::array<ChannelState*, Count> states, const Sample* frames,
                                           size_t count) const;
  template <typename Sample>
  double addSquares(const Sample* frames, size_t count);

  uint32_t channels_;
  Biquad shelf_, highPass_;
  std::vector<ChannelState> states_;
};

}  // namespace tp
