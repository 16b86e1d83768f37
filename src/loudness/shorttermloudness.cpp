#include "loudness/shorttermloudness.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <new>

#include "loudness/loudness.h"

namespace tp {

namespace {
constexpr unsigned long SampleRate = 44100;
constexpr size_t WindowFrames = 3 * SampleRate;
constexpr size_t ScratchFrames = 8192;
}  // namespace

ShortTermLoudness::ShortTermLoudness() : scratch_(2 * ScratchFrames) { Reset(); }

ShortTermLoudness::~ShortTermLoudness() { ebur128_destroy(&state_); }

void ShortTermLoudness::Reset() {
  if (state_) ebur128_destroy(&state_);
  state_ = ebur128_init(2, SampleRate, EBUR128_MODE_S);
  if (!state_) throw std::bad_alloc();
  fed_ = 0;
}

void ShortTermLoudness::Feed(SampleExchange& exchange) {
  for (;;) {
    const size_t frames = exchange.Pop(scratch_.data(), ScratchFrames);
    if (frames == 0) return;
    ebur128_add_frames_short(state_, scratch_.data(), frames);
    fed_ = std::min(WindowFrames, fed_ + frames);
  }
}

std::optional<double> ShortTermLoudness::Lufs() const {
  if (fed_ < WindowFrames) return std::nullopt;
  double lufs = 0.0;
  if (ebur128_loudness_shortterm(state_, &lufs) != EBUR128_SUCCESS || !std::isfinite(lufs)) return std::nullopt;
  return lufs;
}

std::string ShortTermText(const std::optional<double>& lufs) {
  return lufs ? OneDecimal(*lufs) + " LUFS" : std::string();
}

}  // namespace tp
