#include "convert/exportengine.h"

#include "convert/loudnesstap.h"
#include "convert/normalisation.h"
#include "convert/sinks.h"
#include "convert/sndfilebridge.h"
#include "convert/takesource.h"
#include "project/folderfiles.h"
#include "project/messages.h"

namespace tp {

namespace {

const MixerSettings& mixerOf(const ExportRequest& request) {
  static const MixerSettings centred;
  return request.mixer ? *request.mixer : centred;
}

int lastSelectedSlot(const TakeSelection& selection) {
  int lastSlot = 0;
  for (int slot = 0; slot < TakeFiles::SlotCount; ++slot)
    if (selection.takes[slot]) lastSlot = slot;
  return lastSlot;
}

// What an export reads: one take as it is, or the selection through the
// mixer, once for each worker, the second reading the same open takes at
// positions of its own; one thread reads the takes ahead of both in large
// pieces, so that a slow disk is asked for each take in turn. A normalising
// export mixes with the sums kept whole, so that its gain turns down the mix
// rather than a clipped one.
class ExportSources {
 public:
  explicit ExportSources(const ExportRequest& request)
      : oneTake_(request.selection.count() == 1),
        mix_(takes_, request.selection, mixerOf(request), sumOf(request)),
        helperMix_(helperTakes_, request.selection, mixerOf(request), sumOf(request)),
        one_(takes_, lastSelectedSlot(request.selection), request.selection.labels[lastSelectedSlot(request.selection)]),
        helperOne_(helperTakes_, lastSelectedSlot(request.selection),
                   request.selection.labels[lastSelectedSlot(request.selection)]),
        selection_(request.selection) {}

  Status Open() {
    const Status opened = OpenSelectedTakes(selection_, takes_);
    if (!opened.ok()) return opened;
    takes_.ReadInLargePieces();
    helperTakes_.ShareOpenSlots(takes_);
    return opened;
  }
  BlockSource& Main() { return oneTake_ ? static_cast<BlockSource&>(one_) : mix_; }
  BlockSource& Helper() { return oneTake_ ? static_cast<BlockSource&>(helperOne_) : helperMix_; }
  // Each worker's mix counted the blocks it read. A master take's pair or
  // one take never clips: nothing is added.
  uint64_t ClippedSamples() const { return oneTake_ ? 0 : mix_.ClippedSamples() + helperMix_.ClippedSamples(); }

 private:
  static MixSource::Sum sumOf(const ExportRequest& request) {
    return request.normaliseTo ? MixSource::Sum::Whole : MixSource::Sum::ClampedAfterEachSlot;
  }
  bool oneTake_;
  TakeFiles takes_, helperTakes_;
  MixSource mix_, helperMix_;
  OneTakeSource one_, helperOne_;
  const TakeSelection& selection_;
};

Status refusal(const ExportRequest& request) {
  if (request.selection.count() == 0) return Status::Fail(messages::NoTakeSelected);
  // A take, the information file or the backup marker of a song would be
  // lost for good: no answer to any question makes that right.
  if (IsSongFolderFile(request.output)) return Status::Fail(messages::SongFileRefused, request.output);
  return Status::Ok();
}

// The file is the longest take rounded up to whole blocks.
uint64_t exportFrames(const ExportRequest& request) {
  return (uint64_t(request.length) + ConversionBlockFrames - 1) / ConversionBlockFrames * ConversionBlockFrames;
}

PipelineJob jobFor(const ExportRequest& request, BlockSource& source, BlockSource& helper, BlockTap& tap) {
  PipelineJob job;
  job.source = &source;
  job.helperSources = {&helper};
  job.taps = {&tap};
  job.frames = exportFrames(request);
  job.progressTotal = request.length;
  job.writeFailure = messages::OutputNotWritten;
  return job;
}

// Runs the blocks through the taps alone: nothing is written.
ConversionResult measure(const ExportRequest& request, ExportSources& sources, const ConversionHooks& hooks) {
  LoudnessTap tap(sources.Main().Channels(), LoudnessMeter::Peak::True);
  const uint64_t clippedBefore = sources.ClippedSamples();
  ConversionResult result = RunPipeline(jobFor(request, sources.Main(), sources.Helper(), tap), hooks);
  result.outputsKept = false;  // there were none
  if (result.outcome != ConversionResult::Converted) return result;
  result.loudness = tap.Result();
  result.clippedSamples = sources.ClippedSamples() - clippedBefore;
  return result;
}

// A normalising export runs twice over the takes; each pass fills half of
// the progress.
ConversionHooks passOfTwo(const ConversionHooks& hooks, uint32_t pass) {
  ConversionHooks halved = hooks;
  if (hooks.progress)
    halved.progress = [progress = hooks.progress, pass](uint32_t position, uint32_t total) {
      progress(uint32_t((uint64_t(pass) * total + position) / 2), total);
    };
  return halved;
}

Status createSink(const ExportRequest& request, uint32_t channels, std::unique_ptr<BlockSink>& sink) {
  std::unique_ptr<SafeFile> output;
  Status status = Status::Ok();
  if (request.output == StandardOutputName) output = SafeFile::ForStandardOutput();
  else
    status = SafeFile::Create(request.output, messages::OutputNotCreated, output, SafeFile::OtherKinds::WriteAsTheyAre);
  if (!status.ok()) return status;
  // FLAC through the archive's writer, which rewrites the file's start at
  // the end: a file, never a stream.
  if (request.format == FormatFlac) {
    std::unique_ptr<FlacSink> flac;
    status = FlacSink::Create(std::move(output), channels, flac);
    sink = std::move(flac);
    return status;
  }
  std::unique_ptr<AudioFileSink> audioFile;
  status = AudioFileSink::Create(std::move(output), channels, request.format, audioFile, exportFrames(request));
  sink = std::move(audioFile);
  return status;
}

// Mixes and writes the file, measuring what it writes. With a
// normalisation, the blocks pass through its gain; the true peak, which
// costs most to measure, is then the first pass's moved by that gain
// (the gain is applied in floating point and the dither moves a sample by
// less than one step, far below the tenth of a decibel shown).
ConversionResult write(const ExportRequest& request, ExportSources& sources, const ConversionHooks& hooks,
                       const std::optional<Loudness>& firstPass, const std::optional<Normalisation>& normalisation) {
  std::optional<GainSource> gained, helperGained;
  BlockSource* source = &sources.Main();
  BlockSource* helper = &sources.Helper();
  if (normalisation) {
    source = &gained.emplace(*source, normalisation->gainDb);
    helper = &helperGained.emplace(*helper, normalisation->gainDb);
  }
  std::unique_ptr<BlockSink> sink;
  if (const Status created = createSink(request, source->Channels(), sink); !created.ok())
    return ConversionResult::Failure(created);
  LoudnessTap tap(source->Channels(), normalisation ? LoudnessMeter::Peak::NotMeasured : LoudnessMeter::Peak::True);
  PipelineJob job = jobFor(request, *source, *helper, tap);
  job.sinks = {sink.get()};
  const uint64_t clippedBefore = sources.ClippedSamples();
  ConversionResult result = RunPipeline(job, hooks);
  // A normalised mix is clamped once, after its gain.
  result.clippedSamples = normalisation ? gained->ClippedSamples() + helperGained->ClippedSamples()
                                        : sources.ClippedSamples() - clippedBefore;
  if (result.outcome != ConversionResult::Converted) return result;
  result.loudness = tap.Result();
  if (normalisation && !result.loudness->Silent()) {
    result.loudness->truePeakDbtp = *firstPass->truePeakDbtp + normalisation->gainDb;
    result.normalisation = normalisation;
  }
  return result;
}

}  // namespace

ConversionResult ExportTakes(const ExportRequest& request, const ConversionHooks& hooks) {
  if (const Status refused = refusal(request); !refused.ok()) return ConversionResult::Failure(refused);
  ExportSources sources(request);
  if (const Status opened = sources.Open(); !opened.ok()) return ConversionResult::Failure(opened);
  if (!request.normaliseTo) return write(request, sources, hooks, std::nullopt, std::nullopt);

  const ConversionResult measured = measure(request, sources, passOfTwo(hooks, 0));
  if (measured.outcome != ConversionResult::Converted) return measured;
  // Silence has no loudness to move: it is written as it is.
  if (measured.loudness->Silent()) return write(request, sources, passOfTwo(hooks, 1), std::nullopt, std::nullopt);
  const Normalisation normalisation = GainToReach(*measured.loudness, *request.normaliseTo, request.truePeakCeiling);
  return write(request, sources, passOfTwo(hooks, 1), measured.loudness, normalisation);
}

ConversionResult MeasureTakes(const ExportRequest& request, const ConversionHooks& hooks) {
  if (request.selection.count() == 0) return ConversionResult::Failure(Status::Fail(messages::NoTakeSelected));
  ExportSources sources(request);
  if (const Status opened = sources.Open(); !opened.ok()) return ConversionResult::Failure(opened);
  return measure(request, sources, hooks);
}

}  // namespace tp
