#include "playback/audiooutstream.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "playback/virtualsounddevice.h"

namespace tp {
namespace {

constexpr uint32_t FramesPerHalf = 8192;
constexpr uint32_t HalfBytes = 32768;

// The fill function of these tests: fill number k (from 0) writes k + 1 on
// every left sample and the frame's index on every right sample, so the
// halves the device receives show which fill they came from, and whether it
// was complete.
class RecordingFill {
 public:
  struct Request {
    const uint8_t* region;
    uint32_t bytes;
    std::thread::id thread;
  };

  // The stream's service thread.
  int operator()(uint8_t* region, uint32_t bytes) {
    auto* frames = reinterpret_cast<int16_t*>(region);
    int16_t mark = 0;
    {
      std::lock_guard lock(mutex_);
      requests_.push_back({region, bytes, std::this_thread::get_id()});
      mark = int16_t(requests_.size());
    }
    for (uint32_t n = 0; n < bytes / 4; ++n) {
      frames[2 * n] = mark;
      frames[2 * n + 1] = int16_t(n);
    }
    return 0;
  }

  std::vector<Request> requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Request> requests_;
};

struct StreamRig {
  explicit StreamRig(StreamOptions options = {}, bool devicePresent = true) {
    auto owned = std::make_unique<VirtualSoundDevice>(devicePresent);
    device = owned.get();
    stream = std::make_unique<AudioOutStream>([this](uint8_t* r, uint32_t b) { return fill(r, b); },
                                              std::move(owned), std::move(options));
  }
  size_t offsetOf(const RecordingFill::Request& request) const {
    return size_t(request.region - reinterpret_cast<const uint8_t*>(device->Ring()));
  }

  RecordingFill fill;
  VirtualSoundDevice* device = nullptr;
  std::unique_ptr<AudioOutStream> stream;
};

// Checks that `received` holds the silent start followed by the halves of
// fills firstFill, firstFill + 1, ... (marks as RecordingFill writes them).
void expectSilentStartThenFills(const std::vector<int16_t>& received, size_t halves, int firstFill) {
  ASSERT_EQ(received.size(), halves * FramesPerHalf * 2);
  for (size_t i = 0; i < 2 * FramesPerHalf * 2; ++i)
    ASSERT_EQ(received[i], 0) << "value " << i << " of the silent start";
  for (size_t half = 2; half < halves; ++half) {
    const int16_t mark = int16_t(firstFill + int(half) - 2);
    for (uint32_t n = 0; n < FramesPerHalf; ++n) {
      const size_t frame = half * FramesPerHalf + n;
      ASSERT_EQ(received[2 * frame], mark) << "half " << half << " frame " << n;
      ASSERT_EQ(received[2 * frame + 1], int16_t(n)) << "half " << half << " frame " << n;
    }
  }
}

TEST(AudioOutStream, TheDeviceGetsTwoSilentHalvesThenEveryFillInOrder) {
  StreamRig rig;
  ASSERT_EQ(rig.stream->Open(), StreamOk);
  ASSERT_EQ(rig.stream->Prepare(44100, FramesPerHalf), StreamOk);
  EXPECT_EQ(rig.device->FramesPerSecond(), 44100u);
  EXPECT_EQ(rig.device->FramesPerHalf(), FramesPerHalf);
  ASSERT_EQ(rig.stream->Start(), StreamOk);
  EXPECT_EQ(rig.stream->HalfIndex(), 0);

  for (int i = 0; i < 7; ++i) ASSERT_TRUE(rig.device->PlayNextHalf()) << "half " << i;
  ASSERT_TRUE(rig.device->WaitForHalvesWritten(7));
  expectSilentStartThenFills(rig.device->Received(), 7, 1);

  // The first request is for offset 0, the next for 32768, and so on; each
  // covers one whole half.
  const auto requests = rig.fill.requests();
  ASSERT_EQ(requests.size(), 7u);
  for (size_t i = 0; i < requests.size(); ++i) {
    EXPECT_EQ(rig.offsetOf(requests[i]), i % 2 == 0 ? 0u : size_t(HalfBytes)) << "request " << i;
    EXPECT_EQ(requests[i].bytes, HalfBytes) << "request " << i;
  }
  EXPECT_EQ(rig.stream->HalfIndex(), 1) << "after 7 fills the next is the second half";
  EXPECT_EQ(rig.stream->Stop(), StreamOk);
}

TEST(AudioOutStream, PreparingTwiceKeepsTheFirstRing) {
  StreamRig rig;
  ASSERT_EQ(rig.stream->Open(), StreamOk);
  ASSERT_EQ(rig.stream->Prepare(44100, FramesPerHalf), StreamOk);
  const int16_t* ring = rig.device->Ring();
  EXPECT_EQ(rig.stream->Prepare(22050, 4096), StreamOk);
  EXPECT_EQ(rig.device->RingsCreated(), 1);
  EXPECT_EQ(rig.device->Ring(), ring);
  EXPECT_EQ(rig.device->FramesPerHalf(), FramesPerHalf);
}

TEST(AudioOutStream, StartWhilePlayingReturnsOneAndAddsNoSecondThread) {
  StreamRig rig;
  ASSERT_EQ(rig.stream->Open(), StreamOk);
  ASSERT_EQ(rig.stream->Prepare(44100, FramesPerHalf), StreamOk);
  ASSERT_EQ(rig.stream->Start(), StreamOk);
  EXPECT_EQ(rig.stream->Start(), StreamNothingToDo);
  for (int i = 0; i < 6; ++i) ASSERT_TRUE(rig.device->PlayNextHalf());
  ASSERT_TRUE(rig.device->WaitForHalvesWritten(6));
  expectSilentStartThenFills(rig.device->Received(), 6, 1);
  const auto requests = rig.fill.requests();
  ASSERT_EQ(requests.size(), 6u) << "one fill per played half, not two";
  for (const auto& request : requests) EXPECT_EQ(request.thread, requests[0].thread);
}

TEST(AudioOutStream, StopAndStartFindNothingToDoOrFailWithoutARing) {
  StreamRig rig;
  EXPECT_EQ(rig.stream->Start(), StreamFailed) << "no ring yet";
  EXPECT_EQ(rig.stream->Stop(), StreamFailed) << "no ring yet";
  ASSERT_EQ(rig.stream->Open(), StreamOk);
  ASSERT_EQ(rig.stream->Prepare(44100, FramesPerHalf), StreamOk);
  EXPECT_EQ(rig.stream->Stop(), StreamNothingToDo) << "prepared but not playing";
  EXPECT_FALSE(rig.stream->HasThread());
  ASSERT_EQ(rig.stream->Start(), StreamOk);
  EXPECT_EQ(rig.stream->Stop(), StreamOk);
  EXPECT_EQ(rig.stream->Stop(), StreamNothingToDo);
  EXPECT_EQ(rig.stream->ReleaseBuffer(), StreamOk);
  EXPECT_EQ(rig.stream->Start(), StreamFailed) << "the ring was released";
  EXPECT_EQ(rig.stream->Stop(), StreamFailed);
  EXPECT_EQ(rig.stream->Close(), StreamOk);
}

TEST(AudioOutStream, AfterStopNoFillArrivesAndANewStartBeginsSilentAtTheFirstHalf) {
  StreamRig rig;
  ASSERT_EQ(rig.stream->Open(), StreamOk);
  ASSERT_EQ(rig.stream->Prepare(44100, FramesPerHalf), StreamOk);
  ASSERT_EQ(rig.stream->Start(), StreamOk);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(rig.device->PlayNextHalf());
  ASSERT_TRUE(rig.device->WaitForHalvesWritten(3));
  ASSERT_EQ(rig.stream->Stop(), StreamOk);
  EXPECT_FALSE(rig.stream->HasThread()) << "Stop waited for the thread";
  EXPECT_NE(rig.stream->StopRequest(), 0u);

  rig.device->SignalWithoutPlaying();
  EXPECT_FALSE(rig.device->PlayNextHalf()) << "the device is stopped";
  EXPECT_EQ(rig.fill.requests().size(), 3u);

  // The ring still holds fills 1..3; the new run must not play them.
  ASSERT_EQ(rig.stream->Start(), StreamOk);
  EXPECT_EQ(rig.stream->StopRequest(), 0u);
  EXPECT_EQ(rig.stream->HalfIndex(), 0);
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(rig.device->PlayNextHalf());
  ASSERT_TRUE(rig.device->WaitForHalvesWritten(4));
  expectSilentStartThenFills(rig.device->Received(), 4, 4);
  const auto requests = rig.fill.requests();
  ASSERT_EQ(requests.size(), 7u);
  EXPECT_EQ(rig.offsetOf(requests[3]), 0u) << "the new run's first fill is the first half";
  EXPECT_EQ(rig.offsetOf(requests[4]), size_t(HalfBytes));
  EXPECT_EQ(rig.stream->Stop(), StreamOk);
  EXPECT_EQ(rig.stream->ReleaseBuffer(), StreamOk);
}

TEST(AudioOutStream, WithoutASoundDeviceNothingIsPreparedOrFilled) {
  StreamRig rig({}, /*devicePresent=*/false);
  EXPECT_LT(rig.stream->Open(), 0);
  EXPECT_LT(rig.stream->Prepare(44100, FramesPerHalf), 0);
  EXPECT_EQ(rig.device->RingsCreated(), 0);
  EXPECT_EQ(rig.stream->Start(), StreamFailed);
  EXPECT_EQ(rig.stream->Stop(), StreamFailed);
  EXPECT_FALSE(rig.stream->HasThread());
  EXPECT_EQ(rig.stream->Close(), StreamOk);
  EXPECT_TRUE(rig.fill.requests().empty());
}

// Collects trace lines; the test waits for them instead of sleeping.
class TraceLines {
 public:
  void add(const char* line) {
    {
      std::lock_guard lock(mutex_);
      lines_.emplace_back(line);
    }
    changed_.notify_all();
  }
  bool waitFor(size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return lines_.size() >= count; });
  }
  std::vector<std::string> lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> lines_;
};

TEST(AudioOutStream, AWaitThatTimesOutTracesOneLineAndWaitsAgainWithoutFilling) {
  TraceLines trace;
  StreamOptions options;
  options.halfPlayedWait = std::chrono::milliseconds(1);
  options.trace = [&trace](const char* line) { trace.add(line); };
  StreamRig rig(options);
  ASSERT_EQ(rig.stream->Open(), StreamOk);
  ASSERT_EQ(rig.stream->Prepare(44100, FramesPerHalf), StreamOk);
  ASSERT_EQ(rig.stream->Start(), StreamOk);
  ASSERT_TRUE(trace.waitFor(3)) << "the thread keeps waiting after a time-out";
  EXPECT_TRUE(rig.fill.requests().empty());
  for (const auto& line : trace.lines()) {
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_NE(line.find("did not signal"), std::string::npos) << line;
  }
  // The next signal is still answered with the first half.
  ASSERT_TRUE(rig.device->PlayNextHalf());
  ASSERT_TRUE(rig.device->WaitForHalvesWritten(1));
  ASSERT_EQ(rig.fill.requests().size(), 1u);
  EXPECT_EQ(rig.offsetOf(rig.fill.requests()[0]), 0u);
  EXPECT_EQ(rig.stream->Stop(), StreamOk);
}

// A fill that does not return until the test lets it.
class Gate {
 public:
  void waitUntilOpen() {
    std::unique_lock lock(mutex_);
    entered_ = true;
    changed_.notify_all();
    changed_.wait(lock, [&] { return open_; });
  }
  bool waitUntilEntered() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return entered_; });
  }
  void open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool entered_ = false;
  bool open_ = false;
};

TEST(AudioOutStream, StopGivesUpWaitingAfterItsTimeOutAndCloseWaitsForTheThread) {
  Gate gate;
  std::atomic<int> fills{0};
  StreamOptions options;
  options.stopWait = std::chrono::milliseconds(20);
  auto owned = std::make_unique<VirtualSoundDevice>();
  VirtualSoundDevice* device = owned.get();
  AudioOutStream stream(
      [&](uint8_t*, uint32_t) {
        ++fills;
        gate.waitUntilOpen();
        return 0;
      },
      std::move(owned), options);
  ASSERT_EQ(stream.Open(), StreamOk);
  ASSERT_EQ(stream.Prepare(44100, FramesPerHalf), StreamOk);
  ASSERT_EQ(stream.Start(), StreamOk);
  ASSERT_TRUE(device->PlayNextHalf());
  ASSERT_TRUE(gate.waitUntilEntered());

  // The thread is stuck in its fill: Stop stops the device regardless.
  EXPECT_EQ(stream.Stop(), StreamOk);
  EXPECT_FALSE(device->IsPlaying());
  EXPECT_LE(device->LastStopLimit(), options.stopWait)
      << "the device's stop gets only what is left of the stream's time";
  EXPECT_TRUE(stream.HasThread());
  EXPECT_EQ(stream.Start(), StreamFailed) << "the last run's thread has not ended";

  gate.open();
  EXPECT_EQ(stream.Close(), StreamOk);
  EXPECT_FALSE(stream.HasThread());
  EXPECT_EQ(fills.load(), 1) << "the thread saw the stop request and filled no more";
}

TEST(AudioOutStream, TwoHalvesPlayedWhileTheThreadWasBusyAreBothFilledOnOneWake) {
  // The thread is held inside its first time-out trace while the device plays
  // both silent halves: the two signals merge into one, yet both halves must
  // be refilled, or the device would wait a half behind from then on.
  Gate trace;
  std::atomic<bool> firstTrace{true};
  StreamOptions options;
  options.halfPlayedWait = std::chrono::milliseconds(1);
  options.trace = [&](const char*) {
    if (firstTrace.exchange(false)) trace.waitUntilOpen();
  };
  StreamRig rig(options);
  ASSERT_EQ(rig.stream->Open(), StreamOk);
  ASSERT_EQ(rig.stream->Prepare(44100, FramesPerHalf), StreamOk);
  ASSERT_EQ(rig.stream->Start(), StreamOk);
  ASSERT_TRUE(trace.waitUntilEntered());
  ASSERT_TRUE(rig.device->PlayNextHalf());
  ASSERT_TRUE(rig.device->PlayNextHalf());
  trace.open();
  ASSERT_TRUE(rig.device->WaitForHalvesWritten(2));
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(rig.device->PlayNextHalf());
  ASSERT_TRUE(rig.device->WaitForHalvesWritten(5));
  expectSilentStartThenFills(rig.device->Received(), 5, 1);
  const auto requests = rig.fill.requests();
  ASSERT_EQ(requests.size(), 5u);
  EXPECT_EQ(rig.offsetOf(requests[0]), 0u);
  EXPECT_EQ(rig.offsetOf(requests[1]), size_t(HalfBytes));
  EXPECT_EQ(rig.stream->Stop(), StreamOk);
}

}  // namespace
}  // namespace tp
