// The wave preview's output through PortAudio.
#include <chrono>
#include <deque>

#include <portaudio.h>

#include "playback/previewoutput.h"
#include "playback/previewwriter.h"
#include "playback/sounddevice.h"
#include "playback/portaudiodevice.h"
#include "playback/standarderrorsilencer.h"

namespace tp {

namespace {

// A writer thread (PreviewWriter) takes the queued blocks in order and hands
// each to PortAudio's blocking write; once the write has returned, the block
// is in the device's buffer and goes back to the preview, which refills it.
// So the preview keeps the device's buffer full with at most 16 blocks in
// flight, and a refill never races the device: the write has copied it.
//
// Reset lets the writer finish the write it is in (at most one block, about
// 12 ms at 44,100 Hz), then aborts the stream, which drops whatever the
// device still holds: the sound stops at once. A write that does not return
// within PreviewStopLimit means the output has stalled: the writer is left
// inside it with the stream, which can then be neither aborted nor closed,
// and the next preview opens a stream of its own.
constexpr std::chrono::milliseconds PreviewStopLimit{2000};

class PortAudioPreviewOutput : public PreviewOutput {
 public:
  ~PortAudioPreviewOutput() override {
    Close();
    // A writer left inside a stalled write is still inside PortAudio.
    if (initialised_ && !stalled_) WithStandardErrorSilenced([] { return Pa_Terminate(); });
  }

  int Open(uint32_t channels, uint32_t framesPerSecond, BlockDone blockDone) override {
    if (stream_) return StreamFailed;
    // PortAudio starts once per output and keeps running between previews:
    // probing the host APIs takes longer than a click should.
    if (!initialised_) {
      const PaError error = WithStandardErrorSilenced([] { return Pa_Initialize(); });
      if (error != paNoError) return error < 0 ? int(error) : StreamFailed;
      initialised_ = true;
    }
    // The preview plays where the audition plays.
    const PaDeviceIndex device = FindPortAudioOutput(RequestedOutputDevice());
    const PaDeviceInfo* info = device == paNoDevice ? nullptr : Pa_GetDeviceInfo(device);
    if (!info) return StreamNoDevice;
    PaStreamParameters output{};
    output.device = device;
    output.channelCount = int(channels);
    output.sampleFormat = paInt16;
    output.suggestedLatency = info->defaultLowOutputLatency;
    PaStream* stream = nullptr;
    const PaError error = WithStandardErrorSilenced([&] {
      return Pa_OpenStream(&stream, nullptr, &output, double(framesPerSecond), paFramesPerBufferUnspecified,
                           paClipOff, nullptr, nullptr);
    });
    if (error != paNoError) return error < 0 ? int(error) : StreamFailed;
    stream_ = stream;
    channels_ = channels;
    blockDone_ = std::move(blockDone);
    return StreamOk;
  }

  // The preview's thread.
  void Write(PreviewBlock* block) override {
    if (!stream_) {
      blockDone_(block);
      return;
    }
    if (!writer_.Running()) StartWriter();
    // A stream that would not start plays nothing: its blocks wait for Reset.
    if (!writer_.Queue(block)) unstarted_.push_back(block);
  }

  // The preview's thread.
  void Reset() override {
    std::deque<PreviewBlock*> unstarted;
    unstarted.swap(unstarted_);
    for (PreviewBlock* block : unstarted) blockDone_(block);
    if (!writer_.Running()) return;
    if (writer_.Reset(PreviewStopLimit)) {
      Pa_AbortStream(stream_);
    } else {
      stream_ = nullptr;
      stalled_ = true;
    }
  }

  // The preview's thread.
  void Close() override {
    Reset();
    if (stream_) WithStandardErrorSilenced([this] { return Pa_CloseStream(stream_); });
    stream_ = nullptr;
    blockDone_ = nullptr;
  }

 private:
  void StartWriter() {
    if (Pa_StartStream(stream_) != paNoError) return;
    // An underflow (paOutputUnderflowed) only means a click was heard.
    PaStream* stream = stream_;
    const auto write = [stream](const int16_t* samples, uint32_t frames) {
      Pa_WriteStream(stream, samples, frames);
    };
    if (!writer_.Start(channels_, write, blockDone_)) Pa_AbortStream(stream_);
  }

  bool initialised_ = false;
  bool stalled_ = false;  // a writer was left inside PortAudio
  PaStream* stream_ = nullptr;
  uint32_t channels_ = 1;
  BlockDone blockDone_;
  PreviewWriter writer_;
  std::deque<PreviewBlock*> unstarted_;
};

}  // namespace

std::unique_ptr<PreviewOutput> MakePortAudioPreviewOutput() { return std::make_unique<PortAudioPreviewOutput>(); }

}  // namespace tp
