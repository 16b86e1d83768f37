// LevelExchange: the meters' levels on their way from the stream's service
// thread, which measures them block by block, to the window's thread, which
// shows them about 30 times a second. Neither side waits for the other and
// the service thread neither allocates nor takes a lock: each level is one
// lock-free atomic that the writer raises to the block's peak and the reader
// takes and sets back to zero, so that a peak between two looks is never
// missed and never shown twice.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "mix/levels.h"

namespace tp {

class LevelExchange {
 public:
  // The stream's service thread, once per block. `clippedSamples` is how
  // many of the block's samples saturated; any lights the clip flag.
  void Publish(const BlockLevels& levels, uint64_t clippedSamples);
  // The reader's thread: the highest peaks published since the last Take.
  BlockLevels Take();
  // The clip flag: lit by a block that clipped, held until cleared (the user
  // clicked the clip light, or the next audition starts). Any thread.
  bool ClipLit() const { return clipLit_.load(std::memory_order_relaxed); }
  void ClearClip() { clipLit_.store(false, std::memory_order_relaxed); }
  // Forgets the peaks not yet taken, and the clip flag. Owner's thread.
  void Clear();

 private:
  static_assert(std::atomic<int32_t>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
                "the service thread must never wait on a level");
  std::array<std::atomic<int32_t>, 16> strip_{};
  std::array<std::atomic<int32_t>, 2> mix_{};
  std::atomic<bool> clipLit_{false};
};

}  // namespace tp
