// The work bitmap a skinned control composes in before one copy reaches the
// screen.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>

namespace tp {

// A Format_ARGB32 picture of `size` device pixels: `back` cut at the right
// and bottom, and `uncovered` where `back` does not reach (the owner normally
// supplies a background exactly the control's size, so this is only the
// fallback).
QImage MakeWorkBitmap(const QImage& back, QSize size, QColor uncovered);

// Copies `source` onto `canvas` at (x, y) byte for byte, alpha included, cut
// at the canvas's edges: the opaque drawing of a matrix without AlphaBlend.
void CopyBitmap(int x, int y, QImage& canvas, const QImage& source);

// `work` as the screen takes it: the alpha byte is ignored, colours are shown
// as they are, at the same device pixel ratio. A view on the same pixels,
// valid while `work` lives.
QImage AsShown(const QImage& work);

// The piece of a panel's bitmap that lies under a child at `geometry`, as the
// child's BackBmp: a bitmap panel drawn once or tiled puts its bitmap's pixel
// (x, y) at its own point (x, y), so the child continues the panel's picture.
// Parts outside the bitmap are black.
QImage CutBackground(const QImage& panelBitmap, QRect geometry);

}  // namespace tp
