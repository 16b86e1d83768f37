// A DAW project file holds one moment of its song: writers wait for it (or
// are refused with --no-wait) from its plan to its rename into place. A
// take that cannot be read, or a project information file, is refused by
// name; a damaged take is left out with a note.
#include <cerrno>
#include <csignal>

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include "dawproject/sessionexport.h"
#include "dawproject/sessionfixture.h"
#include "project/messages.h"
#include "storage/filehandle.h"
#include "support/projectfixture.h"
#include "support/sndfileio.h"

extern char** environ;

namespace tp {
namespace {

using namespace tp::test;
using json = nlohmann::json;
namespace fs = std::filesystem;

class SessionSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSessionSong(song);
    fs::create_directories(out);
  }
  void TearDown() override { FaultInjection::Reset(); }
  ConversionResult exportSong(const ConversionHooks& hooks = {}) {
    return ExportSession({song, SessionChoices{}, FormatWav, "test", SongLock::Wait::Yes}, target, hooks);
  }
  std::string cli(const std::string& arguments) { return std::string(TP_CLI_PATH) + " " + arguments; }

  TempFolder disk;
  fs::path song = disk / "song", out = disk / "out", target = out / "song.dawproject";
};

// Starts `command` through the shell without waiting for it.
pid_t startInBackground(const std::string& command) {
  pid_t pid = -1;
  const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
  if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return -1;
  return pid;
}

int exitStatusOf(pid_t pid) {
  int raw = 0;
  if (::waitpid(pid, &raw, 0) != pid) return -1;
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST_F(SessionSafety, WritersWaitForTheProjectFileWhichHoldsTheSongAsItWasWhenItBegan) {
  // The song as the project must show it, for the reader to compare with.
  const fs::path before = disk / "before";
  fs::copy(song, before);
  WriteWithSndfile(disk / "long.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, Ramp(15 * 44100, -3000, 3));
  WriteWithSndfile(disk / "short.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, Ramp(2 * 44100, 900, -1));
  const std::string replaceTrack3 = cli("import " + Quoted(song.string()) + " " +
                                        Quoted((disk / "short.wav").string()) + " --to 3-1 --force -q");
  CommandOutput refused, renameRefused;
  pid_t waiting = -1;
  int asked = 0;
  ConversionHooks hooks;
  hooks.betweenBlocks = [&] {
    if (++asked == 2) {
      // While the takes are read: a writer that will not wait is refused,
      // one that waits is held back until the file is in place.
      refused = RunCommand(replaceTrack3 + " --no-wait");
      renameRefused = RunCommand(cli("rename " + Quoted(song.string()) + " -t 1-1 Other --no-wait"));
      waiting = startInBackground(cli("import " + Quoted(song.string()) + " " +
                                      Quoted((disk / "long.wav").string()) + " --to 1-1 --force -q"));
    }
    return false;
  };
  const ConversionResult result = exportSong(hooks);
  ASSERT_EQ(result.outcome, ConversionResult::Converted) << result.Text();
  ASSERT_GE(asked, 2);
  EXPECT_EQ(refused.status, 1) << refused.out;
  EXPECT_NE(refused.out.find(messages::SongInUse), std::string::npos) << refused.out;
  EXPECT_EQ(renameRefused.status, 1) << renameRefused.out;
  ASSERT_NE(waiting, -1);
  EXPECT_EQ(exitStatusOf(waiting), 0);
  EXPECT_GE(fs::file_size(song / "TRACK0_0.DAT"), 65536u + 2u * 15 * 44100) << "the waiting import went on";

  // Every clip is the take as it was, to the frame: none is from after the
  // import, none padded or cut to another take's length.
  const json session = ReadSession(target, before);
  ASSERT_FALSE(session.is_null());
  int clips = 0;
  for (const json& track : session["tracks"])
    for (const json& lane : track["lanes"]) {
      ++clips;
      EXPECT_TRUE(lane["samplesEqualTake"].get<bool>()) << lane["name"];
      EXPECT_EQ(lane["fileFrames"], lane["audioFrames"]) << lane["name"];
    }
  EXPECT_EQ(clips, 7);
}

TEST_F(SessionSafety, ADamagedTakeIsLeftOutWithANoteAndTheRestIsWritten) {
  // A take file that ends inside its header: 2,000 bytes, its name at 1024.
  std::vector<uint8_t> cut(2000, 0);
  const std::string name = "Cut";
  std::copy(name.begin(), name.end(), cut.begin() + 1024);
  WriteBytes(song / "TRACK5_0.DAT", cut);
  const ConversionResult result = exportSong();
  ASSERT_EQ(result.outcome, ConversionResult::Converted) << result.Text();
  ASSERT_EQ(NoteLines(result).size(), 1u);
  EXPECT_EQ(NoteLines(result)[0], "Track06-1 is damaged (shorter than its header): left out of the project.");
  const json session = ReadSession(target, song);
  ASSERT_FALSE(session.is_null());
  for (const json& track : session["tracks"]) EXPECT_NE(track["name"], "Cut");

  // The command line says the same; choosing the damaged take is refused.
  const CommandOutput written =
      RunCommand(cli("session " + Quoted(song.string()) + " " + Quoted((out / "cli.dawproject").string())));
  EXPECT_EQ(written.status, 0) << written.out;
  EXPECT_NE(written.out.find("Track06-1 is damaged (shorter than its header): left out of the project."),
            std::string::npos)
      << written.out;
  const CommandOutput chosen = RunCommand(
      cli("session " + Quoted(song.string()) + " " + Quoted((out / "chosen.dawproject").string()) + " -t 6-1"));
  EXPECT_EQ(chosen.status, 1) << chosen.out;
  EXPECT_NE(chosen.out.find("The take file is shorter than its header"), std::string::npos) << chosen.out;
  EXPECT_FALSE(fs::exists(out / "chosen.dawproject"));
}

TEST_F(SessionSafety, AFileOfTheSongThatCannotBeReadIsRefusedByNameAndNothingIsWritten) {
  struct Case {
    const char* file;
    const char* message;
  };
  for (const Case& c : {Case{"TRACK4_0.DAT", messages::TakeNotOpened},
                        Case{"PRJDATA.ini", messages::ProjectFileNotRead}}) {
    SCOPED_TRACE(c.file);
    FaultInjection::FailReadsOf(c.file, EIO);
    const ConversionResult result = exportSong();
    FaultInjection::Reset();
    EXPECT_EQ(result.outcome, ConversionResult::Failed);
    EXPECT_STREQ(result.message, c.message);
    EXPECT_NE(result.detail.find((song / c.file).string()), std::string::npos) << result.detail;
    EXPECT_NE(result.detail.find("Input/output error"), std::string::npos) << result.detail;
    EXPECT_TRUE(NamesIn(out).empty());
  }
}

}  // namespace
}  // namespace tp
