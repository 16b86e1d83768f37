// The pictures a skinned control is drawn from. A screen at 150 or 200 %
// shows a control's logical pixel as several device pixels; a picture drawn
// once at 100 % and stretched comes out blocky there. So a picture is kept as
// its drawing, and rendered for the device pixel ratio of the screen the
// control is on, each time that ratio changes.
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

#include <array>
#include <functional>
#include <memory>

namespace tp {

// The five looks of a button, named after the state bitmaps they fill:
// BtnBmp, PointBtnBmp, DownBtnBmp, DPointBtnBmp, PressBtnBmp.
enum class ButtonLook { Normal, Pointed, Down, DownPointed, Pressed };

// The five looks of the knob and of the slider's thumb:
// Norm, Point, Focus, FocusPoint, Dis.
enum class KnobLook { Normal, Pointed, Focused, FocusedPointed, Disabled };

// One picture: either a bitmap given as it is (drawn scaled on a screen of
// another ratio, the caller's choice), or a drawing rendered for the ratio.
class SkinBitmap {
 public:
  // Renders the picture for a device pixel ratio: an image whose
  // devicePixelRatio is `ratio`, of its logical size times `ratio`.
  using Drawing = std::function<QImage(qreal ratio)>;

  SkinBitmap() = default;
  // A bitmap given as it is; its devicePixelRatio says how large it shows.
  SkinBitmap(const QImage& image) : image_(image) {}  // NOLINT: a bitmap is a picture
  static SkinBitmap Drawn(Drawing drawing);

  bool isNull() const { return image_.isNull(); }
  // The picture at 100 %.
  const QImage& Image() const { return image_; }
  // The picture for `ratio`: rendered the first time a ratio is asked for and
  // kept until another one is. A given bitmap is the same at every ratio.
  const QImage& For(qreal ratio) const;
  // The same picture, always handed out in `format`.
  SkinBitmap InFormat(QImage::Format format) const;
  // Whether both are the same picture (the same bitmap, or the same drawing).
  bool Same(const SkinBitmap& other) const;

 private:
  QImage Rendered(qreal ratio) const;

  std::shared_ptr<const Drawing> drawing_;  // shared by copies: the picture's identity
  QImage::Format format_ = QImage::Format_Invalid;  // Invalid: as the drawing gives it
  QImage image_;
  mutable QImage rendered_;  // the drawing at the ratio asked for last
};

// A control's set of state bitmaps, one per look of `Look`.
template <typename Look>
class StateBitmaps {
 public:
  const SkinBitmap& operator[](Look look) const { return bitmaps_[size_t(look)]; }
  // Returns false, and changes nothing, when `given` is already the picture
  // of that look: an owner handing a bitmap back must not cost a repaint.
  bool Set(Look look, const SkinBitmap& given) {
    SkinBitmap& owned = bitmaps_[size_t(look)];
    if (owned.Same(given)) return false;
    owned = given.InFormat(QImage::Format_ARGB32);
    return true;
  }

 private:
  std::array<SkinBitmap, 5> bitmaps_;
};

// The device pixels a logical size or rectangle covers at `ratio`: a part
// pixel counts whole, so that nothing at the right or bottom edge is lost.
QSize DeviceSize(QSize logical, qreal ratio);
QRect DeviceRect(QRect logical, qreal ratio);

// An empty picture for a drawing: `width` x `height` logical pixels at
// `ratio`, so that a QPainter on it draws in logical coordinates.
QImage LogicalImage(int width, int height, qreal ratio, QImage::Format format);

}  // namespace tp
