#include "project/savedmixes.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <nlohmann/json.hpp>

#include "project/folderfiles.h"
#include "project/messages.h"
#include "project/projectinfo.h"
#include "project/projectmodel.h"
#include "storage/filehandle.h"
#include "storage/safefile.h"

namespace tp {

namespace fs = std::filesystem;

namespace {

// A mix is a few hundred bytes: a file far beyond a lifetime of songs is
// not ours to read whole.
constexpr int64_t MaximumFileBytes = 16 * 1024 * 1024;

// Bytes as printable ASCII, every other byte (and '%') as %XX: a path or a
// name in any encoding survives the JSON exactly.
std::string escaped(const std::string& bytes) {
  std::string text;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7f && c != '%') {
      text += char(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      text += hex;
    }
  }
  return text;
}

std::optional<uint64_t> informationFileSize(const fs::path& folder) {
  for (std::string_view name : {PrjDataFileName, SongDataFileName})
    if (const auto file = FindFileIgnoringCase(folder, name)) {
      std::error_code error;
      const uintmax_t size = fs::file_size(*file, error);
      if (!error) return uint64_t(size);
    }
  return std::nullopt;
}

nlohmann::json toJson(const std::string& song, const SavedMix& mix) {
  return {{"song", song},   {"volume", mix.volume}, {"pan", mix.pan},
          {"mute", mix.mute}, {"solo", mix.solo},   {"takes", mix.take},
          {"master_take", mix.masterTake}, {"master_mode", mix.masterMode}};
}

// Every value in its range, or the whole file is refused: a mix half
// believed would be a mix nobody set.
template <typename Value>
void readArray(const nlohmann::json& entry, const char* key, std::array<Value, 16>& values, int lowest, int highest) {
  const nlohmann::json& array = entry.at(key);
  if (!array.is_array() || array.size() != 16) throw std::invalid_argument(std::string(key) + " is not 16 values");
  for (size_t i = 0; i < 16; ++i) {
    const Value value = array[i].get<Value>();
    if (int(value) < lowest || int(value) > highest) throw std::invalid_argument(std::string(key) + " out of range");
    values[i] = value;
  }
}

SavedMix mixFrom(const nlohmann::json& entry) {
  SavedMix mix;
  readArray(entry, "volume", mix.volume, 0, 127);
  readArray(entry, "pan", mix.pan, 0, 100);
  readArray(entry, "mute", mix.mute, 0, 1);
  readArray(entry, "solo", mix.solo, 0, 1);
  readArray(entry, "takes", mix.take, -1, 9);
  mix.masterTake = entry.at("master_take").get<int>();
  if (mix.masterTake < -1 || mix.masterTake > 9) throw std::invalid_argument("master_take out of range");
  mix.masterMode = entry.at("master_mode").get<bool>();
  return mix;
}

}  // namespace

SavedMix::SavedMix() {
  volume.fill(100);
  pan.fill(50);
  take.fill(-1);
}

SavedMix WithTakesOf(SavedMix mix, const ProjectModel& model) {
  for (int track = 0; track < TrackCount; ++track) {
    int& take = mix.take[size_t(track)];
    if (take < 0 || model.TakeSel[size_t(track)][size_t(take)].assigned) continue;
    take = -1;
    for (int other = 0; other < TakesPerTrack && take < 0; ++other)
      if (model.TakeSel[size_t(track)][size_t(other)].assigned) take = other;
  }
  if (mix.masterTake >= 0 && !model.MasTakeSel[size_t(mix.masterTake)].assigned) {
    mix.masterTake = -1;
    for (int other = 0; other < MasterTakeCount && mix.masterTake < 0; ++other)
      if (model.MasTakeSel[size_t(other)].assigned) mix.masterTake = other;
  }
  return mix;
}

SavedMix SelectedMixOf(const ProjectModel& model, const std::array<int, 16>& volume, const std::array<int, 16>& pan,
                       const std::array<bool, 16>& mute, const std::array<bool, 16>& solo) {
  SavedMix mix;
  mix.volume = volume;
  mix.pan = pan;
  mix.mute = mute;
  mix.solo = solo;
  for (int track = 0; track < TrackCount; ++track)
    for (int take = TakesPerTrack - 1; take >= 0; --take)
      if (const MatrixCell& cell = model.TakeSel[size_t(track)][size_t(take)]; cell.down && cell.assigned)
        mix.take[size_t(track)] = take;
  for (int take = MasterTakeCount - 1; take >= 0; --take)
    if (model.MasTakeSel[size_t(take)].down && model.MasTakeSel[size_t(take)].assigned) mix.masterTake = take;
  mix.masterMode = model.MasterMode;
  return mix;
}

std::optional<std::string> SongIdentity(const fs::path& folder, const std::string& nameBytes) {
  std::error_code error;
  const fs::path canonical = fs::canonical(folder, error);
  const auto size = informationFileSize(folder);
  if (error || !size) return std::nullopt;
  return escaped(canonical.string()) + "|" + std::to_string(*size) + "|" + escaped(nameBytes);
}

fs::path DefaultSavedMixesFile() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && *config == '/') return fs::path(config) / "TrackPorter" / "mixes.json";
  const char* home = std::getenv("HOME");
  return fs::path(home ? home : "/") / ".config" / "TrackPorter" / "mixes.json";
}

const SavedMix* SavedMixes::Find(const std::string& song) const {
  const auto found = mixes_.find(song);
  return found == mixes_.end() ? nullptr : &found->second;
}

Status SavedMixes::Load() {
  mixes_.clear();
  FileHandle handle = FileHandle::Open(file_, O_RDONLY);
  if (!handle.valid()) {
    if (errno == ENOENT) return Status::Ok();
    return Status::Fail(messages::SavedMixesIgnored, file_, errno);
  }
  const int64_t size = handle.Size();
  if (size < 0 || size > MaximumFileBytes) return Status::FailBecause(messages::SavedMixesIgnored, file_, "too large");
  std::vector<char> bytes(static_cast<size_t>(size));
  if (handle.ReadAt(bytes.data(), bytes.size(), 0) != ssize_t(size))
    return Status::Fail(messages::SavedMixesIgnored, file_, errno);
  try {
    const nlohmann::json json = nlohmann::json::parse(bytes.begin(), bytes.end());
    std::map<std::string, SavedMix> read;
    for (const nlohmann::json& entry : json.at("songs")) read[entry.at("song").get<std::string>()] = mixFrom(entry);
    mixes_ = std::move(read);
  } catch (const std::exception& damage) {
    return Status::FailBecause(messages::SavedMixesIgnored, file_, damage.what());
  }
  return Status::Ok();
}

Status SavedMixes::Save() const {
  nlohmann::json songs = nlohmann::json::array();
  for (const auto& [song, mix] : mixes_) songs.push_back(toJson(song, mix));
  const std::string text = nlohmann::json{{"songs", songs}}.dump(1) + "\n";
  std::error_code error;
  fs::create_directories(file_.parent_path(), error);
  std::unique_ptr<SafeFile> file;
  if (Status created = SafeFile::Create(file_, messages::SavedMixesNotWritten, file); !created.ok()) return created;
  if (!file->handle().Write(text.data(), text.size())) return Status::Fail(messages::SavedMixesNotWritten, file_, errno);
  return file->Commit(messages::SavedMixesNotWritten);
}

}  // namespace tp
