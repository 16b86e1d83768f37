// "Export to DAW..." on the folder tree's menu: the song as one DAW project
// file, or as an Ardour session folder (the second type in the dialog).
// What you hear is what the DAW gets: the song open in the window
// goes with the takes chosen in the grid and the mixer as it stands; any
// other song with each track's lowest take. It is written on the archive's
// thread, with its progress dialog and Cancel, and an interrupted file
// leaves nothing behind.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <system_error>

#include "app/archiverunner.h"
#include "app/tmainwin.h"
#include "app/windowlanguage.h"
#include "dawproject/sessionexport.h"
#include "project/messages.h"
#include "project/programversion.h"

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

// The dialog's second type: the name is a folder, without the suggested
// file's extension.
constexpr int ArdourSessionType = 2;
QString ArdourFolderName(const QString& chosen) {
  const QString extension = QStringLiteral(".dawproject");
  return chosen.endsWith(extension) ? chosen.left(chosen.size() - extension.size()) : chosen;
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
    dialogs_->Message(this, planned.Is(messages::NotAProjectFolder) ? tr("\"%1\" is not a song folder.").arg(path)
                                                                    : StatusText(planned));
    return;
  }
  SaveDialog offer;
  // The first type's extension follows a name typed without one; the
  // folder of the second gets none.
  offer.filter = tr("DAWproject (*.dawproject)") + QStringLiteral("|*.dawproject|") + tr("Ardour session (folder)") +
                 QStringLiteral("|*");
  offer.fileName = QDir(StartFolder(lastDawFolder_)).filePath(SuggestedName(plan));
  if (!dialogs_->SaveFile(this, offer)) return;
  const bool ardour = offer.filterIndex == ArdourSessionType;
  const QString chosen = ardour ? ArdourFolderName(offer.fileName) : offer.fileName;
  lastDawFolder_ = QFileInfo(chosen).absolutePath();
  const fs::path target = FilePath(chosen);

  // Planned again on the run's thread under the song's lock, so that the
  // file holds the song as it is while it is written.
  SessionExport request{song, choices, FormatWav, ProgramVersion, SongLock::Wait::No};
  request.ardour = ardour;
  ShowArchiveProgress(tr("Export to DAW"));
  archiveRunner_->StartConversion(
      tr("Writing \"%1\"").arg(chosen),
      [request, target](const ConversionHooks& hooks) { return ExportSession(request, target, hooks); },
      tr("Written: \"%1\"").arg(chosen));
}

}  // namespace tp
