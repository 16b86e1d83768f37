#include "cli/stdinspool.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/messages.h"
#include "project/messages.h"

namespace tp::cli {

namespace fs = std::filesystem;

Status StandardInputSpool::Fill(FileHandle& input, const fs::path& folder, bool (*stopRequested)(),
                                std::unique_ptr<StandardInputSpool>& filled) {
  std::unique_ptr<StandardInputSpool> spool(new StandardInputSpool);
  if (const Status created = SafeFile::CreateScratch(folder, messages::StandardInputNotStored, spool->scratch_);
      !created.ok())
    return created;
  std::vector<char> block(SpoolBlockBytes);
  for (;;) {
    if (stopRequested && stopRequested()) return Status::Fail(messages::Aborted);
    const ssize_t got = input.Read(block.data(), block.size());
    if (got < 0) {
      // Ctrl-C ends a read that waits for the stream with EINTR.
      if (stopRequested && stopRequested()) return Status::Fail(messages::Aborted);
      return Status::FailBecause(messages::StandardInputName, {}, std::strerror(errno));
    }
    if (got == 0) break;
    if (!spool->scratch_->handle().Write(block.data(), size_t(got)))
      return Status::Fail(messages::StandardInputNotStored, folder, errno);
  }
  // The import reads the copy from its start.
  if (spool->scratch_->handle().Seek(0, SEEK_SET) != 0)
    return Status::Fail(messages::StandardInputNotStored, folder, errno);
  filled = std::move(spool);
  return Status::Ok();
}

std::string StandardInputSpool::Named(std::string text) const {
  const std::string scratch = path().string();
  for (size_t at = text.find(scratch); at != std::string::npos; at = text.find(scratch, at))
    text.replace(at, scratch.size(), messages::StandardInputName), at += std::strlen(messages::StandardInputName);
  return text;
}

std::unique_ptr<StandardInputSpool> SpoolStandardInput(const fs::path& folder) {
  WatchForInterrupt();
  FileHandle input(::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3));
  if (!input.valid())
    throw CommandFailure(Status::FailBecause(messages::StandardInputName, {}, std::strerror(errno)).Text());
  std::unique_ptr<StandardInputSpool> spool;
  const Status status = StandardInputSpool::Fill(input, folder, InterruptRequested, spool);
  if (status.Is(messages::Aborted)) {
    ReportError(messages::Aborted);
    return nullptr;
  }
  if (!status.ok()) throw CommandFailure(status.Text());
  return spool;
}

fs::path TemporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  return folder && *folder ? fs::path(folder) : fs::path("/tmp");
}

}  // namespace tp::cli
