#include <vector>

#include "cli/commands.h"
#include "cli/conversionrun.h"
#include "convert/importengine.h"

namespace tp::cli {

int RunImport(ArgumentReader& args) {
  std::vector<std::string> positional;
  std::vector<TrackTake> targets;
  std::optional<int> master;
  while (!args.done()) {
    const std::string arg = args.take();
    if (arg == "--to") targets.push_back(ParseTrackTake(args.valueOf(arg)));
    else if (arg == "--master") {
      if (master) throw UsageError("one --master only");
      master = ParseMasterTake(args.valueOf(arg));
    } else if (arg.starts_with("--")) throw UsageError("unknown option " + arg);
    else positional.push_back(arg);
  }
  if (positional.size() != 2) throw UsageError("name the project folder and the WAV/AIFF file");
  if (master && !targets.empty()) throw UsageError("choose --to tracks or a --master take, not both");
  if (!master && targets.empty()) throw UsageError("choose where to import with --to or --master");
  if (targets.size() > 2) throw UsageError("at most two --to targets (left and right)");
  if (targets.size() == 2 && targets[0].track == targets[1].track)
    throw UsageError("the two --to targets must be on different tracks");

  ProjectModel model;
  OpenProject(model, positional[0]);
  // The order of the clicks makes the first --to the left (or only) target.
  for (const auto& target : targets) {
    model.TrackSelClick(target.track);
    model.TakeSelClick(target.track, target.take);
  }
  if (master) {
    model.MasTakeSelClick(*master);
    model.MasterSelClick(true);
  }
  return RunConversion("Importing",
                       [&](const ConversionHooks& hooks) { return ImportAudioFile(model, positional[1], hooks); });
}

}  // namespace tp::cli
