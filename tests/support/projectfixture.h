// Builds small project folders for tests: an information file and take files
// written the way the recorder lays them out.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "audiofile/takefile.h"
#include "project/namefield.h"
#include "support/tempfolder.h"

namespace tp::test {

// A "PRJDATA.ini" of 128 bytes with `name` at offset 52.
inline void WriteProjectInfo(const std::filesystem::path& folder, const std::string& name) {
  std::vector<uint8_t> info(128, 0);
  const NameField field = EncodeNameField(name);
  std::copy(field.begin(), field.end(), info.begin() + 52);
  WriteBytes(folder / "PRJDATA.ini", info);
}

// A take file holding `samples` after the recorder's header.
inline void WriteTake(const std::filesystem::path& file, const std::string& name,
                      const std::vector<int16_t>& samples, uint32_t trackNumber = 0) {
  std::vector<uint8_t> bytes = MakeTakeHeader(0, trackNumber, EncodeNameField(name));
  for (int16_t s : samples) {
    bytes.push_back(uint8_t(uint16_t(s)));
    bytes.push_back(uint8_t(uint16_t(s) >> 8));
  }
  WriteBytes(file, bytes);
}

// A take file of the recorder's header (blank) and then `bytes` as given, so
// that a test can spell out the byte order itself.
inline void WriteTakeBytes(const std::filesystem::path& file, const std::vector<uint8_t>& bytes) {
  std::vector<uint8_t> all(TakeHeaderSize, 0);
  all.insert(all.end(), bytes.begin(), bytes.end());
  WriteBytes(file, all);
}

// The samples of a take file: everything after its header.
inline std::vector<int16_t> ReadTakeSamples(const std::filesystem::path& file) {
  const std::vector<uint8_t> bytes = ReadBytes(file);
  std::vector<int16_t> samples;
  for (size_t at = size_t(TakeHeaderSize); at + 1 < bytes.size(); at += 2)
    samples.push_back(int16_t(uint16_t(bytes[at] | (bytes[at + 1] << 8))));
  return samples;
}

// One channel of interleaved samples, padded with zeros to `length` as a
// take is.
inline std::vector<int16_t> ChannelOf(const std::vector<int16_t>& interleaved, int channels, int channel,
                                      size_t length) {
  std::vector<int16_t> samples(length, 0);
  for (size_t frame = 0; frame * channels + channel < interleaved.size() && frame < length; ++frame)
    samples[frame] = interleaved[frame * channels + channel];
  return samples;
}

// A take of `count` samples: a ramp that starts at `first`, so that every
// sample's origin can be told. It wraps through the whole 16-bit range.
inline std::vector<int16_t> Ramp(size_t count, int first = 1, int step = 1) {
  std::vector<int16_t> samples(count);
  for (size_t i = 0; i < count; ++i) samples[i] = int16_t(first + int(i) * step);
  return samples;
}

}  // namespace tp::test
