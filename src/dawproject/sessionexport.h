// A song folder written as a DAW project file in one step, under the
// song's reader lock from the first read of its plan to the rename of the
// file into place: an import, rename or delete started meanwhile waits for
// it (or is refused with its --no-wait), so the project never holds two
// moments of the song, one take from before a replacement and one after.
#pragma once

#include <filesystem>
#include <string>

#include "convert/conversion.h"
#include "dawproject/session.h"
#include "storage/songlock.h"

namespace tp {

struct SessionExport {
  std::filesystem::path song;
  SessionChoices choices;
  AudioFormat format = FormatWav;
  std::string applicationVersion;
  // The command line waits for a writer of the song; the window does not.
  SongLock::Wait wait = SongLock::Wait::Yes;
};

// Plans and writes the project file `output`. A take left out of it
// because it is damaged is named in the result's notes.
ConversionResult ExportSession(const SessionExport& request, const std::filesystem::path& output,
                               const ConversionHooks& hooks);

// The notes for the takes a plan left out.
std::vector<Note> SessionNotes(const SessionPlan& plan);

}  // namespace tp
