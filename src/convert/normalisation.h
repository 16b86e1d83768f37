// Normalising an export: one gain applied to the blocks of another source
// in floating point, then dithered back to 16 bits with the seeded TPDF
// dither, so that the same request always gives the same bytes, whichever
// worker fills which block. A source with wide samples (a mix summed
// whole) is scaled from those, so that the rounding and the clamp to 16
// bits happen once, here, after the gain.
#pragma once

#include "convert/pipeline.h"
#include "convert/tpdfdither.h"

namespace tp {

class GainSource final : public BlockSource {
 public:
  GainSource(BlockSource& source, double gainDb);
  uint32_t Channels() const override { return source_.Channels(); }
  Status Read(int16_t* block, uint32_t frames) override;
  Status Seek(uint64_t frame) override;
  // The samples clamped to 16 bits after the gain.
  uint64_t ClippedSamples() const { return clippedSamples_; }

 private:
  BlockSource& source_;
  float gain_;  // linear, per 16-bit step: full scale maps to 1.0 times the gain
  float wideGain_;  // linear, for wide samples (full scale 1.0)
  uint64_t clippedSamples_ = 0;
  TpdfDither dither_;
};

}  // namespace tp
