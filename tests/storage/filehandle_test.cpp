// What the file layer opens: only regular files, without ever waiting in the
// open for a FIFO's other end, and outputs the user named that are pipes or
// devices written as they are, giving way to a stop request.
#include "storage/filehandle.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "storage/safefile.h"
#include "storage/status.h"
#include "support/tempfolder.h"

namespace tp {
namespace {

using namespace tp::test;
namespace fs = std::filesystem;

// Says "stop" from its `after`-th question on; counting questions rather
// than time keeps the tests free of timing.
std::atomic<int> questionsBeforeStop{0};
bool stopAfterSomeQuestions() { return questionsBeforeStop.fetch_sub(1) <= 0; }

class FileKinds : public ::testing::Test {
 protected:
  void TearDown() override { SetStopRequestedCheck(nullptr); }
  fs::path fifo(const char* name) {
    const fs::path path = folder / name;
    EXPECT_EQ(::mkfifo(path.c_str(), 0644), 0);
    return path;
  }
  TempFolder folder;
};

TEST_F(FileKinds, OnlyARegularFileOpensAndNothingElseMakesTheOpenWait) {
  const fs::path zeroLink = folder / "TRACK0_0.DAT";
  fs::create_symlink("/dev/zero", zeroLink);
  struct Case {
    const char* what;
    fs::path path;
    int flags;
  } cases[] = {{"a FIFO read", fifo("a.fifo"), O_RDONLY},
               {"a FIFO written in place", fifo("b.fifo"), O_WRONLY},
               {"a FIFO updated", fifo("c.fifo"), O_RDWR},
               {"a link to a device", zeroLink, O_RDONLY},
               {"a device", "/dev/null", O_WRONLY}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    errno = 0;
    FileHandle handle = FileHandle::Open(c.path, c.flags);
    EXPECT_FALSE(handle.valid());
    EXPECT_EQ(errno, NotRegularFileError);
    EXPECT_EQ(Status::Fail("The take could not be opened.", c.path, errno).Text(),
              "The take could not be opened: " + c.path.string() + " is not a regular file.");
  }
  // A regular file still opens, and blocks as usual.
  { FileHandle created = FileHandle::Open(folder / "plain", O_WRONLY | O_CREAT, 0644); }
  FileHandle plain = FileHandle::Open(folder / "plain", O_RDONLY);
  ASSERT_TRUE(plain.valid());
  EXPECT_EQ(::fcntl(plain.fd(), F_GETFL) & O_NONBLOCK, 0);
}

TEST_F(FileKinds, AFifoOrDeviceWhereAFileGoesIsRefusedAndALinkIsReplacedNotFollowed) {
  const fs::path pipe = fifo("TRACK0_0.DAT");
  std::unique_ptr<SafeFile> file;
  const Status refused = SafeFile::Create(pipe, "create failed", file);
  EXPECT_FALSE(refused.ok());
  EXPECT_EQ(refused.systemError(), NotRegularFileError);

  const fs::path outside = folder / "outside.txt";
  { FileHandle created = FileHandle::Open(outside, O_WRONLY | O_CREAT, 0644); }
  const fs::path link = folder / "TRACK1_0.DAT";
  fs::create_symlink(outside, link);
  ASSERT_TRUE(SafeFile::Create(link, "create failed", file).ok());
  ASSERT_TRUE(file->handle().Write("new", 3));
  ASSERT_TRUE(file->Commit("write failed").ok());
  EXPECT_FALSE(fs::is_symlink(link)) << "the link itself was replaced";
  EXPECT_EQ(fs::file_size(link), 3u);
  EXPECT_EQ(fs::file_size(outside), 0u) << "nothing was written where it pointed";
}

TEST_F(FileKinds, AnOutputFifoWithoutAReaderGivesWayToAStopRequest) {
  const fs::path pipe = fifo("out.fifo");
  questionsBeforeStop = 3;
  SetStopRequestedCheck(stopAfterSomeQuestions);
  std::unique_ptr<SafeFile> file;
  const Status status =
      SafeFile::Create(pipe, "create failed", file, SafeFile::OtherKinds::WriteAsTheyAre);
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(status.systemError(), EINTR);
  EXPECT_LT(questionsBeforeStop.load(), 0) << "it waited, asking, until the stop";
}

TEST_F(FileKinds, AWriteToAPipeNobodyEmptiesGivesWayToAStopRequest) {
  const fs::path pipe = fifo("out.fifo");
  // A reader that holds the pipe open and never reads.
  FileHandle reader(::open(pipe.c_str(), O_RDONLY | O_NONBLOCK));
  ASSERT_TRUE(reader.valid());
  std::unique_ptr<SafeFile> file;
  ASSERT_TRUE(SafeFile::Create(pipe, "create failed", file, SafeFile::OtherKinds::WriteAsTheyAre).ok());
  EXPECT_TRUE(file->inPlace());
  questionsBeforeStop = 2;
  SetStopRequestedCheck(stopAfterSomeQuestions);
  const std::vector<uint8_t> block(1 << 20, 0x55);  // far more than a pipe holds
  errno = 0;
  EXPECT_FALSE(file->handle().Write(block.data(), block.size()));
  EXPECT_EQ(errno, EINTR);
}

TEST_F(FileKinds, AnOutputDeviceIsWrittenAsItIs) {
  std::unique_ptr<SafeFile> file;
  ASSERT_TRUE(SafeFile::Create("/dev/null", "create failed", file, SafeFile::OtherKinds::WriteAsTheyAre).ok());
  EXPECT_TRUE(file->inPlace());
  EXPECT_TRUE(file->handle().Write("abc", 3));
  EXPECT_TRUE(file->Commit("write failed").ok());
}

}  // namespace
}  // namespace tp
