// The skinned controls' accessible interfaces on their own, without the
// window: what a control reads as when its owner told nothing, what the
// owner's texts change, and that a screen reader's press or value takes the
// path of the user's click or key.
#include <QAccessible>
#include <QSignalSpy>

#include <array>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "controls/accessiblefactory.h"
#include "controls/accessibletexts.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "controls/tlevelmeter.h"
#include "controls/tslider.h"
#include "controls/tvolume.h"

namespace {

using namespace tp;

QAccessibleInterface* Of(QObject* control) { return QAccessible::queryAccessibleInterface(control); }

// Installed before any control exists, as the window does: a control's
// first change notice already makes (and keeps) its interface.
class AccessibleControls : public ::testing::Test {
 protected:
  AccessibleControls() { InstallAccessibleControls(); }
};

TEST_F(AccessibleControls, AButtonReadsItsCaptionAndIsAToggleOnlyWhenItsOwnerSaysSo) {
  TBPBtn button;
  button.SetCaption(QStringLiteral("INIT"));
  QSignalSpy clicks(&button, &TBPBtn::OnClick);
  QAccessibleInterface* object = Of(&button);
  EXPECT_EQ(object->role(), QAccessible::Button);
  EXPECT_EQ(object->text(QAccessible::Name), "INIT");
  EXPECT_FALSE(object->state().checkable);
  EXPECT_EQ(object->actionInterface()->actionNames().first(), QAccessibleActionInterface::pressAction());
  button.SetDown(true);
  EXPECT_TRUE(object->state().pressed) << "held down by its owner, as a running export holds its button";

  button.SetDown(false);
  AccessibleTexts::Of(button).checkable = true;
  // A check box: Qt 6.4's AT-SPI bridge gives a checkable button no
  // checked state, and a screen reader would not say it.
  EXPECT_EQ(object->role(), QAccessible::CheckBox);
  EXPECT_TRUE(object->state().checkable);
  EXPECT_FALSE(object->state().checked);
  object->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  EXPECT_EQ(clicks.count(), 1) << "a press through the interface is a click";
  EXPECT_TRUE(object->state().checked);

  button.setEnabled(false);
  object->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  EXPECT_EQ(clicks.count(), 1) << "a disabled button takes no press";
  EXPECT_TRUE(button.Down());
}

TEST_F(AccessibleControls, AMatrixIsATableOfCheckBoxesWhoseSelectionIsTheCellsThatAreDown) {
  TBtnMtx matrix;
  matrix.SetRows(2);
  matrix.SetCols(3);
  matrix.SetBtnWidth(20);
  matrix.SetBtnHeight(10);
  matrix.SetCaptions(1, 2, QStringLiteral("Kick    "));  // names come blank-padded to 8
  QSignalSpy clicks(&matrix, &TBtnMtx::OnClick);
  QAccessibleInterface* table = Of(&matrix);
  ASSERT_NE(table->tableInterface(), nullptr);
  EXPECT_EQ(table->role(), QAccessible::Table);
  EXPECT_EQ(table->childCount(), 6);
  EXPECT_EQ(table->tableInterface()->rowCount(), 2);
  EXPECT_EQ(table->tableInterface()->columnCount(), 3);

  QAccessibleInterface* kick = table->tableInterface()->cellAt(1, 2);
  EXPECT_EQ(kick->role(), QAccessible::CheckBox);
  EXPECT_EQ(kick->text(QAccessible::Name), "Kick") << "the caption, without the padding";
  EXPECT_TRUE(kick->state().checkable);
  EXPECT_EQ(kick->rect(), QRect(matrix.mapToGlobal(QPoint(40, 10)), QSize(20, 10)));
  EXPECT_EQ(table->childAt(kick->rect().center().x(), kick->rect().center().y()), kick);
  EXPECT_EQ(table->indexOfChild(kick), 5);

  matrix.SetDown(0, 1, true);
  EXPECT_EQ(table->tableInterface()->selectedCells(),
            QList<QAccessibleInterface*>{table->tableInterface()->cellAt(0, 1)});
  kick->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_TRUE(matrix.GetDown(1, 2));
  EXPECT_TRUE(kick->state().checked);
  EXPECT_EQ(matrix.FocusRow(), 1) << "the keyboard's frame follows the press";
  EXPECT_EQ(table->tableInterface()->selectedCellCount(), 2);

  AccessibleTexts::Of(matrix).cellName = [](int row, int column) {
    return QStringLiteral("row %1 column %2").arg(row).arg(column);
  };
  EXPECT_EQ(kick->text(QAccessible::Name), "row 1 column 2");
}

TEST_F(AccessibleControls, SettingAKnobOrTheSliderThroughTheInterfaceIsTheUsersInputWithinItsRange) {
  TVolume knob;
  knob.SetMax(127);
  QSignalSpy turned(&knob, &TVolume::OnChange);
  QAccessibleInterface* dial = Of(&knob);
  EXPECT_EQ(dial->role(), QAccessible::Dial);
  QAccessibleValueInterface* value = dial->valueInterface();
  ASSERT_NE(value, nullptr);
  const struct {
    int asked, kept;
  } cases[] = {{64, 64}, {200, 127}, {-5, 0}};
  for (const auto& c : cases) {
    value->setCurrentValue(c.asked);
    EXPECT_EQ(knob.Position(), c.kept) << c.asked;
    ASSERT_FALSE(turned.isEmpty());
    EXPECT_EQ(turned.takeLast().at(1).toInt(), c.kept) << "the owner hears it as from the keys";
    EXPECT_EQ(dial->text(QAccessible::Value), QString::number(c.kept));
  }
  AccessibleTexts::Of(knob).valueText = [](int position) { return QStringLiteral("at %1").arg(position); };
  EXPECT_EQ(dial->text(QAccessible::Value), "at 0");
  EXPECT_EQ(dial->text(QAccessible::Description), "at 0") << "the words where a screen reader reads them";
  knob.setEnabled(false);
  value->setCurrentValue(10);
  EXPECT_EQ(knob.Position(), 0) << "a disabled knob takes no value";

  TSlider slider;
  slider.SetMax(1000);
  QSignalSpy moved(&slider, &TSlider::OnChanged);
  QAccessibleInterface* object = Of(&slider);
  EXPECT_EQ(object->role(), QAccessible::Slider);
  object->valueInterface()->setCurrentValue(250);
  EXPECT_EQ(slider.Position(), 250);
  ASSERT_EQ(moved.count(), 1) << "a completed move: the audition seeks";
  EXPECT_EQ(object->valueInterface()->maximumValue().toInt(), 1000);
}

TEST_F(AccessibleControls, AMeterIsAProgressBarThatReadsItsLevelInWholeDecibels) {
  constexpr double Silence = -std::numeric_limits<double>::infinity();
  const struct {
    int channels;
    std::array<double, 2> peaks;
    const char* text;
    double value;
  } cases[] = {
      {1, {-12.4, Silence}, "-12 dBFS", -12.4},
      {1, {Silence, Silence}, "below -60 dBFS", -60.0},
      {1, {-0.4, Silence}, "0 dBFS", -0.4},
      {2, {-3.0, -20.6}, "left -3 dBFS, right -21 dBFS", -3.0},
      {2, {-75.0, -9.5}, "left below -60 dBFS, right -10 dBFS", -9.5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TLevelMeter meter(c.channels);
    meter.Feed(c.peaks, 0.033);
    QAccessibleInterface* object = Of(&meter);
    EXPECT_EQ(object->role(), QAccessible::ProgressBar);
    EXPECT_EQ(object->text(QAccessible::Value), c.text);
    ASSERT_NE(object->valueInterface(), nullptr);
    EXPECT_DOUBLE_EQ(object->valueInterface()->currentValue().toDouble(), c.value);
    EXPECT_EQ(object->valueInterface()->minimumValue().toDouble(), -60.0);
    EXPECT_EQ(object->valueInterface()->maximumValue().toDouble(), 0.0);
  }
}

}  // namespace
