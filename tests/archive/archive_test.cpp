// The archive's checks in the core: a write the disk got wrong is caught by
// the read-back, and a restore stopped half-way leaves only complete files.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>

#include "archive/archiverun.h"
#include "archive/manifest.h"
#include "archive/restore.h"
#include "archive/stemfile.h"
#include "archive/takerecord.h"
#include "project/messages.h"
#include "storage/filehandle.h"
#include "storage/safefile.h"
#include "storage/sha256.h"
#include "support/projectfixture.h"
#include "support/recordersong.h"
#include "support/runcommand.h"

namespace tp {
namespace {

using namespace tp::test;
namespace fs = std::filesystem;

bool hasSideFile(const fs::path& folder) {
  for (const auto& entry : fs::directory_iterator(folder))
    if (IsSideFileName(entry.path().filename().string())) return true;
  return false;
}

class ArchiveChecks : public ::testing::Test {
 protected:
  void TearDown() override { FaultInjection::Reset(); }
  // The song into out/archive, every file read back.
  ArchiveRequest verifiedArchive() const {
    ArchiveRequest request;
    request.source = song.path();
    request.outputRoot = out / "archive";
    request.verify = true;
    return request;
  }
  TempFolder song, out;
};

TEST_F(ArchiveChecks, TheSha256IsSha256sumsAndTheHeaderRunsAreTheNonZeroBytes) {
  WriteRecorderSong(song.path());
  TakeFileRecord record;
  ASSERT_TRUE(DescribeTakeFile(song / "TRACK0_0.DAT", record).ok());
  const auto oracle = RunCommand("sha256sum " + Quoted((song / "TRACK0_0.DAT").string()));
  EXPECT_EQ(record.sha256, oracle.out.substr(0, 64));
  EXPECT_EQ(record.size, int64_t(65536 + 2 * KickSamples + 1));
  EXPECT_EQ(record.Samples(), KickSamples);
  ASSERT_TRUE(record.tail.has_value());
  EXPECT_EQ(*record.tail, 0xA5);
  const auto header = ReadBytes(song / "TRACK0_0.DAT");
  EXPECT_EQ(record.HeaderBytes(), std::vector<uint8_t>(header.begin(), header.begin() + 65536));
  // Offsets 600-602 and 65535 are single runs of their own.
  ASSERT_GE(record.header.size(), 4u);
  const HeaderRun& last = record.header.back();
  EXPECT_EQ(last.offset, 65535);
  EXPECT_EQ(last.bytes, (std::vector<uint8_t>{uint8_t(1 ^ 0xFF)}));
  EXPECT_TRUE(std::any_of(record.header.begin(), record.header.end(), [](const HeaderRun& run) {
    return run.offset == 600 && run.bytes == std::vector<uint8_t>{1, 0x07, 0xE2};
  }));

  Sha256 empty;
  EXPECT_EQ(empty.HexDigest(), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

struct CorruptionCase {
  AudioFormat format;
  const char* extension;
  // Which write of the file layer reaches the disk damaged: one of the
  // samples', not a FLAC stream's first metadata, which the encoder
  // rewrites when it closes the file.
  long write;
};

class CorruptedWrite : public ArchiveChecks, public ::testing::WithParamInterface<CorruptionCase> {};

TEST_P(CorruptedWrite, IsCaughtByTheReadBackAndNothingIsLeft) {
  WriteRecorderSong(song.path());
  const StemSource stem{song / "TRACK153.DAT", std::nullopt, uint32_t(VoxSamples), "Track16-4"};
  const fs::path output = out / (std::string("vox") + GetParam().extension);

  FaultInjection::CorruptNthWrite(GetParam().write);
  StemChecks checks;
  checks.verify = true;
  const ConversionResult result = ExportStem(stem, output, GetParam().format, {}, &checks);
  EXPECT_EQ(result.outcome, ConversionResult::Failed);
  EXPECT_STREQ(result.message, messages::ArchiveFileNotVerified);
  EXPECT_NE(result.detail.find(output.string()), std::string::npos) << result.detail;
  EXPECT_FALSE(fs::exists(output));
  EXPECT_FALSE(hasSideFile(out.path()));

  // Without the read-back the same damage goes unnoticed: the check is what
  // finds it.
  FaultInjection::Reset();
  FaultInjection::CorruptNthWrite(GetParam().write);
  StemChecks unchecked;
  EXPECT_EQ(ExportStem(stem, output, GetParam().format, {}, &unchecked).outcome, ConversionResult::Converted);
  FaultInjection::Reset();
  EXPECT_FALSE(VerifyStem(stem, output, output).ok());

  StemChecks clean;
  clean.verify = true;
  fs::remove(output);
  ASSERT_EQ(ExportStem(stem, output, GetParam().format, {}, &clean).outcome, ConversionResult::Converted);
  EXPECT_TRUE(clean.verified);
}

INSTANTIATE_TEST_SUITE_P(Writes, CorruptedWrite,
                         ::testing::Values(CorruptionCase{FormatWav, ".wav", 2}, CorruptionCase{FormatWav, ".wav", 3},
                                           CorruptionCase{FormatAiff, ".aif", 2},
                                           CorruptionCase{FormatFlac, ".flac", 6},
                                           CorruptionCase{FormatFlac, ".flac", 12}),
                         [](const auto& info) {
                           return std::string(info.param.extension + 1) + "_write" + std::to_string(info.param.write);
                         });

TEST_F(ArchiveChecks, AnArchiveFileStoppedHalfWayIsNotKeptInAnyFormat) {
  WriteRecorderSong(song.path());
  // Vox spans three blocks; Ctrl-C asks for the stop between two of them.
  const StemSource stem{song / "TRACK153.DAT", std::nullopt, uint32_t(VoxSamples), "Track16-4"};
  for (const auto& [format, name] : {std::pair{FormatWav, "vox.wav"}, std::pair{FormatAiff, "vox.aif"},
                                     std::pair{FormatFlac, "vox.flac"}}) {
    SCOPED_TRACE(name);
    int blocks = 0;
    ConversionHooks hooks;
    hooks.betweenBlocks = [&] { return ++blocks > 2; };
    StemChecks checks;
    checks.verify = true;
    EXPECT_EQ(ExportStem(stem, out / name, format, hooks, &checks).outcome, ConversionResult::Aborted);
    EXPECT_FALSE(fs::exists(out / name));
    EXPECT_FALSE(hasSideFile(out.path()));
  }
}

TEST_F(ArchiveChecks, AnArchiveStoppedHalfWayHoldsCompleteFilesThatItsManifestAndSumsDescribe) {
  WriteRecorderSong(song.path());
  ArchiveRequest request = verifiedArchive();
  std::vector<ArchiveSongPlan> plans;
  ASSERT_TRUE(PlanArchive(request, plans).ok());
  ASSERT_EQ(plans.size(), 1u);
  ASSERT_EQ(plans[0].items.size(), 5u);

  // Blocks: Kick 2, the two empty takes 1 each, Vox 3; stop inside Vox.
  int blocks = 0;
  ArchiveEvents events;
  events.stopRequested = [&] { return ++blocks > 6; };
  std::vector<fs::path> written;
  events.written = [&](const fs::path& output) { written.push_back(output); };
  const ArchiveTotals totals = RunArchive(request, plans, events);
  EXPECT_TRUE(totals.stopped);
  EXPECT_FALSE(totals.anyFailed);
  EXPECT_EQ(totals.files, written.size());
  EXPECT_GE(written.size(), 1u);
  EXPECT_LT(written.size(), 5u);
  EXPECT_FALSE(hasSideFile(out / "archive"));
  ArchiveManifest manifest;
  ASSERT_TRUE(ReadArchiveManifest(out / "archive", manifest).ok());
  std::set<std::string> listed;
  for (const auto& take : manifest.takeFiles) {
    listed.insert(take.output);
    EXPECT_TRUE(take.verified);
  }
  EXPECT_EQ(listed.size(), written.size());
  const auto sums = RunCommand("cd " + Quoted((out / "archive").string()) + " && sha256sum -c SHA256SUMS");
  EXPECT_EQ(sums.status, 0) << sums.out;

  // Resumed, it writes the rest and restores to the original.
  request.resume = true;
  ASSERT_TRUE(PlanArchive(request, plans).ok());
  EXPECT_TRUE(ExistingArchiveFiles(request, plans).empty());
  const ArchiveTotals rest = RunArchive(request, plans, {});
  EXPECT_EQ(rest.skipped, written.size());
  EXPECT_EQ(rest.files + rest.skipped, 5u);
  ArchiveManifest complete;
  ASSERT_TRUE(ReadArchiveManifest(out / "archive", complete).ok());
  const RestoreReport report = RestoreSong(out / "archive", complete, out / "rebuilt", {}, {});
  EXPECT_TRUE(report.failures.empty());
  EXPECT_EQ(report.restored.size(), 9u);
  EXPECT_TRUE(report.ByteIdentical());
  EXPECT_EQ(RunCommand("diff -r " + Quoted(song.path().string()) + " " + Quoted((out / "rebuilt").string())).status, 0);
}

TEST_F(ArchiveChecks, ARestoreStoppedHalfWayKeepsOnlyCompleteFiles) {
  WriteRecorderSong(song.path());
  const auto archived = RunCommand(std::string(TP_CLI_PATH) + " stems -q " + Quoted(song.path().string()) + " " +
                                   Quoted((out / "archive").string()));
  ASSERT_EQ(archived.status, 0) << archived.out;
  ArchiveManifest manifest;
  ASSERT_TRUE(ReadArchiveManifest(out / "archive", manifest).ok());

  // Stop at every point in turn: before the first block, inside a take,
  // between files.
  for (int stopAt : {1, 2, 3, 4, 6}) {
    SCOPED_TRACE(stopAt);
    const fs::path destination = out / ("rebuilt" + std::to_string(stopAt));
    // Asked from both restoring workers.
    std::atomic<int> blocks{0};
    ConversionHooks hooks;
    hooks.betweenBlocks = [&] { return ++blocks >= stopAt; };
    const RestoreReport report = RestoreSong(out / "archive", manifest, destination, {}, hooks);
    EXPECT_TRUE(report.aborted);
    EXPECT_TRUE(report.failures.empty());
    EXPECT_FALSE(hasSideFile(destination));
    size_t present = 0;
    for (const auto& entry : fs::directory_iterator(destination)) {
      ++present;
      const auto compared = RunCommand("cmp " + Quoted(entry.path().string()) + " " +
                                       Quoted((song / entry.path().filename().string()).string()));
      EXPECT_EQ(compared.status, 0) << compared.out;
    }
    EXPECT_EQ(present, report.restored.size());
    EXPECT_LT(present, 9u);
  }
}

// An import that lengthens a take after the archive was planned, before it
// locked the song: the archive reads the song as it is once it holds the
// lock, so what it reports verified restores.
TEST_F(ArchiveChecks, ATakeChangedBeforeTheSongIsLockedIsArchivedAsItIsThenAndRestores) {
  WriteProjectInfo(song.path(), "Song");
  WriteTake(song / "TRACK0_0.DAT", "Kick", Ramp(20000));
  WriteTake(song / "TRACK1_0.DAT", "Snare", Ramp(3000, 5));
  const ArchiveRequest request = verifiedArchive();
  std::vector<ArchiveSongPlan> plans;
  ASSERT_TRUE(PlanArchive(request, plans).ok());
  WriteTake(song / "TRACK0_0.DAT", "Kick 2", Ramp(90000, -7, 3));
  const ArchiveTotals totals = RunArchive(request, plans, {});
  EXPECT_FALSE(totals.anyFailed);
  EXPECT_EQ(totals.verified, 2u);

  ArchiveManifest manifest;
  ASSERT_TRUE(ReadArchiveManifest(out / "archive", manifest).ok());
  const RestoreReport report = RestoreSong(out / "archive", manifest, out / "rebuilt", {}, {});
  EXPECT_TRUE(report.failures.empty()) << (report.failures.empty() ? "" : report.failures[0].Text());
  for (const char* take : {"TRACK0_0.DAT", "TRACK1_0.DAT"})
    EXPECT_EQ(ReadBytes(out / "rebuilt" / take), ReadBytes(song / take)) << take;
}

}  // namespace
}  // namespace tp
