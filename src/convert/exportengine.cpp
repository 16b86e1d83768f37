#include "convert/exportengine.h"

#include "convert/sinks.h"
#include "convert/takesource.h"
#include "project/folderfiles.h"
#include "project/messages.h"

namespace tp {

ConversionResult ExportTakes(const ExportRequest& request, const ConversionHooks& hooks) {
  const int selectedCount = request.selection.count();
  if (selectedCount == 0) return {ConversionResult::Failed, messages::NoTakeSelected, {}, 0};

  // A take, the information file or the backup marker of a song would be
  // lost for good: no answer to any question makes that right.
  if (IsSongFolderFile(request.output))
    return ConversionResult::Failure(Status::Fail(messages::SongFileRefused, request.output));

  TakeFiles takes;
  const Status opened = OpenSelectedTakes(request.selection, takes);
  if (!opened.ok()) return ConversionResult::Failure(opened);
  int lastSlot = 0;
  for (int slot = 0; slot < TakeFiles::SlotCount; ++slot)
    if (request.selection.takes[slot]) lastSlot = slot;

  static const MixerSettings centred;
  MixSource mix(takes, request.selection, request.mixer ? *request.mixer : centred);
  OneTakeSource one(takes, lastSlot, request.selection.labels[lastSlot]);
  BlockSource& source = selectedCount == 1 ? static_cast<BlockSource&>(one) : mix;
  // The second worker reads the same open takes at positions of its own.
  TakeFiles helperTakes;
  helperTakes.ShareOpenSlots(takes);
  MixSource helperMix(helperTakes, request.selection, request.mixer ? *request.mixer : centred);
  OneTakeSource helperOne(helperTakes, lastSlot, request.selection.labels[lastSlot]);
  BlockSource& helper = selectedCount == 1 ? static_cast<BlockSource&>(helperOne) : helperMix;

  // The file is the longest take rounded up to whole blocks.
  const uint64_t blocks = (uint64_t(request.length) + ConversionBlockFrames - 1) / ConversionBlockFrames;
  std::unique_ptr<SafeFile> output;
  Status status = Status::Ok();
  if (request.output == StandardOutputName) output = SafeFile::ForStandardOutput();
  else
    status = SafeFile::Create(request.output, messages::OutputNotCreated, output, SafeFile::OtherKinds::WriteAsTheyAre);
  std::unique_ptr<AudioFileSink> sink;
  if (status.ok())
    status = AudioFileSink::Create(std::move(output), source.Channels(), request.format, sink,
                                   blocks * ConversionBlockFrames);
  if (!status.ok()) return ConversionResult::Failure(status);

  PipelineJob job;
  job.source = &source;
  job.sinks = {sink.get()};
  job.frames = blocks * ConversionBlockFrames;
  job.progressTotal = request.length;
  job.writeFailure = messages::OutputNotWritten;
  job.helperSources = {&helper};
  ConversionResult result = RunPipeline(job, hooks);
  // Each worker's mix counted the blocks it read. A master take's pair never
  // clips: the mixer only copies it.
  if (&source == &mix) result.clippedSamples = mix.ClippedSamples() + helperMix.ClippedSamples();
  return result;
}

}  // namespace tp
