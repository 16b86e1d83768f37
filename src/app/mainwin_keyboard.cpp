// The window's keys besides the blank: Ctrl+I and Ctrl+E press IMPORT and
// EXPORT, F2 renames and Delete deletes the take the keyboard is on (F2 on
// the project name renames the project). Each acts only where the pointer
// could: on an enabled control, through the same handler as its click.
#include <QApplication>
#include <QLabel>
#include <QShortcut>

#include "app/tmainwin.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"

namespace tp {

void TMainWin::WireKeyboard() {
  const auto onKeys = [this](QKeySequence keys, void (TMainWin::*handler)()) {
    connect(new QShortcut(keys, this), &QShortcut::activated, this, handler);
  };
  onKeys(QKeySequence(Qt::CTRL | Qt::Key_I), &TMainWin::ImportKey);
  onKeys(QKeySequence(Qt::CTRL | Qt::Key_E), &TMainWin::ExportKey);
  onKeys(QKeySequence(Qt::Key_F2), &TMainWin::RenameKey);
  onKeys(QKeySequence(Qt::Key_Delete), &TMainWin::DeleteKey);
  // The name box takes the focus, so that F2 can rename the project.
  ProjName->setFocusPolicy(Qt::StrongFocus);
}

// As a click does: the button's Down flips, then its handler runs (which
// for a running conversion's button is the abort).
void TMainWin::PressByKey(TBPBtn& button, void (TMainWin::*handler)()) {
  if (!button.isEnabled()) return;
  button.SetDown(!button.Down());
  (this->*handler)();
}

void TMainWin::ImportKey() { PressByKey(*ImpBtn, &TMainWin::ImpBtnClick); }
void TMainWin::ExportKey() { PressByKey(*ExpBtn, &TMainWin::ExpBtnClick); }

void TMainWin::RenameKey() {
  QWidget* focused = QApplication::focusWidget();
  if (focused == ProjName && ProjName->isEnabled()) {
    ProjNameDblClick();
  } else if (focused == TakeSel && TakeSel->isEnabled()) {
    PopupRow = TakeSel->FocusRow();
    PopupCol = TakeSel->FocusCol();
    if (TakeSel->GetAssigned(PopupRow, PopupCol)) ChangeNamePopupClick();
  } else if (focused == MasTakeSel && MasTakeSel->isEnabled()) {
    PopupCol = MasTakeSel->FocusCol();
    if (MasTakeSel->GetAssigned(0, PopupCol)) MasNameClick();
  }
}

void TMainWin::DeleteKey() {
  QWidget* focused = QApplication::focusWidget();
  if (focused == TakeSel && TakeSel->isEnabled()) {
    PopupRow = TakeSel->FocusRow();
    PopupCol = TakeSel->FocusCol();
    if (TakeSel->GetAssigned(PopupRow, PopupCol)) DelTakePopupClick();
  } else if (focused == MasTakeSel && MasTakeSel->isEnabled()) {
    PopupCol = MasTakeSel->FocusCol();
    if (MasTakeSel->GetAssigned(0, PopupCol)) MasDelClick();
  }
}

}  // namespace tp
