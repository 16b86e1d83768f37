// Builders for small WAV and AIFF files in memory, and helpers to open and
// read them, shared by the audio file tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audiofile/audiofile.h"

namespace tp::test {

using Bytes = std::vector<uint8_t>;

// One chunk of a file under construction. `claimedSize` replaces the real
// body length in the header, for files that lie about their sizes.
struct ChunkSpec {
  std::string id;
  Bytes body;
  std::optional<uint32_t> claimedSize = std::nullopt;
};

// "RIFF" size "WAVE" followed by the chunks, each padded to even length.
Bytes riffWave(const std::vector<ChunkSpec>& chunks);
// "FORM" size "AIFF" (or another form type) followed by the chunks.
Bytes formAiff(const std::vector<ChunkSpec>& chunks, const std::string& formType = "AIFF");

// A 16-byte "fmt " body, or 40 bytes with the sub-format GUID for tag FFFE.
Bytes wavFormatBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                    uint16_t subFormatTag = 0);
// An 18-byte "COMM" body with the rate given as 10 raw bytes (or 44,100).
Bytes aiffCommonBody(uint16_t channels, uint32_t frames, uint16_t bits,
                     const Bytes& rate = {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0});
// An "SSND" body: offset, block size, samples.
Bytes aiffSoundBody(const Bytes& samples, uint32_t offset = 0);

// Recognises `bytes` through a memory stream.
std::unique_ptr<AudioFile> openBytes(const Bytes& bytes);

// Seeks to frame 0 and reads `frames` frames; the result holds what the
// buffer received and `count` the reader's return value.
struct ReadResult {
  std::vector<int16_t> samples;
  int64_t count = 0;
};
ReadResult readFrames(AudioFile& file, uint32_t frames);

// A fresh, empty folder for the files of one test, removed with the object.
class TemporaryFolder {
 public:
  TemporaryFolder();
  ~TemporaryFolder();
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

Bytes readWholeFile(const std::filesystem::path& path);
void writeWholeFile(const std::filesystem::path& path, const Bytes& bytes);

uint32_t u32le(const Bytes& bytes, size_t offset);
uint32_t u32be(const Bytes& bytes, size_t offset);
uint16_t u16le(const Bytes& bytes, size_t offset);
uint16_t u16be(const Bytes& bytes, size_t offset);

// Little-endian 16-bit samples as bytes.
Bytes samplesLE(const std::vector<int16_t>& samples);
Bytes samplesBE(const std::vector<int16_t>& samples);

}  // namespace tp::test
