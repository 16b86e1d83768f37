#include "audiotestsupport.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include <unistd.h>

#include "audiofile/byteorder.h"
#include "audiofile/bytestream.h"

namespace tp::test {

namespace {

void appendId(Bytes& out, const std::string& id) {
  for (size_t i = 0; i < 4; ++i) out.push_back(i < id.size() ? uint8_t(id[i]) : uint8_t(' '));
}

void appendU32(Bytes& out, uint32_t value, bool bigEndian) {
  uint8_t bytes[4];
  if (bigEndian) {
    writeU32BE(bytes, value);
  } else {
    writeU32LE(bytes, value);
  }
  out.insert(out.end(), bytes, bytes + 4);
}

Bytes container(const std::string& outer, const std::string& type,
                const std::vector<ChunkSpec>& chunks, bool bigEndian) {
  Bytes out;
  appendId(out, outer);
  appendU32(out, 0, bigEndian);
  appendId(out, type);
  for (const ChunkSpec& chunk : chunks) {
    appendId(out, chunk.id);
    appendU32(out, chunk.claimedSize.value_or(uint32_t(chunk.body.size())), bigEndian);
    out.insert(out.end(), chunk.body.begin(), chunk.body.end());
    if (chunk.body.size() % 2 != 0) out.push_back(0);
  }
  uint32_t length = uint32_t(out.size() - 8);
  if (bigEndian) {
    writeU32BE(out.data() + 4, length);
  } else {
    writeU32LE(out.data() + 4, length);
  }
  return out;
}

}  // namespace

Bytes riffWave(const std::vector<ChunkSpec>& chunks) { return container("RIFF", "WAVE", chunks, false); }

Bytes formAiff(const std::vector<ChunkSpec>& chunks, const std::string& formType) {
  return container("FORM", formType, chunks, true);
}

Bytes wavFormatBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                    uint16_t subFormatTag) {
  Bytes body(tag == 0xFFFE ? 40 : 16, 0);
  uint16_t blockAlign = uint16_t((bits + 7) / 8 * channels);
  writeU16LE(&body[0], tag);
  writeU16LE(&body[2], channels);
  writeU32LE(&body[4], rate);
  writeU32LE(&body[8], rate * blockAlign);
  writeU16LE(&body[12], blockAlign);
  writeU16LE(&body[14], bits);
  if (tag == 0xFFFE) {
    writeU16LE(&body[16], 22);    // extension size
    writeU16LE(&body[18], bits);  // valid bits
    writeU32LE(&body[20], 0);     // channel mask
    static const uint8_t tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                     0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    writeU16LE(&body[24], subFormatTag);
    std::copy(std::begin(tail), std::end(tail), body.begin() + 26);
  }
  return body;
}

Bytes aiffCommonBody(uint16_t channels, uint32_t frames, uint16_t bits, const Bytes& rate) {
  Bytes body(8, 0);
  writeU16BE(&body[0], channels);
  writeU32BE(&body[2], frames);
  writeU16BE(&body[6], bits);
  body.insert(body.end(), rate.begin(), rate.end());
  return body;
}

Bytes aiffSoundBody(const Bytes& samples, uint32_t offset) {
  Bytes body(8, 0);
  writeU32BE(&body[0], offset);
  body.insert(body.end(), samples.begin(), samples.end());
  return body;
}

std::unique_ptr<AudioFile> openBytes(const Bytes& bytes) {
  return OpenAudioFileFromStream(std::make_unique<MemoryByteStream>(bytes));
}

ReadResult readFrames(AudioFile& file, uint32_t frames) {
  ReadResult result;
  result.samples.assign(size_t(frames) * file.channels, int16_t(0x5555));
  SeekAudioFrame(file, 0);
  result.count = ReadAudioFrames(file, frames, result.samples.data());
  return result;
}

TemporaryFolder::TemporaryFolder() {
  static std::mt19937_64 random{std::random_device{}()};
  path_ = std::filesystem::temp_directory_path() /
          ("tp-audiofile-" + std::to_string(getpid()) + "-" + std::to_string(random()));
  std::filesystem::create_directories(path_);
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

Bytes readWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeWholeFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

uint32_t u32le(const Bytes& bytes, size_t offset) { return readU32LE(bytes.data() + offset); }
uint32_t u32be(const Bytes& bytes, size_t offset) { return readU32BE(bytes.data() + offset); }
uint16_t u16le(const Bytes& bytes, size_t offset) { return readU16LE(bytes.data() + offset); }
uint16_t u16be(const Bytes& bytes, size_t offset) { return readU16BE(bytes.data() + offset); }

Bytes samplesLE(const std::vector<int16_t>& samples) {
  Bytes out(samples.size() * 2);
  for (size_t i = 0; i < samples.size(); ++i) writeU16LE(&out[2 * i], uint16_t(samples[i]));
  return out;
}

Bytes samplesBE(const std::vector<int16_t>& samples) {
  Bytes out(samples.size() * 2);
  for (size_t i = 0; i < samples.size(); ++i) writeU16BE(&out[2 * i], uint16_t(samples[i]));
  return out;
}

}  // namespace tp::test
