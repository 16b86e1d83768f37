#include "project/projectmodel.h"

#include <gtest/gtest.h>

#include "project/taketime.h"
#include "support/projectfixture.h"

namespace tp {
namespace {

using namespace tp::test;

class ProjectScan : public ::testing::Test {
 protected:
  void SetUp() override { WriteProjectInfo(folder.path(), "MySong"); }
  void take(const std::string& file, const std::string& name, size_t samples) {
    WriteTake(folder / file, name, Ramp(samples));
  }
  bool scan() { return model.DirTreeChange(folder.path().string()); }

  TempFolder folder;
  ProjectModel model;
};

TEST_F(ProjectScan, FillsTheCellsOfEveryTrackAndTakeFromTheFileNames) {
  take("TRACK0_0.DAT", "Kick", 100);
  take("TRACK9_9.DAT", "Snare", 200);
  take("TRACK100.DAT", "Bass", 300);
  take("track159.dat", "Vox", 400);
  ASSERT_TRUE(scan());
  EXPECT_TRUE(model.ProjectOpen);
  EXPECT_TRUE(model.TakesScanned);
  EXPECT_EQ(model.ProjectName, "MySong  ");
  EXPECT_EQ(model.ProjectFolder.back(), '/');
  struct Cell { int row, column; const char* caption; int32_t length; } cells[] = {
      {0, 0, "Kick    ", 100}, {9, 9, "Snare   ", 200}, {10, 0, "Bass    ", 300}, {15, 9, "Vox     ", 400}};
  int assigned = 0;
  for (const auto& row : model.TakeSel)
    for (const auto& cell : row) assigned += cell.assigned;
  EXPECT_EQ(assigned, 4);
  for (const auto& c : cells) {
    EXPECT_TRUE(model.TakeSel[c.row][c.column].assigned);
    EXPECT_EQ(model.TakeSel[c.row][c.column].caption, c.caption);
    EXPECT_EQ(model.TakeLength(c.row, c.column), c.length);
  }
}

TEST_F(ProjectScan, MasterTakeNeedsBothFilesAndIsNamedAfterTheLeft) {
  take("TRACKL_4.DAT", "Final", 1000);
  take("TRACKR_4.DAT", "Other", 1200);
  take("TRACKL_6.DAT", "Lonely", 500);
  ASSERT_TRUE(scan());
  EXPECT_EQ(model.MasterTakeMask, 1u << 4);
  EXPECT_TRUE(model.MasTakeSel[4].assigned);
  EXPECT_EQ(model.MasTakeSel[4].caption, "Final   ");
  EXPECT_FALSE(model.MasTakeSel[6].assigned);
  EXPECT_EQ(model.TakeLengths[166], 500);  // the lone left file's length is still kept
  EXPECT_EQ(model.TakeLengths[174], 1200);
}

TEST_F(ProjectScan, LeavesOutShortFilesDirectoriesAndNamesOutsideTheRule) {
  WriteBytes(folder / "TRACK0_0.DAT", std::vector<uint8_t>(1535, 0));
  WriteBytes(folder / "TRACK1_0.DAT", std::vector<uint8_t>(65536, 0));
  WriteBytes(folder / "TRACK2_0.DAT", std::vector<uint8_t>(40000, 0));
  std::filesystem::create_directory(folder / "TRACK3_0.DAT");
  take("TRACK0_A.DAT", "Bad", 10);
  take("TRACK165.DAT", "Bad", 10);
  ASSERT_TRUE(scan());
  EXPECT_FALSE(model.TakeSel[0][0].assigned);
  EXPECT_TRUE(model.TakeSel[1][0].assigned);
  EXPECT_EQ(model.TakeLength(1, 0), 0);
  // Between 1,536 and 65,535 bytes: shown, with no samples rather than a negative count.
  EXPECT_TRUE(model.TakeSel[2][0].assigned);
  EXPECT_EQ(model.TakeLength(2, 0), 0);
  EXPECT_FALSE(model.TakeSel[3][0].assigned);
  for (int32_t length : model.TakeLengths) EXPECT_GE(length, 0);
  model.TakeSelClick(1, 0);
  EXPECT_FALSE(model.TakesSelected);
}

TEST_F(ProjectScan, FolderWithoutTakeFilesIsAProjectButNotScanned) {
  ASSERT_TRUE(scan());
  EXPECT_FALSE(model.TakesScanned);
}

TEST_F(ProjectScan, BackupMarkerOrMissingInformationFileMeansAPlainFolder) {
  take("TRACK0_0.DAT", "Kick", 100);
  WriteBytes(folder / "backup.inf", {});
  EXPECT_FALSE(scan());
  EXPECT_FALSE(model.TakeSel[0][0].assigned);
  EXPECT_EQ(model.View.playTime, NoTime);
  EXPECT_FALSE(model.DirTreeChange(""));
}

TEST_F(ProjectScan, AFolderChangeClearsTheSelectionAndTheMasterMode) {
  take("TRACK0_0.DAT", "Kick", 100);
  ASSERT_TRUE(scan());
  model.TakeSelClick(0, 0);
  model.TrackSelClick(0);
  model.MasterSelClick(true);
  ASSERT_TRUE(scan());
  EXPECT_FALSE(model.TakeSel[0][0].down);
  EXPECT_FALSE(model.TrackSelDown[0]);
  EXPECT_FALSE(model.MasterMode);
  EXPECT_EQ(model.FirstImportTrack, -1);
}

class Selection : public ProjectScan {
 protected:
  void SetUp() override {
    ProjectScan::SetUp();
    take("TRACK0_2.DAT", "One", 50000);
    take("TRACK1_3.DAT", "Two", 40000);
    take("TRACK4_0.DAT", "Five", 44100);
    take("TRACKL_1.DAT", "Mix", 1000);
    take("TRACKR_1.DAT", "Mix", 3000);
    ASSERT_TRUE(scan());
  }
};

TEST_F(Selection, OneTakePerTrackAndASecondClickReleasesIt) {
  model.TakeSelClick(0, 2);
  model.TakeSelClick(0, 4);
  EXPECT_FALSE(model.TakeSel[0][2].down);
  EXPECT_TRUE(model.TakeSel[0][4].down);
  model.TakeSelClick(0, 4);
  EXPECT_EQ(model.SelectedTakes()[0], -1);
}

TEST_F(Selection, TimesAndSliderFollowTheLongestSelectedTake) {
  model.TakeSelClick(0, 2);
  model.TakeSelClick(4, 0);
  EXPECT_EQ(model.View.trackTimes[0], "0:00:01:133");  // 50,000 samples
  EXPECT_EQ(model.View.trackTimes[4], "0:00:01:000");
  EXPECT_EQ(model.View.trackTimes[1], NoTime);
  EXPECT_EQ(model.View.sliderMax, 50000u);
  EXPECT_EQ(model.View.playTime, "0:00:01:133");
  EXPECT_TRUE(model.TakesSelected);
  model.TakeSelClick(5, 5);  // an empty slot shows no time
  EXPECT_EQ(model.View.trackTimes[5], NoTime);
}

TEST_F(Selection, ImportTracksKeepTheLastTwoChosenInOrder) {
  model.TrackSelClick(1);
  model.TrackSelClick(4);
  model.TrackSelClick(8);
  EXPECT_FALSE(model.TrackSelDown[1]);
  EXPECT_EQ(model.FirstImportTrack, 4);
  EXPECT_EQ(model.SecondImportTrack, 8);
  model.TrackSelClick(4);
  EXPECT_EQ(model.FirstImportTrack, 8);
  EXPECT_EQ(model.SecondImportTrack, -1);
}

TEST_F(Selection, ImportLabelsNameTheTargets) {
  model.TrackSelClick(0);
  model.TrackSelClick(1);
  model.TakeSelClick(0, 2);
  EXPECT_EQ(model.View.lMonoLabel, "Mono");
  EXPECT_EQ(model.View.rLabel, "");
  EXPECT_TRUE(model.ImportTargetSet);
  model.TakeSelClick(1, 3);
  EXPECT_EQ(model.View.lMonoLabel, "L/Mono :TRACK1-3");
  EXPECT_EQ(model.View.rLabel, "R      :TRACK2-4");
}

TEST_F(Selection, MasterModeUsesTheLongerMasterFile) {
  model.MasTakeSelClick(1);
  EXPECT_EQ(model.View.masterTime, FormatTakeTime(3000));
  EXPECT_FALSE(model.ImportTargetSet);
  model.MasterSelClick(true);
  EXPECT_EQ(model.View.lMonoLabel, "Master 2");
  EXPECT_EQ(model.View.sliderMax, 3000u);
  EXPECT_TRUE(model.ImportTargetSet);
  const auto selection = model.PlaybackSelection();
  EXPECT_EQ(selection.count(), 2);
  EXPECT_EQ(selection.takes[0]->filename(), "TRACKL_1.DAT");
  EXPECT_EQ(selection.takes[1]->filename(), "TRACKR_1.DAT");
}

TEST_F(Selection, PlaybackOpensOnlyAssignedAndSelectedTakes) {
  model.TakeSelClick(0, 2);
  model.TakeSelClick(5, 5);  // selected but empty
  const auto selection = model.PlaybackSelection();
  EXPECT_EQ(selection.count(), 1);
  EXPECT_EQ(selection.takes[0]->filename(), "TRACK0_2.DAT");
}

TEST_F(Selection, ImportTargetsFollowTheChannelCountAndNeverUseTakeMinusOne) {
  model.TrackSelClick(2);
  model.TrackSelClick(3);
  model.TakeSelClick(3, 6);  // only the second chosen track has a take
  for (uint32_t channels : {1u, 2u}) {
    const auto targets = model.ImportTargetsFor(channels);
    EXPECT_EQ(targets.first.track, 3);
    EXPECT_EQ(targets.first.take, 6);
    EXPECT_FALSE(targets.second.used());
  }
  model.TakeSelClick(2, 1);
  EXPECT_FALSE(model.ImportTargetsFor(1).second.used());
  const auto stereo = model.ImportTargetsFor(2);
  EXPECT_EQ(stereo.first.track, 2);
  EXPECT_EQ(stereo.second.track, 3);
  EXPECT_TRUE(model.ImportTargetsFor(6).second.used());
}

}  // namespace
}  // namespace tp
