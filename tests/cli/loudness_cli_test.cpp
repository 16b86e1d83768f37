// The loudness on the command line: the summary's line, export --json,
// the loudness command and export --normalize, run as a user runs them.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <regex>

#include "support/ebur128oracle.h"
#include "support/projectfixture.h"
#include "support/runcommand.h"
#include "support/sndfileio.h"

namespace tp {
namespace {

using namespace tp::test;

std::vector<int16_t> SineTake(double seconds, double dbfs, double frequency) {
  std::vector<int16_t> samples(size_t(seconds * 44100));
  const double amplitude = 32768.0 * std::pow(10.0, dbfs / 20.0);
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = int16_t(std::lround(amplitude * std::sin(2 * std::numbers::pi * frequency * double(i) / 44100.0)));
  return samples;
}

const std::string Number = R"(-?[0-9]+\.[0-9])";
const std::regex LoudnessLine(Number + " LUFS, LRA " + Number + " LU, true peak " + Number + " dBTP");

class LoudnessCli : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteProjectInfo(project.path(), "Loud");
    WriteTake(project / "TRACK0_0.DAT", "Sine", SineTake(4, -20, 440));
    // Full-scale clicks over a quiet sine, to be mixed alone: beside the
    // first track it would clip.
    std::vector<int16_t> clicks = SineTake(4, -45, 200);
    for (size_t at = 10000; at < clicks.size(); at += 30000) clicks[at] = 32767;
    WriteTake(project / "TRACK1_0.DAT", "Clicks", clicks);
    WriteTake(project / "TRACK2_0.DAT", "Silence", std::vector<int16_t>(44100, 0));
  }
  CommandOutput cli(const std::string& arguments) { return RunCommand(std::string(TP_CLI_PATH) + " " + arguments); }
  // Standard output alone.
  CommandOutput cliOut(const std::string& arguments) {
    return RunCommand("(" + std::string(TP_CLI_PATH) + " " + arguments + " 2>/dev/null)");
  }
  std::string dir() const { return Quoted(project.path().string()); }
  std::string out(const std::string& name) const { return Quoted((outputs / name).string()); }

  TempFolder project, outputs;
};

TEST_F(LoudnessCli, TheExportSummarySaysTheLoudnessFfmpegMeasures) {
  const auto result = cli("export " + dir() + " " + out("mix.wav") + " -t 1-1 -t 3-1 --pan 1=20");
  ASSERT_EQ(result.status, 0) << result.out;
  std::smatch line;
  ASSERT_TRUE(std::regex_match(result.out, line, std::regex("Converted\n(.*)\n"))) << result.out;
  const std::string said = line[1];
  EXPECT_TRUE(std::regex_match(said, LoudnessLine)) << said;
  const auto oracle = MeasureWithFfmpeg(outputs / "mix.wav");
  ASSERT_TRUE(oracle);
  EXPECT_NEAR(std::stod(said), oracle->integratedLufs, 0.15);
  EXPECT_NEAR(std::stod(said.substr(said.find("true peak ") + 10)), oracle->truePeakDbtp, 0.3);
}

TEST_F(LoudnessCli, ExportJsonPrintsOnlyJsonAndTheLoudnessCommandTheSameObject) {
  const std::string options = " -t 1-1 -t 3-1 --volume 1=90";
  const auto exported = cliOut("export " + dir() + " " + out("mix.wav") + options + " --json");
  ASSERT_EQ(exported.status, 0) << exported.out;
  const std::regex shape(R"re(\{"file": "(.*)", "frames": 196608, "clipped": 0, "loudness": (\{.*\})\}\n)re");
  std::smatch parts;
  ASSERT_TRUE(std::regex_match(exported.out, parts, shape)) << exported.out;
  EXPECT_EQ(parts[1], (outputs / "mix.wav").string());
  const std::string loudness = parts[2];
  EXPECT_NE(loudness.find("\"integrated_lufs\": -"), std::string::npos) << loudness;

  const auto measured = cliOut("loudness " + dir() + options + " --json");
  ASSERT_EQ(measured.status, 0) << measured.out;
  EXPECT_EQ(measured.out, loudness + "\n") << "what the export would write, measured alike";
  const auto text = cliOut("loudness " + dir() + options);
  EXPECT_TRUE(std::regex_match(text.out, std::regex(Number + " LUFS, LRA .* dBTP\n"))) << text.out;
  // The loudness command writes nothing.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(outputs.path()), {}), 1);
}

TEST_F(LoudnessCli, ASilentExportSaysSilentAndHasNullValues) {
  auto result = cli("export " + dir() + " " + out("quiet.wav") + " -t 3-1");
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(result.out, "Converted\nsilent\n");
  result = cliOut("export " + dir() + " " + out("quiet.wav") + " -t 3-1 -f --json");
  EXPECT_NE(result.out.find(R"("loudness": {"integrated_lufs": null, "range_lu": null, "true_peak_dbtp": null}})"),
            std::string::npos)
      << result.out;
  EXPECT_EQ(cliOut("loudness " + dir() + " -t 3-1").out, "silent\n");
}

TEST_F(LoudnessCli, NormalizeReachesTheTargetAndWritesTheSameBytesEveryTime) {
  const std::string options = " -t 1-1 -t 3-1 --pan 1=80 -q";
  ASSERT_EQ(cli("export " + dir() + " " + out("a.wav") + options + " --normalize=-16").status, 0);
  ASSERT_EQ(cli("export " + dir() + " " + out("b.wav") + options + " --normalize=-16").status, 0);
  EXPECT_EQ(ReadBytes(outputs / "a.wav"), ReadBytes(outputs / "b.wav"));
  const auto oracle = MeasureWithFfmpeg(outputs / "a.wav");
  ASSERT_TRUE(oracle);
  EXPECT_NEAR(oracle->integratedLufs, -16.0, 0.15);
  // Without the option, the plain mix as it always was.
  ASSERT_EQ(cli("export " + dir() + " " + out("plain.wav") + options).status, 0);
  EXPECT_NE(ReadBytes(outputs / "a.wav"), ReadBytes(outputs / "plain.wav"));
}

TEST_F(LoudnessCli, AQuietTakeWithFullScaleClicksIsHeldByTheCeiling) {
  const auto result = cli("export " + dir() + " " + out("clicks.wav") + " -t 2-1 --normalize");
  ASSERT_EQ(result.status, 0) << result.out;
  std::smatch lines;
  ASSERT_TRUE(std::regex_match(result.out, lines,
                               std::regex("Converted\n(.*)\nnormalised to (" + Number +
                                          ") LUFS, held by the true-peak ceiling\n")))
      << result.out;
  EXPECT_LT(std::stod(lines[2]), -14.0);
  const auto oracle = MeasureWithFfmpeg(outputs / "clicks.wav");
  ASSERT_TRUE(oracle);
  EXPECT_LE(oracle->truePeakDbtp, -1.0 + 0.3);
  EXPECT_LT(oracle->integratedLufs, -14.0);
  // A lower ceiling holds it lower.
  ASSERT_EQ(cli("export " + dir() + " " + out("lower.wav") + " -t 2-1 --normalize --true-peak=-3 -q").status, 0);
  EXPECT_LT(MeasureWithFfmpeg(outputs / "lower.wav")->truePeakDbtp, oracle->truePeakDbtp - 1.5);
}

TEST_F(LoudnessCli, MistakenLoudnessOptionsAreUsageErrors) {
  for (const std::string options : {" --normalize=loud", " --normalize=5", " --true-peak=-1",
                                    " --normalize --true-peak=3", " --json"}) {
    SCOPED_TRACE(options);
    const std::string target = options == " --json" ? " -" : " " + out("x.wav");
    const auto result = cli("export " + dir() + target + " -t 1-1" + options);
    EXPECT_EQ(result.status, 2) << result.out;
  }
  EXPECT_FALSE(std::filesystem::exists(outputs / "x.wav"));
}

}  // namespace
}  // namespace tp
