// stems: every take of a project (or of every project on a disk) as its own
// named file, with what rebuilds the song folder byte for byte
// (src/archive). This file reads the command line, draws the progress
// and says how it went.
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "cli/progressbar.h"
#include "cli/verbosity.h"
#include "archive/archiverun.h"
#include "dawproject/archivecompanion.h"
#include "project/messages.h"
#include "project/programversion.h"

namespace tp::cli {

namespace fs = std::filesystem;

namespace {

// The values as CLI11 leaves them; resolved into an ArchiveRequest after the
// parse.
struct StemArguments {
  std::string source, outputRoot;
  std::vector<std::string> takes, masters;
  bool recursive = false, aiff = false, flac = false, force = false, verify = false, resume = false;
  bool dawProject = false;
  VerbosityOptions verbosity;
};

ArchiveRequest resolve(const StemArguments& arguments) {
  if (arguments.source.empty() || arguments.outputRoot.empty())
    throw UsageError("name the project folder (or disk) and the output folder");
  if (arguments.aiff && arguments.flac) throw UsageError("choose one of --aiff and --flac");
  ArchiveRequest request;
  request.source = arguments.source;
  request.outputRoot = arguments.outputRoot;
  for (const auto& text : arguments.takes) {
    const TrackTake take = ParseTrackTake(text);
    request.takes.push_back({take.track, take.take});
  }
  for (const auto& text : arguments.masters) request.masters.push_back(ParseMasterTake(text));
  request.recursive = arguments.recursive;
  request.format = arguments.flac ? FormatFlac : arguments.aiff ? FormatAiff : FormatWav;
  request.verify = arguments.verify;
  request.resume = arguments.resume;
  if (arguments.dawProject) request.companion = DawProjectCompanion(request.format, ProgramVersion);
  return request;
}

std::string clockTime(uint64_t seconds) {
  char text[48];
  std::snprintf(text, sizeof text, "%llu:%02llu:%02llu", (unsigned long long)(seconds / 3600),
                (unsigned long long)(seconds / 60 % 60), (unsigned long long)(seconds % 60));
  return text;
}

std::string totalTime(uint64_t samples) { return clockTime(samples / 44100); }

// "812 KB", "4.2 GB": decimal units, as file managers show sizes.
std::string byteCount(uint64_t bytes) {
  const char* units[] = {"bytes", "KB", "MB", "GB", "TB"};
  double value = double(bytes);
  int unit = 0;
  while (value >= 1000 && unit < 4) value /= 1000, ++unit;
  char text[32];
  if (unit == 0) std::snprintf(text, sizeof text, "%llu bytes", (unsigned long long)bytes);
  else std::snprintf(text, sizeof text, value < 10 ? "%.1f %s" : "%.0f %s", value, units[unit]);
  return text;
}

// What the progress line says besides the bar: where the archive is, and
// how long the rest will take at the pace so far.
class ArchiveProgress {
 public:
  ArchiveProgress(ProgressBar& bar, uint64_t totalBytes) : bar_(bar), totalBytes_(totalBytes) {}
  void Update(size_t song, size_t songs, size_t file, size_t files, uint64_t doneBytes) {
    const int percent = totalBytes_ == 0 ? 100 : int(doneBytes * 100 / totalBytes_);
    const auto now = std::chrono::steady_clock::now();
    if (percent == lastPercent_ && now - lastDrawn_ < std::chrono::seconds(1)) return;
    lastPercent_ = percent;
    lastDrawn_ = now;
    std::string label = "song " + std::to_string(song) + "/" + std::to_string(songs) + ", file " +
                        std::to_string(file) + "/" + std::to_string(files) + ", " + byteCount(doneBytes) + " of " +
                        byteCount(totalBytes_);
    const double elapsed = std::chrono::duration<double>(now - started_).count();
    if (doneBytes > 0 && elapsed > 1)
      label += ", " + clockTime(uint64_t(elapsed * double(totalBytes_ - std::min(doneBytes, totalBytes_)) /
                                         double(doneBytes))) + " left";
    bar_.SetLabel(label);
    bar_.Update(doneBytes, totalBytes_);
  }

 private:
  ProgressBar& bar_;
  uint64_t totalBytes_;
  int lastPercent_ = -1;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now(), lastDrawn_{};
};

// "1 song, 16 files, 1:20:00 in all, 424 MB written, all verified".
std::string summaryLine(const ArchiveTotals& totals, bool verify) {
  const size_t files = totals.files + totals.skipped;
  std::string summary = std::to_string(totals.songs) + (totals.songs == 1 ? " song, " : " songs, ") +
                        std::to_string(files) + (files == 1 ? " file, " : " files, ") + totalTime(totals.samples) +
                        " in all, " + byteCount(totals.bytesWritten) + " written";
  if (totals.skipped > 0) summary += ", " + std::to_string(totals.skipped) + " complete before";
  if (verify)
    summary += totals.verified == files && !totals.anyFailed ? ", all verified"
                                                             : ", " + std::to_string(totals.verified) + " verified";
  if (totals.stopped) summary += " (interrupted)";
  return summary;
}

int runStems(const StemArguments& arguments) {
  const ArchiveRequest request = resolve(arguments);
  const Verbosity verbosity = arguments.verbosity.level();
  std::vector<ArchiveSongPlan> plans;
  if (const Status planned = PlanArchive(request, plans); !planned.ok()) {
    if (planned.Is(messages::NoProjectFound))
      throw CommandFailure("No project folder was found in \"" + request.source.string() + "\".");
    if (planned.Is(messages::NotAProjectFolder))
      throw CommandFailure("\"" + planned.file().string() +
                           "\" is not a project folder (it has no project information file, or it is a backup)");
    throw CommandFailure(planned.Text());
  }
  if (const auto existing = ExistingArchiveFiles(request, plans); !existing.empty() && !arguments.force) {
    ReportError("These files exist already; nothing was written (add --force to replace them, or --continue to "
                "resume an archive):");
    for (const auto& path : existing) std::fprintf(stderr, "  %s\n", path.c_str());
    return 1;
  }

  WatchForInterrupt();
  ProgressBar bar("", verbosity != Verbosity::Quiet);
  uint64_t totalBytes = 0;
  for (const auto& plan : plans)
    for (const auto& item : plan.items) totalBytes += ArchiveItemBytes(item);
  ArchiveProgress progress(bar, totalBytes);
  ArchiveEvents events;
  events.stopRequested = [] { return InterruptRequested(); };
  events.failure = [&](const std::string& message) {
    bar.Finish();
    ReportError(message);
  };
  events.note = [&](const std::string& message) {
    if (verbosity == Verbosity::Quiet) return;
    bar.Finish();
    std::fprintf(stderr, "%s\n", message.c_str());
  };
  events.written = [&](const fs::path& output) {
    if (verbosity != Verbosity::Verbose) return;
    bar.Finish();
    std::printf("%s\n", output.c_str());
  };
  events.progress = [&](const ArchiveEvents::Progress& at) {
    progress.Update(at.song, at.songs, at.file, at.files, at.doneBytes);
  };
  const ArchiveTotals totals = RunArchive(request, plans, events);
  bar.Finish();
  if (verbosity != Verbosity::Quiet) std::printf("%s\n", summaryLine(totals, request.verify).c_str());
  if (totals.stopped) return InterruptedExitCode();
  return totals.anyFailed ? 1 : 0;
}

}  // namespace

CommandRun DefineStems(CLI::App& command) {
  auto arguments = std::make_shared<StemArguments>();
  AddPositional(command, "SRC", arguments->source, "the song folder, or with --recursive a folder (a disk) to search");
  AddPositional(command, "OUTDIR", arguments->outputRoot, "the folder to write into; it is created if need be");
  AddTakeOption(command, "-t,--take", arguments->takes, "archive only this take; repeat it for several, and add --master for master takes");
  AddMasterOption(command, "-m,--master", arguments->masters, "archive only this master take; repeat it for several");
  command.add_flag("-r,--recursive", arguments->recursive,
                   "search SRC at any depth and archive every song into OUTDIR/<song name>/");
  command.add_flag("--aiff", arguments->aiff, "write AIFF files (.aif) instead of WAV");
  command.add_flag("--flac", arguments->flac, "write FLAC files (.flac, lossless, about half the size) instead of WAV");
  command.add_flag("--verify", arguments->verify,
                   "read every file back from the disk after writing it and compare its samples with the take");
  command.add_flag("--continue", arguments->resume,
                   "resume an interrupted archive: skip the files its manifest lists as complete (and verified, "
                   "with --verify)");
  command.add_flag("--dawproject", arguments->dawProject,
                   "also write <song folder name>.dawproject into each song's folder: a DAW project that refers to "
                   "the archived files beside it");
  command.add_flag("-f,--force", arguments->force, "replace files that exist already");
  AddVerbosityOptions(command, arguments->verbosity);
  return [arguments] { return runStems(*arguments); };
}

}  // namespace tp::cli
