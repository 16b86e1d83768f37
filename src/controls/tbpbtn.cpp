#include "controls/tbpbtn.h"

#include "controls/alphadraw.h"
#include "controls/pointertracking.h"
#include "controls/workbitmap.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

namespace tp {

TBPBtn::TBPBtn(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
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

void TBPBtn::SetBitmap(QImage& owned, const QImage& given) {
  if (AssignBitmap(owned, given)) update();
}

void TBPBtn::SetCaption(const QString& caption) {
  caption_ = caption;
  update();
}

void TBPBtn::SetDown(bool value) {
  down_ = value;
  update();
}

// ---- Painting -------------------------------------------------------------

const QImage& TBPBtn::StateBitmap() const {
  if (pressed_) return pressBtnBmp_;
  if (down_) return mouseInControl_ ? dPointBtnBmp_ : downBtnBmp_;
  return mouseInControl_ ? pointBtnBmp_ : btnBmp_;
}

void TBPBtn::Paint() {
  QImage work;
  if (OnGetParentBG) {
    work = QImage(size(), QImage::Format_ARGB32);
    work.fill(palette().color(QPalette::Window));
    OnGetParentBG(this, work);
    work = work.convertToFormat(QImage::Format_ARGB32);
  } else {
    work = MakeWorkBitmap(backBmp_, size(), palette().color(QPalette::Window));
  }
  if (work.isNull()) return;
  AlphaDraw(0, 0, work, StateBitmap());

  // Drawn in every state, also when empty; one pixel right of and below centre.
  QPainter painter(&work);
  painter.setFont(font());
  painter.setPen(pressed_ ? pressCharColor_ : charColor_);
  const QFontMetrics metrics(font());
  const int x = (width() - metrics.horizontalAdvance(caption_)) / 2 + 1;
  const int y = (height() - metrics.height()) / 2 + 1;
  painter.drawText(x, y + metrics.ascent(), caption_);
  painter.end();

  QPainter(this).drawImage(0, 0, AsShown(work));
}

void TBPBtn::paintEvent(QPaintEvent*) { Paint(); }

// ---- Pointer --------------------------------------------------------------

void TBPBtn::MouseDown(Qt::MouseButton button) {
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
  if (!mouseInControl_) UpdateTracking(globalPointer);
}

void TBPBtn::MouseUp(int x, int y, QPoint globalPointer) {
  if (!pressing_) return;
  // Any button's release ends the press.
  pressing_ = false;
  mouseInControl_ = false;
  pressed_ = false;
  if (rect().contains(x, y)) {
    down_ = !down_;
    update();
    emit OnClick(this);
  }
  UpdateTracking(globalPointer);
}

void TBPBtn::UpdateTracking(QPoint globalPointer) {
  if (!isEnabled()) return;
  // Preset the flag to the opposite so that the notice below always acts.
  const bool over = PointerIsOver(this, globalPointer);
  mouseInControl_ = !over;
  if (over) CMMouseEnter(); else CMMouseLeave();
}

void TBPBtn::CMMouseEnter() {
  if (mouseInControl_ || !isEnabled()) return;
  mouseInControl_ = true;
  update();
  emit OnEnter(this);
}

void TBPBtn::CMMouseLeave() {
  if (!mouseInControl_ || !isEnabled()) return;
  mouseInControl_ = false;
  update();
  emit OnLeave(this);
}

void TBPBtn::CMEnabledChanged() {
  UpdateTracking(QCursor::pos());
  update();
}

void TBPBtn::mousePressEvent(QMouseEvent* event) { MouseDown(event->button()); }

void TBPBtn::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  MouseMove(at.x(), at.y(), event->globalPosition().toPoint());
}

void TBPBtn::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  MouseUp(at.x(), at.y(), event->globalPosition().toPoint());
}

void TBPBtn::enterEvent(QEnterEvent*) { CMMouseEnter(); }
void TBPBtn::leaveEvent(QEvent*) { CMMouseLeave(); }

void TBPBtn::changeEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::EnabledChange: CMEnabledChanged(); break;
    case QEvent::FontChange:
    case QEvent::PaletteChange: update(); break;
    default: break;
  }
  QWidget::changeEvent(event);
}

}  // namespace tp
