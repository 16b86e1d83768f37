#include "dialogs/twaveview.h"

#include "controls/outlinepainter.h"

#include <QPainter>

#include <algorithm>

namespace tp {

TWaveView::TWaveView(QWidget* parent) : QWidget(parent) {}

void TWaveView::SetOutline(SoundOutline outline) {
  outline_ = std::move(outline);
  note_.clear();
  update();
}

void TWaveView::Clear(const QString& note) {
  outline_ = SoundOutline();
  note_ = note;
  position_ = -1;
  update();
}

void TWaveView::SetPosition(int64_t frame) {
  if (frame == position_) return;
  position_ = frame;
  update();
}

int TWaveView::PositionX(int64_t frame) const {
  if (outline_.frames == 0) return 1;
  const int64_t inside = width() - 2;
  return 1 + int(std::min<int64_t>(inside - 1, frame * inside / int64_t(outline_.frames)));
}

void TWaveView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPalette& colours = palette();
  painter.fillRect(rect(), colours.color(QPalette::Base));
  painter.setPen(colours.color(QPalette::Mid));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  const QRect inside = rect().adjusted(1, 1, -1, -1);
  if (!note_.isEmpty()) {
    painter.setPen(colours.color(QPalette::Disabled, QPalette::Text));
    painter.drawText(inside, Qt::AlignCenter, note_);
  }
  const int lanes = int(outline_.channels.size());
  for (int lane = 0; lane < lanes; ++lane)
    PaintLane(painter, outline_.channels[size_t(lane)], OutlineLaneArea(inside, lane, lanes));
  if (position_ >= 0 && lanes > 0) {
    painter.setPen(colours.color(QPalette::Highlight));
    const int x = PositionX(position_);
    painter.drawLine(x, inside.top(), x, inside.bottom());
  }
}

void TWaveView::PaintLane(QPainter& painter, const ChannelOutline& lane, QRect area) const {
  const QColor ink = palette().color(QPalette::Text);
  QColor faint = ink;
  faint.setAlpha(60);
  // The zero line, faint, under the outline.
  const int centre = int(area.top() + area.height() / 2.0);
  painter.setPen(faint);
  painter.drawLine(area.left(), centre, area.right(), centre);
  PaintOutlineLane(painter, lane.minimum, lane.maximum, area, ink);
}

}  // namespace tp
