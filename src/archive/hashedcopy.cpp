#include "archive/hashedcopy.h"

#include <cerrno>
#include <memory>
#include <vector>

#include <fcntl.h>

#include "project/messages.h"
#include "storage/filehandle.h"
#include "storage/safefile.h"
#include "storage/sha256.h"

namespace tp {

Status CopyHashed(const HashedCopyJob& job, HashedCopy& copied) {
  copied = HashedCopy{};
  FileHandle from = FileHandle::Open(job.source, O_RDONLY);
  if (!from.valid()) return Status::Fail(messages::SourceNotRead, job.source, errno);
  std::unique_ptr<SafeFile> file;
  Status status = SafeFile::Create(job.target, job.createFailure, file);
  if (!status.ok()) return status;
  Sha256 sum;
  std::vector<uint8_t> block(1 << 20);
  for (;;) {
    if (job.stop && job.stop()) {
      copied.stopped = true;
      return Status::Ok();  // the side file goes with `file`
    }
    const ssize_t got = from.Read(block.data(), block.size());
    if (got < 0) return Status::Fail(messages::SourceNotRead, job.source, errno);
    if (got == 0) break;
    sum.Update(block.data(), size_t(got));
    if (!file->handle().Write(block.data(), size_t(got)))
      return Status::Fail(job.writeFailure, job.target, errno);
    copied.size += got;
  }
  copied.sha256 = sum.HexDigest();
  if (job.accept) {
    status = job.accept(copied);
    if (!status.ok()) return status;
  }
  return file->Commit(job.writeFailure);
}

}  // namespace tp
