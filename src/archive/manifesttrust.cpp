#include "archive/manifesttrust.h"

#include <cerrno>
#include <optional>
#include <set>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <nlohmann/json.hpp>

#include "audiofile/takefile.h"
#include "project/messages.h"
#include "storage/filehandle.h"
#include "storage/sha256.h"

namespace tp {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

namespace {

// A manifest nests four deep (root, list, entry, header run); the header
// runs of one take are at most one per two bytes of its 65,536-byte header.
constexpr size_t MaximumDepth = 8;
constexpr size_t MaximumHeaderRuns = 32768;
constexpr size_t MaximumValues = 400000;

// Walks the manifest's text as a stream of events, counting, and stops at
// the first limit passed: what the tree would cost is known before it is
// built.
class ShapeCheck final : public nlohmann::json_sax<Json> {
 public:
  std::string problem;

  bool null() override { return value(); }
  bool boolean(bool) override { return value(); }
  bool number_integer(number_integer_t) override { return value(); }
  bool number_unsigned(number_unsigned_t) override { return value(); }
  bool number_float(number_float_t, const string_t&) override { return value(); }
  bool string(string_t&) override { return value(); }
  bool binary(binary_t&) override { return value(); }
  bool start_object(std::size_t) override { return open(false); }
  bool end_object() override { return close(); }
  bool start_array(std::size_t) override { return open(true); }
  bool end_array() override { return close(); }
  bool key(string_t& name) override {
    key_ = name;
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    problem = "it is not JSON";
    return false;
  }

 private:
  struct Level {
    bool array;
    size_t entries = 0, limit = 0;
    std::string name;
  };
  bool fail(std::string why) {
    problem = std::move(why);
    return false;
  }
  bool value() {
    if (++values_ > MaximumValues) return fail("it holds more values than a manifest can");
    if (!levels_.empty() && levels_.back().array && ++levels_.back().entries > levels_.back().limit)
      return fail("\"" + levels_.back().name + "\" has more than " + std::to_string(levels_.back().limit) +
                  " entries");
    return true;
  }
  bool open(bool array) {
    if (!value()) return false;
    if (levels_.size() >= MaximumDepth) return fail("it nests deeper than a manifest does");
    levels_.push_back({array, 0, key_ == "header" ? MaximumHeaderRuns : MaximumManifestEntries, key_});
    return true;
  }
  bool close() {
    levels_.pop_back();
    return true;
  }
  std::vector<Level> levels_;
  std::string key_;
  size_t values_ = 0;
};

// File names are matched without regard to ASCII letter case.
std::string foldedCase(std::string name) {
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return name;
}

Status refused(const fs::path& path, std::string why) {
  return Status::FailBecause(messages::ArchiveNotRead, path, std::move(why));
}

// The SHA-256 that SHA256SUMS lists for the manifest, or nothing.
std::optional<std::string> listedManifestSum(const std::string& sums) {
  const std::string suffix = std::string("  ") + ArchiveManifestName;
  size_t start = 0;
  while (start < sums.size()) {
    size_t end = sums.find('\n', start);
    if (end == std::string::npos) end = sums.size();
    const std::string line = sums.substr(start, end - start);
    if (line.size() == 64 + suffix.size() && line.compare(64, suffix.size(), suffix) == 0) return line.substr(0, 64);
    start = end + 1;
  }
  return std::nullopt;
}

bool readSmallFile(const fs::path& path, std::string& text, int64_t limit) {
  FileHandle handle = FileHandle::Open(path, O_RDONLY);
  if (!handle.valid()) return false;
  const int64_t size = handle.Size();
  if (size < 0 || size > limit) {
    errno = EFBIG;
    return false;
  }
  text.resize(size_t(size));
  return handle.Read(text.data(), text.size()) == ssize_t(size);
}

// True when the manifest was written after the sums, as by an archive
// stopped (killed) between a song's files and its sums.
bool manifestNewerThanSums(const fs::path& manifest, const fs::path& sums) {
  struct stat manifestInfo {}, sumsInfo {};
  if (::stat(manifest.c_str(), &manifestInfo) != 0 || ::stat(sums.c_str(), &sumsInfo) != 0) return false;
  const auto nanoseconds = [](const timespec& t) { return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec; };
  return nanoseconds(manifestInfo.st_mtim) > nanoseconds(sumsInfo.st_mtim);
}

}  // namespace

Status CheckManifestShape(const std::string& text, const fs::path& path) {
  if (int64_t(text.size()) > MaximumManifestBytes)
    return refused(path, "it is larger than " + std::to_string(MaximumManifestBytes >> 20) + " MB");
  ShapeCheck check;
  if (!Json::sax_parse(text, &check) && !check.problem.empty()) return refused(path, check.problem);
  if (!check.problem.empty()) return refused(path, check.problem);
  return Status::Ok();
}

Status CheckManifestChecksum(const fs::path& archiveFolder, const std::string& text) {
  const fs::path manifestPath = archiveFolder / ArchiveManifestName;
  const fs::path sumsPath = archiveFolder / ArchiveChecksumsName;
  std::string sums;
  const bool haveSums = readSmallFile(sumsPath, sums, MaximumManifestBytes);
  if (!haveSums && errno != ENOENT) return Status::Fail(messages::ArchiveNotRead, sumsPath, errno);
  if (!haveSums || manifestNewerThanSums(manifestPath, sumsPath))
    return Status::Fail(messages::ArchiveUnfinished, manifestPath);
  Sha256 sum;
  sum.Update(text.data(), text.size());
  const std::optional<std::string> listed = listedManifestSum(sums);
  if (!listed || *listed != sum.HexDigest()) return Status::Fail(messages::ManifestChanged, manifestPath);
  return Status::Ok();
}

Status ReadTrustedManifest(const fs::path& archiveFolder, bool allowChanged, ArchiveManifest& manifest,
                           bool& confirmed) {
  const fs::path path = archiveFolder / ArchiveManifestName;
  std::string text;
  if (!readSmallFile(path, text, MaximumManifestBytes)) return Status::Fail(messages::ArchiveNotRead, path, errno);
  const Status checked = CheckManifestChecksum(archiveFolder, text);
  confirmed = checked.ok();
  if (!confirmed && !allowChanged) return checked;
  return ParseArchiveManifest(text, path, manifest);
}

namespace {

// Each take file once, whatever the letter case, and only names the
// recorder gives take files.
Status checkTakeFiles(const ArchiveManifest& manifest, const fs::path& path, std::set<std::string>& exactNames) {
  std::set<std::string> folded;
  for (size_t n = 0; n < manifest.takeFiles.size(); ++n) {
    const ArchivedTakeFile& take = manifest.takeFiles[n];
    const std::string field = "take_files[" + std::to_string(n) + "]";
    if (!ParseTakeFileName(take.record.file))
      return refused(path, field + ".file \"" + take.record.file + "\" is not a take file name");
    if (!folded.insert(foldedCase(take.record.file)).second)
      return refused(path, field + ".file names " + take.record.file + " a second time");
    exactNames.insert(take.record.file);
    if (!IsPlainFileName(take.output))
      return refused(path, field + ".output \"" + take.output + "\" is not a file of the archive folder");
  }
  return Status::Ok();
}

// Each of the song's other files once, whatever the letter case. One may
// share a take's name in another letter case: a song folder on a disk
// that tells case apart can hold TRACK0_0.DAT, the take, beside
// track0_0.dat, which is then one of its other files.
Status checkOtherFiles(const ArchiveManifest& manifest, const fs::path& path, const std::set<std::string>& takeNames) {
  std::set<std::string> folded;
  for (size_t n = 0; n < manifest.otherFiles.size(); ++n) {
    const ArchivedOtherFile& other = manifest.otherFiles[n];
    const std::string field = "recorder[" + std::to_string(n) + "].file";
    if (!IsPlainFileName(other.file))
      return refused(path, field + " \"" + other.file + "\" is not a plain file name");
    if (!folded.insert(foldedCase(other.file)).second || takeNames.count(other.file))
      return refused(path, field + " names " + other.file + " a second time");
  }
  return Status::Ok();
}

}  // namespace

Status CheckManifestEntries(const ArchiveManifest& manifest, const fs::path& path) {
  if (manifest.version != 1 && manifest.version != ArchiveManifestVersion)
    return refused(path, "manifest_version " + std::to_string(manifest.version) + " is not one this program reads");
  for (size_t n = 0; n < manifest.files.size(); ++n)
    if (!IsPlainFileName(manifest.files[n].output))
      return refused(path, "files[" + std::to_string(n) + "].output \"" + manifest.files[n].output +
                               "\" is not a file of the archive folder");
  std::set<std::string> names;
  if (Status status = checkTakeFiles(manifest, path, names); !status.ok()) return status;
  return checkOtherFiles(manifest, path, names);
}

}  // namespace tp
