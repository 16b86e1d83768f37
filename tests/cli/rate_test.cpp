// trackporter-cli and files at other rates than the takes' 44,100 Hz: the
// note when nothing was chosen, --resample, --keep-samples, and probe.
#include <gtest/gtest.h>

#include <cmath>

#include "audiofile/byteorder.h"
#include "support/projectfixture.h"
#include "support/runcommand.h"
#include "support/sndfileio.h"

namespace tp {
namespace {

using namespace tp::test;

class CliRate : public ::testing::Test {
 protected:
  void SetUp() override { WriteProjectInfo(project.path(), "Demo"); }
  // What the command printed on standard error alone, and its status.
  CommandOutput errors(const std::string& arguments) {
    return RunCommand("{ " + std::string(TP_CLI_PATH) + " " + arguments + " 2>&1 >/dev/null; }");
  }
  CommandOutput cli(const std::string& arguments) { return RunCommand(std::string(TP_CLI_PATH) + " " + arguments); }
  std::string dir() const { return Quoted(project.path().string()); }
  // A mono 16-bit ramp at `rate`.
  std::string source(const std::string& name, int rate) {
    WriteWithSndfile(sources / name, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, rate, Ramp(50000, -25000));
    return (sources / name).string();
  }

  TempFolder project, sources;
};

TEST_F(CliRate, WithoutAChoiceTheImportCopiesSampleForSampleAndSaysHowItWillSound) {
  struct Case {
    int rate;
    const char* sound;
  } cases[] = {{48000, "slower and lower"}, {32000, "faster and higher"}, {22050, "faster and higher"}};
  for (const auto& c : cases) {
    const std::string file = source("in" + std::to_string(c.rate) + ".wav", c.rate);
    const auto result = errors("import " + dir() + " " + Quoted(file) + " --to 1-1 -f");
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.out, "note: " + file + " is " + std::to_string(c.rate) +
                              " Hz; takes play at 44100 Hz, so it will sound " + c.sound +
                              " (use --resample to convert the rate)\n");
    const auto take = test::ReadTakeSamples(project / "TRACK0_0.DAT");
    const auto ramp = Ramp(50000, -25000);
    EXPECT_TRUE(std::equal(ramp.begin(), ramp.end(), take.begin())) << c.rate;
  }
}

TEST_F(CliRate, KeepSamplesCopiesWithoutANoteAndResampleConverts) {
  const std::string file = source("daw.wav", 48000);
  auto result = errors("import " + dir() + " " + Quoted(file) + " --to 1-1 --keep-samples");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(test::ReadTakeSamples(project / "TRACK0_0.DAT")[49999], int16_t(-25000 + 49999));

  result = errors("import " + dir() + " " + Quoted(file) + " --to 2-1 --resample");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");
  // 50,000 frames at 48 kHz are 45,938 at 44.1 kHz (45,937.5 rounded),
  // padded to two blocks; the ramp climbs at the same speed per second.
  const auto take = test::ReadTakeSamples(project / "TRACK1_0.DAT");
  ASSERT_EQ(take.size(), 65536u);
  EXPECT_TRUE(std::all_of(take.begin() + 45938, take.end(), [](int16_t s) { return s == 0; }));
  const double slope = double(take[30000] - take[10000]) / 20000.0;
  EXPECT_NEAR(slope, 48000.0 / 44100.0, 0.01);
}

TEST_F(CliRate, ResampleAndKeepSamplesTogetherAreAMistakeInTheLine) {
  const std::string file = source("daw.wav", 48000);
  const auto result = cli("import " + dir() + " " + Quoted(file) + " --to 1-1 --resample --keep-samples");
  EXPECT_EQ(result.status, 2) << result.out;
  EXPECT_NE(result.out.find("--keep-samples"), std::string::npos) << result.out;
  EXPECT_FALSE(std::filesystem::exists(project / "TRACK0_0.DAT"));
}

TEST_F(CliRate, A44100HzFileGivesTheSameTakesWithResampleAndWithout) {
  std::vector<double> stereo;
  for (int n = 0; n < 60000; ++n) {
    stereo.push_back(0.8 * std::sin(n * 0.013));
    stereo.push_back(0.4 * std::sin(n * 0.0021));
  }
  WriteDoublesWithSndfile(sources / "cd.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 44100, stereo);
  const std::string file = Quoted((sources / "cd.wav").string());
  auto result = errors("import " + dir() + " " + file + " --to 1-1 --to 2-1");
  ASSERT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");  // no note for the takes' own rate
  const auto left = ReadBytes(project / "TRACK0_0.DAT"), right = ReadBytes(project / "TRACK1_0.DAT");
  ASSERT_EQ(cli("import " + dir() + " " + file + " --to 1-1 --to 2-1 --resample -f").status, 0);
  EXPECT_EQ(ReadBytes(project / "TRACK0_0.DAT"), left);
  EXPECT_EQ(ReadBytes(project / "TRACK1_0.DAT"), right);
}

TEST_F(CliRate, ProbeDescribesAFileAsTextOrJson) {
  std::vector<double> stereo(2 * 96000, 0.0);
  WriteDoublesWithSndfile(sources / "take.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 48000, stereo);
  WriteWithSndfile(sources / "short.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1, 44100, Ramp(1000));
  WriteWithSndfile(sources / "six.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 6, 44100, std::vector<int16_t>(6 * 441));
  struct Case {
    std::string arguments, expected;
  } cases[] = {
      {"take.wav --json",
       "{\"format\": \"WAV\", \"rate\": 48000, \"bits\": 24, \"channels\": 2, \"frames\": 96000, \"seconds\": 2.0}\n"},
      {"short.flac --json",
       "{\"format\": \"FLAC\", \"rate\": 44100, \"bits\": 16, \"channels\": 1, \"frames\": 1000, \"seconds\": "
       "0.023}\n"},
      {"take.wav",
       "Format : WAV\nSampling Rate : 48000.00Hz\nSampling Frames : 96000 (stereo)  0:00:02:000\nBits / Word : 24\n"},
      {"six.flac",
       "Format : FLAC\nSampling Rate : 44100.00Hz\nSampling Frames : 441 (6 channels)  0:00:00:010\nBits / Word : 16\n"
       "Channels : 6 (an import takes one per --to target, or the first two)\n"},
  };
  for (const auto& c : cases) {
    const auto result = cli("probe " + Quoted(sources.path().string()) + "/" + c.arguments);
    EXPECT_EQ(result.status, 0) << c.arguments;
    EXPECT_EQ(result.out, c.expected) << c.arguments;
  }
}

TEST_F(CliRate, ProbeOfAFileThatIsNoSoundFails) {
  WriteBytes(sources / "notes.wav", {'h', 'i'});
  const auto result = cli("probe " + Quoted((sources / "notes.wav").string()));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out,
            "trackporter-cli: probe: The file is not a WAV/AIFF: " + (sources / "notes.wav").string() +
                " (the import reads WAV, AIFF, FLAC, Ogg Vorbis, MP3, Opus, CAF, RF64, Wave64 and the other formats "
                "libsndfile decodes)\n");
}

}  // namespace
}  // namespace tp
