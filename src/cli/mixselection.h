// The options that choose what export and play hear: the takes, or a master
// take, and the mixer's volume and pan per track.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "mix/mixer.h"
#include "project/projectmodel.h"

namespace tp::cli {

struct MixSelection {
  std::vector<TrackTake> takes;
  std::optional<int> master;
  std::array<int, 16> volume, pan;

  MixSelection();
  // Takes --take, --master, --volume and --pan; false for any other argument.
  bool Accept(const std::string& arg, ArgumentReader& args);
  // Usage errors: both kinds chosen, none chosen, two takes on one track.
  void Check() const;
  // Selects the takes in the model as clicks would (each must exist).
  void SelectIn(ProjectModel& model) const;
  void ApplyTo(MixerSettings& settings) const;
};

}  // namespace tp::cli
