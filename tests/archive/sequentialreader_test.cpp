// The archive's one reader: each file's bytes in order for its worker,
// whatever the order the workers take them in; a failed read after the
// bytes before it; a worker that lets go of a file half-way.
#include "archive/sequentialreader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

#include <fcntl.h>

#include "storage/filehandle.h"
#include "support/tempfolder.h"

namespace tp {
namespace {

using namespace tp::test;
namespace fs = std::filesystem;

std::vector<uint8_t> patterned(size_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t n = 0; n < size; ++n) bytes[n] = uint8_t(seed + n * 31 + n / 4093);
  return bytes;
}

// Everything a stream gives, taken `step` bytes at a time.
std::vector<uint8_t> drain(SequentialReader::Stream& stream, size_t step) {
  std::vector<uint8_t> all, part(step);
  for (ssize_t got; (got = stream.Read(part.data(), step)) > 0;) all.insert(all.end(), part.begin(), part.begin() + got);
  return all;
}

class SequentialReading : public ::testing::Test {
 protected:
  void TearDown() override { FaultInjection::Reset(); }
  TempFolder folder;
};

TEST_F(SequentialReading, TwoWorkersEachGetTheirFilesBytesInOrderWhateverTheOrderTheyAsk) {
  const size_t piece = SequentialReader::PieceBytes;
  const std::vector<std::vector<uint8_t>> contents = {patterned(3 * piece + 17, 1), patterned(piece, 2),
                                                      patterned(5, 3), patterned(0, 4)};
  std::vector<FileHandle> files;
  for (size_t n = 0; n < contents.size(); ++n) {
    WriteBytes(folder / std::to_string(n), contents[n]);
    files.push_back(FileHandle::Open(folder / std::to_string(n), O_RDONLY));
    ASSERT_TRUE(files.back().valid());
  }
  SequentialReader reader;
  std::vector<std::vector<uint8_t>> got(contents.size());
  // The later files are asked for first, and their worker is slow to take
  // the pieces: the earlier ones must still come through.
  auto work = [&](std::vector<size_t> order, size_t step) {
    for (size_t n : order) {
      auto stream = reader.Open(files[n], n);
      got[n] = drain(*stream, step);
    }
  };
  std::thread second(work, std::vector<size_t>{3, 1}, 1000);
  std::thread first(work, std::vector<size_t>{0, 2}, 65536);
  first.join();
  second.join();
  for (size_t n = 0; n < contents.size(); ++n) EXPECT_EQ(got[n], contents[n]) << "file " << n;
}

TEST_F(SequentialReading, AFailedReadComesAfterTheBytesBeforeItWithItsReason) {
  const size_t piece = SequentialReader::PieceBytes;
  const std::vector<uint8_t> content = patterned(2 * piece + 5, 9);
  WriteBytes(folder / "take", content);
  FaultInjection::FailReadsOf("take", EIO, 1);
  FileHandle file = FileHandle::Open(folder / "take", O_RDONLY);
  SequentialReader reader;
  auto stream = reader.Open(file, 0);
  std::vector<uint8_t> part(piece + 100);
  EXPECT_EQ(stream->Read(part.data(), part.size()), ssize_t(piece));
  EXPECT_TRUE(std::equal(part.begin(), part.begin() + ssize_t(piece), content.begin()));
  errno = 0;
  EXPECT_EQ(stream->Read(part.data(), part.size()), -1);
  EXPECT_EQ(errno, EIO);
}

TEST_F(SequentialReading, AWorkerThatLetsGoHalfWayLeavesTheReaderFreeForTheNextFile) {
  const size_t piece = SequentialReader::PieceBytes;
  WriteBytes(folder / "long", patterned(8 * piece, 5));
  WriteBytes(folder / "next", patterned(1000, 6));
  FileHandle longFile = FileHandle::Open(folder / "long", O_RDONLY), next = FileHandle::Open(folder / "next", O_RDONLY);
  SequentialReader reader;
  {
    auto stream = reader.Open(longFile, 0);
    std::vector<uint8_t> part(10);
    ASSERT_EQ(stream->Read(part.data(), part.size()), 10);
  }  // dropped with most of the file unread
  auto stream = reader.Open(next, 1);
  EXPECT_EQ(drain(*stream, 300), patterned(1000, 6));
}

}  // namespace
}  // namespace tp
