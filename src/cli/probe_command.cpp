#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "convert/jsontext.h"
#include "cli/options.h"
#include "convert/importsource.h"
#include "playback/waveinfo.h"

namespace tp::cli {

std::string RateText(long double rate) {
  char text[64];
  std::snprintf(text, sizeof text, "%.12Lg", rate);
  return text;
}

namespace {

// Seconds with up to three decimals and at least one, as JSON numbers:
// "2.0", "1.5", "0.023".
std::string secondsText(const SourceFormat& format) {
  char text[64];
  std::snprintf(text, sizeof text, "%.3Lf", static_cast<long double>(format.frames) / format.sampleRate);
  std::string seconds = text;
  while (seconds.back() == '0' && seconds[seconds.size() - 2] != '.') seconds.pop_back();
  return seconds;
}

void printJson(const SourceFormat& format) {
  std::printf("{\"format\": %s, \"rate\": %s, \"bits\": %d, \"channels\": %u, \"frames\": %llu, \"seconds\": %s}\n",
              JsonString(format.format).c_str(), RateText(format.sampleRate).c_str(), format.bits, format.channels,
              static_cast<unsigned long long>(format.frames), secondsText(format).c_str());
}

// The preview's lines, with the format before them.
void printText(const SourceFormat& format) {
  const auto frames = uint32_t(std::min<uint64_t>(format.frames, UINT32_MAX));
  std::printf("Format : %s\n", format.format.c_str());
  std::printf("Sampling Rate : %.2fHz\n", static_cast<double>(format.sampleRate));
  std::printf("Sampling Frames : %llu %s  %s\n", static_cast<unsigned long long>(format.frames),
              ChannelsText(format.channels).c_str(), WaveLengthText(frames, format.sampleRate).c_str());
  std::printf("Bits / Word : %d\n", format.bits);
  if (format.channels > 2) std::printf("Channels : %u (an import takes the first two)\n", format.channels);
}

}  // namespace

CommandRun DefineProbe(CLI::App& command) {
  struct Options {
    std::string input;
    bool json = false;
  };
  auto options = std::make_shared<Options>();
  AddPositional(command, "FILE", options->input, "the WAV, AIFF or FLAC file to describe");
  command.add_flag("--json", options->json,
                   "print one JSON object: format, rate (Hz), bits, channels, frames and seconds");
  return [options] {
    if (options->input.empty()) throw UsageError("name the file to describe");
    SourceFormat format;
    const Status status = ProbeSourceFile(options->input, format);
    if (!status.ok()) throw CommandFailure(status.Text());
    if (options->json) printJson(format);
    else printText(format);
    return 0;
  };
}

}  // namespace tp::cli
