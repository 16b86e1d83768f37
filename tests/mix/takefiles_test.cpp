#include "mix/takefiles.h"

#include <gtest/gtest.h>

#include "support/projectfixture.h"

namespace tp {
namespace {

using test::TempFolder;
using test::WriteTake;
using test::WriteTakeBytes;

TEST(TakeFiles, ReadsLittleEndianSamplesFromByte65536) {
  TempFolder folder;
  WriteTakeBytes(folder / "TRACK0_0.DAT", {
                                              0x34, 0x12, /* 0x1234 = 4660 */
                                              0xFF, 0xFF, /* -1 */
                                              0x00, 0x80, /* -32768 */
                                              0xFF, 0x7F, /* 32767 */
                                          });
  TakeFiles files;
  ASSERT_TRUE(files.Open(0, folder / "TRACK0_0.DAT", 0));
  int16_t samples[8] = {};
  ASSERT_EQ(files.Read(0, samples, 8), 4u);
  EXPECT_EQ(samples[0], 4660);
  EXPECT_EQ(samples[1], -1);
  EXPECT_EQ(samples[2], -32768);
  EXPECT_EQ(samples[3], 32767);
  EXPECT_EQ(files.Read(0, samples, 8), 0u) << "the end of the take gives nothing more";
}

TEST(TakeFiles, OpenAndSeekPositionAtTheGivenFrame) {
  TempFolder folder;
  WriteTake(folder / "t.dat", "", test::Ramp(100, 0, 1));
  TakeFiles files;
  ASSERT_TRUE(files.Open(3, folder / "t.dat", 40));
  int16_t samples[3] = {};
  ASSERT_EQ(files.Read(3, samples, 3), 3u);
  EXPECT_EQ(samples[0], 40);
  EXPECT_EQ(samples[2], 42);

  ASSERT_TRUE(files.Seek(3, 98));
  EXPECT_EQ(files.Read(3, samples, 3), 2u) << "frames 98 and 99 are the last";
  EXPECT_EQ(samples[1], 99);

  // After running into the end, a seek back reads again.
  ASSERT_TRUE(files.Seek(3, 0));
  EXPECT_EQ(files.Read(3, samples, 1), 1u);
  EXPECT_EQ(samples[0], 0);
}

TEST(TakeFiles, AnOddTrailingByteIsNotASample) {
  TempFolder folder;
  WriteTakeBytes(folder / "odd.dat", {0x01, 0x00, 0x02});
  TakeFiles files;
  ASSERT_TRUE(files.Open(0, folder / "odd.dat", 0));
  int16_t samples[4] = {};
  EXPECT_EQ(files.Read(0, samples, 4), 1u);
  EXPECT_EQ(samples[0], 1);
}

TEST(TakeFiles, AFileThatCannotBeOpenedLeavesTheSlotEmpty) {
  TempFolder folder;
  TakeFiles files;
  EXPECT_FALSE(files.Open(5, folder / "missing.dat", 0));
  EXPECT_FALSE(files.IsOpen(5));
  EXPECT_FALSE(files.AnyOpen());
  int16_t sample = 0;
  EXPECT_EQ(files.Read(5, &sample, 1), 0u);
  EXPECT_FALSE(files.Seek(5, 0));
}

TEST(TakeFiles, SlotNumbersOutsideZeroToFifteenAreRefused) {
  TempFolder folder;
  WriteTake(folder / "t.dat", "", {1});
  TakeFiles files;
  EXPECT_FALSE(files.Open(-1, folder / "t.dat", 0));
  EXPECT_FALSE(files.Open(16, folder / "t.dat", 0));
  EXPECT_FALSE(files.AnyOpen());
}

TEST(TakeFiles, CloseAndCloseAllEmptyTheSlots) {
  TempFolder folder;
  WriteTake(folder / "t.dat", "", {1, 2});
  TakeFiles files;
  ASSERT_TRUE(files.Open(0, folder / "t.dat", 0));
  ASSERT_TRUE(files.Open(15, folder / "t.dat", 1));
  files.Close(0);
  EXPECT_FALSE(files.IsOpen(0));
  EXPECT_TRUE(files.AnyOpen());
  files.CloseAll();
  EXPECT_FALSE(files.IsOpen(15));
  EXPECT_FALSE(files.AnyOpen());
}

TEST(TakeFiles, ASecondReaderSharesTheOpenFilesWithPositionsOfItsOwn) {
  TempFolder folder;
  WriteTake(folder / "a.dat", "", {10, 11, 12, 13});
  WriteTake(folder / "b.dat", "", {20, 21});
  TakeFiles owner;
  ASSERT_TRUE(owner.Open(3, folder / "a.dat", 1));
  ASSERT_TRUE(owner.Open(7, folder / "b.dat", 0));
  TakeFiles second;
  second.ShareOpenSlots(owner);
  EXPECT_TRUE(second.IsOpen(3));
  EXPECT_TRUE(second.IsOpen(7));
  EXPECT_FALSE(second.IsOpen(0));
  int16_t samples[4] = {};
  // The second reader starts at the first sample; the owner stays where it was.
  ASSERT_EQ(second.Read(3, samples, 2), 2u);
  EXPECT_EQ(samples[0], 10);
  EXPECT_EQ(samples[1], 11);
  ASSERT_EQ(owner.Read(3, samples, 4), 3u);
  EXPECT_EQ(samples[0], 11);
  ASSERT_TRUE(second.Seek(7, 1));
  ASSERT_EQ(second.Read(7, samples, 4), 1u);
  EXPECT_EQ(samples[0], 21);
  // Closing the second reader leaves the owner's files open.
  second.CloseAll();
  ASSERT_EQ(owner.Read(7, samples, 4), 2u);
  EXPECT_EQ(samples[1], 21);
}

}  // namespace
}  // namespace tp
