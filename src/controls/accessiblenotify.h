// What a skinned control tells assistive technology (a screen reader) when
// its state changes by any path: the user's input, its owner's code. As
// Qt's own widgets do, the notices go out whether or not anything listens:
// Qt drops them cheaply, and a test's update handler hears them.
#pragma once

#include <QVariant>

class QWidget;

namespace tp {

// A value control's (knob, slider, meter) value is now `value`.
void NotifyValueChanged(QWidget& control, const QVariant& value);
// A latching button, or cell `child` of a matrix (-1: the control itself),
// was checked or released.
void NotifyCheckedChanged(QWidget& control, int child = -1);
// Cell `child` of a matrix now reads differently (its caption, whether it
// holds content).
void NotifyNameChanged(QWidget& control, int child);
// The keyboard moved to cell `child` of a matrix that has the focus.
void NotifyFocusedCell(QWidget& control, int child);

}  // namespace tp
