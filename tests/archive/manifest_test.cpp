// The manifest through nlohmann-json: every version-2 key read back as it
// was written, a manifest in the earlier spacing still read, and names that
// are not UTF-8 (an encoded surrogate, a Latin-1 byte) kept exactly through
// the hex fields while the text stays strict UTF-8 that Python accepts.
#include <gtest/gtest.h>

#include <string>

#include "archive/manifest.h"
#include "archive/restoreplan.h"
#include "support/recordersong.h"
#include "support/runcommand.h"

namespace tp {
namespace {

using namespace tp::test;
namespace fs = std::filesystem;

// Python's json module reads the file as UTF-8 with errors="strict": an
// encoded surrogate or a Latin-1 byte makes it fail.
int StrictPythonRead(const fs::path& manifest) {
  return RunCommand("python3 -c 'import json, sys; json.load(open(sys.argv[1], encoding=\"utf-8\", "
                    "errors=\"strict\"))' " + Quoted(manifest.string()) + " 2>&1")
      .status;
}

ArchiveManifest ExampleManifest() {
  ArchiveManifest manifest;
  manifest.version = ArchiveManifestVersion;
  manifest.project = "Demo";
  manifest.folder = "disk/Song \xED\xA0\x80";
  manifest.source = "/media/disk/Song \xED\xA0\x80";
  manifest.files = {{{4, 1}, "Bass    ", 5, {"TRACK4_1.DAT"}, "Track05-2 Bass.wav"},
                    {{-1, 0}, "Final   ", 7, {"TRACKL_0.DAT", "TRACKR_0.DAT"}, "Master1 Final.wav"}};
  ArchivedTakeFile take;
  take.record = {"TRACK4_1.DAT", 65547, std::string(64, 'a'), true, {{0, {1, 2}}, {1024, {'B', 'a'}}}, 0xA5};
  take.output = "Track05-2 Bass.wav";
  take.outputFrames = 5;
  take.outputSha256 = std::string(64, 'b');
  take.verified = true;
  take.trackNumber = 4;
  take.nameBytes = "Bass";
  manifest.takeFiles = {take};
  manifest.otherFiles = {{"notes \xE9.txt", 6, std::string(64, 'c'), ArchiveCopyPath("notes \xE9.txt")}};
  manifest.failed = {{{2, 0}, "Fail to read the take: TRACK2_0.DAT"}};
  return manifest;
}

TEST(ArchiveManifest, EveryFieldWrittenIsReadBackAndNamesKeepTheirBytes) {
  TempFolder folder;
  const ArchiveManifest written = ExampleManifest();
  std::string text;
  ASSERT_TRUE(WriteArchiveManifest(folder.path(), written, text).ok());
  EXPECT_EQ(StrictPythonRead(folder / ArchiveManifestName), 0) << text;
  // The bytes that are not UTF-8 travel in hexadecimal beside the text.
  EXPECT_NE(text.find("\"folder_hex\": \"6469736b2f536f6e6720eda080\""), std::string::npos) << text;
  EXPECT_NE(text.find("\"file_hex\": \"6e6f74657320e92e747874\""), std::string::npos) << text;

  ArchiveManifest read;
  ASSERT_TRUE(ReadArchiveManifest(folder.path(), read).ok());
  EXPECT_EQ(read.version, 2);
  EXPECT_EQ(read.project, "Demo");
  EXPECT_EQ(read.folder, written.folder);
  ASSERT_EQ(read.files.size(), 2u);
  EXPECT_EQ(read.files[0].id.track, 4);
  EXPECT_EQ(read.files[0].id.take, 1);
  EXPECT_EQ(read.files[1].id.track, -1);
  EXPECT_EQ(read.files[1].sources, (std::vector<std::string>{"TRACKL_0.DAT", "TRACKR_0.DAT"}));
  ASSERT_EQ(read.takeFiles.size(), 1u);
  const ArchivedTakeFile& take = read.takeFiles[0];
  EXPECT_EQ(take.record.file, "TRACK4_1.DAT");
  EXPECT_EQ(take.record.size, 65547);
  EXPECT_EQ(take.record.sha256, std::string(64, 'a'));
  EXPECT_TRUE(take.record.headerKnown);
  ASSERT_EQ(take.record.header.size(), 2u);
  EXPECT_EQ(take.record.header[1].offset, 1024);
  EXPECT_EQ(take.record.header[1].bytes, (std::vector<uint8_t>{'B', 'a'}));
  EXPECT_EQ(take.record.tail, std::optional<uint8_t>(0xA5));
  EXPECT_EQ(take.outputFrames, 5u);
  EXPECT_EQ(take.outputSha256, std::string(64, 'b'));
  EXPECT_TRUE(take.verified);
  EXPECT_EQ(take.trackNumber, 4u);
  EXPECT_EQ(take.nameBytes, "Bass");
  ASSERT_EQ(read.otherFiles.size(), 1u);
  EXPECT_EQ(read.otherFiles[0].file, "notes \xE9.txt");
  EXPECT_EQ(read.otherFiles[0].copy, "recorder/notes \xE9.txt.orig");
  ASSERT_EQ(read.failed.size(), 1u);
  EXPECT_EQ(read.failed[0].reason, "Fail to read the take: TRACK2_0.DAT");
}

TEST(ArchiveManifest, AManifestInTheEarlierSpacingIsStillRead) {
  TempFolder folder;
  // As the first writer of version 2 spaced it, one entry a line.
  const std::string earlier =
      "{\n  \"manifest_version\": 2,\n  \"project\": \"Demo\",\n  \"folder\": \"Song \xC3\xA9\", "
      "\"folder_hex\": \"536f6e6720e9\",\n  \"source\": \"/disk/Song \xC3\xA9\",\n  \"files\": [\n"
      "    {\"track\": 1, \"take\": 1, \"name\": \"Kick\", \"samples\": 3, \"source\": \"TRACK0_0.DAT\", "
      "\"output\": \"Track01-1 Kick.wav\"}\n  ],\n  \"take_files\": [\n"
      "    {\"file\": \"TRACK0_0.DAT\", \"size\": 65542, \"sha256\": \"\", \"output\": \"Track01-1 Kick.wav\", "
      "\"channel\": 0, \"frames\": 3, \"output_sha256\": \"\", \"verified\": false, \"track_number\": 0, "
      "\"channel_index\": 0, \"name\": \"Kick\", \"header\": [{\"offset\": 1024, \"hex\": \"4b69636b\"}]}\n  ],\n"
      "  \"recorder\": [\n    {\"file\": \"PRJDATA.ini\", \"size\": 128, \"sha256\": \"\", "
      "\"copy\": \"recorder/PRJDATA.ini.orig\"}\n  ]\n}\n";
  WriteBytes(folder / ArchiveManifestName, std::vector<uint8_t>(earlier.begin(), earlier.end()));
  ArchiveManifest read;
  ASSERT_TRUE(ReadArchiveManifest(folder.path(), read).ok());
  EXPECT_EQ(read.folder, "Song \xE9");
  ASSERT_EQ(read.takeFiles.size(), 1u);
  EXPECT_EQ(read.takeFiles[0].record.size, 65542);
  EXPECT_EQ(read.takeFiles[0].record.HeaderBytes()[1024], 'K');
  ASSERT_EQ(read.otherFiles.size(), 1u);
  EXPECT_EQ(read.otherFiles[0].copy, "recorder/PRJDATA.ini.orig");
}

// The whole way through the command line: a disk whose song folder's name
// holds the bytes ED A0 80 (an encoded surrogate, which no strict UTF-8
// reader accepts) and a file of the song named in Latin-1.
TEST(ArchiveManifest, ASongFolderNamedWithAnEncodedSurrogateIsRestoredWithItsExactName) {
  TempFolder disk, archive, restored;
  const std::string name = "Song \xED\xA0\x80";
  WriteRecorderSong(disk / name);
  WriteBytes(disk / name / "notes \xE9.txt", {'n', 'o', 't', 'e', 's'});
  const std::string cli = TP_CLI_PATH;
  const auto archived = RunCommand(cli + " stems -q --recursive " + Quoted(disk.path().string()) + " " +
                                   Quoted(archive.path().string()) + " 2>&1");
  ASSERT_EQ(archived.status, 0) << archived.out;
  const std::vector<fs::path> folders = FindArchiveFolders(archive.path());
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_EQ(StrictPythonRead(folders[0] / ArchiveManifestName), 0);

  const auto rebuilt = RunCommand(cli + " restore -q --recursive " + Quoted(archive.path().string()) + " " +
                                  Quoted(restored.path().string()) + " 2>&1");
  ASSERT_EQ(rebuilt.status, 0) << rebuilt.out;
  ASSERT_TRUE(fs::is_directory(restored / name));
  ASSERT_TRUE(fs::is_regular_file(restored / name / "notes \xE9.txt"));
  const auto compared = RunCommand("diff -r " + Quoted((disk / name).string()) + " " +
                                   Quoted((restored / name).string()) + " 2>&1");
  EXPECT_EQ(compared.status, 0) << compared.out;
}

}  // namespace
}  // namespace tp
