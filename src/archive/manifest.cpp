#include "archive/manifest.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <nlohmann/json.hpp>

#include "archive/manifesttrust.h"
#include "audiofile/takefile.h"
#include "project/messages.h"
#include "project/namecodec.h"
#include "project/utf8text.h"
#include "storage/filehandle.h"
#include "storage/safefile.h"

namespace tp {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

std::string ArchiveCopyPath(const std::string& name) {
  return std::string(ArchiveRecorderFolder) + "/" + name + ArchiveCopySuffix;
}

std::string ArchiveNameText(const std::string& nameBytes) {
  std::string name = NameBytesToUtf8(nameBytes);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

namespace {

// A name that must come back byte for byte: the text, and where the bytes
// are not strictly UTF-8 (a Latin-1 name from an old disk, an encoded
// surrogate) the bytes themselves under "<key>_hex".
void putName(Json& object, const std::string& key, const std::string& bytes) {
  object[key] = Utf8OrLatin1(bytes);
  if (!IsStrictUtf8(bytes))
    object[key + "_hex"] = HexText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

void putId(Json& object, const ArchivedTakeId& id) {
  if (id.track >= 0) {
    object["track"] = id.track + 1;
    object["take"] = id.take + 1;
  } else {
    object["master"] = id.take + 1;
  }
}

Json audioFileJson(const ArchivedAudioFile& file) {
  Json entry = Json::object();
  putId(entry, file.id);
  entry["name"] = ArchiveNameText(file.nameBytes);
  entry["samples"] = file.samples;
  if (file.sources.size() == 1) entry["source"] = Utf8OrLatin1(file.sources[0]);
  else
    for (const std::string& source : file.sources) entry["source"].push_back(Utf8OrLatin1(source));
  entry["output"] = Utf8OrLatin1(file.output);
  return entry;
}

Json takeFileJson(const ArchivedTakeFile& take) {
  const TakeFileRecord& record = take.record;
  Json entry = {{"file", Utf8OrLatin1(record.file)},   {"size", record.size},
                {"sha256", record.sha256},             {"output", Utf8OrLatin1(take.output)},
                {"channel", take.channel},             {"frames", take.outputFrames},
                {"output_sha256", take.outputSha256},  {"verified", take.verified},
                {"track_number", take.trackNumber},    {"channel_index", take.channelIndex},
                {"name", ArchiveNameText(take.nameBytes)}};
  if (record.tail) entry["tail"] = HexText(&*record.tail, 1);
  entry["header"] = Json::array();
  for (const HeaderRun& run : record.header)
    entry["header"].push_back({{"offset", run.offset}, {"hex", HexText(run.bytes.data(), run.bytes.size())}});
  return entry;
}

Json otherFileJson(const ArchivedOtherFile& other) {
  Json entry = Json::object();
  putName(entry, "file", other.file);
  entry["size"] = other.size;
  entry["sha256"] = other.sha256;
  entry["copy"] = Utf8OrLatin1(other.copy);
  return entry;
}

template <typename Entry>
Json listJson(const std::vector<Entry>& entries, Json (*entryJson)(const Entry&)) {
  Json list = Json::array();
  for (const Entry& entry : entries) list.push_back(entryJson(entry));
  return list;
}

Json companionJson(const ArchivedCompanionFile& companion) {
  return {{"file", Utf8OrLatin1(companion.file)}, {"size", companion.size}, {"sha256", companion.sha256}};
}

Json failureJson(const ArchivedFailure& failure) {
  Json entry = Json::object();
  putId(entry, failure.id);
  entry["reason"] = Utf8OrLatin1(failure.reason);
  return entry;
}

}  // namespace

std::string ArchiveManifestText(const ArchiveManifest& manifest) {
  Json root = {{"manifest_version", manifest.version}, {"project", Utf8OrLatin1(manifest.project)}};
  putName(root, "folder", manifest.folder);
  root["source"] = Utf8OrLatin1(manifest.source);
  root["files"] = listJson(manifest.files, audioFileJson);
  root["take_files"] = listJson(manifest.takeFiles, takeFileJson);
  root["recorder"] = listJson(manifest.otherFiles, otherFileJson);
  if (!manifest.companions.empty()) root["companions"] = listJson(manifest.companions, companionJson);
  if (!manifest.failed.empty()) root["failed"] = listJson(manifest.failed, failureJson);
  // Every string above is valid UTF-8; `replace` only keeps a mistake from
  // becoming an exception.
  return root.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

Status WriteArchiveText(const fs::path& target, const std::string& text) {
  std::unique_ptr<SafeFile> file;
  Status status = SafeFile::Create(target, messages::OutputNotCreated, file);
  if (!status.ok()) return status;
  if (!file->handle().Write(text.data(), text.size())) return Status::Fail(messages::OutputNotWritten, target, errno);
  return file->Commit(messages::OutputNotWritten);
}

Status WriteArchiveManifest(const fs::path& archiveFolder, const ArchiveManifest& manifest, std::string& text) {
  text = ArchiveManifestText(manifest);
  return WriteArchiveText(archiveFolder / ArchiveManifestName, text);
}

namespace {

bool readText(const fs::path& path, std::string& text) {
  FileHandle handle = FileHandle::Open(path, O_RDONLY);
  if (!handle.valid()) return false;
  const int64_t size = handle.Size();
  if (size < 0 || size > MaximumManifestBytes) {
    errno = size < 0 ? errno : EFBIG;
    return false;
  }
  text.resize(size_t(size));
  return handle.Read(text.data(), text.size()) == ssize_t(size);
}

std::string stringOr(const Json& object, const char* key, std::string fallback = {}) {
  const auto it = object.find(key);
  return it != object.end() && it->is_string() ? it->get<std::string>() : fallback;
}

// A name written as text and, when it is not UTF-8, as hexadecimal bytes
// under "<key>_hex": the bytes win.
std::string nameOr(const Json& object, const char* key) {
  std::vector<uint8_t> bytes;
  if (BytesFromHex(stringOr(object, (std::string(key) + "_hex").c_str()), bytes) && !bytes.empty())
    return std::string(bytes.begin(), bytes.end());
  return stringOr(object, key);
}

int64_t numberOr(const Json& object, const char* key, int64_t fallback) {
  const auto it = object.find(key);
  return it != object.end() && it->is_number_integer() ? it->get<int64_t>() : fallback;
}

ArchivedTakeId idOf(const Json& entry) {
  if (entry.contains("master")) return {-1, int(std::max<int64_t>(numberOr(entry, "master", 1) - 1, 0))};
  return {int(std::max<int64_t>(numberOr(entry, "track", 1) - 1, 0)),
          int(std::max<int64_t>(numberOr(entry, "take", 1) - 1, 0))};
}

// "files": an entry without an output or a believable length is passed over.
void readAudioFiles(const Json& list, ArchiveManifest& manifest) {
  for (const Json& entry : list) {
    if (!entry.is_object()) continue;
    ArchivedAudioFile file{idOf(entry), Utf8ToNameBytesLossy(stringOr(entry, "name")), 0, {}, stringOr(entry, "output")};
    const int64_t samples = numberOr(entry, "samples", -1);
    if (file.output.empty() || samples < 0 || samples > TakeMaximumSamples) continue;
    file.samples = uint32_t(samples);
    const auto source = entry.find("source");
    if (source != entry.end() && source->is_string()) file.sources.push_back(source->get<std::string>());
    if (source != entry.end() && source->is_array())
      for (const Json& name : *source)
        if (name.is_string()) file.sources.push_back(name.get<std::string>());
    if (file.sources.size() > 2) file.sources.resize(2);
    manifest.files.push_back(std::move(file));
  }
}

// Version 1 knew only the audio files: each take file is rebuilt with a
// header from the header writer and exactly the samples the manifest counts.
void takeFilesOfVersion1(ArchiveManifest& manifest) {
  for (const ArchivedAudioFile& file : manifest.files) {
    const bool master = file.id.track < 0;
    for (size_t side = 0; side < file.sources.size(); ++side) {
      ArchivedTakeFile take;
      take.record.file = file.sources[side];
      take.record.size = TakeHeaderSize + TakeBytesPerSample * int64_t(file.samples);
      take.output = file.output;
      take.channel = uint32_t(side);
      take.outputFrames = file.samples;
      take.nameBytes = file.nameBytes;
      take.channelIndex = uint32_t(side);
      take.trackNumber = master ? uint32_t(side == 0 ? MasterLeftTrackNumber : MasterRightTrackNumber)
                                : uint32_t(file.id.track);
      manifest.takeFiles.push_back(std::move(take));
    }
  }
}

bool readHeaderRuns(const Json& entry, TakeFileRecord& record) {
  // An entry whose header runs were removed (by hand) restores as a
  // version 1 archive does.
  const auto header = entry.find("header");
  if (header == entry.end() || !header->is_array()) return true;
  record.headerKnown = true;
  for (const Json& run : *header) {
    HeaderRun headerRun;
    headerRun.offset = numberOr(run, "offset", -1);
    if (headerRun.offset < 0 || !BytesFromHex(stringOr(run, "hex"), headerRun.bytes)) return false;
    record.header.push_back(std::move(headerRun));
  }
  return true;
}

bool readTakeFiles(const Json& list, ArchiveManifest& manifest) {
  for (const Json& entry : list) {
    if (!entry.is_object()) return false;
    ArchivedTakeFile take;
    take.record.file = stringOr(entry, "file");
    take.record.size = numberOr(entry, "size", -1);
    take.record.sha256 = stringOr(entry, "sha256");
    take.output = stringOr(entry, "output");
    take.channel = uint32_t(numberOr(entry, "channel", 0));
    take.outputFrames = uint32_t(numberOr(entry, "frames", take.record.Samples()));
    take.outputSha256 = stringOr(entry, "output_sha256");
    const auto verified = entry.find("verified");
    take.verified = verified != entry.end() && verified->is_boolean() && verified->get<bool>();
    take.trackNumber = uint32_t(numberOr(entry, "track_number", 0));
    take.channelIndex = uint32_t(numberOr(entry, "channel_index", 0));
    take.nameBytes = Utf8ToNameBytesLossy(stringOr(entry, "name"));
    if (take.record.file.empty() || take.output.empty() || take.record.size < 0 || take.channel > 1) return false;
    if (!readHeaderRuns(entry, take.record)) return false;
    std::vector<uint8_t> tail;
    if (BytesFromHex(stringOr(entry, "tail"), tail) && tail.size() == 1) take.record.tail = tail[0];
    manifest.takeFiles.push_back(std::move(take));
  }
  return true;
}

bool readOtherFiles(const Json& list, ArchiveManifest& manifest) {
  for (const Json& entry : list) {
    if (!entry.is_object()) return false;
    ArchivedOtherFile file{nameOr(entry, "file"), numberOr(entry, "size", -1), stringOr(entry, "sha256"), {}};
    // The copy's name follows from the file's, which keeps its exact bytes.
    file.copy = ArchiveCopyPath(file.file);
    if (file.file.empty() || file.size < 0) return false;
    manifest.otherFiles.push_back(std::move(file));
  }
  return true;
}

void readFailures(const Json& list, ArchiveManifest& manifest) {
  for (const Json& entry : list)
    if (entry.is_object()) manifest.failed.push_back({idOf(entry), stringOr(entry, "reason")});
}

// Finds `key` as an array in `root`, or nothing.
const Json* arrayAt(const Json& root, const char* key) {
  const auto it = root.find(key);
  return it != root.end() && it->is_array() ? &*it : nullptr;
}

}  // namespace

Status ReadArchiveManifest(const fs::path& archiveFolder, ArchiveManifest& manifest) {
  const fs::path path = archiveFolder / ArchiveManifestName;
  std::string text;
  if (!readText(path, text)) return Status::Fail(messages::ArchiveNotRead, path, errno);
  return ParseArchiveManifest(text, path, manifest);
}

Status ParseArchiveManifest(const std::string& text, const fs::path& path, ArchiveManifest& manifest) {
  if (Status shape = CheckManifestShape(text, path); !shape.ok()) return shape;
  const Json root = Json::parse(text, nullptr, false);
  if (root.is_discarded() || !root.is_object())
    return Status::FailBecause(messages::ArchiveNotRead, path, "it is not a JSON object");
  // The first version wrote no version number, but always its "files".
  const auto version = root.find("manifest_version");
  if (version == root.end() && !arrayAt(root, "files"))
    return Status::FailBecause(messages::ArchiveNotRead, path, "it has neither manifest_version nor files");
  if (version != root.end() && !version->is_number_integer())
    return Status::FailBecause(messages::ArchiveNotRead, path, "manifest_version is not a whole number");
  if (!arrayAt(root, "files") && !arrayAt(root, "take_files"))
    return Status::FailBecause(messages::ArchiveNotRead, path, "it lists no files");
  manifest = ArchiveManifest{};
  manifest.version = version == root.end() ? 1 : int(std::clamp<int64_t>(version->get<int64_t>(), -1, 1000));
  manifest.project = stringOr(root, "project");
  manifest.folder = nameOr(root, "folder");
  manifest.source = stringOr(root, "source");
  if (const Json* files = arrayAt(root, "files")) readAudioFiles(*files, manifest);
  const Json* takes = arrayAt(root, "take_files");
  if (manifest.version >= 2 && takes) {
    if (!readTakeFiles(*takes, manifest)) return Status::Fail(messages::ArchiveNotRead, path);
  } else {
    takeFilesOfVersion1(manifest);
  }
  if (const Json* others = arrayAt(root, "recorder"))
    if (!readOtherFiles(*others, manifest)) return Status::Fail(messages::ArchiveNotRead, path);
  if (const Json* failed = arrayAt(root, "failed")) readFailures(*failed, manifest);
  return CheckManifestEntries(manifest, path);
}

}  // namespace tp
