// The window's keys besides the blank: Ctrl+I and Ctrl+E press IMPORT and
// EXPORT, F2 renames and Delete deletes the take the keyboard is on (F2 on
// the project name renames the project). Each acts only where the pointer
// could: on an enabled control, through the same handler as its click.
#include <QApplication>
#include <QLabel>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>

#include "app/tmainwin.h"
#include "controls/focusframe.h"
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
  // The tabs show the keyboard's focus in the controls' amber frame rather
  // than the style's faint one.
  auto* tabFocus = new FocusFrameStyle;
  tabFocus->setParent(PageControl->tabBar());
  PageControl->tabBar()->setStyle(tabFocus);
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

// Points PopupRow and PopupCol at the cell the keyboard is on, as a popup
// menu does at the pointer; the matrix when that cell holds a take and the
// matrix is usable, else nothing.
TBtnMtx* TMainWin::FocusedTakeCell() {
  QWidget* focused = QApplication::focusWidget();
  for (TBtnMtx* matrix : {TakeSel, MasTakeSel}) {
    if (focused != matrix || !matrix->isEnabled()) continue;
    PopupRow = matrix->FocusRow();
    PopupCol = matrix->FocusCol();
    return matrix->GetAssigned(PopupRow, PopupCol) ? matrix : nullptr;
  }
  return nullptr;
}

void TMainWin::RenameKey() {
  if (QApplication::focusWidget() == ProjName && ProjName->isEnabled()) {
    ProjNameDblClick();
    return;
  }
  if (TBtnMtx* matrix = FocusedTakeCell()) matrix == TakeSel ? ChangeNamePopupClick() : MasNameClick();
}

void TMainWin::DeleteKey() {
  if (TBtnMtx* matrix = FocusedTakeCell()) matrix == TakeSel ? DelTakePopupClick() : MasDelClick();
}

}  // namespace tp
