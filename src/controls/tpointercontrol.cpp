#include "controls/tpointercontrol.h"

#include <QMouseEvent>

#include "controls/keyboardcue.h"

namespace tp {

TPointerControl::TPointerControl(QWidget* parent)
    : TSkinnedControl(parent), tracking_(new PointerTracking(*this, [this](bool inside) {
        if (inside) CMMouseEnter(); else CMMouseLeave();
      })) {
  // Hover needs moves without a button held.
  setMouseTracking(true);
}

void TPointerControl::SetKeyboardCue(bool shown) {
  if (shown == keyboardCue_) return;
  keyboardCue_ = shown;
  SkinChanged();
}

void TPointerControl::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  MouseDown(event->button(), at.x(), at.y());
}

void TPointerControl::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  MouseMove(at.x(), at.y(), event->globalPosition().toPoint());
}

void TPointerControl::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  MouseUp(at.x(), at.y());
}

void TPointerControl::focusInEvent(QFocusEvent* event) {
  keyboardCue_ = KeyboardCueAfter(*event, *this, keyboardCue_);
  // The frame's look follows the focus whether or not the cue changed.
  SkinChanged();
}

}  // namespace tp
