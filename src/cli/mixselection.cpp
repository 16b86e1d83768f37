#include "cli/mixselection.h"

#include "cli/commands.h"

namespace tp::cli {

MixSelection::MixSelection() {
  volume.fill(DefaultVolume);
  pan.fill(DefaultPan);
}

bool MixSelection::Accept(const std::string& arg, ArgumentReader& args) {
  if (arg == "--take") {
    takes.push_back(ParseTrackTake(args.valueOf(arg)));
  } else if (arg == "--master") {
    if (master) throw UsageError("one --master only");
    master = ParseMasterTake(args.valueOf(arg));
  } else if (arg == "--volume") {
    const auto [track, value] = ParseTrackValue(args.valueOf(arg), 0, 127);
    volume[track] = value;
  } else if (arg == "--pan") {
    const auto [track, value] = ParseTrackValue(args.valueOf(arg), 0, 100);
    pan[track] = value;
  } else {
    return false;
  }
  return true;
}

void MixSelection::Check() const {
  if (master && !takes.empty()) throw UsageError("choose track takes or a master take, not both");
  if (!master && takes.empty()) throw UsageError("choose at least one take with --take or --master");
  for (size_t i = 0; i < takes.size(); ++i)
    for (size_t j = 0; j < i; ++j)
      if (takes[i].track == takes[j].track) throw UsageError("one take per track");
}

void MixSelection::SelectIn(ProjectModel& model) const {
  for (const auto& take : takes) SelectTake(model, take);
  if (master) SelectMasterTake(model, *master);
}

void MixSelection::ApplyTo(MixerSettings& settings) const {
  for (int strip = 0; strip < 16; ++strip) {
    settings.volume[strip] = volume[strip];
    settings.pan[strip] = pan[strip];
  }
}

}  // namespace tp::cli
