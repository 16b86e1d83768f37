// The keyboard's focus frame of the window: amber, as the time displays,
// with a dark line inside it, so that it stands out on every face it is
// drawn over (a red chosen take as much as a dark empty one). The skinned
// controls draw it themselves; FocusFrameStyle draws it for Qt's own
// widgets in place of their style's faint focus rectangle.
#pragma once

#include <QProxyStyle>
#include <QRect>

class QPainter;

namespace tp {

// The amber of the frame.
QColor FocusFrameColour();
// The frame along the inside of `area` (logical pixels): an amber ring one
// pixel wide and a dark ring inside it.
void DrawFocusFrame(QPainter& painter, const QRect& area);

// A proxy over the application's style whose focus rectangle is the frame
// above, shown when the keyboard moved the focus (as the style's own).
class FocusFrameStyle : public QProxyStyle {
 public:
  FocusFrameStyle();
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};

}  // namespace tp
