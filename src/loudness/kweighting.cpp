#include "loudness/kweighting.h"

#include <array>
#include <cmath>
#include <numbers>

namespace tp {

namespace {

constexpr double SampleRate = 44100.0;

// The weight of each channel in the sum, in the order of a 5.1 file: left,
// right and centre count once, the LFE not at all, the surrounds 1.41
// times. The program's own sounds have one or two channels.
double channelWeight(uint32_t channel, uint32_t channels) {
  if (channels == 4) return channel < 2 ? 1.0 : 1.41;
  if (channels == 5) return channel < 3 ? 1.0 : 1.41;
  if (channel < 3) return 1.0;
  if (channel == 4 || channel == 5) return 1.41;
  return 0.0;
}

double toFullScale(int16_t sample) { return double(sample) * (1.0 / 32768.0); }
double toFullScale(float sample) { return double(sample); }

}  // namespace

// The two filters' published design, evaluated for this sample rate: the
// shelf's corner, gain and quality, then the high pass's.
KWeighting::Biquad KWeighting::shelf() {
  const double f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
  const double k = std::tan(std::numbers::pi * f0 / SampleRate);
  const double vh = std::pow(10.0, gainDb / 20.0);
  const double vb = std::pow(vh, 0.4996667741545416);
  const double a0 = 1.0 + k / q + k * k;
  return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
          2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

KWeighting::Biquad KWeighting::highPass() {
  const double f0 = 38.13547087602444, q = 0.5003270373238773;
  const double k = std::tan(std::numbers::pi * f0 / SampleRate);
  const double a0 = 1.0 + k / q + k * k;
  return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

KWeighting::KWeighting(uint32_t channels)
    : channels_(channels), shelf_(shelf()), highPass_(highPass()), states_(channels) {
  for (uint32_t channel = 0; channel < channels; ++channel) states_[channel].weight = channelWeight(channel, channels);
}

// One channel through both filters, one sample after the other: each
// output depends on the last, so the work of a channel cannot be spread
// over a vector. Channels go through it in pairs, whose two independent
// chains the processor runs side by side.
template <size_t Count, typename Sample>
std::array<double, Count> KWeighting::filterChannels(std::array<ChannelState*, Count> states, const Sample* frames,
                                                     size_t count) const {
  const Biquad s = shelf_, h = highPass_;
  std::array<ChannelState, Count> z;
  for (size_t c = 0; c < Count; ++c) z[c] = *states[c];
  std::array<double, Count> sums{};
  for (size_t i = 0; i < count; ++i)
    for (size_t c = 0; c < Count; ++c) {
      const double x = toFullScale(frames[i * channels_ + c]);
      const double y = s.b0 * x + z[c].shelf1;
      z[c].shelf1 = s.b1 * x - s.a1 * y + z[c].shelf2;
      z[c].shelf2 = s.b2 * x - s.a2 * y;
      const double out = h.b0 * y + z[c].pass1;
      z[c].pass1 = h.b1 * y - h.a1 * out + z[c].pass2;
      z[c].pass2 = h.b2 * y - h.a2 * out;
      sums[c] += out * out;
    }
  for (size_t c = 0; c < Count; ++c) *states[c] = z[c];
  return sums;
}

double KWeighting::AddSquares(const int16_t* frames, size_t count) { return addSquares(frames, count); }
double KWeighting::AddSquares(const float* frames, size_t count) { return addSquares(frames, count); }

template <typename Sample>
double KWeighting::addSquares(const Sample* frames, size_t count) {
  double sum = 0.0;
  uint32_t channel = 0;
  for (; channel + 1 < channels_; channel += 2) {
    const auto sums = filterChannels<2>({&states_[channel], &states_[channel + 1]}, frames + channel, count);
    sum += states_[channel].weight * sums[0] + states_[channel + 1].weight * sums[1];
  }
  if (channel < channels_) sum += states_[channel].weight * filterChannels<1>({&states_[channel]}, frames + channel, count)[0];
  return sum;
}

void KWeighting::FlushTinyStates() {
  for (ChannelState& state : states_)
    for (double* value : {&state.shelf1, &state.shelf2, &state.pass1, &state.pass2})
      if (std::fabs(*value) < 1e-30) *value = 0.0;
}

}  // namespace tp
