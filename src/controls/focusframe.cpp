#include "controls/focusframe.h"

#include <QApplication>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

namespace tp {

QColor FocusFrameColour() { return QColor(0xff, 0xc4, 0x4c); }

void DrawFocusFrame(QPainter& painter, const QRect& area) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(FocusFrameColour());
  painter.drawRect(area.adjusted(0, 0, -1, -1));
  // Near black: amber against it has a contrast of about 12 to 1 whatever
  // lies around the frame.
  painter.setPen(QColor(0x14, 0x14, 0x14));
  painter.drawRect(area.adjusted(1, 1, -2, -2));
  painter.restore();
}

FocusFrameStyle::FocusFrameStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

void FocusFrameStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                    const QWidget* widget) const {
  if (element != PE_FrameFocusRect) {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    return;
  }
  // As Qt's styles do: the frame shows once the keyboard has moved the focus.
  if (option->state & State_KeyboardFocusChange) DrawFocusFrame(*painter, option->rect);
}

}  // namespace tp
