// The loudness of a sound file as our meter measures it, the file read back
// with libsndfile.
#pragma once

#include <filesystem>

#include "loudness/loudnessmeter.h"
#include "support/sndfileio.h"

namespace tp::test {

inline Loudness MeasureFileLoudness(const std::filesystem::path& file) {
  const SoundData data = ReadWithSndfile(file);
  LoudnessMeter meter(uint32_t(data.channels), LoudnessMeter::Peak::True);
  meter.Add(data.samples.data(), data.samples.size() / size_t(data.channels));
  return meter.Result();
}

}  // namespace tp::test
