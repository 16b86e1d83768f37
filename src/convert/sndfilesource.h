// Every sound file the program's own WAV/AIFF reader does not take (FLAC,
// RF64, Wave64, AIFF-C, CAF, Ogg, Opus, MP3 and whatever else the linked
// libsndfile decodes) as a source of blocks, read by libsndfile through the
// program's own file layer (so a failing disk is reported, and the tests'
// fault seam reaches it). Imported as a WAV would be: integers by their top
// 16 bits, floating-point and lossy sources rounded from full scale +-1.0,
// the first channels the import asks for.
#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "convert/importsource.h"

namespace tp {

class ByteStream;

class SndfileSource final : public ImportSource {
 public:
  // Fails with "The file is not a WAV/AIFF." when libsndfile cannot decode
  // `path`, and with "The file could not be read" when reading it failed.
  static Status Open(const std::filesystem::path& path, std::unique_ptr<SndfileSource>& opened);
  ~SndfileSource() override;

  const SourceFormat& Format() const override { return format_; }
  uint32_t Channels() const override { return channels_; }
  void KeepChannels(uint32_t count) override;
  Status Read(int16_t* block, uint32_t frames) override;
  Status ReadFloat(float* block, uint32_t frames) override;

 private:
  SndfileSource() = default;
  // Fills `frames` frames, each kept sample converted from the form the
  // file decodes to (32-bit integers, or floats for a float-native source).
  template <typename Sample>
  Status readFrames(Sample* block, uint32_t frames);
  // Decodes up to `frames` frames of every channel into the scratch buffer.
  long long decode(size_t frames);

  std::filesystem::path path_;
  std::unique_ptr<ByteStream> stream_;
  void* file_ = nullptr;  // SNDFILE*, kept out of this header
  SourceFormat format_;
  uint32_t channels_ = 1;
  uint64_t remaining_ = 0;
  bool floatNative_ = false;           // decoded as floats (float, lossy) rather than integers
  std::vector<int32_t> integers_;      // one piece of decoded frames, every channel
  std::vector<float> floats_;          // the same for a float-native source
};

}  // namespace tp
