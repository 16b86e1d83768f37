// Which control the pointer is over, for the skinned controls' hover rules.
#pragma once

#include <QPoint>

class QWidget;

namespace tp {

// True when the topmost widget at the global position `pointer` is `widget`
// itself. Disabled widgets count, as they do for the hover rules: a control
// that covers another keeps the pointer even while it is disabled.
bool PointerIsOver(const QWidget* widget, QPoint pointer);

}  // namespace tp
