#include "playback/previewwriter.h"

#include <deque>
#include <mutex>
#include <utility>
#include <vector>

#include "playback/threadpriority.h"

namespace tp {

// Shared by the owner and the writer thread, so that a writer left inside a
// stalled write still has it when the write returns, however long after.
struct PreviewWriterState : LeavableThread::Shared {
  // The mutex guards everything below but `write` and `copy`.
  std::deque<PreviewBlock*> queue;
  PreviewBlock* writing = nullptr;  // taken from the queue, not yet handed back
  PreviewOutput::BlockDone blockDone;
  uint32_t channels = 1;
  PreviewWriter::Write write;  // the writer thread only
  std::vector<int16_t> copy;    // the writer thread only: the block being written
};

PreviewWriter::PreviewWriter() = default;

PreviewWriter::~PreviewWriter() { thread_.Stop(std::chrono::milliseconds(0)); }

bool PreviewWriter::Start(uint32_t channels, Write write, PreviewOutput::BlockDone blockDone) {
  if (thread_.Running()) return true;
  auto state = std::make_shared<PreviewWriterState>();
  state->channels = channels == 0 ? 1 : channels;
  state->write = std::move(write);
  state->blockDone = std::move(blockDone);
  return Launch(std::move(state), Run);
}

bool PreviewWriter::Queue(PreviewBlock* block) {
  if (!thread_.Running()) return false;
  {
    std::lock_guard lock(state_->mutex);
    state_->queue.push_back(block);
  }
  state_->changed.notify_all();
  return true;
}

bool PreviewWriter::Reset(std::chrono::milliseconds limit) {
  // Whatever the writer still held or had queued is the preview's again: a
  // left writer works on its own copy and hands nothing back.
  std::deque<PreviewBlock*> unplayed;
  const bool ended = thread_.Stop(limit, [&] {
    unplayed.swap(state_->queue);
    if (state_->writing) unplayed.push_front(state_->writing);
    state_->writing = nullptr;
  });
  if (state_)
    for (PreviewBlock* block : unplayed) state_->blockDone(block);
  state_.reset();
  return ended;
}

// The writer thread. It reads a block and calls back only under the lock and
// only while no reset has been asked for.
void PreviewWriter::Run(std::shared_ptr<PreviewWriterState> state) {
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
}

}  // namespace tp
