// The manifest of one archived song ("trackporter.json"), as restore reads
// it. Version 1 lists the audio files and the takes they came from; version
// 2 adds what rebuilds the song folder byte for byte: each take file's size,
// SHA-256 and header runs, and the copies of the song's other files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/takerecord.h"
#include "storage/status.h"

namespace tp {

inline constexpr const char* ArchiveManifestName = "trackporter.json";
inline constexpr const char* ArchiveChecksumsName = "SHA256SUMS";
inline constexpr const char* ArchiveRecorderFolder = "recorder";
inline constexpr const char* ArchiveCopySuffix = ".orig";

// One take data file and where its samples are kept.
struct ArchivedTakeFile {
  TakeFileRecord record;
  std::string output;  // the audio file in the archive folder
  uint32_t channel = 0;
  uint32_t outputFrames = 0;  // the audio file's length (a master take's longer side)
  std::string outputSha256;   // of the audio file as written
  bool verified = false;
  // For an archive without header runs: what the header writer needs.
  uint32_t trackNumber = 0;
  uint32_t channelIndex = 0;
  std::string nameBytes;
};

// Any other file of the song folder, copied as it is.
struct ArchivedOtherFile {
  std::string file;  // its name in the song folder
  int64_t size = 0;
  std::string sha256;
  std::string copy;  // its path in the archive folder, "recorder/<name>.orig"
};

struct ArchiveManifest {
  int version = 1;
  std::string project;
  std::string folder;  // the song's path relative to the archived root
  std::vector<ArchivedTakeFile> takeFiles;
  std::vector<ArchivedOtherFile> otherFiles;
};

// Reads `archiveFolder`/trackporter.json; ArchiveNotRead naming it when it is
// missing or not a manifest this program wrote.
Status ReadArchiveManifest(const std::filesystem::path& archiveFolder, ArchiveManifest& manifest);

}  // namespace tp
