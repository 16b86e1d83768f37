#include "controls/tvolume.h"

#include "controls/accessiblenotify.h"

#include "controls/alphadraw.h"
#include "controls/knobgeometry.h"
#include "controls/pointertracking.h"
#include "controls/workbitmap.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace tp {

TVolume::TVolume(QWidget* parent)
    : QWidget(parent), tracking_(new PointerTracking(*this, [this](bool) { update(); })) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  resize(64, 64);
}

void TVolume::SetPosition(int value) {
  const int before = position_;
  position_ = std::clamp(value, 0, std::max(0, max_));
  update();
  if (position_ != before) NotifyValueChanged(*this, position_);
}

void TVolume::ChangeByUser(int value) {
  SetPosition(value);
  emit OnChange(this, position_);
}

void TVolume::SetMax(int value) {
  max_ = value;
  if (value < position_) {
    position_ = value;
    update();
    NotifyValueChanged(*this, position_);
  }
}

void TVolume::SetBitmap(QImage& owned, const QImage& given) {
  if (AssignBitmap(owned, given)) update();
}

// ---- Painting -------------------------------------------------------------

const QImage& TVolume::KnobPicture() const {
  if (!isEnabled()) return disBmp_;
  const bool hover = tracking_->Inside();
  if (hasFocus()) return hover || dragging_ ? focusPointBmp_ : focusBmp_;
  return hover ? pointBmp_ : normBmp_;
}

void TVolume::Paint() {
  QImage work = MakeWorkBitmap(backBmp_, size(), palette().color(QPalette::Window));
  if (work.isNull()) return;
  AlphaDraw(0, 0, work, KnobPicture());

  const int cx = width() / 2, cy = height() / 2;
  const KnobOffset end = KnobPointerEnd(position_, max_, cx, cy);
  QPainter pointer(&work);
  pointer.setPen(QColor(255, 255, 255));
  pointer.drawLine(cx, cy, cx + end.dx, cy - end.dy);
  pointer.end();

  QPainter(this).drawImage(0, 0, AsShown(work));
}

void TVolume::paintEvent(QPaintEvent*) { Paint(); }

// ---- Pointer --------------------------------------------------------------

void TVolume::MouseDown(Qt::MouseButton button) {
  if (button != Qt::LeftButton || !isEnabled()) return;
  if (!hasFocus()) setFocus(Qt::MouseFocusReason);
  if (!hasFocus()) return;
  // A press alone does not turn the knob; the first move does.
  dragging_ = true;
  update();
}

void TVolume::MouseMove(int x, int y, QPoint globalPointer) {
  if (!dragging_) {
    tracking_->Moved(globalPointer);
    return;
  }
  const std::optional<int> turned = KnobPositionAt(x - width() / 2, height() / 2 - y, position_, max_);
  if (!turned) return;
  position_ = *turned;
  // Every move reports, whether or not the value changed.
  emit OnChange(this, position_);
  update();
}

void TVolume::MouseUp() {
  dragging_ = false;
  tracking_->Update();
}

void TVolume::CMFocusChanged() { update(); }

void TVolume::mousePressEvent(QMouseEvent* event) { MouseDown(event->button()); }

void TVolume::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  MouseMove(at.x(), at.y(), event->globalPosition().toPoint());
}

void TVolume::mouseReleaseEvent(QMouseEvent*) { MouseUp(); }

void TVolume::focusInEvent(QFocusEvent*) { CMFocusChanged(); }
void TVolume::focusOutEvent(QFocusEvent*) { CMFocusChanged(); }

void TVolume::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) update();
  QWidget::changeEvent(event);
}

// ---- Keys -----------------------------------------------------------------

bool TVolume::KeyDown(int& key, Qt::KeyboardModifiers shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
  int value;
  switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Down: value = position_ - tickSize_; break;
    case Qt::Key_Right:
    case Qt::Key_Up: value = position_ + tickSize_; break;
    case Qt::Key_PageUp: value = position_ + pageSize_; break;
    case Qt::Key_PageDown: value = position_ - pageSize_; break;
    default: return key == 0;  // 0: the owner's handler took the key
  }
  SetPosition(value);
  key = 0;
  emit OnChange(this, position_);
  return true;
}

void TVolume::keyPressEvent(QKeyEvent* event) {
  int key = event->key();
  if (KeyDown(key, event->modifiers())) {
    event->accept();
  } else {
    // Not ours: let the parent (and the window's shortcuts) see it.
    event->ignore();
  }
}

}  // namespace tp
