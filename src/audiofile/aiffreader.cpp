// AIFF recognition. Integers are big-endian; the rate is an 80-bit extended
// value. The compressed "AIFC" form is not read.
#include <algorithm>
#include <cstring>

#include "audiofile/audiofile.h"
#include "audiofile/byteorder.h"
#include "audiofile/bytestream.h"
#include "audiofile/chunkwalk.h"
#include "audiofile/extended80.h"
#include "audiofile/recognise.h"

namespace tp {

namespace {

// "FORM", size, form type.
constexpr int FormHeaderSize = 12;
constexpr int FormTypeOffset = 8;

// The "COMM" body as far as it is read.
constexpr int CommonSize = 18;
constexpr int CommonChannelsOffset = 0;
constexpr int CommonFramesOffset = 2;
constexpr int CommonBitsOffset = 6;
constexpr int CommonRateOffset = 8;

// "SSND" starts with a 32-bit offset and a 32-bit block size; the samples
// follow them. The offset is deliberately not added: files are read from
// right after the block size, as they always have been.
constexpr int SoundHeaderSize = 8;

constexpr int MaximumIntegerBits = 32;

}  // namespace

std::optional<long double> AiffDeclaredRate(ByteStream& stream) {
  uint8_t form[FormHeaderSize];
  if (!stream.seek(0) || stream.read(form, sizeof form) != sizeof form) return std::nullopt;
  if (std::memcmp(form, "FORM", 4) != 0) return std::nullopt;
  if (std::memcmp(form + FormTypeOffset, "AIFF", 4) != 0 && std::memcmp(form + FormTypeOffset, "AIFC", 4) != 0)
    return std::nullopt;
  ChunkWalk walk(stream, FormHeaderSize, true);
  Chunk chunk;
  while (walk.next(chunk)) {
    if (!chunk.is("COMM")) continue;
    uint8_t common[CommonSize];
    if (chunk.availableSize < CommonSize || stream.read(common, sizeof common) != sizeof common) return std::nullopt;
    return readExtended80(common + CommonRateOffset);
  }
  return std::nullopt;
}

bool recogniseAiff(AudioFile& file, ByteStream& stream) {
  uint8_t form[FormHeaderSize];
  if (!stream.seek(0) || stream.read(form, sizeof form) != sizeof form) return false;
  if (std::memcmp(form, "FORM", 4) != 0 || std::memcmp(form + FormTypeOffset, "AIFF", 4) != 0)
    return false;

  bool commonSeen = false;
  int64_t soundBytes = 0;  // bytes of samples after the "SSND" header that the file holds
  ChunkWalk walk(stream, FormHeaderSize, true);
  Chunk chunk;
  while (walk.next(chunk)) {
    if (chunk.is("COMM")) {
      if (chunk.availableSize < CommonSize) return false;
      uint8_t common[CommonSize];
      if (stream.read(common, sizeof common) != sizeof common) return false;
      file.channels = readU16BE(common + CommonChannelsOffset);
      file.frames = readU32BE(common + CommonFramesOffset);
      file.bits = readU16BE(common + CommonBitsOffset);
      file.sampleRate = readExtended80(common + CommonRateOffset);
      commonSeen = true;
    } else if (chunk.is("SSND")) {
      file.dataStart = chunk.bodyStart + SoundHeaderSize;
      soundBytes = std::max<int64_t>(0, chunk.availableSize - SoundHeaderSize);
    }
  }

  // An AIFF without "COMM" is still an AIFF; it simply has no frames.
  if (!commonSeen) {
    file.frames = 0;
    file.bytesPerSample = 0;
    return true;
  }
  if (file.channels == 0 || file.bits < 1 || file.bits > MaximumIntegerBits) return false;
  if (!isUsableSampleRate(file.sampleRate)) {
    file.rateRefused = true;
    return false;
  }
  file.encoding = SampleEncoding::Integer;
  file.bytesPerSample = integerContainerBytes(file.bits);

  // The frame count is only a claim: a truncated download still says how
  // long the recording was. Count only the frames that are really there, so
  // a caller that reads `frames` frames never reads past the sound.
  int64_t frameBytes = int64_t(file.channels) * file.bytesPerSample;
  int64_t framesPresent = file.dataStart == 0 ? 0 : soundBytes / frameBytes;
  file.frames = uint32_t(std::min<int64_t>(file.frames, framesPresent));
  return true;
}

}  // namespace tp
