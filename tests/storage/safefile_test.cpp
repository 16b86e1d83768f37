// The safe write path: a target is the old file or the whole new one, side
// files are found and cleared, and the fault seam makes disks fail on cue.
#include "storage/safefile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "storage/songlock.h"
#include "support/tempfolder.h"

namespace tp {
namespace {

using namespace tp::test;
namespace fs = std::filesystem;

std::vector<fs::path> sideFilesIn(const fs::path& folder) {
  std::vector<fs::path> found;
  for (const auto& entry : fs::directory_iterator(folder))
    if (IsSideFileName(entry.path().filename().string())) found.push_back(entry.path());
  return found;
}

std::unique_ptr<SafeFile> create(const fs::path& target) {
  std::unique_ptr<SafeFile> file;
  EXPECT_TRUE(SafeFile::Create(target, "create failed", file).ok());
  return file;
}

class SafeFileTest : public ::testing::Test {
 protected:
  void TearDown() override { FaultInjection::Reset(); }
  TempFolder folder;
};

TEST_F(SafeFileTest, TheTargetChangesOnlyOnCommitAndKeepsItsPermissions) {
  const fs::path target = folder / "out.wav";
  WriteBytes(target, {1, 2});
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
  auto file = create(target);
  ASSERT_TRUE(file->handle().Write("abc", 3));
  EXPECT_EQ(ReadBytes(target), (std::vector<uint8_t>{1, 2})) << "untouched before commit";
  EXPECT_EQ(sideFilesIn(folder.path()).size(), 1u);
  ASSERT_TRUE(file->Commit("write failed").ok());
  EXPECT_EQ(ReadBytes(target), (std::vector<uint8_t>{'a', 'b', 'c'}));
  EXPECT_EQ(fs::status(target).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
  EXPECT_TRUE(sideFilesIn(folder.path()).empty());
}

TEST_F(SafeFileTest, ALongTargetNameStillGetsASideFile) {
  const fs::path target = folder / (std::string(250, 'x') + ".wav");
  auto file = create(target);
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->Commit("write failed").ok());
  EXPECT_TRUE(fs::exists(target));
}

TEST_F(SafeFileTest, AnUncommittedFileLeavesNothingBehind) {
  { auto file = create(folder / "a.wav"); ASSERT_TRUE(file->handle().Write("x", 1)); }
  EXPECT_TRUE(fs::is_empty(folder.path()));
}

TEST_F(SafeFileTest, AReadOnlyTargetIsRefusedWithTheCallersText) {
  WriteBytes(folder / "take.dat", {7});
  fs::permissions(folder / "take.dat", fs::perms::owner_read);
  std::unique_ptr<SafeFile> file;
  const Status status = SafeFile::Create(folder / "take.dat", "File to write could not be opened.", file);
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(status.Text(), "File to write could not be opened: " + (folder / "take.dat").string() +
                               " (Permission denied)");
  EXPECT_TRUE(fs::is_empty(folder.path()) || sideFilesIn(folder.path()).empty());
}

TEST_F(SafeFileTest, AStaleSideFileIsRemovedAndOneBeingWrittenIsLeft) {
  // A writer that was killed: its side file is there, and nobody locks it.
  const fs::path stale = folder / ".tp-abc123.part";
  WriteBytes(stale, {1});
  const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(5);
  fs::last_write_time(stale, old);
  // A writer still at work: it holds the lock.
  const fs::path busy = folder / ".tp-zzz999.part";
  WriteBytes(busy, {2});
  fs::last_write_time(busy, old);
  const int held = ::open(busy.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);

  auto file = create(folder / "new.wav");
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(busy));
  ::close(held);
}

TEST_F(SafeFileTest, APairIsReplacedTogetherOrNotAtAll) {
  const fs::path left = folder / "L.DAT", right = folder / "R.DAT";
  WriteBytes(left, {'o', 'l'});
  // The second target cannot be replaced: a folder stands there.
  fs::create_directories(right / "inside");
  auto a = create(left), b = create(right);
  ASSERT_TRUE(a->handle().Write("NL", 2));
  ASSERT_TRUE(b->handle().Write("NR", 2));
  const Status status = SafeFile::CommitTogether({a.get(), b.get()}, "write failed");
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(status.file(), right);
  EXPECT_EQ(ReadBytes(left), (std::vector<uint8_t>{'o', 'l'}));
  EXPECT_TRUE(sideFilesIn(folder.path()).empty());
}

TEST_F(SafeFileTest, TheFaultSeamFailsTheChosenWrite) {
  auto file = create(folder / "x");
  FaultInjection::FailNthWrite(2, ENOSPC);
  EXPECT_TRUE(file->handle().Write("a", 1));
  EXPECT_FALSE(file->handle().Write("b", 1));
  EXPECT_EQ(errno, ENOSPC);
  EXPECT_TRUE(file->handle().Write("c", 1)) << "only the chosen one fails";
}

TEST_F(SafeFileTest, ASongLockKeepsASecondWriterOut) {
  SongLock first, second;
  ASSERT_TRUE(first.Acquire(folder.path(), SongLock::Wait::No));
  EXPECT_FALSE(second.Acquire(folder.path(), SongLock::Wait::No));
  first.Release();
  EXPECT_TRUE(second.Acquire(folder.path(), SongLock::Wait::No));
}

TEST_F(SafeFileTest, ReadersOfASongShareItsLockAndKeepEveryWriterOut) {
  SongLock archive, secondArchive, writer;
  ASSERT_TRUE(archive.Acquire(folder.path(), SongLock::Wait::No, SongLock::Mode::Reader));
  EXPECT_TRUE(secondArchive.Acquire(folder.path(), SongLock::Wait::No, SongLock::Mode::Reader));
  EXPECT_FALSE(writer.Acquire(folder.path(), SongLock::Wait::No));
  archive.Release();
  EXPECT_FALSE(writer.Acquire(folder.path(), SongLock::Wait::No)) << "one reader is still there";
  secondArchive.Release();
  ASSERT_TRUE(writer.Acquire(folder.path(), SongLock::Wait::No));
  EXPECT_FALSE(archive.Acquire(folder.path(), SongLock::Wait::No, SongLock::Mode::Reader));
}

}  // namespace
}  // namespace tp
