#include "controls/pointertracking.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QWidget>

namespace tp {

bool PointerIsOver(const QWidget* widget, QPoint pointer) {
  return QApplication::widgetAt(pointer) == widget;
}

PointerTracking::PointerTracking(QWidget& control, std::function<void(bool inside)> flipped)
    : QObject(&control), control_(control), flipped_(std::move(flipped)) {
  control.installEventFilter(this);
}

void PointerTracking::Set(bool inside) {
  if (inside_ == inside || !control_.isEnabled()) return;
  inside_ = inside;
  flipped_(inside);
}

void PointerTracking::Update() { UpdateAt(QCursor::pos()); }

void PointerTracking::UpdateAt(QPoint globalPointer) {
  if (!control_.isEnabled()) return;
  const bool over = PointerIsOver(&control_, globalPointer);
  inside_ = !over;
  Set(over);
}

// The control's own handlers still run after these: the filter only watches.
bool PointerTracking::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &control_) {
    switch (event->type()) {
      case QEvent::Enter: Enter(); break;
      case QEvent::Leave: Leave(); break;
      case QEvent::EnabledChange: Update(); break;
      default: break;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace tp
