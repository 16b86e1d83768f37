// A song as a DAW project: one audio track per recorder track that holds a
// take, each take on a lane of its own (the chosen one enabled, the others
// disabled: the exchange format has no takes), the mixer's volume, pan, mute
// and solo on the tracks' channels, and the master takes on one muted
// stereo track so that the mix is not heard twice. The audio files are
// those the archive writes (convert/archive.h), named as it names them.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "audiofile/audiofile.h"
#include "audiofile/takefile.h"
#include "archive/stemfile.h"
#include "storage/status.h"

namespace tp {

struct ArchiveSongPlan;
struct MixerSettings;

// What the user hears: the take chosen on each track and the mixer.
struct SessionChoices {
  // 0-based take per track; -1: the track's lowest-numbered take.
  std::array<int, TrackCount> takes;
  int master = -1;  // 0-based master take; -1: the lowest-numbered one
  std::array<int, TrackCount> volume, pan;  // 0..127, 0..100
  std::array<bool, TrackCount> mute{}, solo{};
  SessionChoices();
  // The mixer's positions as they are now.
  void TakeMixerFrom(const MixerSettings& mixer);
};

struct SessionClip {
  std::string name;      // "Kick (Track01-1)"
  bool enabled = false;  // only a track's chosen take
  uint32_t frames = 0;
  uint32_t channels = 1;
  std::string filePath;  // inside the project file, or relative to its folder
  StemSource source;     // the take file(s) its samples come from
};

struct SessionTrack {
  std::string name;
  uint32_t channels = 1;
  double volume = 1.0;  // linear gain
  double pan = 0.5;     // 0 full left, 0.5 centre, 1 full right
  bool mute = false, solo = false;
  std::vector<SessionClip> lanes;  // the chosen take first
};

struct SessionPlan {
  std::string title;         // the song's name, UTF-8
  std::string songFolder;    // where it came from
  std::string applicationVersion;
  std::vector<SessionTrack> tracks;  // recorder tracks in order, then the master takes
  // true: the audio files lie beside the project file (an archive's folder);
  // false: they are stored inside it under audio/.
  bool externalFiles = false;
  AudioFormat format = FormatWav;
  // Takes left out because their file ends inside its header ("Track05-1").
  std::vector<std::string> damagedTakes;
};

// The name of the track that holds the master takes.
inline constexpr const char* MasterTakesTrackName = "Master takes";

// The session of an archived song: every take the archive plan lists, each
// file at its output name (`external`: beside the project file; else under
// audio/ inside it). A chosen take the song lacks fails naming its take file;
// so does a take file that could not be read. A damaged take (its file ends
// inside its header) is left out and listed in `damagedTakes`; chosen by
// name, it fails.
Status PlanSessionOf(const ArchiveSongPlan& song, const SessionChoices& choices, bool external,
                     AudioFormat format, SessionPlan& plan);

// The session of the song folder `songFolder`, its audio stored inside the
// project file.
Status PlanSession(const std::filesystem::path& songFolder, const SessionChoices& choices, AudioFormat format,
                   SessionPlan& plan);

// The exact gains the mixer applies: the volume table's value / 8192, the
// pan position / 100.
double SessionVolume(int volumePosition);
double SessionPan(int panPosition);

}  // namespace tp
