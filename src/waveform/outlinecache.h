// The outlines of a song's takes, kept between runs so that opening a song
// again reads no take at all. One file per song folder in the user's cache
// folder holds an entry per take file, keyed by the file's name, size and
// modification time: a take that was recorded over, imported into or
// renamed (the name lives in its header) no longer matches and is read
// again. The folder keeps the songs whose outlines changed last. A cache file that is
// damaged, cut short or of another layout reads as empty.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "storage/status.h"
#include "waveform/outline.h"

namespace tp {

// $XDG_CACHE_HOME/trackporter/outlines, else ~/.cache/trackporter/outlines.
std::filesystem::path DefaultOutlineCacheFolder();

// What tells one version of a file from the next.
struct FileStamp {
  int64_t size = -1;
  int64_t modified = 0;  // nanoseconds since the epoch
  bool operator==(const FileStamp&) const = default;
};
// The stamp of `file`, or the system's reason (errno) why there is none.
int StampFile(const std::filesystem::path& file, FileStamp& stamp);

class SongOutlineCache {
 public:
  // Songs whose outlines are kept; the oldest go first.
  static constexpr int MaximumSongs = 256;
  // More entries than a song has take files means a damaged file.
  static constexpr uint32_t MaximumEntries = 1024;

  SongOutlineCache(std::filesystem::path cacheFolder, std::filesystem::path song, int columns);

  // Reads the song's cache file, if there is a sound one.
  void Load();
  // The outline kept for `fileName` when it was taken from the same version.
  const ChannelOutline* Find(const std::string& fileName, const FileStamp& stamp) const;
  void Store(const std::string& fileName, const FileStamp& stamp, const ChannelOutline& outline);
  // Forgets the entries of files not in `fileNames` (deleted takes).
  void KeepOnly(const std::set<std::string>& fileNames);
  // Writes the song's cache file through SafeFile when anything changed
  // since it was loaded or saved, then trims the folder.
  Status Save();
  std::filesystem::path FilePath() const;

 private:
  struct Entry {
    FileStamp stamp;
    ChannelOutline outline;
  };
  bool Parse(const std::vector<uint8_t>& bytes);
  std::vector<uint8_t> Serialise() const;
  void Trim() const;

  std::filesystem::path folder_, song_;
  int columns_;
  std::map<std::string, Entry> entries_;
  bool changed_ = false;
};

}  // namespace tp
