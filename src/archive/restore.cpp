#include "archive/restore.h"

#include <algorithm>
#include <atomic>
#include <set>
#include <system_error>
#include <thread>

#include "archive/hashedcopy.h"
#include "archive/manifesttrust.h"
#include "archive/restoreplan.h"
#include "archive/restoretake.h"
#include "project/messages.h"
#include "storage/safefile.h"

namespace tp {

namespace fs = std::filesystem;

namespace {

RestoredFile restoreOtherFile(const fs::path& archiveFolder, const ArchivedOtherFile& other, const fs::path& target,
                              const ConversionHooks& hooks) {
  const fs::path copy = archiveFolder / other.copy;
  HashedCopyJob job{copy, target, messages::RestoredFileNotWritten, messages::RestoredFileNotWritten,
                    hooks.betweenBlocks, {}};
  job.accept = [&](const HashedCopy& copied) {
    if (copied.size != other.size || (!other.sha256.empty() && copied.sha256 != other.sha256))
      return Status::Fail(messages::RestoredFileMismatch, copy);
    return Status::Ok();
  };
  HashedCopy copied;
  const Status status = CopyHashed(job, copied);
  if (!status.ok()) return {RestoredFile::Failed, status, false, false};
  if (copied.stopped) return {RestoredFile::Aborted, {}, false, false};
  return {};
}

// The hooks of one file's conversion, telling `options.fileProgress` how
// much of the file (`size` bytes in the end) is written as its frames go.
ConversionHooks WithFileProgress(const ConversionHooks& hooks, const RestoreOptions& options, const fs::path& file,
                                 int64_t size) {
  if (!options.fileProgress) return hooks;
  ConversionHooks withProgress = hooks;
  withProgress.progress = [&hooks, &options, file, size](uint32_t position, uint32_t total) {
    if (hooks.progress) hooks.progress(position, total);
    if (total > 0) options.fileProgress(file, uint64_t(size) * position / total);
  };
  return withProgress;
}

// Take files are independent of each other: two workers restore them, each
// file whole on one worker, so that one file's reading and hashing overlaps
// the other's. A stop ends both between blocks; the files not started then
// stay NotStarted.
constexpr int RestoreWorkerCount = 2;

std::vector<RestoredFile> restoreTakeFiles(const fs::path& archiveFolder, const ArchiveManifest& manifest,
                                           const fs::path& destination, const RestoreOptions& options,
                                           const ConversionHooks& hooks) {
  const auto& takes = manifest.takeFiles;
  std::vector<RestoredFile> results(takes.size(), RestoredFile{RestoredFile::NotStarted, {}, false, false});
  std::atomic<size_t> next{0};
  std::atomic<bool> stopped{false};
  auto work = [&] {
    for (size_t n = next++; n < takes.size() && !stopped.load(); n = next++) {
      const fs::path target = destination / takes[n].record.file;
      results[n] = RestoreTakeFile(archiveFolder, takes[n], target, options, WithFileProgress(hooks, options, target,
                                                                                           takes[n].record.size));
      if (results[n].outcome == RestoredFile::Done && options.fileProgress)
        options.fileProgress(target, uint64_t(takes[n].record.size));
      if (results[n].outcome == RestoredFile::Aborted || IsReadError(results[n])) stopped = true;
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

// Adds what became of one file to the report; false once it was stopped.
bool note(const RestoredFile& result, const fs::path& target, RestoreReport& report) {
  switch (result.outcome) {
    case RestoredFile::NotStarted: return true;
    case RestoredFile::Aborted: report.aborted = true; return false;
    case RestoredFile::Failed: report.failures.push_back(result.status); return true;
    case RestoredFile::Done: break;
  }
  report.restored.push_back(target);
  if (result.headerRebuilt) report.rebuiltHeaders.push_back(target);
  if (result.takenAsChanged) report.takenAsChanged.push_back(target);
  return true;
}

}  // namespace

RestoreReport RestoreSong(const fs::path& archiveFolder, const ArchiveManifest& manifest, const fs::path& destination,
                          const RestoreOptions& options, const ConversionHooks& hooks) {
  RestoreReport report;
  const std::set<std::string> targets = RestoredFileNames(manifest);
  if (!std::all_of(targets.begin(), targets.end(), IsPlainFileName)) {
    report.failures.push_back(Status::Fail(messages::ArchiveNotRead, archiveFolder / ArchiveManifestName));
    return report;
  }
  report.existing = ExistingRestoreFiles({archiveFolder, destination, manifest});
  if (!report.existing.empty() && !options.force) return report;
  report.existing.clear();
  std::error_code error;
  fs::create_directories(destination, error);
  if (error) {
    report.failures.push_back(Status::Fail(messages::RestoredFileNotWritten, destination, error.value()));
    return report;
  }
  const std::vector<RestoredFile> results = restoreTakeFiles(archiveFolder, manifest, destination, options, hooks);
  // Reported in the manifest's order, whichever worker finished first: a
  // file after a stopped one may be complete, and is then restored.
  bool readError = false;
  for (size_t n = 0; n < results.size(); ++n) {
    note(results[n], destination / manifest.takeFiles[n].record.file, report);
    readError = readError || IsReadError(results[n]);
  }
  // A disk that fails to give the archive's bytes ends the song's restore:
  // what it would still read is no more to be trusted.
  for (size_t i = 0; !report.aborted && !readError && i < manifest.otherFiles.size(); ++i) {
    const fs::path target = destination / manifest.otherFiles[i].file;
    const RestoredFile result = restoreOtherFile(archiveFolder, manifest.otherFiles[i], target, hooks);
    if (result.outcome == RestoredFile::Done && options.fileProgress)
      options.fileProgress(target, uint64_t(manifest.otherFiles[i].size));
    note(result, target, report);
  }
  for (fs::directory_iterator it(destination, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (!targets.count(name) && !IsSideFileName(name)) report.kept.push_back(it->path());
  }
  std::sort(report.kept.begin(), report.kept.end());
  return report;
}

}  // namespace tp
