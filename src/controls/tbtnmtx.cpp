#include "controls/tbtnmtx.h"

#include "controls/alphadraw.h"
#include "controls/accessiblenotify.h"
#include "controls/keyboardcue.h"
#include "controls/pointertracking.h"

#include <QFocusEvent>
#include <algorithm>

#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <cmath>

namespace tp {

TBtnMtx::TBtnMtx(QWidget* parent)
    : TPointerControl(parent), cells_(size_t(rows_ * cols_)) {
  // A click gives the focus too, so that the arrow keys go on from the cell clicked.
  setFocusPolicy(Qt::StrongFocus);
  setGeometry(0, 0, cols_ * btnWidth_, rows_ * btnHeight_);
}

void TBtnMtx::SetFocusCell(int row, int col) {
  if (!InGrid(row, col)) return;
  const bool moved = row != focusRow_ || col != focusCol_;
  focusRow_ = row;
  focusCol_ = col;
  Repaint();
  if (moved) NotifyFocusedCell(*this, row * cols_ + col);
}

void TBtnMtx::SetCharColor(QColor color) {
  if (color == charColor_) return;
  charColor_ = color;
  Repaint();
}

void TBtnMtx::SetPressCharColor(QColor color) {
  if (color == pressCharColor_) return;
  pressCharColor_ = color;
  Repaint();
}

void TBtnMtx::SetAlphaBlend(bool value) {
  alphaBlend_ = value;
  Repaint();
}

void TBtnMtx::SetBtnWidth(int width) {
  if (width == btnWidth_) return;
  btnWidth_ = width;
  resize(cols_ * btnWidth_, height());
  Repaint();
}

void TBtnMtx::SetBtnHeight(int height) {
  if (height == btnHeight_) return;
  btnHeight_ = height;
  resize(width(), rows_ * btnHeight_);
  Repaint();
}

void TBtnMtx::SetRows(int rows) {
  if (rows == rows_) return;
  rows_ = rows;
  resize(width(), rows_ * btnHeight_);
  RecreateCells();
  Repaint();
}

void TBtnMtx::SetCols(int cols) {
  if (cols == cols_) return;
  cols_ = cols;
  resize(cols_ * btnWidth_, height());
  RecreateCells();
  Repaint();
}

void TBtnMtx::RecreateCells() {
  cells_.assign(size_t(std::max(0, rows_) * std::max(0, cols_)), TMtxCell{});
  // A press in progress pointed into the old array.
  pressing_ = false;
  pressRow_ = pressCol_ = -1;
  pointRow_ = pointCol_ = -1;
  focusRow_ = focusCol_ = 0;
}

void TBtnMtx::Init(const QString& caption, bool down, bool assigned) {
  for (TMtxCell& cell : cells_) {
    cell.caption = caption;
    cell.Down = down;
    cell.Assigned = assigned;
  }
  Repaint();
}

void TBtnMtx::Clear() { Init(QString(), false, false); }

bool TBtnMtx::InGrid(int row, int col) const { return row >= 0 && row < rows_ && col >= 0 && col < cols_; }

TMtxCell* TBtnMtx::CellAt(int row, int col) {
  return InGrid(row, col) ? &cells_[size_t(row * cols_ + col)] : nullptr;
}

QString TBtnMtx::GetCaptions(int row, int col) const {
  return InGrid(row, col) ? cells_[size_t(row * cols_ + col)].caption : QString();
}

void TBtnMtx::SetCaptions(int row, int col, const QString& caption) {
  if (TMtxCell* cell = CellAt(row, col)) {
    const bool changed = cell->caption != caption;
    cell->caption = caption;
    Repaint();
    if (changed) NotifyNameChanged(*this, row * cols_ + col);
  }
}

bool TBtnMtx::GetDown(int row, int col) const { return InGrid(row, col) && cells_[size_t(row * cols_ + col)].Down; }

void TBtnMtx::SetDown(int row, int col, bool value) {
  if (TMtxCell* cell = CellAt(row, col)) {
    const bool changed = cell->Down != value;
    cell->Down = value;
    Repaint();
    if (changed) NotifyCheckedChanged(*this, row * cols_ + col);
  }
}

bool TBtnMtx::GetAssigned(int row, int col) const {
  return InGrid(row, col) && cells_[size_t(row * cols_ + col)].Assigned;
}

void TBtnMtx::SetAssigned(int row, int col, bool value) {
  if (TMtxCell* cell = CellAt(row, col)) {
    const bool changed = cell->Assigned != value;
    cell->Assigned = value;
    Repaint();
    if (changed) NotifyNameChanged(*this, row * cols_ + col);
  }
}

void TBtnMtx::SetOutline(int row, int col, std::vector<TMtxLane> lanes) {
  if (TMtxCell* cell = CellAt(row, col)) {
    cell->outline = std::move(lanes);
    cell->outlineProblem.clear();
    Repaint();
  }
}

void TBtnMtx::SetOutlineProblem(int row, int col, const QString& reason) {
  if (TMtxCell* cell = CellAt(row, col)) {
    cell->outline.clear();
    cell->outlineProblem = reason;
    Repaint();
  }
}

void TBtnMtx::ClearOutline(int row, int col) {
  TMtxCell* cell = CellAt(row, col);
  if (!cell || (cell->outline.empty() && cell->outlineProblem.isEmpty())) return;
  cell->outline.clear();
  cell->outlineProblem.clear();
  Repaint();
}

bool TBtnMtx::HasOutline(int row, int col) const {
  return InGrid(row, col) && !cells_[size_t(row * cols_ + col)].outline.empty();
}

std::vector<TMtxLane> TBtnMtx::GetOutline(int row, int col) const {
  return InGrid(row, col) ? cells_[size_t(row * cols_ + col)].outline : std::vector<TMtxLane>();
}

QString TBtnMtx::OutlineProblem(int row, int col) const {
  return InGrid(row, col) ? cells_[size_t(row * cols_ + col)].outlineProblem : QString();
}

void TBtnMtx::SetUpdating(bool value) {
  updating_ = value;
  if (!value) Repaint();
}

void TBtnMtx::Repaint() {
  if (updating_) return;
  update();
}

// ---- Pointer --------------------------------------------------------------

bool TBtnMtx::InPressedCell(int x, int y) const {
  const int left = pressCol_ * btnWidth_;
  const int top = pressRow_ * btnHeight_;
  return x >= left && x < left + btnWidth_ && y >= top && y < top + btnHeight_;
}

void TBtnMtx::MouseDown(Qt::MouseButton button, int x, int y) {
  if (button != Qt::LeftButton || !isEnabled()) return;
  TMtxCell* cell = CellAt(RowAt(y), ColAt(x));
  if (!cell) return;
  pressing_ = true;
  pressRow_ = RowAt(y);
  pressCol_ = ColAt(x);
  focusRow_ = pressRow_;
  focusCol_ = pressCol_;
  SetKeyboardCue(false);
  cell->Pressed = true;
  Repaint();
}

void TBtnMtx::MouseMove(int x, int y, QPoint globalPointer) {
  if (pressing_ && dragOut_ && !rect().contains(x, y)) {
    // Out of the control with the button held: a drag, not a click.
    const int row = pressRow_, col = pressCol_;
    if (TMtxCell* cell = CellAt(row, col)) cell->Pressed = false;
    pressing_ = false;
    pressRow_ = pressCol_ = -1;
    Repaint();
    emit OnDragOut(this, row, col);
    return;
  }
  if (pressing_) {
    // The pointed cell stays as it was while the button is held.
    TMtxCell* cell = CellAt(pressRow_, pressCol_);
    const bool inside = InPressedCell(x, y);
    if (cell && cell->Pressed != inside) {
      cell->Pressed = inside;
      Repaint();
    }
    return;
  }
  if (!Tracking().Inside()) {
    Tracking().Moved(globalPointer);
    return;
  }
  const int row = RowAt(y), col = ColAt(x);
  if (row != pointRow_ || col != pointCol_) {
    pointRow_ = row;
    pointCol_ = col;
    Repaint();
  }
}

void TBtnMtx::MouseUp(int x, int y) {
  if (!pressing_) return;
  // Any button's release ends the press.
  pressing_ = false;
  Tracking().Clear();
  if (TMtxCell* cell = CellAt(pressRow_, pressCol_)) {
    cell->Pressed = false;
    if (InPressedCell(x, y)) ClickCell(pressRow_, pressCol_);
  }
  pressRow_ = pressCol_ = -1;
  // Settles hover: exactly one of OnEnter and OnLeave follows every release,
  // and its repaint also shows a cell released outside as no longer pressed.
  // Where the pointer is now, not where it was released: a click may have
  // run a dialog, and the pointer has moved on since.
  Tracking().Update();
}

void TBtnMtx::CMMouseEnter() {
  pointRow_ = pointCol_ = -1;
  Repaint();
  emit OnEnter(this);
}

void TBtnMtx::CMMouseLeave() {
  pointRow_ = pointCol_ = -1;
  Repaint();
  emit OnLeave(this);
}

// ---- Keys -----------------------------------------------------------------

void TBtnMtx::ClickCell(int row, int col) {
  TMtxCell* cell = CellAt(row, col);
  if (!cell) return;
  cell->Down = !cell->Down;
  Repaint();
  NotifyCheckedChanged(*this, row * cols_ + col);
  emit OnClick(this, row, col);
}

bool TBtnMtx::KeyDown(int key) {
  int row = focusRow_, col = focusCol_;
  switch (key) {
    case Qt::Key_Left: col = std::max(0, col - 1); break;
    case Qt::Key_Right: col = std::min(cols_ - 1, col + 1); break;
    case Qt::Key_Up: row = std::max(0, row - 1); break;
    case Qt::Key_Down: row = std::min(rows_ - 1, row + 1); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      SetKeyboardCue(true);
      ClickCell(focusRow_, focusCol_);
      return true;
    default: return false;
  }
  SetKeyboardCue(true);
  SetFocusCell(row, col);
  return true;
}

void TBtnMtx::keyPressEvent(QKeyEvent* event) {
  if (isEnabled() && event->modifiers() == Qt::NoModifier && KeyDown(event->key())) event->accept();
  else event->ignore();
}

void TBtnMtx::focusInEvent(QFocusEvent* event) {
  TPointerControl::focusInEvent(event);
  // A screen reader hears which cell the keyboard is on, not only the grid:
  // after Qt's own notice that the grid has the focus, which follows this
  // handler and would otherwise have the last word.
  QMetaObject::invokeMethod(
      this, [this] { NotifyFocusedCell(*this, focusRow_ * cols_ + focusCol_); }, Qt::QueuedConnection);
}

bool TBtnMtx::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString problem = OutlineProblem(RowAt(help->pos().y()), ColAt(help->pos().x()));
    if (GetAssigned(RowAt(help->pos().y()), ColAt(help->pos().x())) && !problem.isEmpty()) {
      QToolTip::showText(help->globalPos(), problem, this);
      return true;
    }
  }
  return QWidget::event(event);
}

}  // namespace tp
