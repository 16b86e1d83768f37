// TVolume: a small bitmap-skinned rotary knob for an integer from 0 to Max,
// shown as a white pointer line over the knob picture, turned by dragging
// around its centre or with the cursor keys. The mixer has 32 of them.
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

#include "controls/pointertracking.h"

namespace tp {

class TVolume : public QWidget {
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
  int TickSize() const { return tickSize_; }  // the arrow keys
  void SetTickSize(int value) { tickSize_ = value; }

  // The knob pictures (Format_ARGB32 with alpha, copied on assignment) and
  // the piece of the parent's background under the control.
  const QImage& NormBmp() const { return normBmp_; }
  const QImage& PointBmp() const { return pointBmp_; }
  const QImage& FocusBmp() const { return focusBmp_; }
  const QImage& FocusPointBmp() const { return focusPointBmp_; }
  const QImage& DisBmp() const { return disBmp_; }
  const QImage& BackBmp() const { return backBmp_; }
  void SetNormBmp(const QImage& bitmap) { SetBitmap(normBmp_, bitmap); }
  void SetPointBmp(const QImage& bitmap) { SetBitmap(pointBmp_, bitmap); }
  void SetFocusBmp(const QImage& bitmap) { SetBitmap(focusBmp_, bitmap); }
  void SetFocusPointBmp(const QImage& bitmap) { SetBitmap(focusPointBmp_, bitmap); }
  void SetDisBmp(const QImage& bitmap) { SetBitmap(disBmp_, bitmap); }
  void SetBackBmp(const QImage& bitmap) { SetBitmap(backBmp_, bitmap); }

  // Runs before the knob's own key handling with the Qt::Key code; a handler
  // that sets `key` to 0 consumes the key (the mixer takes Home this way).
  std::function<void(TVolume* sender, int& key, Qt::KeyboardModifiers shift)> OnKeyDown;

 signals:
  // Fired by dragging and by keys, also when the value did not change.
  void OnChange(TVolume* vol, int pos);

 protected:
  void Paint();
  void MouseDown(Qt::MouseButton button);
  void MouseMove(int x, int y, QPoint globalPointer);
  void MouseUp();
  // Returns whether the key was handled; `key` is 0 afterwards if so.
  bool KeyDown(int& key, Qt::KeyboardModifiers shift);
  void CMFocusChanged();

  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void SetBitmap(QImage& owned, const QImage& given);
  const QImage& KnobPicture() const;

  int position_ = 0;
  int max_ = 100;
  int pageSize_ = 10;
  int tickSize_ = 1;
  QImage normBmp_, pointBmp_, focusBmp_, focusPointBmp_, disBmp_, backBmp_;
  PointerTracking* tracking_;  // the hover flag; a flip repaints
  bool dragging_ = false;
};

}  // namespace tp
