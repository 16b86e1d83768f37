// SongLock: one writer at a time per song folder, and no writer while the
// song is archived. Two imports into one song, or a rename during an import,
// would otherwise interleave into a mixed pair of takes or a lost name; an
// archive read while a take is replaced would hold neither take. Writers
// take the lock exclusively, an archive shares it with other readers. The
// lock is an flock on an open handle of the folder itself: a lock file would
// be one more file the recorder sees.
#pragma once

#include <filesystem>

#include "storage/filehandle.h"

namespace tp {

class SongLock {
 public:
  enum class Wait { Yes, No };
  enum class Mode { Writer, Reader };
  SongLock() = default;
  // Locks `folder`. With Wait::No a folder held by another program gives
  // false at once (the caller says "The song is in use by another
  // TrackPorter."). A folder that cannot be opened is not locked and gives
  // true: the operation itself reports it with its own message.
  bool Acquire(const std::filesystem::path& folder, Wait wait, Mode mode = Mode::Writer);
  bool held() const { return handle_.valid(); }
  void Release() { handle_.Close(); }

 private:
  FileHandle handle_;
};

}  // namespace tp
