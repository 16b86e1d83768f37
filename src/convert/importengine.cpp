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

// Creates the side file and header of each target: channel 0 to the first,
// channel 1 to the second, or channel 0 again for a mono source filling
// both files of a master take.
Status createTargets(const ProjectModel& model, const ImportTargets& targets, const std::string& takeName,
                     uint32_t sourceChannels, std::vector<TargetTake>& created) {
  const bool split = sourceChannels >= 2 && !targets.masterMode;
  for (int index = 0; index < 2; ++index) {
    const ImportTarget& target = index == 0 ? targets.first : targets.second;
    if (!target.used()) continue;
    TargetTake take{target, split ? EncodeNameFieldWithSuffix(takeName, index == 0 ? 'L' : 'R')
                                  : EncodeNameField(takeName), nullptr};
    std::unique_ptr<SafeFile> file;
    Status status = SafeFile::Create(PathForFile(model.ProjectFolder, targetFileName(target)),
                                     messages::TargetNotOpened, file);
    const uint32_t channel = (index == 1 && sourceChannels >= 2) ? 1 : 0;
    if (status.ok())
      status = TakeSink::Create(std::move(file), {uint32_t(index), uint32_t(target.track), take.name}, channel,
                                take.sink);
    if (!status.ok()) return status;
    created.push_back(std::move(take));
  }
  return Status::Ok();
}

// The first target that holds a take on the disk now, or an empty path.
fs::path firstTargetThatExists(const ProjectModel& model, const ImportTargets& targets) {
  for (const ImportTarget& target : {targets.first, targets.second}) {
    if (!target.used()) continue;
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

ConversionResult ImportPrepared(ProjectModel& model, ImportPreparation& prepared, const ConversionHooks& hooks,
                                SongLock::Wait wait, RateHandling rate, ExistingTakes existing) {
  ImportSource* source = prepared.source.get();
  const fs::path& sourcePath = prepared.path;
  const SourceFormat& format = prepared.format;
  const uint32_t channels = format.channels;
  const ImportTargets& targets = prepared.targets;

  BlockSource* blocks = source;
  uint64_t frames = format.frames;
  std::unique_ptr<RateConverter> converter;
  if (rate == RateHandling::Convert && NeedsRateConversion(format.sampleRate)) {
    const Status created = RateConverter::Create(*source, converter);
    if (!created.ok()) return ConversionResult::Failure(Status::Fail(created.message(), sourcePath));
    blocks = converter.get();
    frames = converter->Frames();
  }

  // Every take is padded to whole blocks; its length must still fit.
  const uint64_t blockCount = (frames + ConversionBlockFrames - 1) / ConversionBlockFrames;
  if (blockCount * ConversionBlockFrames > uint64_t(TakeMaximumSamples))
    return ConversionResult::Failure(Status::Fail(messages::SourceTooLong, sourcePath));

  SongLock lock;
  if (!lock.Acquire(model.ProjectFolder, wait)) return {ConversionResult::Failed, messages::SongInUse, {}, 0};
  // Held from here to the rename into place, so no other writer's take can
  // appear between this look and the replacement.
  if (existing == ExistingTakes::Refuse)
    if (const fs::path taken = firstTargetThatExists(model, targets); !taken.empty())
      return ConversionResult::Failure(Status::Fail(messages::TargetHoldsTake, taken));
  std::vector<TargetTake> takes;
  const Status created = createTargets(model, targets, TakeNameFromSourceFile(sourcePath), channels, takes);
  if (!created.ok()) return ConversionResult::Failure(created);

  PipelineJob job;
  job.source = blocks;
  // A second worker reads the same file at positions of its own; a FLAC
  // file, decoded front to back, and the resampler, which carries its
  // filter's state from block to block, are read by one.
  std::unique_ptr<ImportSource> helper = converter ? nullptr : source->SharedReader();
  if (helper) job.helperSources = {helper.get()};
  for (auto& take : takes) job.sinks.push_back(take.sink.get());
  job.frames = blockCount * ConversionBlockFrames;
  job.progressTotal = uint32_t(std::min<uint64_t>(format.frames, UINT32_MAX));
  job.writeFailure = messages::TakeNotWritten;
  ConversionResult result = RunPipeline(job, hooks);
  if (result.outputsKept)
    recordTargets(model, takes, int32_t(result.framesWritten));
  return result;
}

}  // namespace tp
