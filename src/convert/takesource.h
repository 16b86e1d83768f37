// Sources of blocks read from take files: the selected takes through the
// mixer (a mixdown, or a master take's two files as a stereo pair), or one
// take as it is.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "convert/pipeline.h"
#include "mix/mixer.h"
#include "mix/takefiles.h"
#include "mix/takeselection.h"

namespace tp {

// Opens every selected take at its first sample. Fails with "The take could
// not be opened." naming the take when one cannot be opened: a mix that
// silently lacks a track would pass for the real thing.
Status OpenSelectedTakes(const TakeSelection& selection, TakeFiles& takes);

// The selection through the mixer: stereo. Summed as the recorder does,
// clamped to 16 bits after each slot; or summed whole (MixBlockWide), for a
// normalisation that scales the mix as a whole before it is rounded to 16
// bits once, so that a loud mix turned down has no flat tops: then
// WideSamples gives the sums and Read the same clamped to 16 bits.
class MixSource final : public BlockSource {
 public:
  enum class Sum { ClampedAfterEachSlot, Whole };
  MixSource(TakeFiles& takes, const TakeSelection& selection, const MixerSettings& mixer,
            Sum sum = Sum::ClampedAfterEachSlot)
      : takes_(takes), selection_(selection), mixer_(mixer), sum_(sum) {}
  uint32_t Channels() const override { return 2; }
  Status Read(int16_t* block, uint32_t frames) override;
  Status Seek(uint64_t frame) override;
  const float* WideSamples() const override { return sum_ == Sum::Whole ? wide_.data() : nullptr; }
  // The stereo samples read so far whose sum saturated at any step of the
  // mix (summed whole: when it was clamped to 16 bits). Read it on the
  // reading thread, or once the reading is over.
  uint64_t ClippedSamples() const { return clippedSamples_; }

 private:
  void readWhole(int16_t* block, uint32_t frames);
  TakeFiles& takes_;
  const TakeSelection& selection_;
  const MixerSettings& mixer_;
  Sum sum_;
  std::vector<int32_t> sums_;  // summed whole: the last block's sums
  std::vector<float> wide_;    // and the same at full scale 1.0
  uint64_t clippedSamples_ = 0;
};

// One slot's samples unchanged: mono.
class OneTakeSource final : public BlockSource {
 public:
  OneTakeSource(TakeFiles& takes, int slot, std::string label) : takes_(takes), slot_(slot), label_(std::move(label)) {}
  uint32_t Channels() const override { return 1; }
  Status Read(int16_t* block, uint32_t frames) override;
  Status Seek(uint64_t frame) override;

 private:
  TakeFiles& takes_;
  int slot_;
  std::string label_;
};

}  // namespace tp
