#include "project/folderfiles.h"

#include <gtest/gtest.h>

#include "support/tempfolder.h"

namespace tp {
namespace {

TEST(FindFileIgnoringCase, FindsAFileWhateverItsLetterCase) {
  test::TempFolder folder;
  test::WriteBytes(folder / "track0_0.dat", {1});
  auto found = FindFileIgnoringCase(folder.path(), "TRACK0_0.DAT");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->filename(), "track0_0.dat");
  EXPECT_FALSE(FindFileIgnoringCase(folder.path(), "TRACK0_1.DAT"));
}

TEST(FindFileIgnoringCase, PrefersTheExactSpelling) {
  test::TempFolder folder;
  test::WriteBytes(folder / "track0_0.dat", {1});
  test::WriteBytes(folder / "TRACK0_0.DAT", {2});
  EXPECT_EQ(FindFileIgnoringCase(folder.path(), "TRACK0_0.DAT")->filename(), "TRACK0_0.DAT");
}

TEST(PathForFile, ReusesAnExistingSpellingAndOtherwiseUsesTheGivenOne) {
  test::TempFolder folder;
  test::WriteBytes(folder / "Track3_0.dat", {1});
  EXPECT_EQ(PathForFile(folder.path(), "TRACK3_0.DAT").filename(), "Track3_0.dat");
  EXPECT_EQ(PathForFile(folder.path(), "TRACK4_0.DAT").filename(), "TRACK4_0.DAT");
}

TEST(ClearReadOnly, GivesTheOwnerWritePermissionBack) {
  test::TempFolder folder;
  namespace fs = std::filesystem;
  test::WriteBytes(folder / "f", {1});
  fs::permissions(folder / "f", fs::perms::owner_read);
  ClearReadOnly(folder / "f");
  EXPECT_EQ(fs::status(folder / "f").permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace
}  // namespace tp
