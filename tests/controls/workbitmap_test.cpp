// The work bitmap the controls compose in.
#include "controls/workbitmap.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

using tp::CutBackground;
using tp::MakeWorkBitmap;

TEST(MakeWorkBitmap, CutsALargerBackgroundAndFillsWhereASmallerOneDoesNotReach) {
  QImage back(2, 5, QImage::Format_RGB32);
  back.fill(QColor(1, 2, 3));
  const QImage work = MakeWorkBitmap(back, QSize(4, 3), QColor(7, 7, 7));
  ASSERT_EQ(work.size(), QSize(4, 3));
  EXPECT_EQ(work.format(), QImage::Format_ARGB32);
  EXPECT_EQ(work.pixel(1, 2), qRgba(1, 2, 3, 255));
  EXPECT_EQ(work.pixel(2, 0), qRgba(7, 7, 7, 255));
}

TEST(CutBackground, TakesThePanelPixelsUnderTheChildAndBlackBeyondTheBitmap) {
  QImage panel(10, 10, QImage::Format_RGB32);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) panel.setPixel(x, y, qRgb(x, y, 0));
  const QImage back = CutBackground(panel, QRect(8, 3, 4, 2));
  ASSERT_EQ(back.size(), QSize(4, 2));
  EXPECT_EQ(back.pixel(0, 0), qRgb(8, 3, 0));
  EXPECT_EQ(back.pixel(1, 1), qRgb(9, 4, 0));
  EXPECT_EQ(back.pixel(2, 0), qRgb(0, 0, 0));
}

}  // namespace
