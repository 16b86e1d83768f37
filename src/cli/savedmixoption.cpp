// --saved-mix: the song's mix as the window kept it, under what the command
// line says track by track.
#include <algorithm>
#include <cstdio>

#include "cli/messages.h"
#include "cli/mixselection.h"
#include "project/savedmixes.h"

namespace tp::cli {

namespace {

// The song's saved mix with the takes it still has, or the default mix.
SavedMix savedMixOf(const std::string& folder, const ProjectModel& model) {
  SavedMixes mixes(DefaultSavedMixesFile());
  if (const Status loaded = mixes.Load(); !loaded.ok()) {
    ReportError(loaded.Text());
    return SavedMix();
  }
  const auto song = SongIdentity(folder, model.ProjectName);
  const SavedMix* found = song ? mixes.Find(*song) : nullptr;
  if (!found) {
    ReportError("this song has no saved mix; the default mix is used");
    return SavedMix();
  }
  return WithTakesOf(*found, model);
}

}  // namespace

void MixSelection::AddSavedMix(const std::string& folder, const ProjectModel& model) {
  if (!savedMix) return;
  const SavedMix saved = savedMixOf(folder, model);
  for (size_t track = 0; track < 16; ++track) {
    if (!volumeGiven_[track]) volume[track] = saved.volume[track];
    if (!panGiven_[track]) pan[track] = saved.pan[track];
    mute[track] = mute[track] || saved.mute[track];
    solo[track] = solo[track] || saved.solo[track];
  }
  // Takes named on the line, or a master take, decide what is heard; the
  // saved takes fill the other tracks.
  if (master) return;
  if (saved.masterMode && takes.empty()) {
    if (saved.masterTake >= 0) master = saved.masterTake;
    return;
  }
  for (int track = 0; track < 16; ++track) {
    const int take = saved.take[size_t(track)];
    const bool named = std::any_of(takes.begin(), takes.end(), [track](const TrackTake& t) { return t.track == track; });
    if (take >= 0 && !named) takes.push_back({track, take});
  }
}

}  // namespace tp::cli
