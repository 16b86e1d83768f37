#include "convert/importengine.h"

#include <gtest/gtest.h>

#include "audiofile/byteorder.h"
#include "project/messages.h"
#include "support/filesizelimit.h"
#include "support/projectfixture.h"
#include "support/sndfileio.h"

#include <unistd.h>

namespace tp {
namespace {

using namespace tp::test;

// A take file as written: header fields and the samples after it.
struct TakeOnDisk {
  uint32_t channelIndex, trackNumber;
  std::string name;
  std::vector<int16_t> samples;
};

TakeOnDisk readTake(const std::filesystem::path& file) {
  const auto bytes = ReadBytes(file);
  EXPECT_GE(bytes.size(), 65536u);
  TakeOnDisk take{readU32LE(&bytes[512]), readU32LE(&bytes[516]),
                  std::string(bytes.begin() + 1024, bytes.begin() + 1032), {}};
  for (size_t i = 65536; i + 1 < bytes.size(); i += 2) take.samples.push_back(int16_t(readU16LE(&bytes[i])));
  return take;
}

class Import : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteProjectInfo(folder.path(), "Song");
    ASSERT_TRUE(model.DirTreeChange(folder.path().string()));
  }
  std::filesystem::path source(const std::string& name, int format, int channels, const std::vector<int16_t>& samples,
                               int rate = 44100) {
    const auto path = sources / name;
    WriteWithSndfile(path, format, channels, rate, samples);
    return path;
  }
  ConversionResult run(const std::filesystem::path& file, ConversionHooks hooks = {}) {
    return ImportAudioFile(model, file, hooks);
  }
  void leftOverSideFiles() {
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
      EXPECT_EQ(entry.path().filename().string().find(".part"), std::string::npos) << entry.path();
  }

  TempFolder folder, sources;
  ProjectModel model;
};

constexpr int Wav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

TEST_F(Import, AMonoFileFillsWholeBlocksOfItsTakeAndNamesIt) {
  const auto samples = Ramp(100000, -30000);
  model.TrackSelClick(1);
  model.TakeSelClick(1, 3);
  const auto result = run(source("Kick drum.wav", Wav16, 1, samples));
  ASSERT_EQ(result.outcome, ConversionResult::Converted) << result.message;

  const TakeOnDisk take = readTake(folder / "TRACK1_3.DAT");
  EXPECT_EQ(take.channelIndex, 0u);
  EXPECT_EQ(take.trackNumber, 1u);
  EXPECT_EQ(take.name, "Kick dru");
  ASSERT_EQ(take.samples.size(), 131072u);
  EXPECT_TRUE(std::equal(samples.begin(), samples.end(), take.samples.begin()));
  EXPECT_TRUE(std::all_of(take.samples.begin() + 100000, take.samples.end(), [](int16_t s) { return s == 0; }));
  EXPECT_EQ(model.TakeLength(1, 3), 131072);
  EXPECT_TRUE(model.TakeSel[1][3].assigned);
  EXPECT_EQ(model.TakeSel[1][3].caption, "Kick dru");
  EXPECT_EQ(model.View.trackTimes[1], FormatTakeTime(131072));
}

TEST_F(Import, AStereoFileIsSplitOverTwoTracks) {
  std::vector<int16_t> stereo;
  for (int n = 0; n < 1000; ++n) { stereo.push_back(int16_t(n)); stereo.push_back(int16_t(-n)); }
  model.TrackSelClick(0);
  model.TrackSelClick(1);
  model.TakeSelClick(0, 0);
  model.TakeSelClick(1, 2);
  ASSERT_EQ(run(source("Guitar solo.aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2, stereo)).outcome,
            ConversionResult::Converted);
  const TakeOnDisk left = readTake(folder / "TRACK0_0.DAT");
  const TakeOnDisk right = readTake(folder / "TRACK1_2.DAT");
  EXPECT_EQ(left.name, "Guitar L");
  EXPECT_EQ(right.name, "Guitar R");
  EXPECT_EQ(left.channelIndex, 0u);
  EXPECT_EQ(right.channelIndex, 1u);
  EXPECT_EQ(right.trackNumber, 1u);
  EXPECT_EQ(left.samples[999], 999);
  EXPECT_EQ(right.samples[999], -999);
  EXPECT_EQ(right.samples.size(), 32768u);
}

TEST_F(Import, AStereoFileWithOneTargetKeepsOnlyTheLeftChannel) {
  std::vector<int16_t> stereo = {10, -10, 20, -20};
  model.TrackSelClick(5);
  model.TakeSelClick(5, 0);
  ASSERT_EQ(run(source("st.wav", Wav16, 2, stereo)).outcome, ConversionResult::Converted);
  const TakeOnDisk take = readTake(folder / "TRACK5_0.DAT");
  EXPECT_EQ(take.name, "st     L");
  EXPECT_EQ(take.samples[1], 20);
}

TEST_F(Import, AMonoFileWithTwoTargetsGoesToTheFirstOnly) {
  model.TrackSelClick(2);
  model.TrackSelClick(3);
  model.TakeSelClick(2, 0);
  model.TakeSelClick(3, 0);
  ASSERT_EQ(run(source("mono.wav", Wav16, 1, Ramp(10))).outcome, ConversionResult::Converted);
  EXPECT_TRUE(std::filesystem::exists(folder / "TRACK2_0.DAT"));
  EXPECT_FALSE(std::filesystem::exists(folder / "TRACK3_0.DAT"));
}

TEST_F(Import, AFirstTrackWithoutATakeLeavesTheSecondAsTheOnlyTarget) {
  model.TrackSelClick(2);
  model.TrackSelClick(3);
  model.TakeSelClick(3, 4);
  ASSERT_EQ(run(source("mono.wav", Wav16, 1, Ramp(10))).outcome, ConversionResult::Converted);
  EXPECT_TRUE(std::filesystem::exists(folder / "TRACK3_4.DAT"));
  for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
    EXPECT_EQ(entry.path().filename().string().find("-1"), std::string::npos);
}

TEST_F(Import, AMonoFileInMasterModeFillsBothFiles) {
  model.MasTakeSelClick(4);
  model.MasterSelClick(true);
  const auto samples = Ramp(500, 7);
  ASSERT_EQ(run(source("take.one.wav", Wav16, 1, samples)).outcome, ConversionResult::Converted);
  const TakeOnDisk left = readTake(folder / "TRACKL_4.DAT");
  const TakeOnDisk right = readTake(folder / "TRACKR_4.DAT");
  EXPECT_EQ(left.name, "take.one");
  EXPECT_EQ(right.name, "take.one");
  EXPECT_EQ(left.trackNumber, 16u);
  EXPECT_EQ(right.trackNumber, 17u);
  EXPECT_EQ(right.channelIndex, 1u);
  EXPECT_EQ(left.samples, right.samples);
  EXPECT_EQ(left.samples[499], 7 + 499);
  EXPECT_TRUE(model.MasTakeSel[4].assigned);
  EXPECT_EQ(model.MasTakeSel[4].caption, "take.one");
  EXPECT_EQ(model.View.masterTime, FormatTakeTime(32768));
}

TEST_F(Import, MoreThanTwoChannelsGiveChannelsZeroAndOne) {
  std::vector<int16_t> four = {1, 2, 3, 4, 5, 6, 7, 8};
  model.MasTakeSelClick(0);
  model.MasterSelClick(true);
  ASSERT_EQ(run(source("quad.wav", Wav16, 4, four)).outcome, ConversionResult::Converted);
  EXPECT_EQ(readTake(folder / "TRACKL_0.DAT").samples[1], 5);
  EXPECT_EQ(readTake(folder / "TRACKR_0.DAT").samples[1], 6);
}

TEST_F(Import, EightBitSamplesBecomeSixteenBitByTheirFormatsRule) {
  struct Case { const char* name; int format; } cases[] = {
      {"u8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8}, {"s8.aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_S8}};
  model.TrackSelClick(0);
  model.TakeSelClick(0, 0);
  for (const auto& c : cases) {
    // libsndfile stores -32768 as byte 00 (unsigned WAV) or 80 (signed AIFF),
    // and 0 as 80 (WAV) or 00 (AIFF); both must come back as written.
    ASSERT_EQ(run(source(c.name, c.format, 1, {-32768, 0, 256})).outcome, ConversionResult::Converted);
    const auto samples = readTake(folder / "TRACK0_0.DAT").samples;
    EXPECT_EQ(samples[0], -32768) << c.name;
    EXPECT_EQ(samples[1], 0) << c.name;
    EXPECT_EQ(samples[2], 256) << c.name;
  }
}

TEST_F(Import, AnyRateIsCopiedSampleForSample) {
  model.TrackSelClick(0);
  model.TakeSelClick(0, 0);
  const auto samples = Ramp(48000, -24000);
  ASSERT_EQ(run(source("48k.wav", Wav16, 1, samples, 48000)).outcome, ConversionResult::Converted);
  const auto take = readTake(folder / "TRACK0_0.DAT").samples;
  EXPECT_TRUE(std::equal(samples.begin(), samples.end(), take.begin()));
}

TEST_F(Import, BlockCountsAtTheEdges) {
  model.TrackSelClick(0);
  model.TakeSelClick(0, 0);
  ASSERT_EQ(run(source("exact.wav", Wav16, 1, Ramp(65536))).outcome, ConversionResult::Converted);
  EXPECT_EQ(readTake(folder / "TRACK0_0.DAT").samples.size(), 65536u);
  EXPECT_EQ(model.TakeLength(0, 0), 65536);
  ASSERT_EQ(run(source("empty.wav", Wav16, 1, {})).outcome, ConversionResult::Converted);
  EXPECT_EQ(std::filesystem::file_size(folder / "TRACK0_0.DAT"), 65536u);
  EXPECT_EQ(model.TakeLength(0, 0), 0);
  EXPECT_TRUE(model.TakeSel[0][0].assigned);
}

TEST_F(Import, AnAbortKeepsTheBlocksWrittenSoFar) {
  model.TrackSelClick(0);
  model.TakeSelClick(0, 0);
  int calls = 0;
  ConversionHooks hooks;
  hooks.betweenBlocks = [&] { return ++calls > 1; };
  const auto result = run(source("long.wav", Wav16, 1, Ramp(100000)), hooks);
  EXPECT_EQ(result.outcome, ConversionResult::Aborted);
  EXPECT_EQ(readTake(folder / "TRACK0_0.DAT").samples.size(), 32768u);
  EXPECT_EQ(model.TakeLength(0, 0), 32768);
}

TEST_F(Import, AFileThatIsNotAudioChangesNothing) {
  model.TrackSelClick(0);
  model.TakeSelClick(0, 0);
  WriteBytes(sources / "notes.wav", {'h', 'e', 'l', 'l', 'o'});
  EXPECT_STREQ(run(sources / "notes.wav").message, messages::NotWavOrAiff);
  EXPECT_FALSE(std::filesystem::exists(folder / "TRACK0_0.DAT"));
}

class ImportOverExistingTake : public Import {
 protected:
  void SetUp() override {
    Import::SetUp();
    WriteTake(folder / "TRACK0_0.DAT", "Keep", Ramp(1000));
    original = ReadBytes(folder / "TRACK0_0.DAT");
    ASSERT_TRUE(model.DirTreeChange(folder.path().string()));
    model.TrackSelClick(0);
    model.TakeSelClick(0, 0);
    model.TrackSelClick(1);
    model.TakeSelClick(1, 0);
  }
  std::vector<uint8_t> original;
};

TEST_F(ImportOverExistingTake, ATargetThatCannotBeCreatedLeavesEveryTakeAsItWas) {
  const auto input = source("st.wav", Wav16, 2, Ramp(2000));
  // The second take is read-only: it may not be replaced, so neither is
  // the first.
  WriteTake(folder / "TRACK1_0.DAT", "Locked", Ramp(10));
  std::filesystem::permissions(folder / "TRACK1_0.DAT", std::filesystem::perms::owner_read);
  const auto locked = ReadBytes(folder / "TRACK1_0.DAT");
  EXPECT_STREQ(run(input).message, messages::TargetNotOpened);
  EXPECT_EQ(ReadBytes(folder / "TRACK0_0.DAT"), original);
  EXPECT_EQ(ReadBytes(folder / "TRACK1_0.DAT"), locked);
  EXPECT_EQ(model.TakeSel[0][0].caption, "Keep    ");
}

TEST_F(ImportOverExistingTake, AWriteThatFailsLeavesEveryTakeAsItWas) {
  const auto input = source("big.wav", Wav16, 2, Ramp(400000));
  ConversionResult result;
  {
    FileSizeLimit limit(300000);
    result = run(input);
  }
  EXPECT_EQ(result.outcome, ConversionResult::Failed);
  EXPECT_STREQ(result.message, messages::TakeNotWritten);
  EXPECT_EQ(ReadBytes(folder / "TRACK0_0.DAT"), original);
  EXPECT_FALSE(std::filesystem::exists(folder / "TRACK1_0.DAT"));
  EXPECT_EQ(model.TakeLength(0, 0), 1000);
  leftOverSideFiles();
}

// Another import wrote the take after this one looked at the song (the scan
// showed it empty): only a caller that agreed to replace takes replaces it.
TEST_F(Import, ATakeThatAppearedAfterTheScanIsReplacedOnlyWhenTheCallerAgreed) {
  struct Case {
    ExistingTakes existing;
    bool replaced;
  } cases[] = {{ExistingTakes::Refuse, false}, {ExistingTakes::Replace, true}};
  const auto input = source("mine.wav", Wav16, 1, Ramp(3000, 7));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.replaced);
    std::filesystem::remove(folder / "TRACK4_0.DAT");
    ASSERT_TRUE(model.DirTreeChange(folder.path().string()));
    model.TrackSelClick(4);
    model.TakeSelClick(4, 0);
    ASSERT_FALSE(model.TakeSel[4][0].assigned);
    WriteTake(folder / "TRACK4_0.DAT", "Theirs", Ramp(700));
    const auto theirs = ReadBytes(folder / "TRACK4_0.DAT");

    const auto result = ImportAudioFile(model, input, {}, SongLock::Wait::Yes, RateHandling::KeepSamples, c.existing);
    if (c.replaced) {
      EXPECT_EQ(result.outcome, ConversionResult::Converted) << result.message;
      EXPECT_EQ(readTake(folder / "TRACK4_0.DAT").name, "mine    ");
    } else {
      EXPECT_EQ(result.outcome, ConversionResult::Failed);
      EXPECT_STREQ(result.message, messages::TargetHoldsTake);
      EXPECT_EQ(result.detail, (folder / "TRACK4_0.DAT").string());
      EXPECT_EQ(ReadBytes(folder / "TRACK4_0.DAT"), theirs);
      EXPECT_FALSE(model.TakeSel[4][0].assigned) << "nothing new is shown";
    }
    leftOverSideFiles();
  }
}

}  // namespace
}  // namespace tp
