// The disabled look: each colour half desaturated toward its luma and
// darkened to 60 %, the values below worked out by hand from that rule.
#include "controls/dimmed.h"

#include <gtest/gtest.h>

namespace {

using tp::Dimmed;
using tp::DimmedBitmaps;
using tp::DimmedColour;

TEST(DimmedColour, MovesHalfWayToTheLumaThenDarkensToSixtyPercentAndKeepsAlpha) {
  struct Case {
    QRgb colour, dimmed;
  };
  const Case cases[] = {
      {qRgb(255, 255, 255), qRgb(153, 153, 153)},        // luma 255: (255 + 255) / 2 * 3 / 5
      {qRgb(0, 0, 0), qRgb(0, 0, 0)},
      {qRgb(255, 0, 0), qRgb(99, 22, 22)},               // luma 76
      {qRgb(0, 100, 0), qRgb(17, 47, 17)},               // luma 58
      {qRgba(255, 255, 255, 40), qRgba(153, 153, 153, 40)},
      {qRgba(10, 20, 30, 0), qRgba(8, 11, 14, 0)},       // luma 18
  };
  for (const Case& c : cases) EXPECT_EQ(DimmedColour(c.colour), c.dimmed) << std::hex << c.colour;
}

TEST(Dimmed, DimsEveryPixelOfABitmapAndLeavesANullOneNull) {
  QImage bitmap(3, 2, QImage::Format_ARGB32);
  bitmap.fill(qRgb(255, 0, 0));
  bitmap.setPixel(2, 1, qRgba(255, 255, 255, 40));
  const QImage dimmed = Dimmed(bitmap);
  ASSERT_EQ(dimmed.size(), bitmap.size());
  EXPECT_EQ(dimmed.pixel(0, 0), qRgb(99, 22, 22));
  EXPECT_EQ(dimmed.pixel(2, 1), qRgba(153, 153, 153, 40));
  EXPECT_TRUE(Dimmed(QImage()).isNull());
}

TEST(DimmedBitmaps, GivesTheDimmedCopyOfTheBitmapItIsAskedFor) {
  QImage red(2, 2, QImage::Format_ARGB32), white(2, 2, QImage::Format_ARGB32);
  red.fill(qRgb(255, 0, 0));
  white.fill(qRgb(255, 255, 255));
  DimmedBitmaps copies;
  EXPECT_EQ(copies.Of(red).pixel(0, 0), qRgb(99, 22, 22));
  EXPECT_EQ(copies.Of(white).pixel(0, 0), qRgb(153, 153, 153));
  EXPECT_EQ(&copies.Of(red), &copies.Of(red)) << "made once";
}

}  // namespace
