// The manifest of one archived song ("trackporter.json"), written by the
// archive and read by restore, both here through nlohmann-json. Version 1
// lists the audio files and the takes they came from; version 2 adds what
// rebuilds the song folder byte for byte: each take file's size, SHA-256
// and header runs, and the copies of the song's other files. Names are
// text when they are strictly valid UTF-8; a folder or file name that is
// not is also kept as its bytes in hexadecimal ("folder_hex", "file_hex"),
// and those bytes are what a reader gets.
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
inline constexpr int ArchiveManifestVersion = 2;

// Which take an entry is of: a track's take, or a master take.
struct ArchivedTakeId {
  int track = -1;  // 0-based, or -1 for a master take
  int take = 0;    // 0-based take or master take
};

// One audio file of the archive and the take file(s) it came from
// ("files"; all that version 1 has).
struct ArchivedAudioFile {
  ArchivedTakeId id;
  std::string nameBytes;  // the take's name as stored
  uint32_t samples = 0;   // the longer take file's
  std::vector<std::string> sources;  // the take, or a master take's left and right files
  std::string output;
};

// One take data file and where its samples are kept ("take_files").
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

// Any other file of the song folder, copied as it is ("recorder").
struct ArchivedOtherFile {
  std::string file;  // its name in the song folder, exact bytes
  int64_t size = 0;
  std::string sha256;
  std::string copy;  // its path in the archive folder, "recorder/<name>.orig"
};

// A file the archive adds beside the audio files ("companions": the DAW
// project of stems --dawproject); restore leaves it alone.
struct ArchivedCompanionFile {
  std::string file;  // its name in the archive folder
  int64_t size = 0;
  std::string sha256;
};

// A take the archive could not write ("failed").
struct ArchivedFailure {
  ArchivedTakeId id;
  std::string reason;
};

struct ArchiveManifest {
  int version = 1;
  std::string project;  // the song's name as text
  std::string folder;   // the song's path relative to the archived root, exact bytes
  std::string source;   // the song folder archived, absolute
  std::vector<ArchivedAudioFile> files;
  std::vector<ArchivedTakeFile> takeFiles;
  std::vector<ArchivedOtherFile> otherFiles;
  std::vector<ArchivedCompanionFile> companions;  // written, not read: restore has no use for them
  std::vector<ArchivedFailure> failed;
};

// "recorder/<name>.orig": where the copy of the song's file `name` goes.
std::string ArchiveCopyPath(const std::string& name);

// A take's or song's name (raw bytes) as the manifest shows it: its text,
// trailing blanks dropped.
std::string ArchiveNameText(const std::string& nameBytes);

// The manifest as JSON text, keys in the order above.
std::string ArchiveManifestText(const ArchiveManifest& manifest);

// Writes `text` as the file `target` of an archive, through a SafeFile.
Status WriteArchiveText(const std::filesystem::path& target, const std::string& text);

// Writes the manifest into `archiveFolder` through a SafeFile; `text` gets
// what was written (the checksum file lists its SHA-256).
Status WriteArchiveManifest(const std::filesystem::path& archiveFolder, const ArchiveManifest& manifest,
                            std::string& text);

// Reads `archiveFolder`/trackporter.json; ArchiveNotRead naming it when it is
// missing or not a manifest this program wrote.
Status ReadArchiveManifest(const std::filesystem::path& archiveFolder, ArchiveManifest& manifest);

// The manifest from its text, read as a stream within fixed limits before
// anything is built, and its entries checked (manifesttrust.h); `path`
// names it in a refusal.
Status ParseArchiveManifest(const std::string& text, const std::filesystem::path& path, ArchiveManifest& manifest);

}  // namespace tp
