// A preview output without sound: it plays a block only when told to, so
// that a test drives the preview's clock itself, one block at a time, and
// sees exactly which samples were played.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "playback/previewoutput.h"

namespace tp {

class VirtualPreviewOutput : public PreviewOutput {
 public:
  // `present` false makes Open fail, as on a machine without sound output.
  explicit VirtualPreviewOutput(bool present = true) : present_(present) {}

  int Open(uint32_t channels, uint32_t framesPerSecond, BlockDone blockDone) override;
  void Write(PreviewBlock* block) override;
  void Reset() override;
  void Close() override;

  // Plays the oldest queued block: appends its samples to Played() and hands
  // it back, on the calling thread. False when nothing is queued.
  bool PlayNextBlock();

  bool IsOpen() const { return open_; }
  size_t Queued() const { return queue_.size(); }
  // Every sample played since the output was created, in order.
  const std::vector<int16_t>& Played() const { return played_; }
  size_t BlocksPlayed() const { return blocksPlayed_; }
  size_t Writes() const { return writes_; }
  size_t Resets() const { return resets_; }
  int Opens() const { return opens_; }
  uint32_t Channels() const { return channels_; }
  uint32_t FramesPerSecond() const { return framesPerSecond_; }

 private:
  const bool present_;
  bool open_ = false;
  BlockDone blockDone_;
  std::deque<PreviewBlock*> queue_;
  std::vector<int16_t> played_;
  size_t blocksPlayed_ = 0;
  size_t writes_ = 0;
  size_t resets_ = 0;
  int opens_ = 0;
  uint32_t channels_ = 0;
  uint32_t framesPerSecond_ = 0;
};

}  // namespace tp
