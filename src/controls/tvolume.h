// TVolume: a small bitmap-skinned rotary knob for an integer from 0 to Max,
// shown as a white pointer line over the knob picture, turned by dragging
// around its centre, with the mouse wheel (a step a notch) or with the
// cursor keys; a double-click puts it back to its default. The mixer has
// 32 of them.
#pragma once

#include <QImage>

#include <functional>

#include "controls/skinbitmap.h"
#include "controls/tpointercontrol.h"

namespace tp {

class TVolume : public TPointerControl {
  Q_OBJECT

 public:
  explicit TVolume(QWidget* parent = nullptr);

  // Limited to 0..Max; repaints and fires no OnChange (only the user's input does).
  int Position() const { return position_; }
  void SetPosition(int value);
  // As the user's input does: sets Position, then fires OnChange (a screen
  // reader setting the value comes here).
  void ChangeByUser(int value);
  // Pulls Position down when it would lie above the new Max.
  int Max() const { return max_; }
  void SetMax(int value);
  int PageSize() const { return pageSize_; }  // Page Up / Page Down
  void SetPageSize(int value) { pageSize_ = value; }
  int TickSize() const { return tickSize_; }  // the arrow keys and a notch of the wheel
  void SetTickSize(int value) { tickSize_ = value; }
  // Where a double-click puts the knob (the mixer's volume 100, pan centre).
  int DefaultPosition() const { return defaultPosition_; }
  void SetDefaultPosition(int value) { defaultPosition_ = value; }

  // The knob picture of each look (Norm ... Dis; Format_ARGB32 with alpha,
  // copied on assignment), at 100 %.
  const QImage& StateBmp(KnobLook look) const { return looks_[look].Image(); }
  void SetStateBmp(KnobLook look, const SkinBitmap& bitmap) { Assign(looks_, look, bitmap); }

  // Runs before the knob's own key handling with the Qt::Key code; a handler
  // that sets `key` to 0 consumes the key (the mixer takes Home this way).
  std::function<void(TVolume* sender, int& key, Qt::KeyboardModifiers shift)> OnKeyDown;

 signals:
  // Fired by dragging and by keys, also when the value did not change.
  void OnChange(TVolume* vol, int pos);

 protected:
  void Paint() override;
  // The knob turns by how far the pointer moves, wherever it was pressed.
  void MouseDown(Qt::MouseButton button, int, int) override;
  void MouseMove(int x, int y, QPoint globalPointer) override;
  void MouseUp(int, int) override;
  // Returns whether the key was handled; `key` is 0 afterwards if so.
  bool KeyDown(int& key, Qt::KeyboardModifiers shift);

  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  const QImage& KnobPicture() const;

  int position_ = 0;
  int max_ = 100;
  int pageSize_ = 10;
  int tickSize_ = 1;
  int defaultPosition_ = 0;
  // Eighths of a degree the wheel turned short of a whole notch (a
  // touchpad's wheel sends small pieces), carried to its next turn.
  int wheelRemainder_ = 0;
  StateBitmaps<KnobLook> looks_;
  bool dragging_ = false;
};

}  // namespace tp
