// TPointerControl: a skinned control that the pointer presses and hovers
// (the bitmap button, the button matrix, the knob, the slider). Qt's
// mouse events reach it as the design's MouseDown, MouseMove and MouseUp in
// the control's coordinates, and the hover flag's flips (kept by
// PointerTracking) as CMMouseEnter and CMMouseLeave. It also keeps whether
// the keyboard's focus frame shows (keyboardcue.h), for the controls that
// draw one.
#pragma once

#include <QPoint>

#include "controls/pointertracking.h"
#include "controls/tskinnedcontrol.h"

namespace tp {

class TPointerControl : public TSkinnedControl {
 public:
  explicit TPointerControl(QWidget* parent);

 protected:
  virtual void MouseDown(Qt::MouseButton button, int x, int y) = 0;
  virtual void MouseMove(int x, int y, QPoint globalPointer) = 0;
  virtual void MouseUp(int x, int y) = 0;
  // The pointed look is part of the picture: by default a flip repaints.
  virtual void CMMouseEnter() { update(); }
  virtual void CMMouseLeave() { update(); }

  PointerTracking& Tracking() const { return *tracking_; }  // MouseInControl
  // The frame shows while the control has the focus and the keyboard
  // brought it there; a change repaints (SkinChanged).
  bool KeyboardCue() const { return keyboardCue_; }
  void SetKeyboardCue(bool shown);

  void mousePressEvent(QMouseEvent* event) final;
  void mouseMoveEvent(QMouseEvent* event) final;
  void mouseReleaseEvent(QMouseEvent* event) final;
  void focusInEvent(QFocusEvent* event) override;

 private:
  PointerTracking* tracking_;
  bool keyboardCue_ = false;
};

}  // namespace tp
