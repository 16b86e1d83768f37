#include "archive/manifest.h"

#include <cerrno>

#include <fcntl.h>
#include <nlohmann/json.hpp>

#include "audiofile/takefile.h"
#include "project/messages.h"
#include "project/namecodec.h"
#include "storage/filehandle.h"

namespace tp {

namespace fs = std::filesystem;
using Json = nlohmann::json;

namespace {

// Manifests are small; a larger file is no manifest of ours.
constexpr int64_t MaximumManifestBytes = 64 << 20;

bool readText(const fs::path& path, std::string& text) {
  FileHandle handle = FileHandle::Open(path, O_RDONLY);
  if (!handle.valid()) return false;
  const int64_t size = handle.Size();
  if (size < 0 || size > MaximumManifestBytes) return false;
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

// Version 1 knew only the audio files: each take file is rebuilt with a
// header from the header writer and exactly the samples the manifest counts.
void readVersion1Files(const Json& files, ArchiveManifest& manifest) {
  for (const Json& entry : files) {
    if (!entry.is_object()) continue;
    const std::string output = stringOr(entry, "output");
    const int64_t samples = numberOr(entry, "samples", -1);
    if (output.empty() || samples < 0 || samples > TakeMaximumSamples) continue;
    const std::string nameBytes = Utf8ToNameBytesLossy(stringOr(entry, "name"));
    std::vector<std::string> sources;
    const auto source = entry.find("source");
    if (source != entry.end() && source->is_string()) sources.push_back(source->get<std::string>());
    if (source != entry.end() && source->is_array())
      for (const Json& name : *source)
        if (name.is_string()) sources.push_back(name.get<std::string>());
    const bool master = entry.contains("master");
    for (size_t side = 0; side < sources.size() && side < 2; ++side) {
      ArchivedTakeFile take;
      take.record.file = sources[side];
      take.record.size = TakeHeaderSize + TakeBytesPerSample * samples;
      take.output = output;
      take.channel = uint32_t(side);
      take.outputFrames = uint32_t(samples);
      take.nameBytes = nameBytes;
      take.channelIndex = uint32_t(side);
      take.trackNumber = master ? uint32_t(side == 0 ? MasterLeftTrackNumber : MasterRightTrackNumber)
                                : uint32_t(std::max<int64_t>(numberOr(entry, "track", 1) - 1, 0));
      manifest.takeFiles.push_back(std::move(take));
    }
  }
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
    // An entry whose header runs were removed (by hand) restores as a
    // version 1 archive does.
    const auto header = entry.find("header");
    if (header != entry.end() && header->is_array()) {
      take.record.headerKnown = true;
      for (const Json& run : *header) {
        HeaderRun headerRun;
        headerRun.offset = numberOr(run, "offset", -1);
        if (headerRun.offset < 0 || !BytesFromHex(stringOr(run, "hex"), headerRun.bytes)) return false;
        take.record.header.push_back(std::move(headerRun));
      }
    }
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
    file.copy = std::string(ArchiveRecorderFolder) + "/" + file.file + ArchiveCopySuffix;
    if (file.file.empty() || file.copy.empty() || file.size < 0) return false;
    manifest.otherFiles.push_back(std::move(file));
  }
  return true;
}

}  // namespace

Status ReadArchiveManifest(const fs::path& archiveFolder, ArchiveManifest& manifest) {
  const fs::path path = archiveFolder / ArchiveManifestName;
  std::string text;
  if (!readText(path, text)) return Status::Fail(messages::ArchiveNotRead, path, errno);
  const Json root = Json::parse(text, nullptr, false);
  if (root.is_discarded() || !root.is_object()) return Status::Fail(messages::ArchiveNotRead, path);
  manifest = ArchiveManifest{};
  manifest.version = int(numberOr(root, "manifest_version", 1));
  manifest.project = stringOr(root, "project");
  manifest.folder = nameOr(root, "folder");
  const auto takes = root.find("take_files");
  if (manifest.version >= 2 && takes != root.end() && takes->is_array()) {
    if (!readTakeFiles(*takes, manifest)) return Status::Fail(messages::ArchiveNotRead, path);
  } else if (const auto files = root.find("files"); files != root.end() && files->is_array()) {
    readVersion1Files(*files, manifest);
  }
  if (const auto others = root.find("recorder"); others != root.end() && others->is_array())
    if (!readOtherFiles(*others, manifest)) return Status::Fail(messages::ArchiveNotRead, path);
  return Status::Ok();
}

}  // namespace tp
