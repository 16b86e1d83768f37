// FLAC sources: written by libsndfile here, read by the import through
// libsndfile on the program's file layer, and taken as a WAV would be.
#include <gtest/gtest.h>

#include <cerrno>

#include "audiofile/byteorder.h"
#include "convert/importengine.h"
#include "convert/importsource.h"
#include "project/messages.h"
#include "storage/filehandle.h"
#include "support/projectfixture.h"
#include "support/sndfileio.h"

namespace tp {
namespace {

using namespace tp::test;

class FlacImport : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteProjectInfo(song.path(), "Song");
    ASSERT_TRUE(model.DirTreeChange(song.path().string()));
  }
  void chooseTwoTracks() {
    model.TrackSelClick(0);
    model.TakeSelClick(0, 0);
    model.TrackSelClick(1);
    model.TakeSelClick(1, 0);
  }
  TempFolder song, sources;
  ProjectModel model;
};

TEST_F(FlacImport, AStereoFlacIsSplitOverTwoTracksSampleForSample) {
  std::vector<int16_t> stereo;
  for (int n = 0; n < 40000; ++n) {
    stereo.push_back(int16_t(n - 20000));
    stereo.push_back(int16_t(7 * n % 65536 - 32768));
  }
  const auto file = sources / "Bass line.flac";
  WriteWithSndfile(file, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, 44100, stereo);
  chooseTwoTracks();
  const auto result = ImportAudioFile(model, file, {});
  ASSERT_EQ(result.outcome, ConversionResult::Converted) << result.message << " " << result.detail;
  const auto left = test::ReadTakeSamples(song / "TRACK0_0.DAT"), right = test::ReadTakeSamples(song / "TRACK1_0.DAT");
  ASSERT_EQ(left.size(), 65536u);
  for (size_t n = 0; n < 40000; ++n) {
    ASSERT_EQ(left[n], stereo[2 * n]) << n;
    ASSERT_EQ(right[n], stereo[2 * n + 1]) << n;
  }
  EXPECT_TRUE(std::all_of(left.begin() + 40000, left.end(), [](int16_t s) { return s == 0; }));
  EXPECT_EQ(model.TakeSel[0][0].caption, "Bass liL");
}

TEST_F(FlacImport, WiderSamplesKeepTheirTop16BitsAsInAWav) {
  struct Case {
    const char* name;
    int encoding;
    int32_t stored;    // as 32 bits, left-justified
    int16_t expected;
  } cases[] = {
      {"24", SF_FORMAT_PCM_24, int32_t(uint32_t(-5) << 16) | 0x7F00, -5},
      {"24max", SF_FORMAT_PCM_24, 0x7FFFFF00, 32767},
      {"8", SF_FORMAT_PCM_S8, int32_t(0x81000000), -32512},  // -127 x 256
  };
  model.TrackSelClick(0);
  model.TakeSelClick(0, 0);
  for (const auto& c : cases) {
    const auto file = sources / (std::string(c.name) + ".flac");
    WriteIntsWithSndfile(file, SF_FORMAT_FLAC | c.encoding, 1, 44100, {c.stored, 0});
    ASSERT_EQ(ImportAudioFile(model, file, {}).outcome, ConversionResult::Converted) << c.name;
    EXPECT_EQ(test::ReadTakeSamples(song / "TRACK0_0.DAT")[0], c.expected) << c.name;
  }
}

TEST_F(FlacImport, A48kHzFlacIsProbedAndConverted) {
  std::vector<int32_t> stereo(2 * 48000, 0);
  for (size_t n = 0; n < stereo.size(); ++n) stereo[n] = int32_t(std::lround(1e9 * std::sin(double(n) * 0.05)));
  const auto file = sources / "daw.flac";
  WriteIntsWithSndfile(file, SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 2, 48000, stereo);
  SourceFormat format;
  ASSERT_TRUE(ProbeSourceFile(file, format).ok());
  EXPECT_EQ(format.format, "FLAC");
  EXPECT_EQ(format.sampleRate, 48000.0L);
  EXPECT_EQ(format.bits, 24);
  EXPECT_EQ(format.channels, 2u);
  EXPECT_EQ(format.frames, 48000u);

  chooseTwoTracks();
  ASSERT_EQ(ImportAudioFile(model, file, {}, SongLock::Wait::No, RateHandling::Convert).outcome,
            ConversionResult::Converted);
  const auto left = test::ReadTakeSamples(song / "TRACK0_0.DAT");
  // One second at 44,100 Hz, then the padding.
  EXPECT_NE(left[44099], 0);
  EXPECT_TRUE(std::all_of(left.begin() + 44100, left.end(), [](int16_t s) { return s == 0; }));
}

// Past the formats a DAW exports, whatever else libsndfile decodes is
// imported too; a file it cannot decode is still refused.
TEST_F(FlacImport, OtherFormatsLibsndfileReadsAreImportedAndTheRestRefused) {
  const auto file = sources / "sun.au";
  WriteWithSndfile(file, SF_FORMAT_AU | SF_FORMAT_PCM_16, 1, 44100, Ramp(100));
  model.TrackSelClick(0);
  model.TakeSelClick(0, 0);
  auto result = ImportAudioFile(model, file, {});
  ASSERT_EQ(result.outcome, ConversionResult::Converted) << result.message;
  EXPECT_EQ(test::ReadTakeSamples(song / "TRACK0_0.DAT"), test::ChannelOf(Ramp(100), 1, 0, 32768));
  const auto garbage = sources / "noise.au";
  test::WriteBytes(garbage, {'.', 's', 'n', 'x', 1, 2, 3});
  result = ImportAudioFile(model, garbage, {});
  EXPECT_STREQ(result.message, messages::NotWavOrAiff);
}

// The bytes of a FLAC file up to the end of its metadata: the header that
// declares the length, without a single audio frame.
std::vector<uint8_t> flacHeaderOnly(const std::vector<uint8_t>& file) {
  size_t at = 4;  // "fLaC"
  for (;;) {
    const bool last = (file.at(at) & 0x80) != 0;
    const size_t length = size_t(file.at(at + 1)) << 16 | size_t(file.at(at + 2)) << 8 | file.at(at + 3);
    at += 4 + length;
    if (last) return {file.begin(), file.begin() + long(at)};
  }
}

TEST_F(FlacImport, AFileThatEndsBeforeItsDeclaredLengthImportsNothing) {
  struct Case {
    const char* name;
    int rate;
    RateHandling handling;
  } cases[] = {{"cut.flac", 44100, RateHandling::KeepSamples}, {"cut48.flac", 48000, RateHandling::Convert}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto file = sources / c.name;
    WriteWithSndfile(file, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1, c.rate, Ramp(3 * c.rate));
    WriteBytes(file, flacHeaderOnly(ReadBytes(file)));
    ASSERT_TRUE(model.DirTreeChange(song.path().string()));
    model.TrackSelClick(0);
    model.TakeSelClick(0, 0);
    const auto result = ImportAudioFile(model, file, {}, SongLock::Wait::No, c.handling);
    EXPECT_EQ(result.outcome, ConversionResult::Failed);
    EXPECT_STREQ(result.message, messages::SourceEndsEarly);
    EXPECT_FALSE(std::filesystem::exists(song / "TRACK0_0.DAT"));
  }
}

TEST_F(FlacImport, AReadErrorAnywhereInTheFileStopsTheImportNamingIt) {
  // Noise compresses poorly, so the file takes many reads.
  std::vector<int16_t> noise(2 * 200000);
  uint32_t state = 1;
  for (auto& sample : noise) sample = int16_t((state = state * 1664525u + 1013904223u) >> 16);
  const auto file = sources / "noise.flac";
  WriteWithSndfile(file, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, 44100, noise);
  chooseTwoTracks();
  for (long goodReads : {0L, 1L, 2L, 5L, 20L, 60L}) {
    SCOPED_TRACE(goodReads);
    FaultInjection::FailReadsOf("noise.flac", EIO, goodReads);
    const auto result = ImportAudioFile(model, file, {});
    FaultInjection::Reset();
    EXPECT_EQ(result.outcome, ConversionResult::Failed);
    EXPECT_STREQ(result.message, messages::SourceNotRead);
    EXPECT_EQ(result.detail, file.string() + " (Input/output error)");
    EXPECT_FALSE(std::filesystem::exists(song / "TRACK0_0.DAT"));
  }
}

}  // namespace
}  // namespace tp
