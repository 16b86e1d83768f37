// The demo project: written once, read back by the project model as a
// recorder project with sound in every take.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/demoproject.h"
#include "audiofile/byteorder.h"
#include "mix/mixer.h"
#include "mix/takefiles.h"
#include "project/namecodec.h"
#include "project/projectmodel.h"
#include "project/taketime.h"
#include "support/tempfolder.h"

namespace tp {
namespace {

TEST(DemoProject, IsARecorderProjectWithNamedTakesOnSeveralTracksAndAMasterTake) {
  test::TempFolder scratch;
  const auto folder = scratch / "Demo";
  ASSERT_EQ(MakeDemoProject(folder), DemoResult::Created);
  EXPECT_FALSE(std::filesystem::exists(scratch / "Demo.partial"));

  ProjectModel model;
  ASSERT_TRUE(model.DirTreeChange(folder.string()));
  EXPECT_EQ(model.ProjectName, "DEMOSONG");
  EXPECT_TRUE(model.TakesScanned);
  int takes = 0, tracks = 0;
  for (int track = 0; track < TrackCount; ++track) {
    bool any = false;
    for (int take = 0; take < TakesPerTrack; ++take)
      if (model.TakeSel[track][take].assigned) {
        ++takes;
        any = true;
        EXPECT_EQ(model.TakeLength(track, take), 8 * 44100) << track << "," << take;
      }
    tracks += any;
  }
  EXPECT_GE(tracks, 5);
  EXPECT_GT(takes, tracks) << "one track has a second take";
  EXPECT_TRUE(model.MasTakeSel[0].assigned);
  EXPECT_EQ(model.MasTakeSel[0].caption, "Mix     ");
  EXPECT_EQ(NameBytesToUtf8(model.TakeSel[5][0].caption), "\uFF92\uFF9B\uFF83\uFF9E\uFF68   ");

  // Every take sounds: its loudest sample is well above silence.
  for (const char* file : {"TRACK0_0.DAT", "TRACK3_1.DAT", "TRACK5_0.DAT", "TRACKL_0.DAT", "TRACKR_0.DAT"}) {
    const std::vector<uint8_t> bytes = test::ReadBytes(folder / file);
    ASSERT_GT(bytes.size(), 65536u) << file;
    int peak = 0;
    for (size_t at = 65536; at + 1 < bytes.size(); at += 2) peak = std::max(peak, std::abs(int(int16_t(readU16LE(&bytes[at])))));
    EXPECT_GT(peak, 3000) << file;
  }
}

// The first sound a newcomer hears: the takes of the song mixed by the
// core's mixer at its default settings, with either take of the bass.
TEST(DemoProject, TheDefaultMixPeaksNearMinusThreeDecibelsAndNeverClips) {
  test::TempFolder scratch;
  const auto folder = scratch / "Demo";
  ASSERT_EQ(MakeDemoProject(folder), DemoResult::Created);
  for (int bassTake : {0, 1}) {
    TakeFiles files;
    for (int track = 0; track < 6; ++track)
      ASSERT_TRUE(files.Open(track, folder / TakeFileName(track, track == 3 ? bassTake : 0), 0)) << track;
    const MixerSettings defaults;
    std::vector<int16_t> block(2 * 32768);
    int peak = 0;
    size_t atLimit = 0;
    for (;;) {
      std::fill(block.begin(), block.end(), 0);
      if (!MixBlock(block.data(), 32768, files, false, defaults)) break;
      for (int16_t s : block) {
        peak = std::max(peak, std::abs(int(s)));
        atLimit += s == 32767 || s == -32768;
      }
    }
    const double peakDb = 20 * std::log10(peak / 32768.0);
    EXPECT_EQ(atLimit, 0u) << "bass take " << bassTake + 1;
    EXPECT_NEAR(peakDb, -3.0, 0.5) << "bass take " << bassTake + 1;
  }
}

TEST(DemoProject, IsWrittenOnlyOnce) {
  test::TempFolder scratch;
  const auto folder = scratch / "Demo";
  ASSERT_EQ(MakeDemoProject(folder), DemoResult::Created);
  std::filesystem::remove(folder / "TRACK0_0.DAT");
  EXPECT_EQ(MakeDemoProject(folder), DemoResult::AlreadyThere);
  EXPECT_FALSE(std::filesystem::exists(folder / "TRACK0_0.DAT")) << "an existing folder is left alone";
}

}  // namespace
}  // namespace tp
