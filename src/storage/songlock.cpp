#include "storage/songlock.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>

#include "project/messages.h"

namespace tp {

Status SongLock::Acquire(const std::filesystem::path& folder, Wait wait) {
  FileHandle handle = FileHandle::Open(folder.empty() ? "." : folder, O_RDONLY | O_DIRECTORY);
  // A folder that cannot be opened is reported by the operation itself,
  // with its own message; there is nothing to lock.
  if (!handle.valid()) return Status::Ok();
  int result;
  do result = ::flock(handle.fd(), LOCK_EX | (wait == Wait::No ? LOCK_NB : 0));
  while (result != 0 && errno == EINTR);
  if (result != 0) return Status::Fail(messages::SongInUse, folder);
  handle_ = std::move(handle);
  return Status::Ok();
}

}  // namespace tp
