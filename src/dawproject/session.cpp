#include "dawproject/session.h"

#include <algorithm>

#include "archive/archiveplan.h"
#include "mix/mixer.h"
#include "project/messages.h"
#include "project/namecodec.h"

namespace tp {

namespace {

// The take's name as the window shows it, trailing blanks dropped; empty
// for a take without a name.
std::string shownName(const std::string& nameBytes) {
  std::string name = NameBytesToUtf8(nameBytes);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

// "Kick (Track01-1)"; a take without a name is called by its label alone.
std::string clipName(const ArchiveItem& item) {
  const std::string name = shownName(item.nameBytes);
  return name.empty() ? item.source.label : name + " (" + item.source.label + ")";
}

SessionClip clipOf(const ArchiveItem& item, bool external) {
  SessionClip clip;
  clip.name = clipName(item);
  clip.frames = item.source.length;
  clip.channels = item.source.right ? 2 : 1;
  const std::string fileName = item.output.filename().string();
  clip.filePath = external ? fileName : "audio/" + fileName;
  clip.source = item.source;
  return clip;
}

// The items of one recorder track (or of the master takes, track -1), in
// take order, the chosen one (`chosen`, or the first with -1) moved to the
// front and enabled. False when a take was chosen that is not among them
// (a damaged take is never among them).
bool collectLanes(const ArchiveSongPlan& song, int track, int chosen, bool external, std::vector<SessionClip>& lanes,
                  const ArchiveItem*& chosenItem) {
  chosenItem = nullptr;
  for (const ArchiveItem& item : song.items) {
    if (item.track != track || item.damaged) continue;
    const bool isChosen = chosenItem == nullptr && (chosen < 0 || item.take == chosen);
    SessionClip clip = clipOf(item, external);
    clip.enabled = isChosen;
    if (isChosen) {
      chosenItem = &item;
      lanes.insert(lanes.begin(), std::move(clip));
    } else {
      lanes.push_back(std::move(clip));
    }
  }
  return chosenItem != nullptr || (lanes.empty() && chosen < 0);
}

}  // namespace

SessionChoices::SessionChoices() {
  takes.fill(-1);
  volume.fill(DefaultVolume);
  pan.fill(DefaultPan);
}

void SessionChoices::TakeMixerFrom(const MixerSettings& mixer) {
  for (int track = 0; track < TrackCount; ++track) {
    volume[track] = mixer.volume[track];
    pan[track] = mixer.pan[track];
    mute[track] = mixer.mute[track];
    solo[track] = mixer.solo[track];
  }
}

double SessionVolume(int volumePosition) { return VolumeTable[std::clamp(volumePosition, 0, 127)] / 8192.0; }

double SessionPan(int panPosition) { return std::clamp(panPosition, 0, 100) / 100.0; }

Status PlanSessionOf(const ArchiveSongPlan& song, const SessionChoices& choices, bool external, AudioFormat format,
                     SessionPlan& plan) {
  plan = SessionPlan{};
  plan.title = shownName(song.nameBytes);
  if (plan.title.empty()) plan.title = song.folder.filename().string();
  plan.songFolder = std::filesystem::absolute(song.folder).lexically_normal().string();
  plan.externalFiles = external;
  plan.format = format;
  // A take that cannot be read would be a silent hole in the project.
  if (!song.unreadableTakes.empty())
    return Status::Fail(messages::TakeNotOpened, song.unreadableTakes.front().path, song.unreadableTakes.front().error);
  for (const ArchiveItem& item : song.items)
    if (item.damaged) plan.damagedTakes.push_back(item.source.label);
  for (int track = 0; track <= TrackCount; ++track) {
    const bool masters = track == TrackCount;
    const int chosen = masters ? choices.master : choices.takes[size_t(track)];
    SessionTrack lane;  // the DAW's track: its lanes hold the recorder track's takes
    const ArchiveItem* chosenItem = nullptr;
    if (!collectLanes(song, masters ? -1 : track, chosen, external, lane.lanes, chosenItem)) {
      const auto path = masters ? song.folder / MasterTakeFileName(MasterSide::Left, chosen)
                                : song.folder / TakeFileName(track, chosen);
      const bool damaged = std::any_of(song.items.begin(), song.items.end(), [&](const ArchiveItem& item) {
        return item.damaged && item.take == chosen && item.track == (masters ? -1 : track);
      });
      return Status::Fail(damaged ? messages::TakeCutShort : messages::TakeNotOpened, path);
    }
    if (lane.lanes.empty()) continue;
    lane.channels = lane.lanes.front().channels;
    if (masters) {
      // The master takes are the mix already: heard with the tracks they
      // would double it.
      lane.name = MasterTakesTrackName;
      lane.mute = true;
    } else {
      lane.name = shownName(chosenItem->nameBytes);
      if (lane.name.empty()) lane.name = chosenItem->source.label;
      lane.volume = SessionVolume(choices.volume[size_t(track)]);
      lane.pan = SessionPan(choices.pan[size_t(track)]);
      lane.mute = choices.mute[size_t(track)];
      lane.solo = choices.solo[size_t(track)];
    }
    plan.tracks.push_back(std::move(lane));
  }
  return Status::Ok();
}

Status PlanSession(const std::filesystem::path& songFolder, const SessionChoices& choices, AudioFormat format,
                   SessionPlan& plan) {
  ArchiveRequest request;
  request.source = songFolder;
  request.outputRoot = "audio";
  request.format = format;
  std::vector<ArchiveSongPlan> songs;
  const Status planned = PlanArchive(request, songs);
  if (!planned.ok()) return planned;
  return PlanSessionOf(songs.front(), choices, false, format, plan);
}

}  // namespace tp
