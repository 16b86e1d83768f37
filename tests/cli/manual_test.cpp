// The manual page and the shell completion against the parser: every
// command and every option the parser knows is in both, so neither can fall
// behind the program.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>

#include <CLI/CLI.hpp>

#include "cli/commandline.h"

namespace tp {
namespace {

std::string readText(const std::string& path) {
  std::ifstream in(path);
  EXPECT_TRUE(in) << path;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The text of "## NAME ..." up to the next heading.
std::string sectionOf(const std::string& page, const std::string& heading) {
  const size_t start = page.find("\n" + heading);
  if (start == std::string::npos) return {};
  const size_t end = page.find("\n#", start + 1);
  return page.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::set<std::string> optionNames(const CLI::App& parser) {
  std::set<std::string> names;
  for (const CLI::Option* option : parser.get_options()) {
    for (const auto& name : option->get_snames()) names.insert("-" + name);
    for (const auto& name : option->get_lnames()) names.insert("--" + name);
  }
  return names;
}

class Manual : public ::testing::Test {
 protected:
  void SetUp() override { app = cli::MakeCommandLine(runs); }
  std::vector<std::pair<CLI::App*, cli::CommandRun>> runs;
  std::unique_ptr<CLI::App> app;
};

TEST_F(Manual, ThePageDescribesEveryCommandAndEachOfItsOptions) {
  const std::string page = readText(std::string(TP_SOURCE_DIR) + "/docs/man/trackporter-cli.1.scd");
  for (const auto& [command, run] : runs) {
    const std::string section = sectionOf(page, "## " + command->get_name());
    ASSERT_FALSE(section.empty()) << "no section for " << command->get_name();
    for (const std::string& name : optionNames(*command)) {
      if (name == "-h" || name == "--help") continue;  // under GLOBAL OPTIONS, for every command
      // A described option starts a line of its own, in bold.
      const std::regex described("\n(\\*[^\n\t]*, )?\\*" + name + "\\*");
      EXPECT_TRUE(std::regex_search(section, described)) << command->get_name() << " " << name;
    }
  }
  const std::string global = sectionOf(page, "# GLOBAL OPTIONS");
  for (const std::string& name : optionNames(*app))
    EXPECT_NE(global.find("*" + name + "*"), std::string::npos) << name;
  for (const char* status : {"*0*", "*1*", "*2*", "*130*", "*143*", "*129*"})
    EXPECT_NE(sectionOf(page, "# EXIT STATUS").find(status), std::string::npos) << status;
}

TEST_F(Manual, TheCompletionOffersExactlyTheCommandsAndOptionsOfTheParser) {
  const std::string script = readText(std::string(TP_SOURCE_DIR) + "/src/cli/trackporter-cli.bash");
  std::set<std::string> commands;
  for (const auto& [command, run] : runs) {
    commands.insert(command->get_name());
    const std::regex entry("\\[" + command->get_name() + "\\]=\"([^\"]*)\"");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(script, match, entry)) << command->get_name();
    std::istringstream words(match[1].str());
    const std::set<std::string> offered{std::istream_iterator<std::string>(words), {}};
    EXPECT_EQ(offered, optionNames(*command)) << command->get_name();
  }
  std::smatch match;
  ASSERT_TRUE(std::regex_search(script, match, std::regex("_trackporter_cli_commands=\"([^\"]*)\"")));
  std::istringstream words(match[1].str());
  EXPECT_EQ((std::set<std::string>{std::istream_iterator<std::string>(words), {}}), commands);
}

}  // namespace
}  // namespace tp
