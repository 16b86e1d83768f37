#include "storage/songlock.h"

#include <fcntl.h>
#include <sys/file.h>


namespace tp {

bool SongLock::Acquire(const std::filesystem::path& folder, Wait wait) {
  FileHandle handle = FileHandle::Open(folder.empty() ? "." : folder, O_RDONLY | O_DIRECTORY);
  if (!handle.valid()) return true;
  // A signal ends the wait too (Ctrl-C while another program holds the
  // song), so that the caller can stop.
  if (::flock(handle.fd(), LOCK_EX | (wait == Wait::No ? LOCK_NB : 0)) != 0) return false;
  handle_ = std::move(handle);
  return true;
}

}  // namespace tp
