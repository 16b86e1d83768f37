// trackporter-cli session --ardour: a song as an Ardour session folder,
// loaded by Ardour's own ardour7-lua, and the rules of where it is written.
#include <algorithm>

#include <gtest/gtest.h>

#include "dawproject/ardourfixture.h"
#include "dawproject/panlaw.h"
#include "dawproject/sessionfixture.h"
#include "support/projectfixture.h"
#include "support/tempfolder.h"

namespace tp {
namespace {

using namespace tp::test;
namespace fs = std::filesystem;

class ArdourSession : public ::testing::Test {
 protected:
  void SetUp() override { WriteSessionSong(song); }
  CommandOutput session(const fs::path& folder, const std::string& arguments) {
    return RunCommand(std::string(TP_CLI_PATH) + " session " + Quoted(song.string()) + " " + Quoted(folder.string()) +
                      " --ardour " + arguments);
  }
  // The demo's session as Ardour loads it: track 1's second take, the
  // master takes' second, and a mixer with every kind of setting.
  ArdourListing writeDemo() {
    const auto written =
        session(out / "Demo", "-t 1-2 --master 2 --volume 3=120 --pan 3=20 --volume 5=0 --mute 3 --solo 5 -q");
    EXPECT_EQ(written.status, 0) << written.out;
    EXPECT_TRUE(fs::is_regular_file(out / "Demo/Demo.ardour"));
    return ListWithArdour(out / "Demo");
  }
  // The session of `other` (a song folder) written to out/<name> and loaded
  // by Ardour.
  ArdourListing writeAndLoad(const fs::path& other, const std::string& name) {
    const auto written = RunCommand(std::string(TP_CLI_PATH) + " session " + Quoted(other.string()) + " " +
                                    Quoted((out / name).string()) + " --ardour -q");
    EXPECT_EQ(written.status, 0) << written.out;
    return ListWithArdour(out / name);
  }
  static const ArdourRoute* route(const ArdourListing& listing, const std::string& name) {
    for (const ArdourRoute& r : listing.routes)
      if (r.name == name) return &r;
    ADD_FAILURE() << "no route " << name << "\n" << listing.output;
    return nullptr;
  }
  TempFolder disk, out;
  fs::path song = disk / "song";
};

TEST_F(ArdourSession, ArdourLoadsEveryTrackAsARouteWithTheMixerAsSet) {
  const ArdourListing listing = writeDemo();
  ASSERT_TRUE(listing.complete) << listing.output;
  // Nothing but the session is left beside it.
  EXPECT_EQ(NamesIn(out.path()), std::vector<std::string>{"Demo"});
  std::vector<std::string> names;
  for (const ArdourRoute& r : listing.routes) names.push_back(r.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Master", "Kick 2", "\uff76\uff9e\uff80\uff70", "Caf\u00e9", "Track16-4",
                                             "Master takes"}));
  EXPECT_EQ(listing.rangeStart, 0);
  EXPECT_EQ(listing.rangeEnd, 32768) << "the longest chosen take (30,001 frames) in whole blocks";

  struct Strip {
    const char* name;
    int volume, pan;
    bool muted, soloed;
  };
  for (const Strip& strip :
       {Strip{"Kick 2", 100, 50, false, false}, Strip{"\uff76\uff9e\uff80\uff70", 120, 20, true, false},
        Strip{"Caf\u00e9", 0, 50, false, true}, Strip{"Track16-4", 100, 50, false, false}}) {
    SCOPED_TRACE(strip.name);
    const ArdourRoute* r = route(listing, strip.name);
    if (!r) continue;
    const MonoStripGains expected = SolveMonoStrip(strip.volume, strip.pan);
    EXPECT_EQ(r->inputs, 1);
    EXPECT_NEAR(r->gain, expected.fader, 1e-6 * expected.fader + 1e-12);
    EXPECT_NEAR(r->trim, expected.trim, 1e-6);
    // Ardour keeps the azimuth as a float.
    if (expected.fader > 0) EXPECT_NEAR(r->azimuth, expected.azimuth, 1e-7);
    EXPECT_EQ(r->muted, strip.muted);
    EXPECT_EQ(r->soloed, strip.soloed);
  }
  const ArdourRoute* masters = route(listing, "Master takes");
  ASSERT_NE(masters, nullptr);
  EXPECT_EQ(masters->inputs, 2);
  EXPECT_TRUE(masters->muted) << "the mix is not heard twice";
  EXPECT_EQ(masters->gain, 1.0);
  EXPECT_EQ(masters->trim, 1.0);
  EXPECT_EQ(masters->playlist, "Alt (Master2)");
}

TEST_F(ArdourSession, EveryTakeIsAPlaylistOfItsTrackLastingTheTakeAndItsFileIsTheOneStemsWrites) {
  const ArdourListing listing = writeDemo();
  ASSERT_TRUE(listing.complete) << listing.output;
  struct Take {
    const char *route, *name;
    bool used;
    long long frames;
    int channels;
  };
  const std::vector<Take> takes = {{"Kick 2", "Kick 2 (Track01-2)", true, 30001, 1},
                                   {"Kick 2", "Kick (Track01-1)", false, 50000, 1},
                                   {"\uff76\uff9e\uff80\uff70", "\uff76\uff9e\uff80\uff70 (Track03-1)", true, 20000, 1},
                                   {"Caf\u00e9", "Caf\u00e9 (Track05-1)", true, 1000, 1},
                                   {"Track16-4", "Track16-4", true, 7, 1},
                                   {"Master takes", "Alt (Master2)", true, 300, 2},
                                   {"Master takes", "Final (Master1)", false, 40000, 2}};
  ASSERT_EQ(listing.playlists.size(), takes.size()) << listing.output;
  for (const Take& take : takes) {
    SCOPED_TRACE(take.name);
    const auto found = std::find_if(listing.playlists.begin(), listing.playlists.end(),
                                    [&](const ArdourPlaylist& p) { return p.name == take.name; });
    ASSERT_NE(found, listing.playlists.end()) << listing.output;
    EXPECT_EQ(found->route, take.route);
    EXPECT_EQ(found->used, take.used);
    EXPECT_EQ(found->regions, 1);
    EXPECT_EQ(found->position, 0);
    EXPECT_EQ(found->length, take.frames) << "the region lasts the whole take, no fade moves it";
    EXPECT_EQ(found->channels, take.channels);
  }
  // The files are the very bytes stems writes.
  ASSERT_EQ(RunCommand(std::string(TP_CLI_PATH) + " stems " + Quoted(song.string()) + " " +
                       Quoted((disk / "stems").string()) + " -q").status, 0);
  for (const auto& entry : fs::directory_iterator(disk / "stems")) {
    if (entry.path().extension() != ".wav") continue;
    EXPECT_EQ(ReadBytes(entry.path()), ReadBytes(out / "Demo/interchange/Demo/audiofiles" / entry.path().filename()))
        << entry.path().filename();
  }
}

TEST_F(ArdourSession, NamesThatRoutesWouldShareGetANumberAndAColonBecomesAnotherCharacter) {
  const fs::path named = disk / "named";
  fs::create_directories(named);
  WriteProjectInfo(named, "Names");
  WriteTake(named / "TRACK0_0.DAT", "Master", Ramp(100));
  WriteTake(named / "TRACK1_0.DAT", "Master t", Ramp(100));  // a name holds 8 characters
  WriteTake(named / "TRACK2_0.DAT", "Vox", Ramp(100));
  WriteTake(named / "TRACK3_0.DAT", "Vox", Ramp(100));
  WriteTake(named / "TRACK4_0.DAT", "A:B", Ramp(100));
  WriteTake(named / "TRACKL_0.DAT", "Mix", Ramp(100));
  WriteTake(named / "TRACKR_0.DAT", "Mix", Ramp(100));
  const ArdourListing listing = writeAndLoad(named, "names");
  ASSERT_TRUE(listing.complete) << listing.output;
  std::vector<std::string> names;
  for (const ArdourRoute& r : listing.routes) names.push_back(r.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Master", "Master 2", "Master t", "Vox", "Vox 2", "A\u2236B",
                                             "Master takes"}));
  // Only the route of the master takes is muted.
  for (const ArdourRoute& r : listing.routes) EXPECT_EQ(r.muted, r.name == "Master takes") << r.name;
}

TEST_F(ArdourSession, ASongOfMasterTakesAloneIsHeard) {
  const fs::path masters = disk / "masters";
  fs::create_directories(masters);
  WriteProjectInfo(masters, "Masters");
  WriteTake(masters / "TRACKL_3.DAT", "Mix", Ramp(100));
  WriteTake(masters / "TRACKR_3.DAT", "Mix", Ramp(90, 9));
  const ArdourListing listing = writeAndLoad(masters, "masters");
  ASSERT_TRUE(listing.complete) << listing.output;
  ASSERT_EQ(listing.routes.size(), 2u);
  EXPECT_EQ(listing.routes[1].name, "Master takes");
  EXPECT_FALSE(listing.routes[1].muted);
  EXPECT_EQ(listing.rangeEnd, 32768);
}

TEST_F(ArdourSession, AnExistingFolderIsReplacedOnlyWithForceAndOnlyWhenItIsASessionAsWeWroteIt) {
  const fs::path folder = out / "take";
  ASSERT_EQ(session(folder, "-q").status, 0);
  const auto before = ReadBytes(folder / "take.ardour");

  auto refused = session(folder, "-t 1-2");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.out.find("exists; nothing was written (add --force to replace it)"), std::string::npos)
      << refused.out;
  EXPECT_EQ(ReadBytes(folder / "take.ardour"), before);

  ASSERT_EQ(session(folder, "-t 1-2 --force -q").status, 0);
  EXPECT_NE(ReadBytes(folder / "take.ardour"), before);

  // Something of the user's inside: never replaced.
  WriteBytes(folder / "notes.txt", {'m', 'i', 'n', 'e'});
  refused = session(folder, "--force");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.out.find("notes.txt"), std::string::npos) << refused.out;
  EXPECT_TRUE(fs::exists(folder / "notes.txt"));

  // Nor a song folder, nor any other folder, nor a file.
  for (const fs::path& other : {song, disk.path()}) {
    refused = session(other, "--force");
    EXPECT_EQ(refused.status, 1) << other;
    EXPECT_NE(refused.out.find("never replaced"), std::string::npos) << refused.out;
  }
  EXPECT_TRUE(fs::exists(song / "TRACK0_0.DAT"));
  WriteBytes(out / "file", {'x'});
  EXPECT_EQ(session(out / "file", "--force").status, 1);
  EXPECT_EQ(ReadBytes(out / "file").size(), 1u);
}

TEST_F(ArdourSession, FlacAndStandardOutputAreUsageErrors) {
  auto refused = session(out / "s", "--flac");
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.out.find("WAV"), std::string::npos) << refused.out;
  EXPECT_EQ(session("-", "").status, 2);
  EXPECT_FALSE(fs::exists(out / "s"));
}

}  // namespace
}  // namespace tp
