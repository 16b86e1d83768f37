// TGetWin: the format lines of the file under selection, and the preview
// that plays while AudBtn is held, driven through the virtual output. The
// blocks the output hands back are posted to the form; the test delivers
// them with sendPostedEvents, one played block at a time.
#include "dialogs/tgetwin.h"

#include <gtest/gtest.h>

#include <QTest>

#include "audiofile/audiofile.h"
#include "dialogfixture.h"
#include "playback/virtualpreviewoutput.h"
#include "support/tempfolder.h"

namespace tp {
namespace {

QString qPath(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

struct Labels {
  QString fs, frames, bits;
  bool operator==(const Labels&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Labels& labels) {
  return out << "[" << labels.fs.toStdString() << "] [" << labels.frames.toStdString() << "] ["
             << labels.bits.toStdString() << "]";
}

Labels labelsOf(const TGetWin& form) {
  return {form.FsLabel()->text(), form.FramesLabel()->text(), form.BitLabel()->text()};
}

class GetWinTest : public ::testing::Test {
 protected:
  GetWinTest() {
    auto virtualOutput = std::make_unique<VirtualPreviewOutput>();
    output = virtualOutput.get();
    form = std::make_unique<TGetWin>(nullptr, std::move(virtualOutput));
  }

  // Plays one block and delivers the form's notices, as the event loop would.
  void playOneBlock() {
    ASSERT_TRUE(output->PlayNextBlock());
    QCoreApplication::sendPostedEvents();
  }

  test::TempFolder folder;
  VirtualPreviewOutput* output = nullptr;
  std::unique_ptr<TGetWin> form;
};

TEST_F(GetWinTest, StartsWithTheBareCaptionsOfTheFormLayout) {
  EXPECT_EQ(form->size(), QSize(416, 96));
  EXPECT_EQ(labelsOf(*form), (Labels{"Sampling Rate :                     ", "Sampling Frames :                 ",
                                     "Bits / Word :   "}));
  EXPECT_EQ(form->FsLabel()->pos(), QPoint(16, 8));
  EXPECT_EQ(form->FramesLabel()->pos(), QPoint(16, 24));
  EXPECT_EQ(form->BitLabel()->pos(), QPoint(196, 8));
  EXPECT_EQ(form->AudBtn()->geometry(), QRect(364, 12, 23, 22));
  EXPECT_EQ(form->Bevel1()->geometry(), QRect(8, 4, 393, 41));
  EXPECT_EQ(form->AudBtn()->toolTip(), "Hear the Sound");
  EXPECT_TRUE(form->PreviewFile().isEmpty());
}

TEST_F(GetWinTest, ShowWaveInfoShowsTheFormatOfTheFileUnderSelection) {
  test::writeSilence(folder / "stereo.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, 123456);
  test::writeSilence(folder / "mono.aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1, 48000, 96000);
  test::writeSilence(folder / "eight.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, 8000, 4000);
  test::writeSilence(folder / "high.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 192000, 192000);
  test::WriteBytes(folder / "readme.wav", {'n', 'o', 't', ' ', 's', 'o', 'u', 'n', 'd'});
  {
    // 22,050.5 Hz can only be stored by AIFF's 80-bit rate.
    auto writer = OpenAudioFile(folder / "odd.aif", true);
    writer->channels = 1;
    writer->bits = 16;
    writer->sampleRate = 22050.5L;
    ASSERT_EQ(WriteAudioHeader(*writer, FormatAiff), AudioOk);
    const std::vector<int16_t> samples(22050 * 3 + 2205, 0);
    ASSERT_EQ(WriteAudioFrames(*writer, samples.data(), uint32_t(samples.size())), AudioOk);
    ASSERT_EQ(CloseAudioFile(std::move(writer)), AudioOk);
  }
  const Labels bare{"Sampling Rate : ", "Sampling Frames : ", "Bits / Word : "};
  struct Case {
    const char* file;
    Labels labels;
  };
  const Case cases[] = {
      {"stereo.wav", {"Sampling Rate : 44100.00Hz", "Sampling Frames : 123456 (stereo)  0:00:02:799", "Bits / Word : 16"}},
      {"odd.aif", {"Sampling Rate : 22050.50Hz", "Sampling Frames : 68355 (mono)  0:00:03:100", "Bits / Word : 16"}},
      {"mono.aif", {"Sampling Rate : 48000.00Hz", "Sampling Frames : 96000 (mono)  0:00:02:000", "Bits / Word : 16"}},
      {"eight.wav", {"Sampling Rate : 8000.00Hz", "Sampling Frames : 4000 (mono)  0:00:00:500", "Bits / Word : 8"}},
      {"high.wav", {"Sampling Rate : 192000.00Hz", "Sampling Frames : 192000 (stereo)  0:00:01:000", "Bits / Word : 24"}},
      // Not audio, or not there: the bare captions.
      {"readme.wav", bare},
      {"missing.wav", bare},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    form->SetPreviewFile(qPath(folder / c.file));
    form->ShowWaveInfo();
    EXPECT_EQ(labelsOf(*form), c.labels);
    EXPECT_GE(form->FramesLabel()->width(), form->FramesLabel()->sizeHint().width()) << "the whole text shows";
    EXPECT_GT(form->BitLabel()->x(), form->FsLabel()->geometry().right()) << "the two labels never overlap";
    EXPECT_GE(form->BitLabel()->x(), 196);
  }
}

TEST_F(GetWinTest, AnEmptyPreviewFileLeavesTheLabelsAsTheyAre) {
  test::writeSilence(folder / "stereo.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, 123456);
  form->SetPreviewFile(qPath(folder / "stereo.wav"));
  form->ShowWaveInfo();
  const Labels shown = labelsOf(*form);
  form->SetPreviewFile("");
  form->ShowWaveInfo();
  EXPECT_EQ(labelsOf(*form), shown);
}

// Any mouse button starts the preview; releasing it stops it at once.
TEST_F(GetWinTest, HoldingTheButtonPlaysBlocksAndReleasingStopsAtOnceAndClosesTheFile) {
  test::writeSilence(folder / "long.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 22050, 100 * PreviewBlockFrames);
  form->SetPreviewFile(qPath(folder / "long.wav"));
  for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
    SCOPED_TRACE(int(button));
    QTest::mousePress(form->AudBtn(), button);
    EXPECT_TRUE(form->AudBtn()->isDown());
    EXPECT_TRUE(output->IsOpen());
    EXPECT_EQ(output->Channels(), 2u);
    EXPECT_EQ(output->FramesPerSecond(), 22050u);
    EXPECT_EQ(output->Queued(), 16u);
    const size_t writesAtStart = output->Writes();

    for (int played = 1; played <= 5; ++played) {
      playOneBlock();
      EXPECT_EQ(output->Queued(), 16u) << "each played block comes back refilled";
    }
    EXPECT_EQ(output->Writes(), writesAtStart + 5);

    QTest::mouseRelease(form->AudBtn(), button);
    EXPECT_FALSE(form->AudBtn()->isDown());
    EXPECT_FALSE(output->IsOpen());
    EXPECT_EQ(output->Queued(), 0u);
    EXPECT_FALSE(form->Preview().FileOpen());
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(form->Preview().BlocksAlive(), 0u) << "every handed-back block is freed";
    EXPECT_EQ(output->Writes(), writesAtStart + 5) << "nothing is queued after the release";
  }
}

TEST_F(GetWinTest, TheEndOfTheSamplesStopsThePreviewWhileTheButtonIsStillHeld) {
  // Three blocks: the refill after the first played block finds nothing.
  test::writeSilence(folder / "short.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, 3 * PreviewBlockFrames);
  form->SetPreviewFile(qPath(folder / "short.wav"));
  QTest::mousePress(form->AudBtn(), Qt::LeftButton);
  EXPECT_EQ(output->Queued(), 4u);
  playOneBlock();
  EXPECT_FALSE(output->IsOpen());
  EXPECT_FALSE(form->Preview().FileOpen());
  EXPECT_EQ(output->BlocksPlayed(), 1u);
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(form->Preview().BlocksAlive(), 0u);
  QTest::mouseRelease(form->AudBtn(), Qt::LeftButton);
  EXPECT_FALSE(output->IsOpen());
}

TEST_F(GetWinTest, ANonAudioFilePlaysNothing) {
  test::WriteBytes(folder / "readme.wav", {'t', 'e', 'x', 't'});
  for (const QString& file : {qPath(folder / "readme.wav"), QString()}) {
    form->SetPreviewFile(file);
    QTest::mousePress(form->AudBtn(), Qt::LeftButton);
    EXPECT_EQ(output->Opens(), 0);
    EXPECT_FALSE(form->Preview().FileOpen());
    QTest::mouseRelease(form->AudBtn(), Qt::LeftButton);
  }
}

TEST(GetWinWithoutDevice, PreviewsSilentlyAndStillClosesTheFileOnRelease) {
  test::TempFolder folder;
  test::writeSilence(folder / "take.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, 10000);
  TGetWin form(nullptr, std::make_unique<VirtualPreviewOutput>(false));
  form.SetPreviewFile(qPath(folder / "take.wav"));
  QTest::mousePress(form.AudBtn(), Qt::LeftButton);
  EXPECT_TRUE(form.Preview().FileOpen());
  EXPECT_FALSE(form.Preview().DeviceOpen());
  QTest::mouseRelease(form.AudBtn(), Qt::LeftButton);
  EXPECT_FALSE(form.Preview().FileOpen());
}

TEST_F(GetWinTest, HidingTheFormStopsAPreview) {
  test::writeSilence(folder / "long.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, 50 * PreviewBlockFrames);
  form->SetPreviewFile(qPath(folder / "long.wav"));
  form->show();
  QTest::mousePress(form->AudBtn(), Qt::LeftButton);
  ASSERT_TRUE(output->IsOpen());
  form->hide();
  EXPECT_FALSE(output->IsOpen());
  EXPECT_FALSE(form->Preview().FileOpen());
}

}  // namespace
}  // namespace tp
