// A failing disk, a lying header and a cancelled job, met by every
// conversion: a read error is an error naming the file, never silence, and
// nothing half-written or destroyed is left behind.
#include <gtest/gtest.h>

#include <cerrno>

#include <sys/stat.h>

#include "convert/exportengine.h"
#include "convert/importengine.h"
#include "archive/stemfile.h"
#include "project/messages.h"
#include "project/projectmodel.h"
#include "project/takeedit.h"
#include "storage/filehandle.h"
#include "storage/safefile.h"
#include "support/projectfixture.h"
#include "support/runcommand.h"
#include "support/sndfileio.h"

namespace tp {
namespace {

using namespace tp::test;
namespace fs = std::filesystem;

class Faults : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteProjectInfo(song.path(), "Song");
    WriteTake(song / "TRACK4_0.DAT", "Chords", Ramp(300000));
    WriteTake(song / "TRACK5_0.DAT", "Bass", Ramp(70000));
    ASSERT_TRUE(model.DirTreeChange(song.path().string()));
  }
  void TearDown() override { FaultInjection::Reset(); }

  ConversionResult exportTo(const fs::path& output, ConversionHooks hooks = {}) {
    ExportRequest request;
    request.selection = model.PlaybackSelection();
    request.length = model.View.sliderMax;
    request.output = output;
    return ExportTakes(request, hooks);
  }
  static bool hasSideFile(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder))
      if (IsSideFileName(entry.path().filename().string())) return true;
    return false;
  }

  TempFolder song, out;
  ProjectModel model;
};

TEST_F(Faults, AReadErrorInATakeStopsTheExportNamingTheTake) {
  model.TakeSelClick(4, 0);
  model.TakeSelClick(5, 0);
  FaultInjection::FailReadsOf("TRACK5_0.DAT", EIO);
  const auto result = exportTo(out / "mix.wav");
  EXPECT_EQ(result.outcome, ConversionResult::Failed);
  EXPECT_STREQ(result.message, "The take could not be read");
  EXPECT_EQ(result.detail, "Track06-1 (Input/output error)");
  EXPECT_FALSE(fs::exists(out / "mix.wav"));
  EXPECT_FALSE(hasSideFile(out.path()));
}

TEST_F(Faults, AReadErrorInAStemWritesNothingForIt) {
  // The second of the stem's three blocks cannot be read.
  const StemSource source{model.TakePath(4, 0), std::nullopt, 300000, "Track05-1"};
  FaultInjection::FailNthRead(2, EIO);
  const auto result = ExportStem(source, out / "Track05-1 Chords.wav", FormatWav, {});
  EXPECT_EQ(result.outcome, ConversionResult::Failed);
  EXPECT_EQ(result.detail, "Track05-1 (Input/output error)");
  EXPECT_TRUE(fs::is_empty(out.path()));
}

TEST_F(Faults, AFullDiskFailsTheExportAndKeepsTheFileItWouldReplace) {
  model.TakeSelClick(4, 0);
  WriteBytes(out / "mix.wav", {9, 9, 9});
  FaultInjection::FailNthWrite(3, ENOSPC);
  const auto result = exportTo(out / "mix.wav");
  EXPECT_EQ(result.outcome, ConversionResult::Failed);
  EXPECT_STREQ(result.message, messages::OutputNotWritten);
  EXPECT_EQ(result.detail, (out / "mix.wav").string() + " (No space left on device)");
  EXPECT_EQ(ReadBytes(out / "mix.wav"), (std::vector<uint8_t>{9, 9, 9}));
  EXPECT_FALSE(hasSideFile(out.path()));
}

TEST_F(Faults, CancellingKeepsAnExistingFileAndCompletesANewOne) {
  model.TakeSelClick(4, 0);
  WriteBytes(out / "old.wav", {1});
  int blocks = 0;
  ConversionHooks cancelAfterOne;
  cancelAfterOne.betweenBlocks = [&] { return ++blocks > 1; };
  EXPECT_EQ(exportTo(out / "old.wav", cancelAfterOne).outcome, ConversionResult::Aborted);
  EXPECT_EQ(ReadBytes(out / "old.wav"), std::vector<uint8_t>{1});
  blocks = 0;
  EXPECT_EQ(exportTo(out / "new.wav", cancelAfterOne).outcome, ConversionResult::Aborted);
  EXPECT_EQ(ReadWithSndfile(out / "new.wav").frames, 32768) << "the one block written, in a complete file";
  EXPECT_FALSE(hasSideFile(out.path()));
}

TEST_F(Faults, ACancelledImportKeepsTheTakesItWouldReplace) {
  WriteWithSndfile(out / "in.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, Ramp(2 * 80000));
  const auto chords = ReadBytes(song / "TRACK4_0.DAT"), bass = ReadBytes(song / "TRACK5_0.DAT");
  model.TrackSelClick(4);
  model.TakeSelClick(4, 0);
  model.TrackSelClick(5);
  model.TakeSelClick(5, 0);
  int blocks = 0;
  ConversionHooks cancel;
  cancel.betweenBlocks = [&] { return ++blocks > 1; };
  EXPECT_EQ(ImportAudioFile(model, out / "in.wav", cancel).outcome, ConversionResult::Aborted);
  EXPECT_EQ(ReadBytes(song / "TRACK4_0.DAT"), chords);
  EXPECT_EQ(ReadBytes(song / "TRACK5_0.DAT"), bass);
  EXPECT_EQ(model.TakeSel[4][0].caption, "Chords  ");
  EXPECT_FALSE(hasSideFile(song.path()));
}

TEST_F(Faults, AReadErrorInTheSourceChangesNoTake) {
  WriteWithSndfile(out / "in.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, Ramp(80000));
  const auto chords = ReadBytes(song / "TRACK4_0.DAT");
  model.TrackSelClick(4);
  model.TakeSelClick(4, 0);
  // The disk fails at every point of the file in turn: the import reads it
  // in eight reads (its header, then one for each of the three blocks of
  // samples), and a ninth would find it whole.
  for (long goodReads = 0; goodReads <= 7; ++goodReads) {
    SCOPED_TRACE(goodReads);
    FaultInjection::FailReadsOf("in.wav", EIO, goodReads);
    const auto result = ImportAudioFile(model, out / "in.wav", {});
    FaultInjection::Reset();
    EXPECT_EQ(result.outcome, ConversionResult::Failed);
    EXPECT_STREQ(result.message, messages::SourceNotRead);
    EXPECT_EQ(result.detail, (out / "in.wav").string() + " (Input/output error)");
    EXPECT_EQ(ReadBytes(song / "TRACK4_0.DAT"), chords);
    EXPECT_FALSE(hasSideFile(song.path()));
  }
}

TEST_F(Faults, ASourceLongerThanATakeCanHoldIsRefusedBeforeAnythingIsWritten) {
  // A sparse 4 GiB WAV whose data chunk claims 2^31 mono samples.
  const fs::path huge = out / "huge.wav";
  std::vector<uint8_t> header = {'R', 'I', 'F', 'F', 0xFC, 0xFF, 0xFF, 0xFF, 'W', 'A', 'V', 'E',
                                 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0, 0x44, 0xAC, 0, 0,
                                 0x88, 0x58, 1, 0, 2, 0, 16, 0, 'd', 'a', 't', 'a', 0xD8, 0xFF, 0xFF, 0xFF};
  WriteBytes(huge, header);
  fs::resize_file(huge, 0x100000000ull);
  model.TrackSelClick(0);
  model.TakeSelClick(0, 0);
  const auto result = ImportAudioFile(model, huge, {});
  EXPECT_EQ(result.outcome, ConversionResult::Failed);
  EXPECT_STREQ(result.message, messages::SourceTooLong);
  EXPECT_FALSE(fs::exists(song / "TRACK0_0.DAT"));
}

TEST_F(Faults, AFailedRenameLeavesTheOldCaption) {
  FaultInjection::FailNthWrite(1, EIO);
  EXPECT_STREQ(RenameTake(model, 4, 0, "Keys").message, messages::TakeNotWritten);
  EXPECT_EQ(model.TakeSel[4][0].caption, "Chords  ");
}

TEST_F(Faults, OfTwoSpellingsOfATakeFileOneIsUsedForEverything) {
  WriteTake(song / "TRACK0_0.DAT", "Long", Ramp(88200));
  WriteTake(song / "track0_0.dat", "Short", Ramp(1000));
  ASSERT_TRUE(model.DirTreeChange(song.path().string()));
  EXPECT_EQ(model.TakeLength(0, 0), 88200);
  EXPECT_EQ(model.TakeSel[0][0].caption, "Long    ");
  EXPECT_EQ(model.TakePath(0, 0).filename(), "TRACK0_0.DAT");
  ASSERT_EQ(model.IgnoredTakeFiles.size(), 1u);
  EXPECT_EQ(model.IgnoredTakeFiles[0].filename(), "track0_0.dat");
}

TEST_F(Faults, AHeaderClaimingThousandsOfChannelsIsImportedInBoundedMemory) {
  // 65,535 channels of 16 bits: 131,070 bytes a frame, two frames.
  std::vector<uint8_t> wav = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,
                              1, 0, 0xFF, 0xFF, 0x44, 0xAC, 0, 0, 0, 0, 0, 0, 0xFE, 0xFF, 16, 0,
                              'd', 'a', 't', 'a', 0xFC, 0xFF, 0x03, 0};
  wav.resize(wav.size() + 2 * 131070, 0x11);
  WriteBytes(out / "wide.wav", wav);
  // Channels x 32,768 frames of 16 bits would be 4.2 GB; the import keeps
  // to its bounded pieces. (AddressSanitizer's own bookkeeping costs more.)
#if defined(__SANITIZE_ADDRESS__)
  constexpr long PeakLimitKiB = 256 * 1024;
#else
  constexpr long PeakLimitKiB = 64 * 1024;
#endif
  const fs::path peak = out / "peak";
  const auto result = RunCommand("/usr/bin/time -f %M -o " + Quoted(peak.string()) + " " + std::string(TP_CLI_PATH) +
                                 " import " + Quoted(song.path().string()) + " " +
                                 Quoted((out / "wide.wav").string()) + " --to 1-1");
  const auto peakText = ReadBytes(peak);
  EXPECT_LT(std::stol(std::string(peakText.begin(), peakText.end())), PeakLimitKiB);
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(ReadBytes(song / "TRACK0_0.DAT").size(), 65536u + 2 * 32768);
}

TEST_F(Faults, AFifoGivenAsASourceIsRefusedAtOnce) {
  ASSERT_EQ(::mkfifo((out / "pipe.wav").c_str(), 0600), 0);
  model.TrackSelClick(0);
  model.TakeSelClick(0, 0);
  const ConversionResult result = ImportAudioFile(model, out / "pipe.wav", {});
  EXPECT_STREQ(result.message, messages::SourceNotRead);
  EXPECT_EQ(result.detail, (out / "pipe.wav").string() + " is not a regular file.");
}

}  // namespace
}  // namespace tp
