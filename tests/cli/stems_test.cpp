// trackporter-cli stems: archiving takes as named files.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/projectfixture.h"
#include "support/runcommand.h"
#include "support/sndfileio.h"

namespace tp {
namespace {

using namespace tp::test;

namespace fs = std::filesystem;

class Stems : public ::testing::Test {
 protected:
  CommandOutput stems(const std::string& arguments) {
    return RunCommand(std::string(TP_CLI_PATH) + " stems " + arguments);
  }
  std::string q(const fs::path& path) const { return Quoted(path.string()); }
  std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TempFolder disk, out;
};

TEST_F(Stems, EveryTakeBecomesANamedFileOfExactlyItsLength) {
  const fs::path song = disk / "song";
  fs::create_directory(song);
  WriteProjectInfo(song, "Song");
  const auto kick = Ramp(40000, -20000);
  WriteTake(song / "TRACK0_0.DAT", "Kick", kick);
  WriteTake(song / "TRACK1_0.DAT", "a/b:c?  ", Ramp(10));
  WriteTake(song / "TRACK159.DAT", "Vox 2", Ramp(5));
  WriteTake(song / "TRACK2_0.DAT", "", {});  // an empty take, nameless
  WriteTake(song / "TRACKL_0.DAT", "Final", Ramp(100, 1));
  WriteTake(song / "TRACKR_0.DAT", "Final", Ramp(80, -1, -1));

  const auto result = stems(q(song) + " " + q(out.path()));
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_NE(result.out.find("1 song, 5 files"), std::string::npos) << result.out;
  EXPECT_EQ(namesIn(out.path()), (std::vector<std::string>{"Master1 Final.wav", "SHA256SUMS", "Track01-1 Kick.wav",
                                                           "Track02-1 a_b_c_.wav", "Track03-1.wav",
                                                           "Track16-10 Vox 2.wav", "recorder", "trackporter.json"}));
  EXPECT_EQ(namesIn(out / "recorder"), (std::vector<std::string>{"PRJDATA.ini.orig"}));
  const SoundData mono = ReadWithSndfile(out / "Track01-1 Kick.wav");
  EXPECT_EQ(mono.channels, 1);
  EXPECT_EQ(mono.sampleRate, 44100);
  EXPECT_EQ(mono.samples, kick);
  EXPECT_EQ(ReadWithSndfile(out / "Track03-1.wav").frames, 0);
  const SoundData master = ReadWithSndfile(out / "Master1 Final.wav");
  ASSERT_EQ(master.channels, 2);
  EXPECT_EQ(master.frames, 100);
  EXPECT_EQ(master.samples[2 * 79 + 1], -80);
  EXPECT_EQ(master.samples[2 * 80 + 1], 0);  // the shorter right file ends in silence
  EXPECT_EQ(master.samples[2 * 99], 100);

  // The manifest read by the JSON library: every key where it was, in order.
  const auto manifest = ReadBytes(out / "trackporter.json");
  const auto json = nlohmann::ordered_json::parse(manifest.begin(), manifest.end());
  EXPECT_EQ(json["project"], "Song");
  ASSERT_EQ(json["files"].size(), 5u);
  EXPECT_EQ(json["files"][0], nlohmann::ordered_json::parse(R"({"track": 1, "take": 1, "name": "Kick", "samples": 40000,
                                                                "source": "TRACK0_0.DAT", "output": "Track01-1 Kick.wav"})"));
  EXPECT_EQ(json["files"][4], nlohmann::ordered_json::parse(R"({"master": 1, "name": "Final", "samples": 100,
                                                                "source": ["TRACKL_0.DAT", "TRACKR_0.DAT"],
                                                                "output": "Master1 Final.wav"})"));
}

TEST_F(Stems, OnlyTheNamedTakesAndAiffWhenAsked) {
  WriteProjectInfo(disk.path(), "Song");
  WriteTake(disk / "TRACK0_0.DAT", "Kick", Ramp(10));
  WriteTake(disk / "TRACK1_0.DAT", "Snare", Ramp(10));
  ASSERT_EQ(stems(q(disk.path()) + " " + q(out.path()) + " --take 2-1 --aiff").status, 0);
  EXPECT_EQ(namesIn(out.path()),
            (std::vector<std::string>{"SHA256SUMS", "Track02-1 Snare.aif", "recorder", "trackporter.json"}));
  EXPECT_EQ(ReadWithSndfile(out / "Track02-1 Snare.aif").format, SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
  EXPECT_EQ(stems(q(disk.path()) + " " + q(out.path()) + " --take 3-1 --force").status, 1);
}

TEST_F(Stems, RecursiveSearchGivesEachProjectAFolderNamedAfterIt) {
  for (const char* folder : {"a/take1", "b/take1x", "c/deep/other"}) {
    fs::create_directories(disk / folder);
    WriteTake(disk / folder / "TRACK0_0.DAT", "T", Ramp(3));
  }
  WriteProjectInfo(disk / "a/take1", "Same");
  WriteProjectInfo(disk / "b/take1x", "Same");
  WriteProjectInfo(disk / "c/deep/other", "Other");
  fs::create_directories(disk / "backup");
  WriteProjectInfo(disk / "backup", "Backup");
  WriteBytes(disk / "backup/backup.inf", {});

  const auto result = stems(q(disk.path()) + " " + q(out.path()) + " --recursive");
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_NE(result.out.find("3 songs, 3 files"), std::string::npos) << result.out;
  EXPECT_EQ(namesIn(out.path()), (std::vector<std::string>{"Other", "Same (take1)", "Same (take1x)"}));
  EXPECT_TRUE(fs::exists(out / "Same (take1x)" / "Track01-1 T.wav"));
  EXPECT_TRUE(fs::exists(out / "Other" / "trackporter.json"));
}

TEST_F(Stems, SongNamesDifferingOnlyInCaseGetFoldersOfTheirOwnAndTheManifestIsValidJson) {
  // "\xE9" is a Latin-1 folder name from an old disk: no UTF-8 at all.
  for (const char* folder : {"one", "two", "caf\xE9"}) {
    fs::create_directories(disk / folder);
    WriteTake(disk / folder / "TRACK0_0.DAT", "T", Ramp(3));
  }
  WriteProjectInfo(disk / "one", "Demo");
  WriteProjectInfo(disk / "two", "DEMO");
  WriteProjectInfo(disk / "caf\xE9", "");

  const auto result = stems(q(disk.path()) + " " + q(out.path()) + " --recursive");
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(namesIn(out.path()), (std::vector<std::string>{"DEMO (two)", "Demo (one)", "caf\xE9"}));
  for (const auto& entry : fs::directory_iterator(out.path())) {
    const auto check = RunCommand("python3 -c 'import json,sys; json.load(open(sys.argv[1], encoding=\"utf-8\"))' " +
                                  q(entry.path() / "trackporter.json"));
    EXPECT_EQ(check.status, 0) << entry.path() << "\n" << check.out;
  }
}

TEST_F(Stems, NothingIsOverwrittenWithoutForce) {
  WriteProjectInfo(disk.path(), "Song");
  WriteTake(disk / "TRACK0_0.DAT", "Kick", Ramp(10));
  WriteTake(disk / "TRACK1_0.DAT", "Snare", Ramp(10));
  WriteBytes(out / "Track02-1 Snare.wav", {1, 2, 3});

  auto result = stems(q(disk.path()) + " " + q(out.path()));
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.out.find("Track02-1 Snare.wav"), std::string::npos) << result.out;
  EXPECT_EQ(namesIn(out.path()), (std::vector<std::string>{"Track02-1 Snare.wav"}));
  EXPECT_EQ(ReadBytes(out / "Track02-1 Snare.wav"), (std::vector<uint8_t>{1, 2, 3}));

  result = stems(q(disk.path()) + " " + q(out.path()) + " --force");
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(ReadWithSndfile(out / "Track02-1 Snare.wav").frames, 10);
}

TEST_F(Stems, AFailedWriteNamesTheTakeAndLeavesNoPartialFile) {
  WriteProjectInfo(disk.path(), "Song");
  WriteTake(disk / "TRACK0_0.DAT", "Small", Ramp(100));
  WriteTake(disk / "TRACK1_0.DAT", "Big", Ramp(200000));
  // 200 blocks of 512 bytes: the small take fits, the big one does not.
  const auto result = RunCommand("ulimit -f 200; " + std::string(TP_CLI_PATH) + " stems " + q(disk.path()) + " " +
                                 q(out.path()));
  EXPECT_EQ(result.status, 1) << result.out;
  EXPECT_NE(result.out.find("Track02-1: The Wav/AIFF could not be written: "), std::string::npos) << result.out;
  EXPECT_EQ(namesIn(out.path()),
            (std::vector<std::string>{"SHA256SUMS", "Track01-1 Small.wav", "recorder", "trackporter.json"}));
}

}  // namespace
}  // namespace tp
