// session: a song as one DAW project file (dawproject/sessionfile.h), with
// the takes and the mixer chosen as for export and play.
#include <memory>
#include <system_error>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/conversionrun.h"
#include "cli/mixselection.h"
#include "cli/options.h"
#include "cli/verbosity.h"
#include "convert/exportengine.h"
#include "dawproject/sessionexport.h"

#ifndef TP_VERSION
#error "the build passes the project's version as TP_VERSION"
#endif

namespace tp::cli {

namespace {

struct SessionOptions {
  std::string folder, output;
  MixSelection chosen;
  bool flac = false, force = false;
  VerbosityOptions verbosity;
};

// The takes and the mixer as given, each named take checked against the song.
SessionChoices choicesFor(const SessionOptions& options, ProjectModel& model) {
  SessionChoices choices;
  for (const TrackTake& take : options.chosen.takes) {
    SelectTake(model, take);
    choices.takes[size_t(take.track)] = take.take;
  }
  if (options.chosen.master) {
    if (!model.MasTakeSel[size_t(*options.chosen.master)].assigned)
      throw CommandFailure(MasterTakeLabel(*options.chosen.master) + " holds no take.");
    choices.master = *options.chosen.master;
  }
  choices.volume = options.chosen.volume;
  choices.pan = options.chosen.pan;
  choices.mute = options.chosen.mute;
  choices.solo = options.chosen.solo;
  return choices;
}

int runSession(SessionOptions& options) {
  if (options.folder.empty() || options.output.empty())
    throw UsageError("name the song folder and the file to write");
  if (options.output == StandardOutputName) throw UsageError("a DAW project is a ZIP file: name a file, not -");
  options.chosen.ResolveOptional();

  ProjectModel model;
  OpenProject(model, options.folder);
  const SessionChoices choices = choicesFor(options, model);
  const std::filesystem::path output = options.output;
  std::error_code error;
  if (!options.force && std::filesystem::is_regular_file(output, error))
    throw CommandFailure(output.string() + " exists; nothing was written (add --force to replace it).");
  const SessionExport request{options.folder, choices, options.flac ? FormatFlac : FormatWav, TP_VERSION,
                               SongLock::Wait::Yes};
  return RunConversion("Writing", options.verbosity.level(), {output},
                       [&](const ConversionHooks& hooks) { return ExportSession(request, output, hooks); });
}

}  // namespace

CommandRun DefineSession(CLI::App& command) {
  auto options = std::make_shared<SessionOptions>();
  AddPositional(command, "SONG", options->folder, "the song folder");
  AddPositional(command, "OUT", options->output,
                "the DAW project file to write (a ZIP, usually named .dawproject); - is refused");
  options->chosen.Define(command);
  command.add_flag("--flac", options->flac, "store FLAC files (lossless, about half the size) instead of WAV");
  command.add_flag("-f,--force", options->force,
                   "replace OUT when it exists (a song folder's own files are never replaced)");
  AddVerbosityOptions(command, options->verbosity);
  return [options] { return runSession(*options); };
}

}  // namespace tp::cli
