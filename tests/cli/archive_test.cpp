// trackporter-cli stems as an archive and restore: a song folder comes back
// byte for byte, every file is checked, and nothing is replaced unasked.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include <nlohmann/json.hpp>

#include "support/manifestedit.h"
#include "support/projectfixture.h"
#include "support/recordersong.h"
#include "support/runcommand.h"
#include "support/sndfileio.h"

namespace tp {
namespace {

using namespace tp::test;

namespace fs = std::filesystem;

class Archive : public ::testing::Test {
 protected:
  CommandOutput cli(const std::string& arguments) { return RunCommand(std::string(TP_CLI_PATH) + " " + arguments); }
  std::string q(const fs::path& path) const { return Quoted(path.string()); }
  static std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // Every file of `original` is in `copy` with the same size and bytes,
  // compared by cmp(1), and `copy` holds nothing else.
  void expectSameFolder(const fs::path& original, const fs::path& copy) {
    ASSERT_EQ(namesIn(original), namesIn(copy));
    for (const std::string& name : namesIn(original)) {
      EXPECT_EQ(fs::file_size(original / name), fs::file_size(copy / name)) << name;
      const auto compared = RunCommand("cmp " + q(original / name) + " " + q(copy / name));
      EXPECT_EQ(compared.status, 0) << name << ": " << compared.out;
    }
  }
  // Flips one bit of the last sample of a WAV file's data.
  static void flipLastSample(const fs::path& wav) {
    std::vector<uint8_t> bytes = ReadBytes(wav);
    bytes[bytes.size() - 2] ^= 0x01;
    WriteBytes(wav, bytes);
  }

  TempFolder disk, out, back;
};

struct FormatCase {
  const char* option;
  const char* extension;
};

class ArchiveRoundTrip : public Archive, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(ArchiveRoundTrip, ASongFolderComesBackByteForByte) {
  const fs::path song = disk / "SONG0001";
  WriteRecorderSong(song);
  const fs::path archive = out / "archive";
  const auto archived = cli("stems " + q(song) + " " + q(archive) + " --verify " + GetParam().option);
  ASSERT_EQ(archived.status, 0) << archived.out;
  EXPECT_NE(archived.out.find("1 song, 5 files"), std::string::npos) << archived.out;
  EXPECT_NE(archived.out.find("all verified"), std::string::npos) << archived.out;
  // The song's other files are kept under names that no scan takes for a song.
  EXPECT_EQ(namesIn(archive / "recorder"),
            (std::vector<std::string>{"Songdata.ini.orig", "TRACKL_1.DAT.orig", "mixnotes.bin.orig"}));
  EXPECT_TRUE(fs::exists(archive / (std::string("Track01-1 Kick") + GetParam().extension)));
  EXPECT_TRUE(fs::exists(archive / (std::string("Master1 Final") + GetParam().extension)));

  const auto sums = RunCommand("cd " + q(archive) + " && sha256sum -c SHA256SUMS");
  EXPECT_EQ(sums.status, 0) << sums.out;
  EXPECT_NE(sums.out.find("trackporter.json: OK"), std::string::npos) << sums.out;
  EXPECT_NE(sums.out.find("recorder/Songdata.ini.orig: OK"), std::string::npos) << sums.out;

  const fs::path rebuilt = back / "SONG0001";
  const auto restored = cli("restore " + q(archive) + " " + q(rebuilt));
  ASSERT_EQ(restored.status, 0) << restored.out;
  EXPECT_NE(restored.out.find("9 files restored, every file checked against its SHA-256"), std::string::npos)
      << restored.out;
  expectSameFolder(song, rebuilt);
}

INSTANTIATE_TEST_SUITE_P(Formats, ArchiveRoundTrip,
                         ::testing::Values(FormatCase{"", ".wav"}, FormatCase{"--aiff", ".aif"},
                                           FormatCase{"--flac", ".flac"}),
                         [](const auto& info) { return std::string(info.param.extension + 1); });

// On a disk that tells letter case apart a song folder can hold a take and
// a file named like it in another case: the take is archived as the take,
// the other as one of the song's files, and both come back.
TEST_F(Archive, ATakeAndAFileNamedLikeItInAnotherCaseBothComeBack) {
  const fs::path song = disk / "SONG0002";
  fs::create_directories(song);
  WriteProjectInfo(song, "Twice");
  WriteTake(song / "TRACK0_0.DAT", "Upper", Ramp(3000, 11));
  WriteTake(song / "track0_0.dat", "Lower", Ramp(500, -4));
  const fs::path archive = out / "archive";
  const auto archived = cli("stems " + q(song) + " " + q(archive) + " --verify");
  ASSERT_EQ(archived.status, 0) << archived.out;
  const auto restored = cli("restore " + q(archive) + " " + q(back / "SONG0002"));
  ASSERT_EQ(restored.status, 0) << restored.out;
  expectSameFolder(song, back / "SONG0002");
}

TEST_F(Archive, TheFlacFilesAreSixteenBitAtTheTakeRateMonoAndStereo) {
  WriteRecorderSong(disk / "song");
  ASSERT_EQ(cli("stems " + q(disk / "song") + " " + q(out.path()) + " --flac -q").status, 0);
  const SoundData mono = ReadWithSndfile(out / "Track16-4 Vox.flac");
  EXPECT_EQ(mono.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  EXPECT_EQ(mono.channels, 1);
  EXPECT_EQ(mono.sampleRate, 44100);
  EXPECT_EQ(mono.frames, int64_t(VoxSamples));
  EXPECT_EQ(uint16_t(mono.samples[3]), uint16_t(4 + 7919 * 3));
  const SoundData stereo = ReadWithSndfile(out / "Master1 Final.flac");
  EXPECT_EQ(stereo.channels, 2);
  EXPECT_EQ(stereo.frames, int64_t(FinalLeftSamples));
  EXPECT_EQ(stereo.samples[2 * FinalRightSamples + 1], 0);  // the shorter right file ends in silence
}

TEST_F(Archive, RecursiveArchiveAndRestoreRebuildEverySongAtItsPlace) {
  WriteRecorderSong(disk / "A" / "SONG1");
  // Latin-1 names from an old disk: no UTF-8 at all, and kept byte for byte.
  const fs::path latin = disk / "B" / "deep" / "caf\xE9";
  WriteRecorderSong(latin);
  WriteBytes(latin / "r\xE9sum\xE9.txt", {0xE9});
  ASSERT_EQ(cli("stems " + q(disk.path()) + " " + q(out.path()) + " --recursive -q").status, 0);
  const auto restored = cli("restore " + q(out.path()) + " " + q(back.path()) + " --recursive");
  ASSERT_EQ(restored.status, 0) << restored.out;
  EXPECT_NE(restored.out.find("2 songs, 19 files restored"), std::string::npos) << restored.out;
  expectSameFolder(disk / "A" / "SONG1", back / "A" / "SONG1");
  expectSameFolder(latin, back / "B" / "deep" / "caf\xE9");
}

TEST_F(Archive, AFlippedSampleInTheArchiveIsRefusedUnlessChangesAreAllowed) {
  WriteRecorderSong(disk / "song");
  ASSERT_EQ(cli("stems " + q(disk / "song") + " " + q(out.path()) + " -q").status, 0);
  flipLastSample(out / "Track16-4 Vox.wav");

  auto restored = cli("restore " + q(out.path()) + " " + q(back / "song"));
  EXPECT_EQ(restored.status, 1) << restored.out;
  EXPECT_NE(restored.out.find("The archive file was changed after it was archived"), std::string::npos) << restored.out;
  EXPECT_NE(restored.out.find("Track16-4 Vox.wav"), std::string::npos) << restored.out;
  // Nothing of it was left, not even a side file; the other files are there.
  EXPECT_FALSE(fs::exists(back / "song" / "TRACK153.DAT"));
  EXPECT_EQ(namesIn(back / "song").size(), 8u);
  for (const std::string& name : namesIn(back / "song")) EXPECT_NE(name.front(), '.') << name;

  restored = cli("restore " + q(out.path()) + " " + q(back / "again") + " --allow-changed");
  EXPECT_EQ(restored.status, 0) << restored.out;
  EXPECT_NE(restored.out.find("it is not the original"), std::string::npos) << restored.out;
  const auto original = ReadBytes(disk / "song" / "TRACK153.DAT");
  auto taken = ReadBytes(back / "again" / "TRACK153.DAT");
  ASSERT_EQ(taken.size(), original.size());
  EXPECT_NE(taken, original);
  taken[taken.size() - 2] ^= 0x01;
  EXPECT_EQ(taken, original);
}

TEST_F(Archive, AnArchiveFileOfAnotherLengthIsRefusedForThatFileAndTakenWhenAllowed) {
  WriteRecorderSong(disk / "song");
  ASSERT_EQ(cli("stems " + q(disk / "song") + " " + q(out.path()) + " -q").status, 0);
  // Edited in a sound editor: two seconds of another signal, at another rate.
  WriteWithSndfile(out / "Track01-1 Kick.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 48000, Ramp(96000, -5000));
  auto restored = cli("restore " + q(out.path()) + " " + q(back / "song"));
  EXPECT_EQ(restored.status, 1) << restored.out;
  EXPECT_NE(restored.out.find("Track01-1 Kick.wav"), std::string::npos) << restored.out;
  EXPECT_FALSE(fs::exists(back / "song" / "TRACK0_0.DAT"));

  restored = cli("restore " + q(out.path()) + " " + q(back / "again") + " --allow-changed");
  ASSERT_EQ(restored.status, 0) << restored.out;
  const auto taken = ReadBytes(back / "again" / "TRACK0_0.DAT");
  const auto original = ReadBytes(disk / "song" / "TRACK0_0.DAT");
  // Two seconds at 48,000 Hz come back as two seconds at 44,100 Hz:
  // round(96,000 x 44,100 / 48,000) = 88,200 samples, under the recorded
  // header.
  ASSERT_EQ(taken.size(), 65536u + 2 * 88200);
  EXPECT_TRUE(std::equal(original.begin(), original.begin() + 65536, taken.begin()));
  // The ramp keeps its course in time: at 44,100 Hz sample 10,000 lies at
  // source sample 10,000 x 48,000 / 44,100 = 10,884.35, where the ramp is
  // -5,000 + 10,884.35.
  const size_t at = 65536 + 2 * 10000;
  EXPECT_NEAR(int16_t(taken[at] | taken[at + 1] << 8), 5884.35, 20.0);
}

TEST_F(Archive, NothingIsReplacedWithoutForceAndForceLeavesOtherFiles) {
  WriteRecorderSong(disk / "song");
  ASSERT_EQ(cli("stems " + q(disk / "song") + " " + q(out.path()) + " -q").status, 0);
  fs::create_directories(back / "song");
  WriteBytes(back / "song" / "TRACK0_0.DAT", {1, 2, 3});
  WriteBytes(back / "song" / "mine.txt", {4, 5});

  auto restored = cli("restore " + q(out.path()) + " " + q(back / "song"));
  EXPECT_EQ(restored.status, 1) << restored.out;
  EXPECT_NE(restored.out.find("TRACK0_0.DAT"), std::string::npos) << restored.out;
  EXPECT_EQ(namesIn(back / "song"), (std::vector<std::string>{"TRACK0_0.DAT", "mine.txt"}));
  EXPECT_EQ(ReadBytes(back / "song" / "TRACK0_0.DAT"), (std::vector<uint8_t>{1, 2, 3}));

  restored = cli("restore " + q(out.path()) + " " + q(back / "song") + " --force");
  ASSERT_EQ(restored.status, 0) << restored.out;
  EXPECT_NE(restored.out.find("not in the archive"), std::string::npos) << restored.out;
  EXPECT_NE(restored.out.find("mine.txt"), std::string::npos) << restored.out;
  EXPECT_EQ(ReadBytes(back / "song" / "mine.txt"), (std::vector<uint8_t>{4, 5}));
  EXPECT_EQ(ReadBytes(back / "song" / "TRACK0_0.DAT"), ReadBytes(disk / "song" / "TRACK0_0.DAT"));
}

TEST_F(Archive, AnArchiveWithoutHeadersRestoresTheSamplesAndSaysItIsNotByteIdentical) {
  WriteRecorderSong(disk / "song");
  ASSERT_EQ(cli("stems " + q(disk / "song") + " " + q(out.path()) + " -q").status, 0);
  // The archive as an earlier version of the program wrote it: version 1,
  // no take files, no copies.
  nlohmann::json manifest = nlohmann::json::parse(std::ifstream(out / "trackporter.json"));
  manifest.erase("manifest_version");
  manifest.erase("take_files");
  manifest.erase("recorder");
  RewriteManifestAndSum(out.path(), manifest.dump(2));

  const auto restored = cli("restore " + q(out.path()) + " " + q(back / "song"));
  ASSERT_EQ(restored.status, 0) << restored.out;
  EXPECT_NE(restored.out.find("not byte-identical"), std::string::npos) << restored.out;
  const auto original = ReadBytes(disk / "song" / "TRACK153.DAT");
  const auto rebuilt = ReadBytes(back / "song" / "TRACK153.DAT");
  ASSERT_EQ(rebuilt.size(), original.size());
  EXPECT_TRUE(std::equal(original.begin() + 65536, original.end(), rebuilt.begin() + 65536));
  EXPECT_EQ(std::string(rebuilt.begin() + 1024, rebuilt.begin() + 1032), "Vox     ");
  EXPECT_EQ(rebuilt[516], 15);  // the track number from the header writer
}

TEST_F(Archive, ContinueSkipsTheFilesTheManifestListsAsComplete) {
  WriteRecorderSong(disk / "song");
  ASSERT_EQ(cli("stems " + q(disk / "song") + " " + q(out.path()) + " -q --verify").status, 0);
  fs::remove(out / "Track16-4 Vox.wav");  // as if the run had stopped before it

  auto resumed = cli("stems " + q(disk / "song") + " " + q(out.path()));
  EXPECT_EQ(resumed.status, 1) << resumed.out;
  EXPECT_NE(resumed.out.find("--continue"), std::string::npos) << resumed.out;

  resumed = cli("stems " + q(disk / "song") + " " + q(out.path()) + " --continue --verify");
  ASSERT_EQ(resumed.status, 0) << resumed.out;
  EXPECT_NE(resumed.out.find("5 files"), std::string::npos) << resumed.out;
  EXPECT_NE(resumed.out.find("4 complete before, all verified"), std::string::npos) << resumed.out;
  EXPECT_EQ(RunCommand("cd " + q(out.path()) + " && sha256sum -c --quiet SHA256SUMS").status, 0);
  const auto restored = cli("restore " + q(out.path()) + " " + q(back / "song"));
  ASSERT_EQ(restored.status, 0) << restored.out;
  expectSameFolder(disk / "song", back / "song");

  // Files archived without --verify are written again when it is asked for.
  ASSERT_EQ(cli("stems " + q(disk / "song") + " " + q(out / "plain") + " -q").status, 0);
  resumed = cli("stems " + q(disk / "song") + " " + q(out / "plain") + " --continue --verify");
  ASSERT_EQ(resumed.status, 0) << resumed.out;
  EXPECT_EQ(resumed.out.find("complete before"), std::string::npos) << resumed.out;
  EXPECT_NE(resumed.out.find("all verified"), std::string::npos) << resumed.out;
}

TEST_F(Archive, ABogusManifestIsRefusedCleanlyAndNothingIsWritten) {
  WriteRecorderSong(disk / "song");
  ASSERT_EQ(cli("stems " + q(disk / "song") + " " + q(out.path()) + " -q").status, 0);
  nlohmann::json manifest = nlohmann::json::parse(std::ifstream(out / "trackporter.json"));
  struct Case {
    const char* what;
    std::string text;
  };
  nlohmann::json climbing = manifest;
  climbing["take_files"][0]["file"] = "../escaped.DAT";
  nlohmann::json badHex = manifest;
  badHex["take_files"][0]["header"][0]["hex"] = "4x";
  const Case cases[] = {
      {"not JSON", "{\"manifest_version\": 2, "},
      {"not an object", "[1, 2, 3]"},
      {"a name that leaves the song folder", climbing.dump()},
      {"a header run that is not hexadecimal", badHex.dump()},
  };
  for (const Case& bogus : cases) {
    SCOPED_TRACE(bogus.what);
    RewriteManifestAndSum(out.path(), bogus.text);
    const auto restored = cli("restore " + q(out.path()) + " " + q(back / "song"));
    EXPECT_EQ(restored.status, 1) << restored.out;
    EXPECT_NE(restored.out.find("The archive's manifest could not be read: "), std::string::npos) << restored.out;
    EXPECT_FALSE(fs::exists(back / "escaped.DAT"));
    EXPECT_TRUE(!fs::exists(back / "song") || fs::is_empty(back / "song"));
  }
  fs::remove(out / "trackporter.json");
  EXPECT_EQ(cli("restore " + q(out.path()) + " " + q(back / "song")).status, 1);
}

}  // namespace
}  // namespace tp
