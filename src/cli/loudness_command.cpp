// loudness: what an export with the same options would measure, without
// writing anything.
#include <cstdio>
#include <memory>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/conversionrun.h"
#include "cli/jsonline.h"
#include "cli/mixselection.h"
#include "cli/options.h"
#include "convert/exportengine.h"

namespace tp::cli {

namespace {

struct LoudnessOptions {
  std::string folder;
  MixSelection chosen;
  bool json = false, quiet = false;
};

int runLoudness(LoudnessOptions& options) {
  if (options.folder.empty()) throw UsageError("name the project folder");
  ProjectModel model;
  MixerSettings mixer;
  const ExportRequest request = ChosenMixRequest(options.folder, options.chosen, model, mixer);
  const ConversionResult result = RunWithProgress("Measuring", !options.quiet, [&](const ConversionHooks& hooks) {
    return MeasureTakes(request, hooks);
  });
  if (result.outcome != ConversionResult::Converted) return ReportUnconverted(result);
  const Loudness& loudness = *result.loudness;
  std::printf("%s\n", (options.json ? OneLineJson(LoudnessJson(loudness)) : LoudnessText(loudness)).c_str());
  return 0;
}

}  // namespace

CommandRun DefineLoudness(CLI::App& command) {
  auto options = std::make_shared<LoudnessOptions>();
  AddPositional(command, "DIR", options->folder, "the song folder");
  options->chosen.Define(command);
  command.add_flag("--json", options->json, "print the loudness as a JSON object");
  command.add_flag("-q,--quiet", options->quiet, "no progress bar");
  return [options] { return runLoudness(*options); };
}

}  // namespace tp::cli
