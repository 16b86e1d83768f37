#include "playback/previewwriter.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <utility>
#include <vector>

#include "playback/threadpriority.h"

namespace tp {

// Shared by the owner and the writer thread, so that a writer left inside a
// stalled write still has it when the write returns, however long after.
struct PreviewWriter::State {
  std::mutex mutex;  // guards everything below but `write` and `copy`
  std::condition_variable changed;
  std::deque<PreviewBlock*> queue;
  PreviewBlock* writing = nullptr;  // taken from the queue, not yet handed back
  bool quit = false;
  bool ended = false;
  PreviewOutput::BlockDone blockDone;
  uint32_t channels = 1;
  Write write;                // the writer thread only
  std::vector<int16_t> copy;  // the writer thread only: the block being written
};

PreviewWriter::PreviewWriter() = default;

PreviewWriter::~PreviewWriter() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(state_->mutex);
    state_->quit = true;
  }
  state_->changed.notify_all();
  thread_.detach();
}

bool PreviewWriter::Start(uint32_t channels, Write write, PreviewOutput::BlockDone blockDone) {
  if (thread_.joinable()) return true;
  auto state = std::make_shared<State>();
  state->channels = channels == 0 ? 1 : channels;
  state->write = std::move(write);
  state->blockDone = std::move(blockDone);
  try {
    thread_ = std::thread(&PreviewWriter::Run, state);
  } catch (const std::system_error&) {
    return false;
  }
  state_ = std::move(state);
  return true;
}

bool PreviewWriter::Queue(PreviewBlock* block) {
  if (!thread_.joinable()) return false;
  {
    std::lock_guard lock(state_->mutex);
    state_->queue.push_back(block);
  }
  state_->changed.notify_all();
  return true;
}

bool PreviewWriter::Reset(std::chrono::milliseconds limit) {
  if (!thread_.joinable()) return true;
  std::unique_lock lock(state_->mutex);
  state_->quit = true;
  state_->changed.notify_all();
  const bool ended = state_->changed.wait_for(lock, limit, [this] { return state_->ended; });
  // Whatever the writer still held or had queued is the preview's again: a
  // left writer works on its own copy and hands nothing back.
  std::deque<PreviewBlock*> unplayed;
  unplayed.swap(state_->queue);
  if (state_->writing) unplayed.push_front(state_->writing);
  state_->writing = nullptr;
  lock.unlock();
  if (ended) {
    thread_.join();
  } else {
    thread_.detach();
  }
  for (PreviewBlock* block : unplayed) state_->blockDone(block);
  state_.reset();
  return ended;
}

// The writer thread. It reads a block and calls back only under the lock and
// only while no reset has been asked for.
void PreviewWriter::Run(std::shared_ptr<State> state) {
  NameCurrentThread("tp-preview-out");
  RaiseCurrentThreadPriority();
  for (;;) {
    {
      std::unique_lock lock(state->mutex);
      state->changed.wait(lock, [&] { return state->quit || !state->queue.empty(); });
      if (state->quit) break;
      state->writing = state->queue.front();
      state->queue.pop_front();
      state->copy = state->writing->samples;
    }
    state->write(state->copy.data(), uint32_t(state->copy.size() / state->channels));
    std::lock_guard lock(state->mutex);
    if (state->quit) break;
    // Handing back only posts the block to the preview's thread.
    state->blockDone(std::exchange(state->writing, nullptr));
  }
  std::lock_guard lock(state->mutex);
  state->ended = true;
  state->changed.notify_all();
}

}  // namespace tp
