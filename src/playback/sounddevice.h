// The sound output behind the audio output stream: a device that plays a ring
// of two halves over and over and says when it has finished one. The stream
// owns the ring, the event and the service thread that refills the halves;
// a device only reads the ring and sets the event.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace tp {

class AutoResetEvent;

// Results of the stream's and the devices' operations: 0 success, 1 for a
// call that finds nothing to do, negative for a failure. A device may pass
// its own negative codes through.
constexpr int StreamOk = 0;
constexpr int StreamNothingToDo = 1;
constexpr int StreamFailed = -1;
constexpr int StreamOutOfMemory = -2;
constexpr int StreamNoDevice = -3;
// The device's output stalled: a stop gave up waiting for it and left it.
constexpr int StreamDeviceStalled = -4;

// How long a device's stop may wait for its output to let go of the ring
// when the stream has no time of its own left to give it.
constexpr std::chrono::milliseconds DeviceStopLimit{10000};

// The block format of the ring: 16-bit signed little-endian PCM, two
// channels interleaved left then right.
constexpr uint32_t StreamChannels = 2;
constexpr uint32_t StreamBytesPerFrame = 4;

class SoundDevice {
 public:
  virtual ~SoundDevice() = default;

  // Owner's thread. Opens the system's output; negative when there is none.
  virtual int Open() = 0;
  // Owner's thread. Releases what Open acquired; the ring is released first.
  virtual void Close() = 0;

  // Owner's thread. Attaches the ring: 2 x framesPerHalf frames at `ring`,
  // owned by the stream and valid until ReleaseRing. From Play to
  // StopPlaying the device plays half 0, half 1, half 0, ... and sets
  // `halfPlayed` each time it is done with a half, after which the stream
  // may write that half again.
  virtual int CreateRing(const int16_t* ring, uint32_t framesPerHalf, uint32_t framesPerSecond,
                         AutoResetEvent& halfPlayed) = 0;
  // Owner's thread. Stops playing if needed and forgets the ring.
  virtual void ReleaseRing() = 0;

  // Owner's thread. Starts with half 0; both halves count as written (the
  // stream has just filled them with silence).
  virtual int Play() = 0;
  // Owner's thread. Once it returns the device reads the ring no more and
  // sets the event no more. Returns within about `limit` even when the
  // output has stalled (StreamDeviceStalled: the device gave up its output).
  virtual int StopPlaying(std::chrono::milliseconds limit) = 0;
  // Owner's thread.
  virtual bool IsPlaying() const = 0;
  // Owner's thread. The output Open found, as the system names it, for the
  // user to see which one plays; empty while none is open.
  virtual std::string Name() const = 0;

  // The stream's service thread: `half` (0 or 1) has been written again and
  // may be played. A device must never play a half twice without this in
  // between, nor skip one, so that what it plays is exactly what the stream
  // wrote, in order, even when it consumes faster than real time. Must not
  // block beyond a brief lock.
  virtual void HalfWritten(int half) = 0;
  // The stream's service thread: true when the device has finished `half`
  // and not had it back yet. The event resets itself, so two halves played
  // in quick succession wake the service thread once; this tells it that
  // both are waiting.
  virtual bool HalfPlayed(int half) const = 0;
};

}  // namespace tp
