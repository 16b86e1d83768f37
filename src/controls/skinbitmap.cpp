#include "controls/skinbitmap.h"

#include <QtMath>

namespace tp {

SkinBitmap SkinBitmap::Drawn(Drawing drawing) {
  SkinBitmap bitmap;
  if (!drawing) return bitmap;
  bitmap.drawing_ = std::make_shared<const Drawing>(std::move(drawing));
  bitmap.image_ = bitmap.Rendered(1);
  return bitmap;
}

QImage SkinBitmap::Rendered(qreal ratio) const {
  QImage image = (*drawing_)(ratio);
  return format_ == QImage::Format_Invalid ? image : image.convertToFormat(format_);
}

const QImage& SkinBitmap::For(qreal ratio) const {
  if (!drawing_ || qFuzzyCompare(ratio, image_.devicePixelRatio())) return image_;
  if (rendered_.isNull() || !qFuzzyCompare(ratio, rendered_.devicePixelRatio())) rendered_ = Rendered(ratio);
  return rendered_;
}

SkinBitmap SkinBitmap::InFormat(QImage::Format format) const {
  SkinBitmap copy = *this;
  if (copy.drawing_) copy.format_ = format;
  copy.rendered_ = QImage();
  // A null image stays null: a missing picture draws nothing.
  if (!copy.image_.isNull() && copy.image_.format() != format) copy.image_ = copy.image_.convertToFormat(format);
  return copy;
}

bool SkinBitmap::Same(const SkinBitmap& other) const {
  if (drawing_ || other.drawing_) return drawing_ == other.drawing_;
  return image_.cacheKey() == other.image_.cacheKey();
}

QSize DeviceSize(QSize logical, qreal ratio) {
  // A hair below the next whole pixel still counts as that pixel, so that
  // 17 x 1.5 gives 26 and 20 x 1.5 gives 30, not 31.
  const auto device = [ratio](int length) { return qCeil(length * ratio - 1e-6); };
  return QSize(device(logical.width()), device(logical.height()));
}

QRect DeviceRect(QRect logical, qreal ratio) {
  return QRect(QPoint(qRound(logical.x() * ratio), qRound(logical.y() * ratio)), DeviceSize(logical.size(), ratio));
}

QImage LogicalImage(int width, int height, qreal ratio, QImage::Format format) {
  QImage image(DeviceSize(QSize(width, height), ratio), format);
  image.setDevicePixelRatio(ratio);
  return image;
}

}  // namespace tp
