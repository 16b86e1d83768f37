// TSkinnedControl: what every skinned control shares. It owns the piece of
// the panel's picture under the control (BackBmp), composes the control's
// picture in a work bitmap at the device pixel ratio of the control's screen
// and puts it on the screen in one copy; a change of the enabled state, the
// font, the palette or the focus repaints it.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

#include "controls/skinbitmap.h"

namespace tp {

class TSkinnedControl : public QWidget {
  Q_OBJECT

 public:
  explicit TSkinnedControl(QWidget* parent = nullptr);

  // The background under the control (copied as Format_ARGB32), at 100 %.
  const QImage& BackBmp() const { return backBmp_.Image(); }
  void SetBackBmp(const SkinBitmap& bitmap) { Assign(backBmp_, bitmap); }

 protected:
  // Composes and shows the control's picture.
  virtual void Paint() = 0;
  // Something the picture is made of has changed.
  virtual void SkinChanged() { update(); }

  // The device pixel ratio the control is painted at now.
  qreal Ratio() const { return devicePixelRatioF(); }
  // A work bitmap of the control's size at Ratio(): the background, and the
  // window's colour where it does not reach. A QPainter on it draws in the
  // control's own logical coordinates.
  QImage NewWorkBitmap() const;
  // Where a point of the control lies in a work bitmap's device pixels.
  QPoint DevicePoint(int x, int y) const;
  // Puts a work bitmap on the screen; its alpha byte is ignored.
  void Show(const QImage& work);

  // Assigns a picture, repainting only when it changed.
  template <typename Look>
  void Assign(StateBitmaps<Look>& set, Look look, const SkinBitmap& given) {
    if (set.Set(look, given)) SkinChanged();
  }
  void Assign(SkinBitmap& owned, const SkinBitmap& given);

  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  SkinBitmap backBmp_;
};

}  // namespace tp
