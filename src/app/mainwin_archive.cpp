// The folder tree's menu: "Archive..." writes a song (or every song below a
// folder) into an archive folder, verified; "Restore..." rebuilds archived
// songs below a folder. The work runs on a thread of its own so that the
// tree stays usable for browsing; the thread posts what happens to the
// window, which shows it in a progress dialog whose Cancel stops the work
// after the file being written.
#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>
#include <QPointer>
#include <QProgressDialog>
#include <QTreeWidgetItem>

#include <atomic>
#include <chrono>
#include <system_error>
#include <thread>

#include "app/tmainwin.h"
#include "convert/archive.h"
#include "convert/archivemanifest.h"
#include "convert/restore.h"
#include "project/messages.h"

namespace tp {

namespace fs = std::filesystem;

struct TMainWin::ArchiveJob {
  std::thread worker;
  // Set by Cancel (user-interface thread), read between blocks (job thread).
  std::atomic<bool> stop{false};
  // The rest belongs to the user-interface thread.
  QPointer<QProgressDialog> progress;
  QStringList failures;
  std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

void TMainWin::ArchiveJobEnd::operator()(ArchiveJob* job) const {
  job->stop = true;
  if (job->worker.joinable()) job->worker.join();
  delete job->progress.data();
  delete job;
}

namespace {

fs::path FilePath(const QString& path) { return fs::path(QFile::encodeName(path).toStdString()); }
QString PathText(const fs::path& path) { return QFile::decodeName(QByteArray::fromStdString(path.string())); }

// "4.2 GB": decimal units, as file managers and the command line show sizes.
QString ByteCount(uint64_t bytes) {
  return QLocale::c().formattedDataSize(qint64(bytes), 1, QLocale::DataSizeSIFormat);
}

QString Plural(size_t count, const char* one, const char* many) {
  return QString::number(count) + QLatin1Char(' ') + QLatin1String(count == 1 ? one : many);
}

QString ClockTime(double seconds) {
  const auto whole = uint64_t(seconds + 0.5);
  return QStringLiteral("%1:%2:%3")
      .arg(whole / 3600)
      .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(whole % 60, 2, 10, QLatin1Char('0'));
}

// A manifest's "folder" names a place below the chosen folder, never one
// above it.
bool StaysBelow(const fs::path& relative) {
  if (relative.empty() || relative.is_absolute()) return false;
  for (const auto& part : relative.lexically_normal())
    if (part == "..") return false;
  return true;
}

bool HoldsArchivedFiles(const fs::path& destination, const ArchiveManifest& manifest) {
  std::error_code error;
  for (const auto& take : manifest.takeFiles)
    if (fs::exists(destination / take.record.file, error)) return true;
  for (const auto& other : manifest.otherFiles)
    if (fs::exists(destination / other.file, error)) return true;
  return false;
}

}  // namespace

void TMainWin::WireArchive() {
  connect(DirTree, &TDirTreeView::FolderMenuRequested, this,
          [this](const QString& path, QPoint at) { DirTreeMenu(path, at); });
}

void TMainWin::DirTreeMenu(const QString& path, QPoint globalPosition) {
  QMenu menu(this);
  menu.setFont(font());  // a menu is a window of its own
  QAction* archive = menu.addAction(QStringLiteral("&Archive..."));
  QAction* restore = menu.addAction(QStringLiteral("&Restore..."));
  // One archive at a time, and none beside an audition or a conversion,
  // which read the same takes.
  const bool free = !ArchiveRunning && !Playing && Conversion == ConversionIdle;
  archive->setEnabled(free);
  restore->setEnabled(free);
  connect(archive, &QAction::triggered, this, [this, path] { ArchiveFolder(path); });
  connect(restore, &QAction::triggered, this, [this, path] { RestoreInto(path); });
  dialogs_->Popup(menu, globalPosition);
}

void TMainWin::StartArchiveJob(const QString& title, std::function<void(ArchiveJob&)> work) {
  archiveJob_.reset(new ArchiveJob);
  ArchiveJob* job = archiveJob_.get();
  auto* progress = new QProgressDialog(QStringLiteral("Starting..."), QStringLiteral("Cancel"), 0, 1000, this);
  progress->setWindowTitle(title);
  progress->setFont(font());
  // Not modal: the folder tree stays usable while the work runs.
  progress->setWindowModality(Qt::NonModal);
  progress->setAutoClose(false);
  progress->setAutoReset(false);
  progress->setMinimumDuration(0);
  progress->setMinimumWidth(420);
  connect(progress, &QProgressDialog::canceled, this, [job] {
    job->stop = true;
    if (job->progress) {
      job->progress->show();  // Cancel hides the dialog; it says what happens next
      job->progress->setLabelText(QStringLiteral("Stopping after the file being written..."));
    }
  });
  job->progress = progress;
  progress->show();
  ArchiveRunning = true;
  PauseThumbnailsWhileBusy();
  job->worker = std::thread([job, work = std::move(work)] { work(*job); });
}

void TMainWin::FinishArchiveJob(const QString& summary) {
  QStringList failures;
  if (archiveJob_) failures = archiveJob_->failures;
  archiveJob_.reset();  // joins the thread, which has posted its last event
  ArchiveRunning = false;
  QString text = summary;
  if (!failures.isEmpty()) text += QStringLiteral("\n\n") + failures.join(QLatin1Char('\n'));
  dialogs_->Message(this, text);
}

QString TMainWin::ArchiveStartFolder() const {
  // Before the first archive, where exports go is the best guess.
  return lastArchiveFolder_.isEmpty() ? LastExportFolder : lastArchiveFolder_;
}

// One song of a restore: where its archive is and where it goes.
struct SongToRestore {
  fs::path archiveFolder, destination;
  ArchiveManifest manifest;
  bool force = false;
};

// The pieces of the archive and restore commands; a friend of the window,
// so that the job's thread can reach the job it runs.
struct ArchiveSteps {
  using Job = TMainWin::ArchiveJob;

  // Plans the archive of `path` into `into`: the song, or every song below
  // it. False (the user told why, or declined to replace) when there is
  // nothing to do.
  static bool Plan(TMainWin& window, const QString& path, const QString& into, ArchiveRequest& request,
                   std::vector<ArchiveSongPlan>& plans) {
    // One song or every song below a folder, each goes into a folder named
    // after the song, as `stems --recursive` names them.
    request.recursive = true;
    request.outputRoot = FilePath(into);
    const Status planned = PlanArchive(request, plans);
    if (!planned.ok()) {
      window.dialogs_->Message(&window, planned.Is(messages::NoProjectFound)
                                            ? QStringLiteral("No song was found in \"%1\".").arg(path)
                                            : QString::fromStdString(planned.Text()));
      return false;
    }
    if (const auto existing = ExistingArchiveFiles(request, plans); !existing.empty()) {
      const QString question = QStringLiteral("%1 of the archive exist already in \"%2\", e.g. \"%3\".\n\nReplace them?")
                                   .arg(Plural(existing.size(), "file", "files"), into,
                                        PathText(existing.front().filename()));
      if (!window.dialogs_->Confirm(&window, QStringLiteral("Archive"), question)) return false;
    }
    return true;
  }

  // The user-interface thread: the progress dialog shows where the archive is.
  static void ShowProgress(Job& job, const ArchiveEvents::Progress& at, const QStringList& fileNames) {
    if (!job.progress || job.stop) return;
    QString text = QStringLiteral("Song %1 of %2, file %3 of %4: %5\n%6 of %7")
                       .arg(at.song)
                       .arg(at.songs)
                       .arg(at.file)
                       .arg(at.files)
                       .arg(fileNames.value(qsizetype(at.file) - 1), ByteCount(at.doneBytes), ByteCount(at.totalBytes));
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - job.started).count();
    if (at.doneBytes > 0 && elapsed > 1 && at.doneBytes <= at.totalBytes)
      text += QStringLiteral(", %1 left")
                  .arg(ClockTime(elapsed * double(at.totalBytes - at.doneBytes) / double(at.doneBytes)));
    job.progress->setLabelText(text);
    job.progress->setValue(at.totalBytes == 0 ? 1000 : int(at.doneBytes * 1000 / at.totalBytes));
  }

  // What the job's thread keeps between progress events.
  struct Pacing {
    std::chrono::steady_clock::time_point lastPosted{};
    ArchiveEvents::Progress lastSeen{};
  };

  // The job's thread: the archive's events, passed to the window through
  // queued calls.
  static ArchiveEvents EventsFor(TMainWin* window, Job& job, std::shared_ptr<QStringList> fileNames,
                                 std::function<void()> fileWritten, Pacing& pacing) {
    const auto post = [window](std::function<void()> call) {
      QMetaObject::invokeMethod(window, std::move(call), Qt::QueuedConnection);
    };
    const auto show = [post, &job, fileNames](const ArchiveEvents::Progress& at) {
      post([&job, at, fileNames] { ShowProgress(job, at, *fileNames); });
    };
    ArchiveEvents events;
    events.stopRequested = [&job] { return job.stop.load(); };
    events.failure = [post, &job](const std::string& message) {
      post([&job, text = QString::fromStdString(message)] { job.failures.push_back(text); });
    };
    events.progress = [show, &pacing](const ArchiveEvents::Progress& at) {
      // A block is a few milliseconds: a tenth of a second between updates
      // is what the eye follows, and it keeps the event queue short.
      const auto now = std::chrono::steady_clock::now();
      const bool sameFile = at.file == pacing.lastSeen.file;
      pacing.lastSeen = at;
      if (sameFile && now - pacing.lastPosted < std::chrono::milliseconds(100)) return;
      pacing.lastPosted = now;
      show(at);
    };
    events.written = [show, &pacing, fileWritten](const fs::path&) {
      show(pacing.lastSeen);  // the file's last block, which the pacing above may have held back
      if (fileWritten) fileWritten();
    };
    return events;
  }

  // `archivedBytes` in the progress's measure (the takes' samples), so that
  // the summary's size is the one the progress counted up to.
  static QString ArchiveSummary(const ArchiveTotals& totals, uint64_t archivedBytes) {
    const size_t files = totals.files + totals.skipped;
    QString summary = Plural(totals.songs, "song", "songs") + QStringLiteral(", ") + Plural(files, "file", "files") +
                      QStringLiteral(", ") + ByteCount(archivedBytes);
    summary += totals.verified == files && !totals.anyFailed ? QStringLiteral(", all verified")
                                                             : QStringLiteral(", %1 verified").arg(totals.verified);
    if (totals.stopped)
      summary += QStringLiteral(".\nCancelled: the files written so far are complete, and the manifest lists them.");
    return summary;
  }

  // The songs below `archive` to rebuild below `target`, asking before one
  // replaces files that are there (No skips that song). False when there is
  // nothing to restore.
  static bool CollectSongs(TMainWin& window, const QString& path, const fs::path& archive,
                           std::vector<SongToRestore>& songs, QStringList& skipped) {
    const fs::path target = FilePath(path);
    const std::vector<fs::path> folders = FindArchiveFolders(archive);
    if (folders.empty()) {
      window.dialogs_->Message(
          &window, QStringLiteral("No archived song was found in \"%1\".").arg(PathText(archive)));
      return false;
    }
    for (const fs::path& folder : folders) {
      SongToRestore song{folder, {}, {}, false};
      if (const Status status = ReadArchiveManifest(folder, song.manifest); !status.ok()) {
        window.dialogs_->Message(&window, QString::fromStdString(status.Text()));
        return false;
      }
      // One song's archive becomes a folder of the song's own name; a disk's
      // songs go where they were below the archived folder.
      fs::path relative = song.manifest.folder.empty() ? folder.filename() : fs::path(song.manifest.folder);
      if (folder == archive) relative = relative.filename();
      if (!StaysBelow(relative)) {
        skipped.push_back(QStringLiteral("%1: the archived folder \"%2\" does not lie below \"%3\".")
                              .arg(PathText(folder), QString::fromStdString(song.manifest.folder), path));
        continue;
      }
      song.destination = target / relative;
      if (HoldsArchivedFiles(song.destination, song.manifest)) {
        const QString question = QStringLiteral("\"%1\" exists already.\n\nReplace its files with the archive's?")
                                     .arg(PathText(song.destination));
        if (!window.dialogs_->Confirm(&window, QStringLiteral("Restore"), question)) continue;
        song.force = true;
      }
      songs.push_back(std::move(song));
    }
    if (songs.empty() && !skipped.isEmpty()) window.dialogs_->Message(&window, skipped.join(QLatin1Char('\n')));
    return !songs.empty();
  }

  // The job's thread: rebuilds the songs and returns the summary; what went
  // wrong goes to `problems`.
  static QString RestoreSongs(TMainWin* window, Job& job, const std::vector<SongToRestore>& songs,
                              QStringList& problems) {
    ConversionHooks hooks;
    hooks.betweenBlocks = [&job] { return job.stop.load(); };
    size_t files = 0, done = 0;
    bool identical = true, failed = false, stopped = false;
    for (const SongToRestore& song : songs) {
      QMetaObject::invokeMethod(
          window,
          [&job, number = done + 1, count = songs.size(), name = PathText(song.destination)] {
            if (!job.progress || job.stop) return;
            job.progress->setLabelText(QStringLiteral("Song %1 of %2: %3").arg(number).arg(count).arg(name));
            job.progress->setValue(int((number - 1) * 1000 / count));
          },
          Qt::QueuedConnection);
      RestoreOptions options;
      options.force = song.force;
      const RestoreReport report = RestoreSong(song.archiveFolder, song.manifest, song.destination, options, hooks);
      for (const Status& failure : report.failures) problems.push_back(QString::fromStdString(failure.Text()));
      for (const fs::path& existing : report.existing)
        problems.push_back(QStringLiteral("exists already: %1").arg(PathText(existing)));
      failed = failed || !report.failures.empty() || !report.existing.empty();
      if (!report.ByteIdentical()) {
        identical = false;
        problems.push_back(QStringLiteral("%1: the archive holds no take headers; they were written anew, so the "
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
    QString summary =
        Plural(done, "song", "songs") + QStringLiteral(", ") + Plural(files, "file", "files") + QStringLiteral(" restored");
    if (!failed && identical && !stopped) summary += QStringLiteral(", every file checked against its SHA-256");
    if (stopped) summary += QStringLiteral(".\nCancelled: the files restored so far are complete.");
    return summary;
  }
};

void TMainWin::ArchiveFolder(const QString& path) {
  const std::optional<QString> chosen =
      dialogs_->ChooseFolder(this, QStringLiteral("Archive into folder"), ArchiveStartFolder());
  if (!chosen) return;
  lastArchiveFolder_ = *chosen;
  const QStringList formats = {QStringLiteral("WAV"), QStringLiteral("AIFF"),
                               QStringLiteral("FLAC (lossless, about half the size)")};
  const std::optional<int> format = dialogs_->ChooseItem(this, QStringLiteral("Archive"),
                                                         QStringLiteral("Write the takes as:"), formats, lastArchiveFormat_);
  if (!format) return;
  lastArchiveFormat_ = *format;

  ArchiveRequest request;
  request.source = FilePath(path);
  request.format = *format == 2 ? FormatFlac : *format == 1 ? FormatAiff : FormatWav;
  // The window always reads every file back from the disk: an archive is
  // made to be trusted years later.
  request.verify = true;
  std::vector<ArchiveSongPlan> plans;
  if (!ArchiveSteps::Plan(*this, path, *chosen, request, plans)) return;

  // The files in the order the archive writes them, to name the one being
  // written: the progress counts them across the songs.
  auto fileNames = std::make_shared<QStringList>();
  for (const auto& plan : plans)
    for (const auto& item : plan.items) fileNames->push_back(PathText(item.output.filename()));

  // The window stops and joins the thread before it goes away: `window`
  // outlives every call the thread makes.
  TMainWin* window = this;
  const auto fileWritten = archiveFileWritten_;
  StartArchiveJob(QStringLiteral("Archive"), [window, request, plans = std::move(plans), fileNames,
                                              fileWritten](ArchiveJob& job) {
    // Everything below runs on the job's thread; it reaches the window only
    // through queued calls.
    ArchiveSteps::Pacing pacing;
    const ArchiveEvents events = ArchiveSteps::EventsFor(window, job, fileNames, fileWritten, pacing);
    const ArchiveTotals totals = RunArchive(request, plans, events);
    const ArchiveEvents::Progress& last = pacing.lastSeen;
    const QString summary = ArchiveSteps::ArchiveSummary(totals, totals.stopped ? last.doneBytes : last.totalBytes);
    QMetaObject::invokeMethod(window, [window, summary] { window->FinishArchiveJob(summary); },
                              Qt::QueuedConnection);
  });
}

void TMainWin::RestoreInto(const QString& path) {
  const std::optional<QString> chosen =
      dialogs_->ChooseFolder(this, QStringLiteral("Restore from archive folder"), ArchiveStartFolder());
  if (!chosen) return;
  // The next dialog opens beside this archive, not inside it.
  lastArchiveFolder_ = QFileInfo(*chosen).absolutePath();
  const fs::path archive = FilePath(*chosen);
  auto songs = std::make_shared<std::vector<SongToRestore>>();
  QStringList skipped;
  if (!ArchiveSteps::CollectSongs(*this, path, archive, *songs, skipped)) return;

  TMainWin* window = this;  // as in ArchiveFolder
  StartArchiveJob(QStringLiteral("Restore"), [window, songs, skipped, path](ArchiveJob& job) {
    // On the job's thread, as in ArchiveFolder.
    QStringList problems = skipped;
    const QString summary = ArchiveSteps::RestoreSongs(window, job, *songs, problems);
    QMetaObject::invokeMethod(
        window,
        [window, summary, problems, path] {
          window->archiveJob_->failures += problems;
          // The tree lists a folder once; read it again so that it shows the
          // songs just made, and open the folder they went into.
          window->DirTree->ReBuild();
          window->DirTree->SetDirectory(path);
          if (QTreeWidgetItem* node = window->DirTree->currentItem()) node->setExpanded(true);
          window->FinishArchiveJob(summary);
        },
        Qt::QueuedConnection);
  });
}

}  // namespace tp
