#include "loudness/truepeak.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tp {

namespace {

// The short filter: BS.1770's 49 taps, four times oversampled (Hann
// window). Tap j belongs to phase j % 4 and reaches back j / 4 samples; its
// output for sample i lies RoughLag samples before i.
constexpr size_t RoughOversampling = 4;
constexpr size_t RoughTaps = 49;
constexpr size_t RoughTapsPerPhase = 12;
constexpr size_t RoughLag = (RoughTaps - 1) / 2 / RoughOversampling;
using RoughPhase = std::array<float, RoughTapsPerPhase>;

// The three phases between the samples (phase 0 is the samples themselves).
std::array<RoughPhase, RoughOversampling - 1> designRoughPhases() {
  std::array<RoughPhase, RoughOversampling - 1> phases{};
  for (size_t j = 0; j < RoughTaps; ++j) {
    const size_t phase = j % RoughOversampling;
    if (phase == 0) continue;
    const double m = double(j) - double(RoughTaps - 1) / 2.0;
    const double x = m * std::numbers::pi / double(RoughOversampling);
    const double hann = 0.5 * (1.0 - std::cos(2.0 * std::numbers::pi * double(j) / double(RoughTaps - 1)));
    phases[phase - 1][j / RoughOversampling] = float(std::sin(x) / x * hann);
  }
  return phases;
}

const std::array<RoughPhase, RoughOversampling - 1> RoughPhases = designRoughPhases();

// The long filter: 16 phases of 2 * Delay taps (1,025 at the oversampled
// rate, centred), a sinc cut at half the sample rate under a Kaiser window.
// Beta 7 keeps the ripple below a thousandth of a decibel, and the pass band
// is flat to well above 20 kHz: the oversampled sound is the band-limited
// sound to far less than the hundredth of a decibel a peak is shown in.
// Stored tap by tap, each tap holding all sixteen phases, so that one
// stretch's sixteen points are computed side by side.
constexpr size_t FineTaps = 2 * TruePeakMeter::Delay;
constexpr double KaiserBeta = 7.0;
using FineTap = std::array<float, TruePeakMeter::FinePhases>;

std::array<FineTap, FineTaps> designFineTaps() {
  constexpr double phases = double(TruePeakMeter::FinePhases);
  const double centre = double(TruePeakMeter::Delay) * phases;
  std::array<FineTap, FineTaps> taps{};
  for (size_t back = 0; back < FineTaps; ++back)
    for (size_t phase = 0; phase < TruePeakMeter::FinePhases; ++phase) {
      // Oversampled tap j = 16 * back + phase, at m oversampled steps from the centre.
      const double m = double(back) * phases + double(phase) - centre;
      const double x = m * std::numbers::pi / phases;
      const double sinc = m == 0.0 ? 1.0 : std::sin(x) / x;
      const double ratio = m / centre;
      const double kaiser = std::cyl_bessel_i(0.0, KaiserBeta * std::sqrt(std::max(0.0, 1.0 - ratio * ratio))) /
                            std::cyl_bessel_i(0.0, KaiserBeta);
      taps[back][phase] = float(sinc * kaiser);
    }
  return taps;
}

const std::array<FineTap, FineTaps> FineFilter = designFineTaps();

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__) && \
    !defined(__SANITIZE_THREAD__)
#define TP_ALSO_FOR_AVX2 __attribute__((target_clones("avx2", "default")))
#else
#define TP_ALSO_FOR_AVX2
#endif

// The highest magnitude at the sixteen points from sample `at` (included)
// to the next (excluded). Reads Delay - 1 samples before `at` and Delay
// after it. Multiplies and adds stay apart (AVX2 without FMA), so that every
// processor measures the same peak to the last bit: a normalisation held by
// the ceiling writes the same file wherever it runs.
TP_ALSO_FOR_AVX2
float finePeakFrom(const float* at) {
  FineTap sums{};
  const float* newest = at + TruePeakMeter::Delay;
  for (size_t back = 0; back < FineTaps; ++back) {
    const float sample = newest[-std::ptrdiff_t(back)];
    for (size_t phase = 0; phase < TruePeakMeter::FinePhases; ++phase) sums[phase] += FineFilter[back][phase] * sample;
  }
  float highest = 0.0f;
  for (float sum : sums) highest = std::max(highest, std::fabs(sum));
  return highest;
}

// How far the short filter may read below the band-limited peak of a
// stretch: 0.7 dB in the worst case found near the top of the band, with
// room to spare. A stretch whose rough peak stays further below the highest
// found cannot hold a higher one.
constexpr float SearchMargin = 1.4125375f;  // 3 dB

// The short filter over a chunk: the highest of its four points in each
// stretch, each phase's output a sum of twelve shifted copies of the
// samples (loops over the whole chunk that the compiler vectorises).
TP_ALSO_FOR_AVX2
void roughPeaks(const float* stretchStarts, size_t count, float* filtered, float* top) {
  for (size_t i = 0; i < count; ++i) top[i] = std::fabs(stretchStarts[i]);
  for (size_t phase = 0; phase < RoughPhases.size(); ++phase) {
    std::fill(filtered, filtered + count, 0.0f);
    for (size_t back = 0; back < RoughTapsPerPhase; ++back) {
      const float tap = RoughPhases[phase][back];
      const float* from = stretchStarts + RoughLag - back;
      for (size_t i = 0; i < count; ++i) filtered[i] += tap * from[i];
    }
    for (size_t i = 0; i < count; ++i) top[i] = std::max(top[i], std::fabs(filtered[i]));
  }
}

float toFullScale(int16_t sample) { return float(sample) * (1.0f / 32768.0f); }
float toFullScale(float sample) { return sample; }

}  // namespace

TruePeakMeter::TruePeakMeter(uint32_t channels, uint32_t channel) : channels_(channels), channel_(channel) {}

void TruePeakMeter::Add(const int16_t* frames, size_t count) { addSamples(frames, count); }
void TruePeakMeter::Add(const float* frames, size_t count) { addSamples(frames, count); }

template <typename Sample>
void TruePeakMeter::addSamples(const Sample* frames, size_t count) {
  while (count > 0) {
    const size_t piece = std::min(count, ChunkFrames);
    float* const samples = samples_.data() + History;
    for (size_t i = 0; i < piece; ++i) samples[i] = toFullScale(frames[i * channels_ + channel_]);
    measureChunk(piece);
    frames += piece * channels_;
    count -= piece;
  }
}

// The stretches measured are those starting Delay samples before each new
// sample: the long filter needs the Delay samples after a stretch.
void TruePeakMeter::measureChunk(size_t count) {
  const float* const starts = samples_.data() + History - Delay;
  float* const top = roughPeak_.data();
  roughPeaks(starts, count, filtered_.data(), top);
  for (size_t i = 0; i < count; ++i) {
    // The stretch ends at the next sample, which its rough peak does not include.
    const float rough = std::max(top[i], std::fabs(starts[i + 1]));
    if (rough * SearchMargin >= peak_) peak_ = std::max(peak_, finePeakFrom(starts + i));
  }
  std::copy(samples_.data() + count, samples_.data() + count + History, samples_.data());
}

double TruePeakMeter::Peak() const {
  // The last Delay stretches wait for samples that never came: silence.
  std::array<float, History + Delay> tail{};
  std::copy(samples_.data(), samples_.data() + History, tail.data());
  float peak = peak_;
  for (size_t stretch = History - Delay; stretch < History; ++stretch)
    peak = std::max(peak, finePeakFrom(tail.data() + stretch));
  return peak;
}

}  // namespace tp
