// The window's keys besides the blank: Ctrl+I and Ctrl+E press IMPORT and
// EXPORT, F2 renames and Delete deletes the take the keyboard is on (F2 on
// the project name renames the project). Each acts only where the pointer
// could: on an enabled control, through the same handler as its click.
// Ctrl+Q closes the window as its close button does; F6 and Shift+F6 move
// between the grid, the transport and the right-hand panel, as they move
// between the panes of a file manager or a browser.
#include <QApplication>
#include <QLabel>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>

#include <functional>
#include <vector>

#include "app/tmainwin.h"
#include "controls/focusframe.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "controls/tslider.h"

namespace tp {

void TMainWin::WireKeyboard() {
  const auto onKeys = [this](QKeySequence keys, void (TMainWin::*handler)()) {
    connect(new QShortcut(keys, this), &QShortcut::activated, this, handler);
  };
  onKeys(QKeySequence(Qt::CTRL | Qt::Key_I), &TMainWin::ImportKey);
  onKeys(QKeySequence(Qt::CTRL | Qt::Key_E), &TMainWin::ExportKey);
  onKeys(QKeySequence(Qt::Key_F2), &TMainWin::RenameKey);
  onKeys(QKeySequence(Qt::Key_Delete), &TMainWin::DeleteKey);
  const auto onKeysDo = [this](QKeySequence keys, std::function<void()> action) {
    connect(new QShortcut(keys, this), &QShortcut::activated, this, std::move(action));
  };
  onKeysDo(QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { close(); });
  onKeysDo(QKeySequence(Qt::Key_F6), [this] { NextPane(false); });
  onKeysDo(QKeySequence(Qt::SHIFT | Qt::Key_F6), [this] { NextPane(true); });
  // The name box takes the focus, so that F2 can rename the project.
  ProjName->setFocusPolicy(Qt::StrongFocus);
  // The tabs show the keyboard's focus in the controls' amber frame rather
  // than the style's faint one.
  auto* tabFocus = new FocusFrameStyle;
  tabFocus->setParent(PageControl->tabBar());
  PageControl->tabBar()->setStyle(tabFocus);
}

void TMainWin::NextPane(bool backwards) {
  // Each pane as its controls in Tab order, the first of them that can
  // take the focus now getting it (the master takes in master mode, the
  // audition's key when there is nothing to import). The right-hand panel
  // starts at its tabs, from which the arrows choose the page.
  const std::vector<std::vector<QWidget*>> panes = {
      {TakeSel, MasTakeSel, TrackSel, MasterSel},
      {ImpBtn, AudBtn, Slider, ExpBtn},
      {PageControl->tabBar()},
  };
  const QWidget* focused = QApplication::focusWidget();
  const int count = int(panes.size());
  int current = backwards ? 0 : count - 1;  // with the focus nowhere, the grid comes first
  for (int i = 0; i < count; ++i)
    for (const QWidget* control : panes[size_t(i)])
      if (focused != nullptr && (control == focused || control->isAncestorOf(focused))) current = i;
  if (focused != nullptr && PageControl->isAncestorOf(focused)) current = 2;
  for (int step = 1; step <= count; ++step) {
    const int next = (current + (backwards ? count - step : step)) % count;
    for (QWidget* control : panes[size_t(next)]) {
      if (!control->isEnabled() || !control->isVisible() || control->focusPolicy() == Qt::NoFocus) continue;
      control->setFocus(Qt::ShortcutFocusReason);
      return;
    }
  }
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
