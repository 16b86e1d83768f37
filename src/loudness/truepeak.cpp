#include "loudness/truepeak.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tp {

namespace {

constexpr size_t Oversampling = 4;
constexpr size_t Taps = 49;
constexpr size_t History = TruePeakMeter::TapsPerPhase - 1;
using Phase = std::array<float, TruePeakMeter::TapsPerPhase>;

// The three phases between the samples: tap j of the 49 belongs to phase
// j % 4 and reaches back j / 4 samples. Phase 0's only tap that is not
// zero is the centre, 1.0: the samples themselves.
std::array<Phase, Oversampling - 1> designPhases() {
  std::array<Phase, Oversampling - 1> phases{};
  for (size_t j = 0; j < Taps; ++j) {
    const size_t phase = j % Oversampling;
    if (phase == 0) continue;
    const double m = double(j) - double(Taps - 1) / 2.0;
    const double x = m * std::numbers::pi / double(Oversampling);
    const double hann = 0.5 * (1.0 - std::cos(2.0 * std::numbers::pi * double(j) / double(Taps - 1)));
    phases[phase - 1][j / Oversampling] = float(std::sin(x) / x * hann);
  }
  return phases;
}

const std::array<Phase, Oversampling - 1> Phases = designPhases();

}  // namespace

TruePeakMeter::TruePeakMeter(uint32_t channels, uint32_t channel) : channels_(channels), channel_(channel) {}

void TruePeakMeter::Add(const int16_t* frames, size_t count) {
  while (count > 0) {
    const size_t piece = std::min(count, ChunkFrames);
    addChunk(frames, piece);
    frames += piece * channels_;
    count -= piece;
  }
}

// Each phase's output for the chunk is a sum of twelve shifted copies of
// the samples: loops over the whole chunk that the compiler vectorises,
// eight samples at once on a processor with AVX2 and four on any other.
// Multiplies and adds stay apart (AVX2 without FMA), so that every
// processor measures the same peak to the last bit: a normalisation held
// by the ceiling writes the same file wherever it runs.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__) && \
    !defined(__SANITIZE_THREAD__)
__attribute__((target_clones("avx2", "default")))
#endif
void TruePeakMeter::addChunk(const int16_t* frames, size_t count) {
  float* const samples = samples_.data() + History;
  float* const top = highest_.data();  // the highest magnitude at each sample's place
  for (size_t i = 0; i < count; ++i) {
    samples[i] = float(frames[i * channels_ + channel_]) * (1.0f / 32768.0f);
    top[i] = std::fabs(samples[i]);
  }
  float* const out = filtered_.data();
  for (const Phase& phase : Phases) {
    std::fill(out, out + count, 0.0f);
    for (size_t back = 0; back < TapsPerPhase; ++back) {
      const float tap = phase[back];
      const float* from = samples - back;
      for (size_t i = 0; i < count; ++i) out[i] += tap * from[i];
    }
    for (size_t i = 0; i < count; ++i) top[i] = std::max(top[i], std::fabs(out[i]));
  }
  // One reduction a chunk: a running maximum in the loops above would keep
  // them from running several samples at once.
  peak_ = std::max(peak_, *std::max_element(top, top + count));
  std::copy(samples + count - History, samples + count, samples_.data());
}

}  // namespace tp
