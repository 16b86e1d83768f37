// TVolume: turning by dragging and by keys, OnChange only for the user's
// input, the pictures for hover, focus and disabled, and the pointer line.
#include "controls/tvolume.h"

#include "hostwindow.h"

#include <QApplication>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

using tp::KnobLook;
using tp::TVolume;

// A 64 x 64 knob (centre 32, 32) with Max 100 in a shown, active window.
class KnobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QCursor::setPos(0, 0);
    knob = new TVolume(host.parent());
    knob->move(10, 10);
    ASSERT_TRUE(host.Show());
  }

  void TearDown() override {
    if (held) QTest::mouseRelease(knob, Qt::LeftButton, {}, QPoint(32, 32));
  }

  // Presses the centre and moves the pointer to `to`, holding the button.
  void DragTo(QPoint to) {
    QTest::mousePress(knob, Qt::LeftButton, {}, QPoint(32, 32));
    held = true;
    QTest::mouseMove(knob, to);
  }

  HostWindow host;
  TVolume* knob = nullptr;
  bool held = false;
};

TEST_F(KnobTest, DraggingStraightUpGivesTheMiddle) {
  QSignalSpy changes(knob, &TVolume::OnChange);
  DragTo(QPoint(32, 5));
  EXPECT_EQ(knob->Position(), 50);
  ASSERT_EQ(changes.count(), 1);
  EXPECT_EQ(changes[0][0].value<TVolume*>(), knob);
  EXPECT_EQ(changes[0][1].toInt(), 50);
}

TEST_F(KnobTest, WithMax127StraightLeftGives21AndStraightRight106) {
  knob->SetMax(127);
  DragTo(QPoint(2, 32));
  EXPECT_EQ(knob->Position(), 21);
  QTest::mouseMove(knob, QPoint(60, 32));
  EXPECT_EQ(knob->Position(), 106);
}

TEST_F(KnobTest, ThePressAloneTurnsNothingAndTheReleaseFiresNothing) {
  knob->SetPosition(70);
  QSignalSpy changes(knob, &TVolume::OnChange);
  QTest::mousePress(knob, Qt::LeftButton, {}, QPoint(32, 5));
  held = true;
  EXPECT_EQ(knob->Position(), 70);
  QTest::mouseRelease(knob, Qt::LeftButton, {}, QPoint(32, 5));
  held = false;
  EXPECT_EQ(changes.count(), 0);
  EXPECT_TRUE(knob->hasFocus()) << "a press takes the focus";
}

TEST_F(KnobTest, EveryMoveOfADragReportsEvenWithoutAChange) {
  QSignalSpy changes(knob, &TVolume::OnChange);
  DragTo(QPoint(32, 5));
  QTest::mouseMove(knob, QPoint(32, 2));
  EXPECT_EQ(changes.count(), 2);
  EXPECT_EQ(knob->Position(), 50);
}

TEST_F(KnobTest, ThePointerOnTheCentreDuringADragChangesNothing) {
  knob->SetPosition(30);
  QSignalSpy changes(knob, &TVolume::OnChange);
  DragTo(QPoint(32, 32));
  EXPECT_EQ(changes.count(), 0);
  EXPECT_EQ(knob->Position(), 30);
}

TEST_F(KnobTest, TheDeadSectorNeverJumpsFromOneEndToTheOther) {
  knob->SetPosition(100);
  DragTo(QPoint(28, 60));  // below the centre, left half
  EXPECT_EQ(knob->Position(), 100);
  QTest::mouseMove(knob, QPoint(36, 60));  // right half
  EXPECT_EQ(knob->Position(), 100);
  QTest::mouseMove(knob, QPoint(32, 5));
  QTest::mouseMove(knob, QPoint(28, 60));
  EXPECT_EQ(knob->Position(), 0) << "from the middle the left half snaps to 0";
}

TEST_F(KnobTest, TheRightButtonDoesNotStartADrag) {
  QSignalSpy changes(knob, &TVolume::OnChange);
  QTest::mousePress(knob, Qt::RightButton, {}, QPoint(32, 32));
  QTest::mouseMove(knob, QPoint(32, 5));
  QTest::mouseRelease(knob, Qt::RightButton, {}, QPoint(32, 5));
  EXPECT_EQ(changes.count(), 0);
  EXPECT_EQ(knob->Position(), 0);
}

TEST_F(KnobTest, PositionsSetFromCodeAreLimitedAndFireNothing) {
  QSignalSpy changes(knob, &TVolume::OnChange);
  knob->SetPosition(-5);
  EXPECT_EQ(knob->Position(), 0);
  knob->SetPosition(110);
  EXPECT_EQ(knob->Position(), 100);
  knob->SetMax(60);
  EXPECT_EQ(knob->Position(), 60) << "a lower Max pulls the position down";
  EXPECT_EQ(changes.count(), 0);
}

struct KeyCase {
  const char* what;
  Qt::Key key;
  int from;
  int expected;
};

// PageSize 10, TickSize 1, Max 100 (the mixer's volume and pan steps).
const KeyCase kKeyCases[] = {
    {"Left steps down", Qt::Key_Left, 50, 49},       {"Down steps down", Qt::Key_Down, 50, 49},
    {"Right steps up", Qt::Key_Right, 50, 51},       {"Up steps up", Qt::Key_Up, 50, 51},
    {"Page Up adds a page", Qt::Key_PageUp, 50, 60}, {"Page Down takes a page", Qt::Key_PageDown, 50, 40},
    {"Left at 0 stays at 0", Qt::Key_Left, 0, 0},    {"Page Up near Max stops at Max", Qt::Key_PageUp, 95, 100},
};

class KnobKey : public KnobTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KnobKey, MovesByItsStepAndReportsEvenAtALimit) {
  const KeyCase& c = GetParam();
  knob->SetPosition(c.from);
  knob->setFocus();
  QSignalSpy changes(knob, &TVolume::OnChange);
  QTest::keyClick(knob, c.key);
  EXPECT_EQ(knob->Position(), c.expected) << c.what;
  ASSERT_EQ(changes.count(), 1) << c.what;
  EXPECT_EQ(changes[0][1].toInt(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, KnobKey, ::testing::ValuesIn(kKeyCases));

TEST_F(KnobTest, OtherKeysAreLeftForTheWindow) {
  knob->setFocus();
  QSignalSpy changes(knob, &TVolume::OnChange);
  QTest::keyClick(knob, Qt::Key_Home);
  QTest::keyClick(knob, Qt::Key_A);
  EXPECT_EQ(changes.count(), 0);
}

TEST_F(KnobTest, AnOnKeyDownHandlerThatZeroesTheKeyConsumesIt) {
  knob->SetPosition(50);
  knob->setFocus();
  int seen = 0;
  knob->OnKeyDown = [&seen](TVolume* sender, int& key, Qt::KeyboardModifiers) {
    seen = key;
    if (key == Qt::Key_Up) {
      key = 0;
      sender->SetPosition(100);
    }
  };
  QSignalSpy changes(knob, &TVolume::OnChange);
  QTest::keyClick(knob, Qt::Key_Up);
  EXPECT_EQ(seen, int(Qt::Key_Up));
  EXPECT_EQ(knob->Position(), 100);
  EXPECT_EQ(changes.count(), 0);
}

// Pictures of one colour each, over a black background.
class KnobPictureTest : public KnobTest {
 protected:
  void SetUp() override {
    KnobTest::SetUp();
    knob->SetBackBmp(Solid(64, 64, qRgb(0, 0, 0)));
    knob->SetStateBmp(KnobLook::Normal, Solid(64, 64, qRgb(100, 0, 0)));
    knob->SetStateBmp(KnobLook::Pointed, Solid(64, 64, qRgb(0, 100, 0)));
    knob->SetStateBmp(KnobLook::Focused, Solid(64, 64, qRgb(0, 0, 100)));
    knob->SetStateBmp(KnobLook::FocusedPointed, Solid(64, 64, qRgb(100, 100, 0)));
    knob->SetStateBmp(KnobLook::Disabled, Solid(64, 64, qRgb(50, 50, 50)));
    knob->clearFocus();  // the window gave it the focus when it was shown
  }
  // Red channel 99 of 100: the alpha drawing's divisor of 256.
  QRgb Picture() { return Rendered(*knob).pixel(5, 5); }
};

TEST_F(KnobPictureTest, ShowsThePictureOfItsHoverFocusAndEnabledState) {
  EXPECT_EQ(Picture(), qRgb(99, 0, 0));
  QTest::mouseMove(knob, QPoint(5, 5));
  EXPECT_EQ(Picture(), qRgb(0, 99, 0));
  knob->setFocus();
  EXPECT_EQ(Picture(), qRgb(99, 99, 0));
  QTest::mouseMove(host.parent(), QPoint(500, 400));
  EXPECT_EQ(Picture(), qRgb(0, 0, 99));
  knob->setEnabled(false);
  EXPECT_EQ(Picture(), qRgb(49, 49, 49));
}

TEST_F(KnobPictureTest, DrawsAWhitePointerLineFromTheCentreTowardThePosition) {
  knob->resize(17, 17);
  knob->SetBackBmp(Solid(17, 17, qRgb(0, 0, 0)));
  knob->SetStateBmp(KnobLook::Normal, QImage());
  knob->SetPosition(50);
  const QImage up = Rendered(*knob);
  for (int y = 0; y <= 8; ++y) EXPECT_EQ(up.pixel(8, y), qRgb(255, 255, 255)) << "y " << y;
  EXPECT_EQ(up.pixel(8, 12), qRgb(0, 0, 0));
  knob->SetPosition(0);
  const QImage start = Rendered(*knob);
  EXPECT_GE(qRed(start.pixel(4, 12)), 100) << "toward the lower left, smoothed";
  EXPECT_GE(qRed(start.pixel(2, 14)), 100) << "its end, smoothed";
  EXPECT_EQ(start.pixel(8, 2), qRgb(0, 0, 0));
}

// At an angle the line is smoothed: besides black and white it has the
// greys of pixels it only partly covers (a line drawn without smoothing
// has none).
TEST_F(KnobPictureTest, ThePointerLineIsSmoothedAtAnAngle) {
  knob->resize(17, 17);
  knob->SetBackBmp(Solid(17, 17, qRgb(0, 0, 0)));
  knob->SetStateBmp(KnobLook::Normal, QImage());
  for (int position : {13, 30, 70, 88}) {
    knob->SetPosition(position);
    const QImage image = Rendered(*knob);
    int partly = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const int red = qRed(image.pixel(x, y));
        partly += red > 20 && red < 235;
      }
    EXPECT_GE(partly, 3) << "position " << position;
  }
}

// The wheel as the window system delivers it: to the window, which hands
// it to the control under the pointer. `eighths` of a degree, 120 a notch.
void TurnWheel(QWidget& over, int eighths) {
  const QPointF inWindow = over.mapTo(over.window(), QPointF(over.width() / 2.0, over.height() / 2.0));
  QWheelEvent event(inWindow, over.mapToGlobal(QPointF(over.width() / 2.0, over.height() / 2.0)), QPoint(),
                    QPoint(0, eighths), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(over.window()->windowHandle(), &event);
}

TEST_F(KnobTest, TheWheelTurnsTheKnobUnderThePointerAStepANotchAndReports) {
  auto* other = new TVolume(host.parent());
  other->move(200, 10);
  other->show();
  other->setFocus();  // the wheel goes by the pointer, not the focus
  knob->SetPosition(50);
  other->SetPosition(50);
  QSignalSpy changes(knob, &TVolume::OnChange);
  TurnWheel(*knob, 120);
  EXPECT_EQ(knob->Position(), 51);
  TurnWheel(*knob, -240);
  EXPECT_EQ(knob->Position(), 49);
  TurnWheel(*knob, 60);  // half a notch of a touchpad: nothing yet
  EXPECT_EQ(knob->Position(), 49);
  TurnWheel(*knob, 60);
  EXPECT_EQ(knob->Position(), 50);
  EXPECT_EQ(changes.count(), 3);
  EXPECT_EQ(other->Position(), 50);
  knob->setEnabled(false);
  TurnWheel(*knob, 120);
  EXPECT_EQ(knob->Position(), 50) << "a disabled knob does not turn";
  QTest::mouseMove(host.parent(), QPoint(500, 400));
}

TEST_F(KnobTest, ADoubleClickPutsItBackToItsDefaultAndReports) {
  knob->SetMax(127);
  knob->SetDefaultPosition(100);
  knob->SetPosition(20);
  QSignalSpy changes(knob, &TVolume::OnChange);
  QTest::mouseDClick(knob, Qt::LeftButton, {}, QPoint(40, 20));
  // Qt's test double-click leaves the button down: let it go, as a hand does.
  QTest::mouseRelease(knob, Qt::LeftButton, {}, QPoint(40, 20));
  EXPECT_EQ(knob->Position(), 100);
  ASSERT_GE(changes.count(), 1);
  EXPECT_EQ(changes.last()[1].toInt(), 100);
  QTest::mouseMove(host.parent(), QPoint(500, 400));
}

}  // namespace
