#include "loudness/shorttermloudness.h"

#include "loudness/gatedloudness.h"
#include "loudness/loudness.h"

namespace tp {

namespace {
constexpr size_t ScratchFrames = 8192;
}  // namespace

ShortTermLoudness::ShortTermLoudness() : scratch_(2 * ScratchFrames) {}

void ShortTermLoudness::Reset() { steps_ = LoudnessSteps(2); }

void ShortTermLoudness::Feed(SampleExchange& exchange) {
  for (;;) {
    const size_t frames = exchange.Pop(scratch_.data(), ScratchFrames);
    if (frames == 0) return;
    for (size_t done = 0; done < frames;)
      done += steps_.AddUpToStepEnd(scratch_.data() + 2 * done, frames - done);
  }
}

std::optional<double> ShortTermLoudness::Lufs() const {
  if (steps_.Steps() < LoudnessSteps::StepsPerShortTerm) return std::nullopt;
  const double energy = steps_.MeanOfLast(LoudnessSteps::StepsPerShortTerm);
  if (!(energy > 0.0)) return std::nullopt;
  return GatedLoudness::Lufs(energy);
}

std::string ShortTermText(const std::optional<double>& lufs) {
  return lufs ? OneDecimal(*lufs) + " LUFS" : std::string();
}

}  // namespace tp
