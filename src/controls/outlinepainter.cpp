#include "controls/outlinepainter.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tp {

QRect OutlineLaneArea(QRect area, int lane, int lanes) {
  const int top = area.top() + lane * area.height() / lanes;
  const int bottom = area.top() + (lane + 1) * area.height() / lanes;
  return QRect(area.left(), top, area.width(), bottom - top);
}

void PaintOutlineLane(QPainter& painter, std::span<const int16_t> low, std::span<const int16_t> high, QRect area,
                      QColor ink) {
  const double centre = area.top() + area.height() / 2.0, half = area.height() / 2.0;
  const int columns = int(std::min(low.size(), high.size()));
  for (int column = 0; column < columns; ++column) {
    const int left = area.left() + column * area.width() / columns;
    const int right = area.left() + (column + 1) * area.width() / columns;
    const int top = int(std::floor(centre - high[size_t(column)] / 32768.0 * half));
    const int bottom = int(std::ceil(centre - low[size_t(column)] / 32768.0 * half));
    painter.fillRect(left, top, std::max(1, right - left), std::max(1, bottom - top), ink);
  }
}

}  // namespace tp
