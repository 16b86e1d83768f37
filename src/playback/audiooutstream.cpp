#include "playback/audiooutstream.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <system_error>

#include "playback/threadpriority.h"

namespace tp {

AudioOutStream::AudioOutStream(FillCallback fill, std::unique_ptr<SoundDevice> device,
                               StreamOptions options)
    : fill_(std::move(fill)), device_(std::move(device)), options_(std::move(options)) {}

AudioOutStream::~AudioOutStream() {
  Close();
  Shutdown();
}

int AudioOutStream::Open() {
  if (deviceOpen_) return StreamOk;
  if (!device_) return StreamNoDevice;
  const int result = device_->Open();
  if (result < 0) return result;
  deviceOpen_ = true;
  return StreamOk;
}

int AudioOutStream::Prepare(uint32_t framesPerSecond, uint32_t framesPerHalf) {
  if (prepared_) return StreamOk;
  if (!deviceOpen_) return StreamFailed;
  // The ring of a run whose thread outlived Stop may still be written to.
  if (!ReapThread()) return StreamFailed;
  if (framesPerHalf == 0 || framesPerSecond == 0) return StreamFailed;
  framesPerHalf_ = framesPerHalf;
  framesPerSecond_ = framesPerSecond;
  try {
    ring_.assign(size_t(2) * framesPerHalf * StreamChannels, 0);
  } catch (const std::bad_alloc&) {
    return StreamOutOfMemory;
  }
  const int result = device_->CreateRing(ring_.data(), framesPerHalf, framesPerSecond, event_);
  if (result < 0) return result;
  prepared_ = true;
  return StreamOk;
}

int AudioOutStream::Start() {
  if (!prepared_) return StreamFailed;
  if (device_->IsPlaying()) return StreamNothingToDo;
  if (!ReapThread()) return StreamFailed;

  stopRequest_.store(0);
  {
    std::lock_guard lock(threadMutex_);
    resumed_ = false;
    threadEnded_ = false;
  }
  // The thread waits to be resumed until the ring is silent and playing, so
  // that it never sees the ring of the previous run.
  try {
    thread_ = std::thread(&AudioOutStream::StreamThread, this);
  } catch (const std::system_error&) {
    return StreamFailed;
  }

  std::memset(ring_.data(), 0, ring_.size() * sizeof(int16_t));
  halfIndex_.store(0);
  event_.Reset();  // a signal from the end of the last run would fill half 0 too early
  const int result = device_->Play();
  if (result < 0) stopRequest_.fetch_add(1);

  {
    std::lock_guard lock(threadMutex_);
    resumed_ = true;
  }
  threadChanged_.notify_all();
  if (result < 0) {
    JoinThread();
    return result;
  }
  return StreamOk;
}

int AudioOutStream::Stop() {
  if (!prepared_) return StreamFailed;
  if (!device_->IsPlaying()) return StreamNothingToDo;
  // The whole stop, service thread and device together, keeps to stopWait.
  const auto deadline = std::chrono::steady_clock::now() + options_.stopWait;
  if (thread_.joinable()) {
    stopRequest_.fetch_add(1);
    // Wake the thread now rather than at the device's next signal; it sees
    // the request and ends without filling a half that will not be played.
    event_.Set();
    std::unique_lock lock(threadMutex_);
    const bool ended =
        threadChanged_.wait_until(lock, deadline, [this] { return threadEnded_; });
    lock.unlock();
    // A thread that did not end in time is left to finish its fill; it is
    // joined by the next Prepare, Start or Close.
    if (ended) thread_.join();
  }
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return device_->StopPlaying(std::max(left, std::chrono::milliseconds(0)));
}

int AudioOutStream::ReleaseBuffer() {
  if (prepared_ && device_->IsPlaying()) Stop();
  if (prepared_) device_->ReleaseRing();
  prepared_ = false;
  if (ReapThread()) {
    ring_.clear();
    ring_.shrink_to_fit();
  }
  return StreamOk;
}

int AudioOutStream::Close() {
  if (prepared_) {
    const int result = Stop();
    if (result < 0) return result;
    ReleaseBuffer();
  }
  if (thread_.joinable()) {
    // Only a thread that outlived a stop's time-out gets here.
    stopRequest_.fetch_add(1);
    event_.Set();
    JoinThread();
  }
  ring_.clear();
  ring_.shrink_to_fit();
  if (deviceOpen_) device_->Close();
  deviceOpen_ = false;
  return StreamOk;
}

void AudioOutStream::Shutdown() {
  if (thread_.joinable()) {
    stopRequest_.fetch_add(1);
    event_.Set();
    JoinThread();
  }
  if (prepared_) device_->ReleaseRing();
  prepared_ = false;
  if (deviceOpen_) device_->Close();
  deviceOpen_ = false;
}

bool AudioOutStream::ReapThread() {
  if (!thread_.joinable()) return true;
  {
    std::lock_guard lock(threadMutex_);
    if (!threadEnded_) return false;
  }
  thread_.join();
  return true;
}

void AudioOutStream::JoinThread() {
  if (thread_.joinable()) thread_.join();
}

void AudioOutStream::Trace(const char* line) {
  if (options_.trace) {
    options_.trace(line);
  } else {
    std::fprintf(stderr, "%s\n", line);
  }
}

// The service thread.
void AudioOutStream::StreamThread() {
  NameCurrentThread("tp-stream");
  // The fill has one half (about 186 ms) before the device needs it.
  RaiseCurrentThreadPriority();
  {
    std::unique_lock lock(threadMutex_);
    threadChanged_.wait(lock, [this] { return resumed_; });
  }

  // Made before the loop so that a time-out allocates nothing.
  const std::string timeoutLine = "StreamThread: the sound device did not signal a played half within " +
                                  std::to_string(options_.halfPlayedWait.count()) + " ms";
  while (stopRequest_.load() == 0) {
    if (!event_.WaitFor(options_.halfPlayedWait)) {
      Trace(timeoutLine.c_str());
      continue;
    }
    // One wake may stand for two played halves (the event resets itself),
    // and a wake from Stop for none: fill exactly the halves the device is
    // done with, in order.
    while (stopRequest_.load() == 0 && device_->HalfPlayed(halfIndex_.load())) FillHalf();
  }

  {
    std::lock_guard lock(threadMutex_);
    threadEnded_ = true;
  }
  threadChanged_.notify_all();
}

// The service thread. The device is done with half HalfIndex, so it is ours
// to write until we hand it back with HalfWritten.
int AudioOutStream::FillHalf() {
  const int half = halfIndex_.load();
  const uint32_t halfBytes = framesPerHalf_ * StreamBytesPerFrame;
  auto* region = reinterpret_cast<uint8_t*>(ring_.data() + size_t(half) * framesPerHalf_ * StreamChannels);
  const int status = fill_ ? fill_(region, halfBytes) : StreamOk;
  device_->HalfWritten(half);
  halfIndex_.store(half ^ 1);
  return status < 0 ? status : StreamOk;
}

}  // namespace tp
