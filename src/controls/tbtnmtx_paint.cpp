// The take grid's painting: each cell's state bitmap, its outline or
// warning mark behind the caption, and the focus frame, composed at once.
#include "controls/tbtnmtx.h"

#include "controls/alphadraw.h"
#include "controls/focusframe.h"
#include "controls/keyboardcue.h"
#include "controls/outlinepainter.h"
#include "controls/workbitmap.h"

#include <QFontMetrics>
#include <QPainter>

namespace tp {

const QImage& TBtnMtx::StateBitmap(const TMtxCell& cell, bool pointed) const {
  // Pressed first, then Down, then pointed.
  const ButtonLook look = cell.Pressed ? ButtonLook::Pressed
                          : cell.Down  ? (pointed ? ButtonLook::DownPointed : ButtonLook::Down)
                                       : (pointed ? ButtonLook::Pointed : ButtonLook::Normal);
  return Looks(cell.Assigned)[look].For(Ratio());
}

QImage TBtnMtx::ComposeFace() const {
  QImage work = NewWorkBitmap();
  if (work.isNull()) return work;

  // Cells are drawn in row-major order, so a bitmap larger than its cell is
  // overdrawn by the cells to its right and below.
  for (int row = 0; row < rows_; ++row) {
    for (int col = 0; col < cols_; ++col) {
      const TMtxCell& cell = cells_[size_t(row * cols_ + col)];
      const QImage& state = StateBitmap(cell, row == pointRow_ && col == pointCol_);
      const QImage& bitmap = isEnabled() ? state : dimmed_.Of(state);
      const QPoint at = DevicePoint(col * btnWidth_, row * btnHeight_);
      if (alphaBlend_) {
        AlphaDraw(at.x(), at.y(), work, bitmap);
      } else {
        CopyBitmap(at.x(), at.y(), work, bitmap);
      }
    }
  }

  DrawOutlines(work);
  QPainter painter(&work);
  painter.setFont(font());
  const QFontMetrics metrics(font());
  for (int row = 0; row < rows_; ++row) {
    for (int col = 0; col < cols_; ++col) {
      const TMtxCell& cell = cells_[size_t(row * cols_ + col)];
      if (!cell.Assigned) continue;
      // One pixel right of and below the exact centre; not clipped to the cell.
      const int tx = col * btnWidth_ + (btnWidth_ - metrics.horizontalAdvance(cell.caption)) / 2 + 1;
      const int ty = row * btnHeight_ + (btnHeight_ - metrics.height()) / 2 + 1;
      const QColor pen = cell.Pressed ? pressCharColor_ : charColor_;
      painter.setPen(isEnabled() ? pen : QColor::fromRgba(DimmedColour(pen.rgba())));
      painter.drawText(tx, ty + metrics.ascent(), cell.caption);
    }
  }
  painter.end();
  if (hasFocus() && KeyboardCue()) DrawFocusFrame(work);
  return work;
}

void TBtnMtx::DrawFocusFrame(QImage& face) const {
  if (!InGrid(focusRow_, focusCol_)) return;
  QPainter painter(&face);
  const QRect cell(focusCol_ * btnWidth_, focusRow_ * btnHeight_, btnWidth_, btnHeight_);
  tp::DrawFocusFrame(painter, cell.adjusted(1, 1, -1, -1));
}

void TBtnMtx::DrawOutlines(QImage& face) const {
  QPainter painter(&face);
  for (int row = 0; row < rows_; ++row) {
    for (int col = 0; col < cols_; ++col) {
      const TMtxCell& cell = cells_[size_t(row * cols_ + col)];
      if (!cell.Assigned) continue;
      // Inside the cell's bevel, which carries the selected and pointed looks.
      const QRect inner(col * btnWidth_ + 2, row * btnHeight_ + 2, btnWidth_ - 4, btnHeight_ - 4);
      if (!cell.outline.empty()) DrawOutline(painter, cell, inner);
      else if (!cell.outlineProblem.isEmpty()) DrawWarningMark(painter, inner);
    }
  }
}

void TBtnMtx::DrawOutline(QPainter& painter, const TMtxCell& cell, QRect inner) const {
  // The caption's own colour, faint enough that the caption stays the
  // first thing read and the cell's state colour still shows through.
  QColor ink = charColor_;
  if (!isEnabled()) ink = QColor::fromRgba(DimmedColour(ink.rgba()));
  ink.setAlpha(72);
  const int lanes = int(cell.outline.size());
  for (int lane = 0; lane < lanes; ++lane) {
    const TMtxLane& samples = cell.outline[size_t(lane)];
    PaintOutlineLane(painter, samples.low, samples.high, OutlineLaneArea(inner, lane, lanes), ink);
  }
}

void TBtnMtx::DrawWarningMark(QPainter& painter, QRect inner) const {
  // A small amber triangle with a mark in the top right corner, clear of a
  // centred caption of up to eight characters.
  const int right = inner.right(), top = inner.top();
  const QPoint corners[3] = {QPoint(right - 8, top + 8), QPoint(right - 4, top), QPoint(right, top + 8)};
  painter.setPen(Qt::NoPen);
  QColor amber(0xff, 0xc4, 0x4c);
  if (!isEnabled()) amber = QColor::fromRgba(DimmedColour(amber.rgba()));
  painter.setBrush(amber);
  painter.drawPolygon(corners, 3);
  painter.setPen(Qt::black);
  painter.drawLine(right - 4, top + 3, right - 4, top + 5);
  painter.drawPoint(right - 4, top + 7);
}

void TBtnMtx::Paint() {
  // While Updating the screen keeps what it last showed, unless that was
  // drawn for a screen of another pixel ratio.
  if (!updating_ || face_.isNull() || !qFuzzyCompare(face_.devicePixelRatio(), Ratio())) face_ = ComposeFace();
  Show(face_);
}

}  // namespace tp
