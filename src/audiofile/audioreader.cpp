// Seeking and reading the frames of a recognised WAV or AIFF file, every
// sample handed out as a 16-bit signed value.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "audiofile/audiofile.h"
#include "audiofile/byteorder.h"
#include "audiofile/bytestream.h"

namespace tp {

namespace {

// Samples are read through a block of this many bytes; a multiple of every
// sample width (1, 2, 3, 4, 8).
constexpr size_t ReadBlockBytes = 96 * 1024;

bool isReadable(const AudioFile& file) {
  return file.stream != nullptr && file.format != FormatNone && file.mode == 0;
}

int16_t clampFloatSample(double value) {
  // Full scale is +-1.0; NaN becomes silence rather than undefined behaviour.
  if (std::isnan(value)) return 0;
  double scaled = std::round(value * 32768.0);
  return int16_t(std::clamp(scaled, -32768.0, 32767.0));
}

// Converts one stored sample to 16 bits: integers keep their most
// significant 16 bits, floats are scaled by 32768.
int16_t decodeSample(const AudioFile& file, const uint8_t* bytes) {
  int width = file.bytesPerSample;
  if (file.encoding == SampleEncoding::Float) {
    if (width == 4) return clampFloatSample(std::bit_cast<float>(readU32LE(bytes)));
    return clampFloatSample(std::bit_cast<double>(readU64LE(bytes)));
  }
  if (file.format == FormatWav) {
    // 8-bit WAV samples are unsigned with 128 as silence.
    if (width == 1) return int16_t((int(bytes[0]) - 128) * 256);
    return int16_t(readU16LE(bytes + width - 2));
  }
  // AIFF 8-bit samples are already signed.
  if (width == 1) return int16_t(int8_t(bytes[0]) * 256);
  return int16_t(readU16BE(bytes));
}

// Converts `count` stored samples. The 16-bit layouts, which nearly every
// file uses, get loops of their own that the compiler can vectorise; the
// others go sample by sample.
void decodeSamples(const AudioFile& file, const uint8_t* bytes, size_t count, int16_t* out) {
  if (file.encoding == SampleEncoding::Integer && file.bytesPerSample == 2) {
    if (file.format == FormatWav) {
      for (size_t i = 0; i < count; ++i) out[i] = int16_t(readU16LE(bytes + 2 * i));
    } else {
      for (size_t i = 0; i < count; ++i) out[i] = int16_t(readU16BE(bytes + 2 * i));
    }
    return;
  }
  const size_t width = size_t(file.bytesPerSample);
  for (size_t i = 0; i < count; ++i) out[i] = decodeSample(file, bytes + i * width);
}

// Overloads the piecewise reader picks by its output type.
int16_t decodeSample(const AudioFile& file, const uint8_t* bytes, const int16_t*) { return decodeSample(file, bytes); }
void decodeSamples(const AudioFile& file, const uint8_t* bytes, size_t count, int16_t* out, int) {
  decodeSamples(file, bytes, count, out);
}

// The full stored precision, for the rate converter: full scale is +-1.0.
// An integer sample is placed at the top of 32 bits, as the 16-bit rule
// takes its top 16, and scaled by 2^31; a 24-bit value is exact in a float.
float decodeSample(const AudioFile& file, const uint8_t* bytes, const float*) {
  const int width = file.bytesPerSample;
  if (file.encoding == SampleEncoding::Float) {
    const double value = width == 4 ? double(std::bit_cast<float>(readU32LE(bytes)))
                                    : std::bit_cast<double>(readU64LE(bytes));
    return std::isnan(value) ? 0.0f : float(value);
  }
  uint32_t top = 0;
  if (file.format == FormatWav) {
    if (width == 1) return float(int(bytes[0]) - 128) / 128.0f;
    for (int i = 0; i < width; ++i) top |= uint32_t(bytes[width - 1 - i]) << (24 - 8 * i);
  } else {
    for (int i = 0; i < width; ++i) top |= uint32_t(bytes[i]) << (24 - 8 * i);
  }
  return float(int32_t(top)) * (1.0f / 2147483648.0f);
}

void decodeSamples(const AudioFile& file, const uint8_t* bytes, size_t count, float* out, int) {
  const size_t width = size_t(file.bytesPerSample);
  for (size_t i = 0; i < count; ++i) out[i] = decodeSample(file, bytes + i * width, out);
}

// True when the stored bytes of every channel already are the samples
// wanted: 16-bit little-endian integers read on a little-endian host.
template <typename Sample>
bool readsAsStored(const AudioFile& file, uint32_t kept, uint32_t keptChannels, const Sample*) {
  return std::is_same_v<Sample, int16_t> && std::endian::native == std::endian::little &&
         file.format == FormatWav && file.encoding == SampleEncoding::Integer && file.bytesPerSample == 2 &&
         kept == file.channels && kept == keptChannels;
}

// Reads the frames straight into `buffer` (zeroed by the caller), with one
// read and no copy. A file that ends inside a sample reads its missing byte
// as FF, as the piecewise reader has it.
template <typename Sample>
int64_t readStored(AudioFile& file, uint32_t frames, Sample* buffer) {
  auto* bytes = reinterpret_cast<uint8_t*>(buffer);
  const size_t frameBytes = size_t(StoredFrameBytes(file));
  const size_t got = file.stream->read(bytes, size_t(frames) * frameBytes);
  if (got % 2 == 1) bytes[got] = 0xFF;
  return int64_t(got / frameBytes);
}

template <typename Sample>
int64_t readFrameChannels(AudioFile& file, uint32_t frames, Sample* buffer, uint32_t keptChannels,
                          std::vector<uint8_t>& scratch) {
  if (!isReadable(file)) return AudioBadState;
  const size_t width = size_t(file.bytesPerSample);
  const uint64_t frameBytes = StoredFrameBytes(file);
  const uint32_t kept = std::min(keptChannels, file.channels);
  std::fill(buffer, buffer + size_t(frames) * keptChannels, Sample(0));
  if (width == 0 || frameBytes == 0 || frameBytes > MaximumReadBytes) return 0;
  if (readsAsStored(file, kept, keptChannels, buffer)) return readStored(file, frames, buffer);
  const size_t pieceFrames = size_t(std::max<uint64_t>(1, MaximumReadBytes / frameBytes));
  if (scratch.size() < std::min<uint64_t>(pieceFrames, frames) * frameBytes)
    scratch.resize(size_t(std::min<uint64_t>(pieceFrames, frames) * frameBytes));

  uint32_t done = 0;
  while (done < frames) {
    const size_t want = std::min<size_t>(pieceFrames, frames - done);
    const size_t got = file.stream->read(scratch.data(), want * size_t(frameBytes));
    const size_t whole = got / size_t(frameBytes);
    Sample* out = buffer + size_t(done) * keptChannels;
    if (kept == file.channels && kept == keptChannels) {
      decodeSamples(file, scratch.data(), whole * kept, out, 0);
    } else {
      for (size_t f = 0; f < whole; ++f) {
        const uint8_t* frame = scratch.data() + f * size_t(frameBytes);
        for (uint32_t c = 0; c < kept; ++c) out[f * keptChannels + c] = decodeSample(file, frame + c * width, out);
      }
    }
    done += uint32_t(whole);
    if (got == want * size_t(frameBytes)) continue;
    // The end of the file (or a read error, which stream->failed() tells).
    // A file that ends inside a sample: the missing bytes count as FF and
    // the sample counts as read, as ReadAudioFrames has it.
    const size_t left = got - whole * size_t(frameBytes);
    uint8_t* frame = scratch.data() + whole * size_t(frameBytes);
    const size_t samples = (left + width - 1) / width;
    if (left % width != 0) std::memset(frame + left, 0xFF, width - left % width);
    for (size_t c = 0; c < samples && c < kept; ++c)
      buffer[size_t(done) * keptChannels + c] = decodeSample(file, frame + c * width, buffer);
    break;
  }
  return done;
}

}  // namespace

int SeekAudioFrame(AudioFile& file, uint32_t frame) {
  if (!isReadable(file)) return AudioBadState;
  int64_t position = file.dataStart + int64_t(frame) * file.channels * file.bytesPerSample;
  return file.stream->seek(position) ? AudioOk : AudioSeekFailed;
}

int64_t ReadAudioFrames(AudioFile& file, uint32_t frames, int16_t* buffer) {
  if (!isReadable(file)) return AudioBadState;
  const int64_t wanted = int64_t(frames) * file.channels;
  const size_t width = size_t(file.bytesPerSample);
  int64_t done = 0;

  // Reading is not bounded by the sound chunk: it goes on through whatever
  // follows to the end of the file, and callers count frames themselves.
  if (width > 0) {
    uint8_t block[ReadBlockBytes];
    while (done < wanted) {
      size_t samples = size_t(std::min<int64_t>(wanted - done, ReadBlockBytes / width));
      size_t got = file.stream->read(block, samples * width);
      size_t whole = got / width;
      decodeSamples(file, block, whole, buffer + done);
      done += int64_t(whole);
      if (got == samples * width) continue;

      // The file ends inside a sample: the missing bytes count as FF and
      // the sample counts as read.
      size_t partial = got % width;
      if (partial != 0) {
        uint8_t* sample = block + whole * width;
        std::memset(sample + partial, 0xFF, width - partial);
        buffer[done++] = decodeSample(file, sample);
      }
      break;
    }
  }
  if (wanted > done) std::fill(buffer + done, buffer + wanted, int16_t(0));
  return done;
}

int64_t ReadAudioFrameChannels(AudioFile& file, uint32_t frames, int16_t* buffer, uint32_t keptChannels,
                               std::vector<uint8_t>& scratch) {
  return readFrameChannels(file, frames, buffer, keptChannels, scratch);
}

int64_t ReadAudioFrameChannels(AudioFile& file, uint32_t frames, float* buffer, uint32_t keptChannels,
                               std::vector<uint8_t>& scratch) {
  return readFrameChannels(file, frames, buffer, keptChannels, scratch);
}

}  // namespace tp
