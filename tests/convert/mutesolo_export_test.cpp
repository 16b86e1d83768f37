// The export's mixdown with mute and solo, and its count of clipped samples,
// against the reference mix of the takes worked out sample by sample; a
// one-take and a master export ignore the mixer.
#include "convert/exportengine.h"
#include "project/projectmodel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/projectfixture.h"
#include "support/referencemix.h"
#include "support/sndfileio.h"

namespace tp {
namespace {

using namespace tp::test;

// The data chunk of a WAV file as bytes, found by walking its chunks.
std::vector<uint8_t> WavData(const std::vector<uint8_t>& file) {
  size_t at = 12;
  while (at + 8 <= file.size()) {
    const uint32_t size = uint32_t(file[at + 4]) | uint32_t(file[at + 5]) << 8 | uint32_t(file[at + 6]) << 16 |
                          uint32_t(file[at + 7]) << 24;
    if (std::memcmp(&file[at], "data", 4) == 0)
      return {file.begin() + long(at + 8), file.begin() + long(std::min(file.size(), at + 8 + size))};
    at += 8 + size + (size & 1);
  }
  return {};
}

std::vector<uint8_t> LittleEndianBytes(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> bytes;
  for (int16_t s : samples) {
    bytes.push_back(uint8_t(uint16_t(s)));
    bytes.push_back(uint8_t(uint16_t(s) >> 8));
  }
  return bytes;
}

// Four tracks: 1, 2, 5 and 16 (slots 0, 1, 4, 15), each with its own volume
// and pan, loud enough together to clip now and then.
class MixdownExport : public ::testing::Test {
 protected:
  static constexpr size_t Length = 50000;  // two blocks in the file

  void SetUp() override {
    WriteProjectInfo(folder.path(), "Song");
    const struct {
      int track;
      std::vector<int16_t> samples;
      int volume, pan;
    } takes[] = {{0, Sine(Length, 20000, 100), 100, 50},
                 {1, Ramp(Length - 9000, -32000, 3), 90, 20},
                 {4, Sine(Length, 14000, 37), 115, 70},
                 {15, Ramp(Length, 25000, -1), 60, 100}};
    for (const auto& take : takes) {
      WriteTake(folder / TakeFileName(take.track, 0), "T" + std::to_string(take.track), take.samples);
      tracks[size_t(take.track)] = {take.samples, take.volume, take.pan, true};
      mixer.volume[take.track] = take.volume;
      mixer.pan[take.track] = take.pan;
    }
    ASSERT_TRUE(model.DirTreeChange(folder.path().string()));
    for (const auto& take : takes) model.TakeSelClick(take.track, 0);
  }

  ConversionResult run(const std::string& name) {
    ExportRequest request;
    request.selection = model.PlaybackSelection();
    request.length = model.View.sliderMax;
    request.output = folder / name;
    request.mixer = &mixer;
    return ExportTakes(request, {});
  }

  // The reference mix padded with silence to the file's whole blocks.
  ReferenceMixResult expected(uint32_t heard) {
    auto heardTracks = tracks;
    for (int strip = 0; strip < 16; ++strip) heardTracks[size_t(strip)].heard = (heard >> strip) & 1;
    return ReferenceMix(heardTracks, 2 * ConversionBlockFrames);
  }

  TempFolder folder;
  ProjectModel model;
  MixerSettings mixer;
  std::array<ReferenceTrack, 16> tracks;
};

TEST_F(MixdownExport, WithoutMuteOrSoloTheFileHoldsTheReferenceMixByteForByte) {
  const ConversionResult result = run("mix.wav");
  ASSERT_EQ(result.outcome, ConversionResult::Converted) << result.detail;
  const std::vector<uint8_t> data = WavData(ReadBytes(folder / "mix.wav"));
  const ReferenceMixResult reference = expected(0xffff);
  ASSERT_GT(reference.clippedSamples, 0u) << "the fixture is meant to clip";
  EXPECT_TRUE(data == LittleEndianBytes(reference.stereo));
  EXPECT_EQ(result.clippedSamples, reference.clippedSamples);
}

TEST_F(MixdownExport, HoldsExactlyTheTracksThatMuteAndSoloLetThrough) {
  const struct {
    const char* what;
    std::vector<int> muted, soloed;
    uint32_t heard;  // bits of strips
  } cases[] = {
      {"mute track 2", {1}, {}, 0x8011},
      {"mute tracks 1 and 16", {0, 15}, {}, 0x0012},
      {"solo track 5", {}, {4}, 0x0010},
      {"solo tracks 1 and 16", {}, {0, 15}, 0x8001},
      {"solo 2 and 5, mute 5", {4}, {1, 4}, 0x0002},
      {"solo a track without a take", {}, {7}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    mixer.Reset();
    for (int strip = 0; strip < 16; ++strip) {
      mixer.volume[strip] = tracks[size_t(strip)].volume;
      mixer.pan[strip] = tracks[size_t(strip)].pan;
    }
    for (int track : c.muted) mixer.mute[track] = true;
    for (int track : c.soloed) mixer.solo[track] = true;
    const ConversionResult result = run("mix.wav");
    ASSERT_EQ(result.outcome, ConversionResult::Converted);
    const SoundData data = ReadWithSndfile(folder / "mix.wav");
    ASSERT_EQ(data.frames, int64_t(2 * ConversionBlockFrames));
    const ReferenceMixResult reference = expected(c.heard);
    EXPECT_TRUE(data.samples == reference.stereo);
    EXPECT_EQ(result.clippedSamples, reference.clippedSamples);
    std::filesystem::remove(folder / "mix.wav");
  }
}

TEST(OneTakeAndMasterExports, IgnoreMuteAndSolo) {
  TempFolder folder;
  WriteProjectInfo(folder.path(), "Song");
  const auto take = Ramp(3000, -32768, 0);  // full scale, and never counted as clipped
  WriteTake(folder / "TRACK3_0.DAT", "Solo", take);
  WriteTake(folder / "TRACKL_0.DAT", "Final", Ramp(2000, 7));
  WriteTake(folder / "TRACKR_0.DAT", "Final", Ramp(2000, -7, -1));
  ProjectModel model;
  ASSERT_TRUE(model.DirTreeChange(folder.path().string()));
  MixerSettings mixer;
  mixer.mute[3] = true;
  mixer.mute[0] = mixer.mute[1] = true;
  mixer.solo[9] = true;
  ExportRequest request;
  request.mixer = &mixer;

  model.TakeSelClick(3, 0);
  request.selection = model.PlaybackSelection();
  request.length = model.View.sliderMax;
  request.output = folder / "one.wav";
  const ConversionResult single = ExportTakes(request, {});
  ASSERT_EQ(single.outcome, ConversionResult::Converted);
  EXPECT_EQ(single.clippedSamples, 0u);
  const SoundData one = ReadWithSndfile(folder / "one.wav");
  EXPECT_TRUE(std::equal(take.begin(), take.end(), one.samples.begin()));

  model.MasTakeSelClick(0);
  model.MasterSelClick(true);
  request.selection = model.PlaybackSelection();
  request.length = model.View.sliderMax;
  request.output = folder / "master.wav";
  const ConversionResult result = ExportTakes(request, {});
  ASSERT_EQ(result.outcome, ConversionResult::Converted);
  EXPECT_EQ(result.clippedSamples, 0u);
  const SoundData master = ReadWithSndfile(folder / "master.wav");
  EXPECT_EQ(master.samples[0], 7);
  EXPECT_EQ(master.samples[1], -7);
  EXPECT_EQ(master.samples[2 * 1999], 7 + 1999);
}

TEST(ClippedSamplesText, SaysNothingForACleanMixAndCountsTheRest) {
  EXPECT_EQ(ClippedSamplesText(0), "");
  EXPECT_EQ(ClippedSamplesText(1), "1 sample clipped");
  EXPECT_EQ(ClippedSamplesText(312), "312 samples clipped");
  EXPECT_EQ(ClippedSamplesText(5000000000ull), "5000000000 samples clipped");
}

}  // namespace
}  // namespace tp
