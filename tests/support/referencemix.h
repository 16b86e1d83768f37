// The mix of a set of takes worked out sample by sample, the slow and plain
// way, as an oracle for the mixer, the audition and the export: for each
// frame and each heard track in track order, (s x gain) >> 13 is added to
// each side and the side clamped to 16 bits at once. A stereo frame counts
// as clipped when either side saturated at any step.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "mix/mixer.h"

namespace tp::test {

struct ReferenceTrack {
  std::vector<int16_t> samples;  // empty for a track with no take
  int volume = DefaultVolume;
  int pan = DefaultPan;
  bool heard = true;
};

struct ReferenceMixResult {
  std::vector<int16_t> stereo;  // interleaved left, right
  uint64_t clippedSamples = 0;
};

// What a track adds to each side of a frame, or nothing.
inline bool ReferenceAddition(const ReferenceTrack& track, size_t frame, int32_t& left, int32_t& right) {
  if (!track.heard || frame >= track.samples.size()) return false;
  const int32_t volume = VolumeTable[track.volume];
  const int32_t s = track.samples[frame];
  left = (s * ((volume * PanTable[track.pan]) >> 13)) >> 13;
  right = (s * ((volume * PanTable[100 - track.pan]) >> 13)) >> 13;
  return true;
}

inline ReferenceMixResult ReferenceMix(const std::array<ReferenceTrack, 16>& tracks, size_t frames) {
  ReferenceMixResult result;
  result.stereo.assign(2 * frames, 0);
  for (size_t frame = 0; frame < frames; ++frame) {
    int32_t left = 0, right = 0;
    bool clipped = false;
    const auto addClamped = [&clipped](int32_t& side, int32_t value) {
      const int32_t sum = side + value;
      side = std::clamp(sum, int32_t(-32768), int32_t(32767));
      if (side != sum) clipped = true;
    };
    for (const ReferenceTrack& track : tracks) {
      int32_t addLeft = 0, addRight = 0;
      if (!ReferenceAddition(track, frame, addLeft, addRight)) continue;
      addClamped(left, addLeft);
      addClamped(right, addRight);
    }
    result.stereo[2 * frame] = int16_t(left);
    result.stereo[2 * frame + 1] = int16_t(right);
    if (clipped) ++result.clippedSamples;
  }
  return result;
}

// The same mix with nothing clamped: the whole sums, as a mix to be
// normalised is formed before its gain.
inline std::vector<int32_t> ReferenceWideMix(const std::array<ReferenceTrack, 16>& tracks, size_t frames) {
  std::vector<int32_t> stereo(2 * frames, 0);
  for (size_t frame = 0; frame < frames; ++frame)
    for (const ReferenceTrack& track : tracks) {
      int32_t left = 0, right = 0;
      if (!ReferenceAddition(track, frame, left, right)) continue;
      stereo[2 * frame] += left;
      stereo[2 * frame + 1] += right;
    }
  return stereo;
}

// A sine of `frames` samples whose crest is `amplitude`, `period` samples a
// cycle; a quarter period that is a whole number puts a sample on the crest.
inline std::vector<int16_t> Sine(size_t frames, double amplitude, double period) {
  std::vector<int16_t> samples(frames);
  for (size_t n = 0; n < frames; ++n)
    samples[n] = int16_t(std::lround(amplitude * std::sin(2 * 3.14159265358979323846 * double(n) / period)));
  return samples;
}

}  // namespace tp::test
