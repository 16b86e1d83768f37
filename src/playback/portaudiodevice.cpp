#include "playback/portaudiodevice.h"

#include <bit>
#include <condition_variable>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

#include <portaudio.h>

#include "playback/autoresetevent.h"
#include "playback/standarderrorsilencer.h"
#include "playback/threadpriority.h"

namespace tp {

namespace {

// Plays the ring with PortAudio's blocking write from a thread of its own:
// it writes half h only after the stream has handed h back with HalfWritten,
// and hands it to the stream (the event) once the write has returned. So a
// half is never written twice nor skipped, whatever pace the device keeps:
// a real device blocks the write for about a half's duration, and one that
// consumes faster than real time (ALSA's null device) simply waits for the
// service thread's fills instead of replaying stale halves. A callback could
// only play silence or a stale half when the next one is not ready yet.
class PortAudioDevice : public SoundDevice {
 public:
  explicit PortAudioDevice(std::string wanted) : wanted_(std::move(wanted)) {}
  ~PortAudioDevice() override { Close(); }

  int Open() override {
    if (initialised_) return StreamOk;
    const PaError error = WithStandardErrorSilenced([] { return Pa_Initialize(); });
    if (error != paNoError) return error < 0 ? int(error) : StreamFailed;
    initialised_ = true;
    device_ = FindPortAudioOutput(wanted_);
    if (device_ == paNoDevice) {
      Close();
      return StreamNoDevice;
    }
    return StreamOk;
  }

  void Close() override {
    ReleaseRing();
    if (initialised_) WithStandardErrorSilenced([] { return Pa_Terminate(); });
    initialised_ = false;
  }

  int CreateRing(const int16_t* ring, uint32_t framesPerHalf, uint32_t framesPerSecond,
                 AutoResetEvent& halfPlayed) override {
    if (!initialised_) return StreamFailed;
    const PaDeviceInfo* info = device_ == paNoDevice ? nullptr : Pa_GetDeviceInfo(device_);
    if (!info) return StreamNoDevice;
    PaStreamParameters output{};
    output.device = device_;
    output.channelCount = int(StreamChannels);
    output.sampleFormat = paInt16;
    output.suggestedLatency = info->defaultHighOutputLatency;
    PaStream* stream = nullptr;
    const PaError error = WithStandardErrorSilenced([&] {
      return Pa_OpenStream(&stream, nullptr, &output, double(framesPerSecond),
                           paFramesPerBufferUnspecified, paClipOff, nullptr, nullptr);
    });
    if (error != paNoError) return error < 0 ? int(error) : StreamFailed;
    stream_ = stream;
    ring_ = ring;
    framesPerHalf_ = framesPerHalf;
    halfPlayed_ = &halfPlayed;
    if constexpr (std::endian::native != std::endian::little)
      swapped_.assign(size_t(framesPerHalf) * StreamChannels, 0);
    return StreamOk;
  }

  void ReleaseRing() override {
    StopPlaying();
    if (stream_) WithStandardErrorSilenced([this] { return Pa_CloseStream(stream_); });
    stream_ = nullptr;
    ring_ = nullptr;
    halfPlayed_ = nullptr;
  }

  int Play() override {
    if (!stream_) return StreamFailed;
    if (writer_.joinable()) return StreamOk;
    {
      std::lock_guard lock(mutex_);
      written_[0] = written_[1] = true;
      quit_ = false;
    }
    const PaError error = Pa_StartStream(stream_);
    if (error != paNoError) return error < 0 ? int(error) : StreamFailed;
    try {
      writer_ = std::thread(&PortAudioDevice::Writer, this);
    } catch (const std::system_error&) {
      Pa_AbortStream(stream_);
      return StreamFailed;
    }
    return StreamOk;
  }

  int StopPlaying() override {
    if (!writer_.joinable()) return StreamOk;
    {
      std::lock_guard lock(mutex_);
      quit_ = true;
    }
    changed_.notify_all();
    // The writer is at most one blocking write (about one half) from seeing quit_.
    writer_.join();
    const PaError error = Pa_AbortStream(stream_);
    return error < 0 ? int(error) : StreamOk;
  }

  bool IsPlaying() const override { return writer_.joinable(); }

  // The stream's service thread.
  void HalfWritten(int half) override {
    {
      std::lock_guard lock(mutex_);
      written_[half & 1] = true;
    }
    changed_.notify_all();
  }

  // The stream's service thread.
  bool HalfPlayed(int half) const override {
    std::lock_guard lock(mutex_);
    return !quit_ && !written_[half & 1];
  }

 private:
  // The device's writer thread.
  void Writer() {
    NameCurrentThread("tp-sound-out");
    RaiseCurrentThreadPriority();
    const size_t valuesPerHalf = size_t(framesPerHalf_) * StreamChannels;
    for (int half = 0;; half ^= 1) {
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return quit_ || written_[half]; });
        if (quit_) return;
      }
      const int16_t* samples = ring_ + size_t(half) * valuesPerHalf;
      // The ring is little-endian; PortAudio wants the host's order.
      if constexpr (std::endian::native != std::endian::little) {
        for (size_t i = 0; i < valuesPerHalf; ++i) {
          const auto value = uint16_t(samples[i]);
          swapped_[i] = int16_t(uint16_t((value >> 8) | (value << 8)));
        }
        samples = swapped_.data();
      }
      // An underflow (paOutputUnderflowed) only means a click was heard;
      // any other error is not worth stopping the audition for either.
      Pa_WriteStream(stream_, samples, framesPerHalf_);
      {
        std::lock_guard lock(mutex_);
        written_[half] = false;
      }
      halfPlayed_->Set();
    }
  }

  const std::string wanted_;
  PaDeviceIndex device_ = paNoDevice;
  bool initialised_ = false;
  PaStream* stream_ = nullptr;
  const int16_t* ring_ = nullptr;
  uint32_t framesPerHalf_ = 0;
  AutoResetEvent* halfPlayed_ = nullptr;
  std::vector<int16_t> swapped_;

  std::thread writer_;
  mutable std::mutex mutex_;  // guards written_ and quit_
  std::condition_variable changed_;
  bool written_[2] = {false, false};
  bool quit_ = false;
};

}  // namespace

std::vector<OutputDeviceInfo> ListOutputDevices() {
  std::vector<OutputDeviceInfo> devices;
  if (WithStandardErrorSilenced([] { return Pa_Initialize(); }) != paNoError) return devices;
  const PaDeviceIndex defaultOutput = Pa_GetDefaultOutputDevice();
  for (PaDeviceIndex index = 0, count = Pa_GetDeviceCount(); index < count; ++index) {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(index);
    if (!info || info->maxOutputChannels <= 0) continue;
    const PaHostApiInfo* host = Pa_GetHostApiInfo(info->hostApi);
    devices.push_back({index, info->name ? info->name : "", host && host->name ? host->name : "",
                       info->maxOutputChannels, index == defaultOutput});
  }
  WithStandardErrorSilenced([] { return Pa_Terminate(); });
  return devices;
}

int FindPortAudioOutput(const std::string& wanted) {
  if (wanted.empty()) return Pa_GetDefaultOutputDevice();
  std::vector<std::string> names;
  std::vector<PaDeviceIndex> indices;
  for (PaDeviceIndex index = 0, count = Pa_GetDeviceCount(); index < count; ++index) {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(index);
    if (!info || info->maxOutputChannels <= 0) continue;
    names.emplace_back(info->name ? info->name : "");
    indices.push_back(index);
  }
  const auto match = MatchOutputDevice(names, wanted);
  return match ? indices[*match] : paNoDevice;
}

std::unique_ptr<SoundDevice> MakePortAudioDevice(std::string wanted) {
  return std::make_unique<PortAudioDevice>(std::move(wanted));
}

}  // namespace tp
