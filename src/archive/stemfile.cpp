#include "archive/stemfile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include <fcntl.h>

#include "audiofile/takefile.h"
#include "archive/hashedtakesource.h"
#include "convert/sinks.h"
#include "convert/sndfilebridge.h"
#include "convert/takesource.h"
#include "project/messages.h"
#include "project/namecodec.h"
#include "storage/sha256.h"

namespace tp {

Status OpenStemTakes(const StemSource& stem, StemTakes& open) {
  open.selection.takes[0] = stem.left;
  open.selection.labels[0] = stem.label;
  if (stem.right) {
    open.selection.takes[1] = *stem.right;
    open.selection.labels[1] = stem.label;
    open.selection.masterMode = true;  // left file to the left channel, right to the right
  }
  const Status opened = OpenSelectedTakes(open.selection, open.takes);
  if (!opened.ok()) return opened;
  open.takes.ReadInLargePieces();
  static const MixerSettings unused;
  if (stem.right) open.pair = std::make_unique<MixSource>(open.takes, open.selection, unused);
  else open.one = std::make_unique<OneTakeSource>(open.takes, 0, stem.label);
  return Status::Ok();
}

Status VerifyStem(const StemSource& stem, const std::filesystem::path& written, const std::filesystem::path& output) {
  StemTakes takes;
  Status status = OpenStemTakes(stem, takes);
  if (!status.ok()) return status;
  std::unique_ptr<ArchivedAudio> audio;
  status = ArchivedAudio::Open(written, true, audio);
  if (!status.ok()) return Status::Fail(messages::ArchiveFileNotVerified, output, status.systemError());
  BlockSource& source = takes.source();
  const uint32_t channels = source.Channels();
  if (audio->Channels() != channels || audio->SampleRate() != TakeSampleRate || audio->Frames() != stem.length)
    return Status::Fail(messages::ArchiveFileNotVerified, output);
  std::vector<int16_t> expected(size_t(channels) * ArchiveBlockFrames), found(expected.size());
  for (uint64_t position = 0; position < stem.length;) {
    const uint32_t frames = uint32_t(std::min<uint64_t>(ArchiveBlockFrames, stem.length - position));
    status = source.Read(expected.data(), frames);
    if (!status.ok()) return status;
    uint32_t got = 0;
    status = audio->Read(found.data(), frames, got);
    if (!status.ok()) return Status::Fail(messages::ArchiveFileNotVerified, output, status.systemError());
    if (got != frames || !std::equal(expected.begin(), expected.begin() + size_t(frames) * channels, found.begin()))
      return Status::Fail(messages::ArchiveFileNotVerified, output);
    position += frames;
  }
  return Status::Ok();
}

namespace {

// The file at `written` read back from the disk: its samples must hash to
// `samplesDigest`, the digest of the blocks it was written from, so that a
// verified archive does not read the recorder's disk a second time.
Status verifyWrittenSamples(const StemSource& stem, uint32_t channels, const std::filesystem::path& written,
                            const std::filesystem::path& output, const std::string& samplesDigest) {
  std::unique_ptr<ArchivedAudio> audio;
  Status status = ArchivedAudio::Open(written, true, audio);
  if (!status.ok()) return Status::Fail(messages::ArchiveFileNotVerified, output, status.systemError());
  if (audio->Channels() != channels || audio->SampleRate() != TakeSampleRate || audio->Frames() != stem.length)
    return Status::Fail(messages::ArchiveFileNotVerified, output);
  std::vector<int16_t> found(size_t(channels) * ArchiveBlockFrames);
  Sha256 sum;
  for (uint64_t position = 0; position < stem.length;) {
    const uint32_t frames = uint32_t(std::min<uint64_t>(ArchiveBlockFrames, stem.length - position));
    uint32_t got = 0;
    status = audio->Read(found.data(), frames, got);
    if (!status.ok()) return Status::Fail(messages::ArchiveFileNotVerified, output, status.systemError());
    if (got != frames) return Status::Fail(messages::ArchiveFileNotVerified, output);
    sum.Update(found.data(), size_t(frames) * channels * sizeof(int16_t));
    position += frames;
  }
  if (sum.HexDigest() != samplesDigest) return Status::Fail(messages::ArchiveFileNotVerified, output);
  return Status::Ok();
}

// The stem's file: FLAC through libsndfile, WAV and AIFF through our writer,
// which with `sum` hashes every byte as it writes it.
Status createStemSink(const std::filesystem::path& output, uint32_t channels, AudioFormat format, uint32_t frames,
                      Sha256* sum, std::unique_ptr<BlockSink>& sink) {
  std::unique_ptr<SafeFile> file;
  Status status = SafeFile::Create(output, messages::OutputNotCreated, file);
  if (!status.ok()) return status;
  if (format == FormatFlac) {
    std::unique_ptr<FlacSink> flac;
    status = FlacSink::Create(std::move(file), channels, flac);
    sink = std::move(flac);
    return status;
  }
  std::unique_ptr<AudioFileSink> audio;
  status = sum ? AudioFileSink::CreateHashed(std::move(file), channels, format, frames, *sum, audio)
               : AudioFileSink::Create(std::move(file), channels, format, audio);
  sink = std::move(audio);
  return status;
}

// A FLAC file (to be read back for its digest) and a verified one are synced
// on the worker that wrote them, before the read-back.
bool syncedBeforeReadBack(AudioFormat format, const StemChecks& checks) {
  return format == FormatFlac || checks.verify;
}

// The digest of the file as written: passed by our writer, or read back for
// FLAC, whose encoder rewrites its first block when it closes the file. A
// verified read-back must come from the disk: the data synced first, then
// its pages dropped, so that the cache cannot answer for the disk.
Status checkWrittenStem(const StemSource& stem, const std::filesystem::path& output, AudioFormat format,
                        SafeFile& written, Sha256& passing, HashedTakeSource& source, StemChecks& checks) {
  if (syncedBeforeReadBack(format, checks)) {
    if (!written.handle().Sync()) return Status::Fail(messages::OutputNotWritten, output, errno);
    if (checks.verify) ::posix_fadvise(written.handle().fd(), 0, 0, POSIX_FADV_DONTNEED);
  }
  if (format == FormatFlac) {
    const Status status = HashFile(written.writtenPath(), messages::OutputNotWritten, checks.sha256, checks.size);
    if (!status.ok()) return status;
  } else {
    checks.sha256 = passing.HexDigest();
    checks.size = written.handle().Size();
  }
  if (!checks.verify) return Status::Ok();
  const Status status =
      verifyWrittenSamples(stem, source.Channels(), written.writtenPath(), output, source.SamplesDigest());
  checks.verified = status.ok();
  return status;
}

ConversionResult exportCheckedStem(const StemSource& stem, const std::filesystem::path& output, AudioFormat format,
                                   const ConversionHooks& hooks, StemChecks& checks) {
  std::unique_ptr<HashedTakeSource> source;
  Status status = HashedTakeSource::Open(stem, source, checks.reader, checks.readOrder);
  if (!status.ok()) return ConversionResult::Failure(status);
  if (checks.verify) source->KeepSamplesDigest();
  Sha256 passing;
  std::unique_ptr<BlockSink> sink;
  status = createStemSink(output, source->Channels(), format, stem.length, &passing, sink);
  if (!status.ok()) return ConversionResult::Failure(status);
  PipelineJob job = WholeTakeJob(*source, *sink, stem.length, messages::OutputNotWritten);
  checks.verified = false;
  job.beforeCommit = [&]() -> Status {
    const Status checked = source->Finish(checks.takeRecords);
    if (!checked.ok()) return checked;
    return checkWrittenStem(stem, output, format, sink->Output(), passing, *source, checks);
  };
  if (checks.handOver) job.handOver = [&] { checks.written = sink->ReleaseOutput(); };
  job.startWriteBack = !checks.handOver || syncedBeforeReadBack(format, checks);
  return RunPipeline(job, hooks);
}

}  // namespace

ConversionResult ExportStem(const StemSource& stem, const std::filesystem::path& output, AudioFormat format,
                            const ConversionHooks& hooks, StemChecks* checks) {
  if (checks) return exportCheckedStem(stem, output, format, hooks, *checks);
  StemTakes takes;
  const Status opened = OpenStemTakes(stem, takes);
  if (!opened.ok()) return ConversionResult::Failure(opened);
  BlockSource& source = takes.source();
  std::unique_ptr<BlockSink> sink;
  const Status created = createStemSink(output, source.Channels(), format, stem.length, nullptr, sink);
  if (!created.ok()) return ConversionResult::Failure(created);
  return RunPipeline(WholeTakeJob(source, *sink, stem.length, messages::OutputNotWritten), hooks);
}

ConversionResult WriteStemUncommitted(const StemSource& stem, const std::filesystem::path& output, AudioFormat format,
                                      const ConversionHooks& hooks, std::unique_ptr<SafeFile>& written) {
  StemTakes takes;
  const Status opened = OpenStemTakes(stem, takes);
  if (!opened.ok()) return ConversionResult::Failure(opened);
  std::unique_ptr<BlockSink> sink;
  const Status created = createStemSink(output, takes.source().Channels(), format, stem.length, nullptr, sink);
  if (!created.ok()) return ConversionResult::Failure(created);
  PipelineJob job = WholeTakeJob(takes.source(), *sink, stem.length, messages::OutputNotWritten);
  job.handOver = [&] { written = sink->ReleaseOutput(); };
  return RunPipeline(job, hooks);
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

}  // namespace tp
