// The short-term loudness (the last 3 seconds, in LUFS) of the audition's
// mix, measured on the thread that shows it from the frames the stream's
// thread handed over through a SampleExchange.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "loudness/loudnesssteps.h"
#include "loudness/sampleexchange.h"

namespace tp {

class ShortTermLoudness {
 public:
  ShortTermLoudness();

  // Measures every frame waiting in `exchange`.
  void Feed(SampleExchange& exchange);
  // The loudness of the last 3 seconds fed, to the last whole 100 ms;
  // nothing before 3 seconds were fed (the window is not full) or when they
  // are silent.
  std::optional<double> Lufs() const;
  // Forgets what was fed (a new audition starts).
  void Reset();

 private:
  LoudnessSteps steps_{2};
  std::vector<int16_t> scratch_;
};

// "-18.3 LUFS" for the meter, or "" when there is no short-term loudness.
std::string ShortTermText(const std::optional<double>& lufs);

}  // namespace tp
