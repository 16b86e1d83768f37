// The import: a sound file (or several) into the chosen takes of the
// project, in the recorder's take format, block by block. Channel i goes to
// the i-th target; a mono source in master mode
// fills both files of the master take. A source at another rate than the
// takes' 44,100 Hz is either copied sample for sample (it then plays slower
// or faster) or converted to 44,100 Hz, as the caller chooses.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "convert/conversion.h"
#include "project/projectmodel.h"
#include "storage/songlock.h"

namespace tp {

// The take name for a source file: its name without folder and without the
// part from the last "." on, as name bytes.
std::string TakeNameFromSourceFile(const std::filesystem::path& source);

// Imports `source` into the targets the model's selection names, then
// records the new takes in the model. Each target is written beside the take
// it replaces, and both targets of a pair are renamed into place together
// only once their blocks are written: a failure changes no take, and an
// abort keeps the blocks written so far only where no take existed.
// The song is locked while its takes are written; with SongLock::Wait::No
// (the window's way) a song another program is writing fails at once with
// "The song is in use by another TrackPorter.".
// With RateHandling::Convert a source that is not at 44,100 Hz is
// resampled (RateConverter) and its take holds round(frames x 44,100 /
// rate) frames, padded to whole blocks; a 44,100 Hz source is copied
// either way. Progress counts the source's frames.
// Whether a take found at a target replaces it is decided under the song's
// lock, in the same hold as the rename into place: with
// ExistingTakes::Refuse a take that is there then (another import may have
// written it since the caller looked) fails the import with "The take holds
// audio; nothing was written." and changes nothing.
enum class RateHandling { KeepSamples, Convert };
enum class ExistingTakes { Replace, Refuse };
ConversionResult ImportAudioFile(ProjectModel& model, const std::filesystem::path& source,
                                 const ConversionHooks& hooks, SongLock::Wait wait = SongLock::Wait::No,
                                 RateHandling rate = RateHandling::KeepSamples,
                                 ExistingTakes existing = ExistingTakes::Replace);

// The same for a source PrepareImport opened (its file is read from where
// the preparation left it, so a preparation serves one import).
struct ImportPreparation;
ConversionResult ImportPrepared(ProjectModel& model, ImportPreparation& prepared, const ConversionHooks& hooks,
                                SongLock::Wait wait = SongLock::Wait::No, RateHandling rate = RateHandling::KeepSamples,
                                ExistingTakes existing = ExistingTakes::Replace);

// Imports several prepared files (each with its own targets) under one
// hold of the song's lock, one after the other, with progress over all of
// them. Stops at the first failure or abort: the files before it are
// imported, the one it stopped in and those after it change nothing.
// With ExistingTakes::Refuse a take found at any target of any file fails
// the batch before anything is written. `filesImported`, when given, says
// how many files were imported.
ConversionResult ImportBatch(ProjectModel& model, std::vector<ImportPreparation>& files,
                             const ConversionHooks& hooks, SongLock::Wait wait, RateHandling rate,
                             ExistingTakes existing, size_t* filesImported = nullptr);

// True when a source at `sampleRate` would play at another speed and pitch
// than it was recorded at, unless it is converted.
bool NeedsRateConversion(long double sampleRate);

}  // namespace tp
