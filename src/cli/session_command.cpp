// session: a song as one DAW project file (dawproject/sessionfile.h), or
// with --ardour as an Ardour session folder (dawproject/ardoursession.h),
// with the takes and the mixer chosen as for export and play.
#include <memory>
#include <system_error>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/conversionrun.h"
#include "cli/mixselection.h"
#include "cli/options.h"
#include "cli/verbosity.h"
#include "convert/exportengine.h"
#include "dawproject/ardoursession.h"
#include "dawproject/sessionexport.h"
#include "project/messages.h"
#include "project/programversion.h"

namespace tp::cli {

namespace {

struct SessionOptions {
  std::string folder, output;
  MixSelection chosen;
  bool flac = false, force = false, ardour = false;
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
  if (options.output == StandardOutputName)
    throw UsageError(options.ardour ? "an Ardour session is a folder: name one, not -"
                                    : "a DAW project is a ZIP file: name a file, not -");
  if (options.ardour && options.flac) throw UsageError("--ardour and --flac: an Ardour session holds WAV files");
  options.chosen.ResolveOptional();

  ProjectModel model;
  OpenProject(model, options.folder);
  options.chosen.AddSavedMix(options.folder, model);
  const SessionChoices choices = choicesFor(options, model);
  const std::filesystem::path output = options.output;
  if (options.ardour) {
    if (const Status target = CheckArdourSessionTarget(output, options.force); !target.ok())
      throw CommandFailure(target.Is(messages::ArdourSessionExists)
                               ? output.string() + " exists; nothing was written (add --force to replace it)."
                               : target.Text());
  }
  std::error_code error;
  if (!options.ardour && !options.force && std::filesystem::is_regular_file(output, error))
    throw CommandFailure(output.string() + " exists; nothing was written (add --force to replace it).");
  SessionExport request{options.folder, choices, options.flac ? FormatFlac : FormatWav, ProgramVersion,
                        SongLock::Wait::Yes};
  request.ardour = options.ardour;
  request.replace = options.force;
  return RunConversion("Writing", options.verbosity.level(), {output},
                       [&](const ConversionHooks& hooks) { return ExportSession(request, output, hooks); });
}

}  // namespace

CommandRun DefineSession(CLI::App& command) {
  auto options = std::make_shared<SessionOptions>();
  AddPositional(command, "SONG", options->folder, "the song folder");
  AddPositional(command, "OUT", options->output,
                "the DAW project file to write (a ZIP, usually named .dawproject), or with --ardour the Ardour "
                "session folder; - is refused");
  options->chosen.Define(command);
  command.add_flag("--flac", options->flac, "store FLAC files (lossless, about half the size) instead of WAV");
  command.add_flag("--ardour", options->ardour,
                   "write an Ardour session folder OUT (OUT/<name>.ardour and the takes as WAV files)");
  command.add_flag("-f,--force", options->force,
                   "replace OUT when it exists (a song folder's own files are never replaced; with --ardour only a "
                   "session this command wrote)");
  AddVerbosityOptions(command, options->verbosity);
  return [options] { return runSession(*options); };
}

}  // namespace tp::cli
