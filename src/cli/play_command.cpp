// play: auditions takes through the same transport and stream as the window,
// on the default sound output, showing the position as the status bar does.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <unistd.h>

#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/mixselection.h"
#include "playback/portaudiodevice.h"
#include "playback/transport.h"

namespace tp::cli {

namespace {

// The notices of the mixing thread, queued for the command's own thread.
class NoticeQueue : public TransportEvents {
 public:
  struct Notice {
    bool end;
    uint32_t value;  // rewind flag or position
  };

  // Called on the stream's service thread: queue and return.
  void PostPlayEnd(int rewind) override { push({true, uint32_t(rewind)}); }
  void PostPlayPos(uint32_t position) override { push({false, position}); }

  std::optional<Notice> WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!ready_.wait_for(lock, timeout, [this] { return !notices_.empty(); })) return std::nullopt;
    Notice notice = notices_.front();
    notices_.pop_front();
    return notice;
  }

 private:
  void push(Notice notice) {
    {
      std::lock_guard lock(mutex_);
      notices_.push_back(notice);
    }
    ready_.notify_one();
  }
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Notice> notices_;
};

std::string statusText(uint32_t position, uint32_t max) {
  return FormatPlayTime(position) + " / " + FormatPlayTime(max);
}

}  // namespace

int RunPlay(ArgumentReader& args) {
  std::vector<std::string> positional;
  MixSelection chosen;
  double fromSeconds = 0;
  while (!args.done()) {
    const std::string arg = args.take();
    if (chosen.Accept(arg, args)) continue;
    if (arg == "--from") fromSeconds = ParseSeconds(args.valueOf(arg));
    else if (arg.starts_with("--")) throw UsageError("unknown option " + arg);
    else positional.push_back(arg);
  }
  if (positional.size() != 1) throw UsageError("name the project folder");
  chosen.Check();

  ProjectModel model;
  OpenProject(model, positional[0]);
  chosen.SelectIn(model);
  const uint32_t length = model.View.sliderMax;
  if (length == 0) throw CommandFailure("The selected takes hold no samples.");
  const uint32_t start = uint32_t(std::min<double>(fromSeconds * Transport::FramesPerSecond, length));

  const PlaySelection selection = model.PlaybackSelection();

  WatchForInterrupt();
  NoticeQueue notices;
  Transport transport(notices, MakePortAudioDevice());
  chosen.ApplyTo(transport.Settings());
  const bool terminal = ::isatty(STDERR_FILENO) == 1;

  if (!transport.Stream().DeviceOpen()) {
    // Nothing can be heard, but a script waiting for the audition still
    // waits as long as it would have lasted.
    std::fprintf(stderr, "No sound output device was found: nothing can be heard.\n");
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::microseconds(uint64_t(length - start) * 1000000 / Transport::FramesPerSecond);
    while (std::chrono::steady_clock::now() < end) {
      if (InterruptRequested()) return InterruptedExitCode;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::printf("%s\n", statusText(length, length).c_str());
    return 0;
  }

  transport.SetSliderPosition(start);
  transport.Start(selection, start);
  uint32_t position = start;
  bool stopRequested = false;
  for (;;) {
    if (InterruptRequested() && !stopRequested) {
      transport.RequestStop();
      stopRequested = true;
    }
    const auto notice = notices.WaitFor(std::chrono::milliseconds(100));
    if (!notice) continue;
    if (notice->end) {
      // At the natural end the slider goes back to the start, as in the window.
      if (transport.OnPlayEnd(int(notice->value))) position = 0;
      break;
    }
    position = std::min(notice->value, length);
    transport.SetSliderPosition(position);
    if (terminal) std::fprintf(stderr, "\r%s", statusText(position, length).c_str());
  }
  if (terminal) std::fputc('\n', stderr);
  std::printf("%s\n", statusText(position, length).c_str());
  return stopRequested ? InterruptedExitCode : 0;
}

}  // namespace tp::cli
