// Writing WAV and AIFF files: the header with placeholder sizes first, the
// samples appended in blocks, the sizes patched when the file is closed.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "audiofile/audiofile.h"
#include "audiofile/audiowriter.h"
#include "audiofile/byteorder.h"
#include "audiofile/bytestream.h"
#include "audiofile/extended80.h"

namespace tp {

namespace {

// The WAV header: "RIFF" chunk, an 18-byte "fmt " chunk, the "data" header.
constexpr int WavHeaderSize = 46;
constexpr int WavRiffSizeOffset = 4;
constexpr int WavFormatSizeOffset = 16;
constexpr int WavFormatTagOffset = 20;
constexpr int WavChannelsOffset = 22;
constexpr int WavRateOffset = 24;
constexpr int WavByteRateOffset = 28;
constexpr int WavBlockAlignOffset = 32;
constexpr int WavBitsOffset = 34;
constexpr int WavExtensionSizeOffset = 36;
constexpr int WavDataIdOffset = 38;
constexpr int WavDataSizeOffset = 42;
constexpr uint32_t WavFormatBodySize = 18;

// The AIFF header: "COMM", an "INST" chunk and a "MARK" chunk with the
// sustain loop's two markers, then the "SSND" header with offset and block
// size 0.
constexpr int AiffHeaderSize = 124;
constexpr int AiffFormSizeOffset = 4;
constexpr int AiffCommonSizeOffset = 16;
constexpr int AiffChannelsOffset = 20;
constexpr int AiffFramesOffset = 22;
constexpr int AiffBitsOffset = 26;
constexpr int AiffRateOffset = 28;
constexpr int AiffInstrumentIdOffset = 38;
constexpr int AiffInstrumentSizeOffset = 42;
constexpr int AiffBaseNoteOffset = 46;
constexpr int AiffDetuneOffset = 47;
constexpr int AiffLowNoteOffset = 48;
constexpr int AiffHighNoteOffset = 49;
constexpr int AiffLowVelocityOffset = 50;
constexpr int AiffHighVelocityOffset = 51;
constexpr int AiffSustainModeOffset = 54;
constexpr int AiffSustainBeginOffset = 56;
constexpr int AiffSustainEndOffset = 58;
constexpr int AiffMarkerIdOffset = 66;
constexpr int AiffMarkerSizeOffset = 70;
constexpr int AiffMarkerCountOffset = 74;
constexpr int AiffFirstMarkerOffset = 76;
constexpr int AiffSecondMarkerOffset = 93;
constexpr int AiffSoundIdOffset = 108;
constexpr int AiffSoundSizeOffset = 112;
constexpr uint32_t AiffCommonBodySize = 18;
constexpr uint32_t AiffInstrumentBodySize = 20;
// Each marker name is followed by a zero byte, and the size counts both
// zeros: 2 + (2 + 4 + 1 + 9 + 1) + (2 + 4 + 1 + 7 + 1) = 34.
constexpr uint32_t AiffMarkerBodySize = 34;
constexpr uint32_t AiffSoundHeaderSize = 8;

constexpr uint16_t LoopForward = 1;
constexpr uint16_t BeginLoopMarker = 1;
constexpr uint16_t EndLoopMarker = 2;

// The writer takes 16-bit samples, or single bytes for 8-bit files.
constexpr int MaximumWriteBits = 16;

int sampleBytes(const AudioFile& file) { return (file.bits + 7) / 8; }

int headerSize(AudioFormat format) { return format == FormatWav ? WavHeaderSize : AiffHeaderSize; }

// The WAV rate field is an integer: truncated toward zero, kept in range.
uint32_t integerRate(long double rate) {
  if (!(rate > 0)) return 0;
  if (rate >= 4294967295.0L) return UINT32_MAX;
  return uint32_t(rate);
}

void putId(uint8_t* at, const char (&id)[5]) { std::memcpy(at, id, 4); }

// Writes one marker at `at`: id, position, name as a counted string with a
// trailing zero byte.
void putMarker(uint8_t* at, uint16_t id, uint32_t position, const char* name) {
  size_t length = std::strlen(name);
  writeU16BE(at, id);
  writeU32BE(at + 2, position);
  at[6] = uint8_t(length);
  std::memcpy(at + 7, name, length);
  at[7 + length] = 0;
}

void buildWavHeader(const AudioFile& file, uint8_t* header) {
  uint32_t rate = integerRate(file.sampleRate);
  uint16_t blockAlign = uint16_t(sampleBytes(file) * file.channels);
  putId(header, "RIFF");
  writeU32LE(header + WavRiffSizeOffset, 0);
  putId(header + 8, "WAVE");
  putId(header + 12, "fmt ");
  writeU32LE(header + WavFormatSizeOffset, WavFormatBodySize);
  writeU16LE(header + WavFormatTagOffset, 1);
  writeU16LE(header + WavChannelsOffset, uint16_t(file.channels));
  writeU32LE(header + WavRateOffset, rate);
  writeU32LE(header + WavByteRateOffset, blockAlign * rate);
  writeU16LE(header + WavBlockAlignOffset, blockAlign);
  writeU16LE(header + WavBitsOffset, uint16_t(file.bits));
  writeU16LE(header + WavExtensionSizeOffset, 0);
  putId(header + WavDataIdOffset, "data");
  writeU32LE(header + WavDataSizeOffset, 0);
}

void buildAiffHeader(const AudioFile& file, uint8_t* header) {
  std::memset(header, 0, AiffHeaderSize);
  putId(header, "FORM");
  putId(header + 8, "AIFF");
  putId(header + 12, "COMM");
  writeU32BE(header + AiffCommonSizeOffset, AiffCommonBodySize);
  writeU16BE(header + AiffChannelsOffset, uint16_t(file.channels));
  writeU32BE(header + AiffFramesOffset, file.frames);
  writeU16BE(header + AiffBitsOffset, uint16_t(file.bits));
  writeExtended80(header + AiffRateOffset, file.sampleRate);

  putId(header + AiffInstrumentIdOffset, "INST");
  writeU32BE(header + AiffInstrumentSizeOffset, AiffInstrumentBodySize);
  header[AiffBaseNoteOffset] = uint8_t(file.baseNote);
  header[AiffDetuneOffset] = uint8_t(file.detune);
  header[AiffLowNoteOffset] = uint8_t(file.lowNote);
  header[AiffHighNoteOffset] = uint8_t(file.highNote);
  header[AiffLowVelocityOffset] = 1;
  header[AiffHighVelocityOffset] = 127;
  // Gain and the whole release loop stay 0.
  writeU16BE(header + AiffSustainModeOffset, LoopForward);
  writeU16BE(header + AiffSustainBeginOffset, BeginLoopMarker);
  writeU16BE(header + AiffSustainEndOffset, EndLoopMarker);

  putId(header + AiffMarkerIdOffset, "MARK");
  writeU32BE(header + AiffMarkerSizeOffset, AiffMarkerBodySize);
  writeU16BE(header + AiffMarkerCountOffset, 2);
  putMarker(header + AiffFirstMarkerOffset, BeginLoopMarker, file.loopBegin, "beginLoop");
  putMarker(header + AiffSecondMarkerOffset, EndLoopMarker, file.loopEnd, "endLoop");

  putId(header + AiffSoundIdOffset, "SSND");
  // Size, offset and block size stay 0 until the file is closed.
}

bool writeU32At(ByteStream& stream, int64_t position, uint32_t value, bool bigEndian) {
  uint8_t bytes[4];
  if (bigEndian) {
    writeU32BE(bytes, value);
  } else {
    writeU32LE(bytes, value);
  }
  return stream.seek(position) && stream.write(bytes, sizeof bytes);
}

}  // namespace

int WriteAudioHeader(AudioFile& file, AudioFormat format) {
  if (file.mode != 1 || file.stream == nullptr || file.format != FormatNone) return AudioBadState;
  if (format != FormatWav && format != FormatAiff) return AudioBadState;
  // Both headers keep channels in 16 bits, and the frame arithmetic at close
  // divides by the frame size.
  if (file.channels < 1 || file.channels > UINT16_MAX || file.bits < 1 ||
      file.bits > MaximumWriteBits)
    return AudioBadState;

  uint8_t header[AiffHeaderSize];
  int64_t start = file.stream->position();
  if (format == FormatWav) {
    buildWavHeader(file, header);
    file.sizeFieldPosition = start + WavDataSizeOffset;
    file.frameCountPosition = 0;
  } else {
    buildAiffHeader(file, header);
    file.sizeFieldPosition = start + AiffSoundSizeOffset;
    file.frameCountPosition = start + AiffFramesOffset;
  }
  file.format = format;
  file.bytesWritten = 0;
  if (file.sizesPreset) {
    // The sizes closing would patch in, computed now.
    const uint64_t dataBytes = uint64_t(file.frames) * file.channels * uint64_t(sampleBytes(file));
    const uint64_t end = uint64_t(headerSize(format)) + dataBytes;
    if (end - 8 > UINT32_MAX) return AudioBadState;
    if (format == FormatWav) {
      writeU32LE(header + WavDataSizeOffset, uint32_t(dataBytes));
      writeU32LE(header + WavRiffSizeOffset, uint32_t(end - 8));
    } else {
      writeU32BE(header + AiffSoundSizeOffset, uint32_t(dataBytes + AiffSoundHeaderSize));
      writeU32BE(header + AiffFormSizeOffset, uint32_t(end - 8));
    }
  }
  file.stream->write(header, size_t(headerSize(format)));
  return AudioOk;
}

int WriteAudioFrames(AudioFile& file, const void* buffer, uint32_t frames) {
  if (file.mode != 1 || file.stream == nullptr || file.format == FormatNone) return AudioBadState;
  const int width = sampleBytes(file);
  const uint64_t byteCount = uint64_t(frames) * file.channels * uint64_t(width);

  // The file length less 8 has to fit the 32-bit size fields.
  const uint64_t limit = UINT32_MAX - uint64_t(headerSize(file.format) - 8);
  if (uint64_t(file.bytesWritten) + byteCount > limit) {
    file.sizeLimitReached = true;
    return AudioWriteFailed;
  }
  if (byteCount == 0) return AudioOk;

  bool ok = true;
  if (width == 1) {
    ok = file.stream->write(static_cast<const uint8_t*>(buffer), size_t(byteCount));
  } else if (file.format == FormatWav && std::endian::native == std::endian::little) {
    // The samples already are the file's bytes: one write, no copy.
    ok = file.stream->write(static_cast<const uint8_t*>(buffer), size_t(byteCount));
  } else {
    // One write per block: the samples in the file's byte order, in a
    // buffer that grows to the largest block once.
    const int16_t* samples = static_cast<const int16_t*>(buffer);
    const size_t count = size_t(byteCount / 2);
    file.orderedBytes.resize(size_t(byteCount));
    uint8_t* bytes = file.orderedBytes.data();
    // One loop per byte order, so that each vectorises.
    if (file.format == FormatAiff) {
      for (size_t i = 0; i < count; ++i) writeU16BE(bytes + 2 * i, uint16_t(samples[i]));
    } else {
      for (size_t i = 0; i < count; ++i) writeU16LE(bytes + 2 * i, uint16_t(samples[i]));
    }
    ok = file.stream->write(bytes, size_t(byteCount));
  }
  if (!ok) return AudioWriteFailed;
  file.bytesWritten += uint32_t(byteCount);
  return AudioOk;
}

bool finishWrittenFile(AudioFile& file) {
  ByteStream& stream = *file.stream;
  if (file.sizesPreset) {
    const uint64_t promised = uint64_t(file.frames) * file.channels * uint64_t(sampleBytes(file));
    const bool complete = file.format != FormatNone && file.bytesWritten == promised;
    return stream.close() && complete;
  }
  if (file.format != FormatNone) {
    const bool bigEndian = file.format == FormatAiff;
    int64_t end = stream.position();
    if (file.format == FormatWav) {
      writeU32At(stream, file.sizeFieldPosition, file.bytesWritten, false);
      writeU32At(stream, WavRiffSizeOffset, uint32_t(end - 8), false);
    } else {
      writeU32At(stream, file.sizeFieldPosition, file.bytesWritten + AiffSoundHeaderSize, true);
      file.frames = file.bytesWritten / uint32_t(sampleBytes(file) * file.channels);
      writeU32At(stream, file.frameCountPosition, file.frames, true);
      writeU32At(stream, AiffFormSizeOffset, uint32_t(end - 8), bigEndian);
    }
    stream.seek(end);
  }
  return stream.close();
}

}  // namespace tp
