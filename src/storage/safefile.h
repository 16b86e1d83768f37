// SafeFile: the one way the program writes a file the user owns (exports,
// stems, takes, restored files). The bytes go to a side file beside the
// target under a short hidden name; Commit() syncs it, renames it over the
// target and syncs the folder, so the target is always either the old file
// or the whole new one, even across a power cut. A SafeFile that is not
// committed removes its side file.
//
// While it writes, the side file is locked (flock). A side file that can be
// locked belongs to nobody: its writer was killed or the power went, and the
// next SafeFile in that folder removes it. A process number would not tell
// that, since a disk moves between machines.
//
// An existing target that is not a regular file (a device, a FIFO) is
// refused, unless the user named it as an output (an export into a pipe):
// then it is written in place, since it cannot be replaced by a rename and
// writing into it is what the user asked for. A symbolic link at the target
// is replaced by the file, never written through.
#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "storage/filehandle.h"
#include "storage/status.h"

namespace tp {

class SafeFile {
 public:
  // Prepares to write `target`. `createFailure` is the program's text for a
  // file that cannot be created (the export's and the import's differ). An
  // existing regular target whose owner may not write it is refused with
  // that text as well, as opening it for writing would be.
  enum class OtherKinds { Refuse, WriteAsTheyAre };
  static Status Create(const std::filesystem::path& target, const char* createFailure,
                       std::unique_ptr<SafeFile>& created, OtherKinds otherKinds = OtherKinds::Refuse);
  // A scratch file in `folder` under a side file's name, locked and hidden
  // as a side file is, for bytes the program keeps only while it runs (a
  // copy of standard input). It is never committed: it goes when the
  // SafeFile goes, and a copy left by a killed process goes with the next
  // side files cleaned in that folder.
  static Status CreateScratch(const std::filesystem::path& folder, const char* createFailure,
                              std::unique_ptr<SafeFile>& created);
  // Writes to the process's standard output, as it is.
  static std::unique_ptr<SafeFile> ForStandardOutput();
  ~SafeFile();
  SafeFile(const SafeFile&) = delete;
  SafeFile& operator=(const SafeFile&) = delete;

  FileHandle& handle() { return handle_; }
  const std::filesystem::path& target() const { return target_; }
  // The file the bytes actually go to: the side file, or the target itself.
  const std::filesystem::path& writtenPath() const { return inPlace_ ? target_ : side_; }
  bool inPlace() const { return inPlace_; }
  // True when the output cannot seek (a FIFO, a terminal, a pipe).
  bool sequential() const { return sequential_; }
  // True when a regular file stood at the target when this was created: a
  // commit replaces it.
  bool replacesExistingFile() const { return replaces_; }

  // Syncs, renames into place and syncs the folder. `writeFailure` names the
  // failure in the program's words. The side file is removed on failure.
  Status Commit(const char* writeFailure);
  // Removes the side file (nothing happens to the target).
  void Discard();
  // Lets the system start writing what was written so far to the disk
  // without waiting for it, so that the sync of Commit has little left to
  // wait for while the writer goes on. Only a hint: a failure shows at the
  // sync.
  void StartWriteBack();

  // Commits several files so that either all targets are replaced or none:
  // every target is checked first (a folder, an immutable file), the old
  // targets are kept under hidden names until the last rename succeeded, and
  // put back if it did not.
  static Status CommitTogether(const std::vector<SafeFile*>& files, const char* writeFailure);

 private:
  SafeFile() = default;
  std::filesystem::path target_, side_;
  FileHandle handle_;
  bool inPlace_ = false, sequential_ = false, replaces_ = false, done_ = false;
};

// Removes the side files in `folder` that no writer holds any more.
void RemoveStaleSideFiles(const std::filesystem::path& folder);
// True for a name SafeFile gives its side files.
bool IsSideFileName(const std::string& name);

}  // namespace tp
