#include "cli/mixselection.h"

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/options.h"

namespace tp::cli {

MixSelection::MixSelection() {
  volume.fill(DefaultVolume);
  pan.fill(DefaultPan);
}

void MixSelection::Define(CLI::App& command) {
  AddTakeOption(command, "-t,--take", takeTexts_, "a take; give several for a stereo mix");
  AddMasterOption(command, "-m,--master", masterTexts_, "a master take, as its stereo pair");
  AddRepeatable(command, "--volume", volumeTexts_, "T=V",
                "the volume of track T: 0-127 (default 100)")
      ->check(Checked([](std::string_view text) { ParseTrackValue(text, 0, 127); }));
  AddRepeatable(command, "--pan", panTexts_, "T=P", "the pan of track T: 0 left, 50 centre (default), 100 right")
      ->check(Checked([](std::string_view text) { ParseTrackValue(text, 0, 100); }));
  AddTrackOption(command, "--mute", muteTexts_, "silence track T in the mix");
  AddTrackOption(command, "--solo", soloTexts_, "hear track T; once any track is soloed, only soloed tracks are heard");
  command.add_flag("--saved-mix", savedMix,
                   "use the song's mix as the window kept it (\"Keep each song's mix\"); the options above override it "
                   "track by track");
}

void MixSelection::Resolve() {
  ResolveOptional();
  RequireChoice();
}

void MixSelection::RequireChoice() const {
  if (master && !takes.empty()) throw UsageError("choose track takes or a master take, not both");
  if (!master && takes.empty()) throw UsageError("choose at least one take with --take or --master");
}

void MixSelection::ResolveOptional() {
  for (const auto& text : takeTexts_) takes.push_back(ParseTrackTake(text));
  if (masterTexts_.size() > 1) throw UsageError("one --master only");
  if (!masterTexts_.empty()) master = ParseMasterTake(masterTexts_.front());
  for (const auto& text : volumeTexts_) {
    const auto [track, value] = ParseTrackValue(text, 0, 127);
    volume[track] = value;
    volumeGiven_[size_t(track)] = true;
  }
  for (const auto& text : panTexts_) {
    const auto [track, value] = ParseTrackValue(text, 0, 100);
    pan[track] = value;
    panGiven_[size_t(track)] = true;
  }
  for (const auto& text : muteTexts_) mute[size_t(ParseTrack(text))] = true;
  for (const auto& text : soloTexts_) solo[size_t(ParseTrack(text))] = true;
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
    settings.mute[strip] = mute[strip];
    settings.solo[strip] = solo[strip];
  }
}

ExportRequest ChosenMixRequest(const std::string& folder, MixSelection& chosen, ProjectModel& model,
                               MixerSettings& mixer) {
  chosen.ResolveOptional();
  OpenProject(model, folder);
  chosen.AddSavedMix(folder, model);
  chosen.RequireChoice();
  chosen.SelectIn(model);
  chosen.ApplyTo(mixer);
  ExportRequest request;
  request.selection = model.PlaybackSelection();
  request.length = model.View.sliderMax;
  request.mixer = &mixer;
  if (request.length == 0) throw CommandFailure("The selected takes hold no samples.");
  return request;
}

}  // namespace tp::cli
