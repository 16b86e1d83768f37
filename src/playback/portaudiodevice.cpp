#include "playback/portaudiodevice.h"

#include <string>
#include <vector>

#include <portaudio.h>

#include "playback/halfwriter.h"
#include "playback/standarderrorsilencer.h"

namespace tp {

namespace {

// Plays the ring with PortAudio's blocking write from a writer thread of its
// own (HalfWriter), so that a half is never written twice nor skipped: a real
// device blocks the write for about a half's duration, and one that consumes
// faster than real time (ALSA's null device) simply waits for the service
// thread's fills instead of replaying stale halves. A callback could only
// play silence or a stale half when the next one is not ready yet.
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
    // A writer left inside a stalled write is still inside PortAudio, which
    // must not be torn down under it.
    if (initialised_ && !stalled_) WithStandardErrorSilenced([] { return Pa_Terminate(); });
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
    return StreamOk;
  }

  void ReleaseRing() override {
    StopPlaying(DeviceStopLimit);
    if (stream_) WithStandardErrorSilenced([this] { return Pa_CloseStream(stream_); });
    stream_ = nullptr;
    ring_ = nullptr;
    halfPlayed_ = nullptr;
  }

  int Play() override {
    if (!stream_) return StreamFailed;
    if (writer_.Running()) return StreamOk;
    const PaError error = Pa_StartStream(stream_);
    if (error != paNoError) return error < 0 ? int(error) : StreamFailed;
    // An underflow (paOutputUnderflowed) only means a click was heard; any
    // other error of a write is not worth stopping the audition for either.
    PaStream* stream = stream_;
    const auto write = [stream](const int16_t* samples, uint32_t frames) {
      Pa_WriteStream(stream, samples, frames);
    };
    if (!writer_.Start(ring_, framesPerHalf_, *halfPlayed_, write)) {
      Pa_AbortStream(stream_);
      return StreamFailed;
    }
    return StreamOk;
  }

  int StopPlaying(std::chrono::milliseconds limit) override {
    if (!writer_.Running()) return StreamOk;
    // A healthy writer is at most one blocking write (about one half) from
    // seeing the request.
    if (!writer_.Stop(limit)) {
      // Its write never returned: the stream can be neither aborted nor
      // closed under it, so it is given up, and the next audition opens a
      // stream of its own.
      stream_ = nullptr;
      stalled_ = true;
      return StreamDeviceStalled;
    }
    const PaError error = Pa_AbortStream(stream_);
    return error < 0 ? int(error) : StreamOk;
  }

  bool IsPlaying() const override { return writer_.Running(); }

  std::string Name() const override {
    const PaDeviceInfo* info = initialised_ && device_ != paNoDevice ? Pa_GetDeviceInfo(device_) : nullptr;
    if (!info || !info->name) return {};
    const PaHostApiInfo* host = Pa_GetHostApiInfo(info->hostApi);
    return host && host->name ? std::string(info->name) + " (" + host->name + ")" : std::string(info->name);
  }

  // The stream's service thread.
  void HalfWritten(int half) override { writer_.HalfWritten(half); }
  bool HalfPlayed(int half) const override { return writer_.HalfPlayed(half); }

 private:
  const std::string wanted_;
  PaDeviceIndex device_ = paNoDevice;
  bool initialised_ = false;
  bool stalled_ = false;  // a writer was left inside PortAudio
  PaStream* stream_ = nullptr;
  const int16_t* ring_ = nullptr;
  uint32_t framesPerHalf_ = 0;
  AutoResetEvent* halfPlayed_ = nullptr;
  HalfWriter writer_;
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
