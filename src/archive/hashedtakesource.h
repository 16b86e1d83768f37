// The take files of a stem read once for the archive: the samples go out
// as blocks (a take alone as mono, a master take's two files as a stereo
// pair) and on the way every byte of each file goes into its SHA-256, its
// header into the record of non-zero runs, so that the archive describes
// the take files without reading them a second time.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "convert/pipeline.h"
#include "archive/sequentialreader.h"
#include "archive/stemfile.h"
#include "archive/takerecord.h"
#include "storage/sha256.h"

namespace tp {

class HashedTakeSource final : public BlockSource {
 public:
  // Opens the stem's take file(s) and reads their headers. A take that
  // cannot be opened or read fails naming the take file. With a `reader`,
  // the files' bytes come from it (at `order` among its files) rather than
  // from reads of this thread's own.
  static Status Open(const StemSource& stem, std::unique_ptr<HashedTakeSource>& opened,
                     SequentialReader* reader = nullptr, uint64_t order = 0);
  ~HashedTakeSource() override;

  uint32_t Channels() const override { return uint32_t(files_.size()); }
  // Fills `frames` frames from the current position; a take that ended
  // gives silence. A read error fails naming the stem's label, as the
  // export of the same take would.
  Status Read(int16_t* block, uint32_t frames) override;

  // Once every block was read: hashes what follows the samples to the end
  // of each file (an odd byte a recorder left) and gives one record per
  // take file, as DescribeTakeFile would.
  Status Finish(std::vector<TakeFileRecord>& records);

  // The SHA-256 of every sample the blocks gave, as they lay in memory:
  // what a read-back of the file written must give again. Only kept when
  // asked for before the first block.
  void KeepSamplesDigest() { keepSamplesDigest_ = true; }
  std::string SamplesDigest() { return samples_.HexDigest(); }

 private:
  struct TakeStream;
  HashedTakeSource() = default;
  std::vector<std::unique_ptr<TakeStream>> files_;
  std::string label_;
  std::vector<int16_t> scratch_;  // one side of a stereo block
  bool keepSamplesDigest_ = false;
  Sha256 samples_;
};

}  // namespace tp
