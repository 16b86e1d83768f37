#include "project/takeedit.h"

#include <string>

#include <fcntl.h>
#include <system_error>

#include "project/folderfiles.h"
#include "project/messages.h"
#include "project/namefield.h"
#include "project/projectinfo.h"
#include "storage/filehandle.h"

namespace tp {

namespace fs = std::filesystem;

namespace {

enum class NameWrite { Written, NotOpened, NotWritten };

// Rewrites the 8 name bytes at offset 1024 of a take file in place.
NameWrite writeTakeName(const fs::path& path, const NameField& field) {
  // Eight bytes inside one sector are rewritten in place: copying a take of
  // many megabytes to change its name would be slower and no safer.
  ClearReadOnly(path);
  FileHandle file = FileHandle::Open(path, O_WRONLY);
  if (!file.valid()) return NameWrite::NotOpened;
  bool written = file.WriteAt(field.data(), field.size(), TakeNameOffset);
  written = file.Sync() && written;
  written = file.Close() && written;
  return written ? NameWrite::Written : NameWrite::NotWritten;
}

const char* messageFor(NameWrite result) {
  switch (result) {
    case NameWrite::Written: return nullptr;
    case NameWrite::NotOpened: return messages::TakeNotOpened;
    case NameWrite::NotWritten: return messages::TakeNotWritten;
  }
  return nullptr;
}

// Removes a regular file; a missing file or a refusal is a failure.
bool deleteFile(const fs::path& path) {
  std::error_code error;
  if (fs::is_directory(path, error)) return false;
  return fs::remove(path, error) && !error;
}

std::string fieldText(const NameField& field) { return std::string(field.begin(), field.end()); }

}  // namespace

EditResult RenameProject(ProjectModel& model, std::string_view name, SongLock::Wait wait) {
  SongLock lock;
  if (!lock.Acquire(model.ProjectFolder, wait)) return {messages::SongInUse};
  model.RenameProject(std::string(name.substr(0, NameFieldWidth)));
  const Status written = WriteProjectName(model.ProjectFolder, model.ProjectName);
  if (!written.ok()) return {written.message(), written.Detail()};
  return {};
}

EditResult RenameTake(ProjectModel& model, int track, int take, std::string_view name, SongLock::Wait wait) {
  SongLock lock;
  if (!lock.Acquire(model.ProjectFolder, wait)) return {messages::SongInUse};
  const NameField field = EncodeNameField(name);
  const auto path = FindFileIgnoringCase(model.ProjectFolder, TakeFileName(track, take));
  if (!path) return {messages::TakeNotOpened};
  const NameWrite result = writeTakeName(*path, field);
  // The cell shows the new name only once the file holds it.
  if (result == NameWrite::Written) model.RenameTake(track, take, fieldText(field));
  return {messageFor(result)};
}

EditResult RenameMasterTake(ProjectModel& model, int masterTake, std::string_view name, SongLock::Wait wait) {
  SongLock lock;
  if (!lock.Acquire(model.ProjectFolder, wait)) return {messages::SongInUse};
  const NameField field = EncodeNameField(name);
  for (MasterSide side : {MasterSide::Left, MasterSide::Right}) {
    const auto path = FindFileIgnoringCase(model.ProjectFolder, MasterTakeFileName(side, masterTake));
    if (!path) return {messages::TakeNotOpened};
    const NameWrite result = writeTakeName(*path, field);
    if (result != NameWrite::Written) return {messageFor(result)};
  }
  model.RenameMasterTake(masterTake, fieldText(field));
  return {};
}

EditResult DeleteTake(ProjectModel& model, int track, int take, SongLock::Wait wait) {
  SongLock lock;
  if (!lock.Acquire(model.ProjectFolder, wait)) return {messages::SongInUse};
  const auto path = FindFileIgnoringCase(model.ProjectFolder, TakeFileName(track, take));
  if (!path || !deleteFile(*path)) return {messages::TakeNotDeleted};
  model.ForgetTake(track, take);
  return {};
}

EditResult DeleteMasterTake(ProjectModel& model, int masterTake, SongLock::Wait wait) {
  SongLock lock;
  if (!lock.Acquire(model.ProjectFolder, wait)) return {messages::SongInUse};
  for (MasterSide side : {MasterSide::Left, MasterSide::Right}) {
    const auto path = FindFileIgnoringCase(model.ProjectFolder, MasterTakeFileName(side, masterTake));
    if (!path || !deleteFile(*path)) return {messages::TakeNotDeleted};
  }
  model.ForgetMasterTake(masterTake);
  return {};
}

namespace {

// The question's %1 is the take ("Track3-2"), %2 its caption.
std::string DeleteQuestion(const std::string& take, std::string_view caption, Wording wording) {
  std::string text = wording(messages::DeleteQuestion);
  if (const size_t at = text.find("%1"); at != std::string::npos) text.replace(at, 2, take);
  if (const size_t at = text.find("%2"); at != std::string::npos) text.replace(at, 2, caption);
  return text;
}

}  // namespace

std::string DeleteTakeQuestion(int track, int take, std::string_view caption, Wording wording) {
  return DeleteQuestion("Track" + std::to_string(track + 1) + "-" + std::to_string(take + 1), caption, wording);
}

std::string DeleteMasterQuestion(int masterTake, std::string_view caption, Wording wording) {
  return DeleteQuestion("Master " + std::to_string(masterTake + 1), caption, wording);
}

}  // namespace tp
