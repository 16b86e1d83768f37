// The levels the meters show, measured while mixing: what one block held,
// in the sample's own scale (a peak is the largest magnitude of a sample,
// 32768 full scale).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tp {

struct BlockLevels {
  // Each strip after its volume and pan, the louder side, before it was
  // added to the mix (so that a strip driven past full scale shows as
  // such); 0 for a strip that is not heard, and for every strip in master
  // mode.
  std::array<int32_t, 16> strip{};
  // The mix itself, left and right.
  std::array<int32_t, 2> mix{};
};

// The peak of `count` samples once scaled by `gain` (8192 unity) exactly as
// the mixer scales them, (s x gain) >> 13: the larger of the scaled
// largest and the scaled smallest sample.
int32_t ScaledPeak(const int16_t* samples, size_t count, int32_t gain);

// The peaks of the left and the right channel of `frames` interleaved frames.
std::array<int32_t, 2> StereoPeaks(const int16_t* stereoBlock, size_t frames);

// A peak in decibels relative to full scale (32768); -infinity for silence.
double PeakDecibels(int32_t peak);

}  // namespace tp
