#include "waveform/readgate.h"

namespace tp {

void ReadGate::SetPaused(bool paused) {
  {
    std::lock_guard lock(mutex_);
    paused_ = paused;
  }
  changed_.notify_all();
}

bool ReadGate::Paused() const {
  std::lock_guard lock(mutex_);
  return paused_;
}

void ReadGate::Cancel() {
  {
    // Set under the lock, so that a reader about to wait sees it.
    std::lock_guard lock(mutex_);
    cancelled_ = true;
  }
  changed_.notify_all();
}

void ReadGate::Reset() { cancelled_ = false; }

bool ReadGate::WaitWhilePaused() {
  std::unique_lock lock(mutex_);
  if (paused_ && !cancelled_) ++waits_;
  changed_.wait(lock, [this] { return !paused_ || cancelled_; });
  return !cancelled_;
}

}  // namespace tp
