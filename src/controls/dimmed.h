// The disabled look of the skinned controls that have no bitmap of their own
// for it (the bitmap button and the button matrix): the bitmap of the state
// they are in, half desaturated and darkened, so that a control that ignores
// clicks looks it while still showing which state it holds.
#pragma once

#include <QImage>
#include <QRgb>

#include <unordered_map>

namespace tp {

// Each colour channel c of a pixel with luma y = (299 r + 587 g + 114 b) / 1000
// becomes (c + y) / 2 * 3 / 5 in integer arithmetic; alpha is kept.
QRgb DimmedColour(QRgb colour);
// The bitmap with every pixel dimmed; a null image stays null.
QImage Dimmed(const QImage& bitmap);

// Dimmed copies of a control's bitmaps, each made the first time it is asked
// for and kept while the bitmap is unchanged.
class DimmedBitmaps {
 public:
  const QImage& Of(const QImage& bitmap);

 private:
  std::unordered_map<qint64, QImage> copies_;  // by the bitmap's cacheKey
};

}  // namespace tp
