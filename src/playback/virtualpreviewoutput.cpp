#include "playback/virtualpreviewoutput.h"

#include "playback/sounddevice.h"

namespace tp {

int VirtualPreviewOutput::Open(uint32_t channels, uint32_t framesPerSecond, BlockDone blockDone) {
  if (!present_) return StreamNoDevice;
  if (open_) return StreamFailed;
  open_ = true;
  ++opens_;
  channels_ = channels;
  framesPerSecond_ = framesPerSecond;
  blockDone_ = std::move(blockDone);
  return StreamOk;
}

void VirtualPreviewOutput::Write(PreviewBlock* block) {
  ++writes_;
  queue_.push_back(block);
}

bool VirtualPreviewOutput::PlayNextBlock() {
  if (queue_.empty()) return false;
  PreviewBlock* block = queue_.front();
  queue_.pop_front();
  played_.insert(played_.end(), block->samples.begin(), block->samples.end());
  ++blocksPlayed_;
  blockDone_(block);
  return true;
}

void VirtualPreviewOutput::Reset() {
  ++resets_;
  std::deque<PreviewBlock*> dropped;
  dropped.swap(queue_);
  for (PreviewBlock* block : dropped) blockDone_(block);
}

void VirtualPreviewOutput::Close() {
  if (!open_) return;
  Reset();
  open_ = false;
  blockDone_ = nullptr;
}

}  // namespace tp
