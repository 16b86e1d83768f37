#include "convert/stemexport.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "convert/sidefile.h"
#include "playback/takefiles.h"
#include "project/messages.h"
#include "project/namecodec.h"

namespace tp {

ConversionResult ExportStem(const StemSource& source, const std::filesystem::path& output, AudioFormat format,
                            const ConversionHooks& hooks) {
  const uint32_t channels = source.right ? 2 : 1;
  TakeFiles takes;
  if (!takes.Open(0, source.left, 0) || (source.right && !takes.Open(1, *source.right, 0)))
    return {ConversionResult::Failed, messages::TakeNotOpened, 0};

  SideFile side(output);
  bool headerWritten = false;
  auto writer = CreateTakeRateWriter(side.path(), channels, format, headerWritten);
  if (!writer) return {ConversionResult::Failed, messages::OutputNotCreated, 0};
  bool failed = !headerWritten;

  std::vector<int16_t> samples(ConversionBlockFrames), block(size_t(channels) * ConversionBlockFrames);
  bool aborted = false;
  uint32_t position = 0;
  while (!failed && position < source.length) {
    if (hooks.betweenBlocks && hooks.betweenBlocks()) {
      aborted = true;
      break;
    }
    const uint32_t frames = std::min(ConversionBlockFrames, source.length - position);
    const int16_t* data = samples.data();
    if (channels == 1) {
      // A short read (a file that shrank meanwhile) leaves silence, as in
      // the export.
      std::fill(samples.begin(), samples.begin() + frames, int16_t(0));
      takes.Read(0, samples.data(), frames);
    } else {
      std::fill(block.begin(), block.begin() + 2 * frames, int16_t(0));
      for (int slot = 0; slot < 2; ++slot) {
        const size_t got = takes.Read(slot, samples.data(), frames);
        for (size_t n = 0; n < got; ++n) block[2 * n + size_t(slot)] = samples[n];
      }
      data = block.data();
    }
    if (WriteAudioFrames(*writer, data, frames) != AudioOk) failed = true;
    position += frames;
    if (hooks.progress) hooks.progress(position, source.length);
  }
  const bool closed = CloseAudioFile(std::move(writer)) == AudioOk;
  if (aborted) return {ConversionResult::Aborted, messages::Aborted, 0};  // the side file goes
  if (failed || !closed || !side.commit()) return {ConversionResult::Failed, messages::OutputNotWritten, 0};
  return {ConversionResult::Converted, messages::Converted, position};
}

std::string SafeFileNameComponent(std::string_view text) {
  std::string safe;
  for (unsigned char c : text) {
    const bool refused = c < 0x20 || c == 0x7F || std::string_view("/\\:*?\"<>|").find(char(c)) != std::string_view::npos;
    safe += refused ? '_' : char(c);
  }
  // "." and ".." name folders, and a trailing dot or blank is dropped by
  // some file systems.
  while (!safe.empty() && (safe.back() == '.' || safe.back() == ' ')) safe.pop_back();
  return safe;
}

std::string StemFileStem(std::string_view label, std::string_view nameBytes) {
  std::string name = NameBytesToUtf8(nameBytes);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  name = SafeFileNameComponent(name);
  return name.empty() ? std::string(label) : std::string(label) + " " + name;
}

std::string TrackStemLabel(int track, int take) {
  char label[32];
  std::snprintf(label, sizeof label, "Track%02d-%d", track + 1, take + 1);
  return label;
}

std::string MasterStemLabel(int masterTake) { return "Master" + std::to_string(masterTake + 1); }

}  // namespace tp
