#include "project/projectinfo.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>

#include "project/folderfiles.h"
#include "project/messages.h"
#include "project/namefield.h"
#include "storage/filehandle.h"

namespace tp {

namespace fs = std::filesystem;

namespace {

bool canOpenForReading(const std::optional<fs::path>& path) {
  return path && FileHandle::Open(*path, O_RDONLY).valid();
}

bool hasRecorderModelTag(FileHandle& file) {
  char head[16] = {};
  const ssize_t got = file.ReadAt(head, sizeof head, 0);
  return got >= ssize_t(RecorderModelTag.size()) &&
         std::memcmp(head, RecorderModelTag.data(), RecorderModelTag.size()) == 0;
}

// The information file a rename writes, and where its name fields are.
struct NameFields {
  fs::path path;
  bool prjData = false;
};

std::optional<NameFields> findInformationFile(const fs::path& folder) {
  if (auto path = FindFileIgnoringCase(folder, PrjDataFileName); canOpenForReading(path)) return NameFields{*path, true};
  if (auto path = FindFileIgnoringCase(folder, SongDataFileName); canOpenForReading(path)) return NameFields{*path, false};
  return std::nullopt;
}

// Writes `field` at each offset, in place. When one write fails, the
// fields written before it get their old bytes back, so that the two
// copies of a name never disagree; the status names the file and the
// system's reason.
Status writeFields(FileHandle& file, const fs::path& path, const std::vector<int64_t>& offsets, const NameField& field) {
  std::vector<NameField> before(offsets.size());
  std::vector<ssize_t> beforeBytes(offsets.size(), 0);
  for (size_t i = 0; i < offsets.size(); ++i) {
    beforeBytes[i] = file.ReadAt(before[i].data(), before[i].size(), offsets[i]);
    if (beforeBytes[i] < 0) return Status::Fail(messages::ProjectFileNotWritten, path, errno);
  }
  for (size_t i = 0; i < offsets.size(); ++i) {
    if (file.WriteAt(field.data(), field.size(), offsets[i])) continue;
    const int error = errno != 0 ? errno : EIO;
    for (size_t k = 0; k < i; ++k) file.WriteAt(before[k].data(), size_t(beforeBytes[k]), offsets[k]);
    return Status::Fail(messages::ProjectFileNotWritten, path, error);
  }
  if (!file.Sync()) return Status::Fail(messages::ProjectFileNotWritten, path, errno);
  return Status::Ok();
}

}  // namespace

std::optional<std::string> ReadProjectName(const fs::path& folder, Status* readFailure) {
  int64_t nameOffset = PrjDataNameOffset;
  FileHandle info;
  std::optional<fs::path> path = FindFileIgnoringCase(folder, PrjDataFileName);
  if (path) info = FileHandle::Open(*path, O_RDONLY);
  if (!info.valid()) {
    nameOffset = SongDataNameOffset;
    path = FindFileIgnoringCase(folder, SongDataFileName);
    if (path) info = FileHandle::Open(*path, O_RDONLY);
  }
  if (!info.valid()) return std::nullopt;

  uint8_t field[NameFieldWidth] = {};
  const ssize_t got = info.ReadAt(field, sizeof field, nameOffset);
  if (got < 0 && readFailure) *readFailure = Status::Fail(messages::ProjectFileNotRead, *path, errno);
  info = FileHandle();
  // A file too short for the field gives the bytes that are there.
  std::string name = DecodeNameField(field, got > 0 ? size_t(got) : 0);

  if (canOpenForReading(FindFileIgnoringCase(folder, BackupMarkerFileName))) return std::nullopt;
  return name;
}

Status WriteProjectName(const fs::path& folder, std::string_view name) {
  const std::optional<NameFields> info = findInformationFile(folder);
  if (!info) {
    // A folder without an information file has no name to write; one whose
    // file is no file any more (a folder in its place) cannot keep the name,
    // which the user is told.
    std::optional<fs::path> found = FindFileIgnoringCase(folder, PrjDataFileName);
    if (!found) found = FindFileIgnoringCase(folder, SongDataFileName);
    if (!found) return Status::Ok();
    FileHandle attempt = FileHandle::Open(*found, O_RDWR);
    return Status::Fail(messages::ProjectFileNotOpened, *found, attempt.valid() ? EIO : errno);
  }
  ClearReadOnly(info->path);
  FileHandle file = FileHandle::Open(info->path, O_RDWR);
  if (!file.valid()) return Status::Fail(messages::ProjectFileNotOpened, info->path, errno);
  std::vector<int64_t> offsets{info->prjData ? PrjDataNameOffset : SongDataNameOffset};
  if (info->prjData && hasRecorderModelTag(file) && file.Size() >= PrjDataSecondCopyMinSize)
    offsets.push_back(PrjDataSecondNameOffset);
  if (Status status = writeFields(file, info->path, offsets, EncodeNameField(name)); !status.ok()) return status;
  if (!file.Close()) return Status::Fail(messages::ProjectFileNotWritten, info->path, errno);
  return Status::Ok();
}

}  // namespace tp
