// Each song's mix, kept for the user who asks for it: the mixer's volume,
// pan, mute and solo and the takes chosen, in one JSON file of the
// program's own in the user's configuration folder (never on the
// recorder's disk). A song is known by its folder's canonical path, the
// size of its information file and its name, so that a song copied or
// renamed elsewhere starts fresh.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "storage/status.h"

namespace tp {

struct SavedMix {
  std::array<int, 16> volume;  // 0..127
  std::array<int, 16> pan;     // 0..100
  std::array<bool, 16> mute{};
  std::array<bool, 16> solo{};
  std::array<int, 16> take;  // the take chosen on each track, -1 for none
  int masterTake = -1;       // the master take chosen, -1 for none
  bool masterMode = false;   // the master take is what is heard
  SavedMix();                // the design's defaults: volume 100, centre, no take
  bool operator==(const SavedMix&) const = default;
};

// Who a song is, as the saved mixes know it; empty when the folder is no song.
std::optional<std::string> SongIdentity(const std::filesystem::path& folder, const std::string& nameBytes);

// $XDG_CONFIG_HOME/TrackPorter/mixes.json, else ~/.config/TrackPorter/mixes.json.
std::filesystem::path DefaultSavedMixesFile();

class ProjectModel;

// `mix` with the takes the song in `model` still has: a take chosen that is
// gone falls back to the lowest-numbered take of its track (or the
// lowest-numbered master take), and to none where there is none.
SavedMix WithTakesOf(SavedMix mix, const ProjectModel& model);

// What the song in `model` and `mixer`-like values show now: the lowest
// assigned take chosen on each track, the master take, the mixer's settings.
SavedMix SelectedMixOf(const ProjectModel& model, const std::array<int, 16>& volume, const std::array<int, 16>& pan,
                       const std::array<bool, 16>& mute, const std::array<bool, 16>& solo);

class SavedMixes {
 public:
  explicit SavedMixes(std::filesystem::path file) : file_(std::move(file)) {}

  // Reads the file. No file is no mix; a file that is too large or damaged
  // is ignored (and replaced by the next Save): the failure returned says
  // why, as a note for the user, and no mix is kept.
  Status Load();
  const SavedMix* Find(const std::string& song) const;
  void Keep(const std::string& song, const SavedMix& mix) { mixes_[song] = mix; }
  // Writes every mix through SafeFile (the folder made when missing).
  Status Save() const;
  const std::filesystem::path& File() const { return file_; }

 private:
  std::filesystem::path file_;
  std::map<std::string, SavedMix> mixes_;
};

}  // namespace tp
