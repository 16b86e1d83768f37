// TBtnMtx's outlines: faint, inside the cell's bevel, behind the caption and
// over whichever state bitmap the cell shows; the warning mark in their place.
#include "controls/tbtnmtx.h"

#include "hostwindow.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using tp::ButtonLook;
using tp::TBtnMtx;
using tp::TMtxLane;

constexpr QRgb kBtn = qRgb(200, 0, 0), kDownBtn = qRgb(0, 0, 200), kNBtn = qRgb(0, 200, 200), kBack = qRgb(10, 10, 10);
constexpr int Width = 60, Height = 20;

TMtxLane Flat(int16_t low, int16_t high) {
  return TMtxLane{std::vector<int16_t>(56, low), std::vector<int16_t>(56, high)};
}
const TMtxLane FullScale = Flat(std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max());

// One row of two assigned 60 x 20 cells, as the take grid has them.
class MatrixOutline : public ::testing::Test {
 protected:
  void SetUp() override {
    matrix = new TBtnMtx(host.parent());
    matrix->SetBtnWidth(Width);
    matrix->SetBtnHeight(Height);
    matrix->SetRows(1);
    matrix->SetCols(2);
    for (auto look : {ButtonLook::Normal, ButtonLook::Pointed, ButtonLook::Pressed, ButtonLook::DownPointed})
      matrix->SetStateBmp(look, true, Solid(Width, Height, kBtn));
    matrix->SetStateBmp(ButtonLook::Down, true, Solid(Width, Height, kDownBtn));
    matrix->SetStateBmp(ButtonLook::Normal, false, Solid(Width, Height, kNBtn));
    matrix->SetBackBmp(Solid(2 * Width, Height, kBack));
    matrix->SetCharColor(Qt::white);
    matrix->Init(QString(), false, true);
    ASSERT_TRUE(host.Show());
  }
  QImage Cell(int col) { return Rendered(*matrix).copy(col * Width, 0, Width, Height); }
  // Every pixel of the cell is `colour`: nothing drawn over its bitmap.
  bool Plain(int col, QRgb colour) {
    const QImage cell = Cell(col);
    for (int y = 0; y < Height; ++y)
      for (int x = 0; x < Width; ++x)
        if (cell.pixel(x, y) != colour) return false;
    return true;
  }

  HostWindow host;
  TBtnMtx* matrix = nullptr;
};

// Moved towards the caption's white, by less than a third of the way.
bool Faint(QRgb shown, QRgb under) {
  if (shown == under) return false;
  const std::pair<int, int> channels[] = {{qRed(shown), qRed(under)}, {qGreen(shown), qGreen(under)},
                                          {qBlue(shown), qBlue(under)}};
  for (auto [value, base] : channels)
    if (value < base || (value - base) * 3 > 255 - base) return false;
  return true;
}

TEST_F(MatrixOutline, AFullScaleOutlineFaintlyFillsTheCellInsideItsBevel) {
  matrix->SetOutline(0, 0, {FullScale});
  const QImage cell = Cell(0);
  for (QPoint inside : {QPoint(2, 2), QPoint(30, 10), QPoint(57, 17)})
    EXPECT_TRUE(Faint(cell.pixel(inside), kBtn))
        << inside.x() << "," << inside.y() << " " << std::hex << cell.pixel(inside);
  for (QPoint bevel : {QPoint(0, 0), QPoint(1, 10), QPoint(59, 19), QPoint(30, 18)})
    EXPECT_EQ(cell.pixel(bevel), kBtn) << bevel.x() << "," << bevel.y();
  EXPECT_TRUE(Plain(1, kBtn)) << "the other cell has no outline";
}

TEST_F(MatrixOutline, ASilentTakeDrawsOnlyItsCentreLine) {
  matrix->SetOutline(0, 0, {Flat(0, 0)});
  const QImage cell = Cell(0);
  int changedRows = 0;
  for (int y = 0; y < Height; ++y) changedRows += cell.pixel(30, y) != kBtn;
  EXPECT_EQ(changedRows, 1);
  EXPECT_EQ(cell.pixel(30, 2), kBtn);
}

TEST_F(MatrixOutline, TwoLanesStackOneAboveTheOther) {
  matrix->SetOutline(0, 0, {FullScale, Flat(0, 0)});
  const QImage cell = Cell(0);
  EXPECT_TRUE(Faint(cell.pixel(30, 3), kBtn)) << "the upper lane is full";
  EXPECT_EQ(cell.pixel(30, 12), kBtn) << "the lower lane is silent away from its centre";
}

TEST_F(MatrixOutline, TheCaptionIsDrawnOverTheOutlineUnchanged) {
  matrix->SetCaptions(0, 0, QStringLiteral("WWWWWW"));
  const QImage plain = Cell(0);
  matrix->SetOutline(0, 0, {FullScale});
  const QImage outlined = Cell(0);
  int captionPixels = 0;
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x)
      if (plain.pixel(x, y) == qRgb(255, 255, 255)) {
        ++captionPixels;
        EXPECT_EQ(outlined.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
      }
  EXPECT_GT(captionPixels, 5);
}

TEST_F(MatrixOutline, TheSelectedLookShowsThroughTheOutline) {
  matrix->SetOutline(0, 0, {FullScale});
  matrix->SetDown(0, 0, true);
  const QImage cell = Cell(0);
  EXPECT_EQ(cell.pixel(0, 0), kDownBtn);
  EXPECT_TRUE(Faint(cell.pixel(30, 10), kDownBtn));
}

TEST_F(MatrixOutline, AProblemShowsAWarningMarkInsteadAndAnEmptyCellShowsNothing) {
  matrix->SetOutline(0, 0, {FullScale});
  matrix->SetOutlineProblem(0, 0, QStringLiteral("The take could not be read"));
  EXPECT_FALSE(matrix->HasOutline(0, 0));
  const QImage cell = Cell(0);
  EXPECT_EQ(cell.pixel(30, 10), kBtn) << "no outline";
  EXPECT_EQ(cell.pixel(Width - 2 - 7, 2 + 6), qRgb(0xff, 0xc4, 0x4c)) << "the amber mark in the top right corner";

  matrix->SetOutline(0, 1, {FullScale});
  matrix->SetAssigned(0, 1, false);
  EXPECT_TRUE(Plain(1, kNBtn));
  matrix->ClearOutline(0, 0);
  EXPECT_TRUE(Plain(0, kBtn));
}

}  // namespace
