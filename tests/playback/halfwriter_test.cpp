// The writer that plays the ring through a blocking write: halves in order,
// each once, and a stop that keeps to its limit when the write never returns.
#include "playback/halfwriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "playback/autoresetevent.h"

namespace tp {
namespace {

constexpr uint32_t FramesPerHalf = 4;

// A blocking write that records what it was given; it can be told to hang
// inside its next write until released, as a stalled driver does. The write
// function holds the output, as a left writer may return long after the test
// has let go of it.
class FakeOutput : public std::enable_shared_from_this<FakeOutput> {
 public:
  // `alive` expires once the writer that was given the function is gone.
  HalfWriter::WriteHalf Function(std::weak_ptr<int>* alive = nullptr) {
    auto token = std::make_shared<int>(0);
    if (alive) *alive = token;
    return [self = shared_from_this(), token](const int16_t* samples, uint32_t frames) {
      std::unique_lock lock(self->mutex_);
      self->written_.emplace_back(samples, samples + frames * 2);
      self->changed_.notify_all();
      self->changed_.wait(lock, [&] { return !self->hang_; });
    };
  }
  void Hang() {
    std::lock_guard lock(mutex_);
    hang_ = true;
  }
  void Release() {
    std::lock_guard lock(mutex_);
    hang_ = false;
    changed_.notify_all();
  }
  bool WaitForWrites(size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return written_.size() >= count; });
  }
  std::vector<std::vector<int16_t>> Written() {
    std::lock_guard lock(mutex_);
    return written_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool hang_ = false;
  std::vector<std::vector<int16_t>> written_;
};

// The ring with half 0 set to `first` and half 1 to `second`, every value.
std::vector<int16_t> RingOf(int16_t first, int16_t second) {
  std::vector<int16_t> ring(2 * FramesPerHalf * 2, first);
  std::fill(ring.begin() + FramesPerHalf * 2, ring.end(), second);
  return ring;
}

TEST(HalfWriter, WritesEachHalfOnceInOrderOnlyAfterItIsHandedBack) {
  auto output = std::make_shared<FakeOutput>();
  AutoResetEvent played;
  std::vector<int16_t> ring = RingOf(1, 2);
  HalfWriter writer;
  ASSERT_TRUE(writer.Start(ring.data(), FramesPerHalf, played, output->Function()));
  ASSERT_TRUE(output->WaitForWrites(2));
  ASSERT_TRUE(played.WaitFor(std::chrono::seconds(10)));
  // Both halves were played and neither was handed back: nothing more is written.
  EXPECT_TRUE(writer.HalfPlayed(0));

  std::fill(ring.begin(), ring.begin() + FramesPerHalf * 2, int16_t(3));
  writer.HalfWritten(0);
  ASSERT_TRUE(output->WaitForWrites(3));
  EXPECT_TRUE(writer.Stop(std::chrono::seconds(10)));

  const auto written = output->Written();
  ASSERT_EQ(written.size(), 3u);
  EXPECT_EQ(written[0], std::vector<int16_t>(FramesPerHalf * 2, 1));
  EXPECT_EQ(written[1], std::vector<int16_t>(FramesPerHalf * 2, 2));
  EXPECT_EQ(written[2], std::vector<int16_t>(FramesPerHalf * 2, 3));
  EXPECT_FALSE(writer.Running());
}

TEST(HalfWriter, AStopLeavesAWriteThatNeverReturnsAndTheLeftWriterTouchesNothingOfTheStream) {
  auto output = std::make_shared<FakeOutput>();
  output->Hang();
  AutoResetEvent played;
  auto ring = std::make_unique<std::vector<int16_t>>(RingOf(5, 6));
  HalfWriter writer;
  std::weak_ptr<int> leftWriter;
  ASSERT_TRUE(writer.Start(ring->data(), FramesPerHalf, played, output->Function(&leftWriter)));
  ASSERT_TRUE(output->WaitForWrites(1));

  // The write hangs: the stop gives up at its limit and says so.
  EXPECT_FALSE(writer.Stop(std::chrono::milliseconds(20)));
  EXPECT_FALSE(writer.Running());
  EXPECT_FALSE(writer.HalfPlayed(0));

  // The stream frees its ring (the sanitizer builds catch a read of it).
  // When the write finally returns, the left writer ends without writing
  // again and without signalling the stream.
  ring.reset();
  output->Release();
  for (int waited = 0; !leftWriter.expired() && waited < 10000; ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(leftWriter.expired()) << "the left writer never ended";
  EXPECT_FALSE(played.WaitFor(std::chrono::milliseconds(0)))
      << "the left writer signalled a stream that had stopped";

  // A new run on the same writer works as the first did.
  std::vector<int16_t> secondRing = RingOf(7, 8);
  ASSERT_TRUE(writer.Start(secondRing.data(), FramesPerHalf, played, output->Function()));
  ASSERT_TRUE(output->WaitForWrites(3));
  EXPECT_TRUE(writer.Stop(std::chrono::seconds(10)));
  const auto written = output->Written();
  ASSERT_EQ(written.size(), 3u) << "the left writer wrote again after its stop";
  EXPECT_EQ(written[0], std::vector<int16_t>(FramesPerHalf * 2, 5));
  EXPECT_EQ(written[1], std::vector<int16_t>(FramesPerHalf * 2, 7));
  EXPECT_EQ(written[2], std::vector<int16_t>(FramesPerHalf * 2, 8));
}

}  // namespace
}  // namespace tp
