// The wave preview's block cycle, driven one block at a time through the
// virtual output. The output's block-done notices go into a queue that the
// test empties, as the user-interface thread's message queue would.
#include "playback/wavepreview.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "audiofile/audiofile.h"
#include "playback/virtualpreviewoutput.h"
#include "support/sndfileio.h"
#include "support/tempfolder.h"

namespace tp {
namespace {

using test::TempFolder;

// Stereo frame n holds n in the left channel and -n in the right (modulo
// 16 bits), so every played sample says which frame it came from.
std::vector<int16_t> numberedFrames(size_t frames) {
  std::vector<int16_t> samples;
  samples.reserve(frames * 2);
  for (size_t n = 0; n < frames; ++n) {
    samples.push_back(int16_t(uint16_t(n)));
    samples.push_back(int16_t(uint16_t(-int64_t(n))));
  }
  return samples;
}

// `count` whole blocks of the numbered frames followed by zeros up to the
// end of the last block.
std::vector<int16_t> expectedBlocks(size_t fileFrames, size_t count) {
  std::vector<int16_t> expected = numberedFrames(fileFrames);
  expected.resize(count * PreviewBlockFrames * 2, 0);
  return expected;
}

class WavePreviewTest : public ::testing::Test {
 protected:
  std::filesystem::path writeStereoWav(size_t frames, const std::string& name = "take.wav") {
    const auto path = folder / name;
    test::WriteWithSndfile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, numberedFrames(frames));
    return path;
  }

  // Delivers every notice posted so far, as the event loop would.
  void deliverNotices() {
    while (!notices.empty()) {
      PreviewBlock* block = notices.front();
      notices.pop_front();
      preview.PreviewBlockDone(block);
    }
  }

  // Plays one block and lets the preview answer its notice.
  bool playOneBlock() {
    if (!output.PlayNextBlock()) return false;
    deliverNotices();
    return true;
  }

  TempFolder folder;
  VirtualPreviewOutput output;
  std::deque<PreviewBlock*> notices;
  WavePreview preview{output, [this](PreviewBlock* block) { notices.push_back(block); }};
};

TEST_F(WavePreviewTest, PressingQueuesSixteenBlocksOf512FramesFromTheStartOfTheFile) {
  const auto path = writeStereoWav(100 * PreviewBlockFrames);
  ASSERT_TRUE(preview.Start(path));

  EXPECT_TRUE(output.IsOpen());
  EXPECT_EQ(output.Channels(), 2u);
  EXPECT_EQ(output.FramesPerSecond(), 44100u);
  EXPECT_EQ(output.Queued(), 16u);
  EXPECT_EQ(preview.BlocksAlive(), 16u);
  // Playing the sixteen queued blocks without delivering their notices
  // shows what was queued: frames 0 to 8191 in order.
  for (int i = 0; i < 16; ++i) ASSERT_TRUE(output.PlayNextBlock());
  EXPECT_FALSE(output.PlayNextBlock());
  EXPECT_EQ(output.Played(), expectedBlocks(16 * PreviewBlockFrames, 16));
}

TEST_F(WavePreviewTest, EachPlayedBlockIsRefilledWithTheNextFramesAndQueuedAgain) {
  const auto path = writeStereoWav(100 * PreviewBlockFrames);
  ASSERT_TRUE(preview.Start(path));

  for (int played = 1; played <= 40; ++played) {
    ASSERT_TRUE(playOneBlock());
    ASSERT_EQ(output.Queued(), 16u) << "after block " << played;
    ASSERT_EQ(output.Writes(), size_t(16 + played));
  }
  EXPECT_EQ(preview.BlocksAlive(), 16u);
  EXPECT_EQ(output.Played(), expectedBlocks(40 * PreviewBlockFrames, 40));
  EXPECT_TRUE(preview.FileOpen());
}

// When a refill finds no more samples the preview stops at once: the blocks
// still queued are not heard.
TEST_F(WavePreviewTest, TheSoundStopsAtOnceWhenARefillFindsNoMoreSamples) {
  struct Case {
    size_t fileFrames;
    size_t blocksQueuedAtStart;
    size_t blocksHeard;
  };
  const Case cases[] = {
      // Empty: the first block is all zeros and its refill finds nothing.
      {0, 1, 1},
      // Three blocks: the fourth read finds nothing and ends the queuing;
      // the refill after the first played block stops the preview.
      {3 * PreviewBlockFrames, 4, 1},
      // Exactly sixteen blocks: all are queued, the first refill stops.
      {16 * PreviewBlockFrames, 16, 1},
      // 20.5 blocks: refills bring blocks 17 to 21 (the last half zeros)
      // after blocks 1 to 5 were played; the sixth played block's refill
      // finds nothing.
      {20 * PreviewBlockFrames + 256, 16, 6},
  };
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fileFrames);
    const auto path = writeStereoWav(c.fileFrames, "case" + std::to_string(index++) + ".wav");
    const size_t playedBefore = output.Played().size();
    ASSERT_TRUE(preview.Start(path));
    EXPECT_EQ(output.Queued(), c.blocksQueuedAtStart);

    while (preview.DeviceOpen()) ASSERT_TRUE(playOneBlock());

    EXPECT_FALSE(output.IsOpen());
    EXPECT_EQ(output.Queued(), 0u);
    EXPECT_FALSE(preview.FileOpen());
    EXPECT_EQ(preview.BlocksAlive(), 0u) << "every block was handed back and freed";
    const std::vector<int16_t> heard(output.Played().begin() + std::ptrdiff_t(playedBefore), output.Played().end());
    EXPECT_EQ(heard, expectedBlocks(c.fileFrames, c.blocksHeard));
  }
}

TEST_F(WavePreviewTest, ReleasingTheButtonSilencesAtOnceFreesEveryBlockAndClosesTheFile) {
  const auto path = writeStereoWav(100 * PreviewBlockFrames);
  ASSERT_TRUE(preview.Start(path));
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(playOneBlock());

  preview.StopPreview();

  EXPECT_FALSE(output.IsOpen());
  EXPECT_EQ(output.Queued(), 0u) << "nothing is left to be heard";
  EXPECT_FALSE(preview.FileOpen());
  // Draining: the sixteen blocks come back as notices and are freed, not
  // queued again.
  EXPECT_EQ(notices.size(), 16u);
  EXPECT_EQ(preview.BlocksAlive(), 16u);
  const size_t writes = output.Writes();
  deliverNotices();
  EXPECT_EQ(preview.BlocksAlive(), 0u);
  EXPECT_EQ(output.Writes(), writes);
  EXPECT_EQ(output.BlocksPlayed(), 3u);
}

TEST_F(WavePreviewTest, BlocksOfAStoppedPreviewAreNotQueuedIntoTheNextOne) {
  const auto path = writeStereoWav(100 * PreviewBlockFrames);
  ASSERT_TRUE(preview.Start(path));
  preview.StopPreview();
  // The user presses again before the first preview's blocks were delivered.
  ASSERT_TRUE(preview.Start(path));
  ASSERT_EQ(notices.size(), 16u);
  deliverNotices();

  EXPECT_EQ(output.Queued(), 16u);
  EXPECT_EQ(preview.BlocksAlive(), 16u);
  for (int i = 0; i < 16; ++i) ASSERT_TRUE(output.PlayNextBlock());
  EXPECT_EQ(output.Played(), expectedBlocks(16 * PreviewBlockFrames, 16)) << "the new preview starts at frame 0";
}

TEST_F(WavePreviewTest, AFileThatIsNotAudioPlaysNothing) {
  const auto path = folder / "notes.wav";
  test::WriteBytes(path, {'n', 'o', 't', ' ', 'a', 'u', 'd', 'i', 'o'});
  EXPECT_FALSE(preview.Start(path));
  EXPECT_FALSE(preview.Start(folder / "missing.wav"));
  EXPECT_EQ(output.Opens(), 0);
  EXPECT_FALSE(preview.FileOpen());
  EXPECT_EQ(preview.BlocksAlive(), 0u);
}

TEST(WavePreviewWithoutDevice, IsSilentAndStillClosesTheFileOnRelease) {
  TempFolder folder;
  const auto path = folder / "take.wav";
  test::WriteWithSndfile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, std::vector<int16_t>(5000, 100));
  VirtualPreviewOutput absent(false);
  WavePreview preview(absent, [](PreviewBlock*) { FAIL() << "no block may exist without a device"; });

  EXPECT_TRUE(preview.Start(path));
  EXPECT_FALSE(preview.DeviceOpen());
  EXPECT_TRUE(preview.FileOpen());
  EXPECT_EQ(preview.BlocksAlive(), 0u);

  preview.StopPreview();
  EXPECT_FALSE(preview.FileOpen());
}

// The output gets the file's channels and whole rate, and always 16-bit
// samples: the reader has widened 8-bit ones already.
TEST(WavePreviewFormat, FollowsTheFileWithSixteenBitSamples) {
  TempFolder folder;
  struct Case {
    const char* name;
    int format;
    int channels;
    int rate;
  };
  const Case cases[] = {
      {"mono.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 48000},
      {"eight.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 2, 11025},
      {"stereo.aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2, 22050},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // 0x4000 survives the 8-bit round trip exactly (0xC0 unsigned).
    test::WriteWithSndfile(folder / c.name, c.format, c.channels, c.rate,
                           std::vector<int16_t>(size_t(c.channels) * 600, 0x4000));
    VirtualPreviewOutput output;
    WavePreview preview(output, [](PreviewBlock*) {});
    ASSERT_TRUE(preview.Start(folder / c.name));
    EXPECT_EQ(output.Channels(), uint32_t(c.channels));
    EXPECT_EQ(output.FramesPerSecond(), uint32_t(c.rate));
    EXPECT_EQ(preview.BlockAlign(), uint32_t(c.channels) * 2);
    ASSERT_TRUE(output.PlayNextBlock());
    ASSERT_EQ(output.Played().size(), size_t(PreviewBlockFrames) * c.channels);
    EXPECT_EQ(output.Played().front(), 0x4000);
  }
  // A rate with a fraction is truncated: 22050.5 Hz plays at 22050.
  const auto odd = folder / "odd.aif";
  auto writer = OpenAudioFile(odd, true);
  writer->channels = 1;
  writer->bits = 16;
  writer->sampleRate = 22050.5L;
  ASSERT_EQ(WriteAudioHeader(*writer, FormatAiff), AudioOk);
  const std::vector<int16_t> samples(1000, 7);
  ASSERT_EQ(WriteAudioFrames(*writer, samples.data(), 1000), AudioOk);
  ASSERT_EQ(CloseAudioFile(std::move(writer)), AudioOk);
  VirtualPreviewOutput output;
  WavePreview preview(output, [](PreviewBlock*) {});
  ASSERT_TRUE(preview.Start(odd));
  EXPECT_EQ(output.FramesPerSecond(), 22050u);
}

}  // namespace
}  // namespace tp
