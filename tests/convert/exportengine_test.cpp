#include "convert/exportengine.h"
#include "project/projectmodel.h"
#include "convert/exportformat.h"

#include <gtest/gtest.h>

#include "project/messages.h"
#include "support/filesizelimit.h"
#include "support/projectfixture.h"
#include "support/sndfileio.h"

namespace tp {
namespace {

using namespace tp::test;

class Export : public ::testing::Test {
 protected:
  void SetUp() override { WriteProjectInfo(folder.path(), "Song"); }

  ProjectModel& scan() {
    EXPECT_TRUE(model.DirTreeChange(folder.path().string()));
    return model;
  }
  ConversionResult run(const std::string& outName, AudioFormat format = FormatWav, ConversionHooks hooks = {}) {
    ExportRequest request;
    request.selection = model.PlaybackSelection();
    request.length = model.View.sliderMax;
    request.output = folder / outName;
    request.format = format;
    request.mixer = &mixer;
    return ExportTakes(request, hooks);
  }

  TempFolder folder;
  ProjectModel model;
  MixerSettings mixer;
};

TEST_F(Export, OneTakeBecomesAMonoFileOfWholeBlocksWithASilentTail) {
  const auto take = Ramp(100000, -20000);
  WriteTake(folder / "TRACK0_0.DAT", "Kick", take);
  scan().TakeSelClick(0, 0);
  mixer.volume[0] = 0;  // a single take ignores the mixer

  const auto result = run("out.wav");
  ASSERT_EQ(result.outcome, ConversionResult::Converted) << result.message;
  EXPECT_STREQ(result.message, "Converted");

  const SoundData data = ReadWithSndfile(folder / "out.wav");
  EXPECT_EQ(data.channels, 1);
  EXPECT_EQ(data.frames, 131072);
  EXPECT_EQ(data.sampleRate, 44100);
  EXPECT_EQ(data.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  EXPECT_TRUE(std::equal(take.begin(), take.end(), data.samples.begin()));
  EXPECT_TRUE(std::all_of(data.samples.begin() + 100000, data.samples.end(), [](int16_t s) { return s == 0; }));
}

TEST_F(Export, SeveralTracksAreMixedToStereoThroughTheMixer) {
  const auto first = Ramp(50000, -25000), fifth = Ramp(40000, 1000, 0);  // fifth: constant 1000
  WriteTake(folder / "TRACK0_0.DAT", "One", first);
  WriteTake(folder / "TRACK4_3.DAT", "Five", fifth);
  scan().TakeSelClick(0, 0);
  model.TakeSelClick(4, 3);
  mixer.pan[4] = 0;  // track 5 hard left at unity

  ASSERT_EQ(run("mix.aif", FormatAiff).outcome, ConversionResult::Converted);
  const SoundData data = ReadWithSndfile(folder / "mix.aif");
  EXPECT_EQ(data.format, SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
  ASSERT_EQ(data.channels, 2);
  ASSERT_EQ(data.frames, 65536);
  auto left = [&](size_t n) { return data.samples[2 * n]; };
  auto right = [&](size_t n) { return data.samples[2 * n + 1]; };
  EXPECT_EQ(left(0), -25000 + 1000);
  EXPECT_EQ(right(0), -25000);
  EXPECT_EQ(left(39999), 14999 + 1000);
  EXPECT_EQ(left(40000), 15000);  // only the first take from here on
  EXPECT_EQ(right(49999), 24999);
  EXPECT_EQ(left(50000), 0);
  EXPECT_EQ(right(65535), 0);
}

TEST_F(Export, AMasterTakeBecomesAnUnmixedStereoPair) {
  WriteTake(folder / "TRACKL_2.DAT", "Final", Ramp(1000, 5));
  WriteTake(folder / "TRACKR_2.DAT", "Final", Ramp(1000, -5, -1));
  scan().MasTakeSelClick(2);
  model.MasterSelClick(true);
  mixer.volume[0] = 3;
  mixer.pan[1] = 0;

  ASSERT_EQ(run("master.wav").outcome, ConversionResult::Converted);
  const SoundData data = ReadWithSndfile(folder / "master.wav");
  ASSERT_EQ(data.channels, 2);
  EXPECT_EQ(data.frames, 32768);  // shorter than a block: one whole block
  for (size_t n : {0u, 1u, 999u}) {
    EXPECT_EQ(data.samples[2 * n], int16_t(5 + n));
    EXPECT_EQ(data.samples[2 * n + 1], int16_t(-5 - int(n)));
  }
  EXPECT_EQ(data.samples[2 * 1000], 0);
}

TEST_F(Export, AnAbortKeepsTheBlocksWrittenInACompleteFile) {
  WriteTake(folder / "TRACK0_0.DAT", "Long", Ramp(100000));
  scan().TakeSelClick(0, 0);
  int calls = 0;
  ConversionHooks hooks;
  hooks.betweenBlocks = [&] { return ++calls > 1; };

  const auto result = run("cut.wav", FormatWav, hooks);
  EXPECT_EQ(result.outcome, ConversionResult::Aborted);
  EXPECT_STREQ(result.message, "Aborted");
  const SoundData data = ReadWithSndfile(folder / "cut.wav");
  EXPECT_EQ(data.frames, 32768);
  EXPECT_EQ(std::filesystem::file_size(folder / "cut.wav"), 46u + 2 * 32768);
}

TEST_F(Export, ATakeThatCannotBeOpenedStopsTheExportBeforeAnythingIsWritten) {
  WriteTake(folder / "TRACK0_0.DAT", "One", Ramp(100));
  WriteTake(folder / "TRACK1_0.DAT", "Two", Ramp(100));
  scan().TakeSelClick(0, 0);
  model.TakeSelClick(1, 0);
  std::filesystem::remove(folder / "TRACK1_0.DAT");

  const auto result = run("out.wav");
  EXPECT_EQ(result.outcome, ConversionResult::Failed);
  EXPECT_STREQ(result.message, messages::TakeNotOpened);
  EXPECT_FALSE(std::filesystem::exists(folder / "out.wav"));
}

TEST_F(Export, AnOutputThatCannotBeCreatedIsReported) {
  WriteTake(folder / "TRACK0_0.DAT", "One", Ramp(100));
  scan().TakeSelClick(0, 0);
  const auto result = run("no such folder/out.wav");
  EXPECT_STREQ(result.message, messages::OutputNotCreated);
}

TEST_F(Export, AWriteThatFailsRemovesThePartialFileAndKeepsTheOldOne) {
  WriteTake(folder / "TRACK0_0.DAT", "One", Ramp(200000));
  scan().TakeSelClick(0, 0);
  WriteBytes(folder / "out.wav", {1, 2, 3});

  ConversionResult result;
  {
    FileSizeLimit limit(100000);
    result = run("out.wav");
  }
  EXPECT_EQ(result.outcome, ConversionResult::Failed);
  EXPECT_STREQ(result.message, messages::OutputNotWritten);
  EXPECT_EQ(ReadBytes(folder / "out.wav"), (std::vector<uint8_t>{1, 2, 3}));
  for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
    EXPECT_EQ(entry.path().filename().string().find(".part"), std::string::npos) << entry.path();
}

TEST(ChooseExportFormat, FollowsTheExtensionAndTheChosenFilter) {
  struct Case { const char* name; AudioFormat chosen; AudioFormat format; const char* written; } cases[] = {
      {"song", FormatAiff, FormatAiff, "song.aif"},      {"song.aif", FormatWav, FormatAiff, "song.aif"},
      {"song.AIF", FormatWav, FormatAiff, "song.AIF"},   {"song.wav", FormatAiff, FormatWav, "song.wav"},
      {"song.txt", FormatAiff, FormatWav, "song.txt"},   {"song", FormatWav, FormatWav, "song"},
      {"my.song.aif", FormatWav, FormatAiff, "my.song.aif"}, {"song.aiff", FormatWav, FormatWav, "song.aiff"},
      {"song", FormatFlac, FormatFlac, "song.flac"},     {"song.FLAC", FormatWav, FormatFlac, "song.FLAC"},
      {"song.wav", FormatFlac, FormatWav, "song.wav"},   {"song.aif", FormatFlac, FormatAiff, "song.aif"}};
  for (const auto& c : cases) {
    const auto choice = ChooseExportFormat(std::filesystem::path("/tmp/x") / c.name, c.chosen);
    EXPECT_EQ(choice.format, c.format) << c.name;
    EXPECT_EQ(choice.fileName.filename(), c.written) << c.name;
  }
}

}  // namespace
}  // namespace tp
