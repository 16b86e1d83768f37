// The accessible interfaces of the skinned controls, one maker per control
// kind; the factory in accessiblefactory.cpp hands them to Qt.
#pragma once

#include <QAccessibleWidget>

namespace tp {

class TBPBtn;
class TBitPanel;
class TBtnMtx;
class TLevelMeter;
class TSlider;
class TVolume;

QAccessibleInterface* MakeAccessibleButton(TBPBtn* button);
QAccessibleInterface* MakeAccessibleMatrix(TBtnMtx* matrix);
QAccessibleInterface* MakeAccessibleKnob(TVolume* knob);
QAccessibleInterface* MakeAccessibleSlider(TSlider* slider);
QAccessibleInterface* MakeAccessibleMeter(TLevelMeter* meter);
QAccessibleInterface* MakeAccessiblePanel(TBitPanel* panel);

// A control's description: the one its owner's texts compute from the state
// when there is one, else the accessible description or the tooltip.
QString DescriptionOf(const QWidget& control);

}  // namespace tp
