#include "project/takeedit.h"

#include <gtest/gtest.h>

#include "project/messages.h"
#include "project/projectinfo.h"
#include "support/projectfixture.h"

namespace tp {
namespace {

using namespace tp::test;

class TakeEdit : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteProjectInfo(folder.path(), "Song");
    WriteTake(folder / "TRACK2_1.DAT", "Old", Ramp(100));
    WriteTake(folder / "TRACK110.DAT", "Old", Ramp(44100));
    WriteTake(folder / "TRACKL_3.DAT", "Mix", Ramp(10));
    WriteTake(folder / "TRACKR_3.DAT", "Mix", Ramp(10));
    ASSERT_TRUE(model.DirTreeChange(folder.path().string()));
  }
  std::string nameAt1024(const std::string& file) {
    const auto bytes = ReadBytes(folder / file);
    return std::string(bytes.begin() + 1024, bytes.begin() + 1032);
  }

  TempFolder folder;
  ProjectModel model;
};

TEST_F(TakeEdit, RenamingATakeWritesItsNameFieldOnly) {
  const auto before = ReadBytes(folder / "TRACK110.DAT");
  ASSERT_TRUE(RenameTake(model, 11, 0, "Ten chars!").ok());
  EXPECT_EQ(nameAt1024("TRACK110.DAT"), "Ten char");
  EXPECT_EQ(model.TakeSel[11][0].caption, "Ten char");
  auto after = ReadBytes(folder / "TRACK110.DAT");
  std::copy(before.begin() + 1024, before.begin() + 1032, after.begin() + 1024);
  EXPECT_EQ(after, before);
  ASSERT_TRUE(RenameTake(model, 2, 1, "Abc").ok());
  EXPECT_EQ(nameAt1024("TRACK2_1.DAT"), "Abc     ");
}

TEST_F(TakeEdit, RenamingAMissingTakeSaysItCouldNotBeOpenedAndChangesNothing) {
  std::filesystem::remove(folder / "TRACK2_1.DAT");
  EXPECT_STREQ(RenameTake(model, 2, 1, "New").message, messages::TakeNotOpened);
  EXPECT_EQ(model.TakeSel[2][1].caption, "Old     ");
}

TEST_F(TakeEdit, RenamingAMasterTakeWritesBothFiles) {
  ASSERT_TRUE(RenameMasterTake(model, 3, "Final").ok());
  EXPECT_EQ(nameAt1024("TRACKL_3.DAT"), "Final   ");
  EXPECT_EQ(nameAt1024("TRACKR_3.DAT"), "Final   ");
  EXPECT_EQ(model.MasTakeSel[3].caption, "Final   ");
}

TEST_F(TakeEdit, AMasterRightFileThatCannotBeOpenedKeepsTheCaption) {
  std::filesystem::remove(folder / "TRACKR_3.DAT");
  EXPECT_STREQ(RenameMasterTake(model, 3, "Final").message, messages::TakeNotOpened);
  EXPECT_EQ(nameAt1024("TRACKL_3.DAT"), "Final   ");
  EXPECT_EQ(model.MasTakeSel[3].caption, "Mix     ");
}

TEST_F(TakeEdit, RenamingTheProjectToNothingStoresEightBlanks) {
  ASSERT_TRUE(RenameProject(model, "").ok());
  EXPECT_EQ(model.ProjectName, "");
  EXPECT_EQ(ReadProjectName(folder.path()), "        ");
}

TEST_F(TakeEdit, DeletingTheSelectedTakeReleasesItAndShrinksTheRange) {
  model.TakeSelClick(2, 1);
  model.TakeSelClick(11, 0);
  ASSERT_EQ(model.View.sliderMax, 44100u);
  ASSERT_TRUE(DeleteTake(model, 11, 0).ok());
  EXPECT_FALSE(std::filesystem::exists(folder / "TRACK110.DAT"));
  EXPECT_FALSE(model.TakeSel[11][0].assigned);
  EXPECT_FALSE(model.TakeSel[11][0].down);
  EXPECT_EQ(model.View.trackTimes[11], NoTime);
  EXPECT_EQ(model.View.sliderMax, 100u);
}

TEST_F(TakeEdit, ATakeThatCannotBeDeletedIsReportedAndKept) {
  std::filesystem::remove(folder / "TRACK2_1.DAT");
  EXPECT_STREQ(DeleteTake(model, 2, 1).message, messages::TakeNotDeleted);
  EXPECT_TRUE(model.TakeSel[2][1].assigned);
}

TEST_F(TakeEdit, DeletingAMasterTakeRemovesBothFiles) {
  ASSERT_TRUE(DeleteMasterTake(model, 3).ok());
  EXPECT_FALSE(std::filesystem::exists(folder / "TRACKL_3.DAT"));
  EXPECT_FALSE(std::filesystem::exists(folder / "TRACKR_3.DAT"));
  EXPECT_FALSE(model.MasTakeSel[3].assigned);
  EXPECT_EQ(model.TakeLengths[163], 0);
}

TEST_F(TakeEdit, AMasterRightFileThatCannotBeDeletedLeavesTheCell) {
  std::filesystem::remove(folder / "TRACKR_3.DAT");
  EXPECT_STREQ(DeleteMasterTake(model, 3).message, messages::TakeNotDeleted);
  EXPECT_FALSE(std::filesystem::exists(folder / "TRACKL_3.DAT"));
  EXPECT_TRUE(model.MasTakeSel[3].assigned);
}

TEST(DeleteQuestion, NamesTheTakeOnItsSecondLine) {
  EXPECT_EQ(DeleteTakeQuestion(2, 1, "Kick    "), "Are you sure to delete the Take?  \n  Track3-2[Kick    ]");
  EXPECT_EQ(DeleteMasterQuestion(4, "Final   "), "Are you sure to delete the Take?  \n  Master 5[Final   ]");
}

}  // namespace
}  // namespace tp
