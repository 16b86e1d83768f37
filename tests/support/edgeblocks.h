// How sharp a picture on a screen at 200 % is. A control drawn at 100 % and
// doubled shows every one of its pixels as a 2 x 2 block of one colour; one
// drawn at the full resolution has edges (of text, of rounded caps) that
// fall inside blocks. So: of the 2 x 2 blocks on an edge, how many are not a
// single colour.
#pragma once

#include <QImage>
#include <QRect>

#include <ostream>
#include <utility>

namespace tp::test {

struct EdgeBlocks {
  int onEdge = 0;  // blocks that differ inside or from a neighbour block
  int mixed = 0;   // of those, the ones that are not a single colour
  double MixedShare() const { return onEdge == 0 ? 0.0 : double(mixed) / onEdge; }
};

inline std::ostream& operator<<(std::ostream& out, const EdgeBlocks& blocks) {
  return out << blocks.mixed << " of " << blocks.onEdge << " blocks on an edge are mixed";
}

// Counts over `area` (device pixels, its corner on even coordinates) of `image`.
inline EdgeBlocks CountEdgeBlocks(const QImage& picture, QRect area) {
  const QImage image = picture.convertToFormat(QImage::Format_RGB32);
  const QRect blocks(area.x() / 2, area.y() / 2, area.width() / 2, area.height() / 2);
  const auto pixel = [&image](int x, int y) { return image.pixel(x, y); };
  const auto inImage = [&image](int bx, int by) {
    return bx >= 0 && by >= 0 && 2 * bx + 1 < image.width() && 2 * by + 1 < image.height();
  };
  const auto uniform = [&](int bx, int by) {
    const QRgb c = pixel(2 * bx, 2 * by);
    return pixel(2 * bx + 1, 2 * by) == c && pixel(2 * bx, 2 * by + 1) == c && pixel(2 * bx + 1, 2 * by + 1) == c;
  };
  EdgeBlocks count;
  for (int by = blocks.top(); by <= blocks.bottom(); ++by)
    for (int bx = blocks.left(); bx <= blocks.right(); ++bx) {
      if (!inImage(bx, by)) continue;
      const bool single = uniform(bx, by);
      bool edge = !single;
      const QRgb colour = pixel(2 * bx, 2 * by);
      for (auto [dx, dy] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1}})
        if (inImage(bx + dx, by + dy) && pixel(2 * (bx + dx), 2 * (by + dy)) != colour) edge = true;
      if (!edge) continue;
      ++count.onEdge;
      if (!single) ++count.mixed;
    }
  return count;
}

}  // namespace tp::test
