#include "controls/tbitpanel.h"

#include <QPainter>

namespace tp {

std::vector<QPoint> BitmapPlacements(TbpLayout layout, QRect client, QSize bitmap) {
  std::vector<QPoint> placements;
  if (bitmap.isEmpty()) return placements;
  const int left = client.left(), top = client.top();
  const int right = client.left() + client.width(), bottom = client.top() + client.height();
  switch (layout) {
    case blCenter:
      // May be negative: a bitmap larger than the panel is cut on all sides.
      placements.emplace_back((right - left) / 2 - bitmap.width() / 2, (bottom - top) / 2 - bitmap.height() / 2);
      break;
    case blMulti:
      for (int y = top; y < bottom; y += bitmap.height())
        for (int x = left; x < right; x += bitmap.width()) placements.emplace_back(x, y);
      break;
    case blSingle:
    default:
      placements.emplace_back(0, 0);
      break;
  }
  return placements;
}

TBitPanel::TBitPanel(QWidget* parent)
    : QWidget(parent), color_(palette().color(QPalette::Button)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TBitPanel::SetBitmap(const SkinBitmap& bitmap) {
  bitmap_ = bitmap;
  update();
}

void TBitPanel::SetLayout(TbpLayout layout) {
  layout_ = layout;
  update();
}

void TBitPanel::SetColor(QColor color) {
  color_ = color;
  update();
}

void TBitPanel::SetBevelOuter(TBevelCut cut) {
  bevelOuter_ = cut;
  update();
}

void TBitPanel::SetBevelInner(TBevelCut cut) {
  bevelInner_ = cut;
  update();
}

void TBitPanel::SetBevelWidth(int width) {
  bevelWidth_ = width;
  update();
}

void TBitPanel::SetBorderWidth(int width) {
  borderWidth_ = width;
  update();
}

void TBitPanel::SetCaption(const QString& caption) {
  caption_ = caption;
  update();
}

void TBitPanel::Paint() {
  QPainter painter(this);
  const QRect client = rect();

  if (bitmap_.isNull()) {
    if (OnPaint) {
      OnPaint(this, painter);
      DrawFrames(painter);
      return;
    }
    painter.fillRect(client, color_);
    DrawFrames(painter);
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(client, Qt::AlignCenter, caption_);
    return;
  }

  if (OnPaint) OnPaint(this, painter); else painter.fillRect(client, color_);
  const QImage& picture = bitmap_.For(devicePixelRatioF());
  for (const QPoint& at : BitmapPlacements(layout_, client, Bitmap().size())) painter.drawImage(at, picture);
  DrawFrames(painter);
}

QImage TBitPanel::Picture(QSize size, qreal ratio) const {
  QImage picture = LogicalImage(size.width(), size.height(), ratio, QImage::Format_RGB32);
  picture.fill(color_.isValid() ? color_ : QColor(Qt::black));
  QPainter painter(&picture);
  const QImage& bitmap = bitmap_.For(ratio);
  for (const QPoint& at : BitmapPlacements(layout_, QRect(QPoint(0, 0), size), Bitmap().size()))
    painter.drawImage(at, bitmap);
  return picture;
}

void TBitPanel::paintEvent(QPaintEvent*) { Paint(); }

// Outer bevel, border in the panel's colour, inner bevel: each inside the last.
void TBitPanel::DrawFrames(QPainter& painter) const {
  const QColor shadow = palette().color(QPalette::Dark);
  const QColor highlight = palette().color(QPalette::Light);
  QRect frame = rect();

  const auto drawBevel = [&](TBevelCut cut) {
    if (cut == bvNone) return;
    const bool lowered = cut == bvLowered;
    const QColor topLeft = lowered ? shadow : highlight;
    const QColor bottomRight = lowered ? highlight : shadow;
    for (int i = 0; i < bevelWidth_ && frame.width() > 0 && frame.height() > 0; ++i) {
      painter.fillRect(frame.left(), frame.top(), frame.width(), 1, topLeft);
      painter.fillRect(frame.left(), frame.top(), 1, frame.height(), topLeft);
      painter.fillRect(frame.left(), frame.bottom(), frame.width(), 1, bottomRight);
      painter.fillRect(frame.right(), frame.top(), 1, frame.height(), bottomRight);
      frame.adjust(1, 1, -1, -1);
    }
  };

  drawBevel(bevelOuter_);
  for (int i = 0; i < borderWidth_ && frame.width() > 0 && frame.height() > 0; ++i) {
    painter.setPen(color_);
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    frame.adjust(1, 1, -1, -1);
  }
  drawBevel(bevelInner_);
}

}  // namespace tp
