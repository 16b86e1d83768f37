// Several files chosen at once in the real open dialog, and a file of more
// channels than import tracks, asked about in the real question box; the
// take files read back from the disk.
#include <QAbstractButton>
#include <QComboBox>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <sndfile.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/tmainwin.h"
#include "dialogs/dialogfixture.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "dialogs/tcopendialog.h"
#include "support/projectfixture.h"
#include "support/sndfileio.h"
#include "windowfixture.h"

namespace tp {
namespace {

namespace fs = std::filesystem;
using test::Click;
using test::Q;
using test::RunUntilIdle;

// Clicks the button of the question box whose text is `button` once the
// box is up, keeping the box's text; gives up after a while so that a
// missing question fails the test instead of hanging it.
void ClickInQuestion(const QString& button, QString& text, int triesLeft = 500) {
  QTimer::singleShot(10, [button, &text, triesLeft] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) {
      if (triesLeft > 0) ClickInQuestion(button, text, triesLeft - 1);
      return;
    }
    text = box->text();
    for (QAbstractButton* candidate : box->buttons())
      if (candidate->text().remove(QLatin1Char('&')) == button) QTest::mouseClick(candidate, Qt::LeftButton);
  });
}

class ImportMany : public test::WindowTest {
 protected:
  ImportMany() {
    fs::create_directories(project);
    fs::create_directories(sources);
    test::WriteProjectInfo(project, "IMPORT");
    window = MakeWindow(false);
    window->show();
    Open(project);
  }
  ~ImportMany() override { window.reset(); }

  // Channel c of frame n holds (c + 1) * 100 + n % 50.
  std::vector<int16_t> WriteSource(const std::string& file, int format, int channels, size_t frames) {
    std::vector<int16_t> samples;
    for (size_t n = 0; n < frames; ++n)
      for (int c = 0; c < channels; ++c) samples.push_back(int16_t((c + 1) * 100 + int(n % 50)));
    test::WriteWithSndfile(sources / file, format | SF_FORMAT_PCM_16, channels, 44100, samples);
    return samples;
  }

  // The user types `typed` into the real dialog's name box in the sources
  // folder and presses Return.
  void ChooseInTheRealDialog(const QString& typed) {
    dialogs->open = [this, typed](TCOpenDialog& dialog) {
      QTimer::singleShot(0, [this, &dialog, typed] {
        QFileDialog* files = dialog.FileDialog();
        ASSERT_NE(files, nullptr);
        files->setDirectory(Q(sources));
        auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setFocus();
        name->setText(typed);
        QTest::keyClick(name, Qt::Key_Return);
      });
      return StandardDialogs().OpenFile(dialog);
    };
  }

  std::vector<int16_t> Take(int track, int take) const {
    return test::ReadTakeSamples(project / TakeFileName(track, take));
  }

  const fs::path project = scratch / "import";
  const fs::path sources = scratch / "sources";
};

TEST_F(ImportMany, ThreeFilesChosenInTheOpenDialogGoToConsecutiveTracks) {
  const auto kick = WriteSource("kick.wav", SF_FORMAT_WAV, 1, 1000);
  const auto pads = WriteSource("pads.aif", SF_FORMAT_AIFF, 2, 2000);
  const auto bass = WriteSource("bass.flac", SF_FORMAT_FLAC, 1, 3000);
  Click(window->TrackSel, 2, 0);
  Click(window->TakeSel, 2, 1);
  ChooseInTheRealDialog(QStringLiteral("\"kick.wav\" \"pads.aif\" \"bass.flac\""));
  Click(window->ImpBtn);
  RunUntilIdle();
  EXPECT_EQ(window->WavOpen->FileNames().size(), 3);
  // The dialog lists them in the order typed: track 3, tracks 4 and 5, track 6.
  EXPECT_EQ(Take(2, 1), test::ChannelOf(kick, 1, 0, 32768));
  EXPECT_EQ(Take(3, 1), test::ChannelOf(pads, 2, 0, 32768));
  EXPECT_EQ(Take(4, 1), test::ChannelOf(pads, 2, 1, 32768));
  EXPECT_EQ(Take(5, 1), test::ChannelOf(bass, 1, 0, 32768));
  EXPECT_FALSE(fs::exists(project / TakeFileName(6, 1)));
  for (int track : {2, 3, 4, 5}) EXPECT_TRUE(window->TakeSel->GetAssigned(track, 1)) << track;
  EXPECT_FALSE(window->ImpBtn->Down());
}

TEST_F(ImportMany, AFileOfMoreChannelsThanImportTracksAsksWhereTheyGo) {
  struct Case {
    QString answer;
    int tracksWritten;
  };
  const auto four = WriteSource("Drums.wav", SF_FORMAT_WAV, 4, 500);
  for (const Case& c : {Case{QStringLiteral("Cancel"), 0}, Case{QStringLiteral("First channel only"), 1},
                        Case{QStringLiteral("Yes"), 4}}) {
    SCOPED_TRACE(c.answer.toStdString());
    if (!window->TrackSel->GetDown(4, 0)) Click(window->TrackSel, 4, 0);
    if (!window->TakeSel->GetDown(4, 2)) Click(window->TakeSel, 4, 2);
    ChooseInTheRealDialog(QStringLiteral("Drums.wav"));
    QString asked;
    ClickInQuestion(c.answer, asked);
    Click(window->ImpBtn);
    RunUntilIdle();
    EXPECT_EQ(asked, QStringLiteral("Import all 4 channels to tracks 5\u20138, take 3?"));
    for (int channel = 0; channel < 4; ++channel) {
      const fs::path take = project / TakeFileName(4 + channel, 2);
      EXPECT_EQ(fs::exists(take), channel < c.tracksWritten) << channel;
      if (channel < c.tracksWritten) EXPECT_EQ(Take(4 + channel, 2), test::ChannelOf(four, 4, channel, 32768));
    }
    for (int channel = 0; channel < 4; ++channel) fs::remove(project / TakeFileName(4 + channel, 2));
    Open(project);
  }
}

// A stems folder from a DAW: every kind of audio file the import reads is
// listed under "Audio" whatever its extension's letter case, and "AIFF"
// lists all three AIFF extensions.
TEST_F(ImportMany, TheOpenDialogListsEveryAudioExtensionAndAllThreeAiffOnes) {
  const std::vector<std::string> audio = {"a.wav",  "b.WAVE", "c.aif", "d.AIFF", "e.aifc", "f.flac", "g.w64",
                                          "h.rf64", "i.caf",  "j.ogg", "k.oga",  "l.OPUS", "m.mp3"};
  for (const std::string& name : audio) test::WriteBytes(sources / name, {'x'});
  test::WriteBytes(sources / "notes.txt", {'x'});
  std::set<QString> allAudio, aiff;
  for (const std::string& name : audio) allAudio.insert(QString::fromStdString(name));
  aiff = {QStringLiteral("c.aif"), QStringLiteral("d.AIFF"), QStringLiteral("e.aifc")};
  std::set<QString> listedUnderAudio, listedUnderAiff;
  QString aiffText;
  Click(window->TrackSel, 0, 0);
  Click(window->TakeSel, 0, 0);
  dialogs->open = [&](TCOpenDialog& dialog) {
    dialog.SetInitialDir(Q(sources));
    dialog.SetFilterIndex(1);
    return test::executeWith(dialog, [&] {
      QFileDialog* files = dialog.FileDialog();
      ASSERT_NE(files, nullptr);
      listedUnderAudio = test::listedNames(*files, Q(sources), allAudio.size());
      auto* types = files->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
      ASSERT_NE(types, nullptr);
      types->setFocus();
      QTest::keyClick(types, Qt::Key_Down);
      QTest::keyClick(types, Qt::Key_Down);
      aiffText = types->currentText();
      for (int waited = 0; waited < 2000 && test::listedNames(*files, Q(sources), 0).size() != aiff.size(); waited += 10)
        QTest::qWait(10);
      listedUnderAiff = test::listedNames(*files, Q(sources), aiff.size());
    });
  };
  Click(window->ImpBtn);
  EXPECT_EQ(listedUnderAudio, allAudio);
  EXPECT_EQ(aiffText, QStringLiteral("AIFF(*.aif;*.aiff;*.aifc)"));
  EXPECT_EQ(listedUnderAiff, aiff);
  EXPECT_FALSE(window->ImpBtn->Down()) << "cancelled";
}

// Near the last track the channels would run past track 16: the question
// says how many fit before any is left out.
TEST_F(ImportMany, ChannelsThatRunPastTheLastTrackAreAskedAboutBeforeAnyIsLeftOut) {
  const auto six = WriteSource("Session.wav", SF_FORMAT_WAV, 6, 500);
  const auto stereo = WriteSource("Pads.wav", SF_FORMAT_WAV, 2, 500);
  struct Case {
    const char* file;
    int channels, firstTrack;
    QString answer, question;
    int tracksWritten;
  };
  const QString sixQuestion = QStringLiteral("Import 4 of the 6 channels to tracks 13\u201316?");
  const QString stereoQuestion = QStringLiteral("Import only the left channel to track 16?");
  const Case cases[] = {
      {"Session.wav", 6, 12, QStringLiteral("Cancel"), sixQuestion, 0},
      {"Session.wav", 6, 12, QStringLiteral("First channel only"), sixQuestion, 1},
      {"Session.wav", 6, 12, QStringLiteral("Yes"), sixQuestion, 4},
      {"Pads.wav", 2, 15, QStringLiteral("Cancel"), stereoQuestion, 0},
      {"Pads.wav", 2, 15, QStringLiteral("Yes"), stereoQuestion, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + c.answer.toStdString());
    const std::vector<int16_t>& source = c.channels == 6 ? six : stereo;
    // A fresh window: its open dialog offers no file chosen before.
    window = MakeWindow(false);
    window->show();
    Open(project);
    Click(window->TrackSel, c.firstTrack, 0);
    Click(window->TakeSel, c.firstTrack, 1);
    ChooseInTheRealDialog(QString::fromLatin1(c.file));
    QString asked;
    ClickInQuestion(c.answer, asked);
    Click(window->ImpBtn);
    RunUntilIdle();
    EXPECT_EQ(asked, c.question) << (dialogs->messages.empty() ? std::string() : dialogs->messages.back().toStdString());
    for (int track = c.firstTrack; track < TrackCount; ++track) {
      const int channel = track - c.firstTrack;
      EXPECT_EQ(fs::exists(project / TakeFileName(track, 1)), channel < c.tracksWritten) << track;
      if (channel < c.tracksWritten)
        EXPECT_EQ(Take(track, 1), test::ChannelOf(source, c.channels, channel, 32768)) << track;
      fs::remove(project / TakeFileName(track, 1));
    }
  }
}

}  // namespace
}  // namespace tp
