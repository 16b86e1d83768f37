// A skinned control's pictures: given bitmaps kept as they are, drawings
// rendered for the device pixel ratio asked for, and sets that repaint only
// on a real change.
#include "controls/skin.h"
#include "controls/skinbitmap.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

using tp::ButtonLook;
using tp::SkinBitmap;
using tp::StateBitmaps;

// A drawing that counts its renderings: a 4 x 2 logical picture, red with a
// one-logical-pixel blue column at the left.
SkinBitmap CountingDrawing(int& renderings) {
  return SkinBitmap::Drawn([&renderings](qreal ratio) {
    ++renderings;
    QImage image = tp::LogicalImage(4, 2, ratio, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::red);
    QPainter painter(&image);
    painter.fillRect(0, 0, 1, 2, Qt::blue);
    return image;
  });
}

TEST(SkinBitmap, RendersADrawingForTheRatioAskedForAndKeepsIt) {
  int renderings = 0;
  const SkinBitmap bitmap = CountingDrawing(renderings);
  EXPECT_EQ(bitmap.Image().size(), QSize(4, 2));
  EXPECT_EQ(renderings, 1) << "the 100 % picture is made at once";

  const QImage& twice = bitmap.For(2);
  EXPECT_EQ(twice.size(), QSize(8, 4));
  EXPECT_EQ(twice.devicePixelRatio(), 2);
  // The blue column is one logical pixel: two device pixels wide at 200 %.
  EXPECT_EQ(twice.pixel(1, 3), qRgb(0, 0, 255));
  EXPECT_EQ(twice.pixel(2, 3), qRgb(255, 0, 0));
  bitmap.For(2);
  EXPECT_EQ(renderings, 2) << "the same ratio again is not drawn again";

  EXPECT_EQ(bitmap.For(1.5).size(), QSize(6, 3));
  EXPECT_EQ(bitmap.For(1).size(), QSize(4, 2));
  EXPECT_EQ(renderings, 3) << "100 % is the picture made at the start";
}

TEST(SkinBitmap, AGivenBitmapIsTheSameAtEveryRatio) {
  QImage given(3, 3, QImage::Format_RGB32);
  given.fill(Qt::green);
  const SkinBitmap bitmap(given);
  EXPECT_EQ(bitmap.For(2).size(), QSize(3, 3));
  EXPECT_EQ(bitmap.For(2).cacheKey(), given.cacheKey());
  EXPECT_TRUE(SkinBitmap().For(3).isNull());
}

TEST(StateBitmaps, CopiesAndConvertsA24BitImageToOpaque32Bit) {
  QImage given(3, 2, QImage::Format_RGB888);
  given.fill(QColor(10, 20, 30));
  StateBitmaps<ButtonLook> set;
  EXPECT_TRUE(set.Set(ButtonLook::Down, given));
  const QImage& owned = set[ButtonLook::Down].Image();
  EXPECT_EQ(owned.format(), QImage::Format_ARGB32);
  EXPECT_EQ(owned.pixel(2, 1), qRgba(10, 20, 30, 255));
  given.fill(Qt::black);
  EXPECT_EQ(set[ButtonLook::Down].Image().pixel(2, 1), qRgba(10, 20, 30, 255)) << "the caller keeps its own image";
  EXPECT_TRUE(set[ButtonLook::Normal].isNull()) << "the other looks are untouched";
}

TEST(StateBitmaps, IgnoresThePictureItAlreadyHoldsHandedBack) {
  StateBitmaps<ButtonLook> set;
  QImage red(1, 1, QImage::Format_ARGB32);
  red.fill(Qt::red);
  ASSERT_TRUE(set.Set(ButtonLook::Normal, red));
  EXPECT_FALSE(set.Set(ButtonLook::Normal, set[ButtonLook::Normal]));
  EXPECT_FALSE(set.Set(ButtonLook::Normal, red));

  int renderings = 0;
  const SkinBitmap drawing = CountingDrawing(renderings);
  EXPECT_TRUE(set.Set(ButtonLook::Pressed, drawing));
  EXPECT_FALSE(set.Set(ButtonLook::Pressed, drawing)) << "the same drawing is the same picture";
  EXPECT_TRUE(set.Set(ButtonLook::Pressed, red));
}

TEST(StateBitmaps, HandsOutADrawingInTheControlsFormatAtEveryRatio) {
  StateBitmaps<ButtonLook> set;
  set.Set(ButtonLook::Pointed, SkinBitmap::Drawn([](qreal ratio) {
            QImage image = tp::LogicalImage(5, 5, ratio, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            return image;
          }));
  EXPECT_EQ(set[ButtonLook::Pointed].Image().format(), QImage::Format_ARGB32);
  EXPECT_EQ(set[ButtonLook::Pointed].For(3).format(), QImage::Format_ARGB32);
  EXPECT_EQ(set[ButtonLook::Pointed].For(3).size(), QSize(15, 15));
}

// Device sizes: a part pixel counts whole, and whole products stay whole.
TEST(DeviceSize, CoversEveryPartPixelAndNoMore) {
  EXPECT_EQ(tp::DeviceSize(QSize(17, 20), 1.5), QSize(26, 30));
  EXPECT_EQ(tp::DeviceSize(QSize(60, 20), 1.25), QSize(75, 25));
  EXPECT_EQ(tp::DeviceSize(QSize(10, 3), 3), QSize(30, 9));
  EXPECT_EQ(tp::DeviceRect(QRect(8, 19, 17, 17), 1.5), QRect(12, 29, 26, 26));
}

// Every ratio gives the picture's logical size, so that geometry stays put.
TEST(SkinAtARatio, KeepsItsLogicalSizeAtEveryRatio) {
  using namespace tp::Skin;
  for (qreal ratio : {1.25, 1.5, 2.0, 3.0}) {
    const QImage cell = TrackCell(ButtonLook::Normal, ratio);
    EXPECT_EQ(cell.size(), tp::DeviceSize(QSize(20, 20), ratio)) << ratio;
    EXPECT_EQ(cell.devicePixelRatio(), ratio);
    EXPECT_EQ(cell.format(), QImage::Format_ARGB32);
    EXPECT_EQ(MeterBar(QSize(58, 3), true, ratio).size(), tp::DeviceSize(QSize(58, 3), ratio)) << ratio;
    EXPECT_EQ(MixerPanel(ratio).deviceIndependentSize(), QSizeF(100, 400)) << ratio;
  }
}

}  // namespace
