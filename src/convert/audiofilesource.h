// A WAV or AIFF file as a source of blocks: its first channels (as many
// as the import uses), read in bounded pieces whatever the header claims.
#pragma once

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "audiofile/audiofile.h"
#include "convert/importsource.h"

namespace tp {

class AudioFileSource final : public ImportSource {
 public:
  // Opens and recognises `path`. Fails with "The file is not a WAV/AIFF."
  // for anything else, including a file whose single frame is larger than
  // a read piece, and for what is not a regular file (a FIFO would wait).
  static Status Open(const std::filesystem::path& path, std::unique_ptr<AudioFileSource>& opened);
  ~AudioFileSource() override;

  const AudioFile& File() const { return *file_; }
  const SourceFormat& Format() const override { return format_; }
  uint32_t Channels() const override { return channels_; }
  void KeepChannels(uint32_t count) override { channels_ = std::clamp(count, 1u, file_->channels); }
  Status Read(int16_t* block, uint32_t frames) override;
  Status ReadFloat(float* block, uint32_t frames) override;
  Status Seek(uint64_t frame) override;
  std::unique_ptr<ImportSource> SharedReader() override;

 private:
  AudioFileSource() = default;
  template <typename Sample>
  Status readFrames(Sample* block, uint32_t frames);

  std::filesystem::path path_;
  std::unique_ptr<AudioFile> file_;
  SourceFormat format_;
  uint32_t channels_ = 1;
  uint64_t remaining_ = 0;  // frames the header promises that are not read yet
  std::vector<uint8_t> scratch_;
};

}  // namespace tp
