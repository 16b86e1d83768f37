// The outline worker: every cell delivered from its own thread, the cache
// used on a second look, a changed file read again, pausing, and results of
// a song left behind never delivered.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "outlinetestsupport.h"
#include "project/messages.h"
#include "storage/filehandle.h"
#include "support/projectfixture.h"
#include "support/sndfileio.h"
#include "support/tempfolder.h"
#include "waveform/fileoutlineworker.h"
#include "waveform/outlineworker.h"

namespace tp::test {
namespace {

namespace fs = std::filesystem;

constexpr int Columns = 16;

// What the worker delivered, gathered from its thread.
struct Deliveries {
  std::mutex mutex;
  std::condition_variable arrived;
  std::vector<std::pair<uint64_t, CellOutline>> list;
  std::set<std::thread::id> threads;

  OutlineWorker::Deliver Sink() {
    return [this](uint64_t generation, CellOutline outline) {
      std::lock_guard lock(mutex);
      list.emplace_back(generation, std::move(outline));
      threads.insert(std::this_thread::get_id());
      arrived.notify_all();
    };
  }
  // Waits for `count` deliveries in all; the bound only keeps a broken
  // worker from hanging the suite.
  bool WaitFor(size_t count) {
    std::unique_lock lock(mutex);
    return arrived.wait_for(lock, std::chrono::seconds(60), [&] { return list.size() >= count; });
  }
  size_t Count() {
    std::lock_guard lock(mutex);
    return list.size();
  }
};

class OutlineWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(song);
    for (int take = 0; take < 3; ++take) {
      samples[take] = Noise(5000 + 1000 * size_t(take), uint32_t(take + 1));
      WriteTake(song / TakeFileName(0, take), "take", samples[take]);
    }
    WriteTake(song / "TRACKL_0.DAT", "mix", Noise(4000, 11));
    WriteTake(song / "TRACKR_0.DAT", "mix", Noise(4000, 12));
  }
  std::vector<OutlineJob> Jobs() const {
    std::vector<OutlineJob> jobs;
    for (int take = 0; take < 3; ++take) jobs.push_back({take, {TakeFileName(0, take)}});
    jobs.push_back({160, {"TRACKL_0.DAT", "TRACKR_0.DAT"}});
    return jobs;
  }
  TempFolder scratch;
  const std::filesystem::path song = scratch / "SONG01";
  const std::filesystem::path cache = scratch / "cache";
  std::map<int, std::vector<int16_t>> samples;
};

TEST_F(OutlineWorkerTest, EveryCellIsDeliveredFromTheWorkersThreadWithItsOutline) {
  Deliveries got;
  OutlineWorker worker(cache, Columns, got.Sink());
  const uint64_t generation = worker.FollowSong(song, Jobs());
  ASSERT_TRUE(got.WaitFor(4));
  EXPECT_FALSE(got.threads.contains(std::this_thread::get_id()));
  for (const auto& [delivered, cell] : got.list) {
    EXPECT_EQ(delivered, generation);
    ASSERT_TRUE(cell.failure.ok()) << cell.failure.Text();
    if (cell.cell == 160) {
      ASSERT_EQ(cell.channels.size(), 2u);
      EXPECT_EQ(cell.channels[0], ExpectedOutline(Noise(4000, 11), Columns));
      EXPECT_EQ(cell.channels[1], ExpectedOutline(Noise(4000, 12), Columns));
    } else {
      ASSERT_EQ(cell.channels.size(), 1u);
      EXPECT_EQ(cell.channels[0], ExpectedOutline(samples[cell.cell], Columns));
    }
  }
  EXPECT_EQ(worker.TakesRead(), 5);
}

TEST_F(OutlineWorkerTest, ASecondLookAtTheSongReadsNoTakeAndDeliversTheSameOutlines) {
  Deliveries first, second;
  {
    OutlineWorker worker(cache, Columns, first.Sink());
    worker.FollowSong(song, Jobs());
    ASSERT_TRUE(first.WaitFor(4));
  }
  OutlineWorker worker(cache, Columns, second.Sink());
  worker.FollowSong(song, Jobs());
  ASSERT_TRUE(second.WaitFor(4));
  EXPECT_EQ(worker.TakesRead(), 0);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(second.list[i].second.channels, first.list[i].second.channels);
}

TEST_F(OutlineWorkerTest, OnlyACellTheWindowDoesNotShowIsDeliveredAgainWhenItsFilesAreUnchanged) {
  Deliveries got;
  {
    OutlineWorker worker(cache, Columns, got.Sink());
    worker.FollowSong(song, Jobs());
    ASSERT_TRUE(got.WaitFor(4));
    std::vector<OutlineJob> shown = Jobs();
    for (OutlineJob& job : shown) job.shown = true;
    worker.FollowSong(song, shown);
    shown[0].shown = false;
    worker.FollowSong(song, shown);
    ASSERT_TRUE(got.WaitFor(5));
    EXPECT_EQ(worker.TakesRead(), 5);  // the fifth from the cache
  }  // joined: nothing more can come
  EXPECT_EQ(got.list.size(), 5u);
  EXPECT_EQ(got.list.back().second.cell, 0);
}

struct Change {
  const char* name;
  void (*apply)(const std::filesystem::path& take);
};

class ChangedTake : public OutlineWorkerTest, public ::testing::WithParamInterface<Change> {};

TEST_P(ChangedTake, IsReadAgainAndItsNewOutlineDelivered) {
  Deliveries got;
  {
    OutlineWorker worker(cache, Columns, got.Sink());
    worker.FollowSong(song, Jobs());
    ASSERT_TRUE(got.WaitFor(4));
  }
  const std::filesystem::path take = song / TakeFileName(0, 1);
  GetParam().apply(take);
  Deliveries again;
  OutlineWorker worker(cache, Columns, again.Sink());
  worker.FollowSong(song, Jobs());
  ASSERT_TRUE(again.WaitFor(4));
  EXPECT_EQ(worker.TakesRead(), 1);
  for (const auto& [generation, cell] : again.list) {
    if (cell.cell != 1) continue;
    EXPECT_EQ(cell.channels.at(0), ExpectedOutline(ReadTakeSamples(take), Columns));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ChangedTake,
    ::testing::Values(
        Change{"NewSize", [](const std::filesystem::path& take) { WriteTake(take, "take", Noise(9000, 99)); }},
        // The same length, other samples, and a time one second later: only
        // the time tells the two versions apart.
        Change{"NewTime", [](const std::filesystem::path& take) {
                 struct stat before {};
                 ::stat(take.c_str(), &before);
                 WriteTake(take, "take", Noise(6000, 98));
                 timespec times[2] = {before.st_atim, before.st_mtim};
                 times[1].tv_sec += 1;
                 ::utimensat(AT_FDCWD, take.c_str(), times, 0);
               }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OutlineWorkerTest, ATakeIsFoundWhateverTheLetterCaseOfItsName) {
  fs::rename(song / TakeFileName(0, 1), song / "track0_1.dat");
  Deliveries got;
  OutlineWorker worker(cache, Columns, got.Sink());
  worker.FollowSong(song, Jobs());
  ASSERT_TRUE(got.WaitFor(4));
  for (const auto& [generation, cell] : got.list) {
    if (cell.cell != 1) continue;
    ASSERT_TRUE(cell.failure.ok()) << cell.failure.Text();
    EXPECT_EQ(cell.channels.at(0), ExpectedOutline(samples[1], Columns));
  }
}

TEST_F(OutlineWorkerTest, APausedWorkerDeliversNothingUntilResumed) {
  Deliveries got;
  OutlineWorker worker(cache, Columns, got.Sink());
  worker.SetPaused(true);
  worker.FollowSong(song, Jobs());
  while (worker.Gate().Waits() == 0) std::this_thread::yield();
  EXPECT_EQ(got.Count(), 0u);
  worker.SetPaused(false);
  ASSERT_TRUE(got.WaitFor(4));
}

TEST_F(OutlineWorkerTest, OutlinesOfASongLeftBehindAreNeverDelivered) {
  const std::filesystem::path other = scratch / "SONG02";
  std::filesystem::create_directories(other);
  WriteTake(other / TakeFileName(3, 3), "take", Noise(3000, 4));
  Deliveries got;
  uint64_t generation = 0;
  {
    OutlineWorker worker(cache, Columns, got.Sink());
    worker.SetPaused(true);
    worker.FollowSong(song, Jobs());
    while (worker.Gate().Waits() == 0) std::this_thread::yield();
    generation = worker.FollowSong(other, {{33, {TakeFileName(3, 3)}}});
    worker.SetPaused(false);
    ASSERT_TRUE(got.WaitFor(1));
  }  // joined: nothing more can come
  ASSERT_EQ(got.list.size(), 1u);
  EXPECT_EQ(got.list[0].first, generation);
  EXPECT_EQ(got.list[0].second.cell, 33);
}

TEST_F(OutlineWorkerTest, AnUnreadableTakeIsDeliveredAsAFailureWithTheReason) {
  FaultInjection::FailReadsOf(TakeFileName(0, 2), EIO);
  Deliveries got;
  OutlineWorker worker(cache, Columns, got.Sink());
  worker.FollowSong(song, Jobs());
  ASSERT_TRUE(got.WaitFor(4));
  FaultInjection::Reset();
  for (const auto& [generation, cell] : got.list) {
    EXPECT_EQ(cell.failure.ok(), cell.cell != 2);
    if (cell.cell == 2) {
      EXPECT_TRUE(cell.failure.Is(messages::TakeNotRead));
      EXPECT_EQ(cell.failure.systemError(), EIO);
      EXPECT_TRUE(cell.channels.empty());
    }
  }
}

}  // namespace
}  // namespace tp::test

namespace tp::test {
namespace {

// The preview form's worker: a request made while another is being read
// gives that one up, and only the latest is answered, from the worker's thread.
TEST(FileOutlineWorker, AnswersOnlyTheLatestRequestFromItsOwnThread) {
  TempFolder folder;
  const std::vector<int16_t> first = Noise(2 * 20000, 1), second = Noise(2 * 30000, 2);
  WriteWithSndfile(folder / "first.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, first);
  WriteWithSndfile(folder / "second.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, second);
  std::mutex mutex;
  std::condition_variable changed;
  bool held = false, released = false;
  std::vector<std::pair<uint64_t, Status>> answers;
  std::vector<SoundOutline> outlines;
  std::set<std::thread::id> readers;
  const auto deliver = [&](uint64_t request, Status status, SoundOutline outline) {
    std::lock_guard lock(mutex);
    answers.emplace_back(request, status);
    outlines.push_back(std::move(outline));
    readers.insert(std::this_thread::get_id());
    changed.notify_all();
  };
  // The first reading waits here until the second request was made.
  const auto hold = [&] {
    std::unique_lock lock(mutex);
    held = true;
    changed.notify_all();
    changed.wait(lock, [&] { return released; });
  };
  uint64_t latest = 0;
  {
    FileOutlineWorker worker(deliver, hold);
    worker.Request(folder / "first.wav", 10);
    {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return held; });
    }
    latest = worker.Request(folder / "second.wav", 10);
    {
      std::lock_guard lock(mutex);
      released = true;
      changed.notify_all();
    }
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(60), [&] { return !answers.empty(); }));
  }  // joined: nothing more can come
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].first, latest);
  ASSERT_TRUE(answers[0].second.ok());
  EXPECT_EQ(outlines[0].frames, 30000u);
  ASSERT_EQ(outlines[0].channels.size(), 2u);
  EXPECT_EQ(outlines[0].channels[1], ExpectedOutline(ChannelOf(second, 2, 1, 30000), 10));
  EXPECT_FALSE(readers.contains(std::this_thread::get_id()));
}

}  // namespace
}  // namespace tp::test
