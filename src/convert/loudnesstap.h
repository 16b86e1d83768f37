// The export's loudness measurement as a tap on its pipeline: every block
// the file receives is measured, in order, on the measuring thread of a
// BlockMeasurer, while the workers go on mixing and writing.
#pragma once

#include "convert/pipeline.h"
#include "loudness/blockmeasurer.h"

namespace tp {

class LoudnessTap final : public BlockTap {
 public:
  LoudnessTap(uint32_t channels, LoudnessMeter::Peak peak) : measurer_(channels, peak) {}
  // The writing worker (one at a time, in block order).
  void See(const int16_t* block, uint32_t frames, uint32_t) override { measurer_.Add(block, frames); }
  void SeeWide(const float* wide, const int16_t*, uint32_t frames, uint32_t) override { measurer_.Add(wide, frames); }
  // Once the pipeline is over: the loudness of every block it saw.
  Loudness Result() { return measurer_.Finish(); }

 private:
  BlockMeasurer measurer_;
};

}  // namespace tp
