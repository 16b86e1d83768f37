#include <memory>
#include <system_error>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/conversionrun.h"
#include "cli/mixselection.h"
#include "cli/options.h"
#include "cli/verbosity.h"
#include "convert/exportengine.h"
#include "convert/exportformat.h"

namespace tp::cli {

namespace {

struct ExportOptions {
  std::string folder, output;
  MixSelection chosen;
  bool aiff = false, force = false;
  VerbosityOptions verbosity;
};

int runExport(ExportOptions& options) {
  if (options.folder.empty() || options.output.empty())
    throw UsageError("name the project folder and the output file");
  options.chosen.Resolve();

  ProjectModel model;
  OpenProject(model, options.folder);
  options.chosen.SelectIn(model);
  MixerSettings mixer;
  options.chosen.ApplyTo(mixer);

  // "-" is standard output: WAV, or AIFF with --aiff, with nothing appended.
  const bool toStandardOutput = options.output == StandardOutputName;
  const ExportFormatChoice choice = toStandardOutput
                                        ? ExportFormatChoice{options.aiff ? FormatAiff : FormatWav, options.output}
                                        : ChooseExportFormat(options.output, options.aiff);
  ExportRequest request;
  request.selection = model.PlaybackSelection();
  request.length = model.View.sliderMax;
  request.output = choice.fileName;
  request.format = choice.format;
  request.mixer = &mixer;
  if (request.length == 0) throw CommandFailure("The selected takes hold no samples.");
  std::error_code error;
  if (!toStandardOutput && !options.force && std::filesystem::is_regular_file(request.output, error))
    throw CommandFailure(request.output.string() + " exists; nothing was written (add --force to replace it).");
  // The sound goes to standard output: the program's own words go to
  // standard error.
  if (toStandardOutput) SendReportsToStandardError();
  return RunConversion("Exporting", options.verbosity.level(), {request.output},
                       [&](const ConversionHooks& hooks) { return ExportTakes(request, hooks); });
}

}  // namespace

CommandRun DefineExport(CLI::App& command) {
  auto options = std::make_shared<ExportOptions>();
  AddPositional(command, "DIR", options->folder, "the song folder");
  AddPositional(command, "OUT", options->output,
                "the file to write: a name ending in .aif (any case) gives AIFF, anything else WAV, 16-bit at "
                "44.1 kHz; - writes to standard output");
  options->chosen.Define(command);
  command.add_flag("--aiff", options->aiff, "write AIFF when OUT has no extension (it gets .aif)");
  command.add_flag("-f,--force", options->force,
                   "replace OUT when it exists (a song folder's own files are never replaced)");
  AddVerbosityOptions(command, options->verbosity);
  return [options] { return runExport(*options); };
}

}  // namespace tp::cli
