// libsndfile as an independent reader and writer of WAV and AIFF files, so
// that what the program writes is checked by another implementation.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace tp::test {

struct SoundData {
  int channels = 0;
  int64_t frames = 0;
  int sampleRate = 0;
  int format = 0;                // SF_FORMAT_* of the container and encoding
  std::vector<int16_t> samples;  // interleaved
};

inline SoundData ReadWithSndfile(const std::filesystem::path& path) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) throw std::runtime_error("libsndfile cannot read " + path.string() + ": " + sf_strerror(nullptr));
  SoundData data;
  data.channels = info.channels;
  data.frames = info.frames;
  data.sampleRate = info.samplerate;
  data.format = info.format;
  data.samples.resize(size_t(info.frames) * size_t(info.channels));
  sf_readf_short(file, data.samples.data(), info.frames);
  sf_close(file);
  return data;
}

namespace detail {
// Opens `path` for writing, writes the frames with `write`, closes it.
template <typename Sample, typename Write>
void writeWithSndfile(const std::filesystem::path& path, int format, int channels, int sampleRate,
                      const std::vector<Sample>& samples, Write write) {
  SF_INFO info{};
  info.channels = channels;
  info.samplerate = sampleRate;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) throw std::runtime_error("libsndfile cannot write " + path.string() + ": " + sf_strerror(nullptr));
  write(file, samples.data(), sf_count_t(samples.size() / size_t(channels)));
  sf_close(file);
}
}  // namespace detail

// Writes interleaved 16-bit samples in `format` (e.g. SF_FORMAT_WAV |
// SF_FORMAT_PCM_16); libsndfile converts them to the encoding asked for.
inline void WriteWithSndfile(const std::filesystem::path& path, int format, int channels, int sampleRate,
                             const std::vector<int16_t>& samples) {
  detail::writeWithSndfile(path, format, channels, sampleRate, samples, sf_writef_short);
}

// Writes interleaved samples given as doubles, full scale +-1.0, in
// `format` (e.g. SF_FORMAT_WAV | SF_FORMAT_PCM_24); libsndfile rounds them
// to the encoding asked for.
inline void WriteDoublesWithSndfile(const std::filesystem::path& path, int format, int channels, int sampleRate,
                                    const std::vector<double>& samples) {
  detail::writeWithSndfile(path, format, channels, sampleRate, samples, sf_writef_double);
}

// The same with 32-bit integers, full scale +-2^31 (libsndfile keeps the
// top bits the encoding has room for).
inline void WriteIntsWithSndfile(const std::filesystem::path& path, int format, int channels, int sampleRate,
                                 const std::vector<int32_t>& samples) {
  detail::writeWithSndfile(path, format, channels, sampleRate, samples, sf_writef_int);
}

}  // namespace tp::test
