// The window as a screen reader sees it, through Qt's accessibility API over
// the real window offscreen: every control a user can operate has a name and
// a real role, the skinned controls have the roles, names and values of the
// Qt widgets they stand in for, and setting a value or pressing through the
// interface is what the user's input does. Offscreen, Qt's accessibility is
// never active and passes no change on; the announcements are heard over
// the real AT-SPI bus (atspi_tree.py).
#include <QAccessible>
#include <QLabel>
#include <QTabWidget>
#include <QTest>

#include <filesystem>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "app/tmainwin.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "controls/tlevelmeter.h"
#include "controls/tslider.h"
#include "controls/tvolume.h"
#include "support/projectfixture.h"
#include "support/referencemix.h"
#include "windowfixture.h"

namespace tp {
namespace {

namespace fs = std::filesystem;
using test::Click;
using test::RunUntilIdle;

QAccessibleInterface* Of(QObject* object) { return QAccessible::queryAccessibleInterface(object); }
QAccessibleInterface* Cell(TBtnMtx* matrix, int row, int column) {
  return Of(matrix)->tableInterface()->cellAt(row, column);
}

class Accessibility : public test::WindowTest {
 protected:
  Accessibility() {
    fs::create_directories(project);
    test::WriteProjectInfo(project, "ACCESS");
    // 2.5 s, shown as 0:00:02; a sine of crest 16384, -6.02 dBFS.
    test::WriteTake(project / "TRACK0_0.DAT", "Kick", test::Sine(110250, 16384, 64));
    test::WriteTake(project / "TRACK2_1.DAT", "Bass", test::Sine(44100, 8000, 100));
    test::WriteTake(project / MasterTakeFileName(MasterSide::Left, 0), "Final", test::Sine(44100, 8000, 100));
    test::WriteTake(project / MasterTakeFileName(MasterSide::Right, 0), "Final", test::Sine(44100, 8000, 100));
    window = MakeWindow(true);
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    Open(project);
  }

  const fs::path project = scratch / "access";
};

// What a user can operate: what takes the focus or offers an action besides
// taking the focus. A widget that hands its focus on (the tab widget to its
// tab bar) is not itself what the user operates.
bool Operable(QAccessibleInterface* object) {
  const QAccessible::State state = object->state();
  if (state.invisible || state.disabled) return false;
  if (object->object() && object->object()->isWidgetType() &&
      static_cast<QWidget*>(object->object())->focusProxy())
    return false;
  if (state.focusable) return true;
  if (QAccessibleActionInterface* actions = object->actionInterface()) {
    QStringList names = actions->actionNames();
    names.removeAll(QAccessibleActionInterface::setFocusAction());
    return !names.isEmpty();
  }
  return false;
}

// Every operable object below `object` without a name or with a role that
// says nothing (Client is what AT-SPI calls a filler), described by its
// path; `operable` counts the operable ones.
void FindNameless(QAccessibleInterface* object, const QString& path, QStringList& nameless, int& operable) {
  for (int i = 0; i < object->childCount(); ++i) {
    QAccessibleInterface* child = object->child(i);
    if (!child) continue;
    const QString name = child->text(QAccessible::Name);
    const QString here = path + QStringLiteral("/%1[%2]").arg(name).arg(int(child->role()), 0, 16);
    if (Operable(child)) {
      ++operable;
      const bool vague = child->role() == QAccessible::Client || child->role() == QAccessible::NoRole;
      if (name.trimmed().isEmpty() || vague) nameless << here;
    }
    FindNameless(child, here, nameless, operable);
  }
}

TEST_F(Accessibility, EveryOperableControlOnEveryPageHasANameAndARole) {
  for (int page = 0; page < window->PageControl->count(); ++page) {
    window->PageControl->setCurrentIndex(page);
    RunUntilIdle();
    QStringList nameless;
    int operable = 0;
    FindNameless(Of(window.get()), QString(), nameless, operable);
    EXPECT_TRUE(nameless.isEmpty()) << "page " << page << ": " << nameless.join(QStringLiteral("\n")).toStdString();
    // The grid's 160 cells, the track keys, the transport, and the page's own.
    EXPECT_GT(operable, 180) << "page " << page;
  }
}

TEST_F(Accessibility, SkinnedControlsHaveTheRolesNamesAndValuesOfWhatTheyStandIn) {
  TMainWin& w = *window;
  struct Expected {
    const char* control;
    std::function<QAccessibleInterface*()> find;
    QAccessible::Role role;
    QString name, value;
    bool checkable;
  };
  // The slider's value in words: where it is, of how long the longest
  // chosen take is, in minutes and seconds.
  const int longest = w.Slider->Max() / 44100;
  const QString sliderWords = QStringLiteral("0:00 of %1:%2").arg(longest / 60).arg(longest % 60, 2, 10, QLatin1Char('0'));
  const Expected table[] = {
      {"grid", [&] { return Of(w.TakeSel); }, QAccessible::Table, "Takes", "", false},
      {"take cell", [&] { return Cell(w.TakeSel, 0, 0); }, QAccessible::CheckBox, "Track 1, take 1: Kick, 0:00:02", "",
       true},
      {"empty cell", [&] { return Cell(w.TakeSel, 0, 1); }, QAccessible::CheckBox, "Track 1, take 2: empty", "", true},
      {"cell of track 3", [&] { return Cell(w.TakeSel, 2, 1); }, QAccessible::CheckBox,
       "Track 3, take 2: Bass, 0:00:01", "", true},
      {"master cell", [&] { return Cell(w.MasTakeSel, 0, 0); }, QAccessible::CheckBox, "Master take 1: Final, 0:00:01",
       "", true},
      {"empty master cell", [&] { return Cell(w.MasTakeSel, 0, 9); }, QAccessible::CheckBox, "Master take 10: empty",
       "", true},
      {"track key", [&] { return Cell(w.TrackSel, 4, 0); }, QAccessible::CheckBox, "Import to track 5", "", true},
      {"master key", [&] { return Of(w.MasterSel); }, QAccessible::CheckBox, "Master mode", "", true},
      {"import", [&] { return Of(w.ImpBtn); }, QAccessible::Button, "Import", "", false},
      {"play", [&] { return Of(w.AudBtn); }, QAccessible::CheckBox, "Play", "", true},
      {"export", [&] { return Of(w.ExpBtn); }, QAccessible::Button, "Export", "", false},
      {"slider", [&] { return Of(w.Slider); }, QAccessible::Slider, "Position", sliderWords, false},
      {"volume", [&] { return Of(w.Volumes[0]); }, QAccessible::Dial, "Track 1 volume", "100", false},
      {"pan", [&] { return Of(w.Pans[15]); }, QAccessible::Dial, "Track 16 pan", "centre", false},
      {"mute", [&] { return Of(w.MuteBtns[0]); }, QAccessible::CheckBox, "Mute track 1", "", true},
      {"solo", [&] { return Of(w.SoloBtns[15]); }, QAccessible::CheckBox, "Solo track 16", "", true},
      {"init", [&] { return Of(w.InitBtn); }, QAccessible::Button, "Reset mixer", "", false},
      {"track meter", [&] { return Of(w.TrackMeters[0]); }, QAccessible::ProgressBar, "Track 1 level",
       "below -60 dBFS", false},
      {"mix meter", [&] { return Of(w.MasterMeter); }, QAccessible::ProgressBar, "Mix level",
       "left below -60 dBFS, right below -60 dBFS", false},
      {"clip light", [&] { return Of(w.ClipLight); }, QAccessible::CheckBox, "Clip light", "", true},
  };
  for (const Expected& expected : table) {
    SCOPED_TRACE(expected.control);
    QAccessibleInterface* object = expected.find();
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->role(), expected.role);
    EXPECT_EQ(object->text(QAccessible::Name), expected.name);
    EXPECT_EQ(object->text(QAccessible::Value), expected.value);
    EXPECT_EQ(object->state().checkable, expected.checkable);
  }

  EXPECT_EQ(Of(&w)->role(), QAccessible::Window);
  EXPECT_EQ(Of(&w)->text(QAccessible::Name), w.windowTitle());
  EXPECT_EQ(Of(w.StatusBar)->role(), QAccessible::StatusBar);
  EXPECT_EQ(Of(w.DirTree)->role(), QAccessible::Tree);
  EXPECT_EQ(Of(w.DirTree)->text(QAccessible::Name), "Song folders");

  QAccessibleTableInterface* grid = Of(w.TakeSel)->tableInterface();
  EXPECT_EQ(grid->rowCount(), 16);
  EXPECT_EQ(grid->columnCount(), 10);
  EXPECT_EQ(grid->rowDescription(2), "Track 3");
  EXPECT_EQ(grid->columnDescription(1), "Take 2");
  EXPECT_EQ(Cell(w.TakeSel, 2, 1)->tableCellInterface()->rowIndex(), 2);
  EXPECT_EQ(Of(w.TakeSel)->indexOfChild(Cell(w.TakeSel, 2, 1)), 21);
  EXPECT_EQ(Of(w.TakeSel)->child(21), Cell(w.TakeSel, 2, 1)) << "a cell keeps its interface";
  EXPECT_EQ(Cell(w.TakeSel, 2, 1)->parent(), Of(w.TakeSel));
  EXPECT_EQ(Of(w.ClipLight)->text(QAccessible::Description), "The mix has not clipped");
  // Qt 6.4 gives a screen reader no value text: the words travel in the
  // description too, and follow the value.
  EXPECT_EQ(Of(w.Slider)->text(QAccessible::Description), sliderWords);
  EXPECT_EQ(Of(w.Pans[15])->text(QAccessible::Description), "centre");
  Of(w.Pans[15])->valueInterface()->setCurrentValue(30);
  EXPECT_EQ(Of(w.Pans[15])->text(QAccessible::Description), "L40");
  Of(w.Pans[15])->valueInterface()->setCurrentValue(60);
  EXPECT_EQ(Of(w.Pans[15])->text(QAccessible::Description), "R20");
  EXPECT_EQ(Of(w.MasTakeSel)->text(QAccessible::Description), "The song's ten stereo master takes; choose one");
}

TEST_F(Accessibility, PressingACellThroughTheInterfaceChoosesTheTakeAsAClickDoes) {
  QAccessibleInterface* kick = Cell(window->TakeSel, 0, 0);
  EXPECT_FALSE(kick->state().checked);
  EXPECT_EQ(Of(window->TakeSel)->tableInterface()->selectedCellCount(), 0);
  kick->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  RunUntilIdle();
  EXPECT_TRUE(window->Model().TakeSel[0][0].down);
  EXPECT_TRUE(kick->state().checked);
  EXPECT_EQ(Of(window->TakeSel)->tableInterface()->selectedCells(), QList<QAccessibleInterface*>{kick});
  EXPECT_TRUE(window->AudBtn->isEnabled()) << "a chosen take can be played";

  // The arrow keys move the keyboard's cell, which the grid reports as its focus.
  window->TakeSel->setFocus(Qt::TabFocusReason);
  RunUntilIdle();
  QTest::keyClick(window->TakeSel, Qt::Key_Down);
  EXPECT_EQ(Of(window->TakeSel)->focusChild(), Cell(window->TakeSel, 1, 0));
  EXPECT_TRUE(Cell(window->TakeSel, 1, 0)->state().focused);

  QAccessibleInterface* play = Of(window->AudBtn);
  EXPECT_EQ(play->actionInterface()->actionNames().first(), QAccessibleActionInterface::toggleAction());
  play->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  RunUntilIdle();
  EXPECT_TRUE(window->Playing);
  EXPECT_TRUE(play->state().checked);
  play->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  while (window->Playing) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

TEST_F(Accessibility, SettingAKnobThroughTheInterfaceChangesTheMixerAndItsLabel) {
  window->PageControl->setCurrentWidget(window->MixerPanel);
  RunUntilIdle();
  const MixerSettings& settings = window->Audition().Settings();
  struct Case {
    TVolume* knob;
    QLabel* label;
    int value;
    const char* text;
    std::function<int()> setting;
  };
  const Case cases[] = {
      {window->Volumes[2], window->VolVals[2], 64, "64", [&] { return settings.volume[2].load(); }},
      {window->Volumes[15], window->VolVals[15], 127, "127", [&] { return settings.volume[15].load(); }},
      {window->Pans[1], window->PanVals[1], 30, "L40", [&] { return settings.pan[1].load(); }},
      {window->Pans[4], window->PanVals[4], 100, "R100", [&] { return settings.pan[4].load(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    QAccessibleInterface* knob = Of(c.knob);
    knob->valueInterface()->setCurrentValue(c.value);
    EXPECT_EQ(c.setting(), c.value);
    EXPECT_EQ(c.label->text(), c.text);
    EXPECT_EQ(knob->text(QAccessible::Value), c.text);
    EXPECT_EQ(knob->valueInterface()->currentValue().toInt(), c.value);
  }
  // Beyond the end, as the keys, it stops at the end.
  Of(window->Volumes[2])->valueInterface()->setCurrentValue(500);
  EXPECT_EQ(settings.volume[2].load(), 127);
  EXPECT_EQ(Of(window->Volumes[2])->valueInterface()->maximumValue().toInt(), 127);

  // Mute through its toggle; INIT puts the mixer back, and says so.
  Of(window->MuteBtns[3])->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  EXPECT_TRUE(settings.mute[3].load());
  EXPECT_TRUE(Of(window->MuteBtns[3])->state().checked);
  Of(window->InitBtn)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_FALSE(settings.mute[3].load());
  EXPECT_EQ(settings.volume[2].load(), DefaultVolume);
}

TEST_F(Accessibility, TheSliderSaysTheTimeAndTheMetersTheLevelInDecibels) {
  Click(window->TakeSel, 0, 0);
  QAccessibleInterface* slider = Of(window->Slider);
  slider->valueInterface()->setCurrentValue(44100);
  EXPECT_EQ(slider->text(QAccessible::Value), "0:01 of 0:02");
  EXPECT_EQ(window->StatusPanels[1]->text(), "0:00:01 / 0:00:02");
  slider->valueInterface()->setCurrentValue(0);

  // The kick's sine peaks at 16384: -6.02 dBFS, after unity volume and a
  // centred pan in the track and on both sides of the mix.
  Click(window->AudBtn);
  ASSERT_TRUE(sound->PlayNextHalf());
  ASSERT_TRUE(sound->WaitForHalvesWritten(sound->HalvesPlayed()));
  RunUntilIdle();
  window->RefreshMeters();
  EXPECT_EQ(Of(window->TrackMeters[0])->text(QAccessible::Value), "-6 dBFS");
  EXPECT_NEAR(Of(window->TrackMeters[0])->valueInterface()->currentValue().toDouble(), -6.02, 0.5);
  EXPECT_EQ(Of(window->MasterMeter)->text(QAccessible::Value), "left -6 dBFS, right -6 dBFS");
  EXPECT_EQ(Of(window->TrackMeters[1])->text(QAccessible::Value), "below -60 dBFS");
  Click(window->AudBtn);
  while (window->Playing) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

}  // namespace
}  // namespace tp
