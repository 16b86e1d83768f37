#include "loudness/sampleexchange.h"

#include <algorithm>
#include <bit>

namespace tp {

SampleExchange::SampleExchange(size_t frames)
    : mask_(std::bit_ceil(std::max<size_t>(frames, 2)) - 1), ring_(new int16_t[2 * (mask_ + 1)]) {}

size_t SampleExchange::Push(const int16_t* stereoFrames, size_t frames) {
  const uint64_t written = written_.load(std::memory_order_relaxed);
  const uint64_t free = (mask_ + 1) - (written - read_.load(std::memory_order_acquire));
  const size_t count = size_t(std::min<uint64_t>(frames, free));
  for (size_t i = 0; i < count; ++i) {
    const size_t at = size_t((written + i) & mask_);
    ring_[2 * at] = stereoFrames[2 * i];
    ring_[2 * at + 1] = stereoFrames[2 * i + 1];
  }
  written_.store(written + count, std::memory_order_release);
  return count;
}

size_t SampleExchange::Pop(int16_t* stereoFrames, size_t maxFrames) {
  const uint64_t read = read_.load(std::memory_order_relaxed);
  const uint64_t available = written_.load(std::memory_order_acquire) - read;
  const size_t count = size_t(std::min<uint64_t>(maxFrames, available));
  for (size_t i = 0; i < count; ++i) {
    const size_t at = size_t((read + i) & mask_);
    stereoFrames[2 * i] = ring_[2 * at];
    stereoFrames[2 * i + 1] = ring_[2 * at + 1];
  }
  read_.store(read + count, std::memory_order_release);
  return count;
}

void SampleExchange::Clear() { read_.store(written_.load(std::memory_order_acquire), std::memory_order_release); }

}  // namespace tp
