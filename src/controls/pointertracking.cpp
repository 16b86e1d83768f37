#include "controls/pointertracking.h"

#include <QApplication>
#include <QWidget>

namespace tp {

bool PointerIsOver(const QWidget* widget, QPoint pointer) {
  return QApplication::widgetAt(pointer) == widget;
}

}  // namespace tp
