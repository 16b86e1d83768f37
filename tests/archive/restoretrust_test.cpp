// What restore believes: a manifest only once its checksum, its shape and its
// entries hold; a read error never as an edit; never a link in the
// destination. And what an archive believes when it resumes, and how it
// keeps writers out of the song it reads.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <nlohmann/json.hpp>

#include "archive/archiveplan.h"
#include "archive/archiverun.h"
#include "archive/manifest.h"
#include "archive/manifesttrust.h"
#include "archive/restore.h"
#include "archive/restoreplan.h"
#include "project/messages.h"
#include "storage/filehandle.h"
#include "storage/readobserver.h"
#include "storage/songlock.h"
#include "support/manifestedit.h"
#include "support/recordersong.h"
#include "support/runcommand.h"

namespace tp {
namespace {

using namespace tp::test;
namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

std::string readText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class RestoreTrust : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteRecorderSong(disk / "song");
    const auto archived = cli("stems -q " + Quoted((disk / "song").string()) + " " + Quoted(archive().string()));
    ASSERT_EQ(archived.status, 0) << archived.out;
  }
  void TearDown() override { FaultInjection::Reset(); }
  static CommandOutput cli(const std::string& arguments) {
    return RunCommand(std::string(TP_CLI_PATH) + " " + arguments);
  }
  fs::path archive() const { return out / "archive"; }
  Json manifest() const { return Json::parse(readText(archive() / "trackporter.json")); }
  Status plan(bool allowChanged, RestorePlan& planned) const {
    return PlanRestore({archive(), out / "back", false, false, allowChanged}, planned);
  }

  TempFolder disk, out;
};

TEST_F(RestoreTrust, AManifestIsBelievedOnlyWhenItsChecksumHolds) {
  RestorePlan planned;
  ASSERT_TRUE(plan(false, planned).ok());

  // One edited line would move a take: Track1-1 restored as Track1-2.
  std::string text = readText(archive() / "trackporter.json");
  const size_t at = text.find("\"TRACK0_0.DAT\"");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, 14, "\"TRACK0_1.DAT\"");
  std::ofstream(archive() / "trackporter.json", std::ios::trunc | std::ios::binary) << text;
  // Written after the sums, as an edit would be; the sums are dated back to
  // show the edit, not an interrupted archive.
  const timespec past[2] = {{1, 0}, {1, 0}};
  const timespec now[2] = {{0, UTIME_NOW}, {0, UTIME_NOW}};
  ::utimensat(AT_FDCWD, (archive() / "SHA256SUMS").c_str(), now, 0);
  ::utimensat(AT_FDCWD, (archive() / "trackporter.json").c_str(), past, 0);
  Status status = plan(false, planned);
  EXPECT_TRUE(status.Is(messages::ManifestChanged)) << status.Text();

  // With --allow-changed it is believed, and the plan says it was not confirmed.
  ASSERT_TRUE(plan(true, planned).ok());
  ASSERT_EQ(planned.songs.size(), 1u);
  EXPECT_FALSE(planned.songs[0].manifestConfirmed);

  // An archive killed before its sums: the manifest is the newer file, or
  // there are no sums at all.
  ::utimensat(AT_FDCWD, (archive() / "SHA256SUMS").c_str(), past, 0);
  ::utimensat(AT_FDCWD, (archive() / "trackporter.json").c_str(), now, 0);
  status = plan(false, planned);
  EXPECT_TRUE(status.Is(messages::ArchiveUnfinished)) << status.Text();
  fs::remove(archive() / "SHA256SUMS");
  status = plan(false, planned);
  EXPECT_TRUE(status.Is(messages::ArchiveUnfinished)) << status.Text();
  const auto restored = cli("restore " + Quoted(archive().string()) + " " + Quoted((out / "back").string()));
  EXPECT_EQ(restored.status, 1);
  EXPECT_NE(restored.out.find("stems --continue"), std::string::npos) << restored.out;
  EXPECT_FALSE(fs::exists(out / "back"));
}

// Contents a tool rewrote together with the sums: refused all the same,
// naming the manifest and the field.
TEST_F(RestoreTrust, AManifestWhoseEntriesRestoreMayNotActOnIsRefusedNamingTheField) {
  const Json good = manifest();
  struct Case {
    const char* what;
    std::function<void(Json&)> edit;
    const char* says;
  } cases[] = {
      {"an empty object", [](Json& m) { m = Json::object(); }, "neither manifest_version nor files"},
      {"an unknown version", [](Json& m) { m["manifest_version"] = 99; }, "manifest_version 99"},
      {"a take listed twice", [](Json& m) { m["take_files"][1]["file"] = m["take_files"][0]["file"]; },
       "a second time"},
      {"the same take in other letter case",
       [](Json& m) { m["take_files"][1]["file"] = "track0_0.dat"; }, "a second time"},
      {"an output above the archive", [](Json& m) { m["take_files"][0]["output"] = "../outside.wav"; },
       "take_files[0].output"},
      {"an absolute output", [](Json& m) { m["take_files"][0]["output"] = "/etc/passwd"; }, "take_files[0].output"},
      {"an audio file above the archive", [](Json& m) { m["files"][0]["output"] = "../x.wav"; }, "files[0].output"},
      {"a take file that is no take", [](Json& m) { m["take_files"][0]["file"] = "notes.txt"; },
       "take_files[0].file"},
      {"a copy that leaves the folder", [](Json& m) { m["recorder"][0]["file"] = "../Songdata.ini"; },
       "recorder[0].file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Json edited = good;
    c.edit(edited);
    RewriteManifestAndSum(archive(), edited.dump(2));
    RestorePlan planned;
    const Status status = plan(false, planned);
    EXPECT_TRUE(status.Is(messages::ArchiveNotRead)) << status.Text();
    EXPECT_NE(status.Text().find("trackporter.json"), std::string::npos) << status.Text();
    EXPECT_NE(status.Text().find(c.says), std::string::npos) << status.Text();
  }
}

TEST_F(RestoreTrust, AHugeManifestIsRefusedBeforeAnythingIsBuiltFromIt) {
  // Millions of empty entries: too large; then as many as fit in the
  // largest manifest read, too many for one list.
  std::string huge = "{\"manifest_version\": 2, \"files\": [], \"take_files\": [";
  for (int n = 0; n < 6'000'000; ++n) huge += n ? ",{}" : "{}";
  huge += "]}";
  std::string many = "{\"manifest_version\": 2, \"files\": [], \"take_files\": [";
  for (int n = 0; n < 1'000'000; ++n) many += n ? ",{}" : "{}";
  many += "]}";
  ASSERT_LT(int64_t(many.size()), MaximumManifestBytes);
  struct Case {
    const std::string* text;
    const char* says;
  } cases[] = {{&huge, "larger than 4 MB"}, {&many, "\"take_files\" has more than 1000 entries"}};
  for (const Case& c : cases) {
    ArchiveManifest parsed;
    const Status status = ParseArchiveManifest(*c.text, archive() / "trackporter.json", parsed);
    EXPECT_TRUE(status.Is(messages::ArchiveNotRead));
    EXPECT_NE(status.Text().find(c.says), std::string::npos) << status.Text();
    EXPECT_TRUE(parsed.takeFiles.empty());
  }
}

// A disk that fails while restore reads the archive: a read error naming the
// file and the system's reason, with or without --allow-changed, and the
// take is not rebuilt from what was read.
TEST_F(RestoreTrust, AReadErrorInTheArchiveIsAReadErrorAndNeverAnEdit) {
  RestorePlan planned;
  ASSERT_TRUE(plan(false, planned).ok());
  const SongToRestore& song = planned.songs.at(0);
  // Every read restore makes of the file fails in turn: how many there are
  // is counted on a restore that succeeds.
  std::atomic<long> reads{0};
  FaultInjection::ObserveReads([&reads](const FaultInjection::ReadEvent& event) {
    reads += !event.finished && event.path.ends_with("Kick.wav") ? 1 : 0;
  });
  EXPECT_TRUE(RestoreSong(song.archiveFolder, song.manifest, out / "counted", {}, {}).failures.empty());
  FaultInjection::Reset();
  ASSERT_GE(reads, 1);
  for (bool allowChanged : {false, true})
    for (long goodReads = 0; goodReads < reads; ++goodReads) {
      SCOPED_TRACE(std::to_string(allowChanged) + " after " + std::to_string(goodReads) + " reads");
      const fs::path destination = out / ("back" + std::to_string(allowChanged) + std::to_string(goodReads));
      FaultInjection::FailReadsOf("Kick.wav", EIO, goodReads);
      RestoreOptions options;
      options.allowChanged = allowChanged;
      const RestoreReport report = RestoreSong(song.archiveFolder, song.manifest, destination, options, {});
      FaultInjection::Reset();
      EXPECT_TRUE(report.takenAsChanged.empty());
      ASSERT_FALSE(report.failures.empty());
      bool named = false;
      for (const Status& failure : report.failures)
        named = named || (failure.Is(messages::SourceNotRead) && failure.systemError() == EIO &&
                          failure.file().filename().string().find("Kick") != std::string::npos);
      EXPECT_TRUE(named) << report.failures[0].Text();
      EXPECT_FALSE(fs::exists(destination / "TRACK0_0.DAT"));
      EXPECT_FALSE(fs::exists(destination / "Songdata.ini")) << "the song's restore stopped";
    }
}

TEST_F(RestoreTrust, ALinkInTheDestinationIsReplacedOrRefusedNeverFollowed) {
  // A link where a take goes: with --force the link itself is replaced.
  const fs::path back = out / "back";
  fs::create_directories(back);
  fs::create_symlink("/dev/null", back / "TRACK0_0.DAT");
  auto restored = cli("restore --force " + Quoted(archive().string()) + " " + Quoted(back.string()));
  EXPECT_EQ(restored.status, 0) << restored.out;
  EXPECT_FALSE(fs::is_symlink(back / "TRACK0_0.DAT"));
  EXPECT_EQ(ReadBytes(back / "TRACK0_0.DAT"), ReadBytes(disk / "song" / "TRACK0_0.DAT"));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));

  // A FIFO where a take goes is refused, even with --force.
  fs::remove(back / "TRACK153.DAT");
  ASSERT_EQ(::mkfifo((back / "TRACK153.DAT").c_str(), 0644), 0);
  restored = cli("restore --force " + Quoted(archive().string()) + " " + Quoted(back.string()));
  EXPECT_EQ(restored.status, 1) << restored.out;
  EXPECT_NE(restored.out.find("TRACK153.DAT is not a regular file."), std::string::npos) << restored.out;

  // With -r, a song folder in DEST that is a link to somewhere else.
  const fs::path whole = out / "whole", outside = out / "outside";
  fs::create_directories(whole);
  fs::create_directories(outside);
  fs::create_symlink("../outside", whole / "song");
  restored = cli("restore -r " + Quoted(archive().string()) + " " + Quoted(whole.string()));
  EXPECT_EQ(restored.status, 1) << restored.out;
  EXPECT_NE(restored.out.find("does not lie below the destination"), std::string::npos) << restored.out;
  EXPECT_TRUE(fs::is_empty(outside));
}

class ResumedArchive : public RestoreTrust {
 protected:
  ArchiveTotals resume(const fs::path& source, bool verify) {
    ArchiveRequest request;
    request.source = source;
    request.outputRoot = archive();
    request.resume = true;
    request.verify = verify;
    std::vector<ArchiveSongPlan> plans;
    EXPECT_TRUE(PlanArchive(request, plans).ok());
    return RunArchive(request, plans, {});
  }
};

TEST_F(ResumedArchive, KeepsAFileOnlyWhenItIsThisSongsAndWithVerifyStillAsWritten) {
  // Verified from the start, so that a verifying resume may keep files.
  fs::remove_all(archive());
  ASSERT_EQ(cli("stems -q --verify " + Quoted((disk / "song").string()) + " " + Quoted(archive().string())).status, 0);
  const auto kick = ReadBytes(archive() / "Track01-1 Kick.wav");

  // One byte flipped in a complete file: a verifying resume writes it anew.
  std::vector<uint8_t> flipped = kick;
  flipped[flipped.size() / 2] ^= 0x01;
  WriteBytes(archive() / "Track01-1 Kick.wav", flipped);
  ArchiveTotals totals = resume(disk / "song", true);
  EXPECT_EQ(ReadBytes(archive() / "Track01-1 Kick.wav"), kick);
  EXPECT_LT(totals.skipped, 5u);

  // Another song whose takes have the names and sizes of this one's: its
  // audio is not kept for this song's.
  WriteRecorderSong(disk / "other");
  std::vector<uint8_t> other = ReadBytes(disk / "other" / "TRACK0_0.DAT");
  other[70000] ^= 0x40;
  WriteBytes(disk / "other" / "TRACK0_0.DAT", other);
  totals = resume(disk / "other", false);
  EXPECT_GE(totals.files, 1u) << "at least the changed take was written anew";
  EXPECT_NE(ReadBytes(archive() / "Track01-1 Kick.wav"), kick);
}

TEST_F(ResumedArchive, AnArchiveKeepsWritersOutOfTheSongItReads) {
  SongLock writer;
  ASSERT_TRUE(writer.Acquire(disk / "song", SongLock::Wait::No));
  ArchiveRequest request;
  request.source = disk / "song";
  request.outputRoot = out / "second";
  request.wait = SongLock::Wait::No;
  std::vector<ArchiveSongPlan> plans;
  ASSERT_TRUE(PlanArchive(request, plans).ok());
  std::string failure;
  ArchiveEvents events;
  events.failure = [&](const std::string& message) { failure = message; };
  const ArchiveTotals totals = RunArchive(request, plans, events);
  EXPECT_TRUE(totals.anyFailed);
  EXPECT_NE(failure.find(messages::SongInUse), std::string::npos) << failure;
  EXPECT_EQ(totals.files, 0u);
  writer.Release();

  // While an archive reads the song, an import that will not wait fails.
  SongLock archiving;
  ASSERT_TRUE(archiving.Acquire(disk / "song", SongLock::Wait::No, SongLock::Mode::Reader));
  const auto imported = cli("import --no-wait " + Quoted((disk / "song").string()) + " " +
                            Quoted((archive() / "Track01-1 Kick.wav").string()) + " --to 5-1");
  EXPECT_EQ(imported.status, 1) << imported.out;
  EXPECT_NE(imported.out.find(messages::SongInUse), std::string::npos) << imported.out;
  EXPECT_FALSE(fs::exists(disk / "song" / "TRACK4_0.DAT"));
}

}  // namespace
}  // namespace tp
