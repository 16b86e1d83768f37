// TBPBtn: the click rule of a single button, its state bitmaps and where its
// background comes from.
#include "controls/tbpbtn.h"

#include "hostwindow.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using tp::TBPBtn;
using tp::ButtonLook;

constexpr QRgb kBtn = qRgb(200, 0, 0), kPointBtn = qRgb(0, 200, 0), kDownBtn = qRgb(0, 0, 200),
               kDPointBtn = qRgb(200, 200, 0), kPressBtn = qRgb(200, 0, 200);

// What the alpha drawing makes of an opaque colour: 200 becomes 199.
QRgb Drawn(QRgb colour) { return qRgb(qRed(colour) * 255 / 256, qGreen(colour) * 255 / 256, qBlue(colour) * 255 / 256); }

// A 56 x 20 button at (10, 10) with a solid colour per state.
class ButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QCursor::setPos(0, 0);
    button = new TBPBtn(host.parent());
    button->setGeometry(10, 10, 56, 20);
    button->SetStateBmp(ButtonLook::Normal, Solid(56, 20, kBtn));
    button->SetStateBmp(ButtonLook::Pointed, Solid(56, 20, kPointBtn));
    button->SetStateBmp(ButtonLook::Down, Solid(56, 20, kDownBtn));
    button->SetStateBmp(ButtonLook::DownPointed, Solid(56, 20, kDPointBtn));
    button->SetStateBmp(ButtonLook::Pressed, Solid(56, 20, kPressBtn));
    ASSERT_TRUE(host.Show());
  }

  void TearDown() override {
    if (held) QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(300, 300));
  }

  QRgb Look() { return Rendered(*button).pixel(2, 2); }

  HostWindow host;
  TBPBtn* button = nullptr;
  bool held = false;
};

TEST_F(ButtonTest, EachClickTogglesDownAndFiresOnce) {
  QSignalSpy clicks(button, &TBPBtn::OnClick);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(button->Down());
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(clicks[0][0].value<TBPBtn*>(), button);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(55, 19));
  EXPECT_FALSE(button->Down());
  EXPECT_EQ(clicks.count(), 2);
}

TEST_F(ButtonTest, DraggingOutAndReleasingOutsideLeavesDownAsItWas) {
  QSignalSpy clicks(button, &TBPBtn::OnClick);
  QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
  held = true;
  EXPECT_EQ(Look(), Drawn(kPressBtn));
  QTest::mouseMove(button, QPoint(56, 5));
  EXPECT_EQ(Look(), Drawn(kBtn)) << "x = Width is outside";
  QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(56, 5));
  held = false;
  EXPECT_FALSE(button->Down());
  EXPECT_EQ(clicks.count(), 0);
}

TEST_F(ButtonTest, TabReachesItAndEnterPressesItAsAClickDoes) {
  EXPECT_EQ(button->focusPolicy(), Qt::TabFocus) << "a click leaves the focus where it was";
  button->setFocus(Qt::TabFocusReason);
  QSignalSpy clicks(button, &TBPBtn::OnClick);
  QTest::keyClick(button, Qt::Key_Return);
  EXPECT_TRUE(button->Down());
  QTest::keyClick(button, Qt::Key_Enter);
  EXPECT_FALSE(button->Down());
  QTest::keyClick(button, Qt::Key_A);
  EXPECT_EQ(clicks.count(), 2);
  button->setEnabled(false);
  QTest::keyClick(button, Qt::Key_Return);
  EXPECT_EQ(clicks.count(), 2);
}

TEST_F(ButtonTest, TheRightButtonDoesNothing) {
  QSignalSpy clicks(button, &TBPBtn::OnClick);
  QTest::mouseClick(button, Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_FALSE(button->Down());
  EXPECT_EQ(clicks.count(), 0);
}

TEST_F(ButtonTest, ShowsTheStateBitmapOfPointerAndDown) {
  EXPECT_EQ(Look(), Drawn(kBtn));
  QSignalSpy enters(button, &TBPBtn::OnEnter), leaves(button, &TBPBtn::OnLeave);
  QTest::mouseMove(button, QPoint(5, 5));
  EXPECT_EQ(enters.count(), 1);
  EXPECT_EQ(Look(), Drawn(kPointBtn));
  button->SetDown(true);
  EXPECT_EQ(Look(), Drawn(kDPointBtn));
  QTest::mouseMove(host.parent(), QPoint(500, 400));
  EXPECT_EQ(leaves.count(), 1);
  EXPECT_EQ(Look(), Drawn(kDownBtn));
}

// Disabled, it shows the bitmap of its state dimmed: (0, 0, 200) has luma 22,
// so each channel becomes (c + 22) / 2 * 3 / 5.
TEST_F(ButtonTest, ADisabledButtonShowsItsStateDimmedAndIgnoresPresses) {
  button->SetDown(true);
  button->setEnabled(false);
  QSignalSpy clicks(button, &TBPBtn::OnClick);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(button->Down());
  EXPECT_EQ(clicks.count(), 0);
  EXPECT_EQ(Look(), Drawn(qRgb(6, 6, 66)));
  button->setEnabled(true);
  EXPECT_EQ(Look(), Drawn(kDownBtn));
}

TEST_F(ButtonTest, AnOnGetParentBGHandlerReplacesBackBmp) {
  button->SetStateBmp(ButtonLook::Normal, QImage());
  button->SetBackBmp(Solid(56, 20, qRgb(1, 2, 3)));
  EXPECT_EQ(Look(), qRgb(1, 2, 3));
  button->OnGetParentBG = [](TBPBtn*, QImage& background) { background.fill(QColor(40, 50, 60)); };
  button->update();
  EXPECT_EQ(Look(), qRgb(40, 50, 60));
}

TEST_F(ButtonTest, TheCaptionIsCentredInCharColor) {
  button->SetStateBmp(ButtonLook::Normal, Solid(56, 20, qRgb(0, 0, 0)));
  button->SetCharColor(Qt::white);
  button->SetCaption(QStringLiteral("M"));
  const QImage shown = Rendered(*button);
  int left = 56, right = -1;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 56; ++x)
      if (qRed(shown.pixel(x, y)) > 128) {
        left = std::min(left, x);
        right = std::max(right, x);
      }
  ASSERT_GE(right, 0) << "no caption drawn";
  // One pixel right of the exact centre, give or take the glyph's bearings.
  EXPECT_NEAR((left + right) / 2.0, 28.0, 2.0);
}

}  // namespace
