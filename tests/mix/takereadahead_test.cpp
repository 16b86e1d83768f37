// Takes read ahead in large pieces for a mix: the same samples as reads of
// their own, for two readers sharing the takes block by block, after a
// jump back to the start, and at the ends of takes of different lengths;
// the disk asked for each take 2 MiB at a time, one read at a time; a
// read error still reaches the slot.
#include "mix/takereadahead.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <mutex>

#include "mix/takefiles.h"
#include "storage/filehandle.h"
#include "storage/readobserver.h"
#include "support/projectfixture.h"

namespace tp {
namespace {

using namespace tp::test;

constexpr size_t BlockFrames = 32768;  // an export's block

class LargePieces : public ::testing::Test {
 protected:
  void SetUp() override {
    // Three takes: one ending inside the first piece, two over several,
    // one of those ending exactly on a piece's end.
    const size_t pieceSamples = size_t(TakeReadAhead::PieceBytes) / 2;
    lengths_ = {70001, 3 * pieceSamples, 2 * pieceSamples + 4321};
    for (size_t n = 0; n < lengths_.size(); ++n) {
      samples_.push_back(Ramp(lengths_[n], int(n) * 1000, 3 + int(n)));
      WriteTake(folder / ("TRACK" + std::to_string(n) + "_0.DAT"), "t", samples_.back());
    }
  }
  void TearDown() override { FaultInjection::Reset(); }
  void open(TakeFiles& files) {
    for (size_t n = 0; n < lengths_.size(); ++n)
      ASSERT_TRUE(files.Open(int(n), folder / ("TRACK" + std::to_string(n) + "_0.DAT"), 0));
  }
  // Reads every slot block by block, block k on reader k mod 2, as an
  // export's two workers do, and checks each block against the samples.
  void readAlternately(TakeFiles& first, TakeFiles& second) {
    const size_t longest = *std::max_element(lengths_.begin(), lengths_.end());
    std::vector<int16_t> block(BlockFrames);
    for (size_t k = 0; k * BlockFrames < longest + BlockFrames; ++k) {
      TakeFiles& reader = k % 2 == 0 ? first : second;
      for (size_t slot = 0; slot < lengths_.size(); ++slot) {
        ASSERT_TRUE(reader.Seek(int(slot), uint32_t(k * BlockFrames)));
        const size_t start = std::min(k * BlockFrames, lengths_[slot]);
        const size_t expected = std::min(BlockFrames, lengths_[slot] - start);
        ASSERT_EQ(reader.Read(int(slot), block.data(), BlockFrames), expected) << "slot " << slot << " block " << k;
        ASSERT_TRUE(std::equal(block.begin(), block.begin() + expected, samples_[slot].begin() + start))
            << "slot " << slot << " block " << k;
      }
    }
  }
  TempFolder folder;
  std::vector<size_t> lengths_;
  std::vector<std::vector<int16_t>> samples_;
};

TEST_F(LargePieces, TwoReadersSharingTheTakesGetTheSamplesAndTheDiskIsAskedInLargePiecesOneAtATime) {
  std::mutex mutex;
  std::map<std::string, std::vector<FaultInjection::ReadEvent>> reads;
  int underWay = 0, mostAtOnce = 0;
  FaultInjection::ObserveReads([&](const FaultInjection::ReadEvent& event) {
    std::lock_guard lock(mutex);
    if (event.finished) {
      --underWay;
      return;
    }
    mostAtOnce = std::max(mostAtOnce, ++underWay);
    reads[event.path].push_back(event);
  });
  TakeFiles owner, helper;
  open(owner);
  owner.ReadInLargePieces();
  helper.ShareOpenSlots(owner);
  readAlternately(owner, helper);
  owner.CloseAll();
  FaultInjection::ObserveReads({});

  EXPECT_EQ(mostAtOnce, 1);
  ASSERT_EQ(reads.size(), lengths_.size());
  for (const auto& [path, events] : reads) {
    SCOPED_TRACE(path);
    int64_t next = TakeHeaderSize;
    for (const auto& event : events) {
      EXPECT_EQ(event.offset, next);  // front to back, each byte once
      next = event.offset + int64_t(event.count);
    }
    EXPECT_EQ(next, int64_t(std::filesystem::file_size(path)));
    // Every read a whole piece but the take's last.
    for (size_t n = 0; n + 1 < events.size(); ++n) EXPECT_EQ(int64_t(events[n].count), TakeReadAhead::PieceBytes);
  }
}

TEST_F(LargePieces, ASecondPassFromTheStartReadsTheTakesAgainAndGivesTheSameSamples) {
  TakeFiles owner, helper;
  open(owner);
  owner.ReadInLargePieces();
  helper.ShareOpenSlots(owner);
  readAlternately(owner, helper);
  readAlternately(owner, helper);
  // And a jump into the middle, as an export of a stretch of the song.
  std::vector<int16_t> block(100);
  const size_t middle = lengths_[1] - 5000;
  ASSERT_TRUE(owner.Seek(1, uint32_t(middle)));
  ASSERT_EQ(owner.Read(1, block.data(), 100), 100u);
  EXPECT_TRUE(std::equal(block.begin(), block.end(), samples_[1].begin() + middle));
}

TEST_F(LargePieces, AReadErrorOfATakeStopsItsSlotAndSaysWhy) {
  FaultInjection::FailReadsOf("TRACK1_0.DAT", EIO, 1);
  TakeFiles owner;
  open(owner);
  owner.ReadInLargePieces();
  std::vector<int16_t> block(BlockFrames);
  bool failed = false;
  for (size_t k = 0; k * BlockFrames < lengths_[1] && !failed; ++k) failed = owner.Read(1, block.data(), BlockFrames) == 0;
  EXPECT_TRUE(failed);
  ASSERT_TRUE(owner.Failure().has_value());
  EXPECT_EQ(owner.Failure()->slot, 1);
  EXPECT_EQ(owner.Failure()->systemError, EIO);
  // The other takes read on.
  ASSERT_TRUE(owner.Seek(2, 0));
  ASSERT_EQ(owner.Read(2, block.data(), BlockFrames), BlockFrames);
  EXPECT_TRUE(std::equal(block.begin(), block.end(), samples_[2].begin()));
}

}  // namespace
}  // namespace tp
