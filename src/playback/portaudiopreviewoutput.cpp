// The wave preview's output through PortAudio.
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#include <portaudio.h>

#include "playback/previewoutput.h"
#include "playback/sounddevice.h"
#include "playback/portaudiodevice.h"
#include "playback/standarderrorsilencer.h"
#include "playback/threadpriority.h"

namespace tp {

namespace {

// A writer thread takes the queued blocks in order and hands each to
// PortAudio's blocking write; once the write has returned, the block is in
// the device's buffer and goes back to the preview, which refills it. So the
// preview keeps the device's buffer full with at most 16 blocks in flight,
// and a refill never races the device: the write has copied the block.
//
// Reset lets the writer finish the write it is in (at most one block, about
// 12 ms at 44,100 Hz), then aborts the stream, which drops whatever the
// device still holds: the sound stops at once.
class PortAudioPreviewOutput : public PreviewOutput {
 public:
  ~PortAudioPreviewOutput() override {
    Close();
    if (initialised_) WithStandardErrorSilenced([] { return Pa_Terminate(); });
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
    {
      std::lock_guard lock(mutex_);
      queue_.push_back(block);
    }
    changed_.notify_all();
    if (!writer_.joinable()) StartWriter();
  }

  // The preview's thread.
  void Reset() override {
    if (writer_.joinable()) {
      {
        std::lock_guard lock(mutex_);
        quit_ = true;
      }
      changed_.notify_all();
      writer_.join();
      Pa_AbortStream(stream_);
    }
    std::deque<PreviewBlock*> dropped;
    {
      std::lock_guard lock(mutex_);
      dropped.swap(queue_);
      quit_ = false;
    }
    for (PreviewBlock* block : dropped) blockDone_(block);
  }

  // The preview's thread.
  void Close() override {
    if (!stream_) return;
    Reset();
    WithStandardErrorSilenced([this] { return Pa_CloseStream(stream_); });
    stream_ = nullptr;
    blockDone_ = nullptr;
  }

 private:
  void StartWriter() {
    if (Pa_StartStream(stream_) != paNoError) return;  // blocks stay queued; Reset hands them back
    try {
      writer_ = std::thread(&PortAudioPreviewOutput::Writer, this);
    } catch (const std::system_error&) {
      Pa_AbortStream(stream_);
    }
  }

  // The output's writer thread.
  void Writer() {
    NameCurrentThread("tp-preview-out");
    RaiseCurrentThreadPriority();
    for (;;) {
      PreviewBlock* block = nullptr;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return quit_ || !queue_.empty(); });
        if (quit_) return;
        block = queue_.front();
        queue_.pop_front();
      }
      // An underflow (paOutputUnderflowed) only means a click was heard.
      Pa_WriteStream(stream_, block->samples.data(), static_cast<unsigned long>(block->samples.size() / channels_));
      blockDone_(block);
    }
  }

  bool initialised_ = false;
  PaStream* stream_ = nullptr;
  uint32_t channels_ = 1;
  BlockDone blockDone_;

  std::thread writer_;
  std::mutex mutex_;  // guards queue_ and quit_
  std::condition_variable changed_;
  std::deque<PreviewBlock*> queue_;
  bool quit_ = false;
};

}  // namespace

std::unique_ptr<PreviewOutput> MakePortAudioPreviewOutput() { return std::make_unique<PortAudioPreviewOutput>(); }

}  // namespace tp
