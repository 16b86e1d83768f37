// The preview's writer: blocks played in order and each handed back once,
// and a reset that keeps to its limit when the write never returns.
#include "playback/previewwriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tp {
namespace {

// A blocking write that records the first sample of each block it was given;
// it can be told to hang inside its writes until released, as a stalled
// driver does. The write function holds the output, since a left writer may
// return long after the test has let go of it; `alive` expires once the
// writer that was given the function is gone.
class FakeOutput : public std::enable_shared_from_this<FakeOutput> {
 public:
  PreviewWriter::Write Function(std::weak_ptr<int>* alive = nullptr) {
    auto token = std::make_shared<int>(0);
    if (alive) *alive = token;
    return [self = shared_from_this(), token](const int16_t* samples, uint32_t) {
      std::unique_lock lock(self->mutex_);
      self->firsts_.push_back(samples[0]);
      self->changed_.notify_all();
      self->changed_.wait(lock, [&] { return !self->hang_; });
    };
  }
  void Hang(bool hang) {
    std::lock_guard lock(mutex_);
    hang_ = hang;
    changed_.notify_all();
  }
  bool WaitForWrites(size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return firsts_.size() >= count; });
  }
  std::vector<int16_t> Firsts() {
    std::lock_guard lock(mutex_);
    return firsts_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool hang_ = false;
  std::vector<int16_t> firsts_;
};

// The blocks handed back, in order, from whichever thread.
class HandedBack {
 public:
  PreviewOutput::BlockDone Function() {
    return [this](PreviewBlock* block) {
      std::lock_guard lock(mutex_);
      blocks_.push_back(block);
      changed_.notify_all();
    };
  }
  bool WaitFor(size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return blocks_.size() >= count; });
  }
  std::vector<PreviewBlock*> Blocks() {
    std::lock_guard lock(mutex_);
    return blocks_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<PreviewBlock*> blocks_;
};

// Stereo blocks of 4 frames whose samples all hold their number.
std::vector<std::unique_ptr<PreviewBlock>> NumberedBlocks(int count) {
  std::vector<std::unique_ptr<PreviewBlock>> blocks;
  for (int i = 0; i < count; ++i) {
    blocks.push_back(std::make_unique<PreviewBlock>());
    blocks.back()->samples.assign(8, int16_t(i + 1));
  }
  return blocks;
}

TEST(PreviewWriter, PlaysBlocksInOrderAndResetHandsBackEveryBlockOnce) {
  auto output = std::make_shared<FakeOutput>();
  HandedBack handedBack;
  PreviewWriter writer;
  ASSERT_TRUE(writer.Start(2, output->Function(), handedBack.Function()));
  auto blocks = NumberedBlocks(3);
  for (auto& block : blocks) ASSERT_TRUE(writer.Queue(block.get()));
  ASSERT_TRUE(handedBack.WaitFor(3));
  EXPECT_EQ(output->Firsts(), (std::vector<int16_t>{1, 2, 3}));
  EXPECT_EQ(handedBack.Blocks(), (std::vector<PreviewBlock*>{blocks[0].get(), blocks[1].get(), blocks[2].get()}));

  // Held inside the fourth write, with a fifth queued, and released while
  // the reset waits: the reset ends the writer and every block comes back
  // exactly once, whichever way the release and the reset meet.
  output->Hang(true);
  auto more = NumberedBlocks(2);
  ASSERT_TRUE(writer.Queue(more[0].get()));
  ASSERT_TRUE(writer.Queue(more[1].get()));
  ASSERT_TRUE(output->WaitForWrites(4));
  std::thread release([&] { output->Hang(false); });
  EXPECT_TRUE(writer.Reset(std::chrono::seconds(10)));
  release.join();
  EXPECT_FALSE(writer.Running());
  const auto back = handedBack.Blocks();
  ASSERT_EQ(back.size(), 5u);
  EXPECT_EQ(std::count(back.begin(), back.end(), more[0].get()), 1);
  EXPECT_EQ(std::count(back.begin(), back.end(), more[1].get()), 1);
}

TEST(PreviewWriter, AResetLeavesAWriteThatNeverReturnsAndTheLeftWriterHandsNothingBack) {
  auto output = std::make_shared<FakeOutput>();
  output->Hang(true);
  HandedBack handedBack;
  PreviewWriter writer;
  std::weak_ptr<int> leftWriter;
  ASSERT_TRUE(writer.Start(2, output->Function(&leftWriter), handedBack.Function()));
  auto blocks = NumberedBlocks(2);
  ASSERT_TRUE(writer.Queue(blocks[0].get()));
  ASSERT_TRUE(writer.Queue(blocks[1].get()));
  ASSERT_TRUE(output->WaitForWrites(1));

  // The write hangs: the reset gives up at its limit, and both blocks, the
  // one inside the write too, are the preview's again at once.
  EXPECT_FALSE(writer.Reset(std::chrono::milliseconds(20)));
  EXPECT_EQ(handedBack.Blocks(), (std::vector<PreviewBlock*>{blocks[0].get(), blocks[1].get()}));

  // The preview frees its blocks (the sanitizer builds catch a read of
  // them); when the write finally returns, the left writer ends without
  // writing or handing back anything.
  blocks.clear();
  output->Hang(false);
  for (int waited = 0; !leftWriter.expired() && waited < 10000; ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(leftWriter.expired()) << "the left writer never ended";
  EXPECT_EQ(handedBack.Blocks().size(), 2u);
  EXPECT_EQ(output->Firsts().size(), 1u);
}

}  // namespace
}  // namespace tp
