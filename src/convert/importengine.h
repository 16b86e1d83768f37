// The import: one WAV or AIFF file into the chosen takes of the project, in
// the recorder's take format, block by block. Channel 0 goes to the first
// target, channel 1 to the second; a mono source in master mode fills both
// files of the master take. Samples are copied at whatever rate the file has.
#pragma once

#include <filesystem>
#include <string>

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
ConversionResult ImportAudioFile(ProjectModel& model, const std::filesystem::path& source,
                                 const ConversionHooks& hooks, SongLock::Wait wait = SongLock::Wait::No);

}  // namespace tp
