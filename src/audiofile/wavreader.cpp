// WAV recognition. Integers are little-endian. Read: integer PCM (format
// tag 1, or the extensible tag with the PCM sub-format) of 8 to 32 bits, and
// IEEE float (tag 3, or extensible with the float sub-format) of 32 or 64
// bits. Compressed formats are not read.
#include <algorithm>
#include <cstring>

#include "audiofile/audiofile.h"
#include "audiofile/byteorder.h"
#include "audiofile/bytestream.h"
#include "audiofile/chunkwalk.h"
#include "audiofile/recognise.h"

namespace tp {

namespace {

// "RIFF", size, "WAVE".
constexpr int RiffHeaderSize = 12;
constexpr int RiffTypeOffset = 8;

// The "fmt " body. The plain PCM form has 16 bytes; the extensible form has
// 40, with the real format in a GUID at the end.
constexpr int FormatTagOffset = 0;
constexpr int FormatChannelsOffset = 2;
constexpr int FormatRateOffset = 4;
constexpr int FormatBitsOffset = 14;
constexpr int FormatSubFormatOffset = 24;
constexpr int PlainFormatSize = 16;
constexpr int ExtensibleFormatSize = 40;

constexpr uint16_t TagPcm = 0x0001;
constexpr uint16_t TagFloat = 0x0003;
constexpr uint16_t TagExtensible = 0xFFFE;

// The sub-format GUIDs are the format tag followed by a fixed tail.
constexpr uint8_t SubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                       0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

constexpr int MinimumIntegerBits = 8;
constexpr int MaximumIntegerBits = 32;

// Reads the "fmt " chunk into `file`. False when it is not a format we read.
bool readFormat(AudioFile& file, ByteStream& stream, const Chunk& chunk) {
  if (chunk.availableSize < PlainFormatSize) return false;
  uint8_t body[ExtensibleFormatSize] = {};
  size_t wanted = size_t(std::min<int64_t>(chunk.availableSize, ExtensibleFormatSize));
  if (stream.read(body, wanted) != wanted) return false;

  uint16_t tag = readU16LE(body + FormatTagOffset);
  if (tag == TagExtensible) {
    if (wanted < size_t(ExtensibleFormatSize)) return false;
    const uint8_t* guid = body + FormatSubFormatOffset;
    if (std::memcmp(guid + 2, SubFormatTail, sizeof SubFormatTail) != 0) return false;
    tag = readU16LE(guid);
  }
  if (tag != TagPcm && tag != TagFloat) return false;

  uint32_t channels = readU16LE(body + FormatChannelsOffset);
  uint32_t rate = readU32LE(body + FormatRateOffset);
  int bits = readU16LE(body + FormatBitsOffset);
  if (channels == 0) return false;
  if (!isUsableSampleRate(rate)) {
    file.sampleRate = rate;
    file.rateRefused = true;
    return false;
  }

  if (tag == TagPcm) {
    // Below 8 bits the frame size would be 0 (every old reader divided by it).
    if (bits < MinimumIntegerBits || bits > MaximumIntegerBits) return false;
    file.encoding = SampleEncoding::Integer;
    file.bytesPerSample = integerContainerBytes(bits);
  } else {
    if (bits != 32 && bits != 64) return false;
    file.encoding = SampleEncoding::Float;
    file.bytesPerSample = bits / 8;
  }
  file.channels = channels;
  file.bits = bits;
  file.sampleRate = rate;
  return true;
}

}  // namespace

bool recogniseWav(AudioFile& file, ByteStream& stream) {
  uint8_t riff[RiffHeaderSize];
  if (!stream.seek(0) || stream.read(riff, sizeof riff) != sizeof riff) return false;
  if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + RiffTypeOffset, "WAVE", 4) != 0)
    return false;

  bool formatSeen = false;
  bool dataSeen = false;
  int64_t dataBytes = 0;  // of the last "data" chunk, as far as the file holds them
  ChunkWalk walk(stream, RiffHeaderSize, false);
  Chunk chunk;
  while (walk.next(chunk)) {
    if (chunk.is("fmt ")) {
      if (!readFormat(file, stream, chunk)) return false;
      formatSeen = true;
    } else if (chunk.is("data")) {
      // Without a format first there is no frame size to count the data by.
      if (!formatSeen) return false;
      file.dataStart = chunk.bodyStart;
      dataBytes = chunk.availableSize;
      dataSeen = true;
    }
  }
  if (!formatSeen || !dataSeen) return false;

  // A size larger than the file (a recording cut short, or a header that
  // lies) counts only the whole frames that are there.
  int64_t frameBytes = int64_t(file.channels) * file.bytesPerSample;
  file.frames = uint32_t(std::min<int64_t>(dataBytes / frameBytes, UINT32_MAX));
  return true;
}

}  // namespace tp
