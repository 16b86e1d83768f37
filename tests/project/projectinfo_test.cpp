#include "project/projectinfo.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "project/messages.h"
#include "storage/filehandle.h"
#include "support/tempfolder.h"

namespace tp {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

// An information file of `size` bytes filled with a recognisable pattern, so
// that any byte a rename should not touch can be checked.
std::vector<uint8_t> patterned(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = uint8_t(0x41 + i % 23);
  return bytes;
}

void put(std::vector<uint8_t>& bytes, size_t offset, std::string_view text) {
  std::copy(text.begin(), text.end(), bytes.begin() + offset);
}

TEST(ReadProjectName, PrefersPrjDataOverSongData) {
  TempFolder folder;
  auto prj = patterned(100);
  put(prj, 52, "PRJNAME1");
  auto song = patterned(300);
  put(song, 233, "SONGNAME");
  WriteBytes(folder / "PRJDATA.ini", prj);
  WriteBytes(folder / "Songdata.ini", song);
  EXPECT_EQ(ReadProjectName(folder.path()), "PRJNAME1");
}

TEST(ReadProjectName, ReadsSongDataAtOffset233) {
  TempFolder folder;
  auto song = patterned(300);
  put(song, 233, "My Song ");
  WriteBytes(folder / "Songdata.ini", song);
  EXPECT_EQ(ReadProjectName(folder.path()), "My Song ");
}

TEST(ReadProjectName, StopsAtTheFirstZeroByte) {
  TempFolder folder;
  auto prj = patterned(100);
  put(prj, 52, std::string("ROCK\0\0\0\0", 8));
  WriteBytes(folder / "PRJDATA.ini", prj);
  EXPECT_EQ(ReadProjectName(folder.path()), "ROCK");
}

TEST(ReadProjectName, MatchesFileNamesInAnyLetterCase) {
  TempFolder folder;
  auto prj = patterned(100);
  put(prj, 52, "lower   ");
  WriteBytes(folder / "prjdata.INI", prj);
  EXPECT_EQ(ReadProjectName(folder.path()), "lower   ");
}

TEST(ReadProjectName, BackupMarkerVetoesTheFolder) {
  TempFolder folder;
  WriteBytes(folder / "PRJDATA.ini", patterned(100));
  WriteBytes(folder / "BACKUP.INF", {});
  EXPECT_EQ(ReadProjectName(folder.path()), std::nullopt);
}

TEST(ReadProjectName, FolderWithoutInformationFileIsNoProject) {
  TempFolder folder;
  WriteBytes(folder / "TRACK0_0.DAT", patterned(70000));
  EXPECT_EQ(ReadProjectName(folder.path()), std::nullopt);
}

TEST(ReadProjectName, ShortFileGivesTheBytesThatAreThere) {
  TempFolder folder;
  auto prj = patterned(55);
  put(prj, 52, "ABC");
  WriteBytes(folder / "PRJDATA.ini", prj);
  EXPECT_EQ(ReadProjectName(folder.path()), "ABC");
}

// What a rename writes, and where, for the layouts and sizes that matter.
struct RenameCase {
  const char* description;
  const char* fileName;
  size_t size;
  const char* tag;  // written at offset 0, or nullptr
  const char* newName;
  std::vector<std::pair<size_t, std::string>> expectedFields;
};

class WriteProjectNameCases : public ::testing::TestWithParam<RenameCase> {};

TEST_P(WriteProjectNameCases, WritesOnlyTheNameFieldsAndKeepsTheSize) {
  const RenameCase& c = GetParam();
  TempFolder folder;
  auto original = patterned(c.size);
  if (c.tag) put(original, 0, c.tag);
  WriteBytes(folder / c.fileName, original);

  ASSERT_TRUE(WriteProjectName(folder.path(), c.newName).ok());

  auto expected = original;
  for (const auto& [offset, text] : c.expectedFields) put(expected, offset, text);
  EXPECT_EQ(ReadBytes(folder / c.fileName), expected) << c.description;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, WriteProjectNameCases,
    ::testing::Values(
        RenameCase{"two letters are blank-padded", "PRJDATA.ini", 100, nullptr, "AB", {{52, "AB      "}}},
        RenameCase{"a long name is cut to 8", "PRJDATA.ini", 100, nullptr, "Twelve chars", {{52, "Twelve c"}}},
        RenameCase{"model file of exactly 65536 bytes: one copy", "PRJDATA.ini", 65536, "BRIX TKR-4880",
                   "Song", {{52, "Song    "}}},
        RenameCase{"model file too short for the whole second copy: one copy, size kept", "PRJDATA.ini",
                   65547, "BRIX TKR-4880", "Song", {{52, "Song    "}}},
        RenameCase{"model file just holding the second copy", "PRJDATA.ini", 65548, "BRIX TKR-4880",
                   "Song", {{52, "Song    "}, {65540, "Song    "}}},
        RenameCase{"model file of 70000 bytes: second copy too", "PRJDATA.ini", 70000, "BRIX TKR-4880",
                   "Song", {{52, "Song    "}, {65540, "Song    "}}},
        RenameCase{"tag in other letter case: one copy", "PRJDATA.ini", 70000, "brix TKR-4880", "Song",
                   {{52, "Song    "}}},
        RenameCase{"tag differing in one byte: one copy", "PRJDATA.ini", 70000, "BRIX TKR-4881", "Song",
                   {{52, "Song    "}}},
        RenameCase{"song data layout: offset 233 only", "Songdata.ini", 70000, "BRIX TKR-4880", "Song",
                   {{233, "Song    "}}}));

TEST(WriteProjectName, RenamesOnlyPrjDataWhenBothFilesExist) {
  TempFolder folder;
  const auto prj = patterned(100), song = patterned(300);
  WriteBytes(folder / "PRJDATA.ini", prj);
  WriteBytes(folder / "Songdata.ini", song);
  ASSERT_TRUE(WriteProjectName(folder.path(), "New").ok());
  EXPECT_EQ(ReadProjectName(folder.path()), "New     ");
  EXPECT_EQ(ReadBytes(folder / "Songdata.ini"), song);
}

TEST(WriteProjectName, ClearsTheReadOnlyPermissionAndSucceeds) {
  TempFolder folder;
  WriteBytes(folder / "PRJDATA.ini", patterned(100));
  namespace fs = std::filesystem;
  fs::permissions(folder / "PRJDATA.ini", fs::perms::owner_read | fs::perms::group_read);
  ASSERT_TRUE(WriteProjectName(folder.path(), "Freed").ok());
  EXPECT_EQ(ReadProjectName(folder.path()), "Freed   ");
  EXPECT_NE(fs::status(folder / "PRJDATA.ini").permissions() & fs::perms::owner_write, fs::perms::none);
}

TEST(WriteProjectName, ReportsAFileThatCannotBeOpenedForUpdate) {
  TempFolder folder;
  // A directory of that name opens for reading on Linux but never for update.
  std::filesystem::create_directory(folder / "PRJDATA.ini");
  const Status status = WriteProjectName(folder.path(), "X");
  EXPECT_TRUE(status.Is(messages::ProjectFileNotOpened)) << status.Text();
  EXPECT_EQ(status.file(), folder / "PRJDATA.ini");
  EXPECT_NE(status.systemError(), 0);
}

// A disk that refuses the first or the second name field (the recorder's
// long file holds two): the failure names the file and the reason, and the
// file is left byte for byte as it was.
TEST(WriteProjectName, AFailedWriteIsReportedWithTheFileAndReasonAndChangesNothing) {
  for (long failingWrite : {1, 2}) {
    SCOPED_TRACE(failingWrite);
    TempFolder folder;
    auto original = patterned(70000);
    put(original, 0, "BRIX TKR-4880");
    WriteBytes(folder / "PRJDATA.ini", original);
    FaultInjection::FailNthWrite(failingWrite, ENOSPC);
    const Status status = WriteProjectName(folder.path(), "Song");
    FaultInjection::Reset();
    EXPECT_TRUE(status.Is(messages::ProjectFileNotWritten)) << status.Text();
    EXPECT_EQ(status.Text(), "Project information file could not be written: " + (folder / "PRJDATA.ini").string() +
                                 " (" + std::strerror(ENOSPC) + ")");
    EXPECT_EQ(ReadBytes(folder / "PRJDATA.ini"), original);
  }
}

TEST(WriteProjectName, DoesNothingWithoutAnInformationFile) {
  TempFolder folder;
  EXPECT_TRUE(WriteProjectName(folder.path(), "X").ok());
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

}  // namespace
}  // namespace tp
