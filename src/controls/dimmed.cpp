#include "controls/dimmed.h"

namespace tp {

QRgb DimmedColour(QRgb colour) {
  const int r = qRed(colour), g = qGreen(colour), b = qBlue(colour);
  const int luma = (299 * r + 587 * g + 114 * b) / 1000;
  const auto dim = [luma](int channel) { return (channel + luma) / 2 * 3 / 5; };
  return qRgba(dim(r), dim(g), dim(b), qAlpha(colour));
}

QImage Dimmed(const QImage& bitmap) {
  if (bitmap.isNull()) return bitmap;
  // The controls' bitmaps are straight (not premultiplied) ARGB32, so the
  // colour channels can be changed without looking at alpha.
  QImage dimmed = bitmap.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < dimmed.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(dimmed.scanLine(y));
    for (int x = 0; x < dimmed.width(); ++x) row[x] = DimmedColour(row[x]);
  }
  return dimmed;
}

const QImage& DimmedBitmaps::Of(const QImage& bitmap) {
  // Replaced bitmaps leave their copies behind; a control has only ten.
  if (copies_.size() > 32) copies_.clear();
  auto found = copies_.find(bitmap.cacheKey());
  if (found == copies_.end()) found = copies_.emplace(bitmap.cacheKey(), Dimmed(bitmap)).first;
  return found->second;
}

}  // namespace tp
