#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/jsonline.h"
#include "cli/interrupt.h"
#include "cli/options.h"
#include "cli/stdinspool.h"
#include "convert/importsource.h"
#include "playback/waveinfo.h"

namespace tp::cli {

std::string RateText(long double rate) {
  char text[64];
  std::snprintf(text, sizeof text, "%.12Lg", rate);
  return text;
}

namespace {

// The rate as a whole number where it is one (an AIFF may have a fraction).
Json rateValue(long double rate) {
  if (rate == static_cast<long double>(static_cast<uint64_t>(rate))) return static_cast<uint64_t>(rate);
  return static_cast<double>(rate);
}

void printJson(const SourceFormat& format) {
  // Seconds rounded to milliseconds: "2.0", "1.5", "0.023".
  const long double seconds = static_cast<long double>(format.frames) / format.sampleRate;
  const Json report = {{"format", format.format},
                       {"rate", rateValue(format.sampleRate)},
                       {"bits", format.bits},
                       {"channels", format.channels},
                       {"frames", format.frames},
                       {"seconds", static_cast<double>(std::round(seconds * 1000) / 1000)}};
  std::printf("%s\n", OneLineJson(report).c_str());
}

// The preview's lines, with the format before them.
void printText(const SourceFormat& format) {
  const auto frames = uint32_t(std::min<uint64_t>(format.frames, UINT32_MAX));
  std::printf("Format : %s\n", format.format.c_str());
  std::printf("Sampling Rate : %.2fHz\n", static_cast<double>(format.sampleRate));
  std::printf("Sampling Frames : %llu %s  %s\n", static_cast<unsigned long long>(format.frames),
              ChannelsText(format.channels).c_str(), WaveLengthText(frames, format.sampleRate).c_str());
  std::printf("Bits / Word : %d\n", format.bits);
  if (format.channels > 2)
    std::printf("Channels : %u (an import takes one per --to target, or the first two)\n", format.channels);
}

}  // namespace

CommandRun DefineProbe(CLI::App& command) {
  struct Options {
    std::string input;
    bool json = false;
  };
  auto options = std::make_shared<Options>();
  AddPositional(command, "FILE", options->input, "the sound file to describe (any the import reads; - reads standard input)");
  command.add_flag("--json", options->json,
                   "print one JSON object: format, rate (Hz), bits, channels, frames and seconds");
  return [options] {
    if (options->input.empty()) throw UsageError("name the file to describe");
    SourceFormat format;
    // Standard input is copied to a temporary file and described from there.
    std::unique_ptr<StandardInputSpool> spool;
    if (options->input == StandardInputArgument) {
      spool = SpoolStandardInput(TemporaryFolder());
      if (!spool) return InterruptedExitCode();
    }
    const Status status = ProbeSourceFile(spool ? spool->path() : std::filesystem::path(options->input), format);
    if (!status.ok()) throw CommandFailure(spool ? spool->Named(status.Text()) : status.Text());
    if (options->json) printJson(format);
    else printText(format);
    return 0;
  };
}

}  // namespace tp::cli
