// What the outline tests share: samples that tell every column apart, and
// the outline worked out the plain way, from the samples the test wrote.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "waveform/outline.h"

namespace tp::test {

// Noise from a fixed seed over the whole 16-bit range.
inline std::vector<int16_t> Noise(size_t count, uint32_t seed) {
  std::vector<int16_t> samples(count);
  uint32_t state = seed * 2654435761u + 1;
  for (int16_t& sample : samples) {
    state = state * 1664525u + 1013904223u;
    sample = int16_t(state >> 16);
  }
  return samples;
}

// Column c holds the frames from c x n / columns up to (c + 1) x n / columns;
// an empty column is 0 to 0.
inline ChannelOutline ExpectedOutline(const std::vector<int16_t>& samples, int columns) {
  ChannelOutline outline;
  const uint64_t n = samples.size();
  for (int c = 0; c < columns; ++c) {
    const uint64_t begin = uint64_t(c) * n / uint64_t(columns), end = uint64_t(c + 1) * n / uint64_t(columns);
    if (begin == end) {
      outline.minimum.push_back(0);
      outline.maximum.push_back(0);
      continue;
    }
    outline.minimum.push_back(*std::min_element(samples.begin() + begin, samples.begin() + end));
    outline.maximum.push_back(*std::max_element(samples.begin() + begin, samples.begin() + end));
  }
  return outline;
}

}  // namespace tp::test
