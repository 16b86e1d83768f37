// Standard input as a file: `import DIR -` and `probe -` read the stream
// once, front to back, into a hidden scratch file (a SafeFile side file,
// so that a copy left by a killed process is cleaned away like any other),
// and then read that file exactly as a named one. Every format the import
// reads therefore works from a pipe, even those that cannot be decoded
// front to back (CAF, RF64), and memory stays one block whatever the
// stream's length.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "storage/filehandle.h"
#include "storage/safefile.h"
#include "storage/status.h"

namespace tp::cli {

// The name that reads standard input where a file is named.
inline constexpr const char* StandardInputArgument = "-";

class StandardInputSpool {
 public:
  // Copies all that `input` gives into a scratch file in `folder`, in
  // blocks of SpoolBlockBytes, asking `stopRequested` between blocks.
  // Fails with "standard input: <reason>" when reading fails, "Standard
  // input could not be stored: <folder> (<reason>)" when writing fails, and
  // "Aborted" when a stop was asked for; the scratch file is gone then.
  static Status Fill(FileHandle& input, const std::filesystem::path& folder, bool (*stopRequested)(),
                     std::unique_ptr<StandardInputSpool>& filled);
  static constexpr size_t SpoolBlockBytes = size_t(1) << 20;

  // The scratch file, for the import to open; it is removed with this object.
  const std::filesystem::path& path() const { return scratch_->writtenPath(); }
  // `text` with the scratch file's path replaced by "standard input", for a
  // message that named the file.
  std::string Named(std::string text) const;

 private:
  std::unique_ptr<SafeFile> scratch_;
};

// The command line's use of it: standard input copied into `folder`, with
// Ctrl-C as the stop. A failure is thrown as a CommandFailure; after an
// interrupt it has said "Aborted" and returns null (the command then exits
// with InterruptedExitCode()).
std::unique_ptr<StandardInputSpool> SpoolStandardInput(const std::filesystem::path& folder);

// The folder for a copy that belongs to no song: $TMPDIR, else /tmp.
std::filesystem::path TemporaryFolder();

}  // namespace tp::cli
