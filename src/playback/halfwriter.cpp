#include "playback/halfwriter.h"

#include <bit>
#include <mutex>
#include <vector>

#include "playback/autoresetevent.h"
#include "playback/sounddevice.h"
#include "playback/threadpriority.h"

namespace tp {

// Shared by the owner and the writer thread, so that a writer left inside a
// stalled write still has it when the write returns, however long after.
struct HalfWriterState : LeavableThread::Shared {
  // The mutex guards everything below but `write` and `copy`.
  bool written[2] = {true, true};
  const int16_t* ring = nullptr;
  AutoResetEvent* halfPlayed = nullptr;
  uint32_t framesPerHalf = 0;
  HalfWriter::WriteHalf write;  // the writer thread only
  std::vector<int16_t> copy;    // the writer thread only: the half being written
};

HalfWriter::HalfWriter() = default;

HalfWriter::~HalfWriter() { Stop(std::chrono::milliseconds(0)); }

bool HalfWriter::Start(const int16_t* ring, uint32_t framesPerHalf, AutoResetEvent& halfPlayed,
                       WriteHalf write) {
  if (thread_.Running()) return true;
  auto state = std::make_shared<HalfWriterState>();
  state->ring = ring;
  state->framesPerHalf = framesPerHalf;
  state->halfPlayed = &halfPlayed;
  state->write = std::move(write);
  state->copy.assign(size_t(framesPerHalf) * StreamChannels, 0);
  return Launch(std::move(state), Run);
}

bool HalfWriter::Stop(std::chrono::milliseconds limit) {
  const bool ended = thread_.Stop(limit);
  state_.reset();
  return ended;
}

void HalfWriter::HalfWritten(int half) {
  if (!state_) return;
  {
    std::lock_guard lock(state_->mutex);
    state_->written[half & 1] = true;
  }
  state_->changed.notify_all();
}

bool HalfWriter::HalfPlayed(int half) const {
  if (!state_) return false;
  std::lock_guard lock(state_->mutex);
  return !state_->quit && !state_->written[half & 1];
}

namespace {

// The ring is little-endian; the write wants the host's order.
void copyHalf(int16_t* to, const int16_t* from, size_t values) {
  for (size_t i = 0; i < values; ++i) {
    if constexpr (std::endian::native == std::endian::little) {
      to[i] = from[i];
    } else {
      const auto value = uint16_t(from[i]);
      to[i] = int16_t(uint16_t((value >> 8) | (value << 8)));
    }
  }
}

}  // namespace

// The writer thread. The ring is read and the event set only under the
// lock and only while no stop has been asked for: once Stop has set `quit`
// the thread touches nothing but its state.
void HalfWriter::Run(std::shared_ptr<HalfWriterState> state) {
  NameCurrentThread("tp-sound-out");
  RaiseCurrentThreadPriority();
  const size_t valuesPerHalf = state->copy.size();
  for (int half = 0;; half ^= 1) {
    {
      std::unique_lock lock(state->mutex);
      state->changed.wait(lock, [&] { return state->quit || state->written[half]; });
      if (state->quit) break;
      copyHalf(state->copy.data(), state->ring + size_t(half) * valuesPerHalf, valuesPerHalf);
    }
    state->write(state->copy.data(), state->framesPerHalf);
    std::lock_guard lock(state->mutex);
    if (state->quit) break;
    state->written[half] = false;
    state->halfPlayed->Set();
  }
}

}  // namespace tp
