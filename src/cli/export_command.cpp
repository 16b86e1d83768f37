#include <vector>

#include "cli/commands.h"
#include "cli/conversionrun.h"
#include "cli/mixselection.h"
#include "convert/exportengine.h"
#include "convert/exportformat.h"

namespace tp::cli {

int RunExport(ArgumentReader& args) {
  std::vector<std::string> positional;
  MixSelection chosen;
  bool aiff = false;
  while (!args.done()) {
    const std::string arg = args.take();
    if (chosen.Accept(arg, args)) continue;
    if (arg == "--aiff") aiff = true;
    else if (arg.starts_with("--")) throw UsageError("unknown option " + arg);
    else positional.push_back(arg);
  }
  if (positional.size() != 2) throw UsageError("name the project folder and the output file");
  chosen.Check();

  ProjectModel model;
  OpenProject(model, positional[0]);
  chosen.SelectIn(model);
  MixerSettings mixer;
  chosen.ApplyTo(mixer);

  const ExportFormatChoice choice = ChooseExportFormat(positional[1], aiff);
  ExportRequest request;
  request.selection = model.PlaybackSelection();
  request.length = model.View.sliderMax;
  request.output = choice.fileName;
  request.format = choice.format;
  request.mixer = &mixer;
  if (request.length == 0) throw CommandFailure("The selected takes hold no samples.");
  return RunConversion("Exporting", [&](const ConversionHooks& hooks) { return ExportTakes(request, hooks); });
}

}  // namespace tp::cli
