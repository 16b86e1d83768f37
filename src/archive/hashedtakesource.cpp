#include "archive/hashedtakesource.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <optional>

#include <fcntl.h>

#include "audiofile/takefile.h"
#include "project/messages.h"
#include "storage/filehandle.h"
#include "storage/sha256.h"

namespace tp {

// One take file being read front to back: every byte read is hashed once.
struct HashedTakeSource::TakeStream {
  std::filesystem::path path;
  FileHandle file;
  std::unique_ptr<SequentialReader::Stream> stream;  // the one reader's bytes of `file`, when there is one
  Sha256 sum;
  TakeFileRecord record;
  int64_t position = 0;  // bytes read and hashed
  int systemError = 0;   // set by a failed read

  std::optional<uint8_t> leftover;  // a stream's byte read as half a sample, not yet hashed

  // The file's next bytes, in order.
  ssize_t readNext(uint8_t* bytes, size_t count) {
    if (!stream) return file.ReadAt(bytes, count, position);
    size_t first = 0;
    if (leftover && count > 0) {
      bytes[0] = *leftover;
      leftover.reset();
      first = 1;
    }
    const ssize_t got = stream->Read(bytes + first, count - first);
    return got < 0 ? got : got + ssize_t(first);
  }

  // Reads up to `count` samples; returns how many (0 after a read error).
  // Only whole samples are taken: an odd byte at the end stays for Finish.
  size_t readSamples(int16_t* samples, size_t count) {
    if (systemError != 0) return 0;
    auto* bytes = reinterpret_cast<uint8_t*>(samples);
    const ssize_t got = readNext(bytes, count * TakeBytesPerSample);
    if (got < 0) {
      systemError = errno == 0 ? EIO : errno;
      return 0;
    }
    const size_t read = size_t(got) / TakeBytesPerSample;
    // A stream does not give a byte twice: half a sample waits for Finish.
    if (stream && size_t(got) > read * TakeBytesPerSample) leftover = bytes[read * TakeBytesPerSample];
    sum.Update(bytes, read * TakeBytesPerSample);
    position += int64_t(read * TakeBytesPerSample);
    // The bytes are little-endian whatever the host is.
    if constexpr (std::endian::native != std::endian::little) {
      for (size_t n = 0; n < read; ++n) samples[n] = int16_t(uint16_t(bytes[2 * n] | (bytes[2 * n + 1] << 8)));
    }
    return read;
  }
};

HashedTakeSource::~HashedTakeSource() = default;

Status HashedTakeSource::Open(const StemSource& stem, std::unique_ptr<HashedTakeSource>& opened,
                              SequentialReader* reader, uint64_t order) {
  std::unique_ptr<HashedTakeSource> source(new HashedTakeSource);
  source->label_ = stem.label;
  std::vector<std::filesystem::path> paths{stem.left};
  if (stem.right) paths.push_back(*stem.right);
  for (const auto& path : paths) {
    auto take = std::make_unique<TakeStream>();
    take->path = path;
    take->file = FileHandle::Open(path, O_RDONLY);
    if (!take->file.valid()) return Status::Fail(messages::TakeNotOpened, path, errno);
    if (reader) take->stream = reader->Open(take->file, order);
    std::vector<uint8_t> header(static_cast<size_t>(TakeHeaderSize));
    const ssize_t got = take->readNext(header.data(), header.size());
    if (got < 0) return Status::Fail(messages::TakeNotRead, path, errno);
    take->sum.Update(header.data(), size_t(got));
    take->position = got;
    take->record.file = path.filename().string();
    take->record.header = NonZeroRuns(header.data(), size_t(got));
    take->record.headerKnown = true;
    source->files_.push_back(std::move(take));
  }
  if (paths.size() > 1) source->scratch_.resize(ConversionBlockFrames);
  opened = std::move(source);
  return Status::Ok();
}

Status HashedTakeSource::Read(int16_t* block, uint32_t frames) {
  std::fill(block, block + size_t(frames) * files_.size(), int16_t(0));
  if (files_.size() == 1) {
    files_[0]->readSamples(block, frames);
  } else {
    for (size_t side = 0; side < files_.size(); ++side) {
      for (uint32_t done = 0; done < frames;) {
        const uint32_t want = std::min<uint32_t>(frames - done, uint32_t(scratch_.size()));
        const size_t got = files_[side]->readSamples(scratch_.data(), want);
        for (size_t n = 0; n < got; ++n) block[2 * (done + n) + side] = scratch_[n];
        done += want;
        if (got < want) break;
      }
    }
  }
  for (const auto& take : files_)
    if (take->systemError != 0) return Status::Fail(messages::TakeNotRead, label_, take->systemError);
  if (keepSamplesDigest_) samples_.Update(block, size_t(frames) * files_.size() * sizeof(int16_t));
  return Status::Ok();
}

Status HashedTakeSource::Finish(std::vector<TakeFileRecord>& records) {
  records.clear();
  std::vector<uint8_t> rest(64 * 1024);
  for (const auto& take : files_) {
    if (take->systemError != 0) return Status::Fail(messages::TakeNotRead, take->path, take->systemError);
    uint8_t last = 0;
    int64_t lastAt = -1;
    for (;;) {
      const ssize_t got = take->readNext(rest.data(), rest.size());
      if (got < 0) return Status::Fail(messages::TakeNotRead, take->path, errno);
      if (got == 0) break;
      take->sum.Update(rest.data(), size_t(got));
      take->position += got;
      last = rest[size_t(got) - 1];
      lastAt = take->position;
    }
    TakeFileRecord record = take->record;
    record.size = take->position;
    record.sha256 = take->sum.HexDigest();
    // The byte after the last whole sample is the file's last byte, read
    // here or, when the block reads took it as half a sample, left here.
    if (record.size > TakeHeaderSize && (record.size - TakeHeaderSize) % 2 == 1 && lastAt == record.size)
      record.tail = last;
    records.push_back(std::move(record));
  }
  return Status::Ok();
}

}  // namespace tp
