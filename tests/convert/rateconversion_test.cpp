// Imports that convert the source's rate to the takes' 44,100 Hz: measured
// by what a listener would hear (pitch, length, purity, nothing folded back
// from above 22,050 Hz), and by what a script relies on (the same file gives
// the same take; a 44,100 Hz file is never touched).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>

#include <sys/resource.h>

#include "audiofile/byteorder.h"
#include "audiofile/extended80.h"
#include "convert/importengine.h"
#include "convert/importsource.h"
#include "convert/rateconverter.h"
#include "convert/tpdfdither.h"
#include "project/messages.h"
#include "storage/filehandle.h"
#include "support/projectfixture.h"
#include "support/runcommand.h"
#include "support/sndfileio.h"
#include "support/spectrum.h"

namespace tp {
namespace {

using namespace tp::test;

constexpr int Wav24 = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
const double MinusSixDb = std::pow(10.0, -6.0 / 20.0);

std::vector<double> sine(double hz, double rate, size_t frames, double amplitude = MinusSixDb) {
  std::vector<double> samples(frames);
  for (size_t n = 0; n < frames; ++n) samples[n] = amplitude * std::sin(2.0 * std::numbers::pi * hz * double(n) / rate);
  return samples;
}

class RateConversion : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteProjectInfo(song.path(), "Song");
    ASSERT_TRUE(model.DirTreeChange(song.path().string()));
  }
  // Selects Track1-1 (and Track2-1 for a second channel).
  void chooseTargets(int count) {
    for (int track = 0; track < count; ++track) {
      model.TrackSelClick(track);
      model.TakeSelClick(track, 0);
    }
  }
  ConversionResult import(const std::filesystem::path& file, RateHandling rate, ConversionHooks hooks = {}) {
    return ImportAudioFile(model, file, hooks, SongLock::Wait::No, rate);
  }

  TempFolder song, sources;
  ProjectModel model;
};

// Frames chosen so that the converted count has a fraction to round.
struct SineCase {
  double rate;
  size_t frames;
};

class ConvertedSine : public RateConversion, public ::testing::WithParamInterface<SineCase> {};

TEST_P(ConvertedSine, KeepsItsPitchAndLengthAndIsPureToBetterThanMinus85Db) {
  const SineCase c = GetParam();
  const auto file = sources / "tone.wav";
  WriteDoublesWithSndfile(file, Wav24, 1, int(c.rate), sine(1000.0, c.rate, c.frames));
  chooseTargets(1);
  ASSERT_EQ(import(file, RateHandling::Convert).outcome, ConversionResult::Converted);

  const auto take = test::ReadTakeSamples(song / "TRACK0_0.DAT");
  const auto converted = size_t(std::llround(double(c.frames) * 44100.0 / c.rate));
  ASSERT_GE(take.size(), converted);
  EXPECT_EQ(take.size() % 32768, 0u);
  EXPECT_EQ(model.TakeLength(0, 0), int32_t(take.size()));
  // The tone lasts to the last converted frame and not one further.
  EXPECT_GT(*std::max_element(take.begin() + converted - 50, take.begin() + converted), 10000);
  EXPECT_TRUE(std::all_of(take.begin() + converted, take.end(), [](int16_t s) { return s == 0; }));

  const double peak = PeakFrequency(HannSpectrum(take, 2048, 65536), 44100.0 / 65536.0);
  RecordProperty("peak_hz", std::to_string(peak));
  EXPECT_NEAR(peak, 1000.0, 1.0);

  // Away from the start and the end, where the tone switches on and off.
  const SineFit fit = FitSine(take, 4000, converted - 4000, 44100.0, 1000.0);
  EXPECT_NEAR(fit.amplitude, MinusSixDb * 32768.0, 30.0);
  RecordProperty("thd_plus_noise_db", std::to_string(fit.ThdPlusNoiseDb()));
  EXPECT_LT(fit.ThdPlusNoiseDb(), -85.0) << "residual " << fit.residualRms;
}

INSTANTIATE_TEST_SUITE_P(Rates, ConvertedSine,
                         ::testing::Values(SineCase{48000, 96007}, SineCase{96000, 192013}, SineCase{8000, 16003},
                                           SineCase{384000, 768011}),
                         [](const auto& info) { return std::to_string(int(info.param.rate)); });

TEST_F(RateConversion, AgreesWithSoxsOwnConversionToWithinTheDither) {
  if (std::system("sox --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "sox is not installed";
  // Three tones well inside the band both filters pass unchanged.
  const double rate = 48000;
  const size_t frames = 100001;
  std::vector<double> tones(frames);
  for (size_t n = 0; n < frames; ++n) {
    const double t = double(n) / rate;
    tones[n] = 0.25 * std::sin(2 * std::numbers::pi * 1000 * t) + 0.25 * std::sin(2 * std::numbers::pi * 5500 * t) +
               0.2 * std::sin(2 * std::numbers::pi * 15000 * t);
  }
  const auto file = sources / "tones.wav";
  WriteDoublesWithSndfile(file, Wav24, 1, int(rate), tones);
  // sox's very-high-quality rate, rounded to 16 bits without dither.
  const auto reference = sources / "reference.raw";
  const std::string command = "sox '" + file.string() + "' -D -b 16 -e signed-integer -L -t raw '" +
                              reference.string() + "' rate -v 44100";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const auto raw = ReadBytes(reference);
  std::vector<int16_t> expected;
  for (size_t i = 0; i + 1 < raw.size(); i += 2) expected.push_back(int16_t(readU16LE(&raw[i])));

  chooseTargets(1);
  ASSERT_EQ(import(file, RateHandling::Convert).outcome, ConversionResult::Converted);
  const auto take = test::ReadTakeSamples(song / "TRACK0_0.DAT");
  ASSERT_EQ(expected.size(), 91876u);  // round(100,001 x 0.91875) = round(91,875.92)
  ASSERT_GE(take.size(), expected.size());
  // Our dither moves a sample by less than 1.5 steps, sox's rounding by
  // half of one: no sample may differ by more than 2, and on average the
  // difference is the dither's.
  // Only the start and the end, where the tones switch on and off and the
  // two filters' different widths show, are left out.
  int largest = 0;
  double energy = 0;
  const size_t edge = 1000;
  for (size_t n = edge; n < expected.size() - edge; ++n) {
    const int difference = int(take[n]) - int(expected[n]);
    largest = std::max(largest, std::abs(difference));
    energy += double(difference) * double(difference);
  }
  RecordProperty("largest_difference", largest);
  RecordProperty("rms_difference", std::to_string(std::sqrt(energy / double(expected.size() - 2 * edge))));
  EXPECT_LE(largest, 2);
  EXPECT_LT(std::sqrt(energy / double(expected.size() - 2 * edge)), 0.75);
}

TEST_F(RateConversion, ASweepAbove22050HzIsRemovedNotFoldedBack) {
  // 20 Hz to 23,900 Hz in four seconds, faded in and out over 10 ms so
  // that its ends add no clicks of their own.
  const double rate = 48000, seconds = 4, start = 20, end = 23900;
  const size_t frames = size_t(rate * seconds), fade = size_t(rate / 100);
  std::vector<double> sweep(frames);
  for (size_t n = 0; n < frames; ++n) {
    const double t = double(n) / rate;
    const double phase = 2.0 * std::numbers::pi * (start * t + (end - start) * t * t / (2.0 * seconds));
    const double edge = std::min({1.0, double(n) / double(fade), double(frames - 1 - n) / double(fade)});
    sweep[n] = MinusSixDb * std::sin(phase) * edge;
  }
  const auto file = sources / "sweep.wav";
  WriteDoublesWithSndfile(file, Wav24, 1, int(rate), sweep);
  chooseTargets(1);
  ASSERT_EQ(import(file, RateHandling::Convert).outcome, ConversionResult::Converted);
  const auto take = test::ReadTakeSamples(song / "TRACK0_0.DAT");

  // Around one second the sweep (at 6 kHz) passes at its level.
  double energy = 0;
  for (size_t n = 44100 - 2000; n < 44100 + 2000; ++n) energy += double(take[n]) * double(take[n]);
  const double rmsDb = 20.0 * std::log10(std::sqrt(energy / 4000.0) / (MinusSixDb * 32768.0 / std::sqrt(2.0)));
  EXPECT_NEAR(rmsDb, 0.0, 0.5);

  // From 3.75 s the sweep is above 22,400 Hz: a folded copy would show
  // between 21,500 and 21,700 Hz. Nothing may stand above -90 dB of the
  // sweep's level anywhere in the spectrum.
  const size_t first = size_t(3.75 * 44100), n = 8192;
  ASSERT_LT(first + n, size_t(3.99 * 44100));
  const auto spectrum = HannSpectrum(take, first, n);
  const double reference = HannSineMagnitude(MinusSixDb * 32768.0, n);
  const auto loudest = std::max_element(spectrum.begin(), spectrum.end());
  RecordProperty("loudest_above_22050_db", std::to_string(20.0 * std::log10(*loudest / reference)));
  RecordProperty("passband_level_db", std::to_string(rmsDb));
  EXPECT_LT(20.0 * std::log10(*loudest / reference), -90.0)
      << "at " << double(loudest - spectrum.begin()) * 44100.0 / double(n) << " Hz";
}

TEST_F(RateConversion, TheSameSourceGivesTheSameTakesByteForByte) {
  std::vector<double> stereo;
  const auto left = sine(440.0, 48000, 70000), right = sine(3000.0, 48000, 70000, 0.25);
  for (size_t n = 0; n < left.size(); ++n) {
    stereo.push_back(left[n]);
    stereo.push_back(right[n]);
  }
  const auto file = sources / "stereo.wav";
  WriteDoublesWithSndfile(file, Wav24, 2, 48000, stereo);
  chooseTargets(2);
  ASSERT_EQ(import(file, RateHandling::Convert).outcome, ConversionResult::Converted);
  const auto firstLeft = ReadBytes(song / "TRACK0_0.DAT"), firstRight = ReadBytes(song / "TRACK1_0.DAT");
  ASSERT_EQ(import(file, RateHandling::Convert).outcome, ConversionResult::Converted);
  EXPECT_EQ(ReadBytes(song / "TRACK0_0.DAT"), firstLeft);
  EXPECT_EQ(ReadBytes(song / "TRACK1_0.DAT"), firstRight);
  // Two different channels, each converted: not one copied into the other.
  EXPECT_NE(test::ReadTakeSamples(song / "TRACK0_0.DAT"), test::ReadTakeSamples(song / "TRACK1_0.DAT"));
}

TEST_F(RateConversion, ASourceAt44100HzIsCopiedAsItIsWhateverTheChoice) {
  std::vector<double> stereo;
  for (size_t n = 0; n < 50000; ++n) {
    stereo.push_back(0.7 * std::sin(double(n) * 0.01));
    stereo.push_back(-0.3 * std::cos(double(n) * 0.002));
  }
  const auto file = sources / "cd.wav";
  WriteDoublesWithSndfile(file, Wav24, 2, 44100, stereo);
  chooseTargets(2);
  ASSERT_EQ(import(file, RateHandling::KeepSamples).outcome, ConversionResult::Converted);
  const auto left = ReadBytes(song / "TRACK0_0.DAT"), right = ReadBytes(song / "TRACK1_0.DAT");
  ASSERT_EQ(import(file, RateHandling::Convert).outcome, ConversionResult::Converted);
  EXPECT_EQ(ReadBytes(song / "TRACK0_0.DAT"), left);
  EXPECT_EQ(ReadBytes(song / "TRACK1_0.DAT"), right);
  // ... and that copy is the top 16 bits of each 24-bit sample, as libsndfile
  // reads them.
  const SoundData source = ReadWithSndfile(file);
  const auto take = test::ReadTakeSamples(song / "TRACK0_0.DAT");
  for (size_t n = 0; n < 50000; n += 997) EXPECT_EQ(take[n], source.samples[2 * n]) << n;
}

TEST_F(RateConversion, KeepingTheSamplesCopiesA48kHzFileSampleForSample) {
  const auto file = sources / "48k.wav";
  WriteWithSndfile(file, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 48000, Ramp(40000, -20000));
  chooseTargets(1);
  ASSERT_EQ(import(file, RateHandling::KeepSamples).outcome, ConversionResult::Converted);
  const auto take = test::ReadTakeSamples(song / "TRACK0_0.DAT");
  ASSERT_EQ(take.size(), 65536u);
  const auto ramp = Ramp(40000, -20000);
  EXPECT_TRUE(std::equal(ramp.begin(), ramp.end(), take.begin()));
}

TEST_F(RateConversion, ProgressCountsTheSourcesFrames) {
  const auto file = sources / "long.wav";
  WriteDoublesWithSndfile(file, Wav24, 1, 48000, sine(500.0, 48000, 100000));
  chooseTargets(1);
  std::vector<std::pair<uint32_t, uint32_t>> reports;
  ConversionHooks hooks;
  hooks.progress = [&](uint32_t position, uint32_t total) { reports.emplace_back(position, total); };
  ASSERT_EQ(import(file, RateHandling::Convert, hooks).outcome, ConversionResult::Converted);
  // 100,000 frames become 91,875: three blocks, reported at the source
  // frames they began from (32,768 x 48,000 / 44,100 = 35,665.9...).
  const std::vector<std::pair<uint32_t, uint32_t>> expected = {
      {0, 100000}, {35665, 100000}, {71331, 100000}, {100000, 100000}};
  EXPECT_EQ(reports, expected);
}

TEST_F(RateConversion, AnAbortKeepsTheConvertedBlocksWrittenSoFar) {
  const auto file = sources / "long.wav";
  WriteDoublesWithSndfile(file, Wav24, 1, 48000, sine(500.0, 48000, 100000));
  chooseTargets(1);
  int calls = 0;
  ConversionHooks hooks;
  hooks.betweenBlocks = [&] { return ++calls > 1; };
  EXPECT_EQ(import(file, RateHandling::Convert, hooks).outcome, ConversionResult::Aborted);
  const auto take = test::ReadTakeSamples(song / "TRACK0_0.DAT");
  EXPECT_EQ(take.size(), 32768u);
  // The block kept is the converted one: the 500 Hz tone at 44,100 Hz.
  EXPECT_NEAR(FitSine(take, 2000, 30000, 44100.0, 500.0).frequency, 500.0, 0.05);
}

TEST_F(RateConversion, AnAiffAtAFractionalRateIsConvertedByItsExactRate) {
  // libsndfile writes whole rates only: the 80-bit rate field of COMM is
  // then set to 22,050.5 by hand.
  const double rate = 22050.5;
  const auto file = sources / "odd.aif";
  WriteDoublesWithSndfile(file, SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1, 22050, sine(1000.0, rate, 50001));
  auto bytes = ReadBytes(file);
  const std::string comm = "COMM";
  const auto at = std::search(bytes.begin(), bytes.end(), comm.begin(), comm.end());
  ASSERT_NE(at, bytes.end());
  // COMM: id, size, channels (2), frames (4), bits (2), then the rate.
  writeExtended80(&*(at + 16), rate);
  WriteBytes(file, bytes);
  SourceFormat format;
  ASSERT_TRUE(ProbeSourceFile(file, format).ok());
  ASSERT_EQ(format.sampleRate, 22050.5L);

  chooseTargets(1);
  ASSERT_EQ(import(file, RateHandling::Convert).outcome, ConversionResult::Converted);
  const auto take = test::ReadTakeSamples(song / "TRACK0_0.DAT");
  const auto converted = size_t(std::llround(50001.0 * 44100.0 / rate));  // 99,999.73
  EXPECT_EQ(converted, 100000u);
  EXPECT_GT(*std::max_element(take.begin() + converted - 50, take.begin() + converted), 10000);
  EXPECT_TRUE(std::all_of(take.begin() + converted, take.end(), [](int16_t s) { return s == 0; }));
  EXPECT_NEAR(PeakFrequency(HannSpectrum(take, 4096, 65536), 44100.0 / 65536.0), 1000.0, 1.0);
}

TEST_F(RateConversion, AThreeMinuteFileIsConvertedInBoundedMemory) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "under AddressSanitizer the resident size is mostly its shadow memory";
#endif
  // Three minutes of 48 kHz 24-bit stereo: 51,840,000 bytes of samples
  // (69 MB as floats), a sparse file of silence after the header.
  const uint32_t dataBytes = 180 * 48000 * 6;
  std::vector<uint8_t> header = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E',
                                 'f', 'm', 't', ' ', 16, 0, 0, 0,  // chunk size
                                 1, 0, 2, 0,                       // PCM, 2 channels
                                 0, 0, 0, 0, 0, 0, 0, 0,           // rate, bytes a second
                                 6, 0, 24, 0,                      // block align, bits
                                 'd', 'a', 't', 'a', 0, 0, 0, 0};
  writeU32LE(&header[4], 36 + dataBytes);
  writeU32LE(&header[24], 48000);
  writeU32LE(&header[28], 48000 * 6);
  writeU32LE(&header[40], dataBytes);
  const auto file = sources / "long.wav";
  WriteBytes(file, header);
  std::filesystem::resize_file(file, header.size() + dataBytes);

  const auto result = RunCommand(std::string(TP_CLI_PATH) + " import " + Quoted(song.path().string()) + " " +
                                 Quoted(file.string()) + " --to 1-1 --to 2-1 --resample -q");
  ASSERT_EQ(result.status, 0) << result.out;
  // The largest resident size of any program this test has waited for.
  rusage usage{};
  ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &usage), 0);
  RecordProperty("peak_kib", std::to_string(usage.ru_maxrss));
  EXPECT_LT(usage.ru_maxrss, 64 * 1024) << "KiB";
  // 180 s at 44,100 Hz: 7,938,000 frames, padded to 243 blocks.
  EXPECT_EQ(std::filesystem::file_size(song / "TRACK0_0.DAT"), 65536u + 2u * 243u * 32768u);
}

TEST(TpdfDither, IsUnbiasedWithAQuarterStepOfNoiseWhateverTheValue) {
  // Triangular dither of +-1 step before rounding: the mean of the output
  // is the input itself, the error's variance 2/12 + 1/12 = 1/4 step^2 for
  // every input, and no output is more than one step beyond the rounding.
  for (const double steps : {0.0, 0.3, -0.5, 0.77, 1000.25}) {
    SCOPED_TRACE(steps);
    TpdfDither dither;
    const int count = 200000;
    double sum = 0, squares = 0;
    for (int i = 0; i < count; ++i) {
      const int out = dither.Quantise(float(steps / 32768.0));
      ASSERT_LE(std::abs(out - steps), 1.5);
      sum += out - steps;
      squares += (out - steps) * (out - steps);
    }
    EXPECT_NEAR(sum / count, 0.0, 0.01);
    EXPECT_NEAR(squares / count, 0.25, 0.01);
  }
}

TEST(TpdfDither, ClipsAtFullScaleAndRepeatsItsSequenceFromTheSameSeed) {
  TpdfDither dither;
  EXPECT_EQ(dither.Quantise(1.5f), 32767);
  EXPECT_EQ(dither.Quantise(-2.0f), -32768);
  TpdfDither first, second, other(12345);
  std::vector<int16_t> a, b, c;
  for (int i = 0; i < 1000; ++i) {
    a.push_back(first.Quantise(0.1f));
    b.push_back(second.Quantise(0.1f));
    c.push_back(other.Quantise(0.1f));
  }
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
}

TEST(ConvertedFrameCount, RoundsFramesTimes44100OverTheRateToTheNearestFrame) {
  struct Case {
    uint64_t frames;
    long double rate;
    uint64_t expected;  // worked out by hand
  } cases[] = {
      {96000, 48000, 88200},   // exactly
      {96007, 48000, 88206},   // 88,206.43
      {16003, 8000, 88217},    // 88,216.54
      {1, 88200, 1},           // 0.5 rounds up
      {3, 88200, 2},           // 1.5
      {0, 48000, 0},
      {100, 22050.5L, 200},    // 199.995
      {44100, 44100, 44100},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ConvertedFrameCount(c.frames, c.rate), c.expected) << c.frames << " at " << double(c.rate);
}

}  // namespace
}  // namespace tp
