// PreviewWriter: plays the wave preview's queued blocks in order through a
// blocking write, from a thread of its own, and hands each block back once
// its write has returned. Reset drops what is queued and stops the thread,
// waiting for a write in progress only up to a limit (a LeavableThread): a
// writer stuck inside a stalled output is left behind with its own copy of
// the block it was writing, and never touches the preview's blocks or
// calls back again.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "playback/leavablethread.h"
#include "playback/previewoutput.h"

namespace tp {

struct PreviewWriterState;

class PreviewWriter : public LeavableWriter<PreviewWriterState> {
 public:
  // Writes `frames` frames of interleaved samples; blocks for about their
  // duration on a real device.
  using Write = std::function<void(const int16_t* samples, uint32_t frames)>;

  PreviewWriter();
  ~PreviewWriter();  // Stops with no wait; nothing is handed back
  PreviewWriter(const PreviewWriter&) = delete;
  PreviewWriter& operator=(const PreviewWriter&) = delete;

  // Starts a writer for `channels` interleaved channels. False when no
  // thread could be made. `blockDone` is called on the writer's thread, or
  // on Reset's caller's thread for blocks that were not played.
  bool Start(uint32_t channels, Write write, PreviewOutput::BlockDone blockDone);
  // Queues `block`; false when no writer runs (the block stays the caller's).
  bool Queue(PreviewBlock* block);
  // Stops the writer, waiting up to `limit` for the write it is in, and hands
  // back every block not yet handed back. True when the writer ended; false
  // when it was left inside its write.
  bool Reset(std::chrono::milliseconds limit);

 private:
  static void Run(std::shared_ptr<PreviewWriterState> state);
};

}  // namespace tp
