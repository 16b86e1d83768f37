#include <vector>

#include "cli/commands.h"
#include "cli/conversionrun.h"
#include "convert/exportengine.h"
#include "convert/exportformat.h"

namespace tp::cli {

int RunExport(ArgumentReader& args) {
  std::vector<std::string> positional;
  std::vector<TrackTake> takes;
  std::optional<int> master;
  bool aiff = false;
  MixerSettings mixer;
  while (!args.done()) {
    const std::string arg = args.take();
    if (arg == "--take") takes.push_back(ParseTrackTake(args.valueOf(arg)));
    else if (arg == "--master") {
      if (master) throw UsageError("one --master only");
      master = ParseMasterTake(args.valueOf(arg));
    } else if (arg == "--volume") {
      const auto [track, value] = ParseTrackValue(args.valueOf(arg), 0, 127);
      mixer.volume[track] = value;
    } else if (arg == "--pan") {
      const auto [track, value] = ParseTrackValue(args.valueOf(arg), 0, 100);
      mixer.pan[track] = value;
    } else if (arg == "--aiff") aiff = true;
    else if (arg.starts_with("--")) throw UsageError("unknown option " + arg);
    else positional.push_back(arg);
  }
  if (positional.size() != 2) throw UsageError("name the project folder and the output file");
  if (master && !takes.empty()) throw UsageError("choose track takes or a master take, not both");
  if (!master && takes.empty()) throw UsageError("choose at least one take with --take or --master");
  for (size_t i = 0; i < takes.size(); ++i)
    for (size_t j = 0; j < i; ++j)
      if (takes[i].track == takes[j].track) throw UsageError("one take per track");

  ProjectModel model;
  OpenProject(model, positional[0]);
  for (const auto& take : takes) SelectTake(model, take);
  if (master) SelectMasterTake(model, *master);

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
