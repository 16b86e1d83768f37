// TSlider: paging, dragging with the 20-pixel rule, keys, the limits and the
// 64-bit thumb arithmetic.
#include "controls/tslider.h"

#include "hostwindow.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using tp::KnobLook;
using tp::TSlider;

// The main window's slider: 300 x 12, thumb 12 x 12; Max 288 makes one
// pixel one step.
class SliderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QCursor::setPos(0, 0);
    slider = new TSlider(host.parent());
    slider->setGeometry(30, 30, 300, 12);
    slider->SetThumbWidth(12);
    slider->SetThumbHeight(12);
    slider->SetMax(288);
    slider->SetPageSize(50);
    slider->SetMidSize(5);
    slider->SetTickSize(1);
    ASSERT_TRUE(host.Show());
  }

  void TearDown() override {
    if (held) QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(0, 0));
  }

  void Press(QPoint at) {
    QTest::mousePress(slider, Qt::LeftButton, {}, at);
    held = true;
  }
  void Release(QPoint at) {
    QTest::mouseRelease(slider, Qt::LeftButton, {}, at);
    held = false;
  }

  HostWindow host;
  TSlider* slider = nullptr;
  bool held = false;
};

TEST_F(SliderTest, ADragOfTenPixelsAddsTen) {
  slider->SetPosition(100);
  ASSERT_EQ(slider->ThumbOffset(), 100);
  QSignalSpy changing(slider, &TSlider::OnChanging), changed(slider, &TSlider::OnChanged);
  Press(QPoint(105, 6));
  EXPECT_EQ(changing.count(), 0) << "the press on the thumb only starts the drag";
  QTest::mouseMove(slider, QPoint(115, 6));
  EXPECT_EQ(slider->Position(), 110);
  EXPECT_EQ(changing.count(), 2) << "OnChanging fires twice per move";
  EXPECT_EQ(changed.count(), 0);
  Release(QPoint(115, 6));
  EXPECT_EQ(slider->Position(), 110);
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed[0][1].toInt(), 110);
}

TEST_F(SliderTest, StrayingMoreThan20PixelsSnapsBackToWhereTheDragBegan) {
  slider->SetPosition(100);
  QSignalSpy changed(slider, &TSlider::OnChanged);
  Press(QPoint(105, 6));
  QTest::mouseMove(slider, QPoint(115, -20));
  EXPECT_EQ(slider->Position(), 110) << "20 pixels above the top edge is still near";
  QTest::mouseMove(slider, QPoint(115, -21));
  EXPECT_EQ(slider->Position(), 100);
  QTest::mouseMove(slider, QPoint(115, 6));
  EXPECT_EQ(slider->Position(), 110) << "coming back near resumes the drag";
  Release(QPoint(115, -21));
  EXPECT_EQ(slider->Position(), 100) << "releasing far away cancels the drag";
  EXPECT_EQ(changed.count(), 1);
}

TEST_F(SliderTest, TheWidenedAreaEndsJustShortOf20PixelsPastTheRightAndBottomEdges) {
  slider->SetPosition(100);
  Press(QPoint(105, 6));
  QTest::mouseMove(slider, QPoint(115, 12 + 19));
  EXPECT_EQ(slider->Position(), 110);
  QTest::mouseMove(slider, QPoint(115, 12 + 20));
  EXPECT_EQ(slider->Position(), 100);
}

struct PageCase {
  const char* what;
  int from;
  int pressX;
  int expected;
};

const PageCase kPageCases[] = {
    {"right of the thumb adds a page", 100, 200, 150},
    {"left of the thumb takes a page", 100, 50, 50},
    {"at Max it stays at Max", 288, 5, 238},
    {"near 0 it stops at 0", 20, 2, 0},
    {"at the limit it still reports", 288, 299, 288},
};

class SliderPage : public SliderTest, public ::testing::WithParamInterface<PageCase> {};

TEST_P(SliderPage, PagesTowardThePressAndReportsTheActionComplete) {
  const PageCase& c = GetParam();
  slider->SetPosition(c.from);
  QSignalSpy changing(slider, &TSlider::OnChanging), changed(slider, &TSlider::OnChanged);
  QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(c.pressX, 6));
  EXPECT_EQ(slider->Position(), c.expected) << c.what;
  EXPECT_EQ(changing.count(), 1);
  EXPECT_EQ(changed.count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Table, SliderPage, ::testing::ValuesIn(kPageCases));

TEST_F(SliderTest, APressBelowTheThumbsHitAreaPagesInsteadOfDragging) {
  slider->SetThumbHeight(6);
  slider->SetPosition(100);
  QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(105, 8));
  EXPECT_EQ(slider->Position(), 150) << "the thumb's offset 100 is less than x, so a page up";
}

struct KeyCase {
  const char* what;
  Qt::Key key;
  int expected;  // from 100
};

const KeyCase kKeyCases[] = {
    {"Left takes a tick", Qt::Key_Left, 99},      {"Right adds a tick", Qt::Key_Right, 101},
    {"Up takes a mid step", Qt::Key_Up, 95},      {"Down adds a mid step", Qt::Key_Down, 105},
    {"Page Up takes a page", Qt::Key_PageUp, 50}, {"Page Down adds a page", Qt::Key_PageDown, 150},
    {"Home goes to 0", Qt::Key_Home, 0},
};

class SliderKey : public SliderTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(SliderKey, MovesByItsStepAndFiresBothEventsOnce) {
  const KeyCase& c = GetParam();
  slider->SetPosition(100);
  slider->setFocus();
  QSignalSpy changing(slider, &TSlider::OnChanging), changed(slider, &TSlider::OnChanged);
  QTest::keyClick(slider, c.key);
  EXPECT_EQ(slider->Position(), c.expected) << c.what;
  EXPECT_EQ(changing.count(), 1);
  EXPECT_EQ(changed.count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Table, SliderKey, ::testing::ValuesIn(kKeyCases));

TEST_F(SliderTest, EndDoesNothing) {
  slider->SetPosition(100);
  slider->setFocus();
  QSignalSpy changing(slider, &TSlider::OnChanging), changed(slider, &TSlider::OnChanged);
  QTest::keyClick(slider, Qt::Key_End);
  EXPECT_EQ(slider->Position(), 100);
  EXPECT_EQ(changing.count() + changed.count(), 0);
}

TEST_F(SliderTest, MaxIsAtLeastOneAndPullsThePositionDownSilently) {
  slider->SetPosition(200);
  QSignalSpy changing(slider, &TSlider::OnChanging);
  slider->SetMax(0);
  EXPECT_EQ(slider->Max(), 1);
  EXPECT_EQ(slider->Position(), 1);
  slider->SetMax(-7);
  EXPECT_EQ(slider->Max(), 1);
  EXPECT_EQ(changing.count(), 0);
}

TEST_F(SliderTest, APositionFromCodeIsLimitedAndFiresOnChangingButNeverOnChanged) {
  QSignalSpy changing(slider, &TSlider::OnChanging), changed(slider, &TSlider::OnChanged);
  slider->SetPosition(1000);
  EXPECT_EQ(slider->Position(), 288);
  slider->SetPosition(-1);
  EXPECT_EQ(slider->Position(), 0);
  slider->SetPosition(0);
  EXPECT_EQ(changing.count(), 3) << "also when the value did not change";
  EXPECT_EQ(changed.count(), 0);
}

TEST_F(SliderTest, TheThumbsRightEdgeMeetsTheControlsRightEdgeAtMax) {
  slider->SetPosition(288);
  EXPECT_EQ(slider->ThumbOffset(), 300 - 12);
}

TEST_F(SliderTest, ThumbArithmeticHoldsForPositionsOfHoursOfFrames) {
  // Ten hours of frames: Position * 288 overflows 32 bits many times over.
  slider->SetMax(1'587'600'000);
  slider->SetPosition(1'587'600'000);
  EXPECT_EQ(slider->ThumbOffset(), 288);
  slider->SetPosition(793'800'000);
  EXPECT_EQ(slider->ThumbOffset(), 144);

  slider->SetMax(288'000'000);
  slider->SetPosition(0);
  Press(QPoint(5, 6));
  QTest::mouseMove(slider, QPoint(105, 6));
  EXPECT_EQ(slider->Position(), 100'000'000);
  Release(QPoint(105, 6));
}

TEST_F(SliderTest, TheRightButtonAndADisabledSliderDoNothing) {
  slider->SetPosition(100);
  QSignalSpy changed(slider, &TSlider::OnChanged);
  QTest::mouseClick(slider, Qt::RightButton, {}, QPoint(200, 6));
  slider->setEnabled(false);
  QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(200, 6));
  EXPECT_EQ(slider->Position(), 100);
  EXPECT_EQ(changed.count(), 0);
}

TEST_F(SliderTest, DrawsTheTrackAndTheThumbOfItsStateAtTheThumbOffset) {
  slider->SetBackBmp(Solid(300, 12, qRgb(0, 0, 0)));
  slider->SetBaseBmp(Solid(300, 12, qRgb(0, 0, 100)));
  slider->SetThumbBmp(KnobLook::Normal, Solid(12, 12, qRgb(200, 0, 0)));
  slider->SetThumbBmp(KnobLook::Focused, Solid(12, 12, qRgb(0, 0, 200)));
  slider->SetThumbBmp(KnobLook::Disabled, Solid(12, 12, qRgb(0, 200, 0)));
  slider->SetPosition(144);
  slider->clearFocus();  // the window gave it the focus when it was shown
  QImage shown = Rendered(*slider);
  EXPECT_EQ(shown.pixel(143, 6), qRgb(0, 0, 99));
  EXPECT_EQ(shown.pixel(144, 6), qRgb(199, 0, 0));
  EXPECT_EQ(shown.pixel(155, 6), qRgb(199, 0, 0));
  EXPECT_EQ(shown.pixel(156, 6), qRgb(0, 0, 99));
  slider->setFocus();
  EXPECT_EQ(Rendered(*slider).pixel(150, 6), qRgb(0, 0, 199));
  slider->setEnabled(false);
  EXPECT_EQ(Rendered(*slider).pixel(150, 6), qRgb(0, 199, 0));
}

}  // namespace
