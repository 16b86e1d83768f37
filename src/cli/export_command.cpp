#include <cmath>
#include <cstdio>
#include <memory>
#include <system_error>
#include <vector>

#include <CLI/CLI.hpp>

#include <unistd.h>

#include "cli/commands.h"
#include "cli/conversionrun.h"
#include "cli/mixselection.h"
#include "cli/options.h"
#include "cli/verbosity.h"
#include "convert/exportengine.h"
#include "convert/exportformat.h"
#include "cli/jsonline.h"
#include "project/utf8text.h"

namespace tp::cli {

namespace {

struct ExportOptions {
  std::string folder, output;
  MixSelection chosen;
  bool aiff = false, flac = false, force = false, json = false;
  std::string normalize, truePeak;
  CLI::Option* normalizeOption = nullptr;
  VerbosityOptions verbosity;
};

// --normalize with no value aims at the loudness streaming services play at.
constexpr const char* DefaultNormaliseTarget = "-14";

void applyNormalisation(const ExportOptions& options, ExportRequest& request) {
  if (options.normalizeOption->count() == 0) {
    if (!options.truePeak.empty()) throw UsageError("--true-peak only goes with --normalize");
    return;
  }
  request.normaliseTo =
      ParseNumberWithin(options.normalize.empty() ? DefaultNormaliseTarget : options.normalize, -70, 0,
                        "the loudness of --normalize");
  if (!options.truePeak.empty())
    request.truePeakCeiling = ParseNumberWithin(options.truePeak, -20, 0, "the ceiling of --true-peak");
}

void printJson(const ExportRequest& request, const ConversionResult& result) {
  Json json = Json::object();
  json["file"] = Utf8OrLatin1(request.output.string());
  json["frames"] = result.framesWritten;
  json["clipped"] = result.clippedSamples;
  json["loudness"] = LoudnessJson(result.loudness.value_or(Loudness{}));
  if (result.normalisation) {
    json["normalisation"]["gain_db"] = std::round(result.normalisation->gainDb * 100.0) / 100.0;
    json["normalisation"]["held_by_ceiling"] = result.normalisation->heldByCeiling;
  }
  std::printf("%s\n", OneLineJson(json).c_str());
}

int runExport(ExportOptions& options) {
  if (options.folder.empty() || options.output.empty())
    throw UsageError("name the project folder and the output file");
  // "-" is standard output: WAV, or AIFF with --aiff, with nothing appended.
  const bool toStandardOutput = options.output == StandardOutputName;
  if (toStandardOutput && options.json) throw UsageError("--json needs standard output, which OUT - gives the sound");
  // Sound bytes on a terminal are noise that can leave it in a strange state.
  if (toStandardOutput && ::isatty(STDOUT_FILENO) == 1)
    throw UsageError("Standard output is a terminal; give a file name or a pipe.");
  if (options.aiff && options.flac) throw UsageError("choose --aiff or --flac, not both");
  // The FLAC writer rewrites the file's start once the sound is written.
  if (toStandardOutput && options.flac) throw UsageError("--flac needs a file it can finish, not standard output");
  ProjectModel model;
  MixerSettings mixer;
  ExportRequest request = ChosenMixRequest(options.folder, options.chosen, model, mixer);
  applyNormalisation(options, request);
  const AudioFormat chosenType = options.aiff ? FormatAiff : options.flac ? FormatFlac : FormatWav;
  const ExportFormatChoice choice = toStandardOutput ? ExportFormatChoice{chosenType, options.output}
                                                     : ChooseExportFormat(options.output, chosenType);
  request.output = choice.fileName;
  request.format = choice.format;
  std::error_code error;
  if (!toStandardOutput && !options.force && std::filesystem::is_regular_file(request.output, error))
    throw CommandFailure(request.output.string() + " exists; nothing was written (add --force to replace it).");
  // The sound, or the JSON, goes to standard output: the program's own
  // words go to standard error.
  if (toStandardOutput || options.json) SendReportsToStandardError();
  ConversionResult result;
  const int status = RunConversion("Exporting", options.verbosity.level(), {request.output},
                                   [&](const ConversionHooks& hooks) { return result = ExportTakes(request, hooks); });
  if (status == 0 && options.json) printJson(request, result);
  return status;
}

}  // namespace

CommandRun DefineExport(CLI::App& command) {
  auto options = std::make_shared<ExportOptions>();
  AddPositional(command, "DIR", options->folder, "the song folder");
  AddPositional(command, "OUT", options->output,
                "the file to write: a name ending in .aif (any case) gives AIFF, .flac FLAC, anything else WAV, "
                "16-bit at 44.1 kHz; - writes to standard output");
  options->chosen.Define(command);
  command.add_flag("--aiff", options->aiff, "write AIFF when OUT has no extension (it gets .aif)");
  command.add_flag("--flac", options->flac, "write FLAC when OUT has no extension (it gets .flac)");
  command.add_flag("-f,--force", options->force,
                   "replace OUT when it exists (a song folder's own files are never replaced)");
  command.add_flag("--json", options->json,
                   "print the file, its frames, the clipped samples and its loudness as JSON on standard output");
  options->normalizeOption =
      AddValue(command, "--normalize", options->normalize, "[=LUFS]",
               "write the mix at this integrated loudness (default -14 LUFS): a first pass measures it, one gain "
               "reaches the target, lowered to keep the true peak under --true-peak")
          ->expected(0, 1);
  AddValue(command, "--true-peak", options->truePeak, "DBTP",
           "the true-peak ceiling --normalize keeps to (default -1 dBTP)");
  AddVerbosityOptions(command, options->verbosity);
  return [options] { return runExport(*options); };
}

}  // namespace tp::cli
