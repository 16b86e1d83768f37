#include "playback/transport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "playback/virtualsounddevice.h"
#include "storage/filehandle.h"
#include "support/projectfixture.h"

namespace tp {
namespace {

using test::TempFolder;
using test::WriteTake;

constexpr uint32_t Half = Transport::FramesPerHalf;

struct Notice {
  enum Kind { PlayEnd, PlayPos } kind;
  uint32_t value;
  bool operator==(const Notice&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Notice& notice) {
  return out << (notice.kind == Notice::PlayEnd ? "PlayEnd(" : "PlayPos(") << notice.value << ")";
}

// The owner's side as the command line has it: a thread-safe queue that the
// test empties on its own thread.
class NoticeQueue : public TransportEvents {
 public:
  void PostPlayEnd(int rewind) override { push({Notice::PlayEnd, uint32_t(rewind)}); }
  void PostPlayPos(uint32_t position) override { push({Notice::PlayPos, position}); }

  std::vector<Notice> takeAll() {
    std::lock_guard lock(mutex_);
    std::vector<Notice> all(queue_.begin(), queue_.end());
    queue_.clear();
    return all;
  }

 private:
  void push(Notice notice) {
    std::lock_guard lock(mutex_);
    queue_.push_back(notice);
  }
  std::mutex mutex_;
  std::deque<Notice> queue_;
};

// Two tracks at unity volume, slot 0 panned hard left and slot 1 hard
// right, so the left channel carries take A and the right take B unchanged.
// A (30,000 frames) outlasts B (12,000 frames).
struct Audition {
  static constexpr uint32_t LengthA = 30000;
  static constexpr uint32_t LengthB = 12000;

  Audition() {
    WriteTake(folder / "TRACK0_0.DAT", "", takeA);
    WriteTake(folder / "TRACK1_2.DAT", "", takeB);
    selection.takes[0] = folder / "TRACK0_0.DAT";
    selection.takes[1] = folder / "TRACK1_2.DAT";
    auto owned = std::make_unique<VirtualSoundDevice>();
    device = owned.get();
    transport = std::make_unique<Transport>(notices, std::move(owned));
    transport->Settings().pan[0] = 0;
    transport->Settings().pan[1] = 100;
  }

  // Plays `count` halves and, like the window, moves the slider with every
  // position notice; returns the notices in the order they came.
  std::vector<Notice> play(int count) {
    std::vector<Notice> seen;
    for (int i = 0; i < count; ++i) {
      EXPECT_TRUE(device->PlayNextHalf()) << "half " << device->HalvesPlayed();
      EXPECT_TRUE(device->WaitForHalvesWritten(device->HalvesPlayed()));
      for (const Notice& notice : notices.takeAll()) {
        if (notice.kind == Notice::PlayPos) transport->SetSliderPosition(notice.value);
        seen.push_back(notice);
      }
    }
    return seen;
  }

  // Checks that the device's frames [first, first + count) hold takes A and B
  // from frame `from` on (silence past their ends).
  void expectTakesAt(size_t first, size_t count, uint32_t from) {
    const auto received = device->Received();
    ASSERT_GE(received.size(), 2 * (first + count));
    for (size_t i = 0; i < count; ++i) {
      const size_t frame = from + i;
      const int16_t left = frame < LengthA ? takeA[frame] : 0;
      const int16_t right = frame < LengthB ? takeB[frame] : 0;
      ASSERT_EQ(received[2 * (first + i)], left) << "device frame " << first + i;
      ASSERT_EQ(received[2 * (first + i) + 1], right) << "device frame " << first + i;
    }
  }

  void expectSilence(size_t first, size_t count) {
    const auto received = device->Received();
    ASSERT_GE(received.size(), 2 * (first + count));
    for (size_t i = 2 * first; i < 2 * (first + count); ++i) ASSERT_EQ(received[i], 0) << "value " << i;
  }

  TempFolder folder;
  std::vector<int16_t> takeA = test::Ramp(LengthA, -20000, 3);
  std::vector<int16_t> takeB = test::Ramp(LengthB, 32000, -5);
  PlaySelection selection;
  NoticeQueue notices;
  VirtualSoundDevice* device = nullptr;
  std::unique_ptr<Transport> transport;
};

TEST(Transport, PlaysSilenceThenTheMixFromTheStartAndRewindsWhenAllTakesHaveEnded) {
  Audition audition;
  ASSERT_EQ(audition.transport->Start(audition.selection, 1000), 2);
  EXPECT_TRUE(audition.transport->IsPlaying());

  // From frame 1000, A has 29,000 frames left: four blocks with samples
  // (the fourth has 4,424), and the fifth fill finds nothing.
  const auto notices = audition.play(7);
  const std::vector<Notice> expected = {
      {Notice::PlayPos, 1000 + 1 * Half}, {Notice::PlayPos, 1000 + 2 * Half},
      {Notice::PlayPos, 1000 + 3 * Half}, {Notice::PlayPos, 1000 + 4 * Half},
      {Notice::PlayPos, 1000 + 5 * Half}, {Notice::PlayEnd, 1}};
  EXPECT_EQ(notices, expected) << "draining posts nothing after the end";
  EXPECT_FALSE(audition.transport->IsPlaying());

  audition.expectSilence(0, 2 * Half);
  // B ends at 12,000 (device frame 16384 + 11000) while A goes on to 30,000.
  audition.expectTakesAt(2 * Half, 5 * Half, 1000);

  EXPECT_TRUE(audition.transport->OnPlayEnd(1));
  EXPECT_EQ(audition.transport->SliderPosition(), 0u);
  EXPECT_FALSE(audition.transport->Files().AnyOpen());
  EXPECT_FALSE(audition.transport->Stream().HasThread());
  EXPECT_FALSE(audition.device->IsPlaying());
}

TEST(Transport, AReadErrorStopsTheAuditionAndNamesTheTake) {
  Audition audition;
  audition.selection.labels[1] = "Track02-3";
  // The second half's read of take B fails, as a failing disk would.
  FaultInjection::FailReadsOf("TRACK1_2.DAT", EIO, 1);
  ASSERT_EQ(audition.transport->Start(audition.selection, 0), 2);
  const auto notices = audition.play(4);
  FaultInjection::Reset();
  const std::vector<Notice> expected = {{Notice::PlayPos, 1 * Half}, {Notice::PlayEnd, PlayEndedByReadError}};
  EXPECT_EQ(notices, expected);
  EXPECT_FALSE(audition.transport->IsPlaying());
  EXPECT_EQ(audition.transport->ReadFailure().Text(), "The take could not be read: Track02-3 (Input/output error)");
  EXPECT_FALSE(audition.transport->OnPlayEnd(PlayEndedByReadError)) << "the slider stays where it was";
  EXPECT_FALSE(audition.transport->Files().AnyOpen());
}

TEST(Transport, ADeviceThatWillNotPlayGivesASilentAuditionThatPostsNothing) {
  Audition audition;
  audition.device->RefusePlay();
  EXPECT_EQ(audition.transport->Start(audition.selection, 0), -1);
  EXPECT_FALSE(audition.transport->IsPlaying());
  EXPECT_FALSE(audition.transport->Files().AnyOpen());
  EXPECT_TRUE(audition.notices.takeAll().empty());
}

TEST(Transport, EndingTheAuditionByHandLeavesTheSliderAndTheNextStartResumesThere) {
  Audition audition;
  ASSERT_EQ(audition.transport->Start(audition.selection, 0), 2);
  audition.play(4);
  audition.transport->RequestStop();
  const auto notices = audition.notices.takeAll();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0], (Notice{Notice::PlayEnd, 0}));
  EXPECT_FALSE(audition.transport->OnPlayEnd(0));
  EXPECT_FALSE(audition.transport->IsPlaying());
  EXPECT_FALSE(audition.transport->Files().AnyOpen());
  const uint32_t resumeAt = audition.transport->SliderPosition();
  EXPECT_EQ(resumeAt, 4 * Half) << "four blocks were mixed";

  const size_t halvesBefore = audition.device->HalvesWritten();
  audition.device->SignalWithoutPlaying();
  EXPECT_EQ(audition.device->HalvesWritten(), halvesBefore) << "no fill after the stop";

  ASSERT_EQ(audition.transport->Start(audition.selection, resumeAt), 2);
  audition.play(3);
  audition.expectSilence(0, 2 * Half);
  audition.expectTakesAt(2 * Half, Half, resumeAt);
  audition.transport->RequestStop();
  audition.transport->OnPlayEnd(0);
}

TEST(Transport, SeekingWhilePlayingContinuesFromTheNewPlaceWithNothingDroppedOrRepeated) {
  Audition audition;
  ASSERT_EQ(audition.transport->Start(audition.selection, 0), 2);
  // After three halves, fills 1..3 (frames 0..24,575) are written; the device
  // has heard two silent halves and fill 1.
  audition.play(3);
  audition.transport->Seek(5000);
  EXPECT_EQ(audition.transport->SliderPosition(), 5000u);
  const auto notices = audition.play(3);
  ASSERT_FALSE(notices.empty());
  EXPECT_EQ(notices[0], (Notice{Notice::PlayPos, 5000 + Half}));

  audition.expectSilence(0, 2 * Half);
  audition.expectTakesAt(2 * Half, 3 * Half, 0);      // what was mixed before the seek
  audition.expectTakesAt(5 * Half, Half, 5000);       // the first block after it
  EXPECT_EQ(audition.device->Received().size(), 2u * 6 * Half);
  audition.transport->RequestStop();
  audition.transport->OnPlayEnd(0);
}

TEST(Transport, SeekingWhileStoppedOnlyMovesTheStartOfTheNextAudition) {
  Audition audition;
  audition.transport->Seek(7000);
  EXPECT_FALSE(audition.transport->IsPlaying());
  EXPECT_EQ(audition.transport->SliderPosition(), 7000u);
  EXPECT_EQ(audition.device->HalvesWritten(), 0u);
}

TEST(Transport, MasterModeSendsTheLeftAndRightFilesUnchangedWhateverTheMixer) {
  Audition audition;
  PlaySelection master;
  master.masterMode = true;
  master.takes[0] = audition.folder / "TRACK0_0.DAT";  // stands in for TRACKL_n.DAT
  master.takes[1] = audition.folder / "TRACK1_2.DAT";  // stands in for TRACKR_n.DAT
  master.takes[2] = audition.folder / "TRACK0_0.DAT";  // not a master slot: ignored
  for (int strip = 0; strip < 2; ++strip) {
    audition.transport->Settings().volume[strip] = 0;
    audition.transport->Settings().pan[strip] = 100 - audition.transport->Settings().pan[strip];
  }
  ASSERT_EQ(audition.transport->Start(master, 0), 2);
  audition.play(4);
  audition.expectSilence(0, 2 * Half);
  audition.expectTakesAt(2 * Half, 2 * Half, 0);
  audition.transport->RequestStop();
  audition.transport->OnPlayEnd(0);
}

TEST(Transport, WithNoTakeOpenedTheFirstFillEndsTheAuditionWithARewind) {
  Audition audition;
  PlaySelection missing;
  missing.takes[3] = audition.folder / "TRACK3_0.DAT";
  ASSERT_EQ(audition.transport->Start(missing, 500), 0);
  const auto notices = audition.play(1);
  const std::vector<Notice> expected = {{Notice::PlayPos, 500 + Half}, {Notice::PlayEnd, 1}};
  EXPECT_EQ(notices, expected);
  EXPECT_TRUE(audition.transport->OnPlayEnd(1));
}

// No output: nothing starts, which the owner tells the user; an output
// that appears later is found by the next Start, without a new transport.
TEST(Transport, WithoutASoundOutputNothingStartsAndTheNextStartLooksForItAgain) {
  TempFolder folder;
  WriteTake(folder / "TRACK0_0.DAT", "", test::Ramp(100, 0, 1));
  NoticeQueue notices;
  auto owned = std::make_unique<VirtualSoundDevice>(/*present=*/false);
  VirtualSoundDevice& device = *owned;
  Transport transport(notices, std::move(owned));
  EXPECT_EQ(transport.OutputName(), "");
  PlaySelection selection;
  selection.takes[0] = folder / "TRACK0_0.DAT";
  EXPECT_EQ(transport.Start(selection, 0), StartWithoutOutput);
  EXPECT_FALSE(transport.IsPlaying());
  EXPECT_FALSE(transport.Stream().HasThread());
  EXPECT_FALSE(transport.Files().AnyOpen());
  EXPECT_TRUE(notices.takeAll().empty());

  device.SetPresent(true);  // plugged in
  ASSERT_EQ(transport.Start(selection, 0), 1);
  EXPECT_TRUE(transport.IsPlaying());
  EXPECT_EQ(transport.OutputName(), "Virtual output");
  ASSERT_TRUE(device.PlayNextHalf());
  EXPECT_EQ(device.Received().size(), 2u * Transport::FramesPerHalf) << "the output plays";
  transport.RequestStop();
  for (const auto& notice : notices.takeAll())
    if (notice.kind == Notice::PlayEnd) transport.OnPlayEnd(int(notice.value));
  EXPECT_FALSE(transport.Files().AnyOpen());

  device.SetPresent(false);  // unplugged again
  EXPECT_EQ(transport.Start(selection, 0), StartWithoutOutput);
  EXPECT_EQ(transport.OutputName(), "");
}

// The device keeps playing on a thread of its own while the owner seeks and
// then ends the audition: the takes are closed only after the service thread
// has ended, and no fill comes after. (Under ThreadSanitizer this also checks
// that the slots are never touched by both threads at once.)
TEST(Transport, EndingWhileTheDeviceKeepsPlayingClosesTheTakesAfterTheLastFill) {
  Audition audition;
  ASSERT_EQ(audition.transport->Start(audition.selection, 0), 2);
  std::thread device([&] {
    while (audition.device->PlayNextHalf()) {
    }
  });
  ASSERT_TRUE(audition.device->WaitForHalvesWritten(2));
  for (uint32_t frame : {100u, 9000u, 2u, 20000u}) audition.transport->Seek(frame);
  ASSERT_TRUE(audition.device->WaitForHalvesWritten(4));
  audition.transport->RequestStop();
  const bool rewind = audition.transport->OnPlayEnd(0);
  const size_t written = audition.device->HalvesWritten();
  device.join();
  EXPECT_FALSE(audition.transport->Files().AnyOpen());
  EXPECT_FALSE(audition.transport->Stream().HasThread());
  EXPECT_EQ(audition.device->HalvesWritten(), written);
  // The takes may have run out meanwhile (PlayEnd 1 queued); the user's 0 is
  // what was handled here.
  EXPECT_FALSE(rewind);
}

}  // namespace
}  // namespace tp
