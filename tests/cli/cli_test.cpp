// The command-line companion, run as a user runs it.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "project/projectinfo.h"
#include "project/savedmixes.h"
#include "support/projectfixture.h"
#include "support/runcommand.h"
#include "support/sndfileio.h"

namespace tp {
namespace {

using namespace tp::test;

// "Converted", the lines given, then the export's loudness (which the
// loudness tests check against an oracle).
bool SaysConverted(const std::string& out, const std::string& linesBeforeLoudness) {
  const std::string start = "Converted\n" + linesBeforeLoudness;
  if (out.rfind(start, 0) != 0) return false;
  const std::regex loudness(R"((-?[0-9]+\.[0-9] LUFS, LRA [0-9]+\.[0-9] LU, true peak -?[0-9]+\.[0-9] dBTP|silent)\n)");
  return std::regex_match(out.substr(start.size()), loudness);
}

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteProjectInfo(project.path(), "Demo");
    WriteTake(project / "TRACK0_0.DAT", "Kick", Ramp(100000, -20000, 0));  // constant -20000
    WriteTake(project / "TRACK4_1.DAT", "Bass", Ramp(50000, 1000, 0));     // constant 1000
    WriteTake(project / "TRACKL_2.DAT", "Final", Ramp(10, 1));
    WriteTake(project / "TRACKR_2.DAT", "Final", Ramp(12, -1, -1));
  }
  CommandOutput cli(const std::string& arguments) {
    return RunCommand(std::string(TP_CLI_PATH) + " " + arguments);
  }
  std::string dir() const { return Quoted(project.path().string()); }
  std::string out(const std::string& name) const { return Quoted((outputs / name).string()); }

  TempFolder project, outputs;
};

TEST_F(Cli, InfoListsEveryTakeAsJson) {
  const auto result = cli("info " + dir() + " --json");
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(result.out,
            "{\"project\": \"Demo    \", \"takes\": ["
            "{\"track\": 1, \"take\": 1, \"name\": \"Kick    \", \"samples\": 100000, \"time\": \"0:00:02:267\", "
            "\"file\": \"TRACK0_0.DAT\"}, "
            "{\"track\": 5, \"take\": 2, \"name\": \"Bass    \", \"samples\": 50000, \"time\": \"0:00:01:133\", "
            "\"file\": \"TRACK4_1.DAT\"}], "
            "\"masters\": [{\"take\": 3, \"name\": \"Final   \", \"samples_left\": 10, \"samples_right\": 12}]}\n");
}

// A copy cut off at 3,000 bytes still has its name (the first 1,536 bytes)
// but ends inside the 65,536-byte header: it is marked, not passed off as
// an empty take.
TEST_F(Cli, InfoMarksATakeFileCutShortInsideItsHeader) {
  std::filesystem::resize_file(project / "TRACK4_1.DAT", 3000);
  std::filesystem::resize_file(project / "TRACKR_2.DAT", 65535);
  auto result = cli("info " + dir());
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_NE(result.out.find("Bass      0:00:00:000           0 samples  TRACK4_1.DAT  ! The take file is shorter "
                            "than its header\n"),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("left 10, right 0 samples  ! The take file is shorter than its header\n"),
            std::string::npos) << result.out;
  EXPECT_NE(result.out.find("TRACK0_0.DAT\n"), std::string::npos) << "a whole take is not marked\n" << result.out;
  result = cli("info " + dir() + " --json");
  EXPECT_NE(result.out.find("\"file\": \"TRACK4_1.DAT\", \"problem\": \"The take file is shorter than its header\"}"),
            std::string::npos) << result.out;
  EXPECT_NE(result.out.find("\"samples_right\": 0, \"problem\": \"The take file is shorter than its header\"}"),
            std::string::npos) << result.out;
  EXPECT_EQ(result.out.find("TRACK0_0.DAT\", \"problem"), std::string::npos) << result.out;
}

TEST_F(Cli, InfoNamesATakeFileThatAnotherSpellingHides) {
  WriteTake(project / "track0_0.dat", "Other", Ramp(10));
  auto result = cli("info " + dir());
  EXPECT_NE(result.out.find("Kick"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("track0_0.dat is ignored: another file has the same name in other letter case"),
            std::string::npos) << result.out;
  result = cli("info " + dir() + " --json");
  EXPECT_NE(result.out.find(", \"ignored\": [\"track0_0.dat\"]}"), std::string::npos) << result.out;
  // Every command uses the same file: the export has Kick's 100,000 samples.
  ASSERT_EQ(cli("export " + dir() + " " + out("k.wav") + " -t 1-1").status, 0);
  EXPECT_EQ(ReadWithSndfile(outputs / "k.wav").samples[0], -20000);
}

TEST_F(Cli, ExportToStandardOutputWritesTheSameFileWithItsSizesInTheHeader) {
  for (const std::string format : {"", " --aiff"}) {
    SCOPED_TRACE(format);
    const std::string file = format.empty() ? "mix.wav" : "mix.aif";
    ASSERT_EQ(cli("export " + dir() + " " + out(file) + " -t 1-1 -t 5-2 -q").status, 0);
    // Through a pipe, which cannot seek back to patch the sizes.
    const auto piped = cli("export " + dir() + " - -t 1-1 -t 5-2" + format + " 2>/dev/null | cat > " + out("piped"));
    ASSERT_EQ(piped.status, 0) << piped.out;
    EXPECT_EQ(ReadBytes(outputs / "piped"), ReadBytes(outputs / file));
  }
}

// FLAC through the archive's writer: libsndfile reads back exactly the WAV
// export's samples; a name without an extension takes --flac's; standard
// output cannot hold a file whose start is rewritten at the end.
TEST_F(Cli, ExportWritesFlacWithTheSamplesOfTheWavExport) {
  ASSERT_EQ(cli("export " + dir() + " " + out("mix.wav") + " -t 1-1 -t 5-2 -q").status, 0);
  const auto flac = cli("export " + dir() + " " + out("mix.flac") + " -t 1-1 -t 5-2");
  ASSERT_EQ(flac.status, 0) << flac.out;
  EXPECT_TRUE(SaysConverted(flac.out, "")) << flac.out;
  const SoundData wav = ReadWithSndfile(outputs / "mix.wav");
  const SoundData written = ReadWithSndfile(outputs / "mix.flac");
  EXPECT_EQ(written.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  EXPECT_EQ(written.channels, wav.channels);
  EXPECT_EQ(written.samples, wav.samples);

  ASSERT_EQ(cli("export " + dir() + " " + out("named") + " -t 5-2 --flac -q").status, 0);
  EXPECT_EQ(ReadWithSndfile(outputs / "named.flac").format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);

  const auto piped = cli("export " + dir() + " - -t 5-2 --flac");
  EXPECT_EQ(piped.status, 2) << piped.out;
  EXPECT_NE(piped.out.find("--flac needs a file it can finish"), std::string::npos) << piped.out;
}

// --saved-mix takes the song's mix as the window kept it; the line's own
// options override it track by track.
TEST_F(Cli, SavedMixGivesTheKeptTakesAndMixerUnderWhatTheLineSays) {
  const std::filesystem::path config = outputs / "config";
  SavedMix kept;
  kept.take[0] = 0;
  kept.take[4] = 1;
  kept.volume[4] = 127;
  kept.pan[4] = 0;
  SavedMixes mixes(config / "TrackPorter" / "mixes.json");
  mixes.Keep(*SongIdentity(project.path(), "Demo    "), kept);
  ASSERT_TRUE(mixes.Save().ok());
  const std::string withConfig = "XDG_CONFIG_HOME=" + Quoted(config.string()) + " ";
  const auto measure = [&](const std::string& options) {
    return RunCommand(withConfig + TP_CLI_PATH + " loudness " + dir() + " --json -q " + options);
  };
  const auto saved = measure("--saved-mix");
  ASSERT_EQ(saved.status, 0) << saved.out;
  EXPECT_EQ(saved.out, measure("-t 1-1 -t 5-2 --volume 5=127 --pan 5=0").out);
  const auto overridden = measure("--saved-mix --pan 5=50");
  EXPECT_EQ(overridden.out, measure("-t 1-1 -t 5-2 --volume 5=127").out);
  EXPECT_NE(overridden.out, saved.out);

  // A changed information file is another song, with no mix kept: the
  // default mix, and a note saying so.
  std::ofstream(project / "PRJDATA.ini", std::ios::app) << "x";
  const auto changed = measure("--saved-mix -t 1-1");
  EXPECT_EQ(changed.status, 0) << changed.out;
  EXPECT_NE(changed.out.find("no saved mix"), std::string::npos) << changed.out;
}

TEST_F(Cli, ExportMixesWithTheGivenVolumeAndPan) {
  // Track 5 at volume 127 (32613/8192) hard left: 1000 x 32613 >> 13 = 3981.
  const auto result = cli("export " + dir() + " " + out("mix") + " --take 1-1 --take 5-2 --pan 5=0 --volume 5=127 --aiff");
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_TRUE(SaysConverted(result.out, "")) << result.out;
  const SoundData data = ReadWithSndfile(outputs / "mix.aif");
  ASSERT_EQ(data.channels, 2);
  EXPECT_EQ(data.frames, 131072);
  EXPECT_EQ(data.samples[0], -20000 + 3981);
  EXPECT_EQ(data.samples[1], -20000);
  EXPECT_EQ(data.samples[2 * 50000], -20000);
}

// Kick is -20000 and Bass 1000 throughout, both centred at unity.
TEST_F(Cli, ExportHearsOnlyWhatMuteAndSoloLetThrough) {
  const struct {
    const char* options;
    int16_t first;  // frame 0, both sides
  } cases[] = {
      {"", -19000},
      {"--mute 5", -20000},
      {"--solo 5", 1000},
      {"--solo 1 --solo 5", -19000},
      {"--solo 5 --mute 5", 0},
      {"--mute 1 --mute 5", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    const auto result = cli("export " + dir() + " " + out("mix.wav") + " -t 1-1 -t 5-2 -f " + c.options);
    ASSERT_EQ(result.status, 0) << result.out;
    const SoundData data = ReadWithSndfile(outputs / "mix.wav");
    EXPECT_EQ(data.samples[0], c.first);
    EXPECT_EQ(data.samples[1], c.first);
  }
  // Play takes the same options, and checks them the same way.
  EXPECT_EQ(cli("play " + dir() + " -t 1-1 --solo 17").status, 2);
}

TEST_F(Cli, ExportSaysHowManySamplesOfTheMixClipped) {
  // Kick at volume 127: -20000 x 32613 >> 13 = -79623 saturates on each of
  // its 100,000 frames, before Bass adds its 1000.
  auto result = cli("export " + dir() + " " + out("loud.wav") + " -t 1-1 -t 5-2 --volume 1=127");
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_TRUE(SaysConverted(result.out, "100000 samples clipped\n")) << result.out;
  EXPECT_EQ(ReadWithSndfile(outputs / "loud.wav").samples[0], -32768 + 1000);
  result = cli("export " + dir() + " " + out("loud.wav") + " -t 1-1 -t 5-2 --volume 1=127 -f -q");
  EXPECT_EQ(result.out, "");
  // Muted, the loud track clips nothing.
  result = cli("export " + dir() + " " + out("loud.wav") + " -t 1-1 -t 5-2 --volume 1=127 --mute 1 -f");
  EXPECT_TRUE(SaysConverted(result.out, "")) << result.out;
}

TEST_F(Cli, ExportOfAMasterTakeWritesItsPair) {
  ASSERT_EQ(cli("export " + dir() + " " + out("m.wav") + " --master 3").status, 0);
  const SoundData data = ReadWithSndfile(outputs / "m.wav");
  ASSERT_EQ(data.channels, 2);
  EXPECT_EQ(data.samples[2 * 9], 10);
  EXPECT_EQ(data.samples[2 * 11 + 1], -12);
}

TEST_F(Cli, ImportThenRenameThenDelete) {
  std::vector<int16_t> stereo;
  for (int n = 0; n < 100; ++n) { stereo.push_back(int16_t(n)); stereo.push_back(int16_t(-n)); }
  WriteWithSndfile(outputs / "Piano.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, stereo);
  auto result = cli("import " + dir() + " " + out("Piano.wav") + " --to 7-1 --to 8-1");
  ASSERT_EQ(result.status, 0) << result.out;
  result = cli("info " + dir());
  EXPECT_NE(result.out.find("Track07-1   Piano  L"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("Track08-1   Piano  R"), std::string::npos) << result.out;

  ASSERT_EQ(cli("rename " + dir() + " --take 7-1 Keys").status, 0);
  ASSERT_EQ(cli("rename " + dir() + " --project 'New song title'").status, 0);
  EXPECT_EQ(ReadProjectName(project.path()), "New song");
  ASSERT_EQ(cli("delete " + dir() + " --take 8-1").status, 0);
  EXPECT_FALSE(std::filesystem::exists(project / "TRACK7_0.DAT"));
  result = cli("info " + dir());
  EXPECT_NE(result.out.find("Track07-1   Keys"), std::string::npos) << result.out;
}

// A name typed in full width is folded; a take number in full width is not
// a name, and stays a mistake in the command line.
TEST_F(Cli, RenameFoldsAFullWidthNameButNotATakeNumber) {
  auto result = cli("rename " + dir() + " --take 1-1 '\u30C9\u30E9\u30E0'");  // ドラム
  ASSERT_EQ(result.status, 0) << result.out;
  result = cli("info " + dir() + " --json");
  EXPECT_NE(result.out.find("\"name\": \"\uFF84\uFF9E\uFF97\uFF91    \""), std::string::npos) << result.out;
  result = cli("rename " + dir() + " --take 1-1 '\u30F6'");  // ヶ has no half-width form
  EXPECT_EQ(result.status, 1) << result.out;
  EXPECT_NE(result.out.find("A name can hold only"), std::string::npos) << result.out;
  result = cli("rename " + dir() + " --take '\uFF11-\uFF11' Kick");  // １-１
  EXPECT_EQ(result.status, 2) << result.out;
}

TEST_F(Cli, PlayWithoutASoundDeviceSaysSoAndFails) {
  // A home whose ALSA configuration points the default output at a card
  // that does not exist stands in for a machine without sound.
  const std::string config = "pcm.!default { type hw; card 99 }\nctl.!default { type hw; card 99 }\n";
  WriteBytes(outputs / ".asoundrc", std::vector<uint8_t>(config.begin(), config.end()));
  const std::string noSound = "HOME=" + Quoted(outputs.path().string()) + " ";
  const auto result = RunCommand(noSound + TP_CLI_PATH + " play " + dir() + " --take 5-2 --from 1");
  EXPECT_EQ(result.status, 1) << result.out;
  EXPECT_EQ(result.out, "trackporter-cli: play: No sound output device was found.\n");
}

TEST_F(Cli, PlayOnAnOutputThatIsNotThereFailsWhetherNamedByOptionOrEnvironment) {
  const std::string named[] = {
      std::string(TP_CLI_PATH) + " play " + dir() + " --take 5-2 --device no-such-output-7f3a",
      "TRACKPORTER_AUDIO_DEVICE=no-such-output-7f3a " + std::string(TP_CLI_PATH) + " play " + dir() + " -t 5-2",
      "TRACKPORTER_AUDIO_DEVICE=pulse " + std::string(TP_CLI_PATH) + " play " + dir() +
          " -t 5-2 --device=no-such-output-7f3a",
  };
  for (const auto& line : named) {
    const auto result = RunCommand(line);
    EXPECT_EQ(result.status, 1) << line << "\n" << result.out;
    EXPECT_EQ(result.out,
              "trackporter-cli: play: No sound output device matches \"no-such-output-7f3a\" (trackporter-cli devices "
              "lists them).\n")
        << line;
  }
}

TEST_F(Cli, DevicesListsOneOutputPerLineWithAtMostOneDefault) {
  const auto result = cli("devices");
  ASSERT_EQ(result.status, 0) << result.out;
  std::istringstream lines(result.out);
  int defaults = 0, count = 0;
  for (std::string line; std::getline(lines, line); ++count) {
    ASSERT_GE(line.size(), 3u) << line;
    EXPECT_TRUE(line.starts_with("* ") || line.starts_with("  ")) << line;
    defaults += line.starts_with("* ");
    if (line != "  (no sound outputs)") EXPECT_TRUE(line.ends_with("channel)") || line.ends_with("channels)")) << line;
  }
  EXPECT_GE(count, 1);
  EXPECT_LE(defaults, 1);
}

TEST_F(Cli, FailuresExitWithOneAndSayWhy) {
  struct Case { std::string arguments; std::string message; } cases[] = {
      {"info " + Quoted(outputs.path().string()), "is not a project folder"},
      {"play " + dir() + " --take 1-1 --take 2-1", "Track02-1 holds no take."},
      {"export " + dir() + " " + out("x.wav") + " --take 1-3", "Track01-3 holds no take."},
      {"import " + dir() + " " + dir() + " --to 1-1 --force", "The file could not be read: " + project.path().string() + " (Is a directory)"},
      {"rename " + dir() + " --take 1-1 \x27\xE3\x81\x82\x27", "A name can hold only"},
  };
  for (const auto& c : cases) {
    const auto result = cli(c.arguments);
    EXPECT_EQ(result.status, 1) << c.arguments << "\n" << result.out;
    EXPECT_NE(result.out.find(c.message), std::string::npos) << result.out;
  }
}

TEST_F(Cli, UsageMistakesExitWithTwoAndHelpWithZero) {
  for (const std::string& arguments : std::vector<std::string>{"", "frobnicate", "export " + dir(), "export " + dir() + " o.wav",
                                      "export " + dir() + " o.wav --take 17-1", "import " + dir() + " x.wav",
                                      "rename " + dir(), "delete " + dir() + " --take 1-1 --master 1"}) {
    const auto result = cli(arguments);
    EXPECT_EQ(result.status, 2) << arguments << "\n" << result.out;
    EXPECT_NE(result.out.find("usage: trackporter-cli"), std::string::npos) << result.out;
  }
  for (const char* command : {"--help", "info --help", "export --help", "import --help", "rename --help",
                              "delete --help"})
    EXPECT_EQ(cli(command).status, 0) << command;
}

// Several files on consecutive tracks, every channel of a 16-channel file to
// its own --to take, and a batch refused whole when it does not fit.
TEST_F(Cli, ImportPlacesManyFilesAndEveryChannel) {
  WriteWithSndfile(outputs / "Kick.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, Ramp(300, 7));
  std::vector<int16_t> stereo;
  for (int n = 0; n < 200; ++n) { stereo.push_back(int16_t(n)); stereo.push_back(int16_t(-n)); }
  WriteWithSndfile(outputs / "Pads.rf64", SF_FORMAT_RF64 | SF_FORMAT_PCM_16, 2, 44100, stereo);
  auto result = cli("import " + dir() + " " + out("Kick.wav") + " " + out("Pads.rf64") + " --from 2-3");
  ASSERT_EQ(result.status, 0) << result.out;
  result = cli("info " + dir());
  EXPECT_NE(result.out.find("Track02-3   Kick"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("Track03-3   Pads   L"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("Track04-3   Pads   R"), std::string::npos) << result.out;

  std::vector<int16_t> sixteen;
  for (int n = 0; n < 100; ++n)
    for (int c = 0; c < 16; ++c) sixteen.push_back(int16_t(c * 100 + n));
  WriteWithSndfile(outputs / "Desk.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16, 44100, sixteen);
  std::string targets;
  for (int track = 1; track <= 16; ++track) targets += " --to " + std::to_string(track) + "-5";
  ASSERT_EQ(cli("import " + dir() + " " + out("Desk.wav") + targets).status, 0);
  for (int track = 0; track < 16; ++track)
    EXPECT_EQ(ReadTakeSamples(project / TakeFileName(track, 4))[10], int16_t(track * 100 + 10)) << track;

  result = cli("import " + dir() + " " + out("Kick.wav") + " " + out("Pads.rf64") + " --from 15-7");
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.out.find("The files do not fit in the 16 tracks; nothing was written: 1 of the 2 files fit from "
                            "track 15"),
            std::string::npos)
      << result.out;
  EXPECT_FALSE(std::filesystem::exists(project / TakeFileName(14, 6)));
  EXPECT_EQ(cli("import " + dir() + " " + out("Kick.wav") + " " + out("Pads.rf64") + " --to 1-1").status, 2)
      << "several files need --from";
}

}  // namespace
}  // namespace tp
