#include "app/archiverunner.h"

#include <QFile>
#include <QLocale>
#include <QMetaObject>

#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>

#include "app/windowlanguage.h"
#include "archive/restore.h"

namespace tp {

namespace fs = std::filesystem;

namespace {

QString PathText(const fs::path& path) { return QFile::decodeName(QByteArray::fromStdString(path.string())); }

// "4.2 GB": decimal units, as file managers and the command line show sizes.
QString ByteCount(uint64_t bytes) {
  return QLocale::c().formattedDataSize(qint64(bytes), 1, QLocale::DataSizeSIFormat);
}

QString ClockTime(double seconds) {
  const auto whole = uint64_t(seconds + 0.5);
  return QStringLiteral("%1:%2:%3")
      .arg(whole / 3600)
      .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(whole % 60, 2, 10, QLatin1Char('0'));
}

// `archivedBytes` in the progress's measure (the takes' samples), so that
// the summary's size is the one the progress counted up to.
QString ArchiveSummary(const ArchiveTotals& totals, uint64_t archivedBytes) {
  const size_t files = totals.files + totals.skipped;
  // The songs' files, as the restore of the archive counts them.
  QString summary = JoinedList({ArchiveRunner::tr("%n song(s)", nullptr, int(totals.songs)),
                                ArchiveRunner::tr("%n file(s)", nullptr, int(totals.songFiles)),
                                ByteCount(archivedBytes),
                                totals.verified == files && !totals.anyFailed
                                    ? ArchiveRunner::tr("all verified")
                                    : ArchiveRunner::tr("%1 verified").arg(totals.verified)});
  if (totals.stopped)
    summary += ArchiveRunner::tr(".\nCancelled: the files written so far are complete, and the manifest lists them.");
  return summary;
}

// The bytes a song's restore writes: its take files and its other files.
uint64_t SongBytes(const ArchiveManifest& manifest) {
  uint64_t bytes = 0;
  for (const ArchivedTakeFile& take : manifest.takeFiles) bytes += uint64_t(std::max<int64_t>(take.record.size, 0));
  for (const ArchivedOtherFile& other : manifest.otherFiles) bytes += uint64_t(std::max<int64_t>(other.size, 0));
  return bytes;
}

}  // namespace

// What a restore has rebuilt, in bytes across all its songs, and the file
// last heard of. The two restoring workers report into it.
class RestoreProgress {
 public:
  explicit RestoreProgress(const std::vector<SongToRestore>& songs) {
    for (const SongToRestore& song : songs) total_ += SongBytes(song.manifest);
  }
  // The run's thread, between songs.
  void StartSong() {
    std::lock_guard lock(mutex_);
    for (const auto& [file, bytes] : inSong_) before_ += bytes;
    inSong_.clear();
  }
  // A restoring worker: `file` has `bytes` written. `show` gets the bytes
  // done and the file's name when the user should see them (another file
  // than the one shown last, or a tenth of a second since the last look),
  // under the lock, so that the two workers' reports keep their order.
  void FileAt(const fs::path& file, uint64_t bytes, const std::function<void(uint64_t, const QString&)>& show) {
    std::lock_guard lock(mutex_);
    inSong_[file] = bytes;
    uint64_t done = before_;
    for (const auto& [path, written] : inSong_) done += written;
    const auto now = std::chrono::steady_clock::now();
    if (file == lastFile_ && now - lastShown_ < std::chrono::milliseconds(100)) return;
    lastFile_ = file;
    lastShown_ = now;
    show(done, PathText(file.filename()));
  }
  uint64_t Total() const { return total_; }

 private:
  std::mutex mutex_;
  uint64_t total_ = 0, before_ = 0;
  std::map<fs::path, uint64_t> inSong_;
  fs::path lastFile_;
  std::chrono::steady_clock::time_point lastShown_;
};

ArchiveRunner::ArchiveRunner(QObject* parent) : QObject(parent) {}

ArchiveRunner::~ArchiveRunner() {
  stop_ = true;
  if (worker_.joinable()) worker_.join();
}

void ArchiveRunner::start(std::function<void()> work) {
  if (worker_.joinable()) worker_.join();  // a run that ended: its last call was delivered
  stop_ = false;
  problems_.clear();
  started_ = std::chrono::steady_clock::now();
  lastPosted_ = {};
  lastSeen_ = {};
  worker_ = std::thread(std::move(work));
}

// The runner joins its thread before it goes away, so `this` outlives every
// call the thread makes; a call still queued then is dropped with it.
void ArchiveRunner::post(std::function<void()> call) {
  QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void ArchiveRunner::finish(const QString& summary) {
  post([this, summary, problems = problems_] {
    worker_.join();  // the thread has made its last call
    emit Finished(summary, problems);
  });
}

void ArchiveRunner::showArchiveProgress(const ArchiveEvents::Progress& at, const QStringList& fileNames) {
  QString text = ArchiveRunner::tr("Song %1 of %2, file %3 of %4: %5\n%6 of %7")
                     .arg(at.song)
                     .arg(at.songs)
                     .arg(at.file)
                     .arg(at.files)
                     .arg(fileNames.value(qsizetype(at.file) - 1), ByteCount(at.doneBytes), ByteCount(at.totalBytes));
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  if (at.doneBytes > 0 && elapsed > 1 && at.doneBytes <= at.totalBytes)
    text += ArchiveRunner::tr(", %1 left")
                .arg(ClockTime(elapsed * double(at.totalBytes - at.doneBytes) / double(at.doneBytes)));
  const int permille = at.totalBytes == 0 ? 1000 : int(at.doneBytes * 1000 / at.totalBytes);
  post([this, text, permille] {
    if (!stop_) emit Progress(text, permille);
  });
}

// The run's thread: the archive's events, passed on through queued calls.
ArchiveEvents ArchiveRunner::eventsFor(const QStringList& fileNames) {
  ArchiveEvents events;
  events.stopRequested = [this] { return stop_.load(); };
  events.failure = [this](const std::string& message) { problems_.push_back(QString::fromStdString(message)); };
  events.progress = [this, fileNames](const ArchiveEvents::Progress& at) {
    // A block is a few milliseconds: a tenth of a second between updates
    // is what the eye follows, and it keeps the event queue short.
    const auto now = std::chrono::steady_clock::now();
    const bool sameFile = at.file == lastSeen_.file;
    lastSeen_ = at;
    if (sameFile && now - lastPosted_ < std::chrono::milliseconds(100)) return;
    lastPosted_ = now;
    showArchiveProgress(at, fileNames);
  };
  events.written = [this, fileNames](const fs::path&) {
    showArchiveProgress(lastSeen_, fileNames);  // the file's last block, which the pacing may have held back
    if (fileWritten) fileWritten();
  };
  return events;
}

void ArchiveRunner::StartArchive(ArchiveRequest request, std::vector<ArchiveSongPlan> plans) {
  // The files in the order the archive writes them, to name the one being
  // written: the progress counts them across the songs.
  QStringList fileNames;
  for (const auto& plan : plans)
    for (const auto& item : plan.items) fileNames.push_back(PathText(item.output.filename()));
  start([this, request = std::move(request), plans = std::move(plans), fileNames] {
    const ArchiveTotals totals = RunArchive(request, plans, eventsFor(fileNames));
    finish(ArchiveSummary(totals, totals.stopped ? lastSeen_.doneBytes : lastSeen_.totalBytes));
  });
}

void ArchiveRunner::StartRestore(std::vector<SongToRestore> songs, std::vector<bool> force) {
  start([this, songs = std::move(songs), force = std::move(force)] { finish(restoreSongs(songs, force)); });
}

void ArchiveRunner::StartConversion(QString label, std::function<ConversionResult(const ConversionHooks&)> convert,
                                    QString written) {
  start([this, label, convert = std::move(convert), written] {
    ConversionHooks hooks;
    hooks.betweenBlocks = [this] { return stop_.load(); };
    hooks.progress = [this, label](uint32_t position, uint32_t total) {
      post([this, label, permille = total == 0 ? 1000 : int(uint64_t(position) * 1000 / total)] {
        if (!stop_) emit Progress(label, permille);
      });
    };
    const ConversionResult result = convert(hooks);
    QString notes;
    for (const std::string& note : NoteLines(result, TranslatedText))
      notes += QLatin1Char('\n') + QString::fromStdString(note);
    if (result.outcome == ConversionResult::Converted) return finish(written + notes);
    if (result.outcome == ConversionResult::Aborted)
      return finish(ArchiveRunner::tr("Cancelled: nothing was written.") + notes);
    if (PlacesItsDetail(result.message)) return finish(QString::fromStdString(result.Text(TranslatedText)) + notes);
    if (!result.detail.empty()) problems_.push_back(QString::fromStdString(result.detail));
    finish(MessageText(result.message) + notes);
  });
}

// A restoring worker: "Song 1 of 2, rebuilding TRACK0_0.DAT\n320.0 kB of
// 1.7 GB", by bytes across the whole restore.
void ArchiveRunner::showRestoreProgress(RestoreProgress& progress, const fs::path& file, uint64_t bytes, size_t song,
                                        size_t songs) {
  const uint64_t total = progress.Total();
  progress.FileAt(file, bytes, [&](uint64_t done, const QString& name) {
    const QString text = ArchiveRunner::tr("Song %1 of %2, rebuilding %3\n%4 of %5")
                             .arg(song)
                             .arg(songs)
                             .arg(name, ByteCount(done), ByteCount(total));
    const int permille = total == 0 ? 1000 : int(std::min<uint64_t>(done, total) * 1000 / total);
    post([this, text, permille] {
      if (!stop_) emit Progress(text, permille);
    });
  });
}

// The run's thread: rebuilds the songs and returns the summary; what went
// wrong goes to the problems.
QString ArchiveRunner::restoreSongs(const std::vector<SongToRestore>& songs, const std::vector<bool>& force) {
  ConversionHooks hooks;
  hooks.betweenBlocks = [this] { return stop_.load(); };
  size_t files = 0, done = 0;
  bool identical = true, failed = false, stopped = false;
  RestoreProgress progress(songs);
  for (size_t i = 0; i < songs.size(); ++i) {
    const SongToRestore& song = songs[i];
    progress.StartSong();
    RestoreOptions options;
    options.force = i < force.size() && force[i];
    options.fileProgress = [this, &progress, i, count = songs.size()](const fs::path& file, uint64_t bytes) {
      showRestoreProgress(progress, file, bytes, i + 1, count);
    };
    const RestoreReport report = RestoreSong(song.archiveFolder, song.manifest, song.destination, options, hooks);
    for (const Status& failure : report.failures) problems_.push_back(StatusText(failure));
    for (const fs::path& existing : report.existing)
      problems_.push_back(ArchiveRunner::tr("exists already: %1").arg(PathText(existing)));
    failed = failed || !report.failures.empty() || !report.existing.empty();
    if (!report.ByteIdentical()) {
      identical = false;
      problems_.push_back(ArchiveRunner::tr("%1: the archive holds no take headers; they were written anew, so the "
                                            "take files are not byte-identical to the originals.")
                              .arg(PathText(song.archiveFolder)));
    }
    files += report.restored.size();
    ++done;
    if (report.aborted) {
      stopped = true;
      break;
    }
  }
  QStringList items{tr("%n song(s)", nullptr, int(done)), tr("%n file(s) restored", nullptr, int(files))};
  if (!failed && identical && !stopped) items << tr("every file checked against its SHA-256");
  QString summary = JoinedList(items);
  if (stopped) summary += ArchiveRunner::tr(".\nCancelled: the files restored so far are complete.");
  return summary;
}

}  // namespace tp
