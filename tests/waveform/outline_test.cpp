// The outline of a take and of a sound file against min and max worked out
// from the samples the test wrote; reading failures, pausing and giving up.
#include <gtest/gtest.h>

#include <sndfile.h>
#include <sys/resource.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include "outlinetestsupport.h"
#include "project/messages.h"
#include "storage/filehandle.h"
#include "support/projectfixture.h"
#include "support/sndfileio.h"
#include "support/tempfolder.h"
#include "waveform/outline.h"
#include "waveform/readgate.h"

namespace tp::test {
namespace {

struct Shape {
  size_t samples;
  int columns;
};

class TakeOutlineShapes : public ::testing::TestWithParam<Shape> {};

TEST_P(TakeOutlineShapes, OutlineOfATakeIsTheMinAndMaxOfItsSamplesPerColumn) {
  TempFolder folder;
  const std::vector<int16_t> samples = Noise(GetParam().samples, uint32_t(GetParam().samples));
  WriteTake(folder / "TRACK1_0.DAT", "noise", samples);
  ReadGate gate;
  ChannelOutline outline;
  ASSERT_TRUE(ComputeTakeOutline(folder / "TRACK1_0.DAT", GetParam().columns, gate, outline).ok());
  EXPECT_EQ(outline, ExpectedOutline(samples, GetParam().columns));
}

// Fewer samples than columns, exactly one per column, uneven columns, and
// columns that straddle the reader's 65,536-frame blocks.
INSTANTIATE_TEST_SUITE_P(Shapes, TakeOutlineShapes,
                         ::testing::Values(Shape{0, 56}, Shape{10, 56}, Shape{56, 56}, Shape{1000, 56},
                                           Shape{200001, 7}, Shape{300000, 56}));

TEST(TakeOutline, ALongTakeIsReadInBoundedMemory) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "under AddressSanitizer the resident size is mostly its shadow memory";
#endif
  // 50,000,000 samples (about 19 minutes): 100 MB of silence after the
  // header, a sparse file that costs the disk nothing.
  TempFolder folder;
  const std::filesystem::path take = folder / "TRACK1_0.DAT";
  WriteTake(take, "long", {});
  std::filesystem::resize_file(take, uint64_t(TakeHeaderSize) + 2u * 50000000u);
  rusage before{}, after{};
  ASSERT_EQ(getrusage(RUSAGE_SELF, &before), 0);
  ReadGate gate;
  ChannelOutline outline;
  ASSERT_TRUE(ComputeTakeOutline(take, 56, gate, outline).ok());
  ASSERT_EQ(getrusage(RUSAGE_SELF, &after), 0);
  EXPECT_EQ(outline, ExpectedOutline(std::vector<int16_t>(56, 0), 56));
  // The largest resident size grew by less than 16 MB (in KiB).
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 16 * 1024);
}

TEST(TakeOutline, AnUnreadableTakeIsAFailureNamingTheFileAndTheReason) {
  TempFolder folder;
  WriteTake(folder / "TRACK1_0.DAT", "noise", Noise(100000, 1));
  FaultInjection::FailReadsOf("TRACK1_0.DAT", EIO);
  ReadGate gate;
  ChannelOutline outline;
  const Status status = ComputeTakeOutline(folder / "TRACK1_0.DAT", 56, gate, outline);
  FaultInjection::Reset();
  EXPECT_TRUE(status.Is(messages::TakeNotRead));
  EXPECT_EQ(status.file(), folder / "TRACK1_0.DAT");
  EXPECT_EQ(status.systemError(), EIO);
}

TEST(TakeOutline, AMissingTakeIsAFailureNamingTheFile) {
  TempFolder folder;
  ReadGate gate;
  ChannelOutline outline;
  const Status status = ComputeTakeOutline(folder / "TRACK1_0.DAT", 56, gate, outline);
  EXPECT_TRUE(status.Is(messages::TakeNotRead));
  EXPECT_EQ(status.systemError(), ENOENT);
}

// Runs the reading on a thread of its own, as the worker does.
struct Reading {
  ChannelOutline outline;
  Status status;
  std::atomic<bool> done{false};
  std::thread thread;
  Reading(const std::filesystem::path& file, ReadGate& gate)
      : thread([this, file, &gate] {
          status = ComputeTakeOutline(file, 56, gate, outline);
          done = true;
        }) {}
  ~Reading() {
    if (thread.joinable()) thread.join();
  }
};

void WaitUntilHeld(const ReadGate& gate) {
  while (gate.Waits() == 0) std::this_thread::yield();
}

TEST(TakeOutline, APausedReadingWaitsAndGoesOnWhereItWasWhenResumed) {
  TempFolder folder;
  const std::vector<int16_t> samples = Noise(150000, 7);
  WriteTake(folder / "TRACK1_0.DAT", "noise", samples);
  ReadGate gate;
  gate.SetPaused(true);
  Reading reading(folder / "TRACK1_0.DAT", gate);
  WaitUntilHeld(gate);
  EXPECT_FALSE(reading.done);
  gate.SetPaused(false);
  reading.thread.join();
  ASSERT_TRUE(reading.status.ok());
  EXPECT_EQ(reading.outline, ExpectedOutline(samples, 56));
}

TEST(TakeOutline, ACancelEndsEvenAPausedReading) {
  TempFolder folder;
  WriteTake(folder / "TRACK1_0.DAT", "noise", Noise(150000, 7));
  ReadGate gate;
  gate.SetPaused(true);
  Reading reading(folder / "TRACK1_0.DAT", gate);
  WaitUntilHeld(gate);
  gate.Cancel();
  reading.thread.join();
  EXPECT_TRUE(reading.status.Is(messages::OutlineReadingStopped));
}

TEST(SoundFileOutline, AStereoFileGivesAnOutlinePerChannel) {
  TempFolder folder;
  const std::vector<int16_t> interleaved = Noise(2 * 90001, 3);
  struct Case {
    const char* name;
    int format;
  };
  for (const Case& kind : {Case{"a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
                           Case{"a.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
                           Case{"a.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16}}) {
    SCOPED_TRACE(kind.name);
    WriteWithSndfile(folder / kind.name, kind.format, 2, 44100, interleaved);
    ReadGate gate;
    SoundOutline outline;
    ASSERT_TRUE(ComputeSoundFileOutline(folder / kind.name, 40, gate, outline).ok());
    EXPECT_EQ(outline.frames, 90001u);
    ASSERT_EQ(outline.channels.size(), 2u);
    for (int channel = 0; channel < 2; ++channel)
      EXPECT_EQ(outline.channels[size_t(channel)], ExpectedOutline(ChannelOf(interleaved, 2, channel, 90001), 40));
  }
}

TEST(SoundFileOutline, AFileThatIsNoSoundIsRefused) {
  TempFolder folder;
  WriteBytes(folder / "a.wav", std::vector<uint8_t>(100, 'x'));
  ReadGate gate;
  SoundOutline outline;
  EXPECT_TRUE(ComputeSoundFileOutline(folder / "a.wav", 40, gate, outline).Is(messages::NotWavOrAiff));
}

}  // namespace
}  // namespace tp::test
