// Measures the loudness of a stream of blocks on threads of its own, so
// that the measuring runs on the other core beside the work that produces
// the blocks. The first thread measures the loudness, a second the true
// peak of every channel. The blocks wait in a few buffers of
// their own: when the measuring falls behind, Add waits for a buffer rather
// than take more memory.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "loudness/loudnessmeter.h"

namespace tp {

class BlockMeasurer {
 public:
  BlockMeasurer(uint32_t channels, LoudnessMeter::Peak peak);
  // Ends the measuring threads, measured to the end or not.
  ~BlockMeasurer();
  BlockMeasurer(const BlockMeasurer&) = delete;
  BlockMeasurer& operator=(const BlockMeasurer&) = delete;

  // Called by one thread at a time, blocks in their order (the pipeline's
  // writing worker): copies the block and returns once it is queued.
  void Add(const int16_t* block, uint32_t frames);
  // The same for samples wider than 16 bits, full scale 1.0 (a mix before
  // its final rounding).
  void Add(const float* block, uint32_t frames);
  // The producer's thread, after the last Add: waits until every queued
  // block is measured and returns the measurement.
  Loudness Finish();

 private:
  static constexpr size_t QueuedBlocks = 4;
  // One queued block: 16-bit samples, or wide ones.
  struct Queued {
    std::vector<int16_t> narrow;
    std::vector<float> wide;
    bool isWide = false;
    uint32_t frames = 0;
  };
  // What one measuring thread does with each block.
  using Part = std::function<void(const Queued& block)>;
  template <typename Sample>
  void queue(const Sample* block, uint32_t frames);
  void measure(size_t part);  // a measuring thread
  uint64_t leastMeasured() const;  // under mutex_

  const uint32_t channels_;
  LoudnessMeter loudness_;
  std::vector<std::unique_ptr<TruePeakMeter>> peaks_;  // one per channel, or none
  std::vector<Part> parts_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::array<Queued, QueuedBlocks> buffers_;
  uint64_t queued_ = 0;            // blocks handed in, under mutex_
  std::vector<uint64_t> measured_;  // blocks each part measured, under mutex_
  bool ending_ = false;            // under mutex_: no block follows
  std::vector<std::thread> threads_;
};

}  // namespace tp
