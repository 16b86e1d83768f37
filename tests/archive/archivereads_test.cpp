// How an archive reads a song: each take file once, front to back, in
// pieces of 4 MiB, one read at a time, whatever the format and with the
// read-back check on; what it writes still restores to the song.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <mutex>

#include "archive/archiverun.h"
#include "archive/manifest.h"
#include "archive/restore.h"
#include "archive/sequentialreader.h"
#include "storage/filehandle.h"
#include "storage/readobserver.h"
#include "support/recordersong.h"
#include "support/runcommand.h"

namespace tp {
namespace {

using namespace tp::test;
namespace fs = std::filesystem;

// Every read of the song's take files, in the order they started, and the
// most of them under way at once.
class TakeReads {
 public:
  TakeReads(const fs::path& folder, std::string suffix) : folder_(folder.string()), suffix_(std::move(suffix)) {}
  void operator()(const FaultInjection::ReadEvent& event) {
    if (event.path.rfind(folder_, 0) != 0 || !event.path.ends_with(suffix_)) return;
    std::lock_guard lock(mutex_);
    if (event.finished) {
      --underWay_;
      return;
    }
    mostAtOnce_ = std::max(mostAtOnce_, ++underWay_);
    reads_[event.path].push_back({event.offset, event.count});
  }
  struct Read {
    int64_t offset;
    size_t count;
  };
  std::map<std::string, std::vector<Read>> reads_;
  int mostAtOnce_ = 0;

 private:
  std::string folder_, suffix_;
  std::mutex mutex_;
  int underWay_ = 0;
};

// A song whose takes span several pieces: one ends exactly on a piece's
// end, one has an odd byte after its samples, a master take's two files.
void writeLongTakes(const fs::path& folder) {
  const size_t piece = SequentialReader::PieceBytes;
  WriteBytes(folder / "TRACK3_0.DAT", RecorderTake("Long    ", 3, (2 * piece - 65536) / 2, 11));
  WriteBytes(folder / "TRACK4_0.DAT", RecorderTake("Odd     ", 4, piece + 12345, 12, true));
  WriteBytes(folder / "TRACKL_2.DAT", RecorderTake("Wide    ", 16, piece / 2 + 7, 13));
  WriteBytes(folder / "TRACKR_2.DAT", RecorderTake("Wide    ", 17, piece / 2 + 3000, 14));
}

class ArchiveReads : public ::testing::TestWithParam<AudioFormat> {
 protected:
  void TearDown() override { FaultInjection::Reset(); }
  // Archives the song (checked with --verify), watching the reads of its
  // take files.
  void archive(TakeReads& observed) {
    WriteRecorderSong(song.path());
    writeLongTakes(song.path());
    ArchiveRequest request;
    request.source = song.path();
    request.outputRoot = out / "archive";
    request.format = GetParam();
    request.verify = true;
    ASSERT_TRUE(PlanArchive(request, plans).ok());
    ASSERT_EQ(plans.size(), 1u);
    FaultInjection::ObserveReads([&observed](const FaultInjection::ReadEvent& event) { observed(event); });
    const ArchiveTotals totals = RunArchive(request, plans, {});
    FaultInjection::ObserveReads({});
    ASSERT_FALSE(totals.anyFailed);
  }
  TempFolder song, out;
  std::vector<ArchiveSongPlan> plans;
};

TEST_P(ArchiveReads, EachTakeFileIsReadOnceFrontToBackInLargePiecesOneReadAtATime) {
  TakeReads observed(song.path(), ".DAT");
  ASSERT_NO_FATAL_FAILURE(archive(observed));
  std::set<std::string> archived;
  for (const ArchiveItem& item : plans[0].items)
    for (const fs::path& file : item.takeFiles) archived.insert(file.string());
  EXPECT_EQ(observed.mostAtOnce_, 1);  // the song's other files too: they are copied first
  for (const auto& [file, reads] : observed.reads_)
    if (!archived.count(file)) EXPECT_NE(std::find(plans[0].otherFiles.begin(), plans[0].otherFiles.end(), file),
                                         plans[0].otherFiles.end()) << file;
  for (const std::string& file : archived) {
    SCOPED_TRACE(file);
    const int64_t size = int64_t(fs::file_size(file));
    auto reads = observed.reads_[file];
    // The plan of the song, made again once the archive holds its lock,
    // reads the first bytes of each take as a scan does; then the one
    // reader goes through the whole file.
    while (!reads.empty() && reads.front().count < SequentialReader::PieceBytes && reads.front().offset <= 0)
      reads.erase(reads.begin());
    ASSERT_FALSE(reads.empty());
    int64_t next = 0;
    for (const auto& read : reads) {
      EXPECT_EQ(read.offset, next);  // front to back, no byte twice
      EXPECT_GE(read.count, size_t(4) << 20);
      next = read.offset + int64_t(read.count);
    }
    // Whole pieces, then the one read that found the end (empty when the
    // file ends on a piece's end): every byte, and no read beyond.
    EXPECT_EQ(reads.size(), size_t(size / int64_t(SequentialReader::PieceBytes)) + 1);
  }
}

TEST_P(ArchiveReads, ARestoreReadsTheArchiveInLargePiecesOneReadAtATimeAndRebuildsTheSong) {
  TakeReads archiving(song.path(), ".DAT");
  ASSERT_NO_FATAL_FAILURE(archive(archiving));
  ArchiveManifest manifest;
  ASSERT_TRUE(ReadArchiveManifest(out / "archive", manifest).ok());
  const std::string extension = GetParam() == FormatFlac ? ".flac" : GetParam() == FormatAiff ? ".aif" : ".wav";
  TakeReads restoring(out / "archive", extension);
  FaultInjection::ObserveReads([&restoring](const FaultInjection::ReadEvent& event) { restoring(event); });
  const RestoreReport report = RestoreSong(out / "archive", manifest, out / "rebuilt", {}, {});
  FaultInjection::ObserveReads({});
  EXPECT_EQ(restoring.mostAtOnce_, 1);
  // Each take file is rebuilt from a pass of its own over the audio file:
  // a master take's stereo file is read twice, any other once.
  std::map<std::string, int> passesAllowed;
  for (const ArchivedTakeFile& take : manifest.takeFiles) ++passesAllowed[(out / "archive" / take.output).string()];
  EXPECT_EQ(restoring.reads_.size(), passesAllowed.size());
  for (const auto& [file, reads] : restoring.reads_) {
    SCOPED_TRACE(file);
    std::vector<int64_t> passes;  // where each goes on
    for (const auto& read : reads) {
      EXPECT_GE(read.count, size_t(4) << 20);
      const auto going = std::find(passes.begin(), passes.end(), read.offset);
      if (read.offset == 0) passes.push_back(int64_t(read.count));
      else if (going != passes.end()) *going += int64_t(read.count);
      else ADD_FAILURE() << "a read at " << read.offset << " goes on from no earlier one";
    }
    EXPECT_LE(passes.size(), size_t(passesAllowed[file]));
  }
  EXPECT_TRUE(report.failures.empty());
  EXPECT_TRUE(report.ByteIdentical());
  EXPECT_EQ(RunCommand("diff -r " + Quoted(song.path().string()) + " " + Quoted((out / "rebuilt").string())).status, 0);
}

INSTANTIATE_TEST_SUITE_P(Formats, ArchiveReads, ::testing::Values(FormatWav, FormatAiff, FormatFlac));

}  // namespace
}  // namespace tp
