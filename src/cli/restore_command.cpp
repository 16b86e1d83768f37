// restore: an archive that stems wrote, rebuilt as the song folder it came
// from, every file checked against its SHA-256 before it is renamed into
// place.
#include <cstdio>
#include <memory>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "cli/verbosity.h"
#include "archive/restore.h"
#include "archive/restoreplan.h"

namespace tp::cli {

namespace fs = std::filesystem;

namespace {

struct RestoreArguments {
  std::string archive, destination;
  bool recursive = false, force = false, allowChanged = false;
  VerbosityOptions verbosity;
};

// The songs to rebuild and where each goes: DEST itself for one song, or
// DEST/<its archived folder> for every song below ARCHIVE.
std::vector<SongToRestore> songsToRestore(const RestoreArguments& arguments) {
  RestorePlan plan;
  const Status status =
      PlanRestore({arguments.archive, arguments.destination, arguments.recursive, false, arguments.allowChanged}, plan);
  if (!status.ok()) throw CommandFailure(status.Text());
  if (!plan.refused.empty())
    throw CommandFailure(plan.refused.front().archiveFolder.string() + ": the archived folder \"" +
                         plan.refused.front().folder + "\" does not lie below the destination.");
  if (plan.songs.empty()) throw CommandFailure("No archived song was found in \"" + arguments.archive + "\".");
  return std::move(plan.songs);
}

// The files of the archive that already exist at their places.
std::vector<fs::path> existingFiles(const std::vector<SongToRestore>& songs) {
  std::vector<fs::path> existing;
  for (const SongToRestore& song : songs)
    for (fs::path& path : ExistingRestoreFiles(song)) existing.push_back(std::move(path));
  return existing;
}

struct RestoreTally {
  bool anyFailed = false, interrupted = false, identical = true;
  size_t files = 0;
};

// Says what restoring one song did, and adds it to the tally.
void reportSong(const SongToRestore& song, const RestoreReport& report, Verbosity verbosity, RestoreTally& tally) {
  if (!song.manifestConfirmed) {
    tally.identical = false;
    ReportError(song.archiveFolder.string() +
                ": the manifest does not match SHA256SUMS; it was believed because of --allow-changed.");
  }
  for (const Status& failure : report.failures) {
    ReportError(failure.Text());
    tally.anyFailed = true;
  }
  for (const fs::path& path : report.existing) ReportError("exists already: " + path.string());
  tally.anyFailed = tally.anyFailed || !report.existing.empty();
  if (verbosity == Verbosity::Verbose)
    for (const fs::path& path : report.restored) std::printf("%s\n", path.c_str());
  if (!report.kept.empty() && verbosity != Verbosity::Quiet) {
    std::printf("%s: these files are not in the archive and were left as they are:\n", song.destination.c_str());
    for (const fs::path& path : report.kept) std::printf("  %s\n", path.filename().c_str());
  }
  if (!report.rebuiltHeaders.empty()) {
    tally.identical = false;
    ReportError(song.archiveFolder.string() +
                ": the archive holds no take headers; they were written anew, so the take files are not "
                "byte-identical to the originals.");
  }
  for (const fs::path& path : report.takenAsChanged) {
    tally.identical = false;
    ReportError(path.string() + ": taken from an edited archive file; it is not the original.");
  }
  tally.files += report.restored.size();
  tally.interrupted = report.aborted;
}

int runRestore(const RestoreArguments& arguments) {
  if (arguments.archive.empty() || arguments.destination.empty())
    throw UsageError("name the archive folder and the song folder to rebuild");
  const Verbosity verbosity = arguments.verbosity.level();
  const std::vector<SongToRestore> songs = songsToRestore(arguments);

  RestoreOptions options;
  options.force = arguments.force;
  options.allowChanged = arguments.allowChanged;
  // Every song is checked for files it would replace before any is written.
  if (const auto existing = existingFiles(songs); !options.force && !existing.empty()) {
    ReportError("These files exist already; nothing was written (add --force to replace them):");
    for (const auto& path : existing) std::fprintf(stderr, "  %s\n", path.c_str());
    return 1;
  }

  WatchForInterrupt();
  ConversionHooks hooks;
  hooks.betweenBlocks = [] { return InterruptRequested(); };
  RestoreTally tally;
  for (const SongToRestore& song : songs) {
    reportSong(song, RestoreSong(song.archiveFolder, song.manifest, song.destination, options, hooks), verbosity,
               tally);
    if (tally.interrupted) break;
  }
  if (verbosity != Verbosity::Quiet)
    std::printf("%zu song%s, %zu file%s restored%s%s\n", songs.size(), songs.size() == 1 ? "" : "s", tally.files,
                tally.files == 1 ? "" : "s",
                !tally.anyFailed && tally.identical && !tally.interrupted ? ", every file checked against its SHA-256"
                                                                          : "",
                tally.interrupted ? " (interrupted)" : "");
  if (tally.interrupted) return InterruptedExitCode();
  return tally.anyFailed ? 1 : 0;
}

}  // namespace

CommandRun DefineRestore(CLI::App& command) {
  auto arguments = std::make_shared<RestoreArguments>();
  AddPositional(command, "ARCHIVE", arguments->archive,
                "a song's archive folder (with trackporter.json), or with --recursive a folder of archives");
  AddPositional(command, "DEST", arguments->destination,
                "the song folder to rebuild, or with --recursive the folder to rebuild every song below");
  command.add_flag("-r,--recursive", arguments->recursive,
                   "rebuild every archived song below ARCHIVE at DEST/<its folder on the archived disk>");
  command.add_flag("-f,--force", arguments->force,
                   "replace files of DEST that the archive holds (other files are left and listed)");
  command.add_flag("--allow-changed", arguments->allowChanged,
                   "take an archive file edited since (other samples, length or rate) as an import would, "
                   "instead of refusing it");
  AddVerbosityOptions(command, arguments->verbosity);
  return [arguments] { return runRestore(*arguments); };
}

}  // namespace tp::cli
