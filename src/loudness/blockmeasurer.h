// Measures the loudness of a stream of blocks on a thread of its own, so
// that the measuring (the true peak costs more than mixing and writing an
// export) runs on another core beside the work that produces the blocks.
// The blocks wait in a few buffers of their own: when the measuring falls
// behind, Add waits for a buffer rather than take more memory.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "loudness/loudnessmeter.h"

namespace tp {

class BlockMeasurer {
 public:
  BlockMeasurer(uint32_t channels, LoudnessMeter::Peak peak);
  // Ends the measuring thread, measured to the end or not.
  ~BlockMeasurer();
  BlockMeasurer(const BlockMeasurer&) = delete;
  BlockMeasurer& operator=(const BlockMeasurer&) = delete;

  // Called by one thread at a time, blocks in their order (the pipeline's
  // writing worker): copies the block and returns once it is queued.
  void Add(const int16_t* block, uint32_t frames);
  // The producer's thread, after the last Add: waits until every queued
  // block is measured and returns the measurement.
  Loudness Finish();

 private:
  static constexpr size_t QueuedBlocks = 4;
  void measure();  // the measuring thread

  LoudnessMeter meter_;
  const uint32_t channels_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::array<std::vector<int16_t>, QueuedBlocks> buffers_;
  std::array<uint32_t, QueuedBlocks> frames_{};
  uint64_t queued_ = 0;    // blocks handed in, under mutex_
  uint64_t measured_ = 0;  // blocks measured, under mutex_
  bool ending_ = false;    // under mutex_: no block follows
  std::thread thread_;
};

}  // namespace tp
