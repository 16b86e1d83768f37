// The main window, offscreen, on project folders built in each test. The
// dialogs are answered by ScriptedDialogs; the sound device is absent here,
// so an audition is silent and ends only when it is stopped (the audition
// itself is tested with a sounding device in audition_test.cpp).
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTreeWidgetItem>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTest>
#include <QTimer>

#include <deque>
#include <functional>

#include <gtest/gtest.h>

#include "app/dialogs.h"
#include "project/messages.h"
#include "app/tmainwin.h"
#include "controls/skin.h"
#include "controls/tbitpanel.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "controls/tlevelmeter.h"
#include "controls/tslider.h"
#include "controls/tvolume.h"
#include "folders/tnfwin.h"
#include "playback/virtualsounddevice.h"
#include "project/messages.h"
#include "project/taketime.h"
#include "support/projectfixture.h"
#include "support/tempfolder.h"
#include "windowfixture.h"

namespace tp {
namespace {

namespace fs = std::filesystem;

const QString kNoTime = QString::fromLatin1(NoTime.data(), qsizetype(NoTime.size()));

using test::Click;
using test::Q;
using test::RunUntilIdle;
using test::ScriptedDialogs;

class MainWindow : public test::WindowTest {
 protected:
  MainWindow() {
    using test::Ramp;
    using test::WriteProjectInfo;
    using test::WriteTake;
    fs::create_directories(project);
    WriteProjectInfo(project, "MYSONG");
    struct Take {
      const char* file;
      const char* name;
      size_t samples;
    };
    const Take takes[] = {
        {"TRACK0_0.DAT", "Kick", 44100},     {"TRACK0_2.DAT", "Kick3", 66150},   {"TRACK1_3.DAT", "Snare4", 88200},
        {"TRACK2_1.DAT", "Hat", 100},        {"TRACK9_9.DAT", "T10", 10},        {"TRACK100.DAT", "T11", 10},
        {"TRACK110.DAT", "T12", 10},         {"TRACK159.DAT", "T16", 10},        {"TRACKL_1.DAT", "MasterL", 44100},
        {"TRACKR_1.DAT", "MasterR", 88200},  {"TRACKL_4.DAT", "Five", 10},       {"TRACKR_4.DAT", "Five", 10},
    };
    for (const Take& take : takes) WriteTake(project / take.file, take.name, Ramp(take.samples));

    fs::create_directories(plain);
    fs::create_directories(backup);
    WriteProjectInfo(backup, "BACKUP");
    WriteTake(backup / "TRACK0_0.DAT", "Old", Ramp(10));
    test::WriteBytes(backup / "backup.inf", {0});

    window = MakeWindow(true);
  }

  // The right button's menu request, as the platform sends it after a right-click.
  static void RightClick(TBtnMtx* matrix, int row, int column) {
    const QPoint at(column * matrix->BtnWidth() + 5, row * matrix->BtnHeight() + 5);
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, matrix->mapToGlobal(at));
    QApplication::sendEvent(matrix, &request);
    RunUntilIdle();
  }

  std::string NameInFile(const std::string& file) {
    const std::vector<uint8_t> bytes = test::ReadBytes(project / file);
    if (bytes.size() < 1032) return "<short>";
    return std::string(bytes.begin() + 1024, bytes.begin() + 1032);
  }

  const fs::path project = scratch / "song";
  const fs::path plain = scratch / "plain";
  const fs::path backup = scratch / "backup";
};

// ---------------------------------------------------------------------------
// Layout and start-up

// At the smallest width the window allows, the pages beside the face still
// show every tab (no scroll arrows) and every control whole: the M and S
// keys, the meters and the clip light, the folder buttons.
TEST_F(MainWindow, AtItsMinimumWidthThePagesShowEveryTabAndControlWhole) {
  const auto PageControlShow = [&](int tab) {
    window->PageControl->setCurrentIndex(tab);
    QCoreApplication::processEvents();
  };
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  window->resize(window->minimumSize());
  QCoreApplication::processEvents();
  ASSERT_EQ(window->width(), window->minimumWidth());
  EXPECT_GT(window->minimumWidth(), TMainWin::PanelWidth + 150) << "the pages' widest row is 150 pixels";
  QTabBar* tabs = window->PageControl->tabBar();
  for (int tab = 0; tab < tabs->count(); ++tab) {
    PageControlShow(tab);
    EXPECT_LE(tabs->tabRect(tab).right(), tabs->width() - 1) << tab;
  }
  for (QToolButton* arrow : tabs->findChildren<QToolButton*>()) EXPECT_FALSE(arrow->isVisible()) << "scroll arrows";
  struct Shown {
    int tab;
    QWidget* control;
  };
  const Shown shown[] = {{0, window->RefBtn},          {1, window->TrackMeters[15]}, {1, window->ClipLight},
                         {2, window->SoloBtns[15]},    {2, window->MuteBtns[0]},     {2, window->InitBtn}};
  for (const Shown& s : shown) {
    PageControlShow(s.tab);
    QWidget* page = window->PageControl->currentWidget();
    const QRect inPage(s.control->mapTo(page, QPoint(0, 0)), s.control->size());
    EXPECT_TRUE(page->rect().contains(inPage)) << s.control->metaObject()->className() << " at " << inPage.x() << "+"
                                               << inPage.width() << " in a page " << page->width() << " wide";
  }
}

// At the window's first size a song with the demo's name, two levels down,
// fits the "Folders" page: no horizontal scroll bar, and no name cut short.
TEST_F(MainWindow, TheFolderTreeFitsASongNamedLikeTheDemoAtTheFirstSize) {
  const fs::path demo = scratch / "TrackPorter Demo";
  fs::create_directories(demo);
  test::WriteProjectInfo(demo, "DEMOSONG");
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  Open(demo);
  window->DirTree->SetDirectory(Q(demo));
  RunUntilIdle();
  QTreeWidgetItem* node = window->DirTree->currentItem();
  ASSERT_NE(node, nullptr);
  ASSERT_EQ(node->text(0), QStringLiteral("TrackPorter Demo"));
  EXPECT_FALSE(window->DirTree->horizontalScrollBar()->isVisible());
  const QRect cell = window->DirTree->visualItemRect(node);
  EXPECT_LE(cell.right(), window->DirTree->viewport()->width() - 1);
  EXPECT_GE(cell.width(), window->DirTree->fontMetrics().horizontalAdvance(node->text(0)));
}

TEST_F(MainWindow, IsLaidOutAsDrawnWithEveryControlAtItsPlace) {
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  EXPECT_EQ(window->size(), QSize(832, 453));
  EXPECT_EQ(window->minimumHeight(), 453);
  EXPECT_LE(window->minimumWidth(), 832) << "the drawn size is allowed";

  struct Placed {
    const char* name;
    QWidget* control;
    QRect rect;
  };
  const Placed placed[] = {
      {"BitPanel", window->BitPanel, {0, 0, 666, 434}},
      {"PageControl", window->PageControl, {666, 0, 166, 434}},
      {"ProjName", window->ProjName, {84, 4, 76, 17}},
      {"TrackSel", window->TrackSel, {22, 43, 20, 320}},
      {"TakeSel", window->TakeSel, {46, 43, 600, 320}},
      {"MasterSel", window->MasterSel, {22, 367, 20, 20}},
      {"MasTakeSel", window->MasTakeSel, {46, 367, 600, 20}},
      {"ImpBtn", window->ImpBtn, {22, 395, 56, 20}},
      {"AudBtn", window->AudBtn, {251, 396, 30, 16}},
      {"Slider", window->Slider, {284, 398, 300, 12}},
      {"ExpBtn", window->ExpBtn, {594, 395, 56, 20}},
      {"column label 10", window->ColumnLabels[9], {46 + 540, 30, 60, 12}},
      {"row label 16", window->RowLabels[15], {646, 43 + 300, 20, 20}},
      {"SortBtn", window->SortBtn, {2, 6, 40, 21}},
      {"NewFldrBtn", window->NewFldrBtn, {46, 6, 40, 21}},
      {"RefBtn", window->RefBtn, {92, 6, 50, 21}},
      {"Time1", window->Times[0], {12, 24, 72, 12}},
      {"Time16", window->Times[15], {12, 24 + 300, 72, 12}},
      {"TimeM", window->TimeM, {12, 348, 72, 12}},
      {"PlayTime", window->PlayTime, {12, 378, 72, 12}},
      {"Volume16", window->Volumes[15], {8, 19 + 300, 17, 17}},
      {"VolVal16", window->VolVals[15], {28, 19 + 300, 18, 17}},
      {"Pan1", window->Pans[0], {70, 19, 17, 17}},
      {"PanVal1", window->PanVals[0], {90, 19, 24, 17}},
      {"InitBtn", window->InitBtn, {26, 370, 56, 20}},
      {"status panel 1", window->StatusPanels[0], {0, 1, 350, 18}},
      {"status panel 2", window->StatusPanels[1], {352, 1, 100, 18}},
      {"status panel 3", window->StatusPanels[2], {454, 1, 50, 18}},
  };
  for (const Placed& p : placed) EXPECT_EQ(p.control->geometry(), p.rect) << p.name;

  EXPECT_EQ(window->Label3->text(), QStringLiteral("PROJECT "));
  EXPECT_EQ(window->Label3->pos(), QPoint(20, 8));
  EXPECT_EQ(window->FaderLabel->pos(), QPoint(8, 4));
  EXPECT_EQ(window->PanpotLabel->pos(), QPoint(64, 4));
  EXPECT_EQ(window->PageControl->count(), 3);
  EXPECT_EQ(window->PageControl->tabText(0), QStringLiteral("Folders"));
  EXPECT_EQ(window->PageControl->tabText(1), QStringLiteral("Time"));
  EXPECT_EQ(window->PageControl->tabText(2), QStringLiteral("Mixer"));
  EXPECT_EQ(window->font().pixelSize(), 12);
  EXPECT_EQ(window->font().families().value(0), QStringLiteral("IPAGothic"));
}

TEST_F(MainWindow, StartsWithTheVersionCaptionNumberedTrackKeysAndNeutralMixer) {
  EXPECT_EQ(window->BaseCaption, QStringLiteral("TrackPorter for TKR-series Ver.2.0.4.0"));
  EXPECT_EQ(window->windowTitle(), window->BaseCaption);
  for (int row = 0; row < 16; ++row) {
    EXPECT_EQ(window->TrackSel->GetCaptions(row, 0), QString::number(row + 1));
    EXPECT_TRUE(window->TrackSel->GetAssigned(row, 0));
  }
  for (int t = 0; t < 16; ++t) {
    EXPECT_EQ(window->Times[t]->text(), QStringLiteral(" -:--:--:-- "));
    EXPECT_EQ(window->Volumes[t]->Max(), 127);
    EXPECT_EQ(window->Volumes[t]->Position(), 100);
    EXPECT_EQ(window->VolVals[t]->text(), QStringLiteral("100"));
    EXPECT_EQ(window->Pans[t]->Max(), 100);
    EXPECT_EQ(window->Pans[t]->Position(), 50);
    EXPECT_EQ(window->PanVals[t]->text(), QStringLiteral("C"));
  }
  EXPECT_EQ(window->TimeM->text(), QStringLiteral(" -:--:--:-- "));
  EXPECT_EQ(window->PlayTime->text(), QStringLiteral(" -:--:--:-- "));
  EXPECT_EQ(window->Slider->PageSize(), 2646000);
  EXPECT_EQ(window->Slider->MidSize(), 441000);
  EXPECT_EQ(window->Slider->TickSize(), 44100);
  EXPECT_EQ(window->MasterSel->Caption(), QStringLiteral("M"));
  EXPECT_FALSE(window->Playing);
  EXPECT_EQ(window->Conversion, 0);
}

TEST_F(MainWindow, HandsEachSkinnedControlThePieceOfItsPanelUnderIt) {
  const auto same = [](const QImage& a, const QImage& b) {
    return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
  };
  const QImage face = Skin::MainPanel();
  EXPECT_TRUE(same(window->TakeSel->BackBmp(), face.copy(46, 43, 600, 320)));
  EXPECT_TRUE(same(window->MasterSel->BackBmp(), face.copy(22, 367, 20, 20)));
  EXPECT_TRUE(same(window->Slider->BackBmp(), face.copy(284, 398, 300, 12)));
  EXPECT_EQ(window->ExpBtn->BackBmp().size(), QSize(56, 20));
  // The mixer's bitmap is 100 pixels wide and tiled: every control lies in the first tile.
  const QImage mixer = Skin::MixerPanel();
  EXPECT_TRUE(same(window->Volumes[4]->BackBmp(), mixer.copy(8, 19 + 80, 17, 17)));
  EXPECT_TRUE(same(window->Pans[15]->BackBmp(), mixer.copy(70, 19 + 300, 17, 17)));
  EXPECT_TRUE(same(window->InitBtn->BackBmp(), mixer.copy(26, 370, 56, 20)));
  EXPECT_FALSE(same(window->Volumes[4]->BackBmp(), window->Volumes[5]->BackBmp()))
      << "alternate strips differ, so a wrong cut would show";
}

// ---------------------------------------------------------------------------
// The idle rules

// Without a theme that has it (none here), the icon is the program's own SVG.
TEST_F(MainWindow, ShowsTheProgramsOwnIcon) {
  const QIcon icon = window->windowIcon();
  ASSERT_FALSE(icon.isNull());
  const QImage shown = icon.pixmap(32, 32).toImage();
  ASSERT_FALSE(shown.isNull());
  // The installed rendering, not a generic icon.
  const QIcon installed(QStringLiteral(TP_APP_SOURCE_DIR "/icons/48x48/io.github.trackporter.TrackPorter.png"));
  EXPECT_EQ(shown, installed.pixmap(32, 32).toImage());
}

TEST_F(MainWindow, RightAfterStartOnlyTheFolderTabAndTheMixerAreUsable) {
  RunUntilIdle();
  // TakeSel MasTakeSel TrackSel MasterSel ImpBtn ExpBtn AudBtn Slider ProjName Folders Mixer New
  EXPECT_EQ(EnabledStates(), "000000000110");
  EXPECT_TRUE(window->InitBtn->isEnabled());
  EXPECT_TRUE(window->SortBtn->isEnabled());
  EXPECT_TRUE(window->RefBtn->isEnabled());

  Open(plain);
  EXPECT_EQ(EnabledStates(), "000000000111") << "New becomes usable with the first folder";
}

TEST_F(MainWindow, EnablesTheTwelveControlsFromTheStateFieldsAlone) {
  struct Case {
    const char* situation;
    std::function<void(TMainWin&)> set;
    const char* states;  // TakeSel MasTakeSel TrackSel MasterSel ImpBtn ExpBtn AudBtn Slider ProjName Folders Mixer New
  };
  const auto ready = [](TMainWin& w) {
    w.Model().TakesSelected = true;
    w.Model().ImportTargetSet = true;
  };
  const Case cases[] = {
      {"a project, nothing selected", [](TMainWin&) {}, "101100001111"},
      {"takes and an import target selected", ready, "101111111111"},
      {"an export runs", [&](TMainWin& w) { ready(w); w.Conversion = TMainWin::ConversionExport; }, "000001000000"},
      {"an import runs", [&](TMainWin& w) { ready(w); w.Conversion = TMainWin::ConversionImport; }, "000010000000"},
      {"an audition sounds", [&](TMainWin& w) { ready(w); w.Playing = true; }, "000000110010"},
      {"master mode", [&](TMainWin& w) { ready(w); w.Model().MasterMode = true; }, "010111111111"},
      {"a project read without take files", [&](TMainWin& w) { ready(w); w.Model().TakesScanned = false; },
       "101110111111"},
  };
  for (const Case& c : cases) {
    window = MakeWindow(false);
    Open(project);
    c.set(*window);
    RunUntilIdle();
    EXPECT_EQ(EnabledStates(), c.states) << c.situation;
  }
}

TEST_F(MainWindow, IdleRulesOverrideWhatAHandlerEnabledMeanwhile) {
  Open(plain);
  window->ExpBtn->setEnabled(true);
  window->TakeSel->setEnabled(true);
  RunUntilIdle();
  EXPECT_FALSE(window->ExpBtn->isEnabled());
  EXPECT_FALSE(window->TakeSel->isEnabled());
}

TEST_F(MainWindow, AProjectReadWithoutTakeFilesKeepsExportOffAfterAnImportUntilItIsReadAgain) {
  fs::path empty = scratch / "empty";
  fs::create_directories(empty);
  test::WriteProjectInfo(empty, "EMPTY");
  Open(empty);
  EXPECT_FALSE(window->Model().TakesScanned);

  // What an import leaves behind: the take file, its cell, its length.
  test::WriteTake(empty / "TRACK0_0.DAT", "Imported", test::Ramp(4410));
  window->Model().RecordTake(0, 0, "Imported", 4410);
  Click(window->TakeSel, 0, 0);
  EXPECT_TRUE(window->AudBtn->isEnabled());
  EXPECT_FALSE(window->ExpBtn->isEnabled());

  Open(empty);
  Click(window->TakeSel, 0, 0);
  EXPECT_TRUE(window->ExpBtn->isEnabled());
}

// ---------------------------------------------------------------------------
// Hints and the blank key

TEST_F(MainWindow, AHintShowsItsLongPartInTheStatusBarAndItsShortPartAsTooltip) {
  Open(project);
  window->Model().TakesSelected = window->Model().ImportTargetSet = true;
  RunUntilIdle();
  struct Case {
    const char* name;
    QWidget* control;
    const char* status;
    const char* tooltip;
  };
  const Case cases[] = {
      {"TakeSel", window->TakeSel, "Choose one take per track to hear or export", "Takes"},
      {"TrackSel", window->TrackSel, "Select Tracks for Import", "Tracks"},
      {"MasterSel", window->MasterSel, "Select Master track", "Master"},
      {"AudBtn", window->AudBtn, "Hear Takes", "Audition"},
      {"ImpBtn", window->ImpBtn, "Import Take(s) from WAV/AIFF", "Import"},
      {"ExpBtn", window->ExpBtn, "Export Take(s) to WAV/AIFF", "Export"},
      {"InitBtn", window->InitBtn, "Initialize mixer settings", "Init"},
      {"ProjName", window->ProjName, "Double-click to Edit", ""},
      {"SortBtn", window->SortBtn, "Sort Tree by Alphabetical", ""},
      {"NewFldrBtn", window->NewFldrBtn, "Make a new folder", ""},
      {"RefBtn", window->RefBtn, "Refresh folder information", ""},
  };
  for (const Case& c : cases) {
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(c.control, &enter);
    EXPECT_EQ(window->StatusPanels[0]->text(), QString::fromLatin1(c.status)) << c.name;
    EXPECT_EQ(c.control->toolTip(), QString::fromLatin1(c.tooltip)) << c.name;
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(c.control, &leave);
    EXPECT_EQ(window->StatusPanels[0]->text(), QString()) << c.name;
  }
  EXPECT_EQ(window->MasTakeSel->toolTip(), QStringLiteral("Master takes"));
  // No hint is a name only the program's code knows ("TakeSelector"): one
  // word run together from several.
  const QRegularExpression codeName(QStringLiteral("^[A-Z][a-z]+([A-Z][a-z]+)+$"));
  for (QWidget* control : window->findChildren<QWidget*>()) {
    for (const QString& hint : {control->statusTip(), control->toolTip()})
      EXPECT_FALSE(codeName.match(hint).hasMatch())
          << control->objectName().toStdString() << ": " << hint.toStdString();
  }
}

// Counts the key presses that reach a widget.
class KeyCounter : public QObject {
 public:
  int presses = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) ++presses;
    return false;
  }
};

TEST_F(MainWindow, ABlankNeverReachesTheFocusedControlAndDoesNothingWithoutASelection) {
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  Open(project);
  KeyCounter counter;
  window->DirTree->installEventFilter(&counter);
  QTest::keyClick(window->DirTree, Qt::Key_Space, {});
  EXPECT_EQ(counter.presses, 0);
  EXPECT_FALSE(window->AudBtn->Down());
  EXPECT_FALSE(window->Playing);

  QTest::keyClick(window->DirTree, Qt::Key_A);
  EXPECT_EQ(counter.presses, 1) << "other characters pass on unchanged";
}

TEST_F(MainWindow, ABlankStartsTheAuditionAndASecondOneStopsIt) {
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  Open(project);
  Click(window->TakeSel, 0, 0);
  ASSERT_TRUE(window->Model().TakesSelected);

  QTest::keyClick(window->DirTree, Qt::Key_Space);
  EXPECT_TRUE(window->AudBtn->Down());
  EXPECT_TRUE(window->Playing);
  RunUntilIdle();
  EXPECT_FALSE(window->TakeSel->isEnabled()) << "the matrices are locked while sounding";
  EXPECT_TRUE(window->AudBtn->isEnabled());

  QTest::keyClick(window->DirTree, Qt::Key_Space);
  RunUntilIdle();
  EXPECT_FALSE(window->AudBtn->Down());
  EXPECT_FALSE(window->Playing);
  EXPECT_TRUE(window->TakeSel->isEnabled());
}

TEST_F(MainWindow, ABlankDuringAConversionDoesNothing) {
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  Open(project);
  Click(window->TakeSel, 0, 0);
  for (auto conversion : {TMainWin::ConversionImport, TMainWin::ConversionExport}) {
    window->Conversion = conversion;
    EXPECT_TRUE(window->FormKeyPress(QLatin1Char(' '))) << "the blank is still consumed";
    EXPECT_FALSE(window->AudBtn->Down()) << conversion;
    EXPECT_FALSE(window->Playing) << conversion;
  }
}

// ---------------------------------------------------------------------------
// The project view

TEST_F(MainWindow, SelectingAProjectFillsTheMatricesTheNameAndTheCaption) {
  window->StatusPanels[1]->setText(QStringLiteral("0:00:03"));
  Open(project);
  EXPECT_EQ(window->windowTitle(), window->BaseCaption + QStringLiteral(" - ") + Q(project));
  EXPECT_EQ(window->ProjName->text(), QStringLiteral(" MYSONG  "));
  EXPECT_TRUE(window->StatusPanels[1]->text().isEmpty());

  struct Cell {
    int row, column;
    const char* caption;
  };
  for (const Cell& c : {Cell{0, 0, "Kick    "}, Cell{9, 9, "T10     "}, Cell{10, 0, "T11     "},
                        Cell{15, 9, "T16     "}, Cell{2, 1, "Hat     "}}) {
    EXPECT_TRUE(window->TakeSel->GetAssigned(c.row, c.column)) << c.row << "," << c.column;
    EXPECT_EQ(window->TakeSel->GetCaptions(c.row, c.column), QString::fromLatin1(c.caption));
  }
  EXPECT_FALSE(window->TakeSel->GetAssigned(0, 1));
  EXPECT_TRUE(window->MasTakeSel->GetAssigned(0, 1));
  EXPECT_EQ(window->MasTakeSel->GetCaptions(0, 1), QStringLiteral("MasterL "));
  EXPECT_TRUE(window->MasTakeSel->GetAssigned(0, 4));
  EXPECT_FALSE(window->MasTakeSel->GetAssigned(0, 0));
  for (QLabel* time : window->Times) EXPECT_EQ(time->text(), kNoTime);
  EXPECT_TRUE(window->TakeSel->isEnabled());
  EXPECT_TRUE(window->MasterSel->isEnabled());
}

// The Desktop node has no path: selecting it in the real tree leaves the
// caption alone rather than one ending in " - ".
TEST_F(MainWindow, SelectingTheDesktopShowsTheCaptionAlone) {
  Open(project);
  window->DirTree->SetDirectory(QString());
  RunUntilIdle();
  ASSERT_NE(window->DirTree->currentItem(), nullptr);
  EXPECT_TRUE(window->DirTree->currentItem()->data(0, TDirTreeView::PathRole).toString().isEmpty());
  EXPECT_EQ(window->windowTitle(), window->BaseCaption);
}

TEST_F(MainWindow, APlainFolderOrABackupClearsWhatTheProjectShowed) {
  for (const fs::path& folder : {plain, backup}) {
    Open(project);
    Click(window->TakeSel, 0, 0);
    Open(folder);
    EXPECT_EQ(window->windowTitle(), window->BaseCaption + QStringLiteral(" - ") + Q(folder));
    EXPECT_TRUE(window->ProjName->text().isEmpty()) << folder;
    EXPECT_FALSE(window->Model().ProjectOpen) << folder;
    for (int row = 0; row < 16; ++row)
      for (int column = 0; column < 10; ++column) {
        EXPECT_FALSE(window->TakeSel->GetAssigned(row, column));
        EXPECT_FALSE(window->TakeSel->GetDown(row, column));
      }
    for (QLabel* time : window->Times) EXPECT_EQ(time->text(), kNoTime);
    EXPECT_EQ(window->PlayTime->text(), kNoTime);
    EXPECT_EQ(EnabledStates(), "000000000111") << folder;
  }
}

TEST_F(MainWindow, ClicksShowTheImportLabelsTimesAndSliderRange) {
  Open(project);
  Click(window->TrackSel, 0, 0);
  Click(window->TrackSel, 1, 0);
  Click(window->TakeSel, 0, 2);
  Click(window->TakeSel, 1, 3);
  EXPECT_EQ(window->LMonoLabel->text(), QStringLiteral("L/Mono :TRACK1-3"));
  EXPECT_EQ(window->RLabel->text(), QStringLiteral("R      :TRACK2-4"));
  EXPECT_EQ(window->Times[0]->text(), QStringLiteral("0:00:01:500"));
  EXPECT_EQ(window->Times[1]->text(), QStringLiteral("0:00:02:000"));
  EXPECT_EQ(window->PlayTime->text(), QStringLiteral("0:00:02:000"));
  EXPECT_EQ(window->Slider->Max(), 88200);
  EXPECT_TRUE(window->TrackSel->GetDown(0, 0));

  Click(window->TakeSel, 1, 3);  // the second track loses its take
  EXPECT_EQ(window->LMonoLabel->text(), QStringLiteral("Mono"));
  EXPECT_TRUE(window->RLabel->text().isEmpty());
  EXPECT_EQ(window->Times[1]->text(), kNoTime);
  EXPECT_EQ(window->Slider->Max(), 66150);

  Click(window->TakeSel, 0, 0);  // another take of track 1 replaces take 3
  EXPECT_TRUE(window->TakeSel->GetDown(0, 0));
  EXPECT_FALSE(window->TakeSel->GetDown(0, 2));
  EXPECT_EQ(window->Times[0]->text(), QStringLiteral("0:00:01:000"));
}

// The user clicks IMPORT or EXPORT, moves the pointer into the dialog and
// cancels it: the button is drawn as it is when the pointer is elsewhere.
TEST_F(MainWindow, ImportAndExportLoseTheirLitLookWhenThePointerLeftForTheirDialog) {
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  Open(project);
  Click(window->TrackSel, 0, 0);
  Click(window->TakeSel, 0, 0);
  // The pointer's way out, and the leave notice it brings, happen while the
  // dialog is open.
  const QPoint elsewhere = window->mapToGlobal(QPoint(700, 300));
  const auto moveAway = [elsewhere] {
    QCursor::setPos(elsewhere);
    QCoreApplication::processEvents();
  };
  dialogs->save = [&](SaveDialog&) {
    moveAway();
    return false;
  };
  dialogs->open = [&](TCOpenDialog&) {
    moveAway();
    return false;
  };
  for (TBPBtn* button : {window->ExpBtn, window->ImpBtn}) {
    ASSERT_TRUE(button->isEnabled());
    QTest::mouseMove(button, QPoint(5, 5));
    const QImage lit = button->grab().toImage();
    Click(button);
    const QImage afterDialog = button->grab().toImage();
    QTest::mouseMove(button, QPoint(5, 5));
    QTest::mouseMove(window.get(), window->mapFromGlobal(elsewhere));
    const QImage unlit = button->grab().toImage();
    ASSERT_NE(lit, unlit);
    EXPECT_EQ(afterDialog, unlit) << (button == window->ExpBtn ? "EXPORT" : "IMPORT");
  }
}

TEST_F(MainWindow, MasterModeShowsTheMasterTakeAndTheLongerOfItsFiles) {
  Open(project);
  Click(window->MasterSel);
  EXPECT_TRUE(window->Model().MasterMode);
  EXPECT_TRUE(window->MasTakeSel->isEnabled());
  EXPECT_FALSE(window->TakeSel->isEnabled());
  EXPECT_FALSE(window->TrackSel->isEnabled());
  Click(window->MasTakeSel, 0, 1);
  EXPECT_EQ(window->LMonoLabel->text(), QStringLiteral("Master 2"));
  EXPECT_EQ(window->TimeM->text(), QStringLiteral("0:00:02:000"));
  EXPECT_EQ(window->Slider->Max(), 88200);
  EXPECT_TRUE(window->ExpBtn->isEnabled());

  Click(window->MasterSel);
  EXPECT_FALSE(window->Model().MasterMode);
  EXPECT_TRUE(window->MasTakeSel->GetDown(0, 1)) << "switching modes keeps the selection";
}

// ---------------------------------------------------------------------------
// Renaming and deleting

TEST_F(MainWindow, RenamingATakeThroughItsPopupWritesItsFile) {
  struct Case {
    int row, column;
    const char* file;
    const char* typed;
    const char* stored;
  };
  const Case cases[] = {
      {2, 1, "TRACK2_1.DAT", "Hi-hat open", "Hi-hat o"},  // Track3-2; cut to 8
      {11, 0, "TRACK110.DAT", "Pad", "Pad     "},         // Track12-1; padded
  };
  Open(project);
  for (const Case& c : cases) {
    const QString before = window->TakeSel->GetCaptions(c.row, c.column);
    dialogs->menuChoice = QStringLiteral("Change the &Name...");
    dialogs->entries.push_back(QString::fromLatin1(c.typed));
    RightClick(window->TakeSel, c.row, c.column);
    ASSERT_FALSE(dialogs->asked.empty()) << "the popup's item ran";
    EXPECT_EQ(dialogs->asked.back().caption, QStringLiteral("Naming"));
    EXPECT_EQ(dialogs->asked.back().prompt,
              QStringLiteral("enter new name for Track%1-%2").arg(c.row + 1).arg(c.column + 1));
    EXPECT_EQ(dialogs->asked.back().value, before);
    EXPECT_EQ(NameInFile(c.file), c.stored);
    EXPECT_EQ(window->TakeSel->GetCaptions(c.row, c.column), QString::fromLatin1(c.stored));
  }
  EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(MainWindow, CancellingTheNameOrRefusedCharactersChangeNothing) {
  Open(project);
  dialogs->menuChoice = QStringLiteral("Change the &Name...");
  dialogs->entries.push_back(std::nullopt);
  RightClick(window->TakeSel, 0, 0);
  dialogs->entries.push_back(QStringLiteral("\u66f2"));  // a kanji: no byte of the recorder's set
  RightClick(window->TakeSel, 0, 0);
  EXPECT_EQ(NameInFile("TRACK0_0.DAT"), "Kick    ");
  EXPECT_EQ(window->TakeSel->GetCaptions(0, 0), QStringLiteral("Kick    "));
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0], QString::fromUtf8(messages::NameCharactersRefused));
}

// The refusal says what a name can hold, and it is true to what is stored.
TEST_F(MainWindow, TheRefusalNamesExactlyTheCharactersANameCanHold) {
  Open(project);
  dialogs->menuChoice = QStringLiteral("Change the &Name...");
  struct Case {
    QString typed;
    const char* stored;  // nothing when refused
  };
  const Case cases[] = {
      {QStringLiteral("caf\u00e9 \u00ff!"), "caf\xe9 \xff!"},  // the accented small letters
      {QStringLiteral("\u00c0 bout"), nullptr},                // a capital: its byte is a katakana's
      {QStringLiteral("\u00df"), nullptr},
      {QStringLiteral("\u66f2"), nullptr},
  };
  for (const Case& c : cases) {
    dialogs->messages.clear();
    dialogs->entries.push_back(c.typed);
    RightClick(window->TakeSel, 0, 0);
    if (c.stored) {
      EXPECT_EQ(NameInFile("TRACK0_0.DAT"), (std::string(c.stored) + "        ").substr(0, 8)) << c.typed.toStdString();
      EXPECT_TRUE(dialogs->messages.empty());
    } else {
      ASSERT_EQ(dialogs->messages.size(), 1u) << c.typed.toStdString();
      EXPECT_EQ(dialogs->messages[0], QStringLiteral("A name can hold only printable ASCII, half-width katakana and the "
                                                     "accented small letters \u00e0 to \u00ff."));
    }
  }
}

TEST_F(MainWindow, ATakeNameInHalfWidthKatakanaIsStoredAsTheRecordersBytes) {
  Open(project);
  dialogs->menuChoice = QStringLiteral("Change the &Name...");
  dialogs->entries.push_back(QStringLiteral("\uff76\uff9e\uff80\uff70"));  // "gitaa"
  RightClick(window->TakeSel, 0, 0);
  EXPECT_EQ(NameInFile("TRACK0_0.DAT"), std::string("\xb6\xde\xc0\xb0    "));
  EXPECT_EQ(window->TakeSel->GetCaptions(0, 0), QStringLiteral("\uff76\uff9e\uff80\uff70    "));
}

// Typed through a Japanese input method: folded to half-width before the
// name is cut to its 8 characters, so a voiced letter's mark counts.
TEST_F(MainWindow, AFullWidthNameIsFoldedToHalfWidthBeforeItIsCutAndStored) {
  Open(project);
  dialogs->menuChoice = QStringLiteral("Change the &Name...");
  struct Case {
    QString typed;
    const char* stored;
  };
  const Case cases[] = {
      {QStringLiteral("\u30C9\u30E9\u30E0"), "\xC4\xDE\xD7\xD1    "},                       // ドラム
      {QStringLiteral("\u30C9\u30E9\u30E0\u30B9\u30FB\u30D9\u30FC\u30B9"), "\xC4\xDE\xD7\xD1\xBD\xA5\xCD\xDE"},  // ドラムス・ベース, cut
      {QStringLiteral("\uFF2B\uFF49\uFF43\uFF4B"), "Kick    "},                             // Ｋｉｃｋ
  };
  for (const Case& c : cases) {
    dialogs->entries.push_back(c.typed);
    RightClick(window->TakeSel, 0, 0);
    EXPECT_EQ(NameInFile("TRACK0_0.DAT"), std::string(c.stored, 8)) << c.typed.toStdString();
  }
  EXPECT_TRUE(dialogs->messages.empty());
  EXPECT_EQ(window->TakeSel->GetCaptions(0, 0), QStringLiteral("Kick    "));
}

TEST_F(MainWindow, APopupOverAnEmptyCellHasBothItemsDisabled) {
  Open(project);
  dialogs->menuChoice = QStringLiteral("Delete");
  RightClick(window->TakeSel, 0, 1);
  ASSERT_EQ(dialogs->lastMenu.size(), 2u);
  EXPECT_EQ(dialogs->lastMenu[0], std::make_pair(QStringLiteral("Change the &Name..."), false));
  EXPECT_EQ(dialogs->lastMenu[1], std::make_pair(QStringLiteral("Delete"), false));
  EXPECT_TRUE(dialogs->questions.empty());

  Click(window->MasterSel);  // the master row is reachable in master mode only
  RightClick(window->MasTakeSel, 0, 0);
  EXPECT_EQ(dialogs->lastMenu[1], std::make_pair(QStringLiteral("Delete"), false));
  dialogs->answers.push_back(false);  // over a take the item runs: No to its question
  RightClick(window->MasTakeSel, 0, 1);
  EXPECT_EQ(dialogs->lastMenu[0], std::make_pair(QStringLiteral("Change the &Name..."), true));
  EXPECT_EQ(dialogs->lastMenu[1], std::make_pair(QStringLiteral("Delete"), true));
  EXPECT_EQ(dialogs->questions.size(), 1u);
  EXPECT_TRUE(fs::exists(project / "TRACKL_1.DAT"));
}

TEST_F(MainWindow, DeletingASelectedTakeAfterYesRemovesItsFileAndShrinksTheSelection) {
  Open(project);
  Click(window->TakeSel, 0, 2);  // 66150 samples
  Click(window->TakeSel, 2, 1);  // 100 samples
  ASSERT_EQ(window->Slider->Max(), 66150);

  dialogs->menuChoice = QStringLiteral("Delete");
  dialogs->answers = {false, true};
  RightClick(window->TakeSel, 0, 2);
  EXPECT_TRUE(fs::exists(project / "TRACK0_2.DAT")) << "No keeps the take";
  EXPECT_TRUE(window->TakeSel->GetAssigned(0, 2));

  RightClick(window->TakeSel, 0, 2);
  ASSERT_EQ(dialogs->questions.size(), 2u);
  EXPECT_EQ(dialogs->questions[1].first, QStringLiteral("Take Deleting"));
  EXPECT_EQ(dialogs->questions[1].second, QStringLiteral("Are you sure to delete the Take?  \n  Track1-3[Kick3   ]"));
  EXPECT_FALSE(fs::exists(project / "TRACK0_2.DAT"));
  EXPECT_FALSE(window->TakeSel->GetAssigned(0, 2));
  EXPECT_FALSE(window->TakeSel->GetDown(0, 2));
  EXPECT_TRUE(window->TakeSel->GetCaptions(0, 2).isEmpty());
  EXPECT_EQ(window->Times[0]->text(), kNoTime);
  EXPECT_EQ(window->Slider->Max(), 100);
  EXPECT_EQ(window->PlayTime->text(), QString::fromStdString(FormatTakeTime(100)));
  EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(MainWindow, ATakeFileThatIsGoneIsReportedAndTheCellKept) {
  Open(project);
  fs::remove(project / "TRACK0_0.DAT");
  dialogs->menuChoice = QStringLiteral("Change the &Name...");
  dialogs->entries.push_back(QStringLiteral("New"));
  RightClick(window->TakeSel, 0, 0);
  dialogs->menuChoice = QStringLiteral("Delete");
  dialogs->answers.push_back(true);
  RightClick(window->TakeSel, 0, 0);
  ASSERT_EQ(dialogs->messages.size(), 2u);
  EXPECT_EQ(dialogs->messages[0], QString::fromLatin1(messages::TakeNotOpened));
  EXPECT_EQ(dialogs->messages[1], QString::fromLatin1(messages::TakeNotDeleted));
  EXPECT_EQ(window->TakeSel->GetCaptions(0, 0), QStringLiteral("Kick    "));
  EXPECT_TRUE(window->TakeSel->GetAssigned(0, 0));
}

TEST_F(MainWindow, RenamingAMasterTakeWritesBothFiles) {
  Open(project);
  Click(window->MasterSel);
  dialogs->menuChoice = QStringLiteral("Change the &Name...");
  dialogs->entries.push_back(QStringLiteral("Final"));
  RightClick(window->MasTakeSel, 0, 1);
  ASSERT_EQ(dialogs->asked.size(), 1u);
  EXPECT_EQ(dialogs->asked[0].prompt, QStringLiteral("enter new name for Master 2"));
  EXPECT_EQ(dialogs->asked[0].value, QStringLiteral("MasterL "));
  EXPECT_EQ(NameInFile("TRACKL_1.DAT"), "Final   ");
  EXPECT_EQ(NameInFile("TRACKR_1.DAT"), "Final   ");
  EXPECT_EQ(window->MasTakeSel->GetCaptions(0, 1), QStringLiteral("Final   "));

  // Without the right file the left one is renamed and the caption stays.
  fs::remove(project / "TRACKR_1.DAT");
  dialogs->entries.push_back(QStringLiteral("Again"));
  RightClick(window->MasTakeSel, 0, 1);
  EXPECT_EQ(NameInFile("TRACKL_1.DAT"), "Again   ");
  EXPECT_EQ(window->MasTakeSel->GetCaptions(0, 1), QStringLiteral("Final   "));
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0], QString::fromLatin1(messages::TakeNotOpened));
}

TEST_F(MainWindow, DeletingAMasterTakeRemovesBothFilesOrStopsAtTheMissingOne) {
  Open(project);
  Click(window->MasterSel);
  dialogs->menuChoice = QStringLiteral("Delete");
  dialogs->answers = {true, true};
  RightClick(window->MasTakeSel, 0, 4);
  ASSERT_EQ(dialogs->questions.size(), 1u);
  EXPECT_EQ(dialogs->questions.back().second, QStringLiteral("Are you sure to delete the Take?  \n  Master 5[Five    ]"));
  EXPECT_FALSE(fs::exists(project / "TRACKL_4.DAT"));
  EXPECT_FALSE(fs::exists(project / "TRACKR_4.DAT"));
  EXPECT_FALSE(window->MasTakeSel->GetAssigned(0, 4));

  fs::remove(project / "TRACKR_1.DAT");
  RightClick(window->MasTakeSel, 0, 1);
  EXPECT_FALSE(fs::exists(project / "TRACKL_1.DAT"));
  EXPECT_TRUE(window->MasTakeSel->GetAssigned(0, 1)) << "the cell shows the take until the folder is read again";
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0], QString::fromLatin1(messages::TakeNotDeleted));
}

TEST_F(MainWindow, DoubleClickingTheProjectNameRenamesTheProject) {
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  Open(project);
  dialogs->entries = {QStringLiteral("NEWSONG12"), std::nullopt};
  QTest::mouseDClick(window->ProjName, Qt::LeftButton);
  ASSERT_EQ(dialogs->asked.size(), 1u);
  EXPECT_EQ(dialogs->asked[0].prompt, QStringLiteral("Enter new name of the Project"));
  EXPECT_EQ(dialogs->asked[0].value, QStringLiteral("MYSONG  "));
  EXPECT_EQ(window->ProjName->text(), QStringLiteral(" NEWSONG1"));
  const std::vector<uint8_t> info = test::ReadBytes(project / "PRJDATA.ini");
  EXPECT_EQ(std::string(info.begin() + 52, info.begin() + 60), "NEWSONG1");

  QTest::mouseDClick(window->ProjName, Qt::LeftButton);  // Cancel
  EXPECT_EQ(window->ProjName->text(), QStringLiteral(" NEWSONG1"));
  EXPECT_TRUE(dialogs->messages.empty());
}

// No input box may open: ScriptedDialogs fails the test on one it did not expect.
TEST_F(MainWindow, ADoubleClickOnTheGreyedOutProjectNameRenamesNothing) {
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  const std::vector<uint8_t> backupInfo = test::ReadBytes(backup / "PRJDATA.ini");
  struct Case {
    const char* when;
    std::function<void()> arrange;
  };
  const Case cases[] = {
      {"after start-up", [] {}},
      {"on a plain folder", [&] { Open(plain); }},
      {"on a backup", [&] { Open(backup); }},
      {"during an audition",
       [&] {
         Open(project);
         Click(window->TakeSel, 0, 0);
         Click(window->AudBtn);
         ASSERT_TRUE(window->Playing);
       }},
  };
  for (const Case& c : cases) {
    c.arrange();
    EXPECT_FALSE(window->ProjName->isEnabled()) << c.when;
    QTest::mouseDClick(window->ProjName, Qt::LeftButton);
    RunUntilIdle();
    EXPECT_TRUE(dialogs->asked.empty()) << c.when;
  }
  EXPECT_EQ(test::ReadBytes(backup / "PRJDATA.ini"), backupInfo);
  EXPECT_EQ(test::ReadBytes(project / "PRJDATA.ini")[52], uint8_t('M'));
  Click(window->AudBtn);
}

TEST_F(MainWindow, ANewProjectNameIsShownEvenWhenItsFileCannotBeUpdated) {
  Open(project);
  // Root opens any file; a folder in the information file's place cannot be opened for update.
  fs::remove(project / "PRJDATA.ini");
  fs::create_directory(project / "PRJDATA.ini");
  dialogs->entries.push_back(QStringLiteral(""));
  window->ProjNameDblClick();
  EXPECT_EQ(window->ProjName->text(), QStringLiteral(" "));
  ASSERT_EQ(dialogs->messages.size(), 1u);
  // The file and the system's reason on a second line.
  EXPECT_EQ(dialogs->messages[0], QString::fromLatin1(messages::ProjectFileNotOpened) + QLatin1Char('\n') +
                                      Q(project / "PRJDATA.ini") + QStringLiteral(" (Is a directory)"));
}

// ---------------------------------------------------------------------------
// New folder and refresh

TEST_F(MainWindow, NewFolderCreatesTheFolderAndShowsItOrReselectsWhatIsThere) {
  TNfWin form(window.get());
  window->SetNfWin(&form);
  window->DirTree->SetDirectory(Q(scratch.path()));
  RunUntilIdle();
  QSignalSpy reports(window->DirTree, &TDirTreeView::OnChange);

  struct Case {
    const char* typed;
    int result;
    fs::path selected;  // what the window shows afterwards
    int reports;        // the rebuild reports the current folder, then the new one follows
  };
  const Case cases[] = {
      {"take2", TNfWin::ResultOk, scratch / "take2", 2},
      {"plain", TNfWin::ResultOk, scratch / "plain", 2},  // exists already: selected
      {"", TNfWin::ResultOk, scratch.path(), 1},           // nothing made: the current folder again
      {"never", TNfWin::ResultCancel, scratch.path(), 0},
  };
  for (const Case& c : cases) {
    window->DirTree->SetDirectory(Q(scratch.path()));
    reports.clear();
    dialogs->modal = [&](QDialog&) {
      form.FolderEdit->setText(QString::fromLatin1(c.typed));
      return c.result;
    };
    window->NewFldrBtnClick();
    EXPECT_EQ(reports.count(), c.reports) << c.typed;
    EXPECT_EQ(window->windowTitle(), window->BaseCaption + QStringLiteral(" - ") + Q(c.selected)) << c.typed;
  }
  EXPECT_TRUE(fs::is_directory(scratch / "take2"));
  EXPECT_FALSE(fs::exists(scratch / "never"));
}

TEST_F(MainWindow, RefreshReadsTheProjectAgain) {
  window->DirTree->SetDirectory(Q(project));
  RunUntilIdle();
  ASSERT_TRUE(window->Model().ProjectOpen);
  EXPECT_FALSE(window->TakeSel->GetAssigned(3, 0));
  test::WriteTake(project / "TRACK3_0.DAT", "Late", test::Ramp(10));
  QTest::mouseClick(window->RefBtn, Qt::LeftButton);
  EXPECT_TRUE(window->TakeSel->GetAssigned(3, 0));
  EXPECT_EQ(window->TakeSel->GetCaptions(3, 0), QStringLiteral("Late    "));
}

}  // namespace
}  // namespace tp
