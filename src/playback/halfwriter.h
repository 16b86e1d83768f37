// HalfWriter: plays the stream's ring of two halves through a blocking write,
// from a thread of its own. It writes half h only after the stream has handed
// h back (HalfWritten), and hands it to the stream (the event) once the write
// has returned, so a half is never written twice nor skipped, whatever pace
// the output keeps.
//
// A stalled output can block the write for ever: the thread is a
// LeavableThread, which Stop leaves behind after a limit. It owns what it
// still touches (its own copy of the half it is writing, the write
// function, its flags), and once Stop has returned it never reads the ring
// nor sets the event again, so the stream may free both.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "playback/leavablethread.h"

namespace tp {

class AutoResetEvent;

struct HalfWriterState;

class HalfWriter : public LeavableWriter<HalfWriterState> {
 public:
  // Writes `frames` interleaved stereo frames in the host's byte order;
  // blocks for about their duration on a real device.
  using WriteHalf = std::function<void(const int16_t* samples, uint32_t frames)>;

  HalfWriter();
  ~HalfWriter();  // Stop with no wait
  HalfWriter(const HalfWriter&) = delete;
  HalfWriter& operator=(const HalfWriter&) = delete;

  // Owner's thread. Starts a writer at half 0 with both halves counted as
  // written. `ring` holds 2 x framesPerHalf little-endian stereo frames and
  // must stay valid until Stop returns. False when no thread could be made.
  bool Start(const int16_t* ring, uint32_t framesPerHalf, AutoResetEvent& halfPlayed,
             WriteHalf write);
  // Owner's thread. Asks the writer to end and waits up to `limit` for it.
  // True when it ended; false when it is still inside a write and was left
  // behind. Either way the ring and the event are no longer touched.
  bool Stop(std::chrono::milliseconds limit);

  // The stream's service thread: `half` has been written again.
  void HalfWritten(int half);
  // The stream's service thread: true when `half` has been played and not
  // handed back yet.
  bool HalfPlayed(int half) const;

 private:
  static void Run(std::shared_ptr<HalfWriterState> state);
};

}  // namespace tp
