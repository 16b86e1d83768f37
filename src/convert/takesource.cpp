#include "convert/takesource.h"

#include <algorithm>
#include <cerrno>

#include "project/messages.h"

namespace tp {

Status OpenSelectedTakes(const TakeSelection& selection, TakeFiles& takes) {
  for (int slot = 0; slot < TakeFiles::SlotCount; ++slot) {
    const auto& path = selection.takes[slot];
    if (path && !takes.Open(slot, *path, 0)) return Status::Fail(messages::TakeNotOpened, *path, errno);
  }
  return Status::Ok();
}

namespace {
Status readFailure(const TakeFiles& takes, const TakeSelection* selection, const std::string& label) {
  const auto failure = takes.Failure();
  if (!failure) return Status::Ok();
  const std::string& name = selection ? selection->labels[size_t(failure->slot)] : label;
  return Status::Fail(messages::TakeNotRead, name, failure->systemError);
}
}  // namespace

Status MixSource::Read(int16_t* block, uint32_t frames) {
  if (sum_ == Sum::Whole) {
    readWhole(block, frames);
  } else {
    std::fill(block, block + 2 * size_t(frames), int16_t(0));
    clippedSamples_ += MixBlock(block, frames, takes_, selection_.masterMode, mixer_).clippedFrames;
  }
  return readFailure(takes_, &selection_, {});
}

void MixSource::readWhole(int16_t* block, uint32_t frames) {
  const size_t samples = 2 * size_t(frames);
  sums_.assign(samples, 0);
  wide_.resize(samples);
  MixBlockWide(sums_.data(), frames, takes_, selection_.masterMode, mixer_);
  for (size_t i = 0; i < samples; ++i) {
    // Sums reach a few hundred thousand: exact in a float's 24 bits.
    wide_[i] = float(sums_[i]) * (1.0f / 32768.0f);
    const int32_t narrow = std::clamp(sums_[i], -32768, 32767);
    clippedSamples_ += narrow != sums_[i];
    block[i] = int16_t(narrow);
  }
}

Status MixSource::Seek(uint64_t frame) {
  for (int slot = 0; slot < TakeFiles::SlotCount; ++slot) takes_.Seek(slot, uint32_t(frame));
  return Status::Ok();
}

Status OneTakeSource::Seek(uint64_t frame) {
  takes_.Seek(slot_, uint32_t(frame));
  return Status::Ok();
}

Status OneTakeSource::Read(int16_t* block, uint32_t frames) {
  // A take shorter than asked for (or one that shrank meanwhile) ends in
  // silence.
  std::fill(block, block + frames, int16_t(0));
  takes_.Read(slot_, block, frames);
  return readFailure(takes_, nullptr, label_);
}

}  // namespace tp
