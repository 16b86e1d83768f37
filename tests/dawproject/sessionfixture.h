// A song for the DAW project tests, and the independent readers that check
// what was written: Python's zipfile, wave and XML readers (read_session.py)
// and xmllint with the format's published schemas.
#pragma once

#include <algorithm>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "convert/conversion.h"
#include "dawproject/session.h"
#include "project/messages.h"
#include "storage/filehandle.h"
#include "support/projectfixture.h"
#include "support/runcommand.h"
#include "support/tempfolder.h"

namespace tp::test {

// Track 1: "Kick" and "Kick 2"; track 3 a katakana name; track 5 a Latin-1
// name; track 16 a take without a name on its fourth place; master takes 1
// "Final" (its halves one sample apart) and 2 "Alt". The song's name mixes
// Latin-1 and katakana.
inline void WriteSessionSong(const std::filesystem::path& song) {
  std::filesystem::create_directories(song);
  WriteProjectInfo(song, "Caf\xE9 \xB1\xB2");
  WriteTake(song / "TRACK0_0.DAT", "Kick", Ramp(50000, -20000));
  WriteTake(song / "TRACK0_1.DAT", "Kick 2", Ramp(30001, 5, 7));
  WriteTake(song / "TRACK2_0.DAT", "\xB6\xDE\xC0\xB0", Ramp(20000, 100, 3));
  WriteTake(song / "TRACK4_0.DAT", "Caf\xE9", Ramp(1000, -9));
  WriteTake(song / "TRACK153.DAT", "", Ramp(7, 40));
  WriteTake(song / "TRACKL_0.DAT", "Final", Ramp(40000, 1));
  WriteTake(song / "TRACKR_0.DAT", "Final", Ramp(39999, 7, 5));
  WriteTake(song / "TRACKL_1.DAT", "Alt", Ramp(300, 2));
  WriteTake(song / "TRACKR_1.DAT", "Alt", Ramp(300, 3));
}

// What read_session.py found in `file`; null when it could not read it.
inline nlohmann::json ReadSession(const std::filesystem::path& file, const std::filesystem::path& song,
                                  const std::filesystem::path& stems = {}) {
  const CommandOutput read = RunCommand("python3 " + Quoted(std::string(TP_SESSION_TEST_DIR) + "/read_session.py") +
                                        " " + Quoted(file.string()) + " " + Quoted(song.string()) +
                                        (stems.empty() ? "" : " " + Quoted(stems.string())));
  if (read.status != 0) {
    ADD_FAILURE() << read.out;
    return nullptr;
  }
  return nlohmann::json::parse(read.out);
}

// Extracts project.xml and metadata.xml into `folder` and validates each
// against its schema; the output of xmllint on failure, else "".
inline std::string SchemaErrors(const std::filesystem::path& file, const std::filesystem::path& folder) {
  const std::string schemas = std::string(TP_SESSION_TEST_DIR) + "/schemas/";
  const CommandOutput extracted = RunCommand(
      "python3 -c 'import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); [z.extract(n, sys.argv[2]) for n in "
      "(\"project.xml\", \"metadata.xml\")]' " + Quoted(file.string()) + " " + Quoted(folder.string()));
  if (extracted.status != 0) return extracted.out;
  std::string errors;
  for (const auto& [document, schema] : {std::pair{"project.xml", "Project.xsd"}, {"metadata.xml", "MetaData.xsd"}}) {
    const CommandOutput checked = RunCommand("xmllint --noout --schema " + Quoted(schemas + schema) + " " +
                                             Quoted((folder / document).string()));
    if (checked.status != 0) errors += checked.out;
  }
  return errors;
}

// Stops `write` at each count of questions in `stops` (the first question,
// one part-way) and expects it to stop there, aborted, leaving `folder`
// empty.
inline void ExpectAStopLeavesNothing(const std::function<ConversionResult(const ConversionHooks&)>& write,
                                     const std::filesystem::path& folder, std::initializer_list<int> stops) {
  for (int questions : stops) {
    SCOPED_TRACE(questions);
    int asked = 0;
    ConversionHooks hooks;
    hooks.betweenBlocks = [&] { return ++asked >= questions; };
    const ConversionResult result = write(hooks);
    EXPECT_EQ(result.outcome, ConversionResult::Aborted);
    EXPECT_STREQ(result.message, messages::Aborted);
    EXPECT_EQ(asked, questions);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
  }
}

// For the fault tests: the song on a scratch disk, its session planned with
// each track's lowest take, an empty folder for the output, and the fault
// seam disarmed after each test.
class PlannedSessionSong {
 protected:
  void PlanSong(AudioFormat format) {
    WriteSessionSong(song);
    ASSERT_TRUE(PlanSession(song, SessionChoices{}, format, plan).ok());
    std::filesystem::create_directories(folder);
  }
  ~PlannedSessionSong() { FaultInjection::Reset(); }

  TempFolder disk;
  std::filesystem::path song = disk / "song", folder = disk / "out";
  SessionPlan plan;
};

// The names in `folder`, hidden side files included.
inline std::vector<std::string> NamesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace tp::test
