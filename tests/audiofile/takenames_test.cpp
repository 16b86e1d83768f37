#include "audiofile/takefile.h"

#include <gtest/gtest.h>

namespace tp {
namespace {

TEST(TakeFileName, FollowsTheRecorderNamingForEveryKindOfTake) {
  struct Case { int track, take; const char* name; } cases[] = {
      {0, 0, "TRACK0_0.DAT"}, {9, 9, "TRACK9_9.DAT"}, {10, 0, "TRACK100.DAT"},
      {15, 3, "TRACK153.DAT"}, {15, 9, "TRACK159.DAT"}, {12, 3, "TRACK123.DAT"}};
  for (const auto& c : cases) EXPECT_EQ(TakeFileName(c.track, c.take), c.name);
  EXPECT_EQ(MasterTakeFileName(MasterSide::Left, 2), "TRACKL_2.DAT");
  EXPECT_EQ(MasterTakeFileName(MasterSide::Right, 4), "TRACKR_4.DAT");
}

TEST(ParseTakeFileName, DecodesEveryNameTheRecorderWritesBackToItsTake) {
  for (int track = 0; track < TrackCount; ++track)
    for (int take = 0; take < TakesPerTrack; ++take) {
      auto id = ParseTakeFileName(TakeFileName(track, take));
      ASSERT_TRUE(id) << track << "," << take;
      EXPECT_EQ(id->kind, TakeFileId::Track);
      EXPECT_EQ(id->track, track);
      EXPECT_EQ(id->take, take);
    }
  for (int n = 0; n < MasterTakeCount; ++n) {
    auto left = ParseTakeFileName(MasterTakeFileName(MasterSide::Left, n));
    auto right = ParseTakeFileName(MasterTakeFileName(MasterSide::Right, n));
    ASSERT_TRUE(left && right);
    EXPECT_EQ(left->kind, TakeFileId::MasterLeft);
    EXPECT_EQ(right->kind, TakeFileId::MasterRight);
    EXPECT_EQ(left->take, n);
    EXPECT_EQ(right->take, n);
  }
}

TEST(ParseTakeFileName, MatchesWithoutRegardToLetterCase) {
  auto id = ParseTakeFileName("track1_5.dat");
  ASSERT_TRUE(id);
  EXPECT_EQ(id->track, 1);
  EXPECT_EQ(id->take, 5);
  EXPECT_TRUE(ParseTakeFileName("Trackl_3.Dat"));
}

TEST(ParseTakeFileName, LeavesOutNamesOutsideTheNamingRule) {
  for (const char* name : {"TRACK0_A.DAT", "TRACK165.DAT", "TRACKX_1.DAT", "TRACK1A2.DAT", "TRACK0_0.WAV",
                           "TRACK0_00.DAT", "TRACK00.DAT", "TRACK205.DAT", "TRACKL_X.DAT", "TRACKLX0.DAT", "TRACKR10.DAT"})
    EXPECT_FALSE(ParseTakeFileName(name)) << name;
}

TEST(TakeLengthFromFileSize, IsHalfTheBytesAfterTheHeaderAndNeverNegative) {
  struct Case { int64_t size; int32_t length; } cases[] = {
      {65536, 0}, {65538, 1}, {65539, 1}, {65536 + 200000, 100000},
      {1536, 0}, {65535, 0}, {40000, 0}};  // short files: no samples, not a negative count
  for (const auto& c : cases) EXPECT_EQ(TakeLengthFromFileSize(c.size), c.length) << c.size;
}

}  // namespace
}  // namespace tp
