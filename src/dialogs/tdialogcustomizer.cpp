#include "dialogs/tdialogcustomizer.h"

#include <QApplication>
#include <QEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QSizeGrip>

#include <algorithm>

#include "dialogs/tcustomdlgsunit.h"

namespace tp {

namespace {

LayoutSize toLayout(QSize size) { return {size.width(), size.height()}; }
QRect toQRect(const LayoutRect& rect) { return QRect(rect.left, rect.top, rect.width(), rect.height()); }

}  // namespace

TDialogCustomizer::~TDialogCustomizer() {
  if (state_ != StateNone) Unregister();
}

void TDialogCustomizer::Register(QWidget& dialogWindow, QWidget& controls, TCustomDlgsUnit& unit) {
  dialogWindow_ = &dialogWindow;
  controls_ = &controls;
  unit_ = &unit;
  state_ = StateRegistered;
  AdoptSubForm();
  InitializeDialog();
}

void TDialogCustomizer::InitializeDialog() {
  // Before the window is shown Qt knows no frame: the window size is then
  // the client size, and the frame counts as 0 throughout.
  takeOver_.window = toLayout(dialogWindow_->frameGeometry().size());
  takeOver_.client = toLayout(dialogWindow_->size());
  minimum_ = takeOver_.window;
  dialogWindow_->installEventFilter(this);
}

SubFormPlacement TDialogCustomizer::Placement() const {
  SubFormPlacement placement;
  placement.position = unit_->SubFormPos();
  placement.minEdgeSpace = unit_->MinEdgeSpace();
  placement.hasSubForm = adopted_ != nullptr;
  if (adopted_) placement.subForm = toLayout(saved_.client);
  return placement;
}

void TDialogCustomizer::AdoptSubForm() {
  QWidget* form = unit_->SubForm();
  if (!form || form == adopted_) return;
  saved_.visible = !form->isHidden();
  form->hide();
  saved_.parent = form->parentWidget();
  saved_.flags = form->windowFlags();
  saved_.bounds = form->geometry();
  saved_.client = form->size();
  saved_.windowState = form->windowState();
  // Its outer size becomes its former client size: it loses its frame when
  // it goes into the dialog as a plain child widget (ResizeDialog).
  form->setWindowState(Qt::WindowNoState);
  form->resize(saved_.client);
  adopted_ = form;
}

void TDialogCustomizer::ReturnSubForm() {
  QWidget* form = adopted_;
  adopted_ = nullptr;
  if (!form) return;
  form->hide();
  // Parent and border in one step: the flags say whether it is a window.
  form->setParent(saved_.parent, saved_.flags);
  form->setGeometry(saved_.bounds);
  form->setWindowState(saved_.windowState);
  form->setVisible(saved_.visible);
}

void TDialogCustomizer::RecomputeMinimumSize() {
  minimum_ = SubFormMinimumSize(Placement(), takeOver_);
  // Qt bounds the client area; the minimum is a window size.
  const QSize frame = FrameSize();
  dialogWindow_->setMinimumSize(std::min(minimum_.width - frame.width(), QWIDGETSIZE_MAX),
                                std::min(minimum_.height - frame.height(), QWIDGETSIZE_MAX));
}

QSize TDialogCustomizer::FrameSize() const {
  return QSize(takeOver_.window.width - takeOver_.client.width, takeOver_.window.height - takeOver_.client.height);
}

void TDialogCustomizer::ApplyWindowSize(QSize windowSize) {
  const QSize client = windowSize - FrameSize();
  dialogWindow_->resize(client);
  // A hidden window gets its resize event only when it is shown, and an
  // unchanged size none at all; the layout must not wait for either.
  RunSizeHandler(toLayout(dialogWindow_->size()));
}

void TDialogCustomizer::RunSizeHandler(LayoutSize client) {
  switch (sizeHandler_) {
    case SizeHandler::None: break;
    case SizeHandler::InitialLayout: InitialLayout(client); break;
    case SizeHandler::SizeChange: ChangedDialogSize(client); break;
  }
}

SubFormLayout TDialogCustomizer::LayOut(LayoutSize client) {
  const SubFormLayout layout = LayOutSubForm(Placement(), takeOver_, client);
  unit_->SetEdgeSpace(layout.edgeSpace);
  return layout;
}

void TDialogCustomizer::InitialLayout(LayoutSize client) {
  const SubFormLayout layout = LayOut(client);
  const QPoint offset(layout.controls.left, layout.controls.top);
  if (offset.isNull()) return;
  for (QWidget* child : dialogWindow_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child == adopted_ || qobject_cast<QSizeGrip*>(child)) continue;
    child->move(child->pos() + offset);
  }
}

void TDialogCustomizer::ResizeDialog(QSize windowSize) {
  if (adopted_ && adopted_ != unit_->SubForm()) ReturnSubForm();
  AdoptSubForm();
  if (adopted_) adopted_->setParent(dialogWindow_, Qt::Widget);
  RecomputeMinimumSize();
  ApplyWindowSize(windowSize);
  if (adopted_) adopted_->show();
  dialogWindow_->activateWindow();
  if (controls_) controls_->setFocus();
}

void TDialogCustomizer::UpdateProperty() {
  if (state_ < StateStarting || !dialogWindow_) return;
  ResizeDialog(dialogWindow_->size() + FrameSize());
}

void TDialogCustomizer::StartCustomize(QPoint rememberedPosition, QSize rememberedSize) {
  if (!dialogWindow_) return;
  state_ = StateStarting;
  sizeHandler_ = SizeHandler::SizeChange;
  ResizeDialog(rememberedSize);
  PlaceDialog(rememberedPosition);
  state_ = StateCustomized;
}

void TDialogCustomizer::PlaceDialog(QPoint rememberedPosition) {
  const QSize client = dialogWindow_->size();
  if (rememberedPosition.x() != -1 && rememberedPosition.y() != -1) {
    dialogWindow_->setGeometry(QRect(rememberedPosition, client));
    return;
  }
  // The monitor that shows the main window (the dialog's owner), or the
  // primary one without a main window.
  QWidget* mainWindow = dialogWindow_->parentWidget() ? dialogWindow_->parentWidget()->window() : nullptr;
  QScreen* screen = mainWindow ? mainWindow->screen() : nullptr;
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  // The dialog's frame is unknown until the window manager has framed it;
  // the main window's frame is the best guess of it.
  QMargins frame;
  if (mainWindow && mainWindow->isVisible()) {
    const QRect outer = mainWindow->frameGeometry();
    const QRect inner = mainWindow->geometry();
    frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                     outer.bottom() - inner.bottom());
  }
  const QRect monitor = screen->geometry();
  const LayoutPoint corner = FirstDialogPosition(
      {monitor.left(), monitor.top(), monitor.left() + monitor.width(), monitor.top() + monitor.height()},
      toLayout(client.grownBy(frame)));
  dialogWindow_->setGeometry(QRect(QPoint(corner.x + frame.left(), corner.y + frame.top()), client));
}

void TDialogCustomizer::Unregister() {
  ReturnSubForm();
  if (dialogWindow_) dialogWindow_->removeEventFilter(this);
  sizeHandler_ = SizeHandler::None;
  state_ = StateNone;
  dialogWindow_ = nullptr;
  controls_ = nullptr;
}

bool TDialogCustomizer::eventFilter(QObject* watched, QEvent* event) {
  if (watched == dialogWindow_ && event->type() == QEvent::Resize)
    RunSizeHandler(toLayout(static_cast<QResizeEvent*>(event)->size()));
  return false;
}

void TSizingDialogCustomizer::InitializeDialog() {
  TDialogCustomizer::InitializeDialog();
  sizeHandler_ = SizeHandler::InitialLayout;
  KeepInitializeDialogSize();
  sizeHandler_ = SizeHandler::None;
}

void TSizingDialogCustomizer::KeepInitializeDialogSize() {
  if (!adopted_) return;
  const LayoutSize room = RoomForSubForm(Placement(), takeOver_);
  ApplyWindowSize(QSize(room.width, room.height));
}

void TSizingDialogCustomizer::ResizeDialog(QSize /*windowSize*/) {
  // The current client size with the frame known at take-over, so that a
  // frame the window manager added since does not grow the dialog.
  TDialogCustomizer::ResizeDialog(dialogWindow_->size() + FrameSize());
}

void TSizingDialogCustomizer::ChangedDialogSize(LayoutSize client) {
  const SubFormLayout layout = LayOut(client);
  // Qt's file dialog does not move its controls out of the sub-form's way
  // by itself: the controls get their rectangle here, in every state.
  if (controls_) controls_->setGeometry(toQRect(layout.controls));
  if (adopted_) {
    adopted_->setGeometry(toQRect(layout.subForm));
    // The whole client area lies under the controls; a strip beside them.
    if (unit_->SubFormPos() == fpClient) adopted_->lower();
  }
}

}  // namespace tp
