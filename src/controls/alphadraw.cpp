#include "controls/alphadraw.h"

#include <QImage>

#include <algorithm>

namespace tp {

void AlphaDraw(int x, int y, QImage& canvas, const QImage& source) {
  if (canvas.isNull() || source.isNull()) return;
  Q_ASSERT(canvas.format() == QImage::Format_ARGB32);
  Q_ASSERT(source.format() == QImage::Format_ARGB32);

  const int firstRow = std::max(0, -y);
  const int firstColumn = std::max(0, -x);
  const int rows = std::min(source.height(), canvas.height() - y);
  const int columns = std::min(source.width(), canvas.width() - x);

  for (int i = firstRow; i < rows; ++i) {
    const QRgb* s = reinterpret_cast<const QRgb*>(source.constScanLine(i));
    QRgb* d = reinterpret_cast<QRgb*>(canvas.scanLine(y + i)) + x;
    for (int j = firstColumn; j < columns; ++j) {
      // The divisor is 256 (a shift), not 255: an opaque white pixel comes
      // out as 254 and a transparent one costs the canvas up to one level.
      // The skins are drawn with that in mind, so keep the shift.
      const unsigned a = unsigned(qAlpha(s[j]));
      const auto blend = [a](int from, int onto) { return int((from * a + onto * (255 - a)) >> 8); };
      d[j] = qRgba(blend(qRed(s[j]), qRed(d[j])), blend(qGreen(s[j]), qGreen(d[j])),
                   blend(qBlue(s[j]), qBlue(d[j])), qAlpha(d[j]));
    }
  }
}

}  // namespace tp
