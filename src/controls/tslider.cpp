#include "controls/tslider.h"

#include "controls/accessiblenotify.h"

#include "controls/alphadraw.h"
#include "controls/pointertracking.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace tp {

namespace {

// A drag that strays further than this from the control snaps back.
constexpr int kDragMargin = 20;

}  // namespace

TSlider::TSlider(QWidget* parent)
    : TPointerControl(parent) {
  setFocusPolicy(Qt::StrongFocus);
  resize(100, 20);
}

void TSlider::SetPosition(int value) { SetPositionFrom(value); }

// Position plus a step can pass the 32-bit range on a long take, so the sum
// is made in 64 bits and limited before it is stored.
void TSlider::SetPositionFrom(int64_t value) {
  const int before = position_;
  position_ = int(std::clamp<int64_t>(value, 0, max_));
  emit OnChanging(this, position_);
  update();
  if (position_ != before) NotifyValueChanged(*this, position_);
}

void TSlider::ChangeByUser(int value) {
  SetPositionFrom(value);
  emit OnChanged(this, position_);
}

void TSlider::SetMax(int value) {
  max_ = std::max(1, value);
  if (max_ < position_) {
    position_ = max_;
    update();
    NotifyValueChanged(*this, position_);
  }
}

void TSlider::SetThumbWidth(int value) {
  thumbWidth_ = value;
  update();
}

void TSlider::SetThumbHeight(int value) {
  thumbHeight_ = value;
  update();
}

int TSlider::ThumbOffset() const {
  return int(int64_t(position_) * (width() - thumbWidth_) / max_);
}

// ---- Painting -------------------------------------------------------------

const QImage& TSlider::ThumbPicture() const {
  // Dragging does not change the picture; hovering and focus do.
  const bool hover = Tracking().Inside();
  const KnobLook look = !isEnabled() ? KnobLook::Disabled
                        : hasFocus() ? (hover ? KnobLook::FocusedPointed : KnobLook::Focused)
                                     : (hover ? KnobLook::Pointed : KnobLook::Normal);
  return thumbs_[look].For(Ratio());
}

void TSlider::Paint() {
  QImage work = NewWorkBitmap();
  if (work.isNull()) return;
  AlphaDraw(0, 0, work, baseBmp_.For(Ratio()));
  const QPoint thumb = DevicePoint(ThumbOffset(), 0);
  AlphaDraw(thumb.x(), thumb.y(), work, ThumbPicture());
  Show(work);
}

// ---- Pointer --------------------------------------------------------------

void TSlider::MouseDown(Qt::MouseButton button, int x, int y) {
  if (button != Qt::LeftButton || !isEnabled()) return;
  if (!hasFocus()) setFocus(Qt::MouseFocusReason);
  if (!hasFocus()) return;

  const int thumb = ThumbOffset();
  if (x >= thumb && x < thumb + thumbWidth_ && y >= 0 && y < thumbHeight_) {
    dragging_ = true;
    dragStartX_ = x;
    dragStartPosition_ = position_;
    update();
    return;
  }
  // Beside the thumb: one page toward the press, reported as complete even
  // when the value is already at its limit.
  SetPositionFrom(int64_t(position_) + (thumb < x ? pageSize_ : -int64_t(pageSize_)));
  emit OnChanged(this, position_);
}

void TSlider::FollowDrag(int x, int y) {
  const bool near = x >= -kDragMargin && x < width() + kDragMargin && y >= -kDragMargin &&
                    y < height() + kDragMargin;
  const int travel = width() - thumbWidth_;
  if (!near || travel <= 0) {
    SetPositionFrom(dragStartPosition_);
    return;
  }
  SetPositionFrom(dragStartPosition_ + int64_t(x - dragStartX_) * max_ / travel);
}

void TSlider::MouseMove(int x, int y, QPoint globalPointer) {
  if (!dragging_) {
    Tracking().Moved(globalPointer);
    return;
  }
  FollowDrag(x, y);
  emit OnChanging(this, position_);
}

void TSlider::MouseUp(int x, int y) {
  if (!dragging_) return;
  dragging_ = false;
  Tracking().Clear();
  // Releasing far from the control cancels the drag.
  FollowDrag(x, y);
  emit OnChanged(this, position_);
  // Where the pointer is now, not where it was released: a click may have
  // run a dialog, and the pointer has moved on since.
  Tracking().Update();
}

// ---- Keys -----------------------------------------------------------------

// The slider's keys replace the base key handling: no owner hooks them.
bool TSlider::KeyDown(int& key) {
  int64_t value;
  switch (key) {
    case Qt::Key_Left: value = int64_t(position_) - tickSize_; break;
    case Qt::Key_Right: value = int64_t(position_) + tickSize_; break;
    case Qt::Key_Up: value = int64_t(position_) - midSize_; break;
    case Qt::Key_Down: value = int64_t(position_) + midSize_; break;
    case Qt::Key_PageUp: value = int64_t(position_) - pageSize_; break;
    case Qt::Key_PageDown: value = int64_t(position_) + pageSize_; break;
    case Qt::Key_Home: value = 0; break;
    default: return false;  // End included: the slider has no key for the far end
  }
  SetPositionFrom(value);
  key = 0;
  emit OnChanged(this, position_);
  return true;
}

void TSlider::keyPressEvent(QKeyEvent* event) {
  int key = event->key();
  if (KeyDown(key)) event->accept(); else event->ignore();
}

}  // namespace tp
