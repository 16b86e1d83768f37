// The song's outline cache: what is stored comes back for the same version
// of a file only, a damaged cache file reads as empty, the folder is trimmed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "outlinetestsupport.h"
#include "support/tempfolder.h"
#include "waveform/outlinecache.h"

namespace tp::test {
namespace {

const FileStamp Stamp{65536 + 2000, 1700000000123456789};

class OutlineCacheTest : public ::testing::Test {
 protected:
  // Saves one entry for song "/songs/A" and gives the file's bytes.
  std::vector<uint8_t> SavedFile() {
    SongOutlineCache cache(scratch / "cache", "/songs/A", 8);
    cache.Store("TRACK1_0.DAT", Stamp, outline);
    EXPECT_TRUE(cache.Save().ok());
    return ReadBytes(cache.FilePath());
  }
  TempFolder scratch;
  const ChannelOutline outline = ExpectedOutline(Noise(1000, 5), 8);
};

TEST_F(OutlineCacheTest, AnOutlineComesBackForTheSameSizeAndTime) {
  SavedFile();
  SongOutlineCache again(scratch / "cache", "/songs/A", 8);
  again.Load();
  ASSERT_NE(again.Find("TRACK1_0.DAT", Stamp), nullptr);
  EXPECT_EQ(*again.Find("TRACK1_0.DAT", Stamp), outline);
}

TEST_F(OutlineCacheTest, AnotherVersionOfTheFileOrAnotherSongFindsNothing) {
  SavedFile();
  SongOutlineCache same(scratch / "cache", "/songs/A", 8);
  same.Load();
  EXPECT_EQ(same.Find("TRACK1_0.DAT", FileStamp{Stamp.size + 2, Stamp.modified}), nullptr);
  EXPECT_EQ(same.Find("TRACK1_0.DAT", FileStamp{Stamp.size, Stamp.modified + 1}), nullptr);
  EXPECT_EQ(same.Find("TRACK1_1.DAT", Stamp), nullptr);
  SongOutlineCache other(scratch / "cache", "/songs/B", 8);
  other.Load();
  EXPECT_EQ(other.Find("TRACK1_0.DAT", Stamp), nullptr);
  SongOutlineCache wider(scratch / "cache", "/songs/A", 9);
  wider.Load();
  EXPECT_EQ(wider.Find("TRACK1_0.DAT", Stamp), nullptr);
}

TEST_F(OutlineCacheTest, ACacheFileCutAnywhereReadsAsEmpty) {
  const std::vector<uint8_t> whole = SavedFile();
  const std::filesystem::path file = SongOutlineCache(scratch / "cache", "/songs/A", 8).FilePath();
  for (size_t length = 0; length < whole.size(); ++length) {
    WriteBytes(file, std::vector<uint8_t>(whole.begin(), whole.begin() + std::ptrdiff_t(length)));
    SongOutlineCache cut(scratch / "cache", "/songs/A", 8);
    cut.Load();
    ASSERT_EQ(cut.Find("TRACK1_0.DAT", Stamp), nullptr) << length << " bytes";
  }
}

TEST_F(OutlineCacheTest, AnEntryCountOrNameLengthBeyondTheFileIsRefused) {
  std::vector<uint8_t> whole = SavedFile();
  const std::filesystem::path file = SongOutlineCache(scratch / "cache", "/songs/A", 8).FilePath();
  // Magic 8, columns 4, path length 4, "/songs/A" 8: the entry count is at 24
  // and the first name's length at 28.
  for (size_t at : {size_t(24), size_t(25), size_t(28), size_t(29), size_t(12)}) {
    std::vector<uint8_t> damaged = whole;
    damaged[at] ^= 0x40;
    WriteBytes(file, damaged);
    SongOutlineCache read(scratch / "cache", "/songs/A", 8);
    read.Load();
    EXPECT_EQ(read.Find("TRACK1_0.DAT", Stamp), nullptr) << "byte " << at;
  }
}

TEST_F(OutlineCacheTest, TheFolderKeepsTheSongsWrittenLast) {
  std::filesystem::create_directories(scratch / "cache");
  const int extra = 3;
  for (int i = 0; i < SongOutlineCache::MaximumSongs + extra; ++i) {
    const std::filesystem::path old = scratch / "cache" / ("old" + std::to_string(i) + ".outlines");
    WriteBytes(old, {1, 2, 3});
    // The first ones oldest.
    std::filesystem::last_write_time(old, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1000 - i));
  }
  SavedFile();
  int left = 0;
  for (const auto& entry : std::filesystem::directory_iterator(scratch / "cache"))
    if (entry.path().extension() == ".outlines") ++left;
  EXPECT_EQ(left, SongOutlineCache::MaximumSongs);
  EXPECT_TRUE(std::filesystem::exists(SongOutlineCache(scratch / "cache", "/songs/A", 8).FilePath()));
  for (int i = 0; i <= extra; ++i)
    EXPECT_FALSE(std::filesystem::exists(scratch / "cache" / ("old" + std::to_string(i) + ".outlines"))) << i;
}

TEST(OutlineCacheFolder, IsInTheUsersCacheFolder) {
  struct Case {
    const char* xdg;  // nullptr: unset
    const char* expected;
  };
  const Case cases[] = {{"/x/cache", "/x/cache/trackporter/outlines"},
                        {nullptr, "/home/u/.cache/trackporter/outlines"},
                        {"relative", "/home/u/.cache/trackporter/outlines"}};
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  const char* xdgBefore = std::getenv("XDG_CACHE_HOME");
  const std::string xdgSaved = xdgBefore ? xdgBefore : "";
  setenv("HOME", "/home/u", 1);
  for (const Case& c : cases) {
    if (c.xdg) setenv("XDG_CACHE_HOME", c.xdg, 1);
    else unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(DefaultOutlineCacheFolder(), std::filesystem::path(c.expected)) << (c.xdg ? c.xdg : "(unset)");
  }
  setenv("HOME", home.c_str(), 1);
  if (xdgBefore) setenv("XDG_CACHE_HOME", xdgSaved.c_str(), 1);
  else unsetenv("XDG_CACHE_HOME");
}

}  // namespace
}  // namespace tp::test
