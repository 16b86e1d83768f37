#include "archive/restoretake.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>
#include <vector>

#include "audiofile/byteorder.h"
#include "audiofile/takefile.h"
#include "convert/importsource.h"
#include "convert/pipeline.h"
#include "convert/rateconverter.h"
#include "convert/sndfilebridge.h"
#include "project/messages.h"
#include "project/namefield.h"
#include "storage/safefile.h"
#include "storage/sha256.h"

namespace tp {

namespace fs = std::filesystem;

namespace {

// The archived audio file as blocks: exactly the frames asked for, or the
// file was edited (cut short) since the archive was made.
class ArchivedAudioSource final : public BlockSource {
 public:
  ArchivedAudioSource(ArchivedAudio& audio, fs::path path) : audio_(audio), path_(std::move(path)) {}
  uint32_t Channels() const override { return audio_.Channels(); }
  Status Read(int16_t* block, uint32_t frames) override {
    uint32_t got = 0;
    const Status status = audio_.Read(block, frames, got);
    if (!status.ok()) return status;
    if (got != frames) return Status::Fail(messages::ArchiveFileChanged, path_);
    return Status::Ok();
  }

 private:
  ArchivedAudio& audio_;
  fs::path path_;
};

// One channel of the blocks as the take file: the header first, then the
// take's `frames` samples, then the odd byte a recorder left after them;
// what the channel holds past the take (a master take's shorter side) must
// be silence. Every byte goes into the file's SHA-256 as it is written.
class RestoredTakeSink final : public BlockSink {
 public:
  RestoredTakeSink(std::unique_ptr<SafeFile> file, uint32_t channel, uint64_t frames, std::optional<uint8_t> tail)
      : file_(std::move(file)), channel_(channel), remaining_(frames), tail_(tail) {}

  Status Put(const uint8_t* bytes, size_t count) {
    sum_.Update(bytes, count);
    if (!file_->handle().Write(bytes, count))
      return Status::Fail(messages::RestoredFileNotWritten, file_->target(), errno);
    return Status::Ok();
  }
  Status Write(const int16_t* block, uint32_t frames, uint32_t channels) override {
    const uint32_t kept = uint32_t(std::min<uint64_t>(frames, remaining_));
    bytes_.resize(size_t(kept) * TakeBytesPerSample);
    for (uint32_t j = 0; j < kept; ++j) writeU16LE(&bytes_[2 * size_t(j)], uint16_t(block[size_t(j) * channels + channel_]));
    for (uint32_t j = kept; j < frames; ++j)
      if (block[size_t(j) * channels + channel_] != 0) silentAfterTake_ = false;
    remaining_ -= kept;
    return Put(bytes_.data(), bytes_.size());
  }
  Status Finish() override { return tail_ ? Put(&*tail_, 1) : Status::Ok(); }
  SafeFile& Output() override { return *file_; }
  std::unique_ptr<SafeFile> ReleaseOutput() override { return std::move(file_); }

  std::string Digest() { return sum_.HexDigest(); }
  bool SilentAfterTake() const { return silentAfterTake_; }

 private:
  std::unique_ptr<SafeFile> file_;
  uint32_t channel_;
  uint64_t remaining_;
  std::optional<uint8_t> tail_;
  bool silentAfterTake_ = true;
  Sha256 sum_;
  std::vector<uint8_t> bytes_;
};

// The take's header: as the recorder left it, or rebuilt by our header
// writer where the archive did not keep it.
std::vector<uint8_t> takeHeader(const ArchivedTakeFile& take, bool& rebuilt) {
  rebuilt = !take.record.headerKnown;
  if (!rebuilt) return take.record.HeaderBytes();
  return MakeTakeHeader(take.channelIndex, take.trackNumber, EncodeNameField(take.nameBytes));
}

// Where the take's samples come from: the archived audio as it is, or an
// edited file at another rate converted to 44,100 Hz as the import converts
// it, so that it keeps its pitch and length.
struct TakeSamples {
  std::unique_ptr<ArchivedAudioSource> asArchived;
  std::unique_ptr<ImportSource> edited;
  std::unique_ptr<RateConverter> converter;
  BlockSource* source = nullptr;
  uint64_t frames = 0;  // the take's samples
  uint64_t framesToRead = 0;
};

Status openTakeSamples(ArchivedAudio& audio, const fs::path& audioPath, const ArchivedTakeFile& take, bool asChanged,
                       TakeSamples& samples) {
  samples.asArchived = std::make_unique<ArchivedAudioSource>(audio, audioPath);
  samples.source = samples.asArchived.get();
  samples.frames = asChanged ? std::min<uint64_t>(audio.Frames(), uint64_t(TakeMaximumSamples)) : take.record.Samples();
  samples.framesToRead = asChanged ? samples.frames : take.outputFrames;
  if (!asChanged || audio.SampleRate() == double(TakeSampleRate)) return Status::Ok();
  Status status = OpenImportSource(audioPath, samples.edited);
  if (status.ok()) status = RateConverter::Create(*samples.edited, samples.converter);
  if (!status.ok()) return status;
  samples.frames = samples.framesToRead = std::min<uint64_t>(samples.converter->Frames(), uint64_t(TakeMaximumSamples));
  if (samples.converter->Channels() <= take.channel) return Status::Fail(messages::ArchiveFileChanged, audioPath);
  samples.source = samples.converter.get();
  return Status::Ok();
}

// The file as the archive recorded it: its samples all there, silence past
// them, and (with a recorded header) its SHA-256. Anything else was edited
// after the archive was made, which only `allowChanged` accepts.
Status checkRestored(RestoredTakeSink& sink, const ArchivedTakeFile& take, bool asChanged, const fs::path& audioPath,
                     const RestoreOptions& options, RestoredFile& result) {
  if (asChanged) {
    result.takenAsChanged = true;
    return Status::Ok();
  }
  const std::string digest = sink.Digest();
  const bool recordedSum = take.record.headerKnown && !take.record.sha256.empty();
  if (sink.SilentAfterTake() && (!recordedSum || digest == take.record.sha256)) return Status::Ok();
  if (!options.allowChanged) return Status::Fail(messages::ArchiveFileChanged, audioPath);
  result.takenAsChanged = true;
  return Status::Ok();
}

RestoredFile failed(Status status) { return {RestoredFile::Failed, std::move(status), false, false}; }

}  // namespace

RestoredFile RestoreTakeFile(const fs::path& archiveFolder, const ArchivedTakeFile& take, const fs::path& target,
                             const RestoreOptions& options, const ConversionHooks& hooks) {
  const fs::path audioPath = archiveFolder / take.output;
  std::unique_ptr<ArchivedAudio> audio;
  Status status = ArchivedAudio::Open(audioPath, false, audio);
  if (!status.ok()) return failed(status);
  // The audio file as it was written: the channel, the rate and exactly the
  // take's length. Anything else was edited after the archive was made.
  const bool sameShape = audio->Channels() > take.channel && audio->SampleRate() == TakeSampleRate &&
                         audio->Frames() == take.outputFrames && take.record.Samples() <= take.outputFrames;
  if (!sameShape && (!options.allowChanged || audio->Channels() <= take.channel))
    return failed(Status::Fail(messages::ArchiveFileChanged, audioPath));
  const bool asChanged = !sameShape;

  TakeSamples samples;
  status = openTakeSamples(*audio, audioPath, take, asChanged, samples);
  if (!status.ok()) return failed(status);
  std::unique_ptr<SafeFile> file;
  status = SafeFile::Create(target, messages::RestoredFileNotWritten, file);
  if (!status.ok()) return failed(status);
  RestoredFile result;
  RestoredTakeSink sink(std::move(file), take.channel, samples.frames,
                        asChanged ? std::nullopt : take.record.tail);
  const std::vector<uint8_t> header = takeHeader(take, result.headerRebuilt);
  if (status = sink.Put(header.data(), header.size()); !status.ok()) return failed(status);
  PipelineJob job = WholeTakeJob(*samples.source, sink, samples.framesToRead, messages::RestoredFileNotWritten);
  job.beforeCommit = [&] { return checkRestored(sink, take, asChanged, audioPath, options, result); };
  const ConversionResult converted = RunPipeline(job, hooks);
  if (converted.outcome == ConversionResult::Aborted) return {RestoredFile::Aborted, {}, false, false};
  if (converted.outcome == ConversionResult::Failed) return failed(converted.status);
  return result;
}

}  // namespace tp
