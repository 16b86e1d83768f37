// The export from the main window, offscreen: the save dialog answered by the
// test, the file read back with libsndfile and compared with the take files'
// samples (a centred strip at volume 100 passes a sample unchanged to both
// sides, a strip panned hard to one side to that side only).
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QFileDialog>
#include <QHeaderView>
#include <QToolButton>
#include <QTreeView>
#include <QLineEdit>
#include <QTimer>
#include <QLabel>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "app/tmainwin.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "controls/tslider.h"
#include "controls/tvolume.h"
#include "project/messages.h"
#include "support/projectfixture.h"
#include "support/sndfileio.h"
#include "windowfixture.h"

namespace tp {
namespace {

namespace fs = std::filesystem;
using test::Click;
using test::Q;
using test::RunUntilIdle;

int16_t Clamp(int value) { return int16_t(std::clamp(value, -32768, 32767)); }
int16_t At(const std::vector<int16_t>& take, size_t frame) { return frame < take.size() ? take[frame] : 0; }

class Export : public test::WindowTest {
 protected:
  // Track 3 take 2 alone is the one-take case; tracks 1 and 5 the mixdown;
  // master take 3 the stereo pair.
  const std::vector<int16_t> single = test::Ramp(100000, -20000, 1);
  const std::vector<int16_t> track1 = test::Ramp(50000, 30000, -1);
  const std::vector<int16_t> track5 = test::Ramp(40000, 5000, 1);
  const std::vector<int16_t> masterL = test::Ramp(30000, -7, 2);
  const std::vector<int16_t> masterR = test::Ramp(30000, 7, -2);

  Export() {
    fs::create_directories(project);
    test::WriteProjectInfo(project, "EXPORT");
    test::WriteTake(project / "TRACK2_1.DAT", "One", single);
    test::WriteTake(project / "TRACK0_0.DAT", "T1", track1);
    test::WriteTake(project / "TRACK4_0.DAT", "T5", track5);
    test::WriteTake(project / "TRACKL_2.DAT", "Mas", masterL);
    test::WriteTake(project / "TRACKR_2.DAT", "Mas", masterR);
    window = MakeWindow(false);
    window->show();
    Open(project);
  }

  void AnswerSave(const fs::path& file, int filterIndex = 1) {
    dialogs->save = [file, filterIndex](SaveDialog& dialog) {
      dialog.fileName = Q(file);
      dialog.filterIndex = filterIndex;
      return true;
    };
  }
  void SelectTracks1And5() {
    Click(window->TakeSel, 0, 0);
    Click(window->TakeSel, 4, 0);
  }
  void SelectMasterTake3() {
    Click(window->MasterSel);
    Click(window->MasTakeSel, 0, 2);
  }
  // Runs an export to completion; the result box ends it.
  void ExportTo(const fs::path& file, int filterIndex = 1) {
    AnswerSave(file, filterIndex);
    Click(window->ExpBtn);
  }
  void ExpectIdleAgain() {
    EXPECT_FALSE(window->ExpBtn->Down());
    EXPECT_EQ(window->Conversion, 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the cursor is back";
  }

  const fs::path project = scratch / "export";
  const fs::path out = scratch / "out";
};

TEST_F(Export, WritesOneTakeAMixdownOrAMasterPairInWholeBlocks) {
  struct Case {
    const char* selection;
    std::function<void()> select;
    int channels;
    int64_t frames;
    std::function<std::pair<int16_t, int16_t>(size_t)> expected;  // left (or mono), right
    QString message = QStringLiteral("Converted");
  };
  const Case cases[] = {
      {"one take of 100,000 samples", [&] { Click(window->TakeSel, 2, 1); }, 1, 131072,
       [&](size_t n) { return std::pair<int16_t, int16_t>{At(single, n), 0}; }},
      {"tracks 1 and 5 centred", [&] { SelectTracks1And5(); }, 2, 65536,
       [&](size_t n) {
         const int16_t both = Clamp(At(track1, n) + At(track5, n));
         return std::pair<int16_t, int16_t>{both, both};
       },
       // (30000 - n) + (5000 + n) = 35000 saturates on every frame until
       // track 5's ramp passes 32767 and wraps, at frame 27,768.
       QStringLiteral("Converted\n27768 samples clipped")},
      {"tracks 1 and 5 panned apart",
       [&] {
         SelectTracks1And5();
         for (int i = 0; i < 5; ++i) QTest::keyClick(window->Pans[0], Qt::Key_PageDown);
         for (int i = 0; i < 5; ++i) QTest::keyClick(window->Pans[4], Qt::Key_PageUp);
       },
       2, 65536, [&](size_t n) { return std::pair<int16_t, int16_t>{At(track1, n), At(track5, n)}; }},
      {"master take 3 whatever the mixer",
       [&] {
         QTest::keyClick(window->Volumes[0], Qt::Key_PageDown);
         QTest::keyClick(window->Pans[1], Qt::Key_Left);
         SelectMasterTake3();
       },
       2, 32768, [&](size_t n) { return std::pair<int16_t, int16_t>{At(masterL, n), At(masterR, n)}; }},
  };
  int number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.selection);
    window = MakeWindow(false);
    Open(project);
    c.select();
    const fs::path file = scratch / ("case" + std::to_string(++number) + ".wav");
    ExportTo(file);

    // The loudness line that follows is the loudness tests' concern.
    ASSERT_EQ(dialogs->messages.size(), 1u);
    EXPECT_TRUE(dialogs->messages[0].startsWith(c.message + QLatin1Char('\n'))) << dialogs->messages[0].toStdString();
    ExpectIdleAgain();
    EXPECT_EQ(window->Slider->Position(), 0);
    const test::SoundData sound = test::ReadWithSndfile(file);
    EXPECT_EQ(sound.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(sound.sampleRate, 44100);
    ASSERT_EQ(sound.channels, c.channels);
    ASSERT_EQ(sound.frames, c.frames);
    for (size_t n = 0; n < size_t(c.frames); ++n) {
      const auto [left, right] = c.expected(n);
      ASSERT_EQ(sound.samples[n * c.channels], left) << "frame " << n;
      if (c.channels == 2) {
        ASSERT_EQ(sound.samples[n * 2 + 1], right) << "frame " << n;
      }
    }
  }
}

TEST_F(Export, OffersWaveAndAiffAndTakesTheFormatFromTheNameAndTheFilter) {
  struct Case {
    const char* typed;
    int filterIndex;
    const char* written;
    int format;
  };
  const Case cases[] = {
      {"song", 2, "song.aif", SF_FORMAT_AIFF},
      {"loud.AIF", 1, "loud.AIF", SF_FORMAT_AIFF},
      {"plain.wav", 2, "plain.wav", SF_FORMAT_WAV},
      {"notes.txt", 1, "notes.txt", SF_FORMAT_WAV},
  };
  Click(window->TakeSel, 2, 1);
  for (const Case& c : cases) {
    ExportTo(scratch / c.typed, c.filterIndex);
    EXPECT_EQ(window->WavSave.fileName, Q(scratch / c.written)) << c.typed;
    ASSERT_TRUE(fs::exists(scratch / c.written)) << c.typed;
    EXPECT_EQ(test::ReadWithSndfile(scratch / c.written).format, c.format | SF_FORMAT_PCM_16) << c.typed;
  }
  ASSERT_FALSE(dialogs->saveDialogsShown.empty());
  const SaveDialog& offered = dialogs->saveDialogsShown.front();
  EXPECT_EQ(offered.filter, QStringLiteral("Windows Wave(*.wav)|*.wav|AIFF(*.aif)|*.aif|FLAC (*.flac)|*.flac"));
  EXPECT_EQ(offered.defaultExt, QStringLiteral("wav"));
  // The selection's own name is offered, in the last export's folder, with
  // the extension of the type chosen the time before (AIFF, third case).
  EXPECT_EQ(dialogs->saveDialogsShown.back().fileName, Q(scratch / "Track03-2 One.aif"));
  EXPECT_EQ(dialogs->saveDialogsShown.back().filterIndex, 2);
}

// Through Qt's own dialog, as a user picks the type: the list shows the
// texts without their patterns and reports the choice by the text shown.
TEST_F(Export, ChoosingAiffInTheRealSaveDialogWritesAnAiffNamedWithItsExtension) {
  Click(window->TakeSel, 2, 1);
  dialogs->realSaveDialog = true;
  fs::create_directories(out);
  // The dialog opens in `out`, where nothing completes what is typed.
  window->LastExportFolder = Q(out);
  test::SaveThroughTheRealDialog(window->ExpBtn, 1, QStringLiteral("AIFF(*.aif)"), QStringLiteral("song"));
  EXPECT_EQ(window->WavSave.fileName, Q(out / "song.aif"));
  EXPECT_EQ(window->WavSave.filterIndex, 2);
  ASSERT_TRUE(fs::exists(out / "song.aif"));
  EXPECT_FALSE(fs::exists(out / "song.wav"));
  EXPECT_EQ(test::ReadWithSndfile(out / "song.aif").format, SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
}

TEST_F(Export, WithoutAPreviousNameTheDialogOffersTheNameStemsWouldGiveInTheLastExportFolder) {
  struct Case {
    const char* selection;
    std::function<void()> select;
    const char* offered;
  };
  const Case cases[] = {
      {"one take", [&] { Click(window->TakeSel, 2, 1); }, "Track03-2 One.wav"},
      {"a mixdown", [&] { SelectTracks1And5(); }, "EXPORT mix.wav"},
      {"a master take", [&] { SelectMasterTake3(); }, "Master3 Mas.wav"},
  };
  window->LastExportFolder = Q(out);
  dialogs->save = [](SaveDialog&) { return false; };
  for (const Case& c : cases) {
    Open(project);  // a fresh selection
    c.select();
    Click(window->ExpBtn);
    ASSERT_FALSE(dialogs->saveDialogsShown.empty());
    EXPECT_EQ(dialogs->saveDialogsShown.back().fileName, Q(out / c.offered)) << c.selection;
    EXPECT_TRUE(window->WavSave.fileName.isEmpty()) << "a cancelled dialog leaves no name behind";
  }
  // After an export only its folder is remembered: the next selection is
  // offered its own name there, never the name chosen before.
  fs::create_directories(scratch / "elsewhere");
  ExportTo(scratch / "elsewhere" / "mine.wav");
  EXPECT_EQ(window->LastExportFolder, Q(scratch / "elsewhere"));
  dialogs->save = [](SaveDialog&) { return false; };
  for (const Case& c : cases) {
    Open(project);
    c.select();
    Click(window->ExpBtn);
    EXPECT_EQ(dialogs->saveDialogsShown.back().fileName, Q(scratch / "elsewhere" / c.offered)) << c.selection;
  }
}

// The save dialog's detail view shows sizes and types whole, not cut to
// dots: each column but the name's is as wide as what it shows.
TEST_F(Export, TheRealSaveDialogsColumnsAreAsWideAsTheirContents) {
  fs::create_directories(out);
  window->LastExportFolder = Q(out);
  Click(window->TakeSel, 2, 1);
  ExportTo(out / "A rather long name for an export.wav");
  dialogs->realSaveDialog = true;
  std::vector<std::pair<int, int>> widths;  // shown, needed
  QTimer::singleShot(0, [&] {
    auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(files, nullptr);
    auto* detail = files->findChild<QToolButton*>(QStringLiteral("detailModeButton"));
    auto* tree = files->findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_TRUE(detail && tree);
    QTest::mouseClick(detail, Qt::LeftButton);
    for (int waited = 0; waited < 1000 && tree->model()->rowCount(tree->rootIndex()) == 0; ++waited)
      QTest::qWait(10);
    QCoreApplication::processEvents();
    // Needed: the widest text the column shows, as the view's font draws it.
    const QAbstractItemModel* model = tree->model();
    for (int column = 1; column < tree->header()->count(); ++column) {
      int needed = 0;
      for (int row = 0; row < model->rowCount(tree->rootIndex()); ++row) {
        const QString text = model->index(row, column, tree->rootIndex()).data().toString();
        needed = std::max(needed, tree->fontMetrics().horizontalAdvance(text));
      }
      widths.emplace_back(tree->columnWidth(column), needed);
    }
    files->reject();
  });
  Click(window->ExpBtn);
  ASSERT_EQ(widths.size(), 3u) << "size, type and date";
  for (const auto& [shown, needed] : widths) {
    EXPECT_GT(needed, 0);
    EXPECT_GE(shown, needed);
  }
}

// In Qt's own dialog, after a first export: the name field holds the new
// selection's name, so Enter cannot overwrite the file exported before.
TEST_F(Export, TheRealSaveDialogOffersAFreshNameAfterAnExport) {
  fs::create_directories(out);
  window->LastExportFolder = Q(out);
  Click(window->TakeSel, 2, 1);
  ExportTo(out / "bigmix.wav");
  ASSERT_TRUE(fs::exists(out / "bigmix.wav"));
  Open(project);
  SelectTracks1And5();
  dialogs->realSaveDialog = true;
  QString shownName;
  QTimer::singleShot(0, [&] {
    auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(files, nullptr);
    shownName = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
    files->reject();
  });
  Click(window->ExpBtn);
  EXPECT_EQ(shownName, QStringLiteral("EXPORT mix.wav"));
}

// What the user sees in Qt's own dialog: the suggestion in the name field,
// the last export folder listed.
TEST_F(Export, TheRealSaveDialogShowsTheSuggestedNameInTheLastExportFolder) {
  Click(window->TakeSel, 2, 1);
  dialogs->realSaveDialog = true;
  fs::create_directories(out);
  window->LastExportFolder = Q(out);
  QString shownName, shownFolder;
  QTimer::singleShot(0, [&] {
    auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(files, nullptr);
    shownName = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
    shownFolder = files->directory().absolutePath();
    files->reject();
  });
  Click(window->ExpBtn);
  EXPECT_EQ(shownName, QStringLiteral("Track03-2 One.wav"));
  EXPECT_EQ(shownFolder, Q(out));
  EXPECT_FALSE(window->ExpBtn->Down());
}

TEST_F(Export, CancellingTheSaveDialogPutsTheButtonBackAndWritesNothing) {
  Click(window->TakeSel, 2, 1);
  dialogs->save = [](SaveDialog&) { return false; };
  Click(window->ExpBtn);
  ExpectIdleAgain();
  EXPECT_TRUE(dialogs->messages.empty());
  EXPECT_EQ(dialogs->saveDialogsShown.size(), 1u);
}

TEST_F(Export, ASecondClickOnTheButtonAbortsBeforeTheNextBlockAndKeepsACompleteFile) {
  Click(window->TakeSel, 2, 1);  // 100,000 samples: four blocks
  std::string states;
  Qt::CursorShape cursor = Qt::ArrowCursor;
  bool blankStartedAnAudition = true;
  // Once the slider shows the second block written, the user clicks
  // ExpBtn and types a blank; the click arrives between two blocks.
  QObject::connect(window->Slider, &TSlider::OnChanging, window.get(), [&](TSlider*, int position) {
    if (window->Conversion != 2 || position != 32768) return;
    states = EnabledStates();
    if (const QCursor* shown = QApplication::overrideCursor()) cursor = shown->shape();
    QTest::keyClick(window->ExpBtn, Qt::Key_Space);
    blankStartedAnAudition = window->AudBtn->Down() || window->Playing;
    test::PostClick(window->ExpBtn);
  });
  const fs::path file = scratch / "aborted.wav";
  ExportTo(file);

  EXPECT_EQ(dialogs->messages, std::vector<QString>{QStringLiteral("Aborted")});
  ExpectIdleAgain();
  // TakeSel MasTakeSel TrackSel MasterSel ImpBtn ExpBtn AudBtn Slider ProjName Folders Mixer New
  EXPECT_EQ(states, "000001000000") << "only ExpBtn is usable while exporting";
  EXPECT_EQ(cursor, Qt::WaitCursor);
  EXPECT_FALSE(blankStartedAnAudition) << "a blank during an export does nothing";
  EXPECT_EQ(EnabledStates(), "101101111111");

  const test::SoundData sound = test::ReadWithSndfile(file);
  ASSERT_EQ(sound.frames, 65536) << "the two blocks written before the click";
  EXPECT_TRUE(std::equal(sound.samples.begin(), sound.samples.end(), single.begin()));
}

// Escape pressed in the window stops the export as the second click does;
// meanwhile the status bar says how to stop it.
TEST_F(Export, EscapeStopsTheExportWhichTheStatusBarSaysWhileItRuns) {
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  Click(window->TakeSel, 2, 1);  // 100,000 samples: four blocks
  QString said;
  QObject::connect(window->Slider, &TSlider::OnChanging, window.get(), [&](TSlider*, int position) {
    if (window->Conversion != 2 || position != 32768) return;
    said = window->StatusPanels[0]->text();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.get(), Qt::Key_Escape);
  });
  const fs::path file = scratch / "escaped.wav";
  ExportTo(file);

  EXPECT_EQ(said, QStringLiteral("Press Esc or click EXPORT again to stop"));
  EXPECT_EQ(dialogs->messages, std::vector<QString>{QStringLiteral("Aborted")});
  ExpectIdleAgain();
  EXPECT_EQ(window->StatusPanels[0]->text(), QString()) << "the hint goes with the export";
  EXPECT_EQ(test::ReadWithSndfile(file).frames, 65536) << "the two blocks written before the key";
}

TEST_F(Export, TheSliderShowsTheStartOfEachBlockWrittenThenGoesBackToZero) {
  SelectTracks1And5();
  window->Slider->SetPosition(1234);
  std::vector<int> shown;
  QObject::connect(window->Slider, &TSlider::OnChanging, window.get(), [&](TSlider*, int position) {
    if (window->Conversion == 2) shown.push_back(position);
  });
  ExportTo(scratch / "progress.wav");
  // Zero at the start, each block's start once it is written, the end,
  // and zero again once the result was shown.
  EXPECT_EQ(shown, (std::vector<int>{0, 0, 32768, 50000, 0}));
  EXPECT_EQ(window->Slider->Position(), 0);
  EXPECT_EQ(window->Slider->Max(), 50000);
}

TEST_F(Export, AFailureIsReportedWithTheEnginesMessageAndChangesNothing) {
  struct Case {
    const char* situation;
    std::function<fs::path()> prepare;  // returns the file to save to
    const char* message;
    const char* namedFile;  // what the second line of the message names
  };
  const Case cases[] = {
      {"a selected take file is gone",
       [&] {
         fs::remove(project / "TRACK2_1.DAT");
         return scratch / "gone.wav";
       },
       messages::TakeNotOpened, "TRACK2_1.DAT (No such file or directory)"},
      {"the folder to write into does not exist", [&] { return scratch / "no such folder" / "x.wav"; },
       messages::OutputNotCreated, "x.wav (No such file or directory)"},
      {"a folder stands where the file would go",
       [&] {
         fs::create_directories(scratch / "taken.wav" / "inside");
         return scratch / "taken.wav";
       },
       messages::OutputNotWritten, "taken.wav (Is a directory)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.situation);
    test::WriteTake(project / "TRACK2_1.DAT", "One", single);
    window = MakeWindow(false);
    Open(project);
    Click(window->TakeSel, 2, 1);
    window->Slider->SetPosition(4321);
    const fs::path file = c.prepare();
    ExportTo(file);
    ASSERT_EQ(dialogs->messages.size(), 1u);
    const QStringList lines = dialogs->messages[0].split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2) << dialogs->messages[0].toStdString();
    EXPECT_EQ(lines[0], QString::fromLatin1(c.message));
    EXPECT_TRUE(lines[1].endsWith(QString::fromLatin1(c.namedFile))) << lines[1].toStdString();
    ExpectIdleAgain();
    EXPECT_EQ(window->Slider->Position(), 4321) << "the slider is where it was";
    EXPECT_EQ(window->Slider->Max(), 100000);
    EXPECT_FALSE(fs::is_regular_file(file));
  }
}

}  // namespace
}  // namespace tp
