// Restore, the plan: which archived songs are rebuilt and where, read
// before anything is written. A manifest is input like any file header:
// the folder it names must lie below the destination, never above it or
// beside it, and a song whose folder does not is refused here, for the
// command line and the window alike.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "archive/manifest.h"
#include "storage/status.h"

namespace tp {

struct RestoreRequest {
  std::filesystem::path archive;      // a song's archive folder, or (`recursive`) a folder of archives
  std::filesystem::path destination;  // the song folder, or (`recursive`) the folder the songs go below
  bool recursive = false;             // every archived song below `archive`, at destination/<its folder>
  // With `recursive`: a song archived in `archive` itself goes to
  // destination/<the last part of its folder>, as the window places one
  // song's archive under the song's own name.
  bool ownSongByName = false;
};

// One song of a restore: where its archive is and where it goes.
struct SongToRestore {
  std::filesystem::path archiveFolder, destination;
  ArchiveManifest manifest;
};

// A song whose archived folder would not lie below the destination.
struct RefusedSong {
  std::filesystem::path archiveFolder;
  std::string folder;  // as the manifest names it
};

struct RestorePlan {
  std::vector<SongToRestore> songs;
  std::vector<RefusedSong> refused;
};

// Reads every manifest the request names. Fails with ArchiveNotRead naming
// the first manifest that cannot be read; finding no archive at all is no
// failure (both lists stay empty).
Status PlanRestore(const RestoreRequest& request, RestorePlan& plan);

// True when `relative` names a place below a folder: not empty, not
// absolute, never climbing out with "..".
bool StaysInsideDestination(const std::filesystem::path& relative);

// The names of the files a song's archive holds, each once.
std::set<std::string> RestoredFileNames(const ArchiveManifest& manifest);

// The files of the song's destination that its archive would replace.
std::vector<std::filesystem::path> ExistingRestoreFiles(const SongToRestore& song);

// Every folder below `root` (itself included) that holds a manifest, sorted.
std::vector<std::filesystem::path> FindArchiveFolders(const std::filesystem::path& root);

}  // namespace tp
