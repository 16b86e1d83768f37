// A FLAC file as a source of blocks, decoded by libsndfile, which reads it
// through the program's own file layer (so a failing disk is reported, and
// the tests' fault seam reaches it). Imported like a WAV: the first one or
// two channels, integers by their top 16 bits.
#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "convert/importsource.h"

namespace tp {

class ByteStream;

class FlacFileSource final : public ImportSource {
 public:
  // Fails with "The file is not a WAV/AIFF." when `path` is no FLAC file
  // libsndfile can decode.
  static Status Open(const std::filesystem::path& path, std::unique_ptr<FlacFileSource>& opened);
  ~FlacFileSource() override;

  const SourceFormat& Format() const override { return format_; }
  uint32_t Channels() const override { return channels_; }
  Status Read(int16_t* block, uint32_t frames) override;
  Status ReadFloat(float* block, uint32_t frames) override;

 private:
  FlacFileSource() = default;
  // Fills `frames` frames, each kept sample passed through `convert` from
  // its 32-bit form.
  template <typename Sample, typename Convert>
  Status readFrames(Sample* block, uint32_t frames, Convert convert);

  std::filesystem::path path_;
  std::unique_ptr<ByteStream> stream_;
  void* file_ = nullptr;  // SNDFILE*, kept out of this header
  SourceFormat format_;
  uint32_t channels_ = 1;
  uint64_t remaining_ = 0;
  std::vector<int32_t> scratch_;  // one piece of decoded frames, every channel
};

}  // namespace tp
