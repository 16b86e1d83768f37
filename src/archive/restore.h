// Restore: an archived song folder rebuilt from its archive folder. Each
// take file is put together from its recorded header, its samples in the
// audio file and its odd tail byte (restoretake.h); every other file of the
// song comes from its copy. Each file is checked against its SHA-256 before
// it is renamed into place, so a damaged or edited archive file never
// becomes a take. restoreplan.h says which songs go where.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "archive/manifest.h"
#include "convert/conversion.h"
#include "storage/status.h"

namespace tp {

struct RestoreOptions {
  bool force = false;         // replace files of the song folder that the archive holds
  bool allowChanged = false;  // take an edited audio file as an import would (another rate is converted)
  // Called on a restoring worker (either of two) as a file of the song is
  // rebuilt: its path in the song folder and how many of its bytes are
  // written, last with its whole size once it is in place.
  std::function<void(const std::filesystem::path& file, uint64_t bytes)> fileProgress;
};

struct RestoreReport {
  std::vector<std::filesystem::path> restored;
  // Files of the destination the archive holds, when not forced: nothing was
  // written.
  std::vector<std::filesystem::path> existing;
  // Files of the destination the archive does not hold: left as they were.
  std::vector<std::filesystem::path> kept;
  // Take files whose header was written anew (an archive without header
  // runs), and edited audio files taken with allowChanged.
  std::vector<std::filesystem::path> rebuiltHeaders, takenAsChanged;
  std::vector<Status> failures;
  bool aborted = false;
  bool ByteIdentical() const { return rebuiltHeaders.empty() && takenAsChanged.empty(); }
};

// Rebuilds the song archived in `archiveFolder` (its manifest already read)
// as the folder `destination`, its take files on two worker threads. Between
// blocks hooks.betweenBlocks, called from either worker, may ask for an
// abort: the files being written are dropped, complete files stay.
RestoreReport RestoreSong(const std::filesystem::path& archiveFolder, const ArchiveManifest& manifest,
                          const std::filesystem::path& destination, const RestoreOptions& options,
                          const ConversionHooks& hooks);

}  // namespace tp
