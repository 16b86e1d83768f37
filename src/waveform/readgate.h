// ReadGate: lets the thread that reads outlines be held between two blocks
// and told to give up. An ageing recorder disk serves one reader at a time
// well and two badly, so the outlines wait while an audition or a
// conversion reads; a song left for another makes the reading of the old
// one pointless.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace tp {

class ReadGate {
 public:
  // Any thread (the window's, in the program).
  void SetPaused(bool paused);
  bool Paused() const;
  // Any thread: the reader gives up at its next block, even while paused.
  void Cancel();
  // The reading thread, before it starts on work the cancel was not meant for.
  void Reset();
  bool Cancelled() const { return cancelled_.load(); }

  // The reading thread, before each block: waits while paused. False once
  // cancelled, and then the reader stops.
  bool WaitWhilePaused();
  // How many times a reader found the gate paused and waited (tests).
  long Waits() const { return waits_.load(); }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool paused_ = false;
  std::atomic<bool> cancelled_{false};
  std::atomic<long> waits_{0};
};

}  // namespace tp
