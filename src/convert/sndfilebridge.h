// libsndfile on the program's file layer: FLAC archive files are written
// through a SafeFile like every other output, and archive files of any of
// the three formats are read back (to verify them, and to restore a song)
// through a FileHandle. libsndfile's virtual I/O is used rather than
// sf_open_fd, so that every byte passes FileHandle and the tests' fault
// seam reaches these files too.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

#include "convert/pipeline.h"
#include "storage/filehandle.h"
#include "storage/safefile.h"
#include "storage/status.h"

namespace tp {

struct SndfileChannel;  // libsndfile's handle and the I/O state behind it

// A 16-bit, 44,100 Hz FLAC file of `channels` channels.
class FlacSink final : public BlockSink {
 public:
  static Status Create(std::unique_ptr<SafeFile> output, uint32_t channels, std::unique_ptr<FlacSink>& created);
  ~FlacSink() override;
  Status Write(const int16_t* block, uint32_t frames, uint32_t channels) override;
  Status Finish() override;
  SafeFile& Output() override { return *output_; }
  std::unique_ptr<SafeFile> ReleaseOutput() override { return std::move(output_); }

 private:
  FlacSink() = default;
  Status failure() const;
  std::unique_ptr<SafeFile> output_;
  std::unique_ptr<SndfileChannel> file_;
};

// A WAV, AIFF or FLAC file read as 16-bit frames.
class ArchivedAudio {
 public:
  // `fromDisk` first drops the file's pages from the cache (after the
  // writer synced it), so that what is read is what the disk holds.
  static Status Open(const std::filesystem::path& path, bool fromDisk, std::unique_ptr<ArchivedAudio>& opened);
  ~ArchivedAudio();
  uint32_t Channels() const { return channels_; }
  double SampleRate() const { return sampleRate_; }
  uint64_t Frames() const { return frames_; }
  // Reads up to `frames` frames; `got` is how many there were. A read error
  // is a failure naming the file.
  Status Read(int16_t* block, uint32_t frames, uint32_t& got);

 private:
  ArchivedAudio() = default;
  std::filesystem::path path_;
  FileHandle handle_;
  std::unique_ptr<SndfileChannel> file_;
  uint32_t channels_ = 0;
  double sampleRate_ = 0;
  uint64_t frames_ = 0;
};

}  // namespace tp
