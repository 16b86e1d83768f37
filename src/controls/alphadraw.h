// The one routine by which every skinned control draws a 32-bit state bitmap
// with alpha onto the picture it composes.
#pragma once

class QImage;

namespace tp {

// Blends `source` onto `canvas` with its top-left corner at (x, y). Both must
// be QImage::Format_ARGB32 (straight alpha; in memory on this little-endian
// platform the bytes blue, green, red, alpha); a null image on either side
// draws nothing. Each colour channel becomes
// (source * a + canvas * (255 - a)) >> 8 and the canvas keeps its own alpha.
// The copy is cut at the canvas's right and bottom edges, and, although no
// control ever asks for it, also at the left and top so that a negative
// position cannot write outside the canvas.
void AlphaDraw(int x, int y, QImage& canvas, const QImage& source);

}  // namespace tp
