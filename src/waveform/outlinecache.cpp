#include "waveform/outlinecache.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <system_error>
#include <vector>

#include "audiofile/byteorder.h"
#include "project/messages.h"
#include "storage/filehandle.h"
#include "storage/safefile.h"

namespace tp {
namespace fs = std::filesystem;

namespace {

constexpr char Magic[8] = {'T', 'P', 'O', 'U', 'T', 'L', 'N', '1'};
constexpr const char* Extension = ".outlines";
// Larger than 1,024 entries of 1,024 columns: anything bigger is no cache file.
constexpr int64_t MaximumFileBytes = 8 << 20;

// Reads the fields of a cache file in order; every read first checks that
// the bytes are there, so a file cut anywhere fails cleanly.
class Cursor {
 public:
  explicit Cursor(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  const uint8_t* Take(size_t count) {
    if (count > bytes_.size() - at_) return nullptr;
    const uint8_t* here = bytes_.data() + at_;
    at_ += count;
    return here;
  }
  bool U16(uint16_t& value) {
    const uint8_t* p = Take(2);
    if (p) value = readU16LE(p);
    return p != nullptr;
  }
  bool U32(uint32_t& value) {
    const uint8_t* p = Take(4);
    if (p) value = readU32LE(p);
    return p != nullptr;
  }
  bool I64(int64_t& value) {
    const uint8_t* p = Take(8);
    if (p) value = int64_t(readU64LE(p));
    return p != nullptr;
  }
  bool Text(std::string& text, uint32_t length) {
    const uint8_t* p = Take(length);
    if (p) text.assign(reinterpret_cast<const char*>(p), length);
    return p != nullptr;
  }
  bool AtEnd() const { return at_ == bytes_.size(); }

 private:
  const std::vector<uint8_t>& bytes_;
  size_t at_ = 0;
};

void PutU16(std::vector<uint8_t>& out, uint16_t value) {
  out.resize(out.size() + 2);
  writeU16LE(&out[out.size() - 2], value);
}
void PutU32(std::vector<uint8_t>& out, uint32_t value) {
  out.resize(out.size() + 4);
  writeU32LE(&out[out.size() - 4], value);
}
void PutI64(std::vector<uint8_t>& out, int64_t value) {
  PutU32(out, uint32_t(uint64_t(value)));
  PutU32(out, uint32_t(uint64_t(value) >> 32));
}
void PutText(std::vector<uint8_t>& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

// FNV-1a: a stable name for the song's cache file whatever the path holds.
uint64_t HashOf(const std::string& text) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

bool ReadWholeFile(const fs::path& file, std::vector<uint8_t>& bytes) {
  FileHandle handle = FileHandle::Open(file, O_RDONLY);
  if (!handle.valid()) return false;
  const int64_t size = handle.Size();
  if (size < 0 || size > MaximumFileBytes) return false;
  bytes.resize(size_t(size));
  return handle.ReadAt(bytes.data(), bytes.size(), 0) == ssize_t(size);
}

}  // namespace

fs::path DefaultOutlineCacheFolder() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  // The base directory rules ignore a relative value.
  if (cache && cache[0] == '/') return fs::path(cache) / "trackporter" / "outlines";
  const char* home = std::getenv("HOME");
  return fs::path(home ? home : "/tmp") / ".cache" / "trackporter" / "outlines";
}

int StampFile(const fs::path& file, FileStamp& stamp) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0) return errno;
  stamp.size = int64_t(info.st_size);
  stamp.modified = int64_t(info.st_mtim.tv_sec) * 1000000000 + int64_t(info.st_mtim.tv_nsec);
  return 0;
}

SongOutlineCache::SongOutlineCache(fs::path cacheFolder, fs::path song, int columns)
    : folder_(std::move(cacheFolder)), song_(std::move(song)), columns_(columns) {}

fs::path SongOutlineCache::FilePath() const {
  char name[17];
  std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(HashOf(song_.string())));
  return folder_ / (std::string(name) + Extension);
}

void SongOutlineCache::Load() {
  entries_.clear();
  changed_ = false;
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(FilePath(), bytes) || !Parse(bytes)) entries_.clear();
}

bool SongOutlineCache::Parse(const std::vector<uint8_t>& bytes) {
  Cursor in(bytes);
  const uint8_t* magic = in.Take(sizeof Magic);
  uint32_t columns = 0, pathLength = 0, count = 0;
  std::string song;
  if (!magic || std::memcmp(magic, Magic, sizeof Magic) != 0 || !in.U32(columns) || !in.U32(pathLength) ||
      !in.Text(song, pathLength) || !in.U32(count))
    return false;
  // Another song whose path hashes alike, or outlines of another width.
  if (song != song_.string() || columns != uint32_t(columns_) || count > MaximumEntries) return false;
  for (uint32_t i = 0; i < count; ++i) {
    uint16_t nameLength = 0;
    std::string name;
    Entry entry;
    if (!in.U16(nameLength) || !in.Text(name, nameLength) || !in.I64(entry.stamp.size) ||
        !in.I64(entry.stamp.modified))
      return false;
    const uint8_t* pairs = in.Take(size_t(columns) * 4);
    if (!pairs) return false;
    for (uint32_t column = 0; column < columns; ++column) {
      entry.outline.minimum.push_back(int16_t(readU16LE(pairs + 4 * column)));
      entry.outline.maximum.push_back(int16_t(readU16LE(pairs + 4 * column + 2)));
    }
    entries_[name] = std::move(entry);
  }
  return in.AtEnd();
}

std::vector<uint8_t> SongOutlineCache::Serialise() const {
  std::vector<uint8_t> out(Magic, Magic + sizeof Magic);
  PutU32(out, uint32_t(columns_));
  PutU32(out, uint32_t(song_.string().size()));
  PutText(out, song_.string());
  PutU32(out, uint32_t(entries_.size()));
  for (const auto& [name, entry] : entries_) {
    PutU16(out, uint16_t(name.size()));
    PutText(out, name);
    PutI64(out, entry.stamp.size);
    PutI64(out, entry.stamp.modified);
    for (int column = 0; column < columns_; ++column) {
      PutU16(out, uint16_t(entry.outline.minimum[size_t(column)]));
      PutU16(out, uint16_t(entry.outline.maximum[size_t(column)]));
    }
  }
  return out;
}

const ChannelOutline* SongOutlineCache::Find(const std::string& fileName, const FileStamp& stamp) const {
  const auto found = entries_.find(fileName);
  return found != entries_.end() && found->second.stamp == stamp ? &found->second.outline : nullptr;
}

void SongOutlineCache::Store(const std::string& fileName, const FileStamp& stamp, const ChannelOutline& outline) {
  // A name longer than its length field could say is no take's.
  if (fileName.size() > UINT16_MAX || outline.minimum.size() != size_t(columns_)) return;
  entries_[fileName] = Entry{stamp, outline};
  changed_ = true;
}

void SongOutlineCache::KeepOnly(const std::set<std::string>& fileNames) {
  const size_t before = entries_.size();
  std::erase_if(entries_, [&](const auto& entry) { return !fileNames.contains(entry.first); });
  changed_ = changed_ || entries_.size() != before;
}

Status SongOutlineCache::Save() {
  if (!changed_) return Status::Ok();
  std::error_code error;
  fs::create_directories(folder_, error);
  std::unique_ptr<SafeFile> file;
  if (Status created = SafeFile::Create(FilePath(), messages::OutlineCacheNotWritten, file); !created.ok())
    return created;
  const std::vector<uint8_t> bytes = Serialise();
  if (!file->handle().Write(bytes.data(), bytes.size()))
    return Status::Fail(messages::OutlineCacheNotWritten, FilePath(), errno);
  if (Status committed = file->Commit(messages::OutlineCacheNotWritten); !committed.ok()) return committed;
  changed_ = false;
  Trim();
  return Status::Ok();
}

void SongOutlineCache::Trim() const {
  std::vector<std::pair<fs::file_time_type, fs::path>> songs;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder_, error)) {
    if (entry.path().extension() != Extension) continue;
    songs.emplace_back(entry.last_write_time(error), entry.path());
  }
  if (songs.size() <= size_t(MaximumSongs)) return;
  std::sort(songs.begin(), songs.end());
  for (size_t i = 0; i + MaximumSongs < songs.size(); ++i) fs::remove(songs[i].second, error);
}

}  // namespace tp
