// The loudness every export measures, against ffmpeg's EBU R128 scanner on
// the file written and against the EBU's own test signals; and the
// normalising export.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "convert/exportengine.h"
#include "convert/tpdfdither.h"
#include "project/projectmodel.h"
#include "support/bandlimitedpeak.h"
#include "support/ebur128oracle.h"
#include "support/fileloudness.h"
#include "support/projectfixture.h"
#include "support/referencemix.h"
#include "support/sndfileio.h"

namespace tp {
namespace {

using namespace tp::test;

constexpr double Rate = 44100;

// A sine of `frequency` Hz whose peak is `dbfs` below full scale.
void AppendSine(std::vector<int16_t>& samples, double seconds, double dbfs, double frequency = 1000,
                double phase = 0) {
  const double amplitude = 32768.0 * std::pow(10.0, dbfs / 20.0);
  const size_t start = samples.size(), count = size_t(std::lround(seconds * Rate));
  for (size_t i = 0; i < count; ++i)
    samples.push_back(int16_t(std::lround(
        std::clamp(amplitude * std::sin(2 * std::numbers::pi * frequency * double(start + i) / Rate + phase), -32768.0,
                   32767.0))));
}

std::vector<int16_t> SecondsOfSine(double seconds, double dbfs, double frequency = 1000, double phase = 0) {
  std::vector<int16_t> samples;
  AppendSine(samples, seconds, dbfs, frequency, phase);
  return samples;
}

class LoudnessExport : public ::testing::Test {
 protected:
  void SetUp() override { WriteProjectInfo(folder.path(), "Song"); }
  // Master take 1 as the same samples left and right: an exact stereo copy.
  void WriteStereoMaster(const std::vector<int16_t>& samples) {
    WriteTake(folder / "TRACKL_0.DAT", "L", samples);
    WriteTake(folder / "TRACKR_0.DAT", "R", samples);
  }
  ConversionResult exportSelection(const std::string& outName, std::optional<double> normaliseTo = std::nullopt) {
    ExportRequest request;
    request.selection = model.PlaybackSelection();
    request.length = model.View.sliderMax;
    request.output = folder / outName;
    request.mixer = &mixer;
    request.normaliseTo = normaliseTo;
    return ExportTakes(request, {});
  }
  ConversionResult exportMaster(const std::string& outName) {
    EXPECT_TRUE(model.DirTreeChange(folder.path().string()));
    model.MasTakeSelClick(0);
    model.MasterSelClick(true);
    return exportSelection(outName);
  }

  TempFolder folder;
  ProjectModel model;
  MixerSettings mixer;
};

// What ffmpeg measures of the file must be what the export said it wrote.
void ExpectOracleAgrees(const ConversionResult& result, const std::filesystem::path& file) {
  ASSERT_EQ(result.outcome, ConversionResult::Converted) << result.message << " " << result.detail;
  ASSERT_TRUE(result.loudness && !result.loudness->Silent());
  const auto oracle = MeasureWithFfmpeg(file);
  ASSERT_TRUE(oracle) << "ffmpeg did not measure " << file;
  // ffmpeg prints one decimal.
  EXPECT_NEAR(*result.loudness->integratedLufs, oracle->integratedLufs, 0.15);
  EXPECT_NEAR(*result.loudness->truePeakDbtp, oracle->truePeakDbtp, 0.3);
  // The range is left out: over a few seconds it depends on how often an
  // implementation takes its 3-second windows.
}

struct MixCase {
  const char* name;
  std::vector<std::pair<int, std::vector<int16_t>>> tracks;  // track (0-based), samples
  std::array<int, 2> volume, pan;                             // of the first two tracks
};

std::vector<int16_t> Sections(std::initializer_list<std::pair<double, double>> secondsAndDbfs, double frequency) {
  std::vector<int16_t> samples;
  for (const auto& [seconds, dbfs] : secondsAndDbfs) AppendSine(samples, seconds, dbfs, frequency);
  return samples;
}

TEST_F(LoudnessExport, FfmpegMeasuresTheWrittenFileAsTheExportDidForATableOfMixes) {
  const std::vector<MixCase> cases = {
      {"one take", {{0, SecondsOfSine(6, -12, 440)}}, {100, 100}, {50, 50}},
      {"two tracks panned apart",
       {{0, SecondsOfSine(8, -10, 220)}, {3, Sections({{3, -30}, {3, -8}, {2, -20}}, 3000)}},
       {110, 90},
       {10, 80}},
      {"a loud mix that clips", {{0, SecondsOfSine(5, -1, 100)}, {1, SecondsOfSine(5, -1, 100)}}, {127, 127}, {50, 50}},
      {"a quiet track beside a shorter loud one",
       {{2, SecondsOfSine(7, -40, 5000)}, {5, Sections({{1.5, -3}, {4, -60}}, 60)}},
       {100, 100},
       {30, 70}},
  };
  for (const MixCase& mix : cases) {
    SCOPED_TRACE(mix.name);
    TempFolder song;
    WriteProjectInfo(song.path(), "Song");
    for (const auto& [track, samples] : mix.tracks)
      WriteTake(song / ("TRACK" + std::to_string(track) + "_0.DAT"), "", samples);
    ProjectModel songModel;
    ASSERT_TRUE(songModel.DirTreeChange(song.path().string()));
    for (const auto& [track, samples] : mix.tracks) songModel.TakeSelClick(track, 0);
    MixerSettings settings;
    for (size_t i = 0; i < mix.tracks.size(); ++i) {
      settings.volume[size_t(mix.tracks[i].first)] = mix.volume[i];
      settings.pan[size_t(mix.tracks[i].first)] = mix.pan[i];
    }
    ExportRequest request;
    request.selection = songModel.PlaybackSelection();
    request.length = songModel.View.sliderMax;
    request.output = song / "mix.wav";
    request.mixer = &settings;
    ExpectOracleAgrees(ExportTakes(request, {}), request.output);
  }
}

// The EBU's minimum requirements test signals: 1 kHz sines, the same on
// both channels, and the true peak of a sine at a quarter of the rate.
struct Tech3341Case {
  const char* name;
  std::vector<int16_t> samples;
  double integratedLufs;
};

TEST_F(LoudnessExport, TheEbuTestSignalsMeasureWhatTheirDefinitionSays) {
  const std::vector<Tech3341Case> cases = {
      {"20 s at -23 dBFS", Sections({{20, -23}}, 1000), -23.0},
      {"-36, -23, -36 dBFS for 10, 60, 10 s", Sections({{10, -36}, {60, -23}, {10, -36}}, 1000), -23.0},
      {"-26, -20, -26 dBFS for 20, 20.1, 20 s", Sections({{20, -26}, {20.1, -20}, {20, -26}}, 1000), -23.0},
  };
  for (const Tech3341Case& signal : cases) {
    SCOPED_TRACE(signal.name);
    WriteStereoMaster(signal.samples);
    const ConversionResult result = exportMaster("ebu.wav");
    ASSERT_EQ(result.outcome, ConversionResult::Converted);
    ASSERT_TRUE(result.loudness && result.loudness->integratedLufs);
    EXPECT_NEAR(*result.loudness->integratedLufs, signal.integratedLufs, 0.1);
  }
}

TEST_F(LoudnessExport, TheTruePeakOfAQuarterRateSineLiesBetweenItsSamples) {
  // Amplitude 0.5 at 45 degrees: every sample is +-0.354 (-9 dBFS), the
  // wave between them reaches 0.5 (-6 dBTP).
  WriteStereoMaster(SecondsOfSine(10, -6.0206, Rate / 4, std::numbers::pi / 4));
  const ConversionResult result = exportMaster("peak.wav");
  ASSERT_TRUE(result.loudness && result.loudness->truePeakDbtp);
  EXPECT_GE(*result.loudness->truePeakDbtp, -6.4);
  EXPECT_LE(*result.loudness->truePeakDbtp, -5.8);
}

TEST_F(LoudnessExport, ASilentExportHasNoLoudness) {
  WriteTake(folder / "TRACK0_0.DAT", "", std::vector<int16_t>(50000, 0));
  WriteTake(folder / "TRACK1_0.DAT", "", std::vector<int16_t>(50000, 1));
  ASSERT_TRUE(model.DirTreeChange(folder.path().string()));
  model.TakeSelClick(0, 0);
  model.TakeSelClick(1, 0);
  const ConversionResult result = exportSelection("quiet.wav");
  ASSERT_TRUE(result.loudness);
  EXPECT_TRUE(result.loudness->Silent());
  EXPECT_EQ(LinesUnderConverted(result), std::vector<std::string>{"silent"});
}

TEST_F(LoudnessExport, NormalisingReachesTheTargetByFfmpegsMeasure) {
  WriteTake(folder / "TRACK0_0.DAT", "", Sections({{4, -30}, {4, -18}}, 440));
  WriteTake(folder / "TRACK1_0.DAT", "", SecondsOfSine(8, -26, 1500));
  ASSERT_TRUE(model.DirTreeChange(folder.path().string()));
  model.TakeSelClick(0, 0);
  model.TakeSelClick(1, 0);
  const ConversionResult result = exportSelection("loud.wav", -16.0);
  ExpectOracleAgrees(result, folder / "loud.wav");
  EXPECT_NEAR(MeasureWithFfmpeg(folder / "loud.wav")->integratedLufs, -16.0, 0.15);
  EXPECT_NEAR(*result.loudness->integratedLufs, -16.0, 0.1);
  ASSERT_TRUE(result.normalisation);
  EXPECT_FALSE(result.normalisation->heldByCeiling);
  EXPECT_EQ(LinesUnderConverted(result).back(), "normalised to -16.0 LUFS");
}

TEST_F(LoudnessExport, ATrueCeilingHoldsBackAQuietTakeWithFullScaleClicks) {
  std::vector<int16_t> take = SecondsOfSine(10, -40, 300);
  // Clicks of one sample, and of two, whose peak lies between the samples.
  for (size_t at = 22050; at < take.size(); at += 44100) take[at] = 32767;
  for (size_t at = 33075; at + 1 < take.size(); at += 88200) take[at] = take[at + 1] = 32767;
  WriteTake(folder / "TRACK0_0.DAT", "", take);
  WriteTake(folder / "TRACK1_0.DAT", "", take);
  ASSERT_TRUE(model.DirTreeChange(folder.path().string()));
  model.TakeSelClick(0, 0);
  model.TakeSelClick(1, 0);
  const ConversionResult result = exportSelection("clicks.wav", -14.0);
  ASSERT_EQ(result.outcome, ConversionResult::Converted);
  ASSERT_TRUE(result.normalisation);
  EXPECT_TRUE(result.normalisation->heldByCeiling);
  const Loudness written = MeasureFileLoudness(folder / "clicks.wav");
  EXPECT_LE(*written.truePeakDbtp, -1.0 + 0.01);
  EXPECT_LT(*written.integratedLufs, -14.0);
  EXPECT_NEAR(*written.truePeakDbtp, *result.loudness->truePeakDbtp, 0.05) << "the peak said is the peak written";
  const auto oracle = MeasureWithFfmpeg(folder / "clicks.wav");
  ASSERT_TRUE(oracle);
  EXPECT_LE(oracle->truePeakDbtp, -1.0 + 0.3);
  // The band-limited peak holds the ceiling, and the ceiling is reached.
  const SoundData file = ReadWithSndfile(folder / "clicks.wav");
  const double peak = PeakToDecibels(std::max(BandLimitedPeak(file.samples, 2, 0), BandLimitedPeak(file.samples, 2, 1)));
  EXPECT_LE(peak, -1.0 + 0.1);
  EXPECT_GE(peak, -1.0 - 0.5);
  EXPECT_NEAR(*result.loudness->truePeakDbtp, peak, 0.15);
  const std::string said = LinesUnderConverted(result).back();
  EXPECT_NE(said.find(", held by the true-peak ceiling"), std::string::npos) << said;
}

// A mix that never clips is the same summed whole or clamped after each
// slot: the normalised file is the plain export with one gain in floating
// point, dithered sample by sample from the dither's seed, whichever worker
// wrote which block.
TEST_F(LoudnessExport, AMixThatDoesNotClipIsNormalisedAsThePlainMixTimesOneGainDithered) {
  WriteTake(folder / "TRACK0_0.DAT", "", SecondsOfSine(3, -20, 440));
  WriteTake(folder / "TRACK4_0.DAT", "", SecondsOfSine(2.5, -9, 97));
  ASSERT_TRUE(model.DirTreeChange(folder.path().string()));
  model.TakeSelClick(0, 0);
  model.TakeSelClick(4, 0);
  const ConversionResult plain = exportSelection("plain.wav");
  const ConversionResult normalised = exportSelection("normalised.wav", -20.0);
  ASSERT_EQ(normalised.outcome, ConversionResult::Converted);
  EXPECT_EQ(plain.clippedSamples, 0u);
  EXPECT_EQ(normalised.clippedSamples, 0u);
  const SoundData before = ReadWithSndfile(folder / "plain.wav");
  const SoundData after = ReadWithSndfile(folder / "normalised.wav");
  ASSERT_EQ(before.samples.size(), after.samples.size());
  const float gain = float(std::pow(10.0, normalised.normalisation->gainDb / 20.0) / 32768.0);
  TpdfDither dither;
  size_t differing = 0;
  for (size_t i = 0; i < before.samples.size(); ++i)
    if (dither.Quantise(float(before.samples[i]) * gain) != after.samples[i]) ++differing;
  EXPECT_EQ(differing, 0u);
  EXPECT_NE(before.samples, after.samples);
}

// A mix that clips in the mixer is normalised from its whole sums: the
// gain turns the sum down, and the one rounding to 16 bits comes after it.
TEST_F(LoudnessExport, ALoudMixIsNormalisedFromItsWholeSumRoundedOnceAfterTheGain) {
  std::array<ReferenceTrack, 16> tracks;
  tracks[0].samples = SecondsOfSine(3, -2, 440);
  tracks[4].samples = SecondsOfSine(2.5, -1, 97);
  tracks[4].volume = 127;  // +12 dB: loud enough to clip in the mixer
  for (int track : {0, 4}) WriteTake(folder / ("TRACK" + std::to_string(track) + "_0.DAT"), "", tracks[size_t(track)].samples);
  ASSERT_TRUE(model.DirTreeChange(folder.path().string()));
  model.TakeSelClick(0, 0);
  model.TakeSelClick(4, 0);
  mixer.volume[4] = 127;
  const ConversionResult plain = exportSelection("plain.wav");
  const ConversionResult normalised = exportSelection("normalised.wav", -20.0);
  ASSERT_EQ(normalised.outcome, ConversionResult::Converted);
  EXPECT_GT(plain.clippedSamples, 1000u);
  const SoundData after = ReadWithSndfile(folder / "normalised.wav");
  const std::vector<int32_t> sums = ReferenceWideMix(tracks, after.samples.size() / 2);
  const float gain = float(std::pow(10.0, normalised.normalisation->gainDb / 20.0));
  TpdfDither dither;
  uint64_t clamped = 0;
  size_t differing = 0;
  for (size_t i = 0; i < sums.size(); ++i)
    if (dither.Quantise(float(sums[i]) / 32768.0f * gain, clamped) != after.samples[i]) ++differing;
  EXPECT_EQ(differing, 0u);
  EXPECT_EQ(normalised.clippedSamples, clamped) << "the samples clamped in the final rounding";
  EXPECT_EQ(normalised.clippedSamples, 0u) << "turned down, nothing reaches full scale";
}

// Flat tops: three samples in a row within one step of the file's largest
// magnitude, the mark of a clipped mix scaled down.
size_t FlatTops(const SoundData& sound) {
  int largest = 0;
  for (int16_t sample : sound.samples) largest = std::max(largest, std::abs(int(sample)));
  size_t tops = 0;
  const size_t channels = size_t(sound.channels);
  for (size_t channel = 0; channel < channels; ++channel) {
    int run = 0;
    for (size_t i = channel; i < sound.samples.size(); i += channels) {
      run = std::abs(int(sound.samples[i])) >= largest - 1 ? run + 1 : 0;
      tops += run == 3;
    }
  }
  return tops;
}

TEST_F(LoudnessExport, SixteenFullScaleNoiseTakesNormalisedHaveNoFlatTopsAndTheAskedLoudness) {
  std::mt19937 random(16);
  std::uniform_int_distribution<int> anySample(-32768, 32767);
  for (int track = 0; track < 16; ++track) {
    std::vector<int16_t> noise(66150);  // 1.5 s
    for (int16_t& sample : noise) sample = int16_t(anySample(random));
    WriteTake(folder / ("TRACK" + std::to_string(track) + "_0.DAT"), "", noise);
  }
  ASSERT_TRUE(model.DirTreeChange(folder.path().string()));
  for (int track = 0; track < 16; ++track) model.TakeSelClick(track, 0);
  const ConversionResult plain = exportSelection("plain.wav");
  EXPECT_GT(FlatTops(ReadWithSndfile(folder / "plain.wav")), 1000u) << "the plain mix clips as the recorder's does";
  const ConversionResult result = exportSelection("normalised.wav", -14.0);
  ASSERT_EQ(result.outcome, ConversionResult::Converted) << result.message << " " << result.detail;
  const SoundData written = ReadWithSndfile(folder / "normalised.wav");
  EXPECT_EQ(FlatTops(written), 0u);
  EXPECT_EQ(result.clippedSamples, 0u);
  const auto oracle = MeasureWithFfmpeg(folder / "normalised.wav");
  ASSERT_TRUE(oracle);
  EXPECT_NEAR(oracle->integratedLufs, -14.0, 0.2);
  EXPECT_NEAR(*result.loudness->integratedLufs, oracle->integratedLufs, 0.15) << "the loudness said is the file's";
  double peak = 0.0;
  for (uint32_t channel = 0; channel < 2; ++channel)
    peak = std::max(peak, BandLimitedPeak(written.samples, 2, channel));
  EXPECT_LE(PeakToDecibels(peak), -1.0 + 0.1);
  EXPECT_NEAR(*result.loudness->truePeakDbtp, PeakToDecibels(peak), 0.15);

  ASSERT_EQ(exportSelection("again.wav", -14.0).outcome, ConversionResult::Converted);
  EXPECT_EQ(ReadWithSndfile(folder / "again.wav").samples, written.samples) << "two runs, the same file";
}

}  // namespace
}  // namespace tp
