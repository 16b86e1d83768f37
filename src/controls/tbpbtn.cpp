#include "controls/tbpbtn.h"

#include "controls/accessiblenotify.h"

#include "controls/alphadraw.h"
#include "controls/keyboardcue.h"
#include "controls/pointertracking.h"
#include "controls/workbitmap.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tp {

TBPBtn::TBPBtn(QWidget* parent)
    : TPointerControl(parent) {
  // Tab reaches it, a click does not take the focus from where the user
  // works (the matrix, the slider). It frames itself only when the keyboard
  // brought the focus (keyboardcue.h): Qt hands the focus on to the next
  // button whenever the idle rules disable the focused control, and a frame
  // must not light up then unasked.
  setFocusPolicy(Qt::TabFocus);
  resize(16, 16);
}

void TBPBtn::SetCharColor(QColor color) {
  if (color == charColor_) return;
  charColor_ = color;
  update();
}

void TBPBtn::SetPressCharColor(QColor color) {
  if (color == pressCharColor_) return;
  pressCharColor_ = color;
  update();
}

void TBPBtn::SetCaption(const QString& caption) {
  caption_ = caption;
  update();
}

void TBPBtn::SetDown(bool value) {
  const bool changed = value != down_;
  down_ = value;
  update();
  if (changed) NotifyCheckedChanged(*this);
}

void TBPBtn::Click() {
  SetDown(!down_);
  emit OnClick(this);
}

// ---- Painting -------------------------------------------------------------

const QImage& TBPBtn::StateBitmap() const {
  const bool pointed = Tracking().Inside();
  const ButtonLook look = pressed_ ? ButtonLook::Pressed
                          : down_  ? (pointed ? ButtonLook::DownPointed : ButtonLook::Down)
                                   : (pointed ? ButtonLook::Pointed : ButtonLook::Normal);
  return looks_[look].For(Ratio());
}

QImage TBPBtn::Background() {
  if (!OnGetParentBG) return NewWorkBitmap();
  // The handler paints in the button's logical coordinates, at the ratio.
  QImage work = LogicalImage(width(), height(), Ratio(), QImage::Format_ARGB32);
  work.fill(palette().color(QPalette::Window));
  OnGetParentBG(this, work);
  return work.convertToFormat(QImage::Format_ARGB32);
}

void TBPBtn::Paint() {
  QImage work = Background();
  if (work.isNull()) return;
  AlphaDraw(0, 0, work, isEnabled() ? StateBitmap() : dimmed_.Of(StateBitmap()));

  // Drawn in every state, also when empty; one pixel right of and below centre.
  QPainter painter(&work);
  painter.setFont(font());
  const QColor pen = pressed_ ? pressCharColor_ : charColor_;
  painter.setPen(isEnabled() ? pen : QColor::fromRgba(DimmedColour(pen.rgba())));
  const QFontMetrics metrics(font());
  const int x = (width() - metrics.horizontalAdvance(caption_)) / 2 + 1;
  const int y = (height() - metrics.height()) / 2 + 1;
  painter.drawText(x, y + metrics.ascent(), caption_);
  if (hasFocus() && KeyboardCue()) {
    painter.setPen(QColor(0xff, 0xc4, 0x4c));  // the amber of the grid's focus frame
    painter.drawRect(0, 0, width() - 1, height() - 1);
  }
  painter.end();
  Show(work);
}

// ---- Pointer --------------------------------------------------------------

void TBPBtn::MouseDown(Qt::MouseButton button, int, int) {
  if (button != Qt::LeftButton || !isEnabled()) return;
  pressing_ = true;
  pressed_ = true;
  update();
}

void TBPBtn::MouseMove(int x, int y, QPoint globalPointer) {
  if (pressing_) {
    const bool inside = rect().contains(x, y);
    if (inside != pressed_) {
      pressed_ = inside;
      update();
    }
    return;
  }
  Tracking().Moved(globalPointer);
}

void TBPBtn::MouseUp(int x, int y) {
  if (!pressing_) return;
  // Any button's release ends the press.
  pressing_ = false;
  Tracking().Clear();
  pressed_ = false;
  if (rect().contains(x, y)) Click();
  // Where the pointer is now, not where it was released: a click may have
  // run a dialog, and the pointer has moved on since.
  Tracking().Update();
}

void TBPBtn::CMMouseEnter() {
  update();
  emit OnEnter(this);
}

void TBPBtn::CMMouseLeave() {
  update();
  emit OnLeave(this);
}

// Enter and Return do what a click does; the blank is the window's.
void TBPBtn::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (!enter || !isEnabled() || event->modifiers() != Qt::NoModifier) {
    event->ignore();
    return;
  }
  Click();
}

}  // namespace tp
