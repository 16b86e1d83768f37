// The one way a sound's outline is drawn: the take grid's cells draw their
// takes with it, and the open dialog's preview the file under selection.
#pragma once

#include <QColor>
#include <QRect>

#include <cstdint>
#include <span>

class QPainter;

namespace tp {

// The band of `area` that lane `lane` of `lanes` stacked top to bottom
// takes; the bands share the height out without gaps or overlaps.
QRect OutlineLaneArea(QRect area, int lane, int lanes);

// One lane into `area`: per column the range from its lowest to its highest
// sample (full scale 32,768) around the middle, at least one pixel high and
// wide, in `ink`. The columns share the width out as the lanes do the height.
void PaintOutlineLane(QPainter& painter, std::span<const int16_t> low, std::span<const int16_t> high, QRect area,
                      QColor ink);

}  // namespace tp
