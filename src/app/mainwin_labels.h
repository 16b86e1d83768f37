// The labels on the window's dark panels and the texts they show: what the
// files that build the panels and the ones that fill them share.
#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>

#include <string>

class QLabel;
class QWidget;

namespace tp {

// What a time label shows while there is no take to time.
inline const QString kInitialTime = QStringLiteral(" -:--:--:-- ");

// Text colours on the dark console face.
inline const QColor kLabelColour(0xc9, 0xce, 0xd6);
inline const QColor kDimLabelColour(0x8a, 0x92, 0x9c);
inline const QColor kTimeColour(0xff, 0xc4, 0x4c);

// A label over `area` in `colour`, drawn darker while disabled.
QLabel* PlacedLabel(QWidget* parent, const QString& text, QRect area, Qt::Alignment alignment, QColor colour);
// A label at a point, as wide as its text.
QLabel* LabelAt(QWidget* parent, const QString& text, QPoint at, QColor colour);

// A name as the recorder stores it (Shift JIS bytes), as text to show.
QString ToText(const std::string& nameBytes);

// A pan knob's position as its label shows it: "C" at the centre, else the
// side and the distance from the centre in percent of the way to the end
// (49 is L2, 0 is L100, 100 is R100).
QString PanText(int position);

}  // namespace tp
