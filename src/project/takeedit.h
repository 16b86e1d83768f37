// Renaming the project and its takes, and deleting takes, in the project
// folder, each under the song's lock (see SongLock; the window does not wait
// for it, the command line does unless told not to). Each operation updates the model's cells and returns what the user
// is to be told: nothing on success, else one of the program's messages.
#pragma once

#include <string>
#include <string_view>

#include "project/projectmodel.h"
#include "project/wording.h"
#include "storage/songlock.h"

namespace tp {

struct EditResult {
  const char* message = nullptr;  // nullptr: done
  std::string detail;             // the file and the system's reason, where known
  bool ok() const { return message == nullptr; }
};

// `name` is raw name bytes; only its first 8 reach the files. The project
// name is shown at once and stays shown even when the file cannot be updated.
EditResult RenameProject(ProjectModel& model, std::string_view name,
                         SongLock::Wait wait = SongLock::Wait::No);
EditResult RenameTake(ProjectModel& model, int track, int take, std::string_view name,
                      SongLock::Wait wait = SongLock::Wait::No);
// Both files of the master take get the same name; when the right file
// cannot be updated the left one keeps its new name and the caption stays.
EditResult RenameMasterTake(ProjectModel& model, int masterTake, std::string_view name,
                            SongLock::Wait wait = SongLock::Wait::No);

EditResult DeleteTake(ProjectModel& model, int track, int take,
                      SongLock::Wait wait = SongLock::Wait::No);
// The left file goes first; when the right file cannot be deleted the cell
// still shows the take until the folder is read again.
EditResult DeleteMasterTake(ProjectModel& model, int masterTake,
                            SongLock::Wait wait = SongLock::Wait::No);

// The question asked before a deletion, e.g.
// "Are you sure to delete the Take?  \n  Track3-2[Kick    ]"; the caption is
// put in as it is given (the window gives it as UTF-8 text).
std::string DeleteTakeQuestion(int track, int take, std::string_view caption, Wording wording = AsWritten);
std::string DeleteMasterQuestion(int masterTake, std::string_view caption, Wording wording = AsWritten);

}  // namespace tp
