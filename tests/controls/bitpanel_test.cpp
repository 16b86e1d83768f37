// TBitPanel: the three layouts of its bitmap, and the ordinary panel it
// falls back to.
#include "controls/tbitpanel.h"

#include "hostwindow.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

using tp::BitmapPlacements;
using tp::TBitPanel;

TEST(BitmapPlacements, TilesA10By10BitmapOverA158By420PanelIn16ColumnsAnd42Rows) {
  const auto placements = BitmapPlacements(tp::blMulti, QRect(0, 0, 158, 420), QSize(10, 10));
  ASSERT_EQ(placements.size(), 16u * 42u);
  EXPECT_EQ(placements.front(), QPoint(0, 0));
  EXPECT_EQ(placements[15], QPoint(150, 0)) << "the last column starts 8 pixels before the edge";
  EXPECT_EQ(placements.back(), QPoint(150, 410));
}

struct PlacementCase {
  const char* what;
  tp::TbpLayout layout;
  QRect client;
  QSize bitmap;
  std::vector<QPoint> expected;
};

const PlacementCase kPlacementCases[] = {
    {"single sits at the corner", tp::blSingle, QRect(0, 0, 50, 40), QSize(10, 10), {QPoint(0, 0)}},
    {"centre halves both ways", tp::blCenter, QRect(0, 0, 50, 40), QSize(10, 11), {QPoint(20, 15)}},
    {"centre of a larger bitmap lies at negative coordinates", tp::blCenter, QRect(0, 0, 100, 60), QSize(667, 446),
     {QPoint(-283, -193)}},
    {"tiles exactly fill an even panel", tp::blMulti, QRect(0, 0, 20, 10), QSize(10, 10), {QPoint(0, 0), QPoint(10, 0)}},
    {"an empty bitmap is not placed", tp::blMulti, QRect(0, 0, 20, 10), QSize(0, 0), {}},
};

class BitmapPlacement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(BitmapPlacement, PutsTheBitmapWhereItsLayoutSays) {
  const PlacementCase& c = GetParam();
  EXPECT_EQ(BitmapPlacements(c.layout, c.client, c.bitmap), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Table, BitmapPlacement, ::testing::ValuesIn(kPlacementCases));

QImage Gradient(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x * 20, y * 20, 100));
  return image;
}

TEST(TBitPanel, TiledBitmapPixelXYLandsOnPanelPointXY) {
  HostWindow host;
  TBitPanel panel(host.parent());
  panel.setGeometry(0, 0, 25, 17);
  panel.SetBevelOuter(tp::bvNone);
  panel.SetLayout(tp::blMulti);
  panel.SetBitmap(Gradient(10, 10));
  ASSERT_TRUE(host.Show());
  const QImage shown = Rendered(panel);
  for (QPoint at : {QPoint(0, 0), QPoint(9, 9), QPoint(13, 4), QPoint(24, 16)})
    EXPECT_EQ(shown.pixel(at), qRgb((at.x() % 10) * 20, (at.y() % 10) * 20, 100)) << at.x() << "," << at.y();
}

TEST(TBitPanel, WithoutABitmapLooksLikeAnOrdinaryPanelInItsColour) {
  HostWindow host;
  TBitPanel panel(host.parent());
  panel.setGeometry(0, 0, 40, 30);
  panel.SetColor(QColor(30, 60, 90));
  panel.SetBevelOuter(tp::bvLowered);
  ASSERT_TRUE(host.Show());
  const QImage shown = Rendered(panel);
  EXPECT_EQ(shown.pixel(20, 15), qRgb(30, 60, 90));
  EXPECT_EQ(shown.pixel(0, 0), panel.palette().color(QPalette::Dark).rgb()) << "a lowered bevel is dark at the top left";
  EXPECT_EQ(shown.pixel(39, 29), panel.palette().color(QPalette::Light).rgb());
}

TEST(TBitPanel, AnOnPaintHandlerReplacesTheFillUnderTheBitmap) {
  HostWindow host;
  TBitPanel panel(host.parent());
  panel.setGeometry(0, 0, 30, 30);
  panel.SetBevelOuter(tp::bvNone);
  panel.SetColor(Qt::blue);
  panel.SetLayout(tp::blCenter);
  panel.SetBitmap(Gradient(10, 10));
  int calls = 0;
  panel.OnPaint = [&calls](TBitPanel* sender, QPainter& painter) {
    ++calls;
    painter.fillRect(sender->rect(), Qt::green);
  };
  ASSERT_TRUE(host.Show());
  const QImage shown = Rendered(panel);
  EXPECT_GT(calls, 0);
  EXPECT_EQ(shown.pixel(2, 2), qRgb(0, 255, 0));
  EXPECT_EQ(shown.pixel(10, 10), qRgb(0, 0, 100)) << "the centred bitmap starts at (10, 10)";
}

}  // namespace
