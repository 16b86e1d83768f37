// Take files built in code for the playback tests: a 65,536-byte header of
// zeros followed by 16-bit little-endian samples.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/tempfolder.h"

namespace tp::test {

// Writes the bytes as given after the header, so that a test can spell out
// the byte order itself.
inline void writeTakeBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) throw std::runtime_error("cannot create " + path.string());
  std::vector<uint8_t> header(65536, 0);
  std::fwrite(header.data(), 1, header.size(), file);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

inline void writeTake(const std::filesystem::path& path, const std::vector<int16_t>& samples) {
  std::vector<uint8_t> bytes;
  bytes.reserve(samples.size() * 2);
  for (int16_t s : samples) {
    const auto u = uint16_t(s);
    bytes.push_back(uint8_t(u & 0xFF));
    bytes.push_back(uint8_t(u >> 8));
  }
  writeTakeBytes(path, bytes);
}

// A ramp that wraps through the whole 16-bit range: sample n is
// start + step * n modulo 65536, read as signed.
inline std::vector<int16_t> ramp(size_t count, int start, int step) {
  std::vector<int16_t> samples(count);
  for (size_t n = 0; n < count; ++n)
    samples[n] = int16_t(uint16_t(uint32_t(start + int64_t(step) * int64_t(n))));
  return samples;
}

}  // namespace tp::test
