// SampleExchange: the audition's mixed frames on their way from the
// stream's service thread to the thread that measures their loudness. One
// writer, one reader, a ring allocated up front: the writer copies what
// fits and drops the rest, never allocating, locking or waiting, and the
// reader takes what is there whenever it looks.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace tp {

class SampleExchange {
 public:
  // Room for `frames` stereo frames (rounded up to a power of two).
  explicit SampleExchange(size_t frames);

  // The stream's service thread: queues `frames` interleaved stereo frames;
  // returns how many fitted (the rest is dropped: a reader that fell behind
  // only sees a gap).
  size_t Push(const int16_t* stereoFrames, size_t frames);
  // The reader's thread: moves up to `maxFrames` queued frames into
  // `stereoFrames`; returns how many.
  size_t Pop(int16_t* stereoFrames, size_t maxFrames);
  // The reader's thread, while no writer runs: forgets what is queued.
  void Clear();

 private:
  static_assert(std::atomic<uint64_t>::is_always_lock_free, "the service thread must never wait on the ring");
  size_t mask_;
  std::unique_ptr<int16_t[]> ring_;   // 2 * (mask_ + 1) samples
  std::atomic<uint64_t> written_{0};  // frames pushed, only the writer raises it
  std::atomic<uint64_t> read_{0};     // frames popped, only the reader raises it
};

}  // namespace tp
