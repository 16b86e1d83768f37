#include "playback/leavablethread.h"

#include <system_error>
#include <utility>

namespace tp {

bool LeavableThread::Start(std::shared_ptr<Shared> shared, std::function<void()> loop) {
  if (thread_.joinable()) return true;
  try {
    thread_ = std::thread([shared, loop = std::move(loop)] {
      loop();
      std::lock_guard lock(shared->mutex);
      shared->ended = true;
      shared->changed.notify_all();
    });
  } catch (const std::system_error&) {
    return false;
  }
  shared_ = std::move(shared);
  return true;
}

bool LeavableThread::Stop(std::chrono::milliseconds limit, const std::function<void()>& whileLocked) {
  if (!thread_.joinable()) return true;
  std::unique_lock lock(shared_->mutex);
  shared_->quit = true;
  shared_->changed.notify_all();
  const bool ended = shared_->changed.wait_for(lock, limit, [this] { return shared_->ended; });
  if (whileLocked) whileLocked();
  lock.unlock();
  if (ended) thread_.join();
  else thread_.detach();
  shared_.reset();
  return ended;
}

}  // namespace tp
