#include "storage/songlock.h"

#include <fcntl.h>
#include <sys/file.h>

namespace tp {

bool SongLock::Acquire(const std::filesystem::path& folder, Wait wait, Mode mode) {
  FileHandle handle = FileHandle::Open(folder.empty() ? "." : folder, O_RDONLY | O_DIRECTORY);
  if (!handle.valid()) return true;
  // A signal ends the wait too (Ctrl-C while another program holds the
  // song), so that the caller can stop.
  const int kind = mode == Mode::Writer ? LOCK_EX : LOCK_SH;
  if (::flock(handle.fd(), kind | (wait == Wait::No ? LOCK_NB : 0)) != 0) return false;
  handle_ = std::move(handle);
  return true;
}

}  // namespace tp
