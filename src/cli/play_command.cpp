// play: auditions takes through the same transport and stream as the window,
// on the chosen sound output, showing the position as the status bar does;
// devices: the outputs it can choose from.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <unistd.h>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/messages.h"
#include "cli/mixselection.h"
#include "cli/options.h"
#include "cli/verbosity.h"
#include "playback/outputdevicechoice.h"
#include "playback/portaudiodevice.h"
#include "playback/transport.h"
#include "project/messages.h"

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
  std::string device;
  bool deviceNamed = false;  // --device "" asks for the default, whatever the environment says
  VerbosityOptions verbosity;
};

// The output's name for the status line; a named output that is not there
// is a failure rather than a silent audition.
std::string chooseOutput(const std::string& wanted) {
  const auto devices = ListOutputDevices();
  if (wanted.empty()) {
    for (const auto& device : devices)
      if (device.isDefault) return device.name;
    return {};
  }
  std::vector<std::string> names;
  for (const auto& device : devices) names.push_back(device.name);
  const auto match = MatchOutputDevice(names, wanted);
  if (!match)
    throw CommandFailure("No sound output device matches \"" + wanted + "\" (trackporter-cli devices lists them).");
  return names[*match];
}

// Without a sound output nothing can be heard: a failure, not an audition
// that waits in silence.
int auditionNotStarted(int result) {
  ReportError(result == StartWithoutOutput ? messages::NoSoundOutput : messages::SoundOutputNotStarted);
  return 1;
}

struct AuditionEnd {
  uint32_t position;
  bool stopRequested;
};

// Follows the audition's notices until it ends, showing the position on a
// terminal (`onOutput` non-null) as the window's status bar does.
AuditionEnd followAudition(Transport& transport, NoticeQueue& notices, uint32_t start, uint32_t length,
                           const char* onOutput) {
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
    if (onOutput) std::fprintf(stderr, "\r%s%s", statusText(position, length).c_str(), onOutput);
  }
  return {position, stopRequested};
}

int runPlay(PlayOptions& options) {
  if (options.folder.empty()) throw UsageError("name the project folder");
  options.chosen.ResolveOptional();
  const double fromSeconds = options.from.empty() ? 0 : ParseSeconds(options.from);
  const bool quiet = options.verbosity.level() == Verbosity::Quiet;
  const MixSelection& chosen = options.chosen;

  ProjectModel model;
  OpenProject(model, options.folder);
  options.chosen.AddSavedMix(options.folder, model);
  chosen.RequireChoice();
  chosen.SelectIn(model);
  const uint32_t length = model.View.sliderMax;
  if (length == 0) throw CommandFailure("The selected takes hold no samples.");
  const uint32_t start = uint32_t(std::min<double>(fromSeconds * Transport::FramesPerSecond, length));

  const PlaySelection selection = model.PlaybackSelection();
  const std::string wanted =
      RequestedOutputDevice(options.deviceNamed ? std::optional(options.device) : std::nullopt);
  const std::string outputName = chooseOutput(wanted);
  const std::string onOutput = outputName.empty() ? std::string() : "  on " + outputName;

  WatchForInterrupt();
  NoticeQueue notices;
  Transport transport(notices, MakePortAudioDevice(wanted));
  chosen.ApplyTo(transport.Settings());
  const bool terminal = !quiet && ::isatty(STDERR_FILENO) == 1;

  transport.SetSliderPosition(start);
  // A device that is there but will not play is no better than none.
  if (const int opened = transport.Start(selection, start); opened < 0) return auditionNotStarted(opened);
  const auto [position, stopRequested] =
      followAudition(transport, notices, start, length, terminal ? onOutput.c_str() : nullptr);
  if (terminal) std::fputc('\n', stderr);
  if (!quiet) std::printf("%s\n", statusText(position, length).c_str());
  if (const Status failure = transport.ReadFailure(); !failure.ok()) {
    ReportError(failure.Text());
    return 1;
  }
  return stopRequested ? InterruptedExitCode() : 0;
}

}  // namespace

CommandRun DefinePlay(CLI::App& command) {
  auto options = std::make_shared<PlayOptions>();
  AddPositional(command, "DIR", options->folder, "the song folder");
  options->chosen.Define(command);
  AddValue(command, "--from", options->from, "SECONDS", "start this many seconds into the takes (default 0)")
      ->check(Checked([](std::string_view text) { ParseSeconds(text); }));
  CLI::Option* device = AddValue(command, "--device", options->device, "NAME",
                                 "play on the first sound output whose name holds NAME (any letter case), in the "
                                 "order trackporter-cli devices lists them; overrides TRACKPORTER_AUDIO_DEVICE");
  AddVerbosityOptions(command, options->verbosity, false);
  return [options, device] {
    options->deviceNamed = device->count() > 0;
    return runPlay(*options);
  };
}

CommandRun DefineDevices(CLI::App&) {
  return [] {
    const auto devices = ListOutputDevices();
    for (const auto& device : devices)
      std::printf("%s %s (%s, %d channel%s)\n", device.isDefault ? "*" : " ", device.name.c_str(),
                  device.hostApi.c_str(), device.channels, device.channels == 1 ? "" : "s");
    if (devices.empty()) std::printf("  (no sound outputs)\n");
    return 0;
  };
}

}  // namespace tp::cli
