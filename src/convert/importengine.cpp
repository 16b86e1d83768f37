#include "convert/importengine.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "audiofile/takefile.h"
#include "convert/importpreparation.h"
#include "convert/importsource.h"
#include "convert/pipeline.h"
#include "convert/rateconverter.h"
#include "convert/sinks.h"
#include "project/folderfiles.h"
#include "project/messages.h"
#include "project/namecodec.h"
#include "project/namefield.h"

namespace tp {

namespace fs = std::filesystem;

namespace {

std::string targetFileName(const ImportTarget& target) {
  if (target.track == MasterLeftTrackNumber) return MasterTakeFileName(MasterSide::Left, target.take);
  if (target.track == MasterRightTrackNumber) return MasterTakeFileName(MasterSide::Right, target.take);
  return TakeFileName(target.track, target.take);
}

struct TargetTake {
  ImportTarget target;
  NameField name;
  std::unique_ptr<TakeSink> sink;
};

// "Overh 13": a take of a file of more than two channels, named from the
// file with its channel number (from 1) within the 8 bytes.
NameField channelTakeName(const std::string& takeName, size_t channel) {
  const std::string number = " " + std::to_string(channel + 1);
  return EncodeNameField(takeName.substr(0, NameFieldWidth - number.size()) + number);
}

NameField takeNameFor(const std::string& takeName, uint32_t sourceChannels, bool masterMode, size_t index) {
  if (masterMode || sourceChannels < 2) return EncodeNameField(takeName);
  if (sourceChannels == 2) return EncodeNameFieldWithSuffix(takeName, index == 0 ? 'L' : 'R');
  return channelTakeName(takeName, index);
}

// Creates the side file and header of each target: channel i to the i-th,
// or channel 0 again for a mono source filling both files of a master take.
Status createTargets(const ProjectModel& model, const ImportTargets& targets, const std::string& takeName,
                     uint32_t sourceChannels, std::vector<TargetTake>& created) {
  const std::vector<ImportTarget> inOrder = targets.InChannelOrder();
  for (size_t index = 0; index < inOrder.size(); ++index) {
    const ImportTarget& target = inOrder[index];
    TargetTake take{target, takeNameFor(takeName, sourceChannels, targets.masterMode, index), nullptr};
    std::unique_ptr<SafeFile> file;
    Status status = SafeFile::Create(PathForFile(model.ProjectFolder, targetFileName(target)),
                                     messages::TargetNotOpened, file);
    const uint32_t channel = index < sourceChannels ? uint32_t(index) : 0;
    if (status.ok())
      // The header knows left (0) and right (1) only; a multichannel
      // file's later channels are each a take's only channel.
      status = TakeSink::Create(std::move(file), {index == 1 ? 1u : 0u, uint32_t(target.track), take.name}, channel,
                                take.sink);
    if (!status.ok()) return status;
    created.push_back(std::move(take));
  }
  return Status::Ok();
}

// The first target that holds a take on the disk now, or an empty path.
fs::path firstTargetThatExists(const ProjectModel& model, const ImportTargets& targets) {
  for (const ImportTarget& target : targets.InChannelOrder()) {
    const fs::path path = PathForFile(model.ProjectFolder, targetFileName(target));
    std::error_code error;
    if (fs::exists(fs::symlink_status(path, error))) return path;
  }
  return {};
}

// The takes are in place: show them.
void recordTargets(ProjectModel& model, const std::vector<TargetTake>& takes, int32_t length) {
  const std::string caption(takes[0].name.begin(), takes[0].name.end());
  if (takes[0].target.track == MasterLeftTrackNumber) {
    model.RecordMasterTake(takes[0].target.take, caption, length, length);
    return;
  }
  for (const TargetTake& take : takes)
    model.RecordTake(take.target.track, take.target.take, std::string(take.name.begin(), take.name.end()), length);
}

}  // namespace

std::string TakeNameFromSourceFile(const fs::path& source) {
  std::string name = source.filename().string();
  const auto dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return Utf8ToNameBytesLossy(name);
}

bool NeedsRateConversion(long double sampleRate) { return sampleRate != TakeSampleRate; }

ConversionResult ImportAudioFile(ProjectModel& model, const fs::path& sourcePath, const ConversionHooks& hooks,
                                 SongLock::Wait wait, RateHandling rate, ExistingTakes existing) {
  ImportPreparation prepared;
  const Status status = PrepareImport(model, sourcePath, prepared);
  if (!status.ok()) return ConversionResult::Failure(status);
  return ImportPrepared(model, prepared, hooks, wait, rate, existing);
}

namespace {

// One file's import, set up before the song is locked and anything is
// written: the channels it keeps, the resampler, the frames of its takes.
struct FileRun {
  ImportPreparation* prepared = nullptr;
  std::unique_ptr<RateConverter> converter;
  BlockSource* blocks = nullptr;
  uint64_t blockCount = 0;
};

// The blocks of a file's takes: every take is padded to whole blocks, and
// its length must still fit.
Status countBlocks(const ImportPreparation& prepared, RateHandling rate, uint64_t& blockCount) {
  uint64_t frames = prepared.format.frames;
  if (rate == RateHandling::Convert && NeedsRateConversion(prepared.format.sampleRate))
    frames = ConvertedFrameCount(frames, prepared.format.sampleRate);
  blockCount = (frames + ConversionBlockFrames - 1) / ConversionBlockFrames;
  if (blockCount * ConversionBlockFrames > uint64_t(TakeMaximumSamples))
    return Status::Fail(messages::SourceTooLong, prepared.path);
  return Status::Ok();
}

Status setUpRun(ImportPreparation& prepared, RateHandling rate, FileRun& run) {
  ImportSource& source = *prepared.source;
  run.prepared = &prepared;
  if (const Status counted = countBlocks(prepared, rate, run.blockCount); !counted.ok()) return counted;
  // Two channels as ever (a mono source in master mode fills both files
  // from its one), more when the file goes to more tracks.
  source.KeepChannels(uint32_t(std::max<size_t>(2, prepared.targets.InChannelOrder().size())));
  run.blocks = &source;
  if (rate == RateHandling::Convert && NeedsRateConversion(prepared.format.sampleRate)) {
    const Status created = RateConverter::Create(source, run.converter);
    if (!created.ok()) return Status::Fail(created.message(), prepared.path);
    run.blocks = run.converter.get();
  }
  return Status::Ok();
}

// Writes one file's takes and renames them into place together; the
// caller holds the song's lock.
ConversionResult runLocked(ProjectModel& model, FileRun& run, const ConversionHooks& hooks,
                           PipelineJob::OnAbort onAbort) {
  ImportPreparation& prepared = *run.prepared;
  std::vector<TargetTake> takes;
  const fs::path& namedAfter = prepared.namedAfter.empty() ? prepared.path : prepared.namedAfter;
  const Status created =
      createTargets(model, prepared.targets, TakeNameFromSourceFile(namedAfter), prepared.format.channels, takes);
  if (!created.ok()) return ConversionResult::Failure(created);

  PipelineJob job;
  job.source = run.blocks;
  // A second worker reads the same file at positions of its own; a file
  // libsndfile decodes front to back, and the resampler, which carries its
  // filter's state from block to block, are read by one.
  std::unique_ptr<ImportSource> helper = run.converter ? nullptr : prepared.source->SharedReader();
  if (helper) job.helperSources = {helper.get()};
  for (auto& take : takes) job.sinks.push_back(take.sink.get());
  job.frames = run.blockCount * ConversionBlockFrames;
  job.progressTotal = uint32_t(std::min<uint64_t>(prepared.format.frames, UINT32_MAX));
  job.writeFailure = messages::TakeNotWritten;
  job.onAbort = onAbort;
  ConversionResult result = RunPipeline(job, hooks);
  if (result.outputsKept) recordTargets(model, takes, int32_t(result.framesWritten));
  if (result.outcome == ConversionResult::Converted) result.notes = ImportNotes(prepared);
  return result;
}

// Under the song's lock, so that no other writer's take can appear between
// this look and the replacement.
Status refuseExisting(const ProjectModel& model, const std::vector<FileRun>& runs) {
  for (const FileRun& run : runs)
    if (const fs::path taken = firstTargetThatExists(model, run.prepared->targets); !taken.empty())
      return Status::Fail(messages::TargetHoldsTake, taken);
  return Status::Ok();
}

// Progress over a whole batch: each file's frames after those of the files
// before it, scaled down together when the sum outgrows 32 bits.
ConversionHooks batchHooks(const ConversionHooks& hooks, uint64_t before, uint64_t total) {
  if (!hooks.progress) return hooks;
  int shift = 0;
  while ((total >> shift) > UINT32_MAX) ++shift;
  ConversionHooks wrapped = hooks;
  wrapped.progress = [&hooks, before, total, shift](uint32_t position, uint32_t) {
    hooks.progress(uint32_t((before + position) >> shift), uint32_t(total >> shift));
  };
  return wrapped;
}

}  // namespace

ConversionResult ImportPrepared(ProjectModel& model, ImportPreparation& prepared, const ConversionHooks& hooks,
                                SongLock::Wait wait, RateHandling rate, ExistingTakes existing) {
  std::vector<FileRun> runs(1);
  // A file of a batch of one was closed after it was checked.
  Status ready = ReopenPrepared(prepared);
  if (ready.ok()) ready = setUpRun(prepared, rate, runs[0]);
  if (!ready.ok()) return ConversionResult::Failure(ready);
  SongLock lock;
  if (!lock.Acquire(model.ProjectFolder, wait)) return {ConversionResult::Failed, messages::SongInUse, {}, 0};
  if (existing == ExistingTakes::Refuse)
    if (const Status taken = refuseExisting(model, runs); !taken.ok()) return ConversionResult::Failure(taken);
  return runLocked(model, runs[0], hooks, PipelineJob::OnAbort::KeepNewFiles);
}

ConversionResult ImportBatch(ProjectModel& model, std::vector<ImportPreparation>& files,
                             const ConversionHooks& hooks, SongLock::Wait wait, RateHandling rate,
                             ExistingTakes existing, size_t* filesImported) {
  if (filesImported) *filesImported = 0;
  // Every file must fit in a take before the first is written.
  uint64_t total = 0, blocks = 0;
  for (const ImportPreparation& prepared : files) {
    if (const Status counted = countBlocks(prepared, rate, blocks); !counted.ok())
      return ConversionResult::Failure(counted);
    total += prepared.format.frames;
  }
  // One hold of the lock for every file: no other writer gets in between.
  SongLock lock;
  if (!lock.Acquire(model.ProjectFolder, wait)) return {ConversionResult::Failed, messages::SongInUse, {}, 0};
  std::vector<FileRun> runs(files.size());
  for (size_t n = 0; n < files.size(); ++n) runs[n].prepared = &files[n];
  if (existing == ExistingTakes::Refuse)
    if (const Status taken = refuseExisting(model, runs); !taken.ok()) return ConversionResult::Failure(taken);
  ConversionResult result{ConversionResult::Converted};
  std::vector<Note> notes;
  uint64_t before = 0;
  for (size_t n = 0; n < runs.size(); ++n) {
    // Each file is opened at its turn and closed after it, so that a batch
    // never holds more than one file open (the open-file limit), and it
    // must still hold what it held when the batch was checked.
    Status ready = ReopenPrepared(files[n]);
    if (ready.ok()) ready = setUpRun(files[n], rate, runs[n]);
    // A file stopped half-way is not kept: the files before it are whole,
    // the ones from it on as they were.
    result = ready.ok()
                 ? runLocked(model, runs[n], batchHooks(hooks, before, total), PipelineJob::OnAbort::KeepNothing)
                 : ConversionResult::Failure(ready);
    files[n].source.reset();
    if (result.outcome != ConversionResult::Converted) {
      if (n > 0) notes.push_back(BatchStoppedNote(files, n));
      result.notes = std::move(notes);
      return result;
    }
    notes.insert(notes.end(), result.notes.begin(), result.notes.end());
    before += files[n].format.frames;
    if (filesImported) *filesImported = n + 1;
  }
  result.notes = std::move(notes);
  return result;
}

}  // namespace tp
