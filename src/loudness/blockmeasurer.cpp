#include "loudness/blockmeasurer.h"

#include <algorithm>
#include <type_traits>

namespace tp {

BlockMeasurer::BlockMeasurer(uint32_t channels, LoudnessMeter::Peak peak)
    : channels_(channels), loudness_(channels, LoudnessMeter::Peak::NotMeasured) {
  if (peak == LoudnessMeter::Peak::True)
    for (uint32_t channel = 0; channel < channels; ++channel)
      peaks_.push_back(std::make_unique<TruePeakMeter>(channels, channel));
  // The loudness on one thread, the peaks on another: about equal work.
  parts_.push_back([this](const Queued& block) {
    if (block.isWide) loudness_.Add(block.wide.data(), block.frames);
    else loudness_.Add(block.narrow.data(), block.frames);
  });
  if (!peaks_.empty())
    parts_.push_back([this](const Queued& block) {
      for (const auto& channel : peaks_) {
        if (block.isWide) channel->Add(block.wide.data(), block.frames);
        else channel->Add(block.narrow.data(), block.frames);
      }
    });
  measured_.assign(parts_.size(), 0);
  for (size_t part = 0; part < parts_.size(); ++part) threads_.emplace_back([this, part] { measure(part); });
}

BlockMeasurer::~BlockMeasurer() {
  {
    std::lock_guard lock(mutex_);
    ending_ = true;
    changed_.notify_all();
  }
  for (std::thread& thread : threads_) thread.join();
}

uint64_t BlockMeasurer::leastMeasured() const { return *std::min_element(measured_.begin(), measured_.end()); }

void BlockMeasurer::Add(const int16_t* block, uint32_t frames) { queue(block, frames); }
void BlockMeasurer::Add(const float* block, uint32_t frames) { queue(block, frames); }

template <typename Sample>
void BlockMeasurer::queue(const Sample* block, uint32_t frames) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return queued_ - leastMeasured() < QueuedBlocks; });
  // The buffer is free: every measuring thread is done with it and none
  // looks at it again until queued_ says so.
  const size_t slot = size_t(queued_ % QueuedBlocks);
  lock.unlock();
  Queued& queued = buffers_[slot];
  queued.isWide = std::is_same_v<Sample, float>;
  if constexpr (std::is_same_v<Sample, float>) queued.wide.assign(block, block + size_t(frames) * channels_);
  else queued.narrow.assign(block, block + size_t(frames) * channels_);
  queued.frames = frames;
  lock.lock();
  ++queued_;
  changed_.notify_all();
}

Loudness BlockMeasurer::Finish() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return leastMeasured() == queued_; });
  Loudness result = loudness_.Result();
  if (!result.Silent() && !peaks_.empty()) {
    double peak = 0.0;
    for (const auto& channel : peaks_) peak = std::max(peak, channel->Peak());
    result.truePeakDbtp = PeakToDecibels(peak);
  }
  return result;
}

void BlockMeasurer::measure(size_t part) {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return measured_[part] < queued_ || ending_; });
    // An ending measurer (an abort, a failure) leaves what is queued.
    if (ending_) return;
    const size_t slot = size_t(measured_[part] % QueuedBlocks);
    lock.unlock();
    parts_[part](buffers_[slot]);
    lock.lock();
    ++measured_[part];
    changed_.notify_all();
  }
}

}  // namespace tp
