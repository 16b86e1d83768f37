// The true peak against the band-limited peak worked out the slow way
// (tests/support/bandlimitedpeak.h), on the sounds where a four-times
// oversampling meter reads low: clicks, a full-scale square wave and sines
// near the top of the band.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "loudness/loudnessmeter.h"
#include "loudness/truepeak.h"
#include "support/bandlimitedpeak.h"

namespace tp {
namespace {

struct PeakCase {
  std::string name;
  std::vector<int16_t> samples;  // mono
};

// Faded in and out over 10 ms: a sine switched on at full amplitude has
// edges whose sound reaches half the sample rate, and rings above its
// amplitude there.
std::vector<int16_t> Sine(size_t frames, double hz, double amplitude, double phase) {
  constexpr size_t Fade = 441;
  std::vector<int16_t> samples(frames);
  for (size_t i = 0; i < frames; ++i) {
    const double edge = double(std::min({i, frames - 1 - i, Fade})) / double(Fade);
    const double envelope = 0.5 - 0.5 * std::cos(std::numbers::pi * edge);
    samples[i] = int16_t(std::lround(32767.0 * amplitude * envelope *
                                     std::sin(2 * std::numbers::pi * hz * double(i) / 44100.0 + phase)));
  }
  return samples;
}

// Quiet noise with full-scale clicks of one, two and three samples.
std::vector<int16_t> Clicks() {
  std::mt19937 random(11);
  std::uniform_int_distribution<int> quiet(-300, 300);
  std::vector<int16_t> samples(6000);
  for (int16_t& sample : samples) sample = int16_t(quiet(random));
  samples[1000] = 32767;
  samples[2500] = samples[2501] = -32768;
  samples[4000] = samples[4001] = samples[4002] = 32767;
  return samples;
}

// An even half period: with an odd one a harmonic falls on half the sample
// rate itself, where no filter can say what lies between the samples.
std::vector<int16_t> Square(size_t frames, size_t halfPeriod) {
  std::vector<int16_t> samples(frames);
  for (size_t i = 0; i < frames; ++i) samples[i] = (i / halfPeriod) % 2 ? 32767 : -32768;
  return samples;
}

std::vector<PeakCase> Cases() {
  std::vector<PeakCase> cases = {{"clicks in quiet noise", Clicks()},
                                 {"a lone two-sample click", {0, 0, 0, 32767, 32767, 0, 0, 0}},
                                 {"a full-scale square wave of 8 samples a half", Square(6000, 8)},
                                 {"a full-scale square wave of 2 samples a half", Square(6000, 2)}};
  for (double hz : {15000.0, 17500.0, 19000.0, 20000.0})
    for (double phase : {0.0, 0.4, 1.1})
      cases.push_back({std::to_string(int(hz)) + " Hz sine at phase " + std::to_string(phase), Sine(3000, hz, 0.5, phase)});
  return cases;
}

double MeterPeak(const std::vector<int16_t>& samples) {
  TruePeakMeter meter(1, 0);
  // In uneven pieces, so that the filters cross from one into the next.
  size_t frame = 0;
  for (size_t piece = 1; frame < samples.size(); piece = piece * 3 + 1) {
    const size_t count = std::min(piece, samples.size() - frame);
    meter.Add(samples.data() + frame, count);
    frame += count;
  }
  return meter.Peak();
}

TEST(TruePeakMeter, ReadsTheBandLimitedPeakWithinAHundredAndFiftiethOfADecibel) {
  for (const PeakCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    const double expected = PeakToDecibels(test::BandLimitedPeak(c.samples, 1, 0));
    const double measured = PeakToDecibels(MeterPeak(c.samples));
    EXPECT_NEAR(measured, expected, 0.15);
  }
}

TEST(TruePeakMeter, ReadsASineNearTheTopOfTheBandAtItsAmplitude) {
  // A sine's band-limited peak is its amplitude, whatever falls on the samples.
  for (double hz : {18000.0, 19500.0, 20000.0}) {
    SCOPED_TRACE(hz);
    const std::vector<int16_t> sine = Sine(20000, hz, 0.5, 0.7);
    EXPECT_NEAR(PeakToDecibels(MeterPeak(sine)), PeakToDecibels(0.5), 0.05);
  }
}

TEST(TruePeakMeter, MeasuresWideSamplesAsTheSameSamplesInSixteenBits) {
  const std::vector<int16_t> narrow = Clicks();
  std::vector<float> wide;
  for (int16_t sample : narrow) wide.push_back(float(sample) / 32768.0f);
  TruePeakMeter fromNarrow(1, 0), fromWide(1, 0);
  fromNarrow.Add(narrow.data(), narrow.size());
  fromWide.Add(wide.data(), wide.size());
  EXPECT_EQ(fromNarrow.Peak(), fromWide.Peak());
  // Beyond full scale, where 16 bits end.
  for (float& sample : wide) sample *= 4.0f;
  TruePeakMeter louder(1, 0);
  louder.Add(wide.data(), wide.size());
  EXPECT_NEAR(louder.Peak(), 4.0 * fromWide.Peak(), 1e-5);
}

}  // namespace
}  // namespace tp
