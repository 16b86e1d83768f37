#include "convert/exportengine.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "convert/sidefile.h"
#include "playback/takefiles.h"
#include "project/messages.h"

namespace tp {

namespace {

ConversionResult failure(const char* message) { return {ConversionResult::Failed, message, 0}; }

}  // namespace

ConversionResult ExportTakes(const ExportRequest& request, const ConversionHooks& hooks) {
  const int selectedCount = request.selection.count();
  if (selectedCount == 0) return failure(messages::NoTakeSelected);

  // Every selected take must open: a mix that silently lacks a track would
  // pass for the real thing.
  TakeFiles takes;
  int lastSlot = -1;
  for (int slot = 0; slot < TakeFiles::SlotCount; ++slot) {
    const auto& path = request.selection.takes[slot];
    if (!path) continue;
    if (!takes.Open(slot, *path, 0)) return failure(messages::TakeNotOpened);
    lastSlot = slot;
  }

  SideFile side(request.output);
  const uint32_t channels = selectedCount == 1 ? 1 : 2;
  bool headerWritten = false;
  auto writer = CreateTakeRateWriter(side.path(), channels, request.format, headerWritten);
  if (!writer) return failure(messages::OutputNotCreated);
  bool writeFailed = !headerWritten;

  static const MixerSettings centred;
  const MixerSettings& mixer = request.mixer ? *request.mixer : centred;
  std::vector<int16_t> block(size_t(channels) * ConversionBlockFrames);
  bool aborted = false;
  uint64_t position = 0;
  while (!writeFailed && position < request.length) {
    if (hooks.betweenBlocks && hooks.betweenBlocks()) {
      aborted = true;
      break;
    }
    std::fill(block.begin(), block.end(), int16_t(0));
    if (selectedCount == 1)
      takes.Read(lastSlot, block.data(), ConversionBlockFrames);
    else
      MixBlock(block.data(), ConversionBlockFrames, takes, request.selection.masterMode, mixer);
    if (WriteAudioFrames(*writer, block.data(), ConversionBlockFrames) != AudioOk || AudioFileFailed(*writer) != 0)
      writeFailed = true;
    if (hooks.progress) hooks.progress(uint32_t(position), request.length);
    position += ConversionBlockFrames;
  }
  takes.CloseAll();

  const bool closedCleanly = CloseAudioFile(std::move(writer)) == AudioOk;
  if (writeFailed || !closedCleanly || !side.commit()) return failure(messages::OutputNotWritten);
  if (hooks.progress) hooks.progress(request.length, request.length);
  return {aborted ? ConversionResult::Aborted : ConversionResult::Converted,
          aborted ? messages::Aborted : messages::Converted, position};
}

}  // namespace tp
