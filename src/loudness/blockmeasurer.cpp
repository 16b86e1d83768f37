#include "loudness/blockmeasurer.h"

#include <algorithm>

namespace tp {

BlockMeasurer::BlockMeasurer(uint32_t channels, LoudnessMeter::Peak peak)
    : meter_(channels, peak), channels_(channels), thread_([this] { measure(); }) {}

BlockMeasurer::~BlockMeasurer() {
  {
    std::lock_guard lock(mutex_);
    ending_ = true;
    changed_.notify_all();
  }
  thread_.join();
}

void BlockMeasurer::Add(const int16_t* block, uint32_t frames) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return queued_ - measured_ < QueuedBlocks; });
  // The buffer is free: the measuring thread is done with it and does not
  // look at it again until queued_ says so.
  const size_t slot = size_t(queued_ % QueuedBlocks);
  lock.unlock();
  std::vector<int16_t>& buffer = buffers_[slot];
  buffer.assign(block, block + size_t(frames) * channels_);
  frames_[slot] = frames;
  lock.lock();
  ++queued_;
  changed_.notify_all();
}

Loudness BlockMeasurer::Finish() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return measured_ == queued_; });
  return meter_.Result();
}

void BlockMeasurer::measure() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return measured_ < queued_ || ending_; });
    // An ending measurer (an abort, a failure) leaves what is queued.
    if (ending_) return;
    const size_t slot = size_t(measured_ % QueuedBlocks);
    lock.unlock();
    meter_.Add(buffers_[slot].data(), frames_[slot]);
    lock.lock();
    ++measured_;
    changed_.notify_all();
  }
}

}  // namespace tp
