// An import prepared before anything is written: the source opened once,
// with the opener the import reads it through (WAV, AIFF, FLAC), and what
// the import will do with it, so that the window can ask its questions
// (replace these takes? convert the rate?) and the command line refuse
// without --force, and the import then goes on with the same open file.
#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "convert/importsource.h"
#include "project/projectmodel.h"
#include "storage/status.h"

namespace tp {

struct ImportPreparation {
  std::filesystem::path path;
  std::unique_ptr<ImportSource> source;  // open; the import reads it
  SourceFormat format;                   // format, rate, bits, channels, frames
  ImportTargets targets;                 // from the model's selection and the source's channels
  // The targets that hold a take now (the two files of a master take are
  // one take). Advisory: another program may change the song before the
  // import takes the song's lock, and the import decides again then.
  std::vector<ImportTarget> occupied;
  bool rateDiffers = false;  // the source would play at another speed unless converted
};

// Opens `source` and works out the import of it into the model's selection.
// Fails as the import would: the source's own failure naming it, or
// NoImportTarget when the selection names no target.
Status PrepareImport(const ProjectModel& model, const std::filesystem::path& source, ImportPreparation& prepared);

}  // namespace tp
