// The import from the main window, offscreen: sources written with
// libsndfile, the open dialog answered by the test (which also moves its
// selection, so that the preview form reports the file), and the take files
// read back byte by byte: the recorder's header of 65,536 bytes with the name
// at 1024, then 16-bit little-endian samples.
#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <sndfile.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/tmainwin.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "controls/tslider.h"
#include "dialogs/tcopendialog.h"
#include "dialogs/tgetwin.h"
#include "playback/virtualpreviewoutput.h"
#include "project/messages.h"
#include "project/taketime.h"
#include "support/filesizelimit.h"
#include "support/projectfixture.h"
#include "support/sndfileio.h"
#include "windowfixture.h"

namespace tp {
namespace {

namespace fs = std::filesystem;
using test::Click;
using test::Q;
using test::RunUntilIdle;

struct TakeOnDisk {
  std::string name;              // the 8 name bytes
  std::vector<int16_t> samples;  // after the header
};

TakeOnDisk ReadTake(const fs::path& file) {
  const std::vector<uint8_t> bytes = test::ReadBytes(file);
  TakeOnDisk take;
  if (bytes.size() < size_t(TakeHeaderSize)) return take;
  take.name.assign(bytes.begin() + TakeNameOffset, bytes.begin() + TakeNameOffset + 8);
  take.samples = test::ReadTakeSamples(file);
  return take;
}

class Import : public test::WindowTest {
 protected:
  Import() {
    fs::create_directories(project);
    fs::create_directories(sources);
    test::WriteProjectInfo(project, "IMPORT");
    test::WriteTake(project / "TRACK0_0.DAT", "Old", test::Ramp(500));
    getWin = std::make_unique<TGetWin>(nullptr, std::make_unique<VirtualPreviewOutput>());
    window = MakeWindow(false);
    window->SetGetWin(getWin.get());
    window->show();
    Open(project);
  }
  ~Import() override { window.reset(); }

  // A 16-bit source of `frames` frames whose channels can be told apart.
  std::vector<int16_t> WriteSource(const std::string& file, int format, int channels, size_t frames) {
    std::vector<int16_t> samples(frames * channels);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = int16_t((i % channels ? -3 : 5) * int(i / channels % 6000));
    test::WriteWithSndfile(sources / file, format | SF_FORMAT_PCM_16, channels, 44100, samples);
    return samples;
  }

  // The user picks `file` in the open dialog: the selection moves to it
  // first, as it does when it is clicked in the list.
  void AnswerOpen(const fs::path& file) {
    dialogs->open = [this, file](TCOpenDialog& dialog) {
      offered = &dialog;
      subFormWhenOffered = dialog.SubForm();
      dialog.SetFileName(Q(file));
      if (dialog.OnSelectionChange) dialog.OnSelectionChange(&dialog);
      return true;
    };
  }
  void ImportFrom(const fs::path& file) {
    AnswerOpen(file);
    Click(window->ImpBtn);
  }
  void ExpectIdleAgain() {
    EXPECT_FALSE(window->ImpBtn->Down());
    EXPECT_EQ(window->Conversion, 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the cursor is back";
  }

  const fs::path project = scratch / "import";
  const fs::path sources = scratch / "sources";
  std::unique_ptr<TGetWin> getWin;
  TCOpenDialog* offered = nullptr;
  QWidget* subFormWhenOffered = nullptr;
};

TEST_F(Import, WritesAMonoAStereoOrAMasterSourceIntoTheChosenTakesAndShowsThem) {
  struct Target {
    const char* file;
    const char* name;
    int channel;
  };
  struct Case {
    const char* situation;
    std::function<void()> choose;
    const char* source;
    int format, channels;
    size_t frames;
    std::vector<Target> targets;
    size_t takeLength;
    std::function<QString()> shownName;  // the caption of the new take's cell
    std::function<QString()> shownTime;  // its time on the "Time" page
  };
  const Case cases[] = {
      {"a mono file into track 2, take 4",
       [&] {
         Click(window->TrackSel, 1, 0);
         Click(window->TakeSel, 1, 3);
       },
       "kick.wav", SF_FORMAT_WAV, 1, 100000, {{"TRACK1_3.DAT", "kick    ", 0}}, 131072,
       [&] { return window->TakeSel->GetCaptions(1, 3); }, [&] { return window->Times[1]->text(); }},
      {"a stereo file over tracks 1 and 2",
       [&] {
         Click(window->TrackSel, 0, 0);
         Click(window->TrackSel, 1, 0);
         Click(window->TakeSel, 0, 0);
         Click(window->TakeSel, 1, 2);
         dialogs->answers.push_back(true);  // replace the take "Old"
       },
       "two.part.aif", SF_FORMAT_AIFF, 2, 40000,
       {{"TRACK0_0.DAT", "two.parL", 0}, {"TRACK1_2.DAT", "two.parR", 1}}, 65536,
       [&] { return window->TakeSel->GetCaptions(1, 2); }, [&] { return window->Times[0]->text(); }},
      {"a mono file into master take 5",
       [&] {
         Click(window->MasterSel);
         Click(window->MasTakeSel, 0, 4);
       },
       "mix.wav", SF_FORMAT_WAV, 1, 70000, {{"TRACKL_4.DAT", "mix     ", 0}, {"TRACKR_4.DAT", "mix     ", 0}}, 98304,
       [&] { return window->MasTakeSel->GetCaptions(0, 4); }, [&] { return window->TimeM->text(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.situation);
    window = MakeWindow(false);
    window->SetGetWin(getWin.get());
    Open(project);
    c.choose();
    ASSERT_TRUE(window->ImpBtn->isEnabled());
    const std::vector<int16_t> source = WriteSource(c.source, c.format, c.channels, c.frames);
    ImportFrom(sources / c.source);

    EXPECT_EQ(dialogs->messages, std::vector<QString>{QStringLiteral("Converted")});
    ExpectIdleAgain();
    for (const Target& target : c.targets) {
      const TakeOnDisk take = ReadTake(project / target.file);
      EXPECT_EQ(take.name, target.name) << target.file;
      EXPECT_EQ(take.samples, test::ChannelOf(source, c.channels, target.channel, c.takeLength)) << target.file;
    }
    // The matrices, times and slider show the new takes.
    EXPECT_EQ(c.shownName(), QString::fromLatin1(c.targets.back().name));
    EXPECT_EQ(c.shownTime(), QString::fromStdString(FormatTakeTime(uint32_t(c.takeLength))));
    EXPECT_EQ(window->Slider->Max(), int(c.takeLength));
    EXPECT_EQ(window->Slider->Position(), 0);
    // The preview form followed the selection.
    EXPECT_EQ(getWin->PreviewFile(), Q(sources / c.source));
    EXPECT_EQ(getWin->FsLabel()->text().trimmed(), QStringLiteral("Sampling Rate : 44100.00Hz"));
  }
}

TEST_F(Import, TheOpenDialogCarriesThePreviewFormAlongItsBottomEdge) {
  Click(window->TrackSel, 1, 0);
  Click(window->TakeSel, 1, 3);
  dialogs->open = [this](TCOpenDialog& dialog) {
    offered = &dialog;
    subFormWhenOffered = dialog.SubForm();
    return false;
  };
  Click(window->ImpBtn);
  ASSERT_NE(offered, nullptr);
  EXPECT_EQ(subFormWhenOffered, getWin.get());
  EXPECT_EQ(offered->Filter(),
            QStringLiteral("Audio(*.wav;*.wave;*.aif;*.aiff;*.aifc;*.flac;*.w64;*.rf64;*.caf;*.ogg;*.oga;*.opus;*.mp3)|"
                           "*.wav;*.wave;*.aif;*.aiff;*.aifc;*.flac;*.w64;*.rf64;*.caf;*.ogg;*.oga;*.opus;*.mp3|"
                           "Windows Wave(*.wav)|*.wav|AIFF(*.aif;*.aiff;*.aifc)|*.aif;*.aiff;*.aifc|FLAC(*.flac)|*.flac"));
  EXPECT_TRUE(offered->MultiSelect());
  EXPECT_EQ(offered->DefaultExt(), QStringLiteral("wav"));
  EXPECT_EQ(offered->SubFormPos(), fpBottom);
  EXPECT_EQ(offered->SubFormAnchors(), AllSubFormAnchors);
  EXPECT_TRUE(offered->DialogSizing());
  // Cancelled: nothing happened.
  ExpectIdleAgain();
  EXPECT_TRUE(dialogs->messages.empty());
  EXPECT_FALSE(fs::exists(project / "TRACK1_3.DAT"));
}

TEST_F(Import, ASecondClickOnTheButtonAbortsAndKeepsTheBlocksWritten) {
  Click(window->TrackSel, 1, 0);
  Click(window->TakeSel, 1, 3);
  const std::vector<int16_t> source = WriteSource("long.wav", SF_FORMAT_WAV, 1, 100000);
  std::string states;
  Qt::CursorShape cursor = Qt::ArrowCursor;
  QObject::connect(window->Slider, &TSlider::OnChanging, window.get(), [&](TSlider* slider, int position) {
    if (window->Conversion != 1 || position != 32768) return;
    EXPECT_EQ(slider->Max(), 100000) << "the slider's range is the source's length";
    states = EnabledStates();
    if (const QCursor* shown = QApplication::overrideCursor()) cursor = shown->shape();
    test::PostClick(window->ImpBtn);
  });
  ImportFrom(sources / "long.wav");

  EXPECT_EQ(dialogs->messages, std::vector<QString>{QStringLiteral("Aborted")});
  ExpectIdleAgain();
  // TakeSel MasTakeSel TrackSel MasterSel ImpBtn ExpBtn AudBtn Slider ProjName Folders Mixer New
  EXPECT_EQ(states, "000010000000") << "only ImpBtn is usable while importing";
  EXPECT_EQ(cursor, Qt::WaitCursor);
  const TakeOnDisk take = ReadTake(project / "TRACK1_3.DAT");
  EXPECT_EQ(take.samples, test::ChannelOf(source, 1, 0, 65536)) << "the two blocks written before the click";
  EXPECT_TRUE(window->TakeSel->GetAssigned(1, 3));
  EXPECT_EQ(window->Times[1]->text(), QString::fromStdString(FormatTakeTime(65536)));
}

TEST_F(Import, EscapeStopsTheImportWhichTheStatusBarSaysWhileItRuns) {
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  Click(window->TrackSel, 1, 0);
  Click(window->TakeSel, 1, 3);
  const std::vector<int16_t> source = WriteSource("long.wav", SF_FORMAT_WAV, 1, 100000);
  QString said;
  QObject::connect(window->Slider, &TSlider::OnChanging, window.get(), [&](TSlider*, int position) {
    if (window->Conversion != 1 || position != 32768) return;
    said = window->StatusPanels[0]->text();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.get(), Qt::Key_Escape);
  });
  ImportFrom(sources / "long.wav");

  EXPECT_EQ(said, QStringLiteral("Press Esc or click IMPORT again to stop"));
  EXPECT_EQ(dialogs->messages, std::vector<QString>{QStringLiteral("Aborted")});
  ExpectIdleAgain();
  EXPECT_EQ(ReadTake(project / "TRACK1_3.DAT").samples, test::ChannelOf(source, 1, 0, 65536));
}

TEST_F(Import, ReplacingTakesThatHoldAudioIsAskedFirstAndNoChangesNothing) {
  test::WriteTake(project / "TRACK1_2.DAT", "Bass", test::Ramp(300));
  test::WriteTake(project / "TRACKL_1.DAT", "Final", test::Ramp(300));
  test::WriteTake(project / "TRACKR_1.DAT", "Final", test::Ramp(300));
  WriteSource("mono.wav", SF_FORMAT_WAV, 1, 1000);
  WriteSource("stereo.wav", SF_FORMAT_WAV, 2, 1000);
  struct Case {
    const char* situation;
    std::function<void()> choose;
    const char* source;
    const char* question;  // nothing when no take is replaced
    std::vector<const char*> files;
  };
  const Case cases[] = {
      {"one take", [&] { Click(window->TrackSel, 0, 0); Click(window->TakeSel, 0, 0); }, "mono.wav",
       "Replace the take Old (Track01-1)?", {"TRACK0_0.DAT"}},
      {"a pair",
       [&] {
         Click(window->TrackSel, 0, 0);
         Click(window->TrackSel, 1, 0);
         Click(window->TakeSel, 0, 0);
         Click(window->TakeSel, 1, 2);
       },
       "stereo.wav", "Replace the takes Old (Track01-1) and Bass (Track02-3)?", {"TRACK0_0.DAT", "TRACK1_2.DAT"}},
      {"a master take", [&] { Click(window->MasterSel); Click(window->MasTakeSel, 0, 1); }, "stereo.wav",
       "Replace the take Final (Master2)?", {"TRACKL_1.DAT", "TRACKR_1.DAT"}},
      {"an empty take", [&] { Click(window->TrackSel, 4, 0); Click(window->TakeSel, 4, 0); }, "mono.wav", nullptr,
       {"TRACK4_0.DAT"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.situation);
    window = MakeWindow(false);
    Open(project);
    c.choose();
    std::vector<std::vector<uint8_t>> before;
    for (const char* file : c.files) before.push_back(fs::exists(project / file) ? test::ReadBytes(project / file) : std::vector<uint8_t>{});
    if (c.question) dialogs->answers.push_back(false);
    ImportFrom(sources / c.source);
    if (!c.question) {
      EXPECT_TRUE(dialogs->questions.empty());
      EXPECT_EQ(dialogs->messages, std::vector<QString>{QStringLiteral("Converted")});
      fs::remove(project / c.files[0]);
      continue;
    }
    ASSERT_EQ(dialogs->questions.size(), 1u);
    EXPECT_EQ(dialogs->questions[0].first, QStringLiteral("Take Importing"));
    EXPECT_EQ(dialogs->questions[0].second, QString::fromLatin1(c.question));
    EXPECT_TRUE(dialogs->messages.empty()) << "No: nothing ran";
    ExpectIdleAgain();
    for (size_t i = 0; i < c.files.size(); ++i) EXPECT_EQ(test::ReadBytes(project / c.files[i]), before[i]) << c.files[i];
  }
}

// Clicks `button` of the question box once it is up (the window's modal
// loop runs this timer), and keeps its text; gives up after a while so that
// a missing question fails the test instead of hanging it.
void AnswerQuestionBox(QMessageBox::StandardButton button, QString& text, int triesLeft = 500) {
  QTimer::singleShot(10, [button, &text, triesLeft] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) {
      if (triesLeft > 0) AnswerQuestionBox(button, text, triesLeft - 1);
      return;
    }
    text = box->text();
    QTest::mouseClick(box->button(button), Qt::LeftButton);
  });
}

// The import reads FLAC, so a FLAC file over a take that holds audio is
// asked about like any other: through the real open dialog and the real
// question box, where No leaves the take as it was and imports nothing.
TEST_F(Import, AFlacFileOverATakeAsksTheReplaceQuestionAndNoChangesNothing) {
  WriteSource("take.flac", SF_FORMAT_FLAC, 1, 1000);
  Click(window->TrackSel, 0, 0);
  Click(window->TakeSel, 0, 0);
  const auto before = test::ReadBytes(project / "TRACK0_0.DAT");
  dialogs->realQuestions = true;
  QString asked;
  dialogs->open = [&](TCOpenDialog& dialog) {
    QTimer::singleShot(0, [&] {
      QFileDialog* files = dialog.FileDialog();
      ASSERT_NE(files, nullptr);
      auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      ASSERT_NE(name, nullptr);
      // The path set whole: typed, it would open the name completer's
      // list, which takes the Return for itself.
      name->setFocus();
      name->setText(Q(sources / "take.flac"));
      AnswerQuestionBox(QMessageBox::No, asked);
      QTest::keyClick(name, Qt::Key_Return);
    });
    return StandardDialogs().OpenFile(dialog);
  };
  Click(window->ImpBtn);
  RunUntilIdle();
  EXPECT_EQ(asked, QStringLiteral("Replace the take Old (Track01-1)?"));
  ASSERT_EQ(dialogs->questions.size(), 1u);
  EXPECT_EQ(dialogs->questions[0].first, QStringLiteral("Take Importing"));
  EXPECT_TRUE(dialogs->messages.empty()) << "No: nothing ran";
  EXPECT_EQ(test::ReadBytes(project / "TRACK0_0.DAT"), before);
  ExpectIdleAgain();
}

// Enter on the real question box answers No: it is the default button.
TEST_F(Import, EnterOnTheRealQuestionBoxAnswersNo) {
  bool pressed = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    QTest::keyClick(box, Qt::Key_Return);
    pressed = true;
  });
  EXPECT_FALSE(StandardDialogs().Confirm(window.get(), QStringLiteral("Take Deleting"), QStringLiteral("Sure?")));
  EXPECT_TRUE(pressed);
}

TEST_F(Import, AFailureIsReportedAndLeavesTheTakesAsTheyWere) {
  struct Case {
    const char* situation;
    std::function<fs::path()> prepare;  // returns the source to choose
    const char* message;
    int fileSizeLimit;      // 0: none
    const char* namedFile;  // what the second line of the message names
    bool asksToReplace;     // a readable source asks before it replaces "Old"
  };
  const Case cases[] = {
      {"the source is neither WAV nor AIFF",
       [&] {
         test::WriteBytes(sources / "notes.wav", {'j', 'u', 's', 't', ' ', 't', 'e', 'x', 't'});
         return sources / "notes.wav";
       },
       messages::NotWavOrAiff, 0,
       "notes.wav (the import reads WAV, AIFF, FLAC, Ogg Vorbis, MP3, Opus, CAF, RF64, Wave64 and the other formats "
       "libsndfile decodes)",
       false},
      {"the project folder has gone",
       [&] {
         WriteSource("gone.wav", SF_FORMAT_WAV, 1, 1000);
         fs::remove_all(project);
         return sources / "gone.wav";
       },
       messages::TargetNotOpened, 0, "TRACK0_0.DAT (No such file or directory)", true},
      {"the disk fills up",
       [&] {
         WriteSource("big.wav", SF_FORMAT_WAV, 1, 100000);
         return sources / "big.wav";
       },
       messages::TakeNotWritten, 200000, "TRACK0_0.DAT (File too large)", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.situation);
    fs::create_directories(project);
    test::WriteProjectInfo(project, "IMPORT");
    test::WriteTake(project / "TRACK0_0.DAT", "Old", test::Ramp(500));
    window = MakeWindow(false);
    Open(project);
    Click(window->TrackSel, 0, 0);
    Click(window->TakeSel, 0, 0);  // the existing take is the target
    window->Slider->SetPosition(123);
    const fs::path source = c.prepare();
    if (c.asksToReplace) dialogs->answers.push_back(true);
    {
      std::unique_ptr<test::FileSizeLimit> limit;
      if (c.fileSizeLimit) limit = std::make_unique<test::FileSizeLimit>(c.fileSizeLimit);
      ImportFrom(source);
    }
    ASSERT_EQ(dialogs->messages.size(), 1u);
    const QStringList lines = dialogs->messages[0].split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2) << dialogs->messages[0].toStdString();
    EXPECT_EQ(lines[0], QString::fromLatin1(c.message));
    EXPECT_TRUE(lines[1].endsWith(QString::fromLatin1(c.namedFile))) << lines[1].toStdString();
    EXPECT_EQ(dialogs->questions.size(), c.asksToReplace ? 1u : 0u);
    ExpectIdleAgain();
    EXPECT_EQ(window->Slider->Position(), 123) << "the slider is where it was";
    EXPECT_EQ(window->Slider->Max(), 500);
    EXPECT_EQ(window->TakeSel->GetCaptions(0, 0), QStringLiteral("Old     "));
    if (fs::exists(project)) {
      const TakeOnDisk take = ReadTake(project / "TRACK0_0.DAT");
      EXPECT_EQ(take.samples, test::Ramp(500)) << "the old take is untouched";
    }
  }
}

TEST_F(Import, ATakeAnotherProgramWroteAfterTheSongWasShownIsNotReplacedUnasked) {
  Click(window->TrackSel, 0, 0);
  Click(window->TakeSel, 0, 1);  // empty when the song was read
  WriteSource("new.wav", SF_FORMAT_WAV, 1, 1000);
  test::WriteTake(project / "TRACK0_1.DAT", "Theirs", test::Ramp(700));
  ImportFrom(sources / "new.wav");
  EXPECT_TRUE(dialogs->questions.empty()) << "the window knew of nothing to replace";
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_TRUE(dialogs->messages[0].startsWith(QString::fromLatin1(messages::TargetHoldsTake)))
      << dialogs->messages[0].toStdString();
  EXPECT_EQ(ReadTake(project / "TRACK0_1.DAT").samples, test::Ramp(700)) << "their take is untouched";
  ExpectIdleAgain();
}

}  // namespace
}  // namespace tp
