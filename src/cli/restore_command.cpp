// restore: an archive that stems wrote, rebuilt as the song folder it came
// from, every file checked against its SHA-256 before it is renamed into
// place.
#include <cstdio>
#include <memory>
#include <system_error>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "cli/verbosity.h"
#include "archive/manifest.h"
#include "archive/restore.h"

namespace tp::cli {

namespace fs = std::filesystem;

namespace {

struct RestoreArguments {
  std::string archive, destination;
  bool recursive = false, force = false, allowChanged = false;
  VerbosityOptions verbosity;
};

// A manifest's "folder" names a place below DEST: never one above it.
bool staysBelow(const fs::path& relative) {
  if (relative.empty() || relative.is_absolute()) return false;
  for (const auto& part : relative.lexically_normal())
    if (part == "..") return false;
  return true;
}

struct Song {
  fs::path archiveFolder, destination;
  ArchiveManifest manifest;
};

// The songs to rebuild and where each goes: DEST itself for one song, or
// DEST/<its archived folder> for every song below ARCHIVE.
std::vector<Song> songsToRestore(const RestoreArguments& arguments) {
  const fs::path archive = arguments.archive, destination = arguments.destination;
  std::vector<Song> songs;
  const std::vector<fs::path> folders = arguments.recursive ? FindArchiveFolders(archive) : std::vector<fs::path>{archive};
  if (folders.empty()) throw CommandFailure("No archived song was found in \"" + archive.string() + "\".");
  for (const fs::path& folder : folders) {
    Song song{folder, destination, {}};
    const Status status = ReadArchiveManifest(folder, song.manifest);
    if (!status.ok()) throw CommandFailure(status.Text());
    if (arguments.recursive) {
      const fs::path relative = song.manifest.folder.empty() ? folder.filename() : fs::path(song.manifest.folder);
      if (!staysBelow(relative))
        throw CommandFailure(folder.string() + ": the archived folder \"" + song.manifest.folder +
                             "\" does not lie below the destination.");
      song.destination = destination / relative;
    }
    songs.push_back(std::move(song));
  }
  return songs;
}

// The files of the archive that already exist at their places.
std::vector<fs::path> existingFiles(const std::vector<Song>& songs) {
  std::vector<fs::path> existing;
  std::error_code error;
  for (const Song& song : songs) {
    for (const auto& take : song.manifest.takeFiles)
      if (fs::exists(song.destination / take.record.file, error)) existing.push_back(song.destination / take.record.file);
    for (const auto& other : song.manifest.otherFiles)
      if (fs::exists(song.destination / other.file, error)) existing.push_back(song.destination / other.file);
  }
  return existing;
}

struct RestoreTally {
  bool anyFailed = false, interrupted = false, identical = true;
  size_t files = 0;
};

// Says what restoring one song did, and adds it to the tally.
void reportSong(const Song& song, const RestoreReport& report, Verbosity verbosity, RestoreTally& tally) {
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
  const std::vector<Song> songs = songsToRestore(arguments);

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
  for (const Song& song : songs) {
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
  if (tally.interrupted) return InterruptedExitCode;
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
