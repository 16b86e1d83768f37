#include "project/projectinfo.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "audiofile/cfile.h"
#include "project/folderfiles.h"
#include "project/namefield.h"

namespace tp {

namespace fs = std::filesystem;

namespace {

using File = CFile;

File openFile(const fs::path& path, const char* mode) { return OpenCFile(path, mode); }

bool canOpenForReading(const std::optional<fs::path>& path) {
  return path && File(std::fopen(path->c_str(), "rb")) != nullptr;
}

bool writeAt(std::FILE* file, long offset, const NameField& field) {
  return std::fseek(file, offset, SEEK_SET) == 0 &&
         std::fwrite(field.data(), 1, field.size(), file) == field.size();
}

bool hasRecorderModelTag(std::FILE* file) {
  char head[16] = {};
  if (std::fseek(file, 0, SEEK_SET) != 0) return false;
  const size_t got = std::fread(head, 1, sizeof head, file);
  return got >= RecorderModelTag.size() &&
         std::memcmp(head, RecorderModelTag.data(), RecorderModelTag.size()) == 0;
}

long fileSize(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return -1;
  return std::ftell(file);
}

// Opens an information file for update, or reports why it cannot be.
File openForUpdate(const fs::path& path) {
  ClearReadOnly(path);
  return openFile(path, "r+b");
}

WriteNameResult finish(File file, bool allWritten) {
  const bool flushed = std::fflush(file.get()) == 0;
  const bool closed = std::fclose(file.release()) == 0;
  return allWritten && flushed && closed ? WriteNameResult::Written : WriteNameResult::WriteFailed;
}

}  // namespace

std::optional<std::string> ReadProjectName(const fs::path& folder) {
  long nameOffset = PrjDataNameOffset;
  File info;
  if (auto path = FindFileIgnoringCase(folder, PrjDataFileName)) info = openFile(*path, "rb");
  if (!info) {
    nameOffset = SongDataNameOffset;
    if (auto path = FindFileIgnoringCase(folder, SongDataFileName)) info = openFile(*path, "rb");
  }
  if (!info) return std::nullopt;

  uint8_t field[NameFieldWidth] = {};
  size_t got = 0;
  if (std::fseek(info.get(), nameOffset, SEEK_SET) == 0)
    got = std::fread(field, 1, sizeof field, info.get());
  info.reset();
  // A file too short for the field gives the bytes that are there.
  std::string name = DecodeNameField(field, got);

  if (canOpenForReading(FindFileIgnoringCase(folder, BackupMarkerFileName))) return std::nullopt;
  return name;
}

WriteNameResult WriteProjectName(const fs::path& folder, std::string_view name) {
  const NameField field = EncodeNameField(name);

  if (auto path = FindFileIgnoringCase(folder, PrjDataFileName); canOpenForReading(path)) {
    File file = openForUpdate(*path);
    if (!file) return WriteNameResult::OpenFailed;
    bool written = writeAt(file.get(), PrjDataNameOffset, field);
    if (written && hasRecorderModelTag(file.get()) && fileSize(file.get()) >= PrjDataSecondCopyMinSize)
      written = writeAt(file.get(), PrjDataSecondNameOffset, field);
    return finish(std::move(file), written);
  }
  if (auto path = FindFileIgnoringCase(folder, SongDataFileName); canOpenForReading(path)) {
    File file = openForUpdate(*path);
    if (!file) return WriteNameResult::OpenFailed;
    const bool written = writeAt(file.get(), SongDataNameOffset, field);
    return finish(std::move(file), written);
  }
  return WriteNameResult::NoInfoFile;
}

}  // namespace tp
