#include "dialogs/tcustomdlgsunit.h"

#include <QPixmap>

#include "dialogs/tdialogcustomizer.h"

namespace tp {

TCustomDlgsUnit::~TCustomDlgsUnit() { DialogDestroyed(); }

bool TCustomDlgsUnit::AcceptsChange() const { return !customizer_ || customizer_->GetCanChangeProperties(); }

void TCustomDlgsUnit::SetSubForm(QWidget* form) {
  if (form == subForm_ || !AcceptsChange()) return;
  subForm_ = form;
  if (customizer_) customizer_->UpdateProperty();
}

void TCustomDlgsUnit::SetSubFormPos(TSubFormPos position) {
  if (position == subFormPos_ || !AcceptsChange()) return;
  subFormPos_ = position;
  if (customizer_) customizer_->UpdateProperty();
}

void TCustomDlgsUnit::SetSubFormAnchors(TSubFormAnchors anchors) {
  anchors &= AllSubFormAnchors;
  if (anchors == subFormAnchors_ || !AcceptsChange()) return;
  subFormAnchors_ = anchors;
  if (customizer_) customizer_->UpdateProperty();
}

void TCustomDlgsUnit::SetMinEdgeSpace(const TDialogMinEdgeSpace& space) {
  if (space == minEdgeSpace_ || !AcceptsChange()) return;
  minEdgeSpace_ = space;
  if (customizer_) customizer_->UpdateProperty();
}

void TCustomDlgsUnit::SetDialogSizing(bool value) {
  if (!customizer_) dialogSizing_ = value;
}

QString TCustomDlgsUnit::Caption() const { return dialogWindow_ ? dialogWindow_->windowTitle() : caption_; }

void TCustomDlgsUnit::SetCaption(const QString& caption) {
  caption_ = caption;
  if (dialogWindow_ && !caption.isEmpty()) dialogWindow_->setWindowTitle(caption);
}

void TCustomDlgsUnit::SetIcon(const QIcon& icon) {
  icon_ = icon;
  ApplyIcon();
}

void TCustomDlgsUnit::ApplyIcon() {
  if (!dialogWindow_) return;
  if (!icon_.isNull()) {
    dialogWindow_->setWindowIcon(icon_);
    return;
  }
  // A null icon would make the window inherit the application's; the
  // dialog is to show none, so it gets a transparent one.
  QPixmap nothing(16, 16);
  nothing.fill(Qt::transparent);
  dialogWindow_->setWindowIcon(QIcon(nothing));
}

int TCustomDlgsUnit::Left() const { return dialogWindow_ ? dialogWindow_->geometry().x() : rememberedPosition_.x(); }
int TCustomDlgsUnit::Top() const { return dialogWindow_ ? dialogWindow_->geometry().y() : rememberedPosition_.y(); }

void TCustomDlgsUnit::SetLeft(int left) {
  if (dialogWindow_)
    dialogWindow_->setGeometry(QRect(QPoint(left, Top()), dialogWindow_->size()));
  else
    rememberedPosition_.setX(left);
}

void TCustomDlgsUnit::SetTop(int top) {
  if (dialogWindow_)
    dialogWindow_->setGeometry(QRect(QPoint(Left(), top), dialogWindow_->size()));
  else
    rememberedPosition_.setY(top);
}

void TCustomDlgsUnit::RegisterCustomizer(TDialogCustomizer& customizer, QWidget& dialogWindow, QWidget& controls) {
  DialogDestroyed();  // only one customizer per dialog object
  customizer_ = &customizer;
  dialogWindow_ = &dialogWindow;
  ApplyIcon();
  customizer.Register(dialogWindow, controls, *this);
}

void TCustomDlgsUnit::StartCustomize() {
  if (!customizer_) return;
  customizer_->StartCustomize(rememberedPosition_, rememberedSize_);
  if (!caption_.isEmpty() && dialogWindow_) dialogWindow_->setWindowTitle(caption_);
}

void TCustomDlgsUnit::DialogDestroyed() {
  if (!customizer_) return;
  if (dialogWindow_) {
    rememberedPosition_ = dialogWindow_->geometry().topLeft();
    if (customizer_->SizesItself() || dialogSizing_) rememberedSize_ = dialogWindow_->frameGeometry().size();
  }
  edgeSpace_ = {};
  TDialogCustomizer* customizer = customizer_;
  customizer_ = nullptr;
  dialogWindow_ = nullptr;
  customizer->Unregister();
}

}  // namespace tp
