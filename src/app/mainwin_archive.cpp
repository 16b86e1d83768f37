// The folder tree's menu: "Archive..." writes a song (or every song below a
// folder) into an archive folder, verified; "Restore..." rebuilds archived
// songs below a folder. The plans are the command line's (src/archive); the
// work runs on the ArchiveRunner's thread so that the tree stays usable for
// browsing, and the window shows what the runner reports in a progress
// dialog whose Cancel stops the work after the file being written.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QProgressDialog>
#include <QTreeWidgetItem>

#include "app/archiverunner.h"
#include "app/tmainwin.h"
#include "app/windowlanguage.h"
#include "project/messages.h"
#include "project/projectinfo.h"

namespace tp {

namespace fs = std::filesystem;

namespace {

fs::path FilePath(const QString& path) { return fs::path(QFile::encodeName(path).toStdString()); }
QString PathText(const fs::path& path) { return QFile::decodeName(QByteArray::fromStdString(path.string())); }

}  // namespace

void TMainWin::WireArchive() {
  connect(DirTree, &TDirTreeView::FolderMenuRequested, this,
          [this](const QString& path, QPoint at) { DirTreeMenu(path, at); });
  archiveRunner_ = new ArchiveRunner(this);
  archiveRunner_->fileWritten = archiveFileWritten_;
  connect(archiveRunner_, &ArchiveRunner::Progress, this, [this](const QString& text, int permille) {
    if (!archiveProgress_) return;
    archiveProgress_->setLabelText(text);
    archiveProgress_->setValue(permille);
  });
  connect(archiveRunner_, &ArchiveRunner::Finished, this, &TMainWin::FinishArchiveRun);
}

void TMainWin::DirTreeMenu(const QString& path, QPoint globalPosition) {
  QMenu menu(this);
  menu.setFont(font());  // a menu is a window of its own
  QAction* archive = menu.addAction(tr("&Archive..."));
  // A DAW project is made of one song: a folder that is none is not offered.
  const bool song = !path.isEmpty() && ReadProjectName(FilePath(path)).has_value();
  QAction* daw = song ? menu.addAction(tr("Export to &DAW...")) : nullptr;
  QAction* restore = menu.addAction(tr("&Restore..."));
  // One archive at a time, and none beside an audition or a conversion,
  // which read the same takes.
  const bool free = !ArchiveRunning && !Playing && Conversion == ConversionIdle;
  archive->setEnabled(free);
  restore->setEnabled(free);
  connect(archive, &QAction::triggered, this, [this, path] { ArchiveFolder(path); });
  connect(restore, &QAction::triggered, this, [this, path] { RestoreInto(path); });
  if (daw) {
    daw->setEnabled(free);
    connect(daw, &QAction::triggered, this, [this, path] { ExportToDaw(path); });
  }
  dialogs_->Popup(menu, globalPosition);
}

void TMainWin::ShowArchiveProgress(const QString& title) {
  auto* progress = new QProgressDialog(tr("Starting..."), tr("Cancel"), 0, 1000, this);
  progress->setWindowTitle(title);
  progress->setFont(font());
  // Not modal: the folder tree stays usable while the work runs.
  progress->setWindowModality(Qt::NonModal);
  progress->setAutoClose(false);
  progress->setAutoReset(false);
  progress->setMinimumDuration(0);
  progress->setMinimumWidth(420);
  connect(progress, &QProgressDialog::canceled, this, [this, progress] {
    archiveRunner_->Stop();
    progress->show();  // Cancel hides the dialog; it says what happens next
    progress->setLabelText(tr("Stopping after the file being written..."));
  });
  archiveProgress_ = progress;
  progress->show();
  ArchiveRunning = true;
  PauseThumbnailsWhileBusy();
}

void TMainWin::FinishArchiveRun(const QString& summary, const QStringList& problems) {
  delete archiveProgress_.data();
  ArchiveRunning = false;
  const QStringList lines = restoreSkipped_ + problems;
  restoreSkipped_.clear();
  if (!restoredInto_.isEmpty()) {
    // The tree lists a folder once; read it again so that it shows the
    // songs just made, and open the folder they went into.
    DirTree->ReBuild();
    DirTree->SetDirectory(restoredInto_);
    if (QTreeWidgetItem* node = DirTree->currentItem()) node->setExpanded(true);
    restoredInto_.clear();
  }
  QString text = summary;
  if (!lines.isEmpty()) text += QStringLiteral("\n\n") + lines.join(QLatin1Char('\n'));
  dialogs_->Message(this, text);
}

QString TMainWin::StartFolder(const QString& remembered) {
  return remembered.isEmpty() ? QDir::homePath() : remembered;
}

// Plans the archive of `path` into `into`: the song, or every song below
// it. False (the user told why, or declined to replace) when there is
// nothing to do.
bool TMainWin::PlanArchiveOf(const QString& path, const QString& into, ArchiveRequest& request,
                             std::vector<ArchiveSongPlan>& plans) {
  // One song or every song below a folder, each goes into a folder named
  // after the song, as `stems --recursive` names them.
  request.recursive = true;
  request.outputRoot = FilePath(into);
  const Status planned = PlanArchive(request, plans);
  if (!planned.ok()) {
    dialogs_->Message(this, planned.Is(messages::NoProjectFound) ? tr("No song was found in \"%1\".").arg(path)
                                                                 : StatusText(planned));
    return false;
  }
  if (const auto existing = ExistingArchiveFiles(request, plans); !existing.empty()) {
    const QString question =
        tr("%n file(s) of the archive exist already in \"%1\", e.g. \"%2\".\n\nReplace them?", nullptr,
           int(existing.size()))
            .arg(into, PathText(existing.front().filename()));
    if (!dialogs_->Confirm(this, tr("Archive"), question)) return false;
  }
  return true;
}

// The songs below `archive` to rebuild below `path`, asking before one
// replaces files that are there (No skips that song). False when there is
// nothing to restore.
bool TMainWin::PlanRestoreInto(const QString& path, const fs::path& archive, std::vector<SongToRestore>& songs,
                               std::vector<bool>& force, QStringList& skipped) {
  RestorePlan plan;
  const Status planned = PlanRestore({archive, FilePath(path), true, true}, plan);
  if (!planned.ok()) {
    dialogs_->Message(this, StatusText(planned));
    return false;
  }
  if (plan.songs.empty() && plan.refused.empty()) {
    dialogs_->Message(this, tr("No archived song was found in \"%1\".").arg(PathText(archive)));
    return false;
  }
  for (const RefusedSong& refused : plan.refused)
    skipped.push_back(tr("%1: the archived folder \"%2\" does not lie below \"%3\".")
                          .arg(PathText(refused.archiveFolder), QString::fromStdString(refused.folder), path));
  for (SongToRestore& song : plan.songs) {
    const bool replaces = !ExistingRestoreFiles(song).empty();
    if (replaces) {
      const QString question =
          tr("\"%1\" exists already.\n\nReplace its files with the archive's?").arg(PathText(song.destination));
      if (!dialogs_->Confirm(this, tr("Restore"), question)) continue;
    }
    songs.push_back(std::move(song));
    force.push_back(replaces);
  }
  if (songs.empty() && !skipped.isEmpty()) dialogs_->Message(this, skipped.join(QLatin1Char('\n')));
  return !songs.empty();
}

void TMainWin::ArchiveFolder(const QString& path) {
  const std::optional<QString> chosen =
      dialogs_->ChooseFolder(this, tr("Archive into folder"), StartFolder(lastArchiveFolder_));
  if (!chosen) return;
  lastArchiveFolder_ = *chosen;
  const QStringList formats = {QStringLiteral("WAV"), QStringLiteral("AIFF"),
                               tr("FLAC (lossless, about half the size)")};
  const std::optional<int> format =
      dialogs_->ChooseItem(this, tr("Archive"), tr("Write the takes as:"), formats, lastArchiveFormat_);
  if (!format) return;
  lastArchiveFormat_ = *format;

  ArchiveRequest request;
  request.source = FilePath(path);
  request.format = *format == 2 ? FormatFlac : *format == 1 ? FormatAiff : FormatWav;
  // The window always reads every file back from the disk: an archive is
  // made to be trusted years later.
  request.verify = true;
  std::vector<ArchiveSongPlan> plans;
  if (!PlanArchiveOf(path, *chosen, request, plans)) return;
  ShowArchiveProgress(tr("Archive"));
  archiveRunner_->StartArchive(std::move(request), std::move(plans));
}

void TMainWin::RestoreInto(const QString& path) {
  const std::optional<QString> chosen =
      dialogs_->ChooseFolder(this, tr("Restore from archive folder"), StartFolder(lastRestoreFolder_));
  if (!chosen) return;
  // A folder of several archives is restored from again and again.
  lastRestoreFolder_ = *chosen;
  std::vector<SongToRestore> songs;
  std::vector<bool> force;
  QStringList skipped;
  if (!PlanRestoreInto(path, FilePath(*chosen), songs, force, skipped)) return;
  ShowArchiveProgress(tr("Restore"));
  restoredInto_ = path;
  restoreSkipped_ = skipped;
  archiveRunner_->StartRestore(std::move(songs), std::move(force));
}

}  // namespace tp
