#include "archive/restore.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <functional>
#include <set>
#include <system_error>
#include <thread>

#include <fcntl.h>

#include "audiofile/byteorder.h"
#include "audiofile/takefile.h"
#include "convert/importsource.h"
#include "convert/rateconverter.h"
#include "convert/sndfilebridge.h"
#include "project/messages.h"
#include "project/namefield.h"
#include "storage/filehandle.h"
#include "storage/safefile.h"
#include "storage/sha256.h"

namespace tp {

namespace fs = std::filesystem;

namespace {

enum class Outcome { NotStarted, Done, Failed, Aborted };

struct FileResult {
  Outcome outcome = Outcome::Done;
  Status status;
  bool headerRebuilt = false, takenAsChanged = false;
};

FileResult failed(Status status) { return {Outcome::Failed, std::move(status), false, false}; }

std::array<uint8_t, 8> nameField(const std::string& nameBytes) {
  std::array<uint8_t, 8> field;
  field.fill(' ');
  for (size_t i = 0; i < field.size() && i < nameBytes.size(); ++i) field[i] = uint8_t(nameBytes[i]);
  return field;
}

// Writes `bytes` to the file and the running sum.
bool put(SafeFile& file, Sha256& sum, const uint8_t* bytes, size_t count) {
  sum.Update(bytes, count);
  return file.handle().Write(bytes, count);
}

// What copying a take's samples out of its archived audio gave.
struct SampleCopy {
  Status status;
  bool aborted = false;
  bool silentAfterTake = true;  // the channel held only silence past the take's end
};

// Copies `framesToRead` frames of the take's channel from `audio` into
// `file` (the first `frames` of them; the rest must be silence).
// Reads up to `wanted` frames of the archived audio; `got` says how many came.
using FrameReader = std::function<Status(int16_t* block, uint32_t wanted, uint32_t& got)>;

SampleCopy copyTakeSamples(const FrameReader& read, uint32_t channels, const ArchivedTakeFile& take,
                           const fs::path& audioPath, const fs::path& target, SafeFile& file, Sha256& sum,
                           uint64_t frames, uint64_t framesToRead, const ConversionHooks& hooks) {
  SampleCopy copy;
  std::vector<int16_t> block(size_t(channels) * ArchiveBlockFrames);
  std::vector<uint8_t> bytes(size_t(ArchiveBlockFrames) * TakeBytesPerSample);
  for (uint64_t position = 0; position < framesToRead;) {
    if (hooks.betweenBlocks && hooks.betweenBlocks()) {
      copy.aborted = true;
      return copy;
    }
    const uint32_t wanted = uint32_t(std::min<uint64_t>(ArchiveBlockFrames, framesToRead - position));
    uint32_t got = 0;
    copy.status = read(block.data(), wanted, got);
    if (!copy.status.ok()) return copy;
    if (got != wanted) {
      copy.status = Status::Fail(messages::ArchiveFileChanged, audioPath);
      return copy;
    }
    // A master take's shorter side ends before the audio file does; past
    // its end that channel holds silence, and anything else is an edit.
    const uint32_t kept = uint32_t(std::min<uint64_t>(got, position < frames ? frames - position : 0));
    for (uint32_t j = 0; j < kept; ++j) writeU16LE(&bytes[2 * size_t(j)], uint16_t(block[size_t(j) * channels + take.channel]));
    for (uint32_t j = kept; j < got; ++j)
      if (block[size_t(j) * channels + take.channel] != 0) copy.silentAfterTake = false;
    if (!put(file, sum, bytes.data(), size_t(kept) * TakeBytesPerSample)) {
      copy.status = Status::Fail(messages::RestoredFileNotWritten, target, errno);
      return copy;
    }
    position += got;
    if (WriteBackDue(position)) file.StartWriteBack();
  }
  return copy;
}

// The take's header: as the recorder left it, or rebuilt by our header
// writer where the archive did not keep it.
std::vector<uint8_t> takeHeader(const ArchivedTakeFile& take, bool& rebuilt) {
  rebuilt = !take.record.headerKnown;
  if (!rebuilt) return take.record.HeaderBytes();
  return MakeTakeHeader(take.channelIndex, take.trackNumber, nameField(take.nameBytes));
}

// Where the take's samples come from: the archived audio as it is, or an
// edited file at another rate converted to 44,100 Hz as the import converts
// it, so that it keeps its pitch and length.
struct TakeReader {
  FrameReader read;
  uint32_t channels = 0;
  uint64_t frames = 0;
  std::unique_ptr<ImportSource> edited;
  std::unique_ptr<RateConverter> converter;
};

Status openTakeReader(ArchivedAudio& audio, const fs::path& audioPath, const ArchivedTakeFile& take, bool asChanged,
                      uint64_t frames, TakeReader& reader) {
  reader.read = [&audio](int16_t* block, uint32_t wanted, uint32_t& got) { return audio.Read(block, wanted, got); };
  reader.channels = audio.Channels();
  reader.frames = frames;
  if (!asChanged || audio.SampleRate() == double(TakeSampleRate)) return Status::Ok();
  Status status = OpenImportSource(audioPath, reader.edited);
  if (status.ok()) status = RateConverter::Create(*reader.edited, reader.converter);
  if (!status.ok()) return status;
  RateConverter* converter = reader.converter.get();
  reader.frames = std::min<uint64_t>(converter->Frames(), uint64_t(TakeMaximumSamples));
  reader.channels = converter->Channels();
  if (reader.channels <= take.channel) return Status::Fail(messages::ArchiveFileChanged, audioPath);
  reader.read = [converter](int16_t* block, uint32_t wanted, uint32_t& got) {
    got = wanted;
    return converter->Read(block, wanted);
  };
  return Status::Ok();
}

FileResult restoreTakeFile(const fs::path& archiveFolder, const ArchivedTakeFile& take, const fs::path& target,
                           const RestoreOptions& options, const ConversionHooks& hooks) {
  const fs::path audioPath = archiveFolder / take.output;
  std::unique_ptr<ArchivedAudio> audio;
  Status status = ArchivedAudio::Open(audioPath, false, audio);
  if (!status.ok()) return failed(status);
  const TakeFileRecord& record = take.record;
  const uint32_t samples = record.Samples();
  // The audio file as it was written: the channel, the rate and exactly the
  // take's length. Anything else was edited after the archive was made.
  const bool sameShape = audio->Channels() > take.channel && audio->SampleRate() == TakeSampleRate &&
                         audio->Frames() == take.outputFrames && samples <= take.outputFrames;
  if (!sameShape && (!options.allowChanged || audio->Channels() <= take.channel))
    return failed(Status::Fail(messages::ArchiveFileChanged, audioPath));
  const bool asChanged = !sameShape;
  const uint64_t frames = asChanged ? std::min<uint64_t>(audio->Frames(), uint64_t(TakeMaximumSamples)) : samples;

  std::unique_ptr<SafeFile> file;
  status = SafeFile::Create(target, messages::RestoredFileNotWritten, file);
  if (!status.ok()) return failed(status);
  auto writeFailure = [&] { return failed(Status::Fail(messages::RestoredFileNotWritten, target, errno)); };

  Sha256 sum;
  FileResult result;
  const std::vector<uint8_t> header = takeHeader(take, result.headerRebuilt);
  if (!put(*file, sum, header.data(), header.size())) return writeFailure();

  TakeReader reader;
  status = openTakeReader(*audio, audioPath, take, asChanged, frames, reader);
  if (!status.ok()) return failed(status);
  const SampleCopy copy = copyTakeSamples(reader.read, reader.channels, take, audioPath, target, *file, sum,
                                         reader.frames, asChanged ? reader.frames : take.outputFrames, hooks);
  if (copy.aborted) return {Outcome::Aborted, {}, false, false};
  if (!copy.status.ok()) return failed(copy.status);
  if (!asChanged && record.tail) {
    const uint8_t tail = *record.tail;
    if (!put(*file, sum, &tail, 1)) return writeFailure();
  }
  const std::string digest = sum.HexDigest();
  if (!asChanged && (!copy.silentAfterTake || (record.headerKnown && !record.sha256.empty() && digest != record.sha256))) {
    if (!options.allowChanged) return failed(Status::Fail(messages::ArchiveFileChanged, audioPath));
    result.takenAsChanged = true;
  }
  result.takenAsChanged = result.takenAsChanged || asChanged;
  status = file->Commit(messages::RestoredFileNotWritten);
  if (!status.ok()) return failed(status);
  return result;
}

FileResult restoreOtherFile(const fs::path& archiveFolder, const ArchivedOtherFile& other, const fs::path& target,
                            const ConversionHooks& hooks) {
  const fs::path copy = archiveFolder / other.copy;
  FileHandle source = FileHandle::Open(copy, O_RDONLY);
  if (!source.valid()) return failed(Status::Fail(messages::SourceNotRead, copy, errno));
  std::unique_ptr<SafeFile> file;
  Status status = SafeFile::Create(target, messages::RestoredFileNotWritten, file);
  if (!status.ok()) return failed(status);
  Sha256 sum;
  std::vector<uint8_t> block(1 << 20);
  int64_t size = 0;
  for (;;) {
    if (hooks.betweenBlocks && hooks.betweenBlocks()) return {Outcome::Aborted, {}, false, false};
    const ssize_t got = source.Read(block.data(), block.size());
    if (got < 0) return failed(Status::Fail(messages::SourceNotRead, copy, errno));
    if (got == 0) break;
    if (!put(*file, sum, block.data(), size_t(got)))
      return failed(Status::Fail(messages::RestoredFileNotWritten, target, errno));
    size += got;
  }
  if (size != other.size || (!other.sha256.empty() && sum.HexDigest() != other.sha256))
    return failed(Status::Fail(messages::RestoredFileMismatch, copy));
  status = file->Commit(messages::RestoredFileNotWritten);
  if (!status.ok()) return failed(status);
  return {};
}

// Take files are independent of each other: two workers restore them, each
// file whole on one worker, so that one file's reading and hashing overlaps
// the other's. A stop ends both between blocks; the files not started then
// stay NotStarted.
constexpr int RestoreWorkerCount = 2;

std::vector<FileResult> restoreTakeFiles(const fs::path& archiveFolder, const ArchiveManifest& manifest,
                                         const fs::path& destination, const RestoreOptions& options,
                                         const ConversionHooks& hooks) {
  const auto& takes = manifest.takeFiles;
  std::vector<FileResult> results(takes.size(), FileResult{Outcome::NotStarted, {}, false, false});
  std::atomic<size_t> next{0};
  std::atomic<bool> stopped{false};
  auto work = [&] {
    for (size_t n = next++; n < takes.size() && !stopped.load(); n = next++) {
      results[n] = restoreTakeFile(archiveFolder, takes[n], destination / takes[n].record.file, options, hooks);
      if (results[n].outcome == Outcome::Aborted) stopped = true;
    }
  };
  std::vector<std::thread> helpers;
  for (int i = 1; i < RestoreWorkerCount && takes.size() > size_t(i); ++i) {
    try {
      helpers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // this thread alone restores them all
    }
  }
  work();
  for (auto& helper : helpers) helper.join();
  return results;
}

// A name from a manifest becomes one file of the song folder: never a path
// that climbs out of it or into a subfolder.
bool isPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

}  // namespace

RestoreReport RestoreSong(const fs::path& archiveFolder, const ArchiveManifest& manifest, const fs::path& destination,
                          const RestoreOptions& options, const ConversionHooks& hooks) {
  RestoreReport report;
  std::set<std::string> targets;
  std::error_code error;
  for (const auto& take : manifest.takeFiles) targets.insert(take.record.file);
  for (const auto& other : manifest.otherFiles) targets.insert(other.file);
  for (const std::string& name : targets) {
    if (!isPlainFileName(name)) {
      report.failures.push_back(Status::Fail(messages::ArchiveNotRead, archiveFolder / ArchiveManifestName));
      return report;
    }
    if (fs::exists(destination / name, error) || fs::is_symlink(destination / name, error))
      report.existing.push_back(destination / name);
  }
  if (!report.existing.empty() && !options.force) return report;
  report.existing.clear();
  fs::create_directories(destination, error);
  if (error) {
    report.failures.push_back(Status::Fail(messages::RestoredFileNotWritten, destination, error.value()));
    return report;
  }
  const std::vector<FileResult> results = restoreTakeFiles(archiveFolder, manifest, destination, options, hooks);
  // Reported in the manifest's order, whichever worker finished first: a
  // file after a stopped one may be complete, and is then restored.
  for (size_t n = 0; n < results.size(); ++n) {
    const FileResult& result = results[n];
    const fs::path target = destination / manifest.takeFiles[n].record.file;
    if (result.outcome == Outcome::NotStarted) continue;
    if (result.outcome == Outcome::Aborted) {
      report.aborted = true;
      continue;
    }
    if (result.outcome == Outcome::Failed) {
      report.failures.push_back(result.status);
      continue;
    }
    report.restored.push_back(target);
    if (result.headerRebuilt) report.rebuiltHeaders.push_back(target);
    if (result.takenAsChanged) report.takenAsChanged.push_back(target);
  }
  for (size_t i = 0; !report.aborted && i < manifest.otherFiles.size(); ++i) {
    const auto& other = manifest.otherFiles[i];
    const fs::path target = destination / other.file;
    const FileResult result = restoreOtherFile(archiveFolder, other, target, hooks);
    if (result.outcome == Outcome::Aborted) report.aborted = true;
    else if (result.outcome == Outcome::Failed) report.failures.push_back(result.status);
    else report.restored.push_back(target);
  }
  for (fs::directory_iterator it(destination, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (!targets.count(name) && !IsSideFileName(name)) report.kept.push_back(it->path());
  }
  std::sort(report.kept.begin(), report.kept.end());
  return report;
}

std::vector<fs::path> FindArchiveFolders(const fs::path& root) {
  std::vector<fs::path> found;
  std::error_code error;
  if (fs::is_regular_file(root / ArchiveManifestName, error)) found.push_back(root);
  fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error), end;
  for (; !error && it != end; it.increment(error)) {
    if (it->is_symlink(error) || !it->is_directory(error)) continue;
    if (fs::is_regular_file(it->path() / ArchiveManifestName, error)) found.push_back(it->path());
  }
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace tp
