// TBtnMtx: the state bitmap of a cell, the click rule, hover, SetUpdating,
// the grid's size and the cells' contents.
#include "controls/tbtnmtx.h"

#include "hostwindow.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using tp::TBtnMtx;
using tp::ButtonLook;

// One colour per state bitmap, so a rendering tells which one was drawn.
constexpr QRgb kBtn = qRgb(200, 0, 0), kPointBtn = qRgb(0, 200, 0), kDownBtn = qRgb(0, 0, 200),
               kDPointBtn = qRgb(200, 200, 0), kPressBtn = qRgb(200, 0, 200), kNBtn = qRgb(0, 200, 200),
               kPointNBtn = qRgb(100, 0, 0), kDownNBtn = qRgb(0, 100, 0), kDPointNBtn = qRgb(0, 0, 100),
               kPressNBtn = qRgb(100, 100, 100), kBack = qRgb(10, 10, 10);

// A 2 x 2 matrix of 20 x 20 cells at (10, 10) in a shown window, each state
// bitmap a solid colour and drawn opaquely.
class MatrixTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QCursor::setPos(0, 0);  // away from the window, so nothing is hovered yet
    matrix = new TBtnMtx(host.parent());
    matrix->move(10, 10);
    matrix->SetBtnWidth(20);
    matrix->SetBtnHeight(20);
    matrix->SetStateBmp(ButtonLook::Normal, true, Solid(20, 20, kBtn));
    matrix->SetStateBmp(ButtonLook::Pointed, true, Solid(20, 20, kPointBtn));
    matrix->SetStateBmp(ButtonLook::Down, true, Solid(20, 20, kDownBtn));
    matrix->SetStateBmp(ButtonLook::DownPointed, true, Solid(20, 20, kDPointBtn));
    matrix->SetStateBmp(ButtonLook::Pressed, true, Solid(20, 20, kPressBtn));
    matrix->SetStateBmp(ButtonLook::Normal, false, Solid(20, 20, kNBtn));
    matrix->SetStateBmp(ButtonLook::Pointed, false, Solid(20, 20, kPointNBtn));
    matrix->SetStateBmp(ButtonLook::Down, false, Solid(20, 20, kDownNBtn));
    matrix->SetStateBmp(ButtonLook::DownPointed, false, Solid(20, 20, kDPointNBtn));
    matrix->SetStateBmp(ButtonLook::Pressed, false, Solid(20, 20, kPressNBtn));
    matrix->SetBackBmp(Solid(40, 40, kBack));
    ASSERT_TRUE(host.Show());
  }

  void TearDown() override {
    // QTest remembers held buttons across tests; let go of them.
    if (held) QTest::mouseRelease(matrix, Qt::LeftButton, {}, QPoint(200, 200));
  }

  void Press(QPoint at) {
    QTest::mousePress(matrix, Qt::LeftButton, {}, at);
    held = true;
  }
  void Release(QPoint at) {
    QTest::mouseRelease(matrix, Qt::LeftButton, {}, at);
    held = false;
  }

  QRgb CellColour(int row, int col) { return Rendered(*matrix).pixel(col * 20 + 2, row * 20 + 2); }

  HostWindow host;
  TBtnMtx* matrix = nullptr;
  bool held = false;
};

struct StateCase {
  bool assigned, down, pointed, pressed;
  QRgb expected;
};

// Pressed is tested first, then Down, then pointed.
const StateCase kStateCases[] = {
    {true, false, false, true, kPressBtn},   {true, true, true, true, kPressBtn},
    {true, true, true, false, kDPointBtn},   {true, true, false, false, kDownBtn},
    {true, false, true, false, kPointBtn},   {true, false, false, false, kBtn},
    {false, true, false, true, kPressNBtn},  {false, true, true, false, kDPointNBtn},
    {false, true, false, false, kDownNBtn},  {false, false, true, false, kPointNBtn},
    {false, false, false, false, kNBtn},
};

class MatrixState : public MatrixTest, public ::testing::WithParamInterface<StateCase> {};

TEST_P(MatrixState, DrawsTheStateBitmapThatTheCellsFlagsSelect) {
  const StateCase& c = GetParam();
  matrix->SetAssigned(0, 0, c.assigned);
  matrix->SetDown(0, 0, c.down);
  if (c.pointed) QTest::mouseMove(matrix, QPoint(5, 5));
  if (c.pressed) Press(QPoint(5, 5));
  EXPECT_EQ(CellColour(0, 0), c.expected);
  EXPECT_EQ(CellColour(1, 1), kNBtn) << "the other cells are untouched";
}

INSTANTIATE_TEST_SUITE_P(Table, MatrixState, ::testing::ValuesIn(kStateCases));

TEST_F(MatrixTest, AClickTogglesTheCellAndFiresOnClickOnceWithItsRowAndColumn) {
  QSignalSpy clicks(matrix, &TBtnMtx::OnClick);
  bool downSeenByHandler = false;
  QObject::connect(matrix, &TBtnMtx::OnClick, [&](TBtnMtx* sender, int row, int col) {
    downSeenByHandler = sender->GetDown(row, col);
  });
  QTest::mouseClick(matrix, Qt::LeftButton, {}, QPoint(25, 5));
  ASSERT_EQ(clicks.count(), 1);
  EXPECT_EQ(clicks[0][0].value<TBtnMtx*>(), matrix);
  EXPECT_EQ(clicks[0][1].toInt(), 0);
  EXPECT_EQ(clicks[0][2].toInt(), 1);
  EXPECT_TRUE(matrix->GetDown(0, 1));
  EXPECT_TRUE(downSeenByHandler) << "Down is toggled before OnClick fires";

  QTest::mouseClick(matrix, Qt::LeftButton, {}, QPoint(25, 5));
  EXPECT_FALSE(matrix->GetDown(0, 1)) << "a second click sets it back";
  EXPECT_EQ(clicks.count(), 2);
}

TEST_F(MatrixTest, ADoubleClickTogglesTwiceAndFiresTwice) {
  QSignalSpy clicks(matrix, &TBtnMtx::OnClick);
  QTest::mouseClick(matrix, Qt::LeftButton, {}, QPoint(5, 25));
  QTest::mouseDClick(matrix, Qt::LeftButton, {}, QPoint(5, 25));
  Release(QPoint(5, 25));
  EXPECT_EQ(clicks.count(), 2);
  EXPECT_FALSE(matrix->GetDown(1, 0));
}

TEST_F(MatrixTest, DraggingOutAndReleasingOutsideChangesNothing) {
  QSignalSpy clicks(matrix, &TBtnMtx::OnClick);
  Press(QPoint(5, 5));
  EXPECT_EQ(CellColour(0, 0), kPressNBtn);
  QTest::mouseMove(matrix, QPoint(25, 5));
  EXPECT_EQ(CellColour(0, 0), kNBtn) << "the cell drops its pressed look once the pointer leaves it";
  EXPECT_EQ(CellColour(0, 1), kNBtn) << "and the cell under the pointer does not take it";
  Release(QPoint(25, 5));
  EXPECT_EQ(clicks.count(), 0);
  EXPECT_FALSE(matrix->GetDown(0, 0));
  EXPECT_FALSE(matrix->GetDown(0, 1));
}

TEST_F(MatrixTest, DraggingOutAndBackInStillClicks) {
  QSignalSpy clicks(matrix, &TBtnMtx::OnClick);
  Press(QPoint(5, 5));
  QTest::mouseMove(matrix, QPoint(-30, 5));
  QTest::mouseMove(matrix, QPoint(19, 19));
  EXPECT_EQ(CellColour(0, 0), kPressNBtn) << "pressed look again on the way back";
  Release(QPoint(19, 19));
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_TRUE(matrix->GetDown(0, 0));
}

TEST_F(MatrixTest, TheRightAndLeftEdgesOfTheCellCountAsTheCellsRuleSays) {
  // (20, 5) is the first pixel of the next cell: a release there is outside.
  QSignalSpy clicks(matrix, &TBtnMtx::OnClick);
  Press(QPoint(0, 0));
  Release(QPoint(20, 5));
  EXPECT_EQ(clicks.count(), 0);
}

TEST_F(MatrixTest, TheRightButtonChangesNoCell) {
  QSignalSpy clicks(matrix, &TBtnMtx::OnClick);
  QTest::mousePress(matrix, Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_EQ(CellColour(0, 0), kNBtn);
  QTest::mouseRelease(matrix, Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_EQ(clicks.count(), 0);
  EXPECT_FALSE(matrix->GetDown(0, 0));
}

// Disabled, each cell shows the bitmap of its state dimmed: (0, 100, 0) has
// luma 58, so each channel becomes (c + 58) / 2 * 3 / 5.
TEST_F(MatrixTest, ADisabledMatrixDrawsItsCellsDimmedAndIgnoresPresses) {
  matrix->SetDown(1, 1, true);
  matrix->setEnabled(false);
  QSignalSpy clicks(matrix, &TBtnMtx::OnClick);
  QTest::mouseClick(matrix, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(clicks.count(), 0);
  EXPECT_EQ(CellColour(1, 1), qRgb(17, 47, 17));
  matrix->setEnabled(true);
  EXPECT_EQ(CellColour(1, 1), kDownNBtn);
}

// The hover is settled from where the pointer is when the release has been
// handled, so the pointer is put where a user's would be.
TEST_F(MatrixTest, EveryReleaseEndsWithExactlyOneOfOnEnterAndOnLeave) {
  QTest::mouseMove(matrix, QPoint(5, 5));
  QSignalSpy enters(matrix, &TBtnMtx::OnEnter), leaves(matrix, &TBtnMtx::OnLeave);
  QTest::mouseClick(matrix, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(enters.count(), 1) << "released over the matrix";
  EXPECT_EQ(leaves.count(), 0);

  Press(QPoint(5, 5));
  QCursor::setPos(matrix->mapToGlobal(QPoint(300, 300)));
  Release(QPoint(300, 300));
  EXPECT_EQ(enters.count(), 1);
  EXPECT_EQ(leaves.count(), 1) << "released away from the matrix";
}

TEST_F(MatrixTest, TheClickedCellShowsItsUnpointedLookUntilThePointerMoves) {
  matrix->SetAssigned(0, 0, true);
  QTest::mouseMove(matrix, QPoint(5, 5));
  EXPECT_EQ(CellColour(0, 0), kPointBtn);
  QTest::mouseClick(matrix, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(CellColour(0, 0), kDownBtn);
  QTest::mouseMove(matrix, QPoint(6, 6));
  EXPECT_EQ(CellColour(0, 0), kDPointBtn);
}

TEST_F(MatrixTest, HoverFollowsThePointerFromCellToCellAndOffTheMatrix) {
  QSignalSpy enters(matrix, &TBtnMtx::OnEnter), leaves(matrix, &TBtnMtx::OnLeave);
  QTest::mouseMove(matrix, QPoint(5, 25));
  EXPECT_EQ(enters.count(), 1);
  EXPECT_EQ(CellColour(1, 0), kPointNBtn);
  QTest::mouseMove(matrix, QPoint(25, 25));
  EXPECT_EQ(CellColour(1, 0), kNBtn);
  EXPECT_EQ(CellColour(1, 1), kPointNBtn);
  QTest::mouseMove(host.parent(), QPoint(400, 400));
  EXPECT_EQ(leaves.count(), 1);
  EXPECT_EQ(CellColour(1, 1), kNBtn);
}

TEST_F(MatrixTest, WithDragOutAPressThatLeavesTheControlIsADragAndNoClick) {
  QSignalSpy drags(matrix, &TBtnMtx::OnDragOut), clicks(matrix, &TBtnMtx::OnClick);
  Press(QPoint(25, 5));
  QTest::mouseMove(matrix, QPoint(45, 5));  // out of the matrix, drags off
  Release(QPoint(25, 5));
  EXPECT_EQ(drags.count(), 0);
  EXPECT_EQ(clicks.count(), 1) << "the pointer came back: a click";

  matrix->SetDragOut(true);
  Press(QPoint(25, 5));
  QTest::mouseMove(matrix, QPoint(25, 25));  // another cell, still inside: no drag yet
  EXPECT_EQ(drags.count(), 0);
  QTest::mouseMove(matrix, QPoint(45, 5));
  ASSERT_EQ(drags.count(), 1);
  EXPECT_EQ(drags[0][1].toInt(), 0);
  EXPECT_EQ(drags[0][2].toInt(), 1);
  EXPECT_EQ(CellColour(0, 1), kDownNBtn) << "no longer pressed";
  Release(QPoint(25, 5));
  EXPECT_EQ(clicks.count(), 1) << "the release after a drag is no click";
}

TEST_F(MatrixTest, SetUpdatingKeepsTheOldPictureUntilItIsSwitchedOff) {
  EXPECT_EQ(CellColour(0, 0), kNBtn);
  matrix->SetUpdating(true);
  matrix->SetAssigned(0, 0, true);
  matrix->SetDown(0, 0, true);
  matrix->Init(QString(), true, true);
  EXPECT_EQ(CellColour(0, 0), kNBtn);
  EXPECT_EQ(CellColour(1, 1), kNBtn);
  matrix->SetUpdating(false);
  EXPECT_EQ(CellColour(0, 0), kDownBtn);
  EXPECT_EQ(CellColour(1, 1), kDownBtn);
}

TEST_F(MatrixTest, ClearAndInitLeaveAPressInProgressAlone) {
  QSignalSpy clicks(matrix, &TBtnMtx::OnClick);
  Press(QPoint(5, 5));
  matrix->Init(QStringLiteral("x"), true, true);
  EXPECT_EQ(CellColour(0, 0), kPressBtn);
  matrix->Clear();
  EXPECT_EQ(CellColour(0, 0), kPressNBtn);
  Release(QPoint(5, 5));
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_TRUE(matrix->GetDown(0, 0));
  EXPECT_EQ(matrix->GetCaptions(0, 0), QString());
}

TEST_F(MatrixTest, TheControlIsAlwaysColsTimesBtnWidthByRowsTimesBtnHeight) {
  matrix->SetRows(16);
  matrix->SetCols(10);
  matrix->SetBtnWidth(60);
  EXPECT_EQ(matrix->size(), QSize(600, 320));
  matrix->SetBtnHeight(10);
  EXPECT_EQ(matrix->size(), QSize(600, 160));
  EXPECT_EQ(matrix->RowAt(159), 15);
  EXPECT_EQ(matrix->ColAt(599), 9);
}

TEST_F(MatrixTest, ANewRowOrColumnCountRecreatesEmptyCellsAndTheSameCountKeepsThem) {
  matrix->Init(QStringLiteral("take"), true, true);
  matrix->SetRows(2);
  matrix->SetCols(2);
  EXPECT_EQ(matrix->GetCaptions(1, 1), QStringLiteral("take"));
  EXPECT_TRUE(matrix->GetDown(1, 1));
  matrix->SetCols(3);
  EXPECT_EQ(matrix->GetCaptions(1, 1), QString());
  EXPECT_FALSE(matrix->GetDown(1, 1));
  EXPECT_FALSE(matrix->GetAssigned(1, 2));
}

TEST_F(MatrixTest, ArgumentsOutsideTheGridReadAsEmptyAndAreIgnored) {
  matrix->SetDown(5, 0, true);
  matrix->SetCaptions(-1, 0, QStringLiteral("x"));
  EXPECT_FALSE(matrix->GetDown(5, 0));
  EXPECT_EQ(matrix->GetCaptions(-1, 0), QString());
}

bool HasPixel(const QImage& image, QRect area, QRgb colour) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (image.pixel(x, y) == colour) return true;
  return false;
}

TEST_F(MatrixTest, ACaptionIsDrawnOnlyOnAnAssignedCellInCharColorOrInPressCharColorWhilePressed) {
  matrix->SetStateBmp(ButtonLook::Normal, true, Solid(20, 20, qRgb(0, 0, 0)));
  matrix->SetStateBmp(ButtonLook::Pressed, true, Solid(20, 20, qRgb(0, 0, 0)));
  matrix->SetStateBmp(ButtonLook::Normal, false, Solid(20, 20, qRgb(0, 0, 0)));
  matrix->SetCharColor(Qt::white);
  matrix->SetPressCharColor(Qt::red);
  matrix->SetCaptions(0, 0, QStringLiteral("WW"));
  const QRect cell(0, 0, 20, 20);
  EXPECT_FALSE(HasPixel(Rendered(*matrix), cell, qRgb(255, 255, 255))) << "stored but not drawn";
  matrix->SetAssigned(0, 0, true);
  EXPECT_TRUE(HasPixel(Rendered(*matrix), cell, qRgb(255, 255, 255)));
  Press(QPoint(5, 5));
  const QImage pressed = Rendered(*matrix);
  EXPECT_TRUE(HasPixel(pressed, cell, qRgb(255, 0, 0)));
  EXPECT_FALSE(HasPixel(pressed, cell, qRgb(255, 255, 255)));
}

TEST_F(MatrixTest, AlphaBlendMixesTheStateBitmapWithTheBackground) {
  matrix->SetBackBmp(Solid(40, 40, qRgb(200, 200, 200)));
  matrix->SetStateBmp(ButtonLook::Normal, false, Solid(20, 20, qRgba(255, 255, 255, 128)));
  matrix->SetAlphaBlend(true);
  EXPECT_EQ(CellColour(0, 0), qRgb(226, 226, 226)) << "(255 * 128 + 200 * 127) >> 8";
  matrix->SetAlphaBlend(false);
  EXPECT_EQ(CellColour(0, 0), qRgb(255, 255, 255)) << "copied as it is, the alpha byte ignored";
}

TEST_F(MatrixTest, AnEmptyStateBitmapLetsTheBackgroundShow) {
  matrix->SetStateBmp(ButtonLook::Normal, false, QImage());
  EXPECT_EQ(CellColour(0, 0), kBack);
}

}  // namespace
