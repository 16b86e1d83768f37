// The progress line fits the terminal: worked out for given widths, and seen
// through a real terminal (a pseudo-terminal of the width a user's has).
#include <gtest/gtest.h>

#include <sstream>

#include "cli/progressbar.h"
#include "support/projectfixture.h"
#include "support/runcommand.h"

namespace tp {
namespace {

using namespace tp::test;
namespace fs = std::filesystem;

// What the archive's progress says on a long song name: 96 characters.
const std::string LongLabel =
    "song 12/140, file 203/2214, 123.4 GB of 234.5 GB, 1:02:03 left, Master10 A rather long song name";

TEST(ProgressLine, FitsBeforeTheLastColumnAndGivesUpTheBarThenTheLabelsEnd) {
  struct Case {
    std::string label;
    int percent, columns;
    std::string expected;
  };
  const Case cases[] = {
      {"Export", 50, 200, "Export [" + std::string(20, '#') + std::string(20, ' ') + "]  50%"},
      {"Export", 100, 30, "Export [" + std::string(15, '#') + "] 100%"},
      {"song 1/1, file 2/16", 7, 40, "song 1/1, file 2/16 [            ]   7%"},
      {LongLabel, 42, 80, LongLabel.substr(0, 58) + "... [####      ]  42%"},
      {LongLabel, 0, 24, "so... [          ]   0%"},
      {LongLabel, 99, 12, "song 1  99%"},
      {"", 5, 80, " [##" + std::string(38, ' ') + "]   5%"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.columns) + " columns, " + c.label);
    const std::string line = cli::FitProgressLine(c.label, c.percent, c.columns);
    EXPECT_EQ(line, c.expected);
    EXPECT_LT(int(line.size()), c.columns);
  }
}

TEST(ProgressLine, ACutLabelNeverEndsInsideAUtf8Character) {
  // "ﾄﾞﾗﾑ" is four three-byte characters.
  const std::string label = "Track01-1 \xef\xbe\x84\xef\xbe\x9e\xef\xbe\x97\xef\xbe\x91 and more and more and more";
  for (int columns = 20; columns < 40; ++columns) {
    const std::string line = cli::FitProgressLine(label, 10, columns);
    const size_t cut = line.find("...");
    if (cut == std::string::npos) continue;
    EXPECT_EQ(label.compare(0, cut, line, 0, cut), 0) << columns;
    EXPECT_NE(static_cast<unsigned char>(label[cut]) & 0xC0, 0x80) << "cut inside a character at " << columns;
  }
}

// stems on a pseudo-terminal of 80 and of 50 columns: every redraw of the
// line (what follows each carriage return) is narrower than the terminal.
TEST(ProgressLine, TheArchivesProgressFitsARealTerminal) {
  TempFolder disk, out;
  const fs::path song = disk / "A song whose folder has a rather long name";
  fs::create_directory(song);
  WriteProjectInfo(song, "Long");
  for (int track = 0; track < 8; ++track)
    WriteTake(song / ("TRACK" + std::to_string(track) + "_0.DAT"), "Take", Ramp(300000, track));
  for (const int columns : {80, 50}) {
    SCOPED_TRACE(columns);
    fs::remove_all(out / "a");
    const std::string inner = "stty cols " + std::to_string(columns) + " rows 24; " + std::string(TP_CLI_PATH) +
                              " stems " + Quoted(song.string()) + " " + Quoted((out / "a").string());
    const auto result = RunCommand("script -qec " + Quoted(inner) + " /dev/null");
    ASSERT_EQ(result.status, 0) << result.out;
    ASSERT_NE(result.out.find('%'), std::string::npos) << "the progress was drawn:\n" << result.out;
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line, '\n');) {
      std::istringstream redraws(line);
      for (std::string drawn; std::getline(redraws, drawn, '\r');) EXPECT_LT(int(drawn.size()), columns) << drawn;
    }
  }
}

}  // namespace
}  // namespace tp
