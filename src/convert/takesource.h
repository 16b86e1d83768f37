// Sources of blocks read from take files: the selected takes through the
// mixer (a mixdown, or a master take's two files as a stereo pair), or one
// take as it is.
#pragma once

#include <array>
#include <string>

#include "convert/pipeline.h"
#include "mix/mixer.h"
#include "mix/takefiles.h"
#include "mix/takeselection.h"

namespace tp {

// Opens every selected take at its first sample. Fails with "The take could
// not be opened." naming the take when one cannot be opened: a mix that
// silently lacks a track would pass for the real thing.
Status OpenSelectedTakes(const TakeSelection& selection, TakeFiles& takes);

// The selection through the mixer: stereo.
class MixSource final : public BlockSource {
 public:
  MixSource(TakeFiles& takes, const TakeSelection& selection, const MixerSettings& mixer)
      : takes_(takes), selection_(selection), mixer_(mixer) {}
  uint32_t Channels() const override { return 2; }
  Status Read(int16_t* block, uint32_t frames) override;
  Status Seek(uint64_t frame) override;
  // The stereo samples read so far whose sum saturated at any step of the
  // mix. Read it on the reading thread, or once the reading is over.
  uint64_t ClippedSamples() const { return clippedSamples_; }

 private:
  TakeFiles& takes_;
  const TakeSelection& selection_;
  const MixerSettings& mixer_;
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
