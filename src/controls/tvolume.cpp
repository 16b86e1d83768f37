#include "controls/tvolume.h"

#include "controls/accessiblenotify.h"

#include "controls/alphadraw.h"
#include "controls/knobgeometry.h"
#include "controls/pointertracking.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QWheelEvent>

#include <algorithm>

namespace tp {

TVolume::TVolume(QWidget* parent)
    : TPointerControl(parent) {
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

// ---- Painting -------------------------------------------------------------

const QImage& TVolume::KnobPicture() const {
  const bool hover = Tracking().Inside();
  const KnobLook look = !isEnabled() ? KnobLook::Disabled
                        : hasFocus() ? (hover || dragging_ ? KnobLook::FocusedPointed : KnobLook::Focused)
                                     : (hover ? KnobLook::Pointed : KnobLook::Normal);
  return looks_[look].For(Ratio());
}

void TVolume::Paint() {
  QImage work = NewWorkBitmap();
  if (work.isNull()) return;
  AlphaDraw(0, 0, work, KnobPicture());

  const int cx = width() / 2, cy = height() / 2;
  const KnobOffset end = KnobPointerEnd(position_, max_, cx, cy);
  // From the centre of the middle pixel, smoothed: at any angle and at any
  // scale the line is a line, not a staircase. Square caps keep a straight
  // line's end pixels whole.
  QPainter pointer(&work);
  pointer.setRenderHint(QPainter::Antialiasing);
  pointer.setPen(QPen(QColor(255, 255, 255), 1.0, Qt::SolidLine, Qt::SquareCap));
  const QPointF centre(cx + 0.5, cy + 0.5);
  pointer.drawLine(centre, centre + QPointF(end.dx, -end.dy));
  pointer.end();
  Show(work);
}

// ---- Pointer --------------------------------------------------------------

void TVolume::MouseDown(Qt::MouseButton button, int, int) {
  if (button != Qt::LeftButton || !isEnabled()) return;
  if (!hasFocus()) setFocus(Qt::MouseFocusReason);
  if (!hasFocus()) return;
  // A press alone does not turn the knob; the first move does.
  dragging_ = true;
  update();
}

void TVolume::MouseMove(int x, int y, QPoint globalPointer) {
  if (!dragging_) {
    Tracking().Moved(globalPointer);
    return;
  }
  const std::optional<int> turned = KnobPositionAt(x - width() / 2, height() / 2 - y, position_, max_);
  if (!turned) return;
  position_ = *turned;
  // Every move reports, whether or not the value changed.
  emit OnChange(this, position_);
  update();
}

void TVolume::MouseUp(int, int) {
  dragging_ = false;
  Tracking().Update();
}

void TVolume::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !isEnabled()) return;
  ChangeByUser(defaultPosition_);
}

void TVolume::wheelEvent(QWheelEvent* event) {
  if (!isEnabled()) return;
  const QPoint turned = event->angleDelta();
  // A horizontal wheel (or Shift on some systems) turns it too.
  wheelRemainder_ += turned.y() != 0 ? turned.y() : turned.x();
  constexpr int Notch = 120;
  const int notches = wheelRemainder_ / Notch;
  wheelRemainder_ -= notches * Notch;
  event->accept();
  if (notches != 0) ChangeByUser(position_ + notches * tickSize_);
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
