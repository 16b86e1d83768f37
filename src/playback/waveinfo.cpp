#include "playback/waveinfo.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "convert/importsource.h"
#include "project/messages.h"

namespace tp {

WaveInfoTexts BareWaveInfo(Wording wording) {
  return {wording(messages::SamplingRateCaption), wording(messages::SamplingFramesCaption),
          wording(messages::BitsPerWordCaption)};
}

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

std::string ChannelsText(uint32_t channels, Wording wording) {
  if (channels > 2) {
    std::string text = wording(messages::ManyChannels);
    if (const size_t at = text.find("%1"); at != std::string::npos) text.replace(at, 2, std::to_string(channels));
    return text;
  }
  return wording(channels == 2 ? messages::Stereo : messages::Mono);
}

WaveInfoTexts DescribeWave(const SourceFormat& format, Wording wording) {
  const WaveInfoTexts captions = BareWaveInfo(wording);
  WaveInfoTexts texts;
  char text[128];
  std::snprintf(text, sizeof text, "%.2fHz", static_cast<double>(format.sampleRate));
  texts.samplingRate = captions.samplingRate + text;
  const auto frames = uint32_t(std::min<uint64_t>(format.frames, UINT32_MAX));
  texts.samplingFrames = captions.samplingFrames + std::to_string(frames) + " " +
                         ChannelsText(format.channels, wording) + "  " + WaveLengthText(frames, format.sampleRate);
  texts.bitsPerWord = captions.bitsPerWord + std::to_string(format.bits);
  return texts;
}

WaveInfoTexts DescribeWaveFile(const std::filesystem::path& path, Wording wording) {
  SourceFormat format;
  if (!ProbeSourceFile(path, format).ok()) return BareWaveInfo(wording);
  return DescribeWave(format, wording);
}

}  // namespace tp
