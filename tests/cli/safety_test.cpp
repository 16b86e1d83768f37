// What the command line never does to a user's files, whatever it is told.
#include <gtest/gtest.h>

#include <sys/file.h>
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
    EXPECT_NE(result.out.find("An export never replaces a file of a song folder."), std::string::npos) << result.out;
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
  EXPECT_NE(result.out.find("The Wav/AIFF could not be written.: /dev/full (No space left on device)"),
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
  EXPECT_NE(result.out.find("File to write could not be opened.: "), std::string::npos) << result.out;
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

}  // namespace
}  // namespace tp
