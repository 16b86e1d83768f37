// A sound device without sound: it plays a half only when told to, so that a
// test (or a headless run) drives the stream's clock itself, one half at a
// time, and sees exactly what the stream wrote.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <atomic>
#include <vector>

#include "playback/sounddevice.h"

namespace tp {

class VirtualSoundDevice : public SoundDevice {
 public:
  // `present` false makes Open fail, as on a machine without sound output.
  explicit VirtualSoundDevice(bool present = true) : present_(present) {}
  // The output appears (a USB interface plugged in) or goes: the next Open
  // finds it or not.
  void SetPresent(bool present) { present_ = present; }

  // A device that opens but whose stream will not start (busy, or a
  // format it refuses): every Play fails from now on.
  void RefusePlay() { refusePlay_ = true; }

  int Open() override;
  void Close() override;
  int CreateRing(const int16_t* ring, uint32_t framesPerHalf, uint32_t framesPerSecond,
                 AutoResetEvent& halfPlayed) override;
  void ReleaseRing() override;
  int Play() override;
  int StopPlaying(std::chrono::milliseconds limit) override;
  bool IsPlaying() const override;
  std::string Name() const override;
  void HalfWritten(int half) override;       // the stream's service thread
  bool HalfPlayed(int half) const override;  // the stream's service thread

  // The driving thread. Waits until the next half may be played (it has been
  // written since it was last played), appends its frames to Received() and
  // signals the stream. False when not playing, or when the half was not
  // written within `guard` (a hung stream; the guard only keeps a broken
  // test from hanging).
  bool PlayNextHalf(std::chrono::milliseconds guard = std::chrono::seconds(10));
  // The driving thread. Waits until the stream has written `count` halves
  // since Play; false if that did not happen within `guard`.
  bool WaitForHalvesWritten(size_t count, std::chrono::milliseconds guard = std::chrono::seconds(10));
  // Signals the stream as if a half had been played, without playing one.
  void SignalWithoutPlaying();

  // The limit the last StopPlaying was given.
  std::chrono::milliseconds LastStopLimit() const {
    std::lock_guard lock(mutex_);
    return lastStopLimit_;
  }

  // Every interleaved 16-bit value played since Play, in order.
  std::vector<int16_t> Received() const;
  size_t HalvesWritten() const;
  size_t HalvesPlayed() const;
  int RingsCreated() const;
  const int16_t* Ring() const;
  uint32_t FramesPerHalf() const;
  uint32_t FramesPerSecond() const;

 private:
  std::atomic<bool> present_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
  bool playing_ = false;
  const int16_t* ring_ = nullptr;
  uint32_t framesPerHalf_ = 0;
  uint32_t framesPerSecond_ = 0;
  AutoResetEvent* halfPlayed_ = nullptr;
  bool written_[2] = {false, false};
  int nextHalf_ = 0;
  size_t halvesWritten_ = 0;
  size_t halvesPlayed_ = 0;
  int ringsCreated_ = 0;
  std::vector<int16_t> received_;
  std::atomic<bool> refusePlay_{false};
  std::chrono::milliseconds lastStopLimit_{0};
};

}  // namespace tp
