// The stream's service thread must never wait for memory or for another
// thread because of the meters. This executable replaces the global
// operator new and pthread_mutex_lock with versions that count what a
// "checked" thread does; the test double of the sound device marks the
// thread that hands it written halves, which is the service thread, so every
// later fill runs under the checker.
#include "playback/transport.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "loudness/sampleexchange.h"
#include "mix/levelexchange.h"
#include "playback/virtualsounddevice.h"
#include "support/projectfixture.h"

namespace {

thread_local bool checkedThread = false;
std::atomic<long> checkedAllocations{0};
std::atomic<long> checkedLocks{0};

void* countedAllocation(std::size_t size) {
  if (checkedThread) checkedAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return countedAllocation(size); }
void* operator new[](std::size_t size) { return countedAllocation(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return countedAllocation(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

// The C library's own function, found before main runs (while there is one
// thread): this executable's definition below stands in front of it, so
// std::mutex and everything linked in counts before locking.
namespace {
using LockFunction = int (*)(pthread_mutex_t*);
const LockFunction libraryLock = reinterpret_cast<LockFunction>(dlsym(RTLD_NEXT, "pthread_mutex_lock"));
}  // namespace

extern "C" int pthread_mutex_lock(pthread_mutex_t* mutex) {
  if (checkedThread) checkedLocks.fetch_add(1, std::memory_order_relaxed);
  return libraryLock(mutex);
}

namespace tp {
namespace {

using test::TempFolder;
using test::WriteTake;

// The virtual device, which also puts the stream's service thread under the
// checker the first time that thread reports a written half.
class CheckingDevice : public VirtualSoundDevice {
 public:
  void HalfWritten(int half) override {
    checkedThread = true;
    VirtualSoundDevice::HalfWritten(half);
  }
};

// Notices that cost nothing: the window's and the command line's queues
// are theirs to answer for, not the meters'.
class AtomicNotices : public TransportEvents {
 public:
  void PostPlayEnd(int) override { ended.store(true); }
  void PostPlayPos(uint32_t) override { positions.fetch_add(1); }
  std::atomic<bool> ended{false};
  std::atomic<int> positions{0};
};

// Runs `warmUp` and then `work` on a thread of their own, `work` under the
// checker; returns the allocations and locks `work` made.
std::pair<long, long> UnderChecker(const std::function<void()>& warmUp, const std::function<void()>& work) {
  checkedAllocations = 0;
  checkedLocks = 0;
  std::thread worker([&warmUp, &work] {
    warmUp();
    checkedThread = true;
    work();
    checkedThread = false;
  });
  worker.join();
  return {checkedAllocations.load(), checkedLocks.load()};
}

TEST(Checker, CountsAnAllocationAndALockOfACheckedThreadOnly) {
  std::mutex mutex;
  const auto [allocations, locks] = UnderChecker([] {}, [&mutex] {
    delete new std::string(100, 'x');
    std::lock_guard lock(mutex);
  });
  EXPECT_GE(allocations, 1);
  EXPECT_EQ(locks, 1);
  checkedAllocations = 0;
  delete new std::string(100, 'x');
  EXPECT_EQ(checkedAllocations.load(), 0) << "the test's own thread is not checked";
}

TEST(MetersOnTheStreamThread, MixingWithLevelsAndPublishingThemAndTheirFramesTakesNoLockAndNoMemory) {
  TempFolder folder;
  TakeFiles files;
  for (int slot = 0; slot < 16; ++slot) {
    WriteTake(folder / ("t" + std::to_string(slot)), "", test::Ramp(40000, -30000 + 1000 * slot, 3));
    ASSERT_TRUE(files.Open(slot, folder / ("t" + std::to_string(slot)), 0));
  }
  MixerSettings settings;
  settings.mute[3] = true;
  settings.solo[5] = settings.solo[9] = true;
  LevelExchange exchange;
  SampleExchange frames(2 * Transport::FramesPerHalf);
  std::vector<int16_t> block(2 * Transport::FramesPerHalf);
  BlockLevels taken;
  // The mixer may set up what it needs once per thread on its first block;
  // the stream's thread does that on the audition's first fill. What
  // follows, every block, is what must cost nothing.
  const auto warmUp = [&] { MixBlock(block.data(), Transport::FramesPerHalf, files, false, settings); };
  const auto [allocations, locks] = UnderChecker(warmUp, [&] {
    for (int n = 0; n < 4; ++n) {
      BlockLevels levels;
      MixBlock(block.data(), Transport::FramesPerHalf, files, false, settings, &levels);
      levels.mix = StereoPeaks(block.data(), Transport::FramesPerHalf);
      exchange.Publish(levels, 7);
      frames.Push(block.data(), Transport::FramesPerHalf);
    }
    taken = exchange.Take();
  });
  EXPECT_EQ(allocations, 0);
  EXPECT_EQ(locks, 0);
  EXPECT_GT(taken.strip[5], 0) << "the soloed strips were measured";
  EXPECT_EQ(taken.strip[3], 0);
  EXPECT_TRUE(exchange.ClipLit());
  std::vector<int16_t> handed(2 * 4 * Transport::FramesPerHalf);
  EXPECT_EQ(frames.Pop(handed.data(), 4 * Transport::FramesPerHalf), 2 * Transport::FramesPerHalf)
      << "a full ring drops what does not fit";
}

TEST(MetersOnTheStreamThread, AnAuditionsFillsAllocateNothing) {
  TempFolder folder;
  PlaySelection selection;
  for (int track = 0; track < 16; ++track) {
    const auto path = folder / ("TRACK" + std::to_string(track) + ".DAT");
    WriteTake(path, "", test::Ramp(6 * Transport::FramesPerHalf, -32000 + 3000 * track, 5));
    selection.takes[size_t(track)] = path;
  }
  AtomicNotices notices;
  auto owned = std::make_unique<CheckingDevice>();
  CheckingDevice* device = owned.get();
  Transport transport(notices, std::move(owned));
  transport.Settings().mute[2] = true;
  transport.Settings().volume[7] = 127;  // loud enough to clip

  ASSERT_EQ(transport.Start(selection, 0), 16);
  // The first fill marks the service thread; the next five run checked.
  ASSERT_TRUE(device->PlayNextHalf());
  ASSERT_TRUE(device->WaitForHalvesWritten(1));
  checkedAllocations = 0;
  for (size_t half = 2; half <= 6; ++half) {
    ASSERT_TRUE(device->PlayNextHalf());
    ASSERT_TRUE(device->WaitForHalvesWritten(half));
  }
  EXPECT_EQ(checkedAllocations.load(), 0);
  EXPECT_EQ(notices.positions.load(), 6) << "the fills did mix six blocks";
  std::vector<int16_t> handed(2 * 8 * Transport::FramesPerHalf);
  EXPECT_EQ(transport.MixedFrames().Pop(handed.data(), 8 * Transport::FramesPerHalf), 6 * Transport::FramesPerHalf)
      << "every fill handed its frames to the loudness meter";
  const BlockLevels levels = transport.Levels().Take();
  EXPECT_GT(levels.strip[7], 0);
  EXPECT_EQ(levels.strip[2], 0);
  transport.OnPlayEnd(PlayEndedByUser);
}

}  // namespace
}  // namespace tp
