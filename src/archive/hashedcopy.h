// A file copied byte for byte through the file layer, hashed as it passes:
// how the archive keeps the song's other files and how restore brings them
// back. The copy is written beside its place and renamed there only when
// complete and accepted.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "storage/status.h"

namespace tp {

struct HashedCopy {
  int64_t size = 0;
  std::string sha256;
  bool stopped = false;  // `stop` said so between blocks: nothing was left behind
};

struct HashedCopyJob {
  std::filesystem::path source, target;
  const char* createFailure = nullptr;  // the program's texts for the target's failures
  const char* writeFailure = nullptr;
  std::function<bool()> stop;  // asked before every block
  // Asked once everything was copied, before the rename; a failure leaves
  // the target as it was.
  std::function<Status(const HashedCopy&)> accept;
};

// A failure names the file and the reason: SourceNotRead for the source,
// the job's texts for the target.
Status CopyHashed(const HashedCopyJob& job, HashedCopy& copied);

}  // namespace tp
