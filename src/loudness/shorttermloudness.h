// The short-term loudness (the last 3 seconds, in LUFS) of the audition's
// mix, measured on the thread that shows it from the frames the stream's
// thread handed over through a SampleExchange.
#pragma once

#include <ebur128.h>

#include <optional>
#include <string>
#include <vector>

#include "loudness/sampleexchange.h"


namespace tp {

class ShortTermLoudness {
 public:
  ShortTermLoudness();
  ~ShortTermLoudness();
  ShortTermLoudness(const ShortTermLoudness&) = delete;
  ShortTermLoudness& operator=(const ShortTermLoudness&) = delete;

  // Measures every frame waiting in `exchange`.
  void Feed(SampleExchange& exchange);
  // The loudness of the last 3 seconds fed; nothing before 3 seconds were
  // fed (the window is not full) or when they are silent.
  std::optional<double> Lufs() const;
  // Forgets what was fed (a new audition starts).
  void Reset();

 private:
  ebur128_state* state_ = nullptr;
  std::vector<int16_t> scratch_;
  size_t fed_ = 0;  // frames fed since the last Reset, up to the window
};

// "-18.3 LUFS" for the meter, or "" when there is no short-term loudness.
std::string ShortTermText(const std::optional<double>& lufs);

}  // namespace tp
