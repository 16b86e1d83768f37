#include "archive/archiverun.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
#include <system_error>

#include "archive/hashedcopy.h"
#include "archive/manifest.h"
#include "archive/stemworkers.h"
#include "audiofile/takefile.h"
#include "project/messages.h"
#include "storage/songlock.h"
#include "storage/safefile.h"
#include "storage/sha256.h"

namespace tp {

namespace fs = std::filesystem;

namespace {

struct FailedItem {
  const ArchiveItem* item;
  std::string reason;
};

// A file written (or, when resuming, found complete) and what the
// manifest says of it.
struct WrittenItem {
  const ArchiveItem* item;
  std::vector<TakeFileRecord> records;  // one per take file
  std::string outputSha256;
  int64_t outputSize = 0;
  bool verified = false;
};

struct SongArchive {
  std::vector<WrittenItem> written;
  std::vector<FailedItem> failed;
  std::vector<ArchivedOtherFile> copies;
  std::vector<ArchivedCompanionFile> companions;  // the request's companion file, once written
};

// True when the take file on the disk now is the one the record describes:
// its size and, read again, its SHA-256. Sizes alone match another song's
// takes of the same lengths.
bool sameTakeFile(const fs::path& takeFile, const TakeFileRecord& record) {
  std::string sha256;
  int64_t size = 0;
  return !record.sha256.empty() && HashFile(takeFile, messages::TakeNotRead, sha256, size).ok() &&
         size == record.size && sha256 == record.sha256;
}

// With --verify, a kept file is read again and must still be what the
// manifest says it wrote; one that differs is written anew.
bool outputStillAsWritten(const fs::path& output, const std::string& recordedSha256) {
  std::string sha256;
  int64_t size = 0;
  return HashFile(output, messages::SourceNotRead, sha256, size).ok() && sha256 == recordedSha256;
}

// When resuming: the earlier run's record of `item`, when that run wrote
// it completely (and verified it, if verifying is asked now), the manifest
// is this song's (its folder) and the take files are still the ones it
// recorded (their SHA-256).
std::optional<WrittenItem> completeBefore(const ArchiveRequest& request, const ArchiveSongPlan& plan,
                                          const ArchiveItem& item) {
  if (!plan.previous || plan.previous->folder != plan.relativeFolder) return std::nullopt;
  std::error_code error;
  if (!fs::is_regular_file(fs::symlink_status(item.output, error))) return std::nullopt;
  WrittenItem found{&item, {}, {}, 0, true};
  for (const fs::path& takeFile : item.takeFiles) {
    const ArchivedTakeFile* match = nullptr;
    for (const ArchivedTakeFile& entry : plan.previous->takeFiles)
      if (entry.record.file == takeFile.filename().string() && entry.output == item.output.filename().string())
        match = &entry;
    if (!match || !match->record.headerKnown || match->outputSha256.empty()) return std::nullopt;
    if (request.verify && !match->verified) return std::nullopt;
    if (!sameTakeFile(takeFile, match->record)) return std::nullopt;
    if (request.verify && !outputStillAsWritten(item.output, match->outputSha256)) return std::nullopt;
    found.records.push_back(match->record);
    found.outputSha256 = match->outputSha256;
    found.verified = found.verified && match->verified;
  }
  found.outputSize = int64_t(fs::file_size(item.output, error));
  return found;
}

ArchivedTakeId idOf(const ArchiveItem& item) { return {item.track, item.take}; }

ArchivedAudioFile audioFileOf(const ArchiveItem& item) {
  ArchivedAudioFile file{idOf(item), item.nameBytes, item.source.length, {item.source.left.filename().string()},
                         item.output.filename().string()};
  if (item.source.right) file.sources.push_back(item.source.right->filename().string());
  return file;
}

ArchivedTakeFile takeFileOf(const WrittenItem& written, size_t side) {
  const ArchiveItem& item = *written.item;
  ArchivedTakeFile take;
  take.record = written.records[side];
  take.output = item.output.filename().string();
  take.channel = uint32_t(side);
  take.outputFrames = item.source.length;
  take.outputSha256 = written.outputSha256;
  take.verified = written.verified;
  take.trackNumber = item.track < 0 ? uint32_t(side == 0 ? MasterLeftTrackNumber : MasterRightTrackNumber)
                                    : uint32_t(item.track);
  take.channelIndex = uint32_t(side);
  take.nameBytes = item.nameBytes;
  return take;
}

ArchiveManifest manifestOf(const ArchiveSongPlan& plan, const SongArchive& song) {
  ArchiveManifest manifest;
  manifest.version = ArchiveManifestVersion;
  manifest.project = ArchiveNameText(plan.nameBytes);
  manifest.folder = plan.relativeFolder;
  manifest.source = fs::absolute(plan.folder).lexically_normal().string();
  for (const WrittenItem& written : song.written) {
    manifest.files.push_back(audioFileOf(*written.item));
    for (size_t side = 0; side < written.records.size(); ++side)
      manifest.takeFiles.push_back(takeFileOf(written, side));
  }
  manifest.otherFiles = song.copies;
  manifest.companions = song.companions;
  for (const FailedItem& failed : song.failed) manifest.failed.push_back({idOf(*failed.item), failed.reason});
  return manifest;
}

// One line of sha256sum's format; a name holding a backslash or a newline
// is escaped and the line marked with a leading backslash, as sha256sum does.
std::string checksumLine(const std::string& sha256, const std::string& name) {
  std::string escaped;
  bool marked = false;
  for (char c : name) {
    if (c == '\\') escaped += "\\\\", marked = true;
    else if (c == '\n') escaped += "\\n", marked = true;
    else escaped += c;
  }
  return (marked ? "\\" : "") + sha256 + "  " + escaped + "\n";
}

Status writeChecksums(const fs::path& folder, const std::string& manifestText, const SongArchive& song) {
  std::vector<std::pair<std::string, std::string>> lines;  // name, sum
  for (const WrittenItem& written : song.written)
    lines.emplace_back(written.item->output.filename().string(), written.outputSha256);
  Sha256 sum;
  sum.Update(manifestText.data(), manifestText.size());
  lines.emplace_back(ArchiveManifestName, sum.HexDigest());
  for (const ArchivedOtherFile& copy : song.copies) lines.emplace_back(copy.copy, copy.sha256);
  for (const ArchivedCompanionFile& companion : song.companions) lines.emplace_back(companion.file, companion.sha256);
  std::sort(lines.begin(), lines.end());
  std::string text;
  for (const auto& [name, sha256] : lines) text += checksumLine(sha256, name);
  return WriteArchiveText(folder / ArchiveChecksumsName, text);
}

// The manifest, then (`withSums`) the sums that include it. The manifest is
// rewritten after a file at most once a second (ArchiveRun::record), so that
// an archive stopped anywhere, even by a power cut, describes about what it
// holds and a resumed run can go on; the sums follow when the song is done
// (or stopped), which saves a synced write per file: a resumed archive
// writes them anew.
Status writeManifestAndSums(const ArchiveSongPlan& plan, const SongArchive& song, bool withSums) {
  std::string text;
  const Status status = WriteArchiveManifest(plan.outputFolder, manifestOf(plan, song), text);
  if (!status.ok() || !withSums) return status;
  return writeChecksums(plan.outputFolder, text, song);
}

// One run of the archive: the totals and the running counts that the
// progress events report.
class ArchiveRun {
 public:
  ArchiveRun(const ArchiveRequest& request, const std::vector<ArchiveSongPlan>& plans, const ArchiveEvents& events)
      : request_(request), plans_(plans), events_(events) {
    for (const auto& plan : plans)
      for (const auto& item : plan.items) {
        totalBytes_ += ArchiveItemBytes(item);
        ++totalFiles_;
      }
  }

  ArchiveTotals Run() {
    for (size_t p = 0; p < plans_.size() && !totals_.stopped; ++p) archiveSong(p);
    return totals_;
  }

 private:
  static uint64_t bytesPerFrame(const ArchiveItem& item) { return item.source.right ? 4 : 2; }

  bool stop() const { return events_.stopRequested && events_.stopRequested(); }
  void fail(const std::string& message) {
    totals_.anyFailed = true;
    if (events_.failure) events_.failure(message);
  }
  void progress(size_t song) {
    if (events_.progress)
      events_.progress({song + 1, plans_.size(), fileNumber_, totalFiles_, doneBytes_, totalBytes_});
  }

  // After a file, the manifest is rewritten when a second has passed since
  // it last was: a synced write per file would cost more than a short take
  // itself, and a resumed archive writes again what it does not list.
  void record(const ArchiveSongPlan& plan, const SongArchive& song, bool songDone) {
    const auto now = std::chrono::steady_clock::now();
    if (!songDone && now - lastRecorded_ < std::chrono::seconds(1)) return;
    lastRecorded_ = now;
    const Status status = writeManifestAndSums(plan, song, songDone);
    if (!status.ok()) fail(plan.outputFolder.string() + ": the manifest could not be written: " + status.Text());
  }

  void archiveSong(size_t p) {
    ArchiveSongPlan& plan = plans_[p];
    // No writer changes the song while it is read, from the first read of
    // its plan to its last file; other readers may.
    SongLock lock;
    if (!lock.Acquire(plan.folder, request_.wait, SongLock::Mode::Reader)) {
      fail(plan.folder.string() + ": " + messages::SongInUse);
      totals_.stopped = stop();
      return;
    }
    if (const Status replanned = ReplanArchiveSong(request_, plan); !replanned.ok()) {
      fail(plan.folder.string() + ": " + replanned.Text());
      return;
    }
    for (const auto& message : plan.missing) fail(plan.folder.string() + ": " + message);
    if (events_.note)
      for (const auto& subfolder : plan.subfolders)
        events_.note(plan.folder.string() + ": the folder \"" + subfolder.filename().string() +
                     "\" inside the song is not part of its archive");
    std::error_code error;
    fs::create_directories(plan.outputFolder / ArchiveRecorderFolder, error);
    if (error) {
      fail(plan.outputFolder.string() + ": the folder could not be created: " + error.message());
      return;
    }
    // What an earlier run completed is kept; the rest is written by the
    // workers, heard of here in order. The song's other files (small) are
    // copied first, so that the workers' one reader has the disk to itself;
    // the first manifest overlaps their work.
    std::vector<std::optional<WrittenItem>> before;
    std::vector<const ArchiveItem*> toWrite;
    for (const ArchiveItem& item : plan.items) {
      before.push_back(completeBefore(request_, plan, item));
      if (!before.back()) toWrite.push_back(&item);
    }
    SongArchive song;
    copyOtherFiles(plan, song);
    StemWorkers workers(toWrite, request_.format, request_.verify);
    lastRecorded_ = std::chrono::steady_clock::now();
    record(plan, song, true);
    size_t nextWritten = 0;
    for (size_t i = 0; i < plan.items.size(); ++i) {
      ++fileNumber_;
      if (totals_.stopped = stop(); totals_.stopped) break;
      if (before[i]) keepItem(plan, plan.items[i], std::move(*before[i]), song);
      else if (!archiveItem(p, plan.items[i], song, workers.Finish(nextWritten++, pollFor(p, plan.items[i]))))
        break;
    }
    if (!totals_.stopped) writeCompanion(plan, song);
    record(plan, song, true);
    if (!song.written.empty()) ++totals_.songs;
  }

  // The request's companion of a song whose files are all done (not of a
  // stopped one: a resumed run writes it).
  void writeCompanion(const ArchiveSongPlan& plan, SongArchive& song) {
    if (!request_.companion) return;
    std::vector<const ArchiveItem*> written;
    for (const WrittenItem& item : song.written) written.push_back(item.item);
    ArchivedCompanionFile companion{request_.companion->name(plan), 0, {}};
    const fs::path target = plan.outputFolder / companion.file;
    const ConversionResult result = request_.companion->write(plan, written, target, [this] { return stop(); });
    if (result.outcome == ConversionResult::Aborted) {
      totals_.stopped = true;
      return;
    }
    Status status = Status::Ok();
    if (result.outcome == ConversionResult::Failed)
      status = result.status.ok() ? Status::Fail(result.message, target) : result.status;
    if (status.ok()) status = HashFile(target, messages::SourceNotRead, companion.sha256, companion.size);
    if (!status.ok()) {
      fail(plan.folder.string() + ": " + status.Text());
      return;
    }
    song.companions.push_back(std::move(companion));
    if (events_.note)
      for (const std::string& note : NoteLines(result)) events_.note(plan.folder.string() + ": " + note);
    if (events_.written) events_.written(target);
  }

  void copyOtherFiles(const ArchiveSongPlan& plan, SongArchive& song) {
    for (const fs::path& other : plan.otherFiles) {
      const std::string name = other.filename().string();
      const std::string copy = ArchiveCopyPath(name);
      HashedCopy copied;
      const Status status = CopyHashed(
          {other, plan.outputFolder / copy, messages::OutputNotCreated, messages::OutputNotWritten, {}, {}}, copied);
      if (!status.ok()) {
        fail(plan.folder.string() + ": " + status.Text());
        continue;
      }
      song.copies.push_back({name, copied.size, copied.sha256, copy});
      ++totals_.songFiles;
    }
  }

  // An item an earlier run completed, as it recorded it.
  void keepItem(const ArchiveSongPlan& plan, const ArchiveItem& item, WrittenItem before, SongArchive& song) {
    doneBytes_ += ArchiveItemBytes(item);
    totals_.verified += before.verified ? 1 : 0;
    ++totals_.skipped;
    totals_.songFiles += item.takeFiles.size();
    totals_.samples += item.source.length;
    song.written.push_back(std::move(before));
    record(plan, song, false);
  }

  // While a worker writes `item`: its progress, and whether to stop.
  std::function<bool(uint32_t)> pollFor(size_t p, const ArchiveItem& item) {
    progress(p);
    itemStartBytes_ = doneBytes_;
    return [this, p, &item, shown = uint32_t(0)](uint32_t framesDone) mutable {
      if (framesDone != shown) {
        shown = framesDone;
        doneBytes_ = itemStartBytes_ + framesDone * bytesPerFrame(item);
        progress(p);
      }
      return stop();
    };
  }

  // What became of one file of song `p` that a worker wrote; false when
  // the archive was stopped.
  bool archiveItem(size_t p, const ArchiveItem& item, SongArchive& song, StemOutcome outcome) {
    const ArchiveSongPlan& plan = plans_[p];
    const ConversionResult& result = outcome.result;
    if (result.outcome == ConversionResult::Aborted) {
      totals_.stopped = true;
      return false;
    }
    doneBytes_ = itemStartBytes_ + ArchiveItemBytes(item);
    if (result.outcome == ConversionResult::Failed) {
      const std::string reason = result.Text();
      fail(plan.folder.string() + ", " + item.label + ": " + reason);
      song.failed.push_back({&item, reason});
      record(plan, song, false);
      return true;
    }
    StemChecks& checks = outcome.checks;
    // Into place in the files' order: a stopped archive holds the files
    // before some point, and the manifest lists exactly those.
    const Status committed = checks.written->Commit(messages::OutputNotWritten);
    if (!committed.ok()) {
      fail(plan.folder.string() + ", " + item.label + ": " + committed.Text());
      song.failed.push_back({&item, committed.Text()});
      record(plan, song, false);
      return true;
    }
    progress(p);  // the file's last bytes
    totals_.bytesWritten += uint64_t(checks.size);
    totals_.verified += checks.verified ? 1 : 0;
    song.written.push_back(WrittenItem{&item, checks.takeRecords, checks.sha256, checks.size, checks.verified});
    record(plan, song, false);
    if (events_.written) events_.written(item.output);
    ++totals_.files;
    totals_.songFiles += item.takeFiles.size();
    totals_.samples += item.source.length;
    return true;
  }

  const ArchiveRequest& request_;
  // The plans as given, each made anew once its song is locked.
  std::vector<ArchiveSongPlan> plans_;
  const ArchiveEvents& events_;
  ArchiveTotals totals_;
  uint64_t totalBytes_ = 0, doneBytes_ = 0;
  uint64_t itemStartBytes_ = 0;  // doneBytes_ when the file being heard of started
  size_t totalFiles_ = 0, fileNumber_ = 0;
  std::chrono::steady_clock::time_point lastRecorded_;
};

}  // namespace

ArchiveTotals RunArchive(const ArchiveRequest& request, const std::vector<ArchiveSongPlan>& plans,
                         const ArchiveEvents& events) {
  return ArchiveRun(request, plans, events).Run();
}

}  // namespace tp
