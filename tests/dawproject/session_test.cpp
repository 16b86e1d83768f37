// trackporter-cli session: a song as a DAW project file, read back by
// Python's zipfile and wave modules and validated with the format's schemas.
#include <set>

#include <gtest/gtest.h>

#include "dawproject/sessionfixture.h"
#include "mix/mixer.h"
#include "support/tempfolder.h"

namespace tp {
namespace {

using namespace tp::test;
using nlohmann::json;
namespace fs = std::filesystem;

class SessionCommand : public ::testing::Test {
 protected:
  void SetUp() override { WriteSessionSong(song); }
  CommandOutput run(const std::string& command, const std::string& arguments) {
    return RunCommand(std::string(TP_CLI_PATH) + " " + command + " " + Quoted(song.string()) + " " + arguments);
  }
  static std::string q(const fs::path& path) { return Quoted(path.string()); }
  // The track of `tracks` named `name`.
  static const json& track(const json& tracks, const std::string& name) {
    for (const json& t : tracks)
      if (t["name"] == name) return t;
    static const json none;
    ADD_FAILURE() << "no track " << name;
    return none;
  }

  TempFolder disk, out;
  fs::path song = disk / "song";
};

// Every clip of every track: its file is there, its samples are its take's,
// its durations give the take's frames back exactly, and its bytes are the
// file `stems` writes under that name.
void expectClipsAreTheTakes(const json& session, bool comparedWithStems = true) {
  for (const json& track : session["tracks"])
    for (const json& clip : track["lanes"]) {
      SCOPED_TRACE(clip["path"].get<std::string>());
      EXPECT_TRUE(clip["exists"]);
      EXPECT_EQ(clip["sampleRate"], 44100);
      EXPECT_EQ(clip["clipFrames"], clip["audioFrames"]);
      if (clip.contains("fileFrames")) {
        EXPECT_EQ(clip["clipFrames"], clip["fileFrames"]);
        EXPECT_TRUE(clip["samplesEqualTake"]);
      }
      if (comparedWithStems) EXPECT_TRUE(clip.value("bytesEqualStem", false));
    }
}

TEST_F(SessionCommand, TheSongOpensWithEveryTakeOnALaneTheChosenOnesEnabledAndTheMixerAsSet) {
  ASSERT_EQ(run("stems", q(out / "stems") + " -q").status, 0);
  // Volume 0, 100, 127 and pan full left, centre, full right on three tracks.
  const auto written = run("session", q(out / "song.dawproject") +
                                          " -t 1-2 --master 2 --volume 1=0 --pan 1=0 --volume 5=127 --pan 5=100 "
                                          "--mute 3 --solo 5 --solo 1 -q");
  ASSERT_EQ(written.status, 0) << written.out;
  EXPECT_EQ(SchemaErrors(out / "song.dawproject", out / "xml"), "");
  const json session = ReadSession(out / "song.dawproject", song, out / "stems");
  ASSERT_FALSE(session.is_null());
  EXPECT_TRUE(session["crcOk"]);
  EXPECT_EQ(session["application"]["name"], "TrackPorter");
  EXPECT_EQ(session["application"]["version"], TP_PROJECT_VERSION);
  EXPECT_EQ(session["tempo"]["value"], "120");
  EXPECT_EQ(session["timeSignature"]["numerator"], "4");
  EXPECT_EQ(session["timeSignature"]["denominator"], "4");
  EXPECT_EQ(session["title"], "Caf\u00e9 \uff71\uff72");
  EXPECT_NE(session["comment"].get<std::string>().find(song.string()), std::string::npos);
  for (const json& entry : session["entries"])
    if (entry["name"].get<std::string>().rfind("audio/", 0) == 0) {
      EXPECT_TRUE(entry["stored"]) << entry["name"];
    }

  const json& tracks = session["tracks"];
  ASSERT_EQ(tracks.size(), 5u);
  const std::vector<std::string> names = {"Kick 2", "\uff76\uff9e\uff80\uff70", "Caf\u00e9", "Track16-4",
                                          "Master takes"};
  for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(tracks[i]["name"], names[i]);
  const auto masterId = session["masterChannels"][0]["id"];
  EXPECT_EQ(session["masterChannels"][0]["role"], "master");
  for (const json& t : tracks) {
    EXPECT_EQ(t["destination"], masterId);
    EXPECT_EQ(t["contentType"], "audio");
    EXPECT_EQ(t["channelElements"], json::array({"Mute", "Pan", "Volume"}));
  }

  const json& kick = track(tracks, "Kick 2");
  ASSERT_EQ(kick["lanes"].size(), 2u);
  EXPECT_EQ(kick["lanes"][0]["name"], "Kick 2 (Track01-2)");
  EXPECT_EQ(kick["lanes"][0]["enable"], "true");
  EXPECT_EQ(kick["lanes"][0]["clipFrames"], 30001);
  EXPECT_EQ(kick["lanes"][1]["name"], "Kick (Track01-1)");
  EXPECT_EQ(kick["lanes"][1]["enable"], "false");
  EXPECT_EQ(kick["lanes"][1]["clipFrames"], 50000);

  struct Strip {
    const char* track;
    int volume, pan;
    const char *mute, *solo;
  };
  for (const Strip& strip : {Strip{"Kick 2", 0, 0, "false", "true"},
                             Strip{"\uff76\uff9e\uff80\uff70", 100, 50, "true", "false"},
                             Strip{"Caf\u00e9", 127, 100, "false", "true"}}) {
    SCOPED_TRACE(strip.track);
    const json& t = track(tracks, strip.track);
    EXPECT_EQ(t["volume"]["unit"], "linear");
    EXPECT_EQ(std::stod(t["volume"]["value"].get<std::string>()), VolumeTable[strip.volume] / 8192.0);
    EXPECT_EQ(t["pan"]["unit"], "normalized");
    EXPECT_EQ(std::stod(t["pan"]["value"].get<std::string>()), strip.pan / 100.0);
    EXPECT_EQ(t["mute"], strip.mute);
    EXPECT_EQ(t["solo"], strip.solo);
  }

  const json& masters = track(tracks, "Master takes");
  EXPECT_EQ(masters["mute"], "true");
  EXPECT_EQ(masters["audioChannels"], 2);
  ASSERT_EQ(masters["lanes"].size(), 2u);
  EXPECT_EQ(masters["lanes"][0]["name"], "Alt (Master2)");
  EXPECT_EQ(masters["lanes"][0]["enable"], "true");
  EXPECT_EQ(masters["lanes"][1]["name"], "Final (Master1)");
  EXPECT_EQ(masters["lanes"][1]["enable"], "false");
  EXPECT_EQ(masters["lanes"][1]["clipFrames"], 40000);  // the longer half
  EXPECT_EQ(masters["lanes"][1]["channels"], 2);
  expectClipsAreTheTakes(session);
}

TEST_F(SessionCommand, KatakanaLatin1AndBlankNamesGiveValidUtf8AndUniqueFileNames) {
  ASSERT_EQ(run("session", q(out / "names.dawproject") + " -q").status, 0);
  EXPECT_EQ(SchemaErrors(out / "names.dawproject", out / "xml"), "");
  const json session = ReadSession(out / "names.dawproject", song);
  ASSERT_FALSE(session.is_null());
  std::set<std::string> entries;
  for (const json& entry : session["entries"]) EXPECT_TRUE(entries.insert(entry["name"]).second) << entry["name"];
  EXPECT_TRUE(entries.count("audio/Track03-1 \uff76\uff9e\uff80\uff70.wav"));
  EXPECT_TRUE(entries.count("audio/Track05-1 Caf\u00e9.wav"));
  EXPECT_TRUE(entries.count("audio/Track16-4.wav"));
  EXPECT_EQ(entries.size(), 2u + 7u);  // the two documents and seven takes
  // Without --take, each track's lowest take is the chosen one.
  EXPECT_EQ(track(session["tracks"], "Kick")["lanes"][0]["name"], "Kick (Track01-1)");
  EXPECT_EQ(track(session["tracks"], "Track16-4")["lanes"][0]["name"], "Track16-4");
  EXPECT_EQ(track(session["tracks"], "Master takes")["lanes"][0]["name"], "Final (Master1)");
}

TEST_F(SessionCommand, FlacStoresTheFilesStemsFlacWrites) {
  ASSERT_EQ(run("stems", q(out / "stems") + " --flac -q").status, 0);
  const auto written = run("session", q(out / "song.dawproject") + " --flac");
  ASSERT_EQ(written.status, 0) << written.out;
  EXPECT_EQ(SchemaErrors(out / "song.dawproject", disk / "xml"), "");
  const json session = ReadSession(out / "song.dawproject", song, out / "stems");
  ASSERT_FALSE(session.is_null());
  for (const json& entry : session["entries"]) {
    const std::string name = entry["name"];
    if (name.rfind("audio/", 0) == 0) {
      EXPECT_EQ(name.substr(name.size() - 5), ".flac");
    }
  }
  expectClipsAreTheTakes(session);
  // The FLAC files were encoded beside the project file; nothing of them stays.
  EXPECT_EQ(NamesIn(out.path()), (std::vector<std::string>{"song.dawproject", "stems"}));
}

TEST_F(SessionCommand, ASongWithoutTakesGivesNoTracksAndOneOfOnlyMasterTakesTheMutedMasterTrack) {
  const fs::path empty = disk / "empty", masters = disk / "masters";
  fs::create_directories(empty);
  WriteProjectInfo(empty, "Empty");
  fs::create_directories(masters);
  WriteProjectInfo(masters, "Masters");
  WriteTake(masters / "TRACKL_3.DAT", "Mix", Ramp(100));
  WriteTake(masters / "TRACKR_3.DAT", "Mix", Ramp(100, 9));
  for (const fs::path& folder : {empty, masters}) {
    SCOPED_TRACE(folder.filename().string());
    const fs::path file = out / (folder.filename().string() + ".dawproject");
    const auto written = RunCommand(std::string(TP_CLI_PATH) + " session " + q(folder) + " " + q(file));
    ASSERT_EQ(written.status, 0) << written.out;
    EXPECT_EQ(SchemaErrors(file, out / "xml"), "");
    const json session = ReadSession(file, folder);
    ASSERT_FALSE(session.is_null());
    if (folder == empty) {
      EXPECT_TRUE(session["tracks"].empty());
      EXPECT_EQ(session["structure"], json::array({"Channel"}));  // the master channel alone
    } else {
      ASSERT_EQ(session["tracks"].size(), 1u);
      EXPECT_EQ(session["tracks"][0]["name"], "Master takes");
      EXPECT_EQ(session["tracks"][0]["mute"], "true");
      EXPECT_EQ(session["tracks"][0]["lanes"][0]["name"], "Mix (Master4)");
      EXPECT_EQ(session["tracks"][0]["lanes"][0]["enable"], "true");
      expectClipsAreTheTakes(session, false);
    }
  }
}

TEST_F(SessionCommand, AnExistingFileStandardOutputAndAMissingTakeAreRefused) {
  const fs::path file = out / "song.dawproject";
  WriteBytes(file, {'o', 'l', 'd'});
  auto refused = run("session", q(file));
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.out.find("exists; nothing was written (add --force to replace it)"), std::string::npos);
  EXPECT_EQ(ReadBytes(file).size(), 3u);
  EXPECT_EQ(run("session", q(file) + " --force -q").status, 0);
  EXPECT_GT(fs::file_size(file), 3u);

  EXPECT_EQ(run("session", "-").status, 2);
  refused = run("session", q(out / "other.dawproject") + " -t 2-1");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.out.find("Track02-1 holds no take."), std::string::npos) << refused.out;
  refused = run("session", q(song / "TRACK0_0.DAT") + " --force");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.out.find("An export never replaces a file of a song folder: " + (song / "TRACK0_0.DAT").string()),
            std::string::npos)
      << refused.out;
  EXPECT_FALSE(fs::exists(out / "other.dawproject"));
}

TEST_F(SessionCommand, StemsDawprojectRefersToTheArchivedFilesBesideItAndIsOneOfTheArchivesFiles) {
  const fs::path archive = out / "archive", file = archive / "song.dawproject";
  auto result = run("stems", q(archive) + " --dawproject -q");
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(SchemaErrors(file, disk / "xml"), "");
  const json session = ReadSession(file, song);
  ASSERT_FALSE(session.is_null());
  EXPECT_EQ(session["entries"].size(), 2u) << "the two documents, no audio";
  ASSERT_EQ(session["tracks"].size(), 5u);
  for (const json& track : session["tracks"])
    for (const json& clip : track["lanes"]) {
      SCOPED_TRACE(clip["path"].get<std::string>());
      EXPECT_TRUE(clip["external"]);
      EXPECT_TRUE(clip["exists"]) << "resolved from the project file's folder";
      EXPECT_TRUE(clip["samplesEqualTake"]);
      EXPECT_EQ(clip["clipFrames"], clip["fileFrames"]);
    }

  // Checked by sha256sum with the rest, and listed in the manifest.
  const auto sums = RunCommand("cd " + q(archive) + " && sha256sum -c SHA256SUMS");
  EXPECT_EQ(sums.status, 0) << sums.out;
  EXPECT_NE(sums.out.find("song.dawproject: OK"), std::string::npos) << sums.out;
  const std::vector<uint8_t> manifestBytes = ReadBytes(archive / "trackporter.json");
  const json manifest = json::parse(manifestBytes.begin(), manifestBytes.end());
  ASSERT_EQ(manifest["companions"].size(), 1u);
  EXPECT_EQ(manifest["companions"][0]["file"], "song.dawproject");
  EXPECT_EQ(manifest["companions"][0]["size"], fs::file_size(file));

  // Named among what --force would replace; written anew by --continue.
  result = run("stems", q(archive) + " --dawproject");
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.out.find("song.dawproject"), std::string::npos) << result.out;
  fs::remove(file);
  result = run("stems", q(archive) + " --dawproject --continue -q");
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_TRUE(fs::exists(file));

  // Left alone by restore: the song comes back without it.
  result = RunCommand(std::string(TP_CLI_PATH) + " restore " + q(archive) + " " + q(disk / "back") + " -q");
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_FALSE(fs::exists(disk / "back" / "song.dawproject"));
  EXPECT_TRUE(fs::exists(disk / "back" / "TRACK0_1.DAT"));
}

}  // namespace
}  // namespace tp
