// An event that wakes one waiter and then resets itself, as the sound device
// uses it to tell the stream's service thread that a half has been played.
// Built from a mutex and a condition variable; the flag is held under the
// mutex, which is taken only for a few instructions.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tp {

class AutoResetEvent {
 public:
  // Any thread (the sound device's thread, or the owner's thread waking the
  // service thread for a stop).
  void Set() {
    {
      std::lock_guard lock(mutex_);
      signalled_ = true;
    }
    wake_.notify_one();
  }

  // Owner's thread, while no one waits: drops a signal left from a past run.
  void Reset() {
    std::lock_guard lock(mutex_);
    signalled_ = false;
  }

  // The service thread. True when the event was set (and is now reset
  // again), false when `timeout` passed first.
  bool WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!wake_.wait_for(lock, timeout, [this] { return signalled_; })) return false;
    signalled_ = false;
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool signalled_ = false;
};

}  // namespace tp
