// AlphaDraw: every channel becomes (source * a + canvas * (255 - a)) >> 8,
// the canvas keeps its alpha, and the copy is cut at the canvas's edges.
#include "controls/alphadraw.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

using tp::AlphaDraw;

QImage Filled(int width, int height, QRgb colour) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(colour);
  return image;
}

struct BlendCase {
  const char* what;
  QRgb source;
  QRgb canvas;
  QRgb expected;
};

// Worked out by hand from the formula; the divisor 256 shows in every row.
const BlendCase kBlendCases[] = {
    {"opaque white becomes 254", qRgba(255, 255, 255, 255), qRgba(0, 0, 0, 255), qRgba(254, 254, 254, 255)},
    {"opaque white over white is 254 too", qRgba(255, 255, 255, 255), qRgba(255, 255, 255, 255), qRgba(254, 254, 254, 255)},
    {"transparent costs the canvas one level", qRgba(10, 20, 30, 0), qRgba(200, 200, 200, 255), qRgba(199, 199, 199, 255)},
    {"transparent over black stays black", qRgba(255, 255, 255, 0), qRgba(0, 0, 0, 255), qRgba(0, 0, 0, 255)},
    // (255 * 128 + 200 * 127) >> 8 = 226, (0 * 128 + 100 * 127) >> 8 = 49
    {"half alpha mixes channel by channel", qRgba(255, 0, 255, 128), qRgba(200, 100, 0, 255), qRgba(226, 49, 127, 255)},
    {"the canvas keeps its own alpha", qRgba(255, 255, 255, 255), qRgba(0, 0, 0, 17), qRgba(254, 254, 254, 17)},
    // blue, green and red are separate: (40 * 64 + 80 * 191) >> 8 = 69
    {"each channel is blended alone", qRgba(40, 40, 40, 64), qRgba(80, 120, 160, 255), qRgba(69, 99, 129, 255)},
};

class AlphaDrawPixel : public ::testing::TestWithParam<BlendCase> {};

TEST_P(AlphaDrawPixel, BlendsWithTheSourceAlphaAndADivisorOf256) {
  const BlendCase& c = GetParam();
  QImage canvas = Filled(3, 3, c.canvas);
  AlphaDraw(1, 1, canvas, Filled(1, 1, c.source));
  EXPECT_EQ(canvas.pixel(1, 1), c.expected) << c.what;
  EXPECT_EQ(canvas.pixel(0, 0), c.canvas) << "pixels outside the source stay as they were";
}

INSTANTIATE_TEST_SUITE_P(Table, AlphaDrawPixel, ::testing::ValuesIn(kBlendCases));

TEST(AlphaDraw, CutsTheSourceAtTheRightAndBottomEdgesOfTheCanvas) {
  QImage canvas = Filled(4, 4, qRgba(0, 0, 0, 255));
  AlphaDraw(2, 3, canvas, Filled(5, 5, qRgba(255, 255, 255, 255)));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(qRed(canvas.pixel(x, y)), x >= 2 && y >= 3 ? 254 : 0) << x << "," << y;
}

TEST(AlphaDraw, PlacesRowZeroOfTheSourceOnTheTopRow) {
  QImage source = Filled(1, 2, qRgba(0, 0, 0, 255));
  source.setPixel(0, 0, qRgba(255, 0, 0, 255));
  QImage canvas = Filled(1, 2, qRgba(0, 0, 0, 255));
  AlphaDraw(0, 0, canvas, source);
  EXPECT_EQ(canvas.pixel(0, 0), qRgba(254, 0, 0, 255));
  EXPECT_EQ(canvas.pixel(0, 1), qRgba(0, 0, 0, 255));
}

TEST(AlphaDraw, DrawsNothingWhenEitherBitmapIsMissingOrThePositionIsOffTheCanvas) {
  QImage canvas = Filled(2, 2, qRgba(9, 9, 9, 255));
  QImage empty;
  AlphaDraw(0, 0, canvas, QImage());
  AlphaDraw(0, 0, empty, Filled(2, 2, qRgba(255, 255, 255, 255)));
  AlphaDraw(2, 0, canvas, Filled(2, 2, qRgba(255, 255, 255, 255)));
  AlphaDraw(0, 5, canvas, Filled(2, 2, qRgba(255, 255, 255, 255)));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_EQ(canvas.pixel(x, y), qRgba(9, 9, 9, 255));
  EXPECT_TRUE(empty.isNull());
}

TEST(AlphaDraw, CutsANegativePositionInsteadOfWritingOutsideTheCanvas) {
  QImage canvas = Filled(2, 2, qRgba(0, 0, 0, 255));
  AlphaDraw(-1, -1, canvas, Filled(2, 2, qRgba(255, 255, 255, 255)));
  EXPECT_EQ(qRed(canvas.pixel(0, 0)), 254);
  EXPECT_EQ(qRed(canvas.pixel(1, 0)), 0);
  EXPECT_EQ(qRed(canvas.pixel(0, 1)), 0);
}

}  // namespace
