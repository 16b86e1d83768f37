#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

#include "loudness/blockmeasurer.h"
#include "loudness/gatedloudness.h"
#include "loudness/loudness.h"
#include "loudness/loudnessmeter.h"
#include "loudness/sampleexchange.h"
#include "loudness/shorttermloudness.h"

namespace tp {
namespace {

// Interleaved stereo frames of a 1 kHz sine whose peak is `dbfs`, the same
// on both sides: by the EBU's definition it measures `dbfs` LUFS.
std::vector<int16_t> StereoSine(size_t frames, double dbfs) {
  std::vector<int16_t> samples(2 * frames);
  const double amplitude = 32768.0 * std::pow(10.0, dbfs / 20.0);
  for (size_t i = 0; i < frames; ++i)
    samples[2 * i] = samples[2 * i + 1] =
        int16_t(std::lround(amplitude * std::sin(2 * std::numbers::pi * 1000.0 * double(i) / 44100.0)));
  return samples;
}

TEST(LoudnessWords, TheLineAndTheJsonSayTheSameValues) {
  struct Case {
    Loudness loudness;
    const char* line;
    const char* json;
  };
  const Case cases[] = {
      {{-18.34, 6.06, -1.249}, "-18.3 LUFS, LRA 6.1 LU, true peak -1.2 dBTP",
       R"({"integrated_lufs": -18.34, "range_lu": 6.06, "true_peak_dbtp": -1.25})"},
      {{-0.04, 0.0, 0.3}, "0.0 LUFS, LRA 0.0 LU, true peak 0.3 dBTP",
       R"({"integrated_lufs": -0.04, "range_lu": 0.0, "true_peak_dbtp": 0.3})"},
      {{}, "silent", R"({"integrated_lufs": null, "range_lu": null, "true_peak_dbtp": null})"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LoudnessText(c.loudness), c.line);
    EXPECT_EQ(LoudnessJson(c.loudness), nlohmann::ordered_json::parse(c.json));
  }
}

TEST(Normalisation, TheGainReachesTheTargetUnlessTheCeilingHoldsIt) {
  struct Case {
    Loudness measured;
    double target, ceiling, gainDb;
    bool held;
    const char* said;
  };
  const Case cases[] = {
      {{-20.0, 5.0, -8.0}, -14, -1, 6.0, false, "normalised to -14.0 LUFS"},
      {{-10.0, 5.0, -0.5}, -23, -1, -13.0, false, "normalised to -23.0 LUFS"},
      {{-30.0, 5.0, -3.0}, -14, -1, 2.0, true, "normalised to -28.0 LUFS, held by the true-peak ceiling"},
      {{}, -14, -1, 0.0, false, "silent"},
  };
  for (const Case& c : cases) {
    const Normalisation gain = GainToReach(c.measured, c.target, c.ceiling);
    EXPECT_DOUBLE_EQ(gain.gainDb, c.gainDb);
    EXPECT_EQ(gain.heldByCeiling, c.held);
    Loudness after = c.measured;
    if (after.integratedLufs) *after.integratedLufs += gain.gainDb;
    EXPECT_EQ(NormalisedText(after, gain), c.said);
  }
}

TEST(GatedLoudness, GatesAbsolutelyAt70AndRelatively10LuBelowTheMean) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, double>> blocks;  // how many, at what loudness (LUFS)
    std::optional<double> integrated;
  };
  const Case cases[] = {
      {"one level", {{30, -23.0}}, -23.0},
      // The mean of both is -22.97 LUFS: the -40 blocks fall under -32.97.
      {"quiet blocks below the relative gate", {{10, -20.0}, {10, -40.0}}, -20.0},
      // Both pass: the mean energy, -20 + 10 log10((1 + 10^-0.8) / 2).
      {"two levels within 10 LU", {{10, -20.0}, {10, -28.0}}, -20.0 + 10 * std::log10((1 + std::pow(10, -0.8)) / 2)},
      {"only below the absolute gate", {{50, -75.0}}, std::nullopt},
      {"nothing", {}, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GatedLoudness gated;
    for (const auto& [count, lufs] : c.blocks)
      for (int i = 0; i < count; ++i) gated.AddBlock(GatedLoudness::Energy(lufs));
    gated.AddBlock(0.0);  // digital silence counts nowhere
    ASSERT_EQ(gated.Integrated().has_value(), c.integrated.has_value());
    if (c.integrated) EXPECT_NEAR(*gated.Integrated(), *c.integrated, 1e-9);
  }
}

TEST(LoudnessMeter, AStereoSineAtMinus23DbfsMeasuresMinus23Lufs) {
  const auto samples = StereoSine(20 * 44100, -23);
  LoudnessMeter meter(2, LoudnessMeter::Peak::True);
  meter.Add(samples.data(), samples.size() / 2);
  const Loudness result = meter.Result();
  EXPECT_NEAR(*result.integratedLufs, -23.0, 0.1);
  EXPECT_NEAR(*result.rangeLu, 0.0, 0.1);
  EXPECT_NEAR(*result.truePeakDbtp, -23.0, 0.1);
}

TEST(BlockMeasurer, MeasuresOnItsThreadWhatTheMeterMeasuresInOne) {
  // Far more blocks than it queues, of sizes that differ, so that the
  // caller waits for free buffers.
  std::vector<int16_t> samples = StereoSine(12 * 44100, -30);
  for (size_t i = 4 * 44100 * 2; i < 8 * 44100 * 2; ++i) samples[i] = int16_t(samples[i] * 6);
  LoudnessMeter direct(2, LoudnessMeter::Peak::True);
  direct.Add(samples.data(), samples.size() / 2);
  BlockMeasurer measurer(2, LoudnessMeter::Peak::True);
  size_t frame = 0;
  for (uint32_t size = 1000; frame < samples.size() / 2; size = size % 9000 + 1777) {
    const uint32_t frames = uint32_t(std::min<size_t>(size, samples.size() / 2 - frame));
    measurer.Add(samples.data() + 2 * frame, frames);
    frame += frames;
  }
  const Loudness threaded = measurer.Finish(), expected = direct.Result();
  EXPECT_DOUBLE_EQ(*threaded.integratedLufs, *expected.integratedLufs);
  EXPECT_DOUBLE_EQ(*threaded.rangeLu, *expected.rangeLu);
  EXPECT_DOUBLE_EQ(*threaded.truePeakDbtp, *expected.truePeakDbtp);
  EXPECT_GT(*threaded.rangeLu, 5.0);
}

TEST(BlockMeasurer, EndsWithoutFinishingWhenTheJobStopped) {
  const auto samples = StereoSine(44100, -20);
  BlockMeasurer measurer(2, LoudnessMeter::Peak::True);
  for (int block = 0; block < 10; ++block) measurer.Add(samples.data(), 44100);
  // Destroyed here with blocks still queued: it must neither hang nor crash.
}

TEST(SampleExchange, HandsOverFramesInOrderAndDropsWhatDoesNotFit) {
  SampleExchange exchange(5);  // room for 8 frames
  std::vector<int16_t> frames;
  for (int16_t i = 0; i < 20; ++i) frames.push_back(i);  // 10 frames
  EXPECT_EQ(exchange.Push(frames.data(), 10), 8u);
  std::vector<int16_t> out(20, -1);
  EXPECT_EQ(exchange.Pop(out.data(), 3), 3u);
  EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + 6), std::vector<int16_t>(frames.begin(), frames.begin() + 6));
  // Round the end of the ring.
  EXPECT_EQ(exchange.Push(frames.data() + 16, 2), 2u);
  EXPECT_EQ(exchange.Pop(out.data(), 20), 7u);
  EXPECT_EQ(out[0], 6);
  EXPECT_EQ(out[9], 15);
  EXPECT_EQ(out[10], 16);
  EXPECT_EQ(out[13], 19);
  exchange.Push(frames.data(), 4);
  exchange.Clear();
  EXPECT_EQ(exchange.Pop(out.data(), 20), 0u);
}

TEST(ShortTermLoudness, ShowsTheLastThreeSecondsOnceTheyWereFed) {
  SampleExchange exchange(65536);
  ShortTermLoudness meter;
  const auto quiet = StereoSine(44100, -40), loud = StereoSine(44100, -23);
  auto feedSecond = [&](const std::vector<int16_t>& second) {
    for (size_t at = 0; at < 44100; at += 10000) {
      const size_t frames = std::min<size_t>(10000, 44100 - at);
      ASSERT_EQ(exchange.Push(second.data() + 2 * at, frames), frames);
    }
    meter.Feed(exchange);
  };
  feedSecond(quiet);
  feedSecond(quiet);
  EXPECT_FALSE(meter.Lufs()) << "less than the window";
  for (int second = 0; second < 3; ++second) feedSecond(loud);
  ASSERT_TRUE(meter.Lufs());
  EXPECT_NEAR(*meter.Lufs(), -23.0, 0.1) << "the quiet seconds left the window";
  EXPECT_EQ(ShortTermText(-23.04), "-23.0 LUFS");
  meter.Reset();
  EXPECT_FALSE(meter.Lufs());
}

}  // namespace
}  // namespace tp
