// AudioOutStream: the double-buffered output of the audition. A ring of two
// halves on a sound device, and a service thread (StreamThread) that refills
// whichever half the device has just finished by calling the owner's fill
// function. It knows nothing about takes or mixing.
//
// Calling order: construct and Open once; per run Prepare then Start; to end
// it Stop then ReleaseBuffer; Close (or destroy) at the end. Every operation
// is called on the owner's thread; only the fill function runs on the
// service thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "playback/autoresetevent.h"
#include "playback/sounddevice.h"

namespace tp {

struct StreamOptions {
  // How long the service thread waits for the device's signal before it
  // writes a trace line and waits again.
  std::chrono::milliseconds halfPlayedWait{1000};
  // How long a Stop may take in all: waiting for the service thread to end,
  // then for the device to let go of the ring.
  std::chrono::milliseconds stopWait{10000};
  // Where the trace line goes (one line, no newline given); empty means
  // standard error. Called on the service thread.
  std::function<void(const char* line)> trace;
};

class AudioOutStream {
 public:
  // Called on the service thread with one whole half of the ring (32,768
  // bytes with the usual 8,192 frames per half), which it must fill
  // entirely. A negative result is passed on as FillHalf's result. It must
  // never wait for the owner's thread: Stop waits for the service thread.
  using FillCallback = std::function<int(uint8_t* region, uint32_t bytes)>;

  AudioOutStream(FillCallback fill, std::unique_ptr<SoundDevice> device,
                 StreamOptions options = {});
  ~AudioOutStream();  // Close, and whatever a failed Close left
  AudioOutStream(const AudioOutStream&) = delete;
  AudioOutStream& operator=(const AudioOutStream&) = delete;

  // Opens the sound device; its error when there is none, and then every
  // Prepare fails and nothing ever plays.
  int Open();
  // Creates the ring of two halves of framesPerHalf frames. A second call
  // without ReleaseBuffer keeps the first ring and returns 0.
  int Prepare(uint32_t framesPerSecond, uint32_t framesPerHalf);
  // Fills the ring with silence, starts the device at half 0 and a new
  // service thread. 1 when already playing; StreamFailed without a ring or
  // while the thread of the previous run has not ended yet.
  int Start();
  // Asks the service thread to end, waits for it and stops the device,
  // within stopWait in all, even when the fill or the device's output
  // hangs. 1 when not playing. Once the thread has ended, no fill arrives
  // until the next Start.
  int Stop();
  // Forgets the ring (stopping first if it still plays); the device stays open.
  int ReleaseBuffer();
  // Stop, ReleaseBuffer, close the device. Waits for a service thread that
  // outlived a stop's time-out, because the ring and the fill function must
  // outlive it.
  int Close();

  // Which half (0 or 1) the next fill writes. Written by the service thread.
  int HalfIndex() const { return halfIndex_.load(); }
  uint32_t StopRequest() const { return stopRequest_.load(); }
  // True while a service thread exists (running, or not yet reaped).
  bool HasThread() const { return thread_.joinable(); }
  // Whether Open found a sound device; without one every audition is silent.
  bool DeviceOpen() const { return deviceOpen_; }
  // The open device's name for the user; empty without one.
  std::string DeviceName() const { return deviceOpen_ ? device_->Name() : std::string(); }

 private:
  void StreamThread();  // the service thread
  int FillHalf();       // the service thread
  void Trace(const char* line);
  // Joins the service thread if it has ended; true when none is left.
  bool ReapThread();
  void JoinThread();
  void Shutdown();

  FillCallback fill_;
  std::unique_ptr<SoundDevice> device_;
  StreamOptions options_;

  bool deviceOpen_ = false;
  bool prepared_ = false;
  std::vector<int16_t> ring_;
  uint32_t framesPerHalf_ = 0;
  uint32_t framesPerSecond_ = 0;
  AutoResetEvent event_;

  std::thread thread_;
  std::mutex threadMutex_;  // guards resumed_ and threadEnded_
  std::condition_variable threadChanged_;
  bool resumed_ = false;
  bool threadEnded_ = false;

  std::atomic<uint32_t> stopRequest_{0};
  std::atomic<int> halfIndex_{0};
};

}  // namespace tp
