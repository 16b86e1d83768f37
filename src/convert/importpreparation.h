// An import prepared before anything is written: the source opened once,
// with the opener the import reads it through (WAV, AIFF, or libsndfile), and what
// the import will do with it, so that the window can ask its questions
// (replace these takes? convert the rate?) and the command line refuse
// without --force, and the import then goes on with the same open file.
#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "convert/conversion.h"
#include "convert/importsource.h"
#include "project/projectmodel.h"
#include "storage/status.h"

namespace tp {

struct ImportPreparation {
  std::filesystem::path path;
  // The name the takes are named after when it is not the path's: "stdin"
  // for standard input, read from a scratch file.
  std::filesystem::path namedAfter;
  std::unique_ptr<ImportSource> source;  // open; the import reads it
  SourceFormat format;                   // format, rate, bits, channels, frames
  ImportTargets targets;                 // from the model's selection and the source's channels
  // The targets that hold a take now (the two files of a master take are
  // one take). Advisory: another program may change the song before the
  // import takes the song's lock, and the import decides again then.
  std::vector<ImportTarget> occupied;
  bool rateDiffers = false;  // the source would play at another speed unless converted
  // Targets the user chose that no channel goes to (a mono file with two
  // tracks chosen), and the file's channels that go nowhere.
  std::vector<ImportTarget> leftEmpty;
  uint32_t channelsLeftOut = 0;
};

// Opens `source` and works out the import of it into the model's selection.
// Fails as the import would: the source's own failure naming it, or
// NoImportTarget when the selection names no target.
Status PrepareImport(const ProjectModel& model, const std::filesystem::path& source, ImportPreparation& prepared);

// Sends channel i of the prepared file to `inChannelOrder[i]` instead (as
// many channels as there are targets, at most the file's), and finds again
// which targets hold a take.
void RetargetImport(const ProjectModel& model, const std::vector<ImportTarget>& inChannelOrder,
                    ImportPreparation& prepared);

// The tracks a file takes in a batch: one per channel (a stereo file two).
uint32_t TracksTakenBy(const SourceFormat& format);

// Opens every file of a batch and gives each the tracks after those of the
// file before it, from `firstTrack` on, all on `take`. Fails with the first
// file's failure, or with "The files do not fit in the 16 tracks; nothing
// was written." saying how many fit; nothing is written either way.
Status PrepareBatch(const ProjectModel& model, const std::vector<std::filesystem::path>& sources, int firstTrack,
                    int take, std::vector<ImportPreparation>& files);

// Opens the file of a batch again at its turn (a batch keeps one file
// open at a time). It must hold at least the frames, and the channels and
// rate, it had when the batch was checked: a file cut short since is a
// read error naming it, never silence. Does nothing when it is open.
Status ReopenPrepared(ImportPreparation& prepared);

// What the user is told of an import beside "Converted": the targets left
// empty and the channels left out.
std::vector<Note> ImportNotes(const ImportPreparation& prepared);

// After a batch stopped in file `stoppedAt`: which takes the files before
// it wrote and which are untouched.
Note BatchStoppedNote(const std::vector<ImportPreparation>& files, size_t stoppedAt);

}  // namespace tp
