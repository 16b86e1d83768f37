#include "audiofile/takefile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace tp {
namespace {

std::array<uint8_t, 8> field(const char (&eight)[9]) {
  std::array<uint8_t, 8> f;
  std::copy(eight, eight + 8, f.begin());
  return f;
}

bool allZero(const std::vector<uint8_t>& bytes, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i)
    if (bytes[i] != 0) return false;
  return true;
}

TEST(TakeHeader, HasTheRecorderLayoutByteForByte) {
  const auto header = MakeTakeHeader(1, 12, field("Guitar R"));
  ASSERT_EQ(header.size(), 65536u);
  EXPECT_EQ(std::string(header.begin(), header.begin() + 13), "BRIX1D4ZZ6AUD");
  EXPECT_TRUE(allZero(header, 13, 16));
  const uint8_t toolTag[16] = {0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30,
                               0x30, 0x30, 0x30, 0x31, 0x54, 0x4F, 0x4F, 0x4C};
  EXPECT_TRUE(std::equal(toolTag, toolTag + 16, header.begin() + 16));
  EXPECT_TRUE(allZero(header, 32, 512));
  // ChannelIndex 1, TrackNumber 12, then a zero, all little-endian.
  const uint8_t fields[12] = {1, 0, 0, 0, 12, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_TRUE(std::equal(fields, fields + 12, header.begin() + 512));
  EXPECT_TRUE(allZero(header, 524, 1024));
  EXPECT_EQ(std::string(header.begin() + 1024, header.begin() + 1032), "Guitar R");
  EXPECT_TRUE(allZero(header, 1032, 65536));
}

TEST(TakeHeader, MasterFilesCarryTrackNumbers16And17) {
  const auto left = MakeTakeHeader(0, MasterLeftTrackNumber, field("Final   "));
  const auto right = MakeTakeHeader(1, MasterRightTrackNumber, field("Final   "));
  EXPECT_EQ(left[516], 16);
  EXPECT_EQ(right[516], 17);
  EXPECT_EQ(left[512], 0);
  EXPECT_EQ(right[512], 1);
}

TEST(WriteTakeHeader, LeavesThePositionAtTheFirstSample) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(WriteTakeHeader(file, 0, 3, field("kick    ")));
  EXPECT_EQ(std::ftell(file), 65536);
  std::fclose(file);
}

TEST(WriteTakeHeader, ReportsAWriteThatDoesNotReachTheFile) {
  std::FILE* full = std::fopen("/dev/full", "wb");
  if (!full) GTEST_SKIP() << "/dev/full is not available";
  // The header is larger than the stdio buffer, so the failure shows up
  // in the write itself.
  EXPECT_FALSE(WriteTakeHeader(full, 0, 3, field("kick    ")));
  std::fclose(full);
}

}  // namespace
}  // namespace tp
