// The three lines the wave preview shows about the file under selection in
// the open dialog: sampling rate, length (frames, channels, time) and word
// size.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "project/wording.h"

namespace tp {

struct SourceFormat;

struct WaveInfoTexts {
  std::string samplingRate;    // "Sampling Rate : 44100.00Hz"
  std::string samplingFrames;  // "Sampling Frames : 123456 (stereo)  0:00:02:799"
  std::string bitsPerWord;     // "Bits / Word : 16"
  bool operator==(const WaveInfoTexts&) const = default;
};

// The bare captions, shown for a file the import cannot read.
WaveInfoTexts BareWaveInfo(Wording wording = AsWritten);

// The texts for a source's format.
WaveInfoTexts DescribeWave(const SourceFormat& format, Wording wording = AsWritten);

// Describes `path` as the import would read it (WAV, AIFF or FLAC), through
// the import's own probe.
WaveInfoTexts DescribeWaveFile(const std::filesystem::path& path, Wording wording = AsWritten);

// "(mono)", "(stereo)", or "(6 channels)" for a file of more than two.
std::string ChannelsText(uint32_t channels, Wording wording = AsWritten);

// "h:mm:ss:mmm" for `frames` at `rate`. The hours divide by the exact rate,
// everything below them by its whole part, so that 22050.5 Hz counts its
// seconds in 22050 frames.
std::string WaveLengthText(uint32_t frames, long double rate);

}  // namespace tp
