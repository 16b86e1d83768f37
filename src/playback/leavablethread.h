// LeavableThread: the thread of a writer whose blocking write may never
// return (a hung driver, a device that was pulled out). Stop asks it to end
// and waits only up to a limit; a thread still inside its write is then
// left behind. What the thread touches lives in a state it shares (derived
// from LeavableThread::Shared), so a left thread still has it when the
// write returns, however long after; the writer's loop checks `quit` under
// the state's mutex before it touches anything of its owner's again.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace tp {

class LeavableThread {
 public:
  struct Shared {
    std::mutex mutex;  // guards quit, ended and what the writer adds under it
    std::condition_variable changed;
    bool quit = false;   // the owner asked the thread to end
    bool ended = false;  // the thread's loop returned
  };

  LeavableThread() = default;
  ~LeavableThread() { Stop(std::chrono::milliseconds(0)); }
  LeavableThread(const LeavableThread&) = delete;
  LeavableThread& operator=(const LeavableThread&) = delete;

  // Runs `loop` on a new thread that holds `shared` for as long as it runs.
  // False when no thread could be made.
  bool Start(std::shared_ptr<Shared> shared, std::function<void()> loop);
  bool Running() const { return thread_.joinable(); }
  // Asks the thread to end and waits up to `limit` for it; `whileLocked`
  // runs under the shared mutex once the wait is over, ended or not. True
  // when the thread ended, false when it was left behind.
  bool Stop(std::chrono::milliseconds limit, const std::function<void()>& whileLocked = {});

 private:
  std::shared_ptr<Shared> shared_;
  std::thread thread_;
};

// The writers that run on a LeavableThread (the stream's HalfWriter, the
// preview's PreviewWriter): the thread, and the state its loop shares with
// the owner.
template <typename State>
class LeavableWriter {
 public:
  bool Running() const { return thread_.Running(); }

 protected:
  // Runs `loop(state)` on a new thread and keeps the state; false when no
  // thread could be made (the state is then dropped).
  bool Launch(std::shared_ptr<State> state, void (*loop)(std::shared_ptr<State>)) {
    if (!thread_.Start(state, [state, loop] { loop(state); })) return false;
    state_ = std::move(state);
    return true;
  }

  std::shared_ptr<State> state_;
  LeavableThread thread_;
};

}  // namespace tp
