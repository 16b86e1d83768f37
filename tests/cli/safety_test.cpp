// What the command line never does to a user's files, whatever it is told.
#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include "support/projectfixture.h"
#include "support/runcommand.h"
#include "support/sndfileio.h"

namespace tp {
namespace {

using namespace tp::test;
namespace fs = std::filesystem;

class CliSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteProjectInfo(project.path(), "Demo");
    WriteTake(project / "TRACK0_0.DAT", "Kick", Ramp(40000));
    WriteTake(project / "TRACK1_0.DAT", "Snare", Ramp(30000));
    WriteTake(project / "TRACKL_0.DAT", "Mix", Ramp(20000));
    WriteTake(project / "TRACKR_0.DAT", "Mix", Ramp(20000));
    WriteWithSndfile(outputs / "stereo.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, Ramp(2 * 5000));
  }
  CommandOutput cli(const std::string& arguments) { return RunCommand(std::string(TP_CLI_PATH) + " " + arguments); }
  std::string dir() const { return Quoted(project.path().string()); }
  std::string at(const fs::path& path) const { return Quoted(path.string()); }
  std::vector<std::vector<uint8_t>> songBytes() const {
    std::vector<std::vector<uint8_t>> all;
    for (const char* name : {"PRJDATA.ini", "TRACK0_0.DAT", "TRACK1_0.DAT", "TRACKL_0.DAT", "TRACKR_0.DAT"})
      all.push_back(ReadBytes(project / name));
    return all;
  }

  TempFolder project, outputs;
};

TEST_F(CliSafety, AnExportNeverReplacesASongFileEvenWhenForced) {
  // A backup of a song elsewhere: its folder holds the marker.
  const fs::path backup = outputs / "backup";
  fs::create_directories(backup);
  WriteProjectInfo(backup, "Old");
  WriteBytes(backup / "backup.inf", {'x'});
  WriteTake(backup / "TRACK0_0.DAT", "Old", Ramp(10));
  const auto before = songBytes();
  const auto backupBefore = ReadBytes(backup / "TRACK0_0.DAT");
  const fs::path cases[] = {project / "TRACK0_0.DAT", project / "track1_0.dat", project / "PRJDATA.ini",
                            project / "prjdata.INI", project / "TRACK2_0.DAT", project / "." / "TRACKL_0.DAT",
                            backup / "BACKUP.INF", backup / "track0_0.dat"};
  for (const fs::path& target : cases) {
    SCOPED_TRACE(target);
    const auto result = cli("export " + dir() + " " + at(target) + " --take 2-1 --force");
    EXPECT_EQ(result.status, 1) << result.out;
    EXPECT_NE(result.out.find("An export never replaces a file of a song folder: "), std::string::npos) << result.out;
  }
  EXPECT_EQ(songBytes(), before);
  EXPECT_FALSE(fs::exists(project / "TRACK2_0.DAT"));
  EXPECT_EQ(ReadBytes(backup / "backup.inf"), std::vector<uint8_t>{'x'});
  EXPECT_EQ(ReadBytes(backup / "TRACK0_0.DAT"), backupBefore);
}

TEST_F(CliSafety, AnExistingFileIsReplacedOnlyWithForce) {
  const fs::path file = outputs / "mix.wav";
  WriteBytes(file, {1, 2, 3});
  auto result = cli("export " + dir() + " " + at(file) + " --take 1-1");
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.out.find(file.string() + " exists; nothing was written"), std::string::npos) << result.out;
  EXPECT_EQ(ReadBytes(file), (std::vector<uint8_t>{1, 2, 3}));
  result = cli("export " + dir() + " " + at(file) + " --take 1-1 -f");
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_GT(ReadBytes(file).size(), 80000u);
}

TEST_F(CliSafety, AnExportToADeviceWritesInPlaceAndAFullDeviceFails) {
  auto result = cli("export " + dir() + " /dev/null --take 1-1");
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  result = cli("export " + dir() + " /dev/full --take 1-1 --force");
  EXPECT_EQ(result.status, 1) << result.out;
  EXPECT_NE(result.out.find("The Wav/AIFF could not be written: /dev/full (No space left on device)"),
            std::string::npos) << result.out;
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST_F(CliSafety, AnImportReplacesATakeOnlyWithForceAndNeverAReadOnlyOne) {
  const auto before = songBytes();
  auto result = cli("import " + dir() + " " + at(outputs / "stereo.wav") + " --to 1-1 --to 2-1");
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.out.find("Track01-1, Track02-1 hold takes; nothing was written"), std::string::npos) << result.out;
  EXPECT_EQ(songBytes(), before);

  fs::permissions(project / "TRACK1_0.DAT", fs::perms::owner_read | fs::perms::group_read);
  result = cli("import " + dir() + " " + at(outputs / "stereo.wav") + " --to 1-1 --to 2-1 --force");
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.out.find("File to write could not be opened: "), std::string::npos) << result.out;
  EXPECT_EQ(songBytes(), before) << "neither take of the pair changed";

  fs::permissions(project / "TRACK1_0.DAT", fs::perms::owner_write, fs::perm_options::add);
  result = cli("import " + dir() + " " + at(outputs / "stereo.wav") + " --to 1-1 --to 2-1 --force");
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(ReadBytes(project / "TRACK0_0.DAT").size(), 65536u + 2 * 32768);
}

TEST_F(CliSafety, ASongHeldByAnotherWriterFailsAtOnceWithNoWait) {
  // Another TrackPorter writing the song holds this lock.
  const int folder = ::open(project.path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(folder, 0);
  ASSERT_EQ(::flock(folder, LOCK_EX), 0);
  const std::string commands[] = {
      "import " + dir() + " " + at(outputs / "stereo.wav") + " --to 3-1 --no-wait",
      "rename " + dir() + " --take 1-1 New --no-wait",
      "rename " + dir() + " --project New --no-wait",
      "delete " + dir() + " --take 2-1 --no-wait",
  };
  const auto before = songBytes();
  for (const auto& command : commands) {
    SCOPED_TRACE(command);
    const auto result = cli(command);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("The song is in use by another TrackPorter."), std::string::npos) << result.out;
  }
  ::close(folder);
  EXPECT_EQ(songBytes(), before);
  EXPECT_FALSE(fs::exists(project / "TRACK2_0.DAT"));
}

// A FIFO or a device where the program expects a file never makes it wait:
// what it reads or replaces must be a regular file. (If one waited, the
// command would hang and the test with it.)
TEST_F(CliSafety, AFifoOrDeviceInPlaceOfAFileIsRefusedAtOnce) {
  ASSERT_EQ(::mkfifo((project / "TRACK2_0.DAT").c_str(), 0644), 0);
  fs::create_symlink("/dev/zero", project / "TRACK3_0.DAT");
  struct Case {
    std::string command;
    int status;
    std::string says;
  } cases[] = {
      // Neither is read as a take.
      {"info " + dir(), 0, "Kick"},
      {"export " + dir() + " " + at(outputs / "three.wav") + " --take 3-1", 1, "Track03-1 holds no take."},
      {"export " + dir() + " " + at(outputs / "four.wav") + " --take 4-1", 1, "Track04-1 holds no take."},
      {"stems " + dir() + " " + at(outputs / "archive"), 0, "1 song, 3 files"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    const auto result = cli(c.command);
    EXPECT_EQ(result.status, c.status) << result.out;
    EXPECT_NE(result.out.find(c.says), std::string::npos) << result.out;
  }
  EXPECT_FALSE(fs::exists(outputs / "three.wav"));
}

TEST_F(CliSafety, AnExportIntoAFifoNobodyReadsEndsAtCtrlC) {
  const fs::path pipe = outputs / "nobody.fifo";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
  // Ctrl-C a second after the start; a command that ignored it would be
  // killed five seconds later, with another status.
  const auto result = RunCommand("timeout --preserve-status -s INT -k 5 1 " + std::string(TP_CLI_PATH) + " export " + dir() + " " +
                                 at(pipe) + " --take 1-1 --force");
  EXPECT_EQ(result.status, 130) << result.out;
  EXPECT_TRUE(fs::is_fifo(pipe));
}

}  // namespace
}  // namespace tp
