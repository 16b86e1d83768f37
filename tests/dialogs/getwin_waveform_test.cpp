// The preview form's outline: both channels of the file under selection,
// read on a thread of its own, replaced when another file is chosen, and
// the preview's position drawn over it while the button is held.
#include "dialogs/tgetwin.h"

#include <gtest/gtest.h>

#include <QTest>

#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

#include "../waveform/outlinetestsupport.h"
#include "playback/virtualpreviewoutput.h"
#include "support/projectfixture.h"
#include "support/sndfileio.h"
#include "support/tempfolder.h"

namespace tp {
namespace {

QString qPath(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

template <typename Done>
void RunUntil(Done done) {
  while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

class GetWinWaveform : public ::testing::Test {
 protected:
  GetWinWaveform() {
    auto virtualOutput = std::make_unique<VirtualPreviewOutput>();
    output = virtualOutput.get();
    form = std::make_unique<TGetWin>(nullptr, std::move(virtualOutput), [this] {
      std::lock_guard lock(mutex);
      readers.insert(std::this_thread::get_id());
    });
    test::WriteWithSndfile(folder / "stereo.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, stereo);
  }
  void Choose(const std::filesystem::path& file) {
    form->SetPreviewFile(qPath(file));
    form->ShowWaveInfo();
  }

  test::TempFolder folder;
  const std::vector<int16_t> stereo = test::Noise(2 * 50000, 9);
  VirtualPreviewOutput* output = nullptr;
  std::unique_ptr<TGetWin> form;
  std::mutex mutex;
  std::set<std::thread::id> readers;
};

TEST_F(GetWinWaveform, ShowsBothChannelsOfTheChosenFileReadOffTheWindowsThread) {
  Choose(folder / "stereo.wav");
  RunUntil([&] { return !form->WaveView()->Outline().channels.empty(); });
  const int columns = form->WaveView()->Columns();
  EXPECT_EQ(columns, 391);
  const SoundOutline& shown = form->WaveView()->Outline();
  ASSERT_EQ(shown.channels.size(), 2u);
  EXPECT_EQ(shown.frames, 50000u);
  for (int channel = 0; channel < 2; ++channel)
    EXPECT_EQ(shown.channels[size_t(channel)],
              test::ExpectedOutline(test::ChannelOf(stereo, 2, channel, 50000), columns));
  std::lock_guard lock(mutex);
  EXPECT_EQ(readers.size(), 1u);
  EXPECT_FALSE(readers.contains(std::this_thread::get_id()));
}

TEST_F(GetWinWaveform, AnotherFileReplacesTheOutlineAndAFileThatIsNoSoundShowsNone) {
  const std::vector<int16_t> mono = test::Noise(3000, 4);
  test::WriteWithSndfile(folder / "mono.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1, 44100, mono);
  test::WriteBytes(folder / "text.wav", std::vector<uint8_t>(200, 'x'));
  Choose(folder / "stereo.wav");
  Choose(folder / "mono.aiff");
  RunUntil([&] { return form->WaveView()->Outline().channels.size() == 1; });
  EXPECT_EQ(form->WaveView()->Outline().channels[0], test::ExpectedOutline(mono, 391));

  Choose(folder / "text.wav");
  EXPECT_TRUE(form->WaveView()->Outline().channels.empty()) << "the last file's outline goes at once";
  Choose(folder / "stereo.wav");
  RunUntil([&] { return form->WaveView()->Outline().channels.size() == 2; });
  Choose(folder / "text.wav");
  // Whatever was under way is given up or dropped: nothing comes back.
  QCoreApplication::processEvents();
  form.reset();
}

TEST_F(GetWinWaveform, ThePositionLineFollowsThePreviewAndGoesWhenItStops) {
  Choose(folder / "stereo.wav");
  RunUntil([&] { return !form->WaveView()->Outline().channels.empty(); });
  form->show();
  TWaveView* view = form->WaveView();
  const QImage before = view->grab().toImage();

  QTest::mousePress(form->AudBtn(), Qt::LeftButton);
  EXPECT_EQ(view->Position(), 0);
  for (int block = 0; block < 40; ++block) {
    ASSERT_TRUE(output->PlayNextBlock());
    QCoreApplication::sendPostedEvents();
  }
  EXPECT_EQ(view->Position(), 40 * int64_t(PreviewBlockFrames));
  const int x = view->PositionX(view->Position());
  EXPECT_EQ(x, 1 + int(40 * 512 * 391 / 50000));
  const QImage playing = view->grab().toImage();
  const QRgb line = view->palette().color(QPalette::Highlight).rgb();
  for (int y : {2, view->height() / 2, view->height() - 3})
    EXPECT_EQ(playing.pixel(x, y) & 0xffffff, line & 0xffffff) << y;

  QTest::mouseRelease(form->AudBtn(), Qt::LeftButton);
  EXPECT_EQ(view->Position(), -1);
  EXPECT_EQ(view->grab().toImage(), before);
}

}  // namespace
}  // namespace tp
