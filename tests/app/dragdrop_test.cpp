// Files dropped from a file manager onto the take matrices, as the platform
// delivers a drop: a drag-enter, then the drop, with the file's URL.
#include <QApplication>
#include <QTimer>
#include <QMessageBox>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <sndfile.h>

#include <filesystem>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "app/tmainwin.h"
#include "audiofile/byteorder.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "support/projectfixture.h"
#include "support/sndfileio.h"
#include "windowfixture.h"

namespace tp {
namespace {

namespace fs = std::filesystem;
using test::Click;
using test::Q;
using test::RunUntilIdle;

class DragDrop : public test::WindowTest {
 protected:
  DragDrop() {
    fs::create_directories(project);
    fs::create_directories(sources);
    test::WriteProjectInfo(project, "DROPS");
    test::WriteTake(project / "TRACK0_0.DAT", "Old", test::Ramp(500));
    window = MakeWindow(true);
    window->show();
    Open(project);
  }

  std::vector<int16_t> WriteSource(const std::string& file, int format, int channels, size_t frames) {
    std::vector<int16_t> samples(frames * channels);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = int16_t((i % channels ? -3 : 5) * int(i / channels % 6000));
    test::WriteWithSndfile(sources / file, format | SF_FORMAT_PCM_16, channels, 44100, samples);
    return samples;
  }

  // True when the matrix took the drop.
  static bool Drop(TBtnMtx* matrix, int row, int column, const fs::path& file) {
    const QPoint at(column * matrix->BtnWidth() + 7, row * matrix->BtnHeight() + 7);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Q(file))});
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(matrix, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(matrix, &drop);
    RunUntilIdle();
    return drop.isAccepted();
  }

  const fs::path project = scratch / "drops";
  const fs::path sources = scratch / "sources";
};

TEST_F(DragDrop, AFileDroppedOnATakeIsImportedThereAndAStereoOneFillsTheNextTrackToo) {
  struct Target {
    const char* file;
    int channel;
  };
  struct Case {
    const char* situation;
    std::function<TBtnMtx*()> matrix;
    int row, column;
    const char* source;
    int format, channels;
    std::vector<Target> targets;
    const char* absent;  // a file that must not appear
  };
  const Case cases[] = {
      {"mono on Track3-4", [&] { return window->TakeSel; }, 2, 3, "mono.wav", SF_FORMAT_WAV, 1,
       {{"TRACK2_3.DAT", 0}}, "TRACK3_3.DAT"},
      {"stereo on Track5-1", [&] { return window->TakeSel; }, 4, 0, "pair.aif", SF_FORMAT_AIFF, 2,
       {{"TRACK4_0.DAT", 0}, {"TRACK5_0.DAT", 1}}, nullptr},
      // Known by its contents, not its name.
      {"stereo FLAC without an extension on Track7-2", [&] { return window->TakeSel; }, 6, 1, "stems-7", SF_FORMAT_FLAC,
       2, {{"TRACK6_1.DAT", 0}, {"TRACK7_1.DAT", 1}}, nullptr},
      {"stereo on Track16-3: the left channel only", [&] { return window->TakeSel; }, 15, 2, "last.wav",
       SF_FORMAT_WAV, 2, {{"TRACK152.DAT", 0}}, nullptr},
      {"stereo on master take 2",
       [&] {
         Click(window->MasterSel);
         return window->MasTakeSel;
       },
       0, 1, "master.wav", SF_FORMAT_WAV, 2, {{"TRACKL_1.DAT", 0}, {"TRACKR_1.DAT", 1}}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.situation);
    window = MakeWindow(false);
    Open(project);
    TBtnMtx* matrix = c.matrix();
    const std::vector<int16_t> source = WriteSource(c.source, c.format, c.channels, 40000);
    // On the last track a stereo drop asks first about its right channel,
    // in the real question box, answered Yes.
    QString asked;
    if (c.row == 15) {
      auto* watch = new QTimer(window.get());
      QObject::connect(watch, &QTimer::timeout, watch, [watch, &asked] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        watch->stop();
        watch->deleteLater();
        asked = box->text();
        QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
      });
      watch->start(10);
    }
    ASSERT_TRUE(Drop(matrix, c.row, c.column, sources / c.source));
    if (c.row == 15) EXPECT_EQ(asked, QStringLiteral("Import only the left channel to track 16?"));
    // What was left out is said under "Converted", as every import says it.
    EXPECT_EQ(dialogs->messages, std::vector<QString>{c.row == 15 ? QStringLiteral(
                                                                        "Converted\nChannel 2 of the file was left out.")
                                                                  : QStringLiteral("Converted")});
    EXPECT_FALSE(window->ImpBtn->Down());
    EXPECT_EQ(window->Conversion, 0);
    for (const Target& target : c.targets)
      EXPECT_EQ(test::ReadTakeSamples(project / target.file), test::ChannelOf(source, c.channels, target.channel, 65536)) << target.file;
    if (c.absent) EXPECT_FALSE(fs::exists(project / c.absent));
    EXPECT_TRUE(matrix->GetAssigned(c.row, c.column));
    EXPECT_TRUE(matrix->GetDown(c.row, c.column)) << "the matrix shows what was imported";
  }
}

TEST_F(DragDrop, ADropOnATakeThatHoldsAudioAsksFirst) {
  WriteSource("new.wav", SF_FORMAT_WAV, 1, 1000);
  const std::vector<uint8_t> before = test::ReadBytes(project / "TRACK0_0.DAT");
  dialogs->answers.push_back(false);
  EXPECT_TRUE(Drop(window->TakeSel, 0, 0, sources / "new.wav"));
  ASSERT_EQ(dialogs->questions.size(), 1u);
  EXPECT_EQ(dialogs->questions[0].second, QStringLiteral("Replace the take Old (Track01-1)?"));
  EXPECT_EQ(test::ReadBytes(project / "TRACK0_0.DAT"), before);
  EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(DragDrop, ADisabledGridOrAFileThatIsNotSoundTakesNoDrop) {
  WriteSource("ok.wav", SF_FORMAT_WAV, 1, 1000);
  test::WriteBytes(sources / "notes.txt", {'x'});
  EXPECT_FALSE(Drop(window->TakeSel, 3, 0, sources / "notes.txt"));
  test::WriteBytes(sources / "notes.wav", {'R', 'I', 'F', 'F', 'x'});
  EXPECT_FALSE(Drop(window->TakeSel, 3, 0, sources / "notes.wav")) << "a sound file's name is not enough";
  Click(window->TakeSel, 0, 0);
  Click(window->AudBtn);  // an audition disables the grid
  ASSERT_TRUE(window->Playing);
  ASSERT_FALSE(window->TakeSel->isEnabled());
  EXPECT_FALSE(Drop(window->TakeSel, 3, 0, sources / "ok.wav"));
  Click(window->AudBtn);
  EXPECT_FALSE(fs::exists(project / "TRACK3_0.DAT"));
  EXPECT_TRUE(dialogs->messages.empty());
}

// What a drag out of the window offers, read back with libsndfile: the take
// alone, mono, at its exact length, named as the export would name it.
TEST_F(DragDrop, ATakeDraggedOutIsOfferedAsACompleteMonoWaveOfExactlyItsLength) {
  const QString file = window->WriteDragFile(0, 0);
  ASSERT_FALSE(file.isEmpty());
  EXPECT_EQ(QFileInfo(file).fileName(), QStringLiteral("Track01-1 Old.wav"));
  const test::SoundData sound = test::ReadWithSndfile(QFile::encodeName(file).toStdString());
  EXPECT_EQ(sound.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  EXPECT_EQ(sound.channels, 1);
  EXPECT_EQ(sound.frames, 500);
  EXPECT_EQ(sound.samples, test::Ramp(500));
  EXPECT_TRUE(window->WriteDragFile(3, 0).isEmpty()) << "an empty cell offers nothing";
}

// The gesture: a press on the take, the pointer out of the grid with the
// button held. The drag replaces the click: the take is not selected.
TEST_F(DragDrop, PressingATakeAndLeavingTheGridStartsADragInsteadOfAClick) {
  QSignalSpy drags(window->TakeSel, &TBtnMtx::OnDragOut);
  QTest::mousePress(window->TakeSel, Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseMove(window->TakeSel, QPoint(10, -30));
  QTest::mouseRelease(window->TakeSel, Qt::LeftButton, {}, QPoint(10, -30));
  RunUntilIdle();
  ASSERT_EQ(drags.count(), 1);
  EXPECT_EQ(drags[0][1].toInt(), 0);
  EXPECT_EQ(drags[0][2].toInt(), 0);
  EXPECT_FALSE(window->Model().TakeSel[0][0].down);
}

}  // namespace
}  // namespace tp
