// Renaming the project and the takes, and deleting takes: the popup menus
// over the matrices, the "Naming" box and the "Take Deleting" question.
#include <QAction>
#include <QLabel>
#include <QMenu>

#include "app/mainwin_labels.h"
#include "project/messages.h"
#include "app/tmainwin.h"
#include "app/windowlanguage.h"
#include "controls/tbtnmtx.h"
#include "project/namecodec.h"
#include "project/takeedit.h"

namespace tp {

void TMainWin::BuildPopups() {
  TakePopup = new QMenu(this);
  ChangeNamePopup = TakePopup->addAction(tr("Change the &Name..."));
  DelTakePopup = TakePopup->addAction(tr("Delete"));
  MasPopup = new QMenu(this);
  MasName = MasPopup->addAction(tr("Change the &Name..."));
  MasDel = MasPopup->addAction(tr("Delete"));
  // A menu is a window of its own and does not inherit the window's font.
  TakePopup->setFont(font());
  MasPopup->setFont(font());
  connect(ChangeNamePopup, &QAction::triggered, this, [this] { ChangeNamePopupClick(); });
  connect(DelTakePopup, &QAction::triggered, this, [this] { DelTakePopupClick(); });
  connect(MasName, &QAction::triggered, this, [this] { MasNameClick(); });
  connect(MasDel, &QAction::triggered, this, [this] { MasDelClick(); });
}

std::optional<std::string> TMainWin::AskName(const QString& prompt, const std::string& current) {
  const std::optional<QString> entry = dialogs_->InputBox(this, tr("Naming"), prompt, ToText(current));
  if (!entry) return std::nullopt;
  // Folded first (ド takes two characters, ﾄﾞ), then cut to the 8 characters
  // a name holds, then encoded: a refused character after the 8th is cut off.
  const QString folded = QString::fromStdString(FoldFullWidthText(entry->toStdString()));
  const std::optional<std::string> bytes = Utf8ToNameBytes(folded.left(8).toStdString());
  if (!bytes) dialogs_->Message(this, MessageText(messages::NameCharactersRefused));
  return bytes;
}

void TMainWin::Report(const EditResult& result) {
  if (result.ok()) return;
  // The file and the system's reason on a second line, as a conversion says them.
  QString text = MessageText(result.message);
  if (!result.detail.empty()) text += QLatin1Char('\n') + QString::fromStdString(result.detail);
  dialogs_->Message(this, text);
}

void TMainWin::ProjNameDblClick() {
  const auto name = AskName(tr("Enter new name of the Project"), model_.ProjectName);
  if (!name) return;
  const EditResult result = RenameProject(model_, *name);
  ShowProjectName();  // shown even when the file could not be updated
  Report(result);
}

void TMainWin::TakePopupPopup(QPoint takeSelPosition) {
  PopupRow = TakeSel->RowAt(takeSelPosition.y());
  PopupCol = TakeSel->ColAt(takeSelPosition.x());
  const bool assigned = TakeSel->GetAssigned(PopupRow, PopupCol);
  ChangeNamePopup->setEnabled(assigned);
  DelTakePopup->setEnabled(assigned);
}

void TMainWin::MasPopupPopup(QPoint masTakeSelPosition) {
  PopupCol = MasTakeSel->ColAt(masTakeSelPosition.x());
  const bool assigned = MasTakeSel->GetAssigned(0, PopupCol);
  MasName->setEnabled(assigned);
  MasDel->setEnabled(assigned);
}

void TMainWin::ChangeNamePopupClick() {
  if (PopupRow < 0 || PopupRow >= TrackCount || PopupCol < 0 || PopupCol >= TakesPerTrack) return;
  const auto name = AskName(tr("enter new name for Track%1-%2").arg(PopupRow + 1).arg(PopupCol + 1),
                            model_.TakeSel[PopupRow][PopupCol].caption);
  if (!name) return;
  Report(RenameTake(model_, PopupRow, PopupCol, *name));
  MirrorMatrices();
}

void TMainWin::MasNameClick() {
  if (PopupCol < 0 || PopupCol >= MasterTakeCount) return;
  const auto name = AskName(tr("enter new name for Master %1").arg(PopupCol + 1), model_.MasTakeSel[PopupCol].caption);
  if (!name) return;
  Report(RenameMasterTake(model_, PopupCol, *name));
  MirrorMatrices();
}

void TMainWin::DelTakePopupClick() {
  if (PopupRow < 0 || PopupRow >= TrackCount || PopupCol < 0 || PopupCol >= TakesPerTrack) return;
  const std::string question = DeleteTakeQuestion(
      PopupRow, PopupCol, ToText(model_.TakeSel[PopupRow][PopupCol].caption).toStdString(), TranslatedText);
  if (!dialogs_->Confirm(this, tr("Take Deleting"), QString::fromStdString(question))) return;
  Report(DeleteTake(model_, PopupRow, PopupCol));
  MirrorMatrices();
  ShowSelection();
}

void TMainWin::MasDelClick() {
  if (PopupCol < 0 || PopupCol >= MasterTakeCount) return;
  const std::string question =
      DeleteMasterQuestion(PopupCol, ToText(model_.MasTakeSel[PopupCol].caption).toStdString(), TranslatedText);
  if (!dialogs_->Confirm(this, tr("Take Deleting"), QString::fromStdString(question))) return;
  Report(DeleteMasterTake(model_, PopupCol));
  MirrorMatrices();
  ShowSelection();
}

}  // namespace tp
