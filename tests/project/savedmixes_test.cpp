// Each song's saved mix: kept in one JSON file through SafeFile, read with a
// size limit, a damaged file ignored with the reason, a song known by its
// folder, its information file's size and its name.
#include "project/savedmixes.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>

#include "project/messages.h"
#include "project/projectmodel.h"
#include "storage/filehandle.h"
#include "support/projectfixture.h"

namespace tp {
namespace {

using namespace tp::test;
namespace fs = std::filesystem;

SavedMix SomeMix() {
  SavedMix mix;
  mix.volume[3] = 64;
  mix.pan[15] = 0;
  mix.mute[2] = true;
  mix.solo[7] = true;
  mix.take[0] = 4;
  mix.take[9] = 9;
  mix.masterTake = 2;
  mix.masterMode = true;
  return mix;
}

void WriteText(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

class SavedMixesFile : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(song);
    WriteProjectInfo(song, "Song");
  }
  TempFolder scratch;
  const fs::path song = scratch / "song";
  const fs::path file = scratch / "config" / "TrackPorter" / "mixes.json";
};

TEST_F(SavedMixesFile, KeepsAMixAcrossASaveAndALoadAndNoFileIsNoMix) {
  SavedMixes fresh(file);
  ASSERT_TRUE(fresh.Load().ok()) << "no file yet is no mix, not a failure";
  const auto identity = SongIdentity(song, "Song    ");
  ASSERT_TRUE(identity);
  EXPECT_EQ(fresh.Find(*identity), nullptr);
  fresh.Keep(*identity, SomeMix());
  ASSERT_TRUE(fresh.Save().ok());

  SavedMixes again(file);
  ASSERT_TRUE(again.Load().ok());
  ASSERT_NE(again.Find(*identity), nullptr);
  EXPECT_EQ(*again.Find(*identity), SomeMix());
}

TEST_F(SavedMixesFile, ASongCopiedRenamedOrChangedIsAnotherSong) {
  const auto identity = SongIdentity(song, "Song    ");
  ASSERT_TRUE(identity);
  EXPECT_EQ(SongIdentity(scratch / "." / "song", "Song    "), identity) << "the same folder however it is spelt";
  EXPECT_NE(SongIdentity(song, "Other   "), identity) << "renamed";
  fs::copy(song, scratch / "copy", fs::copy_options::recursive);
  EXPECT_NE(SongIdentity(scratch / "copy", "Song    "), identity) << "copied elsewhere";
  std::ofstream(song / "PRJDATA.ini", std::ios::binary | std::ios::app) << "more";
  EXPECT_NE(SongIdentity(song, "Song    "), identity) << "another information file";
  EXPECT_FALSE(SongIdentity(scratch / "nothing", "Song    ")) << "no song";
}

TEST_F(SavedMixesFile, ADamagedOrOversizedFileIsIgnoredWithItsReason) {
  struct Case {
    const char* name;
    std::string text;
  };
  std::string full = R"({"songs":[{"song":"x","volume":[100,100,100,100,100,100,100,100,100,100,100,100,100,100,100,100],)"
                     R"("pan":[50,50,50,50,50,50,50,50,50,50,50,50,50,50,50,50],"mute":[false,false,false,false,false,)"
                     R"(false,false,false,false,false,false,false,false,false,false,false],"solo":[false,false,false,)"
                     R"(false,false,false,false,false,false,false,false,false,false,false,false,false],)"
                     R"("takes":[-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1],"master_take":-1,"master_mode":false}]})";
  const auto with = [&](const std::string& from, const std::string& to) {
    std::string text = full;
    text.replace(text.find(from), from.size(), to);
    return text;
  };
  const Case cases[] = {
      {"not JSON", "{\"songs\": [ "},
      {"no songs", "{}"},
      {"a volume beyond 127", with("[100,", "[128,")},
      {"fifteen pans", with("[50,", "[")},
      {"a take beyond 9", with("[-1,", "[10,")},
      {"a mute that is a number", with("[false,", "[3,")},
      {"too large", std::string(17 * 1024 * 1024, ' ')},
  };
  fs::create_directories(file.parent_path());
  WriteText(file, full);
  SavedMixes good(file);
  ASSERT_TRUE(good.Load().ok()) << "the table's base case is a good file";
  EXPECT_NE(good.Find("x"), nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteText(file, c.text);
    SavedMixes mixes(file);
    const Status loaded = mixes.Load();
    EXPECT_TRUE(loaded.Is(messages::SavedMixesIgnored));
    EXPECT_NE(loaded.Text().find(file.string()), std::string::npos) << loaded.Text();
    EXPECT_EQ(mixes.Find("x"), nullptr);
  }
}

TEST_F(SavedMixesFile, AFailedWriteLeavesTheFileThatWasThere) {
  SavedMixes mixes(file);
  mixes.Keep("a", SomeMix());
  ASSERT_TRUE(mixes.Save().ok());
  mixes.Keep("b", SavedMix());
  FaultInjection::FailNthWrite(1, ENOSPC);
  const Status saved = mixes.Save();
  FaultInjection::Reset();
  EXPECT_TRUE(saved.Is(messages::SavedMixesNotWritten)) << saved.Text();
  SavedMixes read(file);
  ASSERT_TRUE(read.Load().ok());
  EXPECT_NE(read.Find("a"), nullptr);
  EXPECT_EQ(read.Find("b"), nullptr);
}

TEST_F(SavedMixesFile, ATakeThatIsGoneFallsBackToTheLowestNumberedOne) {
  WriteTake(song / "TRACK0_3.DAT", "", Ramp(10));
  WriteTake(song / "TRACK0_7.DAT", "", Ramp(10));
  WriteTake(song / "TRACK1_2.DAT", "", Ramp(10));
  WriteTake(song / "TRACKL_5.DAT", "", Ramp(10));
  WriteTake(song / "TRACKR_5.DAT", "", Ramp(10));
  ProjectModel model;
  ASSERT_TRUE(model.DirTreeChange(song.string()));
  SavedMix mix;
  mix.take[0] = 5;  // gone: 3 is the lowest left
  mix.take[1] = 2;  // there
  mix.take[2] = 1;  // the track has no take at all
  mix.masterTake = 0;
  const SavedMix found = WithTakesOf(mix, model);
  EXPECT_EQ(found.take[0], 3);
  EXPECT_EQ(found.take[1], 2);
  EXPECT_EQ(found.take[2], -1);
  EXPECT_EQ(found.masterTake, 5);
}

TEST(SavedMixesPlace, IsInTheUsersConfigurationFolder) {
  const char* before = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = before ? before : "";
  setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
  EXPECT_EQ(DefaultSavedMixesFile(), fs::path("/somewhere/config/TrackPorter/mixes.json"));
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(DefaultSavedMixesFile().filename(), "mixes.json");
  EXPECT_EQ(DefaultSavedMixesFile().parent_path().parent_path().filename(), ".config");
  if (before) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

}  // namespace
}  // namespace tp
