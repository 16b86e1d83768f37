#include "playback/transport.h"

#include "project/messages.h"

#include <cstring>

namespace tp {

Transport::Transport(TransportEvents& events, std::unique_ptr<SoundDevice> device,
                     StreamOptions options)
    : events_(events),
      stream_([this](uint8_t* region, uint32_t bytes) { return MixerFill(region, bytes); },
              std::move(device), std::move(options)) {
  // Only to name the output before the first audition; Start looks again.
  stream_.Open();
}

Transport::~Transport() {
  stream_.Close();
  std::lock_guard lock(MixLock);
  takeFiles_.CloseAll();
}

int Transport::Start(const PlaySelection& selection, uint32_t startFrame) {
  // The slots are only reopened while no service thread can read them.
  StopPlayback();
  // Closed and opened again: the system's list of outputs is read anew.
  stream_.Close();
  if (stream_.Open() < 0) return StartWithoutOutput;
  int opened = 0;
  {
    std::lock_guard lock(MixLock);
    takeFiles_.CloseAll();
    masterMode_ = selection.masterMode;
    labels_ = selection.labels;
    failedSlot_.store(-1);
    const int slots = selection.masterMode ? 2 : TakeFiles::SlotCount;
    for (int slot = 0; slot < slots; ++slot) {
      const auto& path = selection.takes[slot];
      if (path && takeFiles_.Open(slot, *path, startFrame)) ++opened;
    }
  }
  sliderPosition_.store(startFrame);
  // A clip of the previous audition is not this one's, nor are its frames.
  levels_.Clear();
  mixedFrames_.Clear();
  if (!StartPlayback()) {
    std::lock_guard lock(MixLock);
    takeFiles_.CloseAll();
    return StartRefusedByDevice;
  }
  return opened;
}

void Transport::RequestStop() { events_.PostPlayEnd(PlayEndedByUser); }

Status Transport::ReadFailure() const {
  const int slot = failedSlot_.load();
  if (slot < 0) return Status::Ok();
  return Status::Fail(messages::TakeNotRead, labels_[size_t(slot)], failedError_.load());
}

bool Transport::OnPlayEnd(int rewind) {
  // StopPlayback returns only once the service thread has ended (or, after
  // its time-out, while it is still stuck in a fill, which holds MixLock):
  // the takes are closed under MixLock, so never while being read.
  StopPlayback();
  {
    std::lock_guard lock(MixLock);
    takeFiles_.CloseAll();
  }
  if (rewind != PlayEndedByTakes) return false;
  sliderPosition_.store(0);
  return true;
}

void Transport::Seek(uint32_t frame) {
  sliderPosition_.store(frame);
  if (!Playing.load()) return;
  std::lock_guard lock(MixLock);
  Playing.store(false);
  for (int slot = 0; slot < TakeFiles::SlotCount; ++slot)
    if (takeFiles_.IsOpen(slot)) takeFiles_.Seek(slot, frame);
  Playing.store(true);
}

bool Transport::StartPlayback() {
  if (Playing.load()) return true;
  stream_.Prepare(FramesPerSecond, FramesPerHalf);
  // Set before Start so that the very first fill already mixes.
  Playing.store(true);
  if (stream_.Start() < 0) {
    Playing.store(false);
    stream_.ReleaseBuffer();
    return false;
  }
  return true;
}

void Transport::StopPlayback() {
  stream_.Stop();
  stream_.ReleaseBuffer();
  Playing.store(false);
}

// The stream's service thread.
int Transport::MixerFill(uint8_t* region, uint32_t bytes) {
  std::lock_guard lock(MixLock);
  std::memset(region, 0, bytes);
  if (Playing.load()) {
    const uint32_t frames = bytes / StreamBytesPerFrame;
    int16_t* block = reinterpret_cast<int16_t*>(region);
    // On the stack: the meters cost this thread no allocation and no lock.
    BlockLevels levels;
    const MixResult mixed = MixBlock(block, frames, takeFiles_, masterMode_, settings_, &levels);
    const bool more = mixed.delivered;
    levels.mix = StereoPeaks(block, frames);
    levels_.Publish(levels, mixed.clippedFrames);
    // Copied into the ring allocated with the transport: no allocation, no
    // lock; frames a slow reader has no room for are dropped.
    mixedFrames_.Push(block, frames);
    if (const auto failure = takeFiles_.Failure()) {
      // What was read of this block is heard; then the audition stops
      // rather than go on with a track missing.
      failedError_.store(failure->systemError);
      failedSlot_.store(failure->slot);
      Playing.store(false);
      events_.PostPlayEnd(PlayEndedByReadError);
      return 0;
    }
    Playing.store(more);
    events_.PostPlayPos(frames + sliderPosition_.load());
    if (!more) events_.PostPlayEnd(PlayEndedByTakes);
  }
  return 0;
}

}  // namespace tp
