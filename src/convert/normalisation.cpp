#include "convert/normalisation.h"

#include <cmath>

namespace tp {

GainSource::GainSource(BlockSource& source, double gainDb)
    : source_(source),
      gain_(float(std::pow(10.0, gainDb / 20.0) / 32768.0)),
      wideGain_(float(std::pow(10.0, gainDb / 20.0))) {}

Status GainSource::Read(int16_t* block, uint32_t frames) {
  const Status read = source_.Read(block, frames);
  if (!read.ok()) return read;
  const size_t samples = size_t(frames) * Channels();
  if (const float* wide = source_.WideSamples()) {
    for (size_t i = 0; i < samples; ++i) block[i] = dither_.Quantise(wide[i] * wideGain_, clippedSamples_);
  } else {
    for (size_t i = 0; i < samples; ++i) block[i] = dither_.Quantise(float(block[i]) * gain_, clippedSamples_);
  }
  return Status::Ok();
}

Status GainSource::Seek(uint64_t frame) {
  const Status moved = source_.Seek(frame);
  if (moved.ok()) dither_.SkipTo(frame * Channels());
  return moved;
}

}  // namespace tp
