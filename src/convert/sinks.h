// The files a conversion writes: a WAV or AIFF file (an export, a stem), or
// one channel of the blocks as a take data file (an import). Each writes
// through a SafeFile, so its target changes only when the job commits.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "audiofile/audiofile.h"
#include "convert/pipeline.h"
#include "storage/safefile.h"
#include "storage/sha256.h"

namespace tp {

// A 16-bit, 44,100 Hz WAV or AIFF file of `channels` channels.
class AudioFileSink final : public BlockSink {
 public:
  // Creates the file and writes its header; the status says why not. An
  // output that cannot seek back (a pipe) gets its final sizes in the header
  // from `totalFrames`, the frames the job will write.
  static Status Create(std::unique_ptr<SafeFile> output, uint32_t channels, AudioFormat format,
                       std::unique_ptr<AudioFileSink>& created, uint64_t totalFrames = 0);
  // The same for a file of exactly `totalFrames` frames, written front to
  // back with its final sizes in the header from the start, every byte
  // going into `sum` as it is written: the file's digest without reading
  // it back.
  static Status CreateHashed(std::unique_ptr<SafeFile> output, uint32_t channels, AudioFormat format,
                             uint64_t totalFrames, Sha256& sum, std::unique_ptr<AudioFileSink>& created);
  ~AudioFileSink() override;
  Status Write(const int16_t* block, uint32_t frames, uint32_t channels) override;
  Status Finish() override;
  SafeFile& Output() override { return *output_; }
  std::unique_ptr<SafeFile> ReleaseOutput() override { return std::move(output_); }

 private:
  AudioFileSink() = default;
  Status failure() const;
  static Status create(std::unique_ptr<SafeFile> output, uint32_t channels, AudioFormat format,
                       std::unique_ptr<AudioFileSink>& created, uint64_t totalFrames, Sha256* sum);
  std::unique_ptr<SafeFile> output_;
  std::unique_ptr<AudioFile> writer_;
};

// One channel of the blocks as a take data file: the header, then the
// channel's samples in little-endian order.
class TakeSink final : public BlockSink {
 public:
  struct Header {
    uint32_t channelIndex = 0;
    uint32_t trackNumber = 0;
    std::array<uint8_t, 8> name{};
  };
  // `channel` is the channel of the blocks this take receives.
  static Status Create(std::unique_ptr<SafeFile> output, const Header& header, uint32_t channel,
                       std::unique_ptr<TakeSink>& created);
  Status Write(const int16_t* block, uint32_t frames, uint32_t channels) override;
  Status Finish() override { return Status::Ok(); }
  SafeFile& Output() override { return *output_; }
  std::unique_ptr<SafeFile> ReleaseOutput() override { return std::move(output_); }

 private:
  TakeSink() = default;
  std::unique_ptr<SafeFile> output_;
  uint32_t channel_ = 0;
  std::vector<uint8_t> bytes_;
};

}  // namespace tp
