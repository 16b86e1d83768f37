#include "storage/safefile.h"

#include <cerrno>
#include <chrono>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tp {

namespace fs = std::filesystem;

namespace {

// ".tp-" + 6 letters or digits + ".part": short enough for any folder and
// any target name, hidden from listings, and never a take file's name.
constexpr const char* SidePrefix = ".tp-";
constexpr const char* SideSuffix = ".part";
constexpr size_t SideRandomLength = 6;

// A side file younger than this is left alone even when it can be locked:
// its writer may have created it and not yet taken the lock.
constexpr auto StaleAge = std::chrono::seconds(2);

std::string randomSideName() {
  static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<size_t> pick(0, sizeof letters - 2);
  std::string name = SidePrefix;
  for (size_t i = 0; i < SideRandomLength; ++i) name += letters[pick(generator)];
  return name + SideSuffix;
}

fs::path folderOf(const fs::path& target) {
  const fs::path parent = target.parent_path();
  return parent.empty() ? fs::path(".") : parent;
}

// Creates a new side file in `folder` with `mode`, locked.
FileHandle createSideFile(const fs::path& folder, mode_t mode, fs::path& side) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    side = folder / randomSideName();
    FileHandle handle = FileHandle::Open(side, O_RDWR | O_CREAT | O_EXCL, mode);
    if (handle.valid()) {
      ::flock(handle.fd(), LOCK_EX);
      return handle;
    }
    if (errno != EEXIST) return handle;
  }
  errno = EEXIST;
  return FileHandle();
}

// Renames `from` to `to`; errno set on failure.
bool renameFile(const fs::path& from, const fs::path& to) { return ::rename(from.c_str(), to.c_str()) == 0; }

}  // namespace

bool IsSideFileName(const std::string& name) {
  const std::string prefix = SidePrefix, suffix = SideSuffix;
  return name.size() == prefix.size() + SideRandomLength + suffix.size() && name.starts_with(prefix) &&
         name.ends_with(suffix);
}

void RemoveStaleSideFiles(const fs::path& folder) {
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (!IsSideFileName(name)) continue;
    FileHandle handle = FileHandle::Open(it->path(), O_RDONLY | O_NOFOLLOW);
    if (!handle.valid() || ::flock(handle.fd(), LOCK_EX | LOCK_NB) != 0) continue;
    struct stat info {};
    if (::fstat(handle.fd(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    const auto modified = std::chrono::system_clock::from_time_t(info.st_mtim.tv_sec);
    if (std::chrono::system_clock::now() - modified < StaleAge) continue;
    ::unlink(it->path().c_str());
  }
}

Status SafeFile::Create(const fs::path& target, const char* createFailure, std::unique_ptr<SafeFile>& created,
                        OtherKinds otherKinds) {
  std::unique_ptr<SafeFile> file(new SafeFile);
  file->target_ = target;
  struct stat info {};
  const bool asTheyAre = otherKinds == OtherKinds::WriteAsTheyAre;
  // A link is looked at as itself unless the user named the output: the
  // rename replaces the link, and nothing is written where it points.
  bool exists = (asTheyAre ? ::stat(target.c_str(), &info) : ::lstat(target.c_str(), &info)) == 0;
  if (exists && S_ISLNK(info.st_mode)) exists = false;
  if (exists && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode) && !asTheyAre)
    return Status::Fail(createFailure, target, NotRegularFileError);
  if (exists && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
    file->handle_ = FileHandle::OpenOutputAsItIs(target);
    if (!file->handle_.valid()) return Status::Fail(createFailure, target, errno);
    file->inPlace_ = true;
    file->sequential_ = file->handle_.Seek(0, SEEK_CUR) < 0;
    created = std::move(file);
    return Status::Ok();
  }
  if (exists && S_ISREG(info.st_mode) && (info.st_mode & S_IWUSR) == 0)
    return Status::Fail(createFailure, target, EACCES);
  const fs::path folder = folderOf(target);
  RemoveStaleSideFiles(folder);
  // A replaced file keeps its permissions; a new one gets the usual ones.
  const mode_t mode = exists && S_ISREG(info.st_mode) ? (info.st_mode & 07777) : 0666;
  file->handle_ = createSideFile(folder, mode, file->side_);
  if (!file->handle_.valid()) return Status::Fail(createFailure, target, errno);
  if (exists && S_ISREG(info.st_mode)) ::fchmod(file->handle_.fd(), mode);
  file->replaces_ = exists && S_ISREG(info.st_mode);
  created = std::move(file);
  return Status::Ok();
}

Status SafeFile::CreateScratch(const fs::path& folder, const char* createFailure,
                               std::unique_ptr<SafeFile>& created) {
  std::unique_ptr<SafeFile> file(new SafeFile);
  RemoveStaleSideFiles(folder);
  file->handle_ = createSideFile(folder, 0600, file->side_);
  if (!file->handle_.valid()) return Status::Fail(createFailure, folder, errno);
  created = std::move(file);
  return Status::Ok();
}

std::unique_ptr<SafeFile> SafeFile::ForStandardOutput() {
  std::unique_ptr<SafeFile> file(new SafeFile);
  file->target_ = "-";
  file->handle_ = FileHandle(::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3));
  file->inPlace_ = true;
  // Written front to back even when it is a file: where it starts is not
  // ours to know.
  file->sequential_ = true;
  return file;
}

SafeFile::~SafeFile() {
  if (!done_) Discard();
}

void SafeFile::Discard() {
  done_ = true;
  if (inPlace_) {
    handle_.Close();
    return;
  }
  if (!side_.empty()) ::unlink(side_.c_str());
  handle_.Close();
}

void SafeFile::StartWriteBack() {
  if (!sequential_ && handle_.valid()) handle_.StartWriteBack();
}

Status SafeFile::Commit(const char* writeFailure) {
  // A scratch file has no target to become.
  if (done_ || target_.empty()) return Status::Fail(writeFailure, target_);
  if (!handle_.Sync()) {
    const int error = errno;
    Discard();
    return Status::Fail(writeFailure, target_, error);
  }
  if (inPlace_) {
    done_ = true;
    return handle_.Close() ? Status::Ok() : Status::Fail(writeFailure, target_, errno);
  }
  // Renamed while still locked, so that no cleaner can take it for stale.
  if (!renameFile(side_, target_)) {
    const int error = errno;
    Discard();
    return Status::Fail(writeFailure, target_, error);
  }
  done_ = true;
  handle_.Close();
  if (!SyncFolder(folderOf(target_))) return Status::Fail(writeFailure, folderOf(target_), errno);
  return Status::Ok();
}

Status SafeFile::CommitTogether(const std::vector<SafeFile*>& files, const char* writeFailure) {
  if (files.size() == 1) return files[0]->Commit(writeFailure);
  // Everything that can fail before the first rename is done first: the
  // data reaches the disk, and each old target gets a second name under
  // which it survives until the last rename succeeded.
  std::vector<fs::path> kept(files.size());
  auto dropKept = [&] {
    for (const auto& path : kept)
      if (!path.empty()) ::unlink(path.c_str());
  };
  auto failAll = [&](size_t index, int error) {
    dropKept();
    for (SafeFile* file : files) file->Discard();
    return Status::Fail(writeFailure, files[index]->target_, error);
  };
  for (size_t i = 0; i < files.size(); ++i) {
    SafeFile& file = *files[i];
    if (file.done_ || file.inPlace_) return failAll(i, EINVAL);
    if (!file.handle_.Sync()) return failAll(i, errno);
    struct stat info {};
    if (::lstat(file.target_.c_str(), &info) != 0) {
      if (errno != ENOENT) return failAll(i, errno);
      continue;
    }
    if (S_ISDIR(info.st_mode)) return failAll(i, EISDIR);
    // A hard link fails for an immutable file as its replacement would.
    const fs::path keep = folderOf(file.target_) / randomSideName();
    if (::link(file.target_.c_str(), keep.c_str()) != 0) return failAll(i, errno);
    kept[i] = keep;
  }
  for (size_t i = 0; i < files.size(); ++i) {
    if (renameFile(files[i]->side_, files[i]->target_)) {
      files[i]->done_ = true;
      continue;
    }
    const int error = errno;
    // Put back what was already replaced.
    for (size_t j = 0; j < i; ++j) {
      if (!kept[j].empty()) renameFile(kept[j], files[j]->target_);
      else ::unlink(files[j]->target_.c_str());
      kept[j].clear();
    }
    for (size_t j = i; j < files.size(); ++j) files[j]->Discard();
    dropKept();
    return Status::Fail(writeFailure, files[i]->target_, error);
  }
  dropKept();
  for (SafeFile* file : files) file->handle_.Close();
  for (SafeFile* file : files)
    if (!SyncFolder(folderOf(file->target_))) return Status::Fail(writeFailure, folderOf(file->target_), errno);
  return Status::Ok();
}

}  // namespace tp
