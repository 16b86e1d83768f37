// Every channel of a multichannel file to as many tracks, and many files at
// once on consecutive tracks under one hold of the song's lock: the takes,
// their names and lengths read back from the disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "convert/importengine.h"
#include "convert/importpreparation.h"
#include "project/messages.h"
#include "storage/filehandle.h"
#include "support/projectfixture.h"
#include "support/sndfileio.h"

namespace tp {
namespace {

using namespace tp::test;
namespace fs = std::filesystem;

// Channel c of frame n holds c * 1000 + n % 1000 (negated on odd frames),
// so that every sample tells its channel.
std::vector<int16_t> telltaleChannels(int channels, size_t frames) {
  std::vector<int16_t> samples;
  for (size_t n = 0; n < frames; ++n)
    for (int c = 0; c < channels; ++c) samples.push_back(int16_t((n % 2 ? -1 : 1) * (c * 1000 + int(n % 1000))));
  return samples;
}

std::string takeName(const fs::path& take) {
  const auto bytes = ReadBytes(take);
  return std::string(bytes.begin() + TakeNameOffset, bytes.begin() + TakeNameOffset + 8);
}

class MultichannelAndBatch : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteProjectInfo(song.path(), "Song");
    ASSERT_TRUE(model.DirTreeChange(song.path().string()));
  }
  void TearDown() override { FaultInjection::Reset(); }
  std::vector<ImportTarget> tracksFrom(int firstTrack, int count, int take) {
    std::vector<ImportTarget> targets;
    for (int n = 0; n < count; ++n) targets.push_back({firstTrack + n, take});
    return targets;
  }
  bool anyTakeFileOtherThan(const std::vector<std::string>& names) const {
    for (const auto& entry : fs::directory_iterator(song.path())) {
      const std::string name = entry.path().filename().string();
      if (name != "PRJDATA.ini" && std::find(names.begin(), names.end(), name) == names.end()) return true;
    }
    return false;
  }
  bool anyTakeFile() const {
    for (const auto& entry : fs::directory_iterator(song.path()))
      if (entry.path().extension() == ".DAT" || entry.path().filename().string().find(".tmp") != std::string::npos)
        return true;
    return false;
  }
  TempFolder song, sources;
  ProjectModel model;
};

TEST_F(MultichannelAndBatch, EachChannelGoesToItsTargetUpToTheTargetsGiven) {
  struct Case {
    const char* file;
    int format;
    int targets;
  };
  // A 16-channel WAV (the program's own reader) and a 6-channel CAF
  // (libsndfile), each to as many tracks and to fewer.
  for (const Case& c : {Case{"Overheads.wav", SF_FORMAT_WAV, 16}, Case{"Overheads.wav", SF_FORMAT_WAV, 4},
                        Case{"Room mics.caf", SF_FORMAT_CAF, 6}, Case{"Room mics.caf", SF_FORMAT_CAF, 3}}) {
    SCOPED_TRACE(std::string(c.file) + " to " + std::to_string(c.targets));
    const int channels = c.format == SF_FORMAT_WAV ? 16 : 6;
    const auto samples = telltaleChannels(channels, 40000);
    WriteWithSndfile(sources / c.file, c.format | SF_FORMAT_PCM_16, channels, 44100, samples);
    ProjectModel model;
    ASSERT_TRUE(model.DirTreeChange(song.path().string()));
    model.TrackSelClick(0);
    model.TakeSelClick(0, 1);
    ImportPreparation prepared;
    ASSERT_TRUE(PrepareImport(model, sources / c.file, prepared).ok());
    RetargetImport(model, tracksFrom(0, c.targets, 1), prepared);
    const auto result = ImportPrepared(model, prepared, {});
    ASSERT_EQ(result.outcome, ConversionResult::Converted) << result.message << " " << result.detail;
    for (int track = 0; track < 16; ++track) {
      const fs::path take = song / TakeFileName(track, 1);
      if (track >= c.targets) {
        EXPECT_FALSE(fs::exists(take)) << track;
        continue;
      }
      const auto got = ReadTakeSamples(take);
      ASSERT_EQ(got.size(), 65536u);
      EXPECT_EQ(got, ChannelOf(samples, channels, track, got.size())) << "track " << track + 1;
    }
    // The channel's number within the 8 bytes of the name.
    const std::string stem = c.format == SF_FORMAT_WAV ? "Overhe" : "Room m";
    EXPECT_EQ(takeName(song / TakeFileName(0, 1)), stem + " 1");
    EXPECT_EQ(takeName(song / TakeFileName(2, 1)), stem + " 3");
    if (c.targets == 16) {
      EXPECT_EQ(takeName(song / TakeFileName(12, 1)), "Overh 13");
    }
    for (int track = 0; track < 16; ++track) fs::remove(song / TakeFileName(track, 1));
  }
}

TEST_F(MultichannelAndBatch, FilesGoToConsecutiveTracksFromTheFirstTarget) {
  // Mono and stereo files of different lengths; a stereo file takes two
  // tracks, as in the window.
  struct Source {
    const char* name;
    int channels;
    size_t frames;
  };
  const std::vector<Source> files = {
      {"Kick.wav", 1, 1000}, {"Overheads.aif", 2, 40000}, {"Bass.flac", 1, 70000},
      {"Keys.caf", 2, 100},  {"Vox.w64", 1, 5}};
  const int formats[] = {SF_FORMAT_WAV, SF_FORMAT_AIFF, SF_FORMAT_FLAC, SF_FORMAT_CAF, SF_FORMAT_W64};
  std::vector<fs::path> paths;
  std::vector<std::vector<int16_t>> written;
  for (size_t n = 0; n < files.size(); ++n) {
    written.push_back(telltaleChannels(files[n].channels, files[n].frames));
    paths.push_back(sources / files[n].name);
    WriteWithSndfile(paths.back(), formats[n] | SF_FORMAT_PCM_16, files[n].channels, 44100, written.back());
  }
  std::vector<ImportPreparation> prepared;
  ASSERT_TRUE(PrepareBatch(model, paths, 2, 1, prepared).ok());  // --from 3-2
  size_t imported = 0;
  const auto result = ImportBatch(model, prepared, {}, SongLock::Wait::No, RateHandling::KeepSamples,
                                  ExistingTakes::Refuse, &imported);
  ASSERT_EQ(result.outcome, ConversionResult::Converted) << result.message << " " << result.detail;
  EXPECT_EQ(imported, 5u);
  struct Expected {
    int track, file, channel;
    const char* name;
    size_t length;
  };
  for (const Expected& e : {Expected{2, 0, 0, "Kick    ", 32768}, Expected{3, 1, 0, "OverheaL", 65536},
                            Expected{4, 1, 1, "OverheaR", 65536}, Expected{5, 2, 0, "Bass    ", 98304},
                            Expected{6, 3, 0, "Keys   L", 32768}, Expected{7, 3, 1, "Keys   R", 32768},
                            Expected{8, 4, 0, "Vox     ", 32768}}) {
    SCOPED_TRACE(e.track + 1);
    const fs::path take = song / TakeFileName(e.track, 1);
    const auto got = ReadTakeSamples(take);
    EXPECT_EQ(got.size(), e.length);
    EXPECT_EQ(got, ChannelOf(written[size_t(e.file)], files[size_t(e.file)].channels, e.channel, e.length));
    EXPECT_EQ(takeName(take), e.name);
    EXPECT_EQ(model.TakeLength(e.track, 1), int32_t(e.length));
  }
  EXPECT_FALSE(fs::exists(song / TakeFileName(9, 1)));
  EXPECT_FALSE(fs::exists(song / TakeFileName(1, 1)));
}

TEST_F(MultichannelAndBatch, ABatchThatDoesNotFitIsRefusedBeforeAnythingIsWritten) {
  std::vector<fs::path> paths;
  for (int n = 0; n < 4; ++n) {
    paths.push_back(sources / ("s" + std::to_string(n) + ".wav"));
    WriteWithSndfile(paths.back(), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, telltaleChannels(2, 100));
  }
  // From track 11, four stereo files need tracks 11 to 18: three fit.
  std::vector<ImportPreparation> prepared;
  const Status status = PrepareBatch(model, paths, 10, 0, prepared);
  EXPECT_TRUE(status.Is(messages::FilesDoNotFit));
  EXPECT_EQ(status.Detail(), "3 of the 4 files fit from track 11");
  EXPECT_FALSE(anyTakeFile());
}

TEST_F(MultichannelAndBatch, AReadErrorInTheThirdFileKeepsTheFirstTwoAndTouchesNothingAfter) {
  std::vector<fs::path> paths;
  for (int n = 0; n < 5; ++n) {
    paths.push_back(sources / ("f" + std::to_string(n) + ".wav"));
    WriteWithSndfile(paths.back(), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, Ramp(80000, n * 100));
  }
  WriteTake(song / TakeFileName(3, 0), "Old", Ramp(10));
  WriteTake(song / TakeFileName(4, 0), "Old", Ramp(10));
  ASSERT_TRUE(model.DirTreeChange(song.path().string()));
  const auto fourth = ReadBytes(song / TakeFileName(3, 0)), fifth = ReadBytes(song / TakeFileName(4, 0));
  // The disk fails in the third file after the reads its preparation made:
  // the fewest good reads that let every file be prepared.
  bool failedInTheImport = false;
  for (long goodReads = 0; goodReads < 20 && !failedInTheImport; ++goodReads) {
    FaultInjection::FailReadsOf("f2.wav", EIO, goodReads);
    std::vector<ImportPreparation> prepared;
    if (!PrepareBatch(model, paths, 0, 0, prepared).ok()) continue;
    size_t imported = 0;
    const auto result = ImportBatch(model, prepared, {}, SongLock::Wait::No, RateHandling::KeepSamples,
                                    ExistingTakes::Replace, &imported);
    FaultInjection::Reset();
    failedInTheImport = true;
    EXPECT_EQ(result.outcome, ConversionResult::Failed);
    EXPECT_STREQ(result.message, messages::SourceNotRead);
    EXPECT_EQ(result.detail, (sources / "f2.wav").string() + " (Input/output error)");
    EXPECT_EQ(imported, 2u);
    EXPECT_EQ(NoteLines(result),
              std::vector<std::string>{"Track01-1 and Track02-1 were written; Track03-1 to Track05-1 are untouched."});
  }
  ASSERT_TRUE(failedInTheImport);
  EXPECT_EQ(ReadTakeSamples(song / TakeFileName(0, 0)), ChannelOf(Ramp(80000, 0), 1, 0, 98304));
  EXPECT_EQ(ReadTakeSamples(song / TakeFileName(1, 0)), ChannelOf(Ramp(80000, 100), 1, 0, 98304));
  EXPECT_FALSE(fs::exists(song / TakeFileName(2, 0)));
  EXPECT_EQ(ReadBytes(song / TakeFileName(3, 0)), fourth);
  EXPECT_EQ(ReadBytes(song / TakeFileName(4, 0)), fifth);
}

TEST_F(MultichannelAndBatch, AFileCutShortAfterTheBatchWasCheckedIsAReadErrorNamingItNeverSilence) {
  std::vector<fs::path> paths;
  for (int n = 0; n < 4; ++n) {
    paths.push_back(sources / ("f" + std::to_string(n) + ".wav"));
    WriteWithSndfile(paths.back(), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, Ramp(300000, n * 100));
  }
  // The third file is cut to 2,000 bytes while the first is imported, and
  // again while the third itself is (after its first block).
  for (const uint64_t cutAt : {uint64_t(0), uint64_t(2 * 300000 + 1)}) {
    SCOPED_TRACE(cutAt);
    for (int n = 0; n < 4; ++n) fs::remove(song / TakeFileName(n, 0));
    WriteWithSndfile(paths[2], SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, Ramp(300000, 200));
    ASSERT_TRUE(model.DirTreeChange(song.path().string()));
    std::vector<ImportPreparation> prepared;
    ASSERT_TRUE(PrepareBatch(model, paths, 0, 0, prepared).ok());
    ConversionHooks hooks;
    bool cut = false;
    hooks.progress = [&](uint32_t position, uint32_t) {
      if (cut || position < cutAt) return;
      std::vector<uint8_t> bytes = ReadBytes(paths[2]);
      bytes.resize(2000);
      WriteBytes(paths[2], bytes);
      cut = true;
    };
    size_t imported = 0;
    const auto result = ImportBatch(model, prepared, hooks, SongLock::Wait::No, RateHandling::KeepSamples,
                                    ExistingTakes::Replace, &imported);
    ASSERT_TRUE(cut);
    EXPECT_EQ(result.outcome, ConversionResult::Failed);
    EXPECT_EQ(result.Text(), "The file could not be read: " + paths[2].string() +
                                 " (it holds fewer frames than when the import began)");
    EXPECT_EQ(imported, 2u);
    EXPECT_EQ(NoteLines(result),
              std::vector<std::string>{"Track01-1 and Track02-1 were written; Track03-1 to Track04-1 are untouched."});
    EXPECT_FALSE(fs::exists(song / TakeFileName(2, 0)));
    EXPECT_FALSE(fs::exists(song / TakeFileName(3, 0)));
    EXPECT_FALSE(anyTakeFileOtherThan({TakeFileName(0, 0), TakeFileName(1, 0)}));
  }
}

}  // namespace
}  // namespace tp
