// The options that choose what export and play hear: the takes, or a master
// take, and the mixer's volume, pan, mute and solo per track.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "convert/exportengine.h"
#include "mix/mixer.h"
#include "project/projectmodel.h"

namespace CLI {
class App;
}

namespace tp::cli {

struct MixSelection {
  std::vector<TrackTake> takes;
  std::optional<int> master;
  std::array<int, 16> volume, pan;
  std::array<bool, 16> mute{}, solo{};
  bool savedMix = false;  // --saved-mix: the song's mix as the window kept it

  MixSelection();
  // Declares -t/--take, -m/--master, --volume, --pan, --mute and --solo on the command; the
  // values land in this object, which must outlive the parse.
  void Define(CLI::App& command);
  // After the parse: turns the values into takes and mixer settings, and
  // throws the usage errors (both kinds chosen, none chosen, two takes on
  // one track).
  void Resolve();
  // The same for a command that takes every track's lowest take unless told
  // otherwise, and track takes and a master take together: neither or both
  // may be chosen.
  void ResolveOptional();
  // The checks of Resolve, once the saved mix is in.
  void RequireChoice() const;
  // With --saved-mix, once the song is read: the song's saved mix where the
  // command line leaves a track's take, volume, pan, mute or solo unsaid (a
  // note on standard error when the song has none, or the file is damaged).
  void AddSavedMix(const std::string& folder, const ProjectModel& model);
  // Selects the takes in the model as clicks would (each must exist).
  void SelectIn(ProjectModel& model) const;
  void ApplyTo(MixerSettings& settings) const;

 private:
  std::vector<std::string> takeTexts_, masterTexts_, volumeTexts_, panTexts_, muteTexts_, soloTexts_;
  std::array<bool, 16> volumeGiven_{}, panGiven_{};
};

// Reads the song in `folder` into `model`, selects what `chosen` names and
// sets `mixer` from it: the export's request without its output. Throws
// the usage errors, and a failure when the takes hold no samples.
ExportRequest ChosenMixRequest(const std::string& folder, MixSelection& chosen, ProjectModel& model,
                               MixerSettings& mixer);

}  // namespace tp::cli
