#include "controls/workbitmap.h"

#include <algorithm>
#include <cstring>

namespace tp {

QImage MakeWorkBitmap(const QImage& back, QSize size, QColor uncovered) {
  QImage work(size, QImage::Format_ARGB32);
  if (work.isNull()) return work;
  work.fill(uncovered);
  if (back.isNull()) return work;

  const QImage source = back.convertToFormat(QImage::Format_ARGB32);
  const int rows = std::min(source.height(), work.height());
  const int bytes = 4 * std::min(source.width(), work.width());
  for (int y = 0; y < rows; ++y) std::memcpy(work.scanLine(y), source.constScanLine(y), size_t(bytes));
  return work;
}

void CopyBitmap(int x, int y, QImage& canvas, const QImage& source) {
  if (canvas.isNull() || source.isNull()) return;
  const int firstRow = std::max(0, -y), firstColumn = std::max(0, -x);
  const int rows = std::min(source.height(), canvas.height() - y);
  const int columns = std::min(source.width(), canvas.width() - x);
  if (columns <= firstColumn) return;
  for (int i = firstRow; i < rows; ++i)
    std::memcpy(canvas.scanLine(y + i) + 4 * (x + firstColumn), source.constScanLine(i) + 4 * firstColumn,
                size_t(4 * (columns - firstColumn)));
}

QImage AsShown(const QImage& work) {
  QImage shown(work.constBits(), work.width(), work.height(), work.bytesPerLine(), QImage::Format_RGB32);
  shown.setDevicePixelRatio(work.devicePixelRatio());
  return shown;
}

QImage CutBackground(const QImage& panelBitmap, QRect geometry) {
  // QImage::copy fills what lies outside the source with zeros.
  return panelBitmap.copy(geometry).convertToFormat(QImage::Format_RGB32);
}

}  // namespace tp
