// Archiving songs, the run: the files of a plan (archiveplan.h) written
// by two workers (stemworkers.h) and let into place in their order, the
// song's other files copied, the manifest and the checksum file written.
// The command line's stems runs it on its own thread; the window on a
// thread of its own (app/archiverunner.h), stopping through
// ArchiveEvents::stopRequested.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "archive/archiveplan.h"

namespace tp {

// What the caller hears while the archive runs, all on the archiving thread.
struct ArchiveEvents {
  std::function<bool()> stopRequested;                 // between blocks: true stops after complete files
  std::function<void(const std::string&)> failure;     // "<song folder>, <take>: <reason>"
  std::function<void(const std::string&)> note;        // something left out, not a failure
  std::function<void(const std::filesystem::path&)> written;
  struct Progress {
    size_t song, songs, file, files;
    uint64_t doneBytes, totalBytes;  // of take samples
  };
  std::function<void(const Progress&)> progress;
};

struct ArchiveTotals {
  size_t songs = 0, files = 0, skipped = 0, verified = 0;
  // The songs' own files now in the archive, as a restore counts what it
  // rebuilds: each take file (a master take's two) and each other file.
  size_t songFiles = 0;
  uint64_t samples = 0, bytesWritten = 0;
  bool anyFailed = false, stopped = false;
};

ArchiveTotals RunArchive(const ArchiveRequest& request, const std::vector<ArchiveSongPlan>& plans,
                         const ArchiveEvents& events);

}  // namespace tp
