// play: auditions takes through the same transport and stream as the window,
// on the default sound output, showing the position as the status bar does.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <unistd.h>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/messages.h"
#include "cli/mixselection.h"
#include "cli/options.h"
#include "cli/verbosity.h"
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

struct PlayOptions {
  std::string folder;
  MixSelection chosen;
  std::string from;
  VerbosityOptions verbosity;
};

int runPlay(PlayOptions& options) {
  if (options.folder.empty()) throw UsageError("name the project folder");
  options.chosen.Resolve();
  const double fromSeconds = options.from.empty() ? 0 : ParseSeconds(options.from);
  const bool quiet = options.verbosity.level() == Verbosity::Quiet;
  const MixSelection& chosen = options.chosen;

  ProjectModel model;
  OpenProject(model, options.folder);
  chosen.SelectIn(model);
  const uint32_t length = model.View.sliderMax;
  if (length == 0) throw CommandFailure("The selected takes hold no samples.");
  const uint32_t start = uint32_t(std::min<double>(fromSeconds * Transport::FramesPerSecond, length));

  const PlaySelection selection = model.PlaybackSelection();

  WatchForInterrupt();
  NoticeQueue notices;
  Transport transport(notices, MakePortAudioDevice());
  chosen.ApplyTo(transport.Settings());
  const bool terminal = !quiet && ::isatty(STDERR_FILENO) == 1;

  if (!transport.Stream().DeviceOpen()) {
    // Nothing can be heard, but a script waiting for the audition still
    // waits as long as it would have lasted.
    ReportError("No sound output device was found: nothing can be heard.");
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::microseconds(uint64_t(length - start) * 1000000 / Transport::FramesPerSecond);
    while (std::chrono::steady_clock::now() < end) {
      if (InterruptRequested()) return InterruptedExitCode;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!quiet) std::printf("%s\n", statusText(length, length).c_str());
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
  if (!quiet) std::printf("%s\n", statusText(position, length).c_str());
  return stopRequested ? InterruptedExitCode : 0;
}

}  // namespace

CommandRun DefinePlay(CLI::App& command) {
  auto options = std::make_shared<PlayOptions>();
  AddPositional(command, "DIR", options->folder, "the song folder");
  options->chosen.Define(command);
  AddValue(command, "--from", options->from, "SECONDS", "start this many seconds into the takes (default 0)")
      ->check(Checked([](std::string_view text) { ParseSeconds(text); }));
  AddVerbosityOptions(command, options->verbosity, false);
  return [options] { return runPlay(*options); };
}

}  // namespace tp::cli
