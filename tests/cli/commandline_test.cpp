// The command line as a Unix user types it: the spellings of options, the
// end of options, the checks of values, the help, -q and -v.
#include <gtest/gtest.h>

#include <algorithm>

#include <sstream>

#include <CLI/CLI.hpp>

#include "cli/commandline.h"
#include "support/projectfixture.h"
#include "support/runcommand.h"
#include "support/sndfileio.h"

namespace tp {
namespace {

using namespace tp::test;
namespace fs = std::filesystem;

class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteProjectInfo(project.path(), "Song");
    WriteTake(project / "TRACK0_0.DAT", "Kick", Ramp(300, 5, 0));
    WriteTake(project / "TRACK1_0.DAT", "Snare", Ramp(200, 7, 0));
  }
  CommandOutput cli(const std::string& arguments) {
    return RunCommand("cd " + Quoted(outputs.path().string()) + " && " + TP_CLI_PATH + " " + arguments);
  }
  std::string dir() const { return Quoted(project.path().string()); }

  TempFolder project, outputs;
};

TEST_F(CommandLine, EverySpellingOfAnOptionAndItsValueMeansTheSame) {
  const std::string spellings[] = {"--take 2-1", "--take=2-1", "-t 2-1", "-t2-1"};
  std::vector<uint8_t> first;
  for (const auto& spelling : spellings) {
    fs::remove(outputs / "one.wav");
    const auto result = cli("export " + spelling + " " + dir() + " one.wav");
    ASSERT_EQ(result.status, 0) << spelling << "\n" << result.out;
    const SoundData data = ReadWithSndfile(outputs / "one.wav");
    EXPECT_EQ(data.channels, 1) << spelling;
    EXPECT_EQ(data.samples[0], 7) << spelling;  // the snare, not the kick
    EXPECT_EQ(data.samples[199], 7) << spelling;
    if (first.empty()) first = ReadBytes(outputs / "one.wav");
    EXPECT_EQ(ReadBytes(outputs / "one.wav"), first) << spelling;
  }
}

TEST_F(CommandLine, TwoDashesEndTheOptionsSoAFileMayStartWithADash) {
  const auto result = cli("export -m 1 --take 1-1 -- " + dir() + " -mix.wav");
  EXPECT_EQ(result.status, 2) << result.out;  // -m 1 and a take: both chosen
  const auto plain = cli("export --take 1-1 -- " + dir() + " -mix.wav");
  ASSERT_EQ(plain.status, 0) << plain.out;
  EXPECT_EQ(ReadWithSndfile(outputs / "-mix.wav").samples[299], 5);
}

TEST_F(CommandLine, WrongValuesAreRefusedWithTheOptionAndTheRangeAndExitTwo) {
  struct Case {
    std::string arguments, message;
  } cases[] = {
      {"export " + dir() + " o.wav --take 17-1", "trackporter-cli: export: --take: the track must be a number from 1 to 16, not \"17\""},
      {"export " + dir() + " o.wav -t 1-11", "trackporter-cli: export: --take: the take must be a number from 1 to 10, not \"11\""},
      {"export " + dir() + " o.wav -t 1", "a take is written TRACK-TAKE, for example 3-2, not \"1\""},
      {"export " + dir() + " o.wav -m 0", "trackporter-cli: export: --master: the master take must be a number from 1 to 10, not \"0\""},
      {"export " + dir() + " o.wav -t 1-1 --volume 1=128", "--volume: the value must be a number from 0 to 127, not \"128\""},
      {"play " + dir() + " -t 1-1 --pan 3=101", "trackporter-cli: play: --pan: the value must be a number from 0 to 100, not \"101\""},
      {"play " + dir() + " -t 1-1 --from -1", "--from: a time is a number of seconds, 0 or more, not \"-1\""},
      {"export " + dir() + " o.wav -t 1-1 --mute 0", "trackporter-cli: export: --mute: the track must be a number from 1 to 16, not \"0\""},
      {"play " + dir() + " -t 1-1 --solo 2-1", "trackporter-cli: play: --solo: the track must be a number from 1 to 16, not \"2-1\""},
      {"import " + dir() + " x.wav --to 1-1 --to 1-2", "the --to targets must be on different tracks"},
      {"stems " + dir() + " out --take 0-1", "trackporter-cli: stems: --take: the track must be a number from 1 to 16"},
      {"info " + dir() + " --frob", "trackporter-cli: info: unknown option --frob"},
      {"info " + dir() + " more", "trackporter-cli: info: unexpected argument \"more\""},
      {"export " + dir() + " o.wav -t 1-1 -q -v", "--quiet excludes --verbose"},
      {"rename " + dir() + " --take 1-1", "trackporter-cli: rename: --take needs T-K NAME"},
      {"export " + dir() + " o.wav --take", "trackporter-cli: export: --take needs T-K"},
  };
  for (const auto& c : cases) {
    const auto result = cli(c.arguments);
    EXPECT_EQ(result.status, 2) << c.arguments << "\n" << result.out;
    EXPECT_NE(result.out.find(c.message), std::string::npos) << c.arguments << "\n" << result.out;
    EXPECT_EQ(result.out.rfind("trackporter-cli: ", 0), 0u) << result.out;
  }
}

TEST_F(CommandLine, FailuresNameTheProgramAndTheCommand) {
  const auto result = cli("export " + dir() + " o.wav -t 1-3");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "trackporter-cli: export: Track01-3 holds no take.\n");
}

TEST_F(CommandLine, VersionIsTheProjectsOwn) {
  const auto result = cli("--version");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "trackporter-cli " TP_PROJECT_VERSION "\n");
}

TEST_F(CommandLine, QuietSaysNothingAndVerboseNamesEachFile) {
  auto result = cli("export -q -t 1-1 " + dir() + " quiet.wav");
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(result.out, "");
  EXPECT_TRUE(fs::exists(outputs / "quiet.wav"));

  result = cli("export -v -t 1-1 " + dir() + " loud.wav");
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(result.out.rfind("loud.wav\nConverted\n", 0), 0u) << result.out;
  EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 3) << "and the loudness: " << result.out;

  result = cli("stems -q " + dir() + " quiet");
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(result.out, "");

  result = cli("stems --verbose " + dir() + " loud");
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(result.out, "loud/Track01-1 Kick.wav\nloud/Track02-1 Snare.wav\n1 song, 2 files, 0:00:00 in all, 1.1 KB written\n");

  result = cli("import -v " + dir() + " loud.wav --to 9-1");
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(result.out, (project / "TRACK8_0.DAT").string() + "\nConverted\n");
}

// -q and -v before the command mean what they mean after it; a command
// without them (info) lists what it always lists.
TEST_F(CommandLine, QuietAndVerboseMayComeBeforeTheCommand) {
  struct Case {
    std::string before, after;
  };
  const Case cases[] = {
      {"-q export -t 1-1 " + dir() + " a.wav", "export -t 1-1 " + dir() + " b.wav -q"},
      {"--verbose stems " + dir() + " one", "stems " + dir() + " two --verbose"},
      {"-q -v import " + dir() + " a.wav --to 9-1 -f", "import " + dir() + " a.wav --to 9-1 -f -q -v"},
      {"-q info " + dir(), "info " + dir()},
      {"-v probe a.wav", "probe a.wav"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    const auto before = cli(c.before), after = cli(c.after);
    EXPECT_EQ(before.status, after.status) << before.out;
    std::string expected = after.out;
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"b.wav", "a.wav"}, {"two/", "one/"}})
      for (size_t at; (at = expected.find(from)) != std::string::npos;) expected.replace(at, from.size(), to);
    EXPECT_EQ(before.out, expected);
  }
  EXPECT_EQ(cli("-q info " + dir()).status, 0);
  EXPECT_TRUE(fs::exists(outputs / "a.wav"));
  EXPECT_TRUE(fs::exists(outputs / "one" / "Track01-1 Kick.wav"));
  const auto unknown = cli("-q nosuch " + dir());
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.out.find("unknown command \"nosuch\""), std::string::npos) << unknown.out;
}

// Every command's help, and the program's, fits an 80-column terminal,
// describes every option the parser knows, and gives the exit status and an
// example.
TEST(CommandLineHelp, EveryHelpFitsEightyColumnsAndDescribesEveryOption) {
  std::vector<std::pair<CLI::App*, cli::CommandRun>> runs;
  const auto app = cli::MakeCommandLine(runs);
  std::vector<std::pair<std::string, const CLI::App*>> helps = {{"--help", app.get()}};
  for (const auto& [command, run] : runs) helps.emplace_back(command->get_name() + " --help", command);
  for (const auto& [arguments, parser] : helps) {
    const auto result = RunCommand(std::string(TP_CLI_PATH) + " " + arguments);
    EXPECT_EQ(result.status, 0) << arguments;
    EXPECT_EQ(result.out.rfind("usage: trackporter-cli", 0), 0u) << result.out;
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << arguments << ": " << line;
    EXPECT_NE(result.out.find("Exit status: 0 done, 1 failed"), std::string::npos) << arguments;
    if (parser != app.get()) EXPECT_NE(result.out.find("\n  trackporter-cli " + parser->get_name()), std::string::npos) << result.out;
    for (const CLI::Option* option : parser->get_options()) {
      for (const auto& name : option->get_lnames())
        EXPECT_NE(result.out.find("--" + name), std::string::npos) << arguments << " lacks --" << name;
      for (const auto& name : option->get_snames())
        EXPECT_NE(result.out.find("-" + name + ", "), std::string::npos) << arguments << " lacks -" << name;
      if (option->get_positional())
        EXPECT_NE(result.out.find("\n  " + option->get_name() + " "), std::string::npos) << arguments;
      EXPECT_FALSE(option->get_description().empty()) << arguments << " " << option->get_name();
    }
  }
}

}  // namespace
}  // namespace tp
