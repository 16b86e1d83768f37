// The window from the keyboard: the focus frame over the matrices and Enter
// on it, Ctrl+I, Ctrl+E, F2, Delete, and the Tab order. Keys go to whatever
// has the focus, as a user's do.
#include <QApplication>
#include <QMessageBox>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <set>

#include <gtest/gtest.h>

#include "app/tmainwin.h"
#include "controls/skin.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "controls/tslider.h"
#include "project/programversion.h"
#include "support/projectfixture.h"
#include "windowfixture.h"

namespace tp {
namespace {

namespace fs = std::filesystem;
using test::Click;
using test::RunUntilIdle;

// Relative luminance and contrast ratio as the web's accessibility
// guidelines define them.
double Luminance(QRgb colour) {
  const auto linear = [](int value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(qRed(colour)) + 0.7152 * linear(qGreen(colour)) + 0.0722 * linear(qBlue(colour));
}

double Contrast(QRgb a, QRgb b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

const QRgb Amber = qRgb(0xff, 0xc4, 0x4c);

class Keyboard : public test::WindowTest {
 protected:
  Keyboard() {
    fs::create_directories(project);
    test::WriteProjectInfo(project, "KEYS");
    test::WriteTake(project / "TRACK0_0.DAT", "Kick", test::Ramp(100));
    test::WriteTake(project / "TRACK1_1.DAT", "Snare", test::Ramp(200));
    test::WriteTake(project / "TRACKL_0.DAT", "Mix", test::Ramp(100));
    test::WriteTake(project / "TRACKR_0.DAT", "Mix", test::Ramp(100));
    window = MakeWindow(true);
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    Open(project);
  }

  // A key as the user presses it: to the focused control.
  static void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    QTest::keyClick(focused, Qt::Key(key), modifiers);
    RunUntilIdle();
  }

  const fs::path project = scratch / "keys";
};

TEST_F(Keyboard, ArrowsMoveTheFocusFrameAndEnterTogglesTheCellAsAClickDoes) {
  const QImage unframed = window->TakeSel->grab().toImage();
  window->ProjName->setFocus(Qt::TabFocusReason);
  for (int i = 0; i < 5 && QApplication::focusWidget() != window->TakeSel; ++i) Press(Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), window->TakeSel);
  EXPECT_NE(window->TakeSel->grab().toImage(), unframed) << "tabbed to, the frame shows";
  Press(Qt::Key_Right);
  Press(Qt::Key_Down);
  EXPECT_EQ(window->TakeSel->FocusRow(), 1);
  EXPECT_EQ(window->TakeSel->FocusCol(), 1);
  Press(Qt::Key_Return);
  EXPECT_TRUE(window->Model().TakeSel[1][1].down);
  EXPECT_TRUE(window->Model().TakesSelected);
  EXPECT_EQ(window->Times[1]->text(), QStringLiteral("0:00:00:004"));
  Press(Qt::Key_Up);
  Press(Qt::Key_Left);
  Press(Qt::Key_Enter);
  EXPECT_TRUE(window->Model().TakeSel[0][0].down);
  Press(Qt::Key_Return);
  EXPECT_FALSE(window->Model().TakeSel[0][0].down) << "a second Enter raises it again";
  // The blank stays the audition key.
  Press(Qt::Key_Space);
  EXPECT_TRUE(window->Playing);
  Press(Qt::Key_Space);
  EXPECT_FALSE(window->Playing);
}

TEST_F(Keyboard, CtrlIAndCtrlEPressImportAndExportOnlyWhenTheyAreEnabled) {
  int opened = 0, saved = 0;
  dialogs->open = [&](TCOpenDialog&) { ++opened; return false; };
  dialogs->save = [&](SaveDialog&) { ++saved; return false; };
  window->TakeSel->setFocus();
  Press(Qt::Key_I, Qt::ControlModifier);
  Press(Qt::Key_E, Qt::ControlModifier);
  EXPECT_EQ(opened + saved, 0) << "nothing selected: both are disabled";
  Click(window->TrackSel, 0, 0);
  Click(window->TakeSel, 0, 0);
  Press(Qt::Key_I, Qt::ControlModifier);
  Press(Qt::Key_E, Qt::ControlModifier);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(saved, 1);
  EXPECT_FALSE(window->ImpBtn->Down());
  EXPECT_FALSE(window->ExpBtn->Down());
}

TEST_F(Keyboard, F2RenamesAndDeleteDeletesTheTakeTheKeyboardIsOn) {
  window->TakeSel->setFocus(Qt::TabFocusReason);
  window->TakeSel->SetFocusCell(1, 1);
  dialogs->entries.push_back(std::nullopt);
  Press(Qt::Key_F2);
  ASSERT_EQ(dialogs->asked.size(), 1u);
  EXPECT_EQ(dialogs->asked[0].prompt, QStringLiteral("enter new name for Track2-2"));
  dialogs->answers.push_back(false);
  Press(Qt::Key_Delete);
  ASSERT_EQ(dialogs->questions.size(), 1u);
  EXPECT_EQ(dialogs->questions[0].first, QStringLiteral("Take Deleting"));
  EXPECT_TRUE(fs::exists(project / "TRACK1_1.DAT")) << "No keeps it";
  dialogs->answers.push_back(true);
  Press(Qt::Key_Delete);
  EXPECT_FALSE(fs::exists(project / "TRACK1_1.DAT"));
  // On an empty cell neither key asks anything.
  Press(Qt::Key_F2);
  Press(Qt::Key_Delete);
  EXPECT_EQ(dialogs->asked.size(), 1u);
  EXPECT_EQ(dialogs->questions.size(), 2u);

  window->ProjName->setFocus(Qt::TabFocusReason);
  dialogs->entries.push_back(std::nullopt);
  Press(Qt::Key_F2);
  ASSERT_EQ(dialogs->asked.size(), 2u);
  EXPECT_EQ(dialogs->asked[1].prompt, QStringLiteral("Enter new name of the Project"));
}

// The real question box takes the focus while it is open; when it closes
// the amber frame is back on the cell at once, not at the next arrow key.
TEST_F(Keyboard, TheFrameComesBackWhenTheDeleteQuestionCloses) {
  window->ProjName->setFocus(Qt::TabFocusReason);
  for (int i = 0; i < 5 && QApplication::focusWidget() != window->TakeSel; ++i) Press(Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), window->TakeSel);
  Press(Qt::Key_Right);
  Press(Qt::Key_Down);
  const QImage framed = window->TakeSel->grab().toImage();
  dialogs->realQuestions = true;
  bool asked = false;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    asked = true;
    QTest::keyClick(box, Qt::Key_Escape);  // No
  });
  Press(Qt::Key_Delete);
  EXPECT_TRUE(asked);
  EXPECT_TRUE(fs::exists(project / "TRACK1_1.DAT"));
  // The desktop hands the window the focus back when the box goes; the
  // offscreen platform leaves that to the test.
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  RunUntilIdle();
  EXPECT_EQ(QApplication::focusWidget(), window->TakeSel);
  EXPECT_EQ(window->TakeSel->grab().toImage(), framed) << "the frame shows on the same cell";
}

TEST_F(Keyboard, TheMasterMatrixTakesTheSameKeys) {
  Click(window->MasterSel);
  window->MasTakeSel->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_Return);
  EXPECT_TRUE(window->Model().MasTakeSel[0].down);
  dialogs->entries.push_back(std::nullopt);
  Press(Qt::Key_F2);
  ASSERT_EQ(dialogs->asked.size(), 1u);
  EXPECT_EQ(dialogs->asked[0].prompt, QStringLiteral("enter new name for Master 1"));
}

TEST_F(Keyboard, TabReachesEveryControlOfTheFaceAndThePages) {
  Click(window->TrackSel, 0, 0);
  Click(window->TakeSel, 0, 0);  // IMPORT, EXPORT, Play and the slider come alive
  window->ProjName->setFocus(Qt::TabFocusReason);
  std::set<QWidget*> reached;
  for (int i = 0; i < 120 && !reached.count(QApplication::focusWidget()); ++i) {
    reached.insert(QApplication::focusWidget());
    Press(Qt::Key_Tab);
  }
  for (QWidget* control : std::initializer_list<QWidget*>{
           window->ProjName, window->TrackSel, window->TakeSel, window->MasterSel, window->ImpBtn, window->AudBtn,
           window->Slider, window->ExpBtn, window->PageControl->tabBar(), window->DirTree, window->SortBtn,
           window->RefBtn})
    EXPECT_TRUE(reached.count(control)) << control->metaObject()->className() << " " << control->objectName().toStdString();
}

// Going round with Tab, every stop looks different while it has the focus
// from how it looks once the focus has moved on: the user sees where it is.
TEST_F(Keyboard, EveryTabStopShowsThatItHasTheFocus) {
  Click(window->TrackSel, 0, 0);
  Click(window->TakeSel, 0, 0);  // every control of the face comes alive
  window->ProjName->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_Tab);
  Press(Qt::Key_Backtab);  // the window now knows the keyboard moves the focus
  ASSERT_EQ(QApplication::focusWidget(), window->ProjName);
  std::vector<QWidget*> stops;
  for (int i = 0; i < 120; ++i) {
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    if (!stops.empty() && focused == stops.front()) break;
    stops.push_back(focused);
    const QImage focusedLook = focused->grab().toImage();
    Press(Qt::Key_Tab);
    if (QApplication::focusWidget() == focused) continue;  // a control with stops inside
    EXPECT_NE(focused->grab().toImage(), focusedLook)
        << "no focus shows on " << focused->metaObject()->className() << " " << focused->objectName().toStdString();
  }
  EXPECT_GT(stops.size(), 10u);
}

// F6 goes round the window's three parts: the grid, the transport and the
// tabs of the right-hand panel; Shift+F6 the other way. From the tabs the
// mixer is two arrows and a Tab away.
TEST_F(Keyboard, F6MovesBetweenTheGridTheTransportAndThePanel) {
  Click(window->TrackSel, 0, 0);
  Click(window->TakeSel, 0, 0);
  window->TakeSel->setFocus(Qt::OtherFocusReason);
  RunUntilIdle();
  QWidget* const tabs = window->PageControl->tabBar();
  const std::vector<QWidget*> forwards = {window->ImpBtn, tabs, window->TakeSel, window->ImpBtn};
  for (QWidget* expected : forwards) {
    Press(Qt::Key_F6);
    EXPECT_EQ(QApplication::focusWidget(), expected) << expected->metaObject()->className();
  }
  const std::vector<QWidget*> backwards = {window->TakeSel, tabs, window->ImpBtn};
  for (QWidget* expected : backwards) {
    Press(Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), expected) << expected->metaObject()->className();
  }
  // From inside the panel (the folder tree) the next part is the grid.
  window->DirTree->setFocus(Qt::OtherFocusReason);
  Press(Qt::Key_F6);
  EXPECT_EQ(QApplication::focusWidget(), window->TakeSel);

  Press(Qt::Key_F6);
  Press(Qt::Key_F6);
  ASSERT_EQ(QApplication::focusWidget(), tabs);
  for (int i = 0; i < 2 && window->PageControl->currentWidget() != window->MixerPanel; ++i) Press(Qt::Key_Right);
  ASSERT_EQ(window->PageControl->currentWidget(), window->MixerPanel);
  Press(Qt::Key_Tab);
  EXPECT_TRUE(window->MixerPanel->isAncestorOf(QApplication::focusWidget()))
      << QApplication::focusWidget()->metaObject()->className();
}

TEST_F(Keyboard, CtrlQClosesTheWindow) {
  ASSERT_TRUE(window->isVisible());
  Press(Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(window->isVisible());
}

// The About box a user opens (F1, or a click on the name plate), read and
// closed with its own button.
QString AboutBoxText(const std::function<void()>& open) {
  QString text;
  bool shown = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    shown = true;
    text = box->windowTitle() + QLatin1Char('\n') + box->text();
    QTest::mouseClick(box->button(QMessageBox::Close), Qt::LeftButton);
  });
  open();
  RunUntilIdle();
  EXPECT_TRUE(shown);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  return text;
}

TEST_F(Keyboard, F1OrAClickOnTheNamePlateShowsTheVersionTheLicenceAndTheLibraries) {
  // The plate lies over the face's "TRACKPORTER", below the transport.
  EXPECT_EQ(window->AboutPlate->geometry(), Skin::NamePlate());
  EXPECT_TRUE(window->AboutPlate->isVisible());
  const QString byKey = AboutBoxText([] { Press(Qt::Key_F1); });
  const QString byClick = AboutBoxText([this] { QTest::mouseClick(window->AboutPlate, Qt::LeftButton); });
  EXPECT_EQ(byKey, byClick);
  for (const QString& part :
       {QStringLiteral("About TrackPorter"), QStringLiteral("TrackPorter for TKR-series"),
        QStringLiteral("Version ") + QString::fromLatin1(ProgramVersion), QStringLiteral("GPL-3.0-or-later"),
        QStringLiteral("Qt ") + QString::fromLatin1(qVersion()), QStringLiteral("PortAudio 19."),
        QStringLiteral("libsndfile 1."), QStringLiteral("libsoxr 0."), QStringLiteral("libzip 1."),
        QStringLiteral("nlohmann-json 3."), QStringLiteral("libebur128")})
    EXPECT_TRUE(byKey.contains(part)) << part.toStdString() << " in\n" << byKey.toStdString();
}

// The focus frame on a chosen (red) take and on the tabs stands out as it
// does on a dark empty cell: its amber against what lies just inside it
// has a contrast of at least 4.5 to 1.
TEST_F(Keyboard, TheFocusFrameStandsOutOnAChosenTakeAndOnTheTabs) {
  Click(window->TakeSel, 0, 0);  // Kick, chosen
  window->ProjName->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_Tab);
  Press(Qt::Key_Backtab);  // the window now knows the keyboard moves the focus
  for (int i = 0; i < 10 && QApplication::focusWidget() != window->TakeSel; ++i) Press(Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), window->TakeSel);
  const int middle = window->TakeSel->BtnWidth() / 2;
  const auto frameContrast = [&](int column) {
    const QImage cells = window->TakeSel->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int x = column * window->TakeSel->BtnWidth() + middle;
    EXPECT_EQ(cells.pixel(x, 1), Amber) << "column " << column;
    return Contrast(cells.pixel(x, 1), cells.pixel(x, 2));
  };
  EXPECT_GE(frameContrast(0), 4.5) << "on the chosen take";
  Press(Qt::Key_Right);
  EXPECT_GE(frameContrast(1), 4.5) << "on an empty cell";

  for (int i = 0; i < 40 && QApplication::focusWidget() != window->PageControl->tabBar(); ++i) Press(Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), window->PageControl->tabBar());
  const QImage tabs = window->PageControl->tabBar()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  int amber = 0, top = -1;
  for (int y = 0; y < tabs.height(); ++y)
    for (int x = 0; x < tabs.width(); ++x)
      if (tabs.pixel(x, y) == Amber) {
        ++amber;
        if (top < 0) top = y;
      }
  ASSERT_GE(top, 0) << "no amber frame on the tabs";
  // The frame's top edge (not its corners): what lies below it is inside.
  double weakest = 100;
  for (int x = 0; x < tabs.width() && top + 1 < tabs.height(); ++x)
    if (tabs.pixel(x, top) == Amber && tabs.pixel(x, top + 1) != Amber)
      weakest = std::min(weakest, Contrast(Amber, tabs.pixel(x, top + 1)));
  EXPECT_GT(amber, 20) << "the tab shows the amber frame";
  EXPECT_GE(weakest, 4.5);
}

}  // namespace
}  // namespace tp
