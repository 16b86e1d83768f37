// TBtnMtx: a grid of Rows x Cols bitmap-skinned buttons, each with a caption,
// a Down flag that a click toggles and an Assigned flag that says the cell
// holds content. The matrix imposes no rule between cells; owners do that in
// their OnClick handler.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>

#include <cstdint>
#include <vector>

#include "controls/dimmed.h"
#include "controls/skinbitmap.h"
#include "controls/tpointercontrol.h"

namespace tp {

// One lane of a cell's outline (one channel of its sound): per column, the
// lowest and the highest sample, full scale 32,768.
struct TMtxLane {
  std::vector<int16_t> low, high;
  bool operator==(const TMtxLane&) const = default;
};

struct TMtxCell {
  QString caption;
  // The faint outline drawn behind the caption, lanes stacked top to bottom;
  // or, when the content could not be read, why (a warning mark shows it,
  // and the cell's tooltip says it).
  std::vector<TMtxLane> outline;
  QString outlineProblem;
  bool Down = false;
  bool Assigned = false;
  bool Pressed = false;  // the left button went down here and the pointer is inside
};

class TBtnMtx : public TPointerControl {
  Q_OBJECT

 public:
  explicit TBtnMtx(QWidget* parent = nullptr);

  QColor CharColor() const { return charColor_; }
  void SetCharColor(QColor color);
  // Captions of Pressed cells are drawn in this colour, all others in CharColor.
  QColor PressCharColor() const { return pressCharColor_; }
  void SetPressCharColor(QColor color);
  bool AlphaBlend() const { return alphaBlend_; }
  void SetAlphaBlend(bool value);

  // The state bitmap of each look (BtnBmp ... PressBtnBmp) for Assigned
  // cells, and for cells without content (NBtnBmp ... PressNBtnBmp), at
  // 100 %. Setting one copies it (as Format_ARGB32) and repaints.
  const QImage& StateBmp(ButtonLook look, bool assigned) const { return Looks(assigned)[look].Image(); }
  void SetStateBmp(ButtonLook look, bool assigned, const SkinBitmap& bitmap) {
    Assign(assigned ? assignedLooks_ : emptyLooks_, look, bitmap);
  }

  // The control is always Cols * BtnWidth by Rows * BtnHeight pixels.
  int BtnWidth() const { return btnWidth_; }
  int BtnHeight() const { return btnHeight_; }
  int Rows() const { return rows_; }
  int Cols() const { return cols_; }
  void SetBtnWidth(int width);
  void SetBtnHeight(int height);
  // A new value recreates every cell empty; the same value changes nothing.
  void SetRows(int rows);
  void SetCols(int cols);

  // Cell access, row first. Arguments outside the grid read as an empty cell
  // and are ignored by the setters.
  void Init(const QString& caption, bool down, bool assigned);
  void Clear();
  QString GetCaptions(int row, int col) const;
  void SetCaptions(int row, int col, const QString& caption);
  bool GetDown(int row, int col) const;
  void SetDown(int row, int col, bool value);
  bool GetAssigned(int row, int col) const;
  void SetAssigned(int row, int col, bool value);

  // The outline behind an Assigned cell's caption; setting one clears the
  // problem and the other way round. Cells without content draw neither.
  void SetOutline(int row, int col, std::vector<TMtxLane> lanes);
  void SetOutlineProblem(int row, int col, const QString& reason);
  void ClearOutline(int row, int col);
  bool HasOutline(int row, int col) const;
  std::vector<TMtxLane> GetOutline(int row, int col) const;
  QString OutlineProblem(int row, int col) const;

  // Bracket bulk changes with SetUpdating(true) ... SetUpdating(false): the
  // screen keeps its last picture until the bracket closes, then shows the
  // result in one repaint.
  bool Updating() const { return updating_; }
  void SetUpdating(bool value);

  // The cell the keyboard works on: the arrow keys move it, Enter toggles it
  // as a click does. It follows presses of the pointer, and is framed while
  // the control has the focus and the keyboard was last used on it.
  int FocusRow() const { return focusRow_; }
  int FocusCol() const { return focusCol_; }
  void SetFocusCell(int row, int col);
  // What a click on the cell does: its Down flag flips, then OnClick fires
  // (Enter on the framed cell, and a screen reader's press, come here).
  void ClickCell(int row, int col);

  // When set, a press that leaves the control with the button held becomes
  // a drag of the pressed cell out of it: the press ends as if released
  // outside (no click) and OnDragOut reports the cell.
  bool DragOut() const { return dragOut_; }
  void SetDragOut(bool value) { dragOut_ = value; }

  // Owners hit-test with the control's own rule (the popup menus do).
  int RowAt(int y) const { return y / btnHeight_; }
  int ColAt(int x) const { return x / btnWidth_; }

 signals:
  void OnEnter(TBtnMtx* sender);
  void OnLeave(TBtnMtx* sender);
  // Fired after the cell's Down flag was toggled.
  void OnClick(TBtnMtx* sender, int row, int col);
  void OnDragOut(TBtnMtx* sender, int row, int col);

 protected:
  void Paint() override;
  void SkinChanged() override { Repaint(); }
  void MouseDown(Qt::MouseButton button, int x, int y) override;
  void MouseMove(int x, int y, QPoint globalPointer) override;
  void MouseUp(int x, int y) override;
  void CMMouseEnter() override;
  void CMMouseLeave() override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  // A cell whose outline could not be read answers for itself.
  bool event(QEvent* event) override;

 private:
  const StateBitmaps<ButtonLook>& Looks(bool assigned) const { return assigned ? assignedLooks_ : emptyLooks_; }
  void Repaint();
  void RecreateCells();
  bool InGrid(int row, int col) const;
  TMtxCell* CellAt(int row, int col);
  const QImage& StateBitmap(const TMtxCell& cell, bool pointed) const;
  bool InPressedCell(int x, int y) const;
  QImage ComposeFace() const;
  void DrawFocusFrame(QImage& face) const;
  void DrawOutlines(QImage& face) const;
  void DrawOutline(QPainter& painter, const TMtxCell& cell, QRect inner) const;
  void DrawWarningMark(QPainter& painter, QRect inner) const;
  bool KeyDown(int key);

  QColor charColor_{Qt::black};
  QColor pressCharColor_{Qt::white};
  bool alphaBlend_ = false;
  StateBitmaps<ButtonLook> assignedLooks_, emptyLooks_;
  int btnWidth_ = 16;
  int btnHeight_ = 16;
  int rows_ = 2;
  int cols_ = 2;
  std::vector<TMtxCell> cells_;

  bool updating_ = false;
  bool pressing_ = false;
  int pointRow_ = -1, pointCol_ = -1;
  int pressRow_ = -1, pressCol_ = -1;
  int focusRow_ = 0, focusCol_ = 0;
  bool dragOut_ = false;  // the frame shows: the keyboard brought or used the focus
  QImage face_;  // the last composed picture, kept on screen while Updating
  mutable DimmedBitmaps dimmed_;  // the disabled look
};

}  // namespace tp
