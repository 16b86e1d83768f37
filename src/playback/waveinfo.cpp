#include "playback/waveinfo.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "convert/importsource.h"

namespace tp {

WaveInfoTexts BareWaveInfo() { return {"Sampling Rate : ", "Sampling Frames : ", "Bits / Word : "}; }

std::string WaveLengthText(uint32_t frames, long double rate) {
  // The reader accepts rates of 1 Hz and more only; a smaller one would
  // leave no whole rate to divide by.
  const uint64_t wholeRate = rate >= 1.0L ? uint64_t(std::floor(rate)) : 1;
  const auto hours = uint64_t(std::floor(static_cast<long double>(frames) / (rate * 3600.0L)));
  uint64_t rest = frames % (wholeRate * 3600);
  const uint64_t minutes = rest / (wholeRate * 60);
  rest %= wholeRate * 60;
  const uint64_t seconds = rest / wholeRate;
  const uint64_t milliseconds = (rest % wholeRate) * 1000 / wholeRate;
  char text[96];
  std::snprintf(text, sizeof text, "%1llu:%02llu:%02llu:%03llu", static_cast<unsigned long long>(hours),
                static_cast<unsigned long long>(minutes), static_cast<unsigned long long>(seconds),
                static_cast<unsigned long long>(milliseconds));
  return text;
}

std::string ChannelsText(uint32_t channels) {
  if (channels > 2) return "(" + std::to_string(channels) + " channels)";
  return channels == 2 ? "(stereo)" : "(mono)";
}

WaveInfoTexts DescribeWave(const SourceFormat& format) {
  WaveInfoTexts texts;
  char text[128];
  std::snprintf(text, sizeof text, "Sampling Rate : %.2fHz", static_cast<double>(format.sampleRate));
  texts.samplingRate = text;
  const auto frames = uint32_t(std::min<uint64_t>(format.frames, UINT32_MAX));
  std::snprintf(text, sizeof text, "Sampling Frames : %u %s  ", frames, ChannelsText(format.channels).c_str());
  texts.samplingFrames = text + WaveLengthText(frames, format.sampleRate);
  std::snprintf(text, sizeof text, "Bits / Word : %d", format.bits);
  texts.bitsPerWord = text;
  return texts;
}

WaveInfoTexts DescribeWaveFile(const std::filesystem::path& path) {
  SourceFormat format;
  if (!ProbeSourceFile(path, format).ok()) return BareWaveInfo();
  return DescribeWave(format);
}

}  // namespace tp
