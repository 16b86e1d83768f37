// "Export to DAW..." on the folder tree's menu: the song as one DAW project
// file. What you hear is what the DAW gets: the song open in the window
// goes with the takes chosen in the grid and the mixer as it stands; any
// other song with each track's lowest take. It is written on the archive's
// thread, with its progress dialog and Cancel, and an interrupted file
// leaves nothing behind.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <system_error>

#include "app/archivejob.h"
#include "app/tmainwin.h"
#include "dawproject/sessionfile.h"
#include "project/messages.h"

#ifndef TP_VERSION
#error "the build passes the project's version as TP_VERSION"
#endif

namespace tp {

namespace fs = std::filesystem;

namespace {

fs::path FilePath(const QString& path) { return fs::path(QFile::encodeName(path).toStdString()); }

// The lowest chosen take of each track, and master take, that holds audio.
void TakeChosenCells(const ProjectModel& model, SessionChoices& choices) {
  for (int track = 0; track < TrackCount; ++track)
    for (int take = TakesPerTrack - 1; take >= 0; --take)
      if (model.TakeSel[track][take].down && model.TakeSel[track][take].assigned) choices.takes[track] = take;
  for (int take = MasterTakeCount - 1; take >= 0; --take)
    if (model.MasTakeSel[take].down && model.MasTakeSel[take].assigned) choices.master = take;
}

// "<song name>.dawproject", or the folder's name for a song without one.
QString SuggestedName(const SessionPlan& plan) {
  std::string name = SafeFileNameComponent(plan.title);
  if (name.empty()) name = "song";
  return QString::fromStdString(name) + QStringLiteral(".dawproject");
}

}  // namespace

void TMainWin::ExportToDaw(const QString& path) {
  const fs::path song = FilePath(path);
  SessionChoices choices;
  choices.TakeMixerFrom(Audition().Settings());
  std::error_code error;
  if (model_.ProjectOpen && fs::equivalent(song, FilePath(ProjectFolder()), error)) TakeChosenCells(model_, choices);
  SessionPlan plan;
  if (const Status planned = PlanSession(song, choices, FormatWav, plan); !planned.ok()) {
    dialogs_->Message(this, planned.Is(messages::NotAProjectFolder)
                                ? QStringLiteral("\"%1\" is not a song folder.").arg(path)
                                : QString::fromStdString(planned.Text()));
    return;
  }
  plan.applicationVersion = TP_VERSION;
  SaveDialog offer;
  offer.filter = QStringLiteral("DAWproject (*.dawproject)|*.dawproject");
  offer.defaultExt = QStringLiteral("dawproject");
  offer.fileName = QDir(ArchiveStartFolder()).filePath(SuggestedName(plan));
  if (!dialogs_->SaveFile(this, offer)) return;
  lastArchiveFolder_ = QFileInfo(offer.fileName).absolutePath();
  const fs::path target = FilePath(offer.fileName);

  TMainWin* window = this;  // the window joins the thread before it goes
  StartArchiveJob(QStringLiteral("Export to DAW"), [window, plan, target, name = offer.fileName](ArchiveJob& job) {
    ConversionHooks hooks;
    hooks.betweenBlocks = [&job] { return job.stop.load(); };
    hooks.progress = [window, &job, name](uint32_t position, uint32_t total) {
      QMetaObject::invokeMethod(
          window,
          [&job, name, permille = int(uint64_t(position) * 1000 / total)] {
            if (!job.progress || job.stop) return;
            job.progress->setLabelText(QStringLiteral("Writing \"%1\"").arg(name));
            job.progress->setValue(permille);
          },
          Qt::QueuedConnection);
    };
    const ConversionResult result = WriteSessionFile(plan, target, hooks);
    QString summary;
    if (result.outcome == ConversionResult::Converted) summary = QStringLiteral("Written: \"%1\"").arg(name);
    else if (result.outcome == ConversionResult::Aborted) summary = QStringLiteral("Cancelled: nothing was written.");
    else summary = QString::fromStdString(result.detail.empty() ? std::string(result.message)
                                                                : std::string(result.message) + "\n" + result.detail);
    QMetaObject::invokeMethod(window, [window, summary] { window->FinishArchiveJob(summary); }, Qt::QueuedConnection);
  });
}

}  // namespace tp
