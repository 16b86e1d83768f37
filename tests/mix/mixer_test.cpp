#include "mix/mixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "support/projectfixture.h"

namespace tp {
namespace {

using test::TempFolder;
using test::WriteTake;

double decibels(int gain) { return 20.0 * std::log10(gain / 8192.0); }

TEST(MixerTables, VolumeRunsFromSilenceThroughUnityAt100ToPlus12DecibelsAt127) {
  EXPECT_EQ(VolumeTable[0], 0);
  EXPECT_EQ(VolumeTable[100], 8192);
  for (int i = 1; i < 128; ++i) EXPECT_GT(VolumeTable[i], VolumeTable[i - 1]) << "position " << i;
  // Landmarks of the fader's scale, in decibels (the smallest gains are
  // whole numbers near 8, hence the quarter-decibel tolerance).
  const struct { int position; double db; } landmarks[] = {
      {1, -60}, {6, -40}, {14, -30}, {35, -20}, {60, -10}, {100, 0}, {121, 9}, {127, 12}};
  for (const auto& mark : landmarks)
    EXPECT_NEAR(decibels(VolumeTable[mark.position]), mark.db, 0.25) << "position " << mark.position;
}

TEST(MixerTables, PanFallsFromPlus3DecibelsToSilenceWithUnityAtTheEndAndTheCentre) {
  EXPECT_EQ(PanTable[0], 8192);
  EXPECT_EQ(PanTable[50], 8192);
  EXPECT_EQ(PanTable[100], 0);
  EXPECT_NEAR(decibels(PanTable[1]), 3.0, 0.1);
  for (int i = 2; i <= 100; ++i) EXPECT_LT(PanTable[i], PanTable[i - 1]) << "position " << i;
  const struct { int position; double db; } landmarks[] = {
      {95, -20}, {96, -25}, {97, -30}, {98, -35}, {99, -40}};
  for (const auto& mark : landmarks)
    EXPECT_NEAR(decibels(PanTable[mark.position]), mark.db, 0.25) << "position " << mark.position;
}

// One strip in slot 0 with the given settings; the expected values are worked
// out by hand: gL = (v x PanTable[p]) >> 13, gR = (v x PanTable[100 - p]) >> 13,
// out = (s x g) >> 13 rounded toward minus infinity, then clamped.
struct StripCase {
  const char* what;
  int volume;
  int pan;
  std::vector<int16_t> samples;
  std::vector<int16_t> left;
  std::vector<int16_t> right;
};

class SingleStrip : public ::testing::TestWithParam<StripCase> {};

TEST_P(SingleStrip, ScalesTheTakeByItsVolumeAndPanGains) {
  const StripCase& c = GetParam();
  TempFolder folder;
  WriteTake(folder / "take.dat", "", c.samples);
  TakeFiles files;
  ASSERT_TRUE(files.Open(0, folder / "take.dat", 0));
  MixerSettings settings;
  settings.volume[0] = c.volume;
  settings.pan[0] = c.pan;

  const uint32_t count = uint32_t(c.samples.size());
  std::vector<int16_t> block(2 * count, 0);
  EXPECT_TRUE(MixBlock(block.data(), count, files, false, settings));
  for (uint32_t n = 0; n < count; ++n) {
    EXPECT_EQ(block[2 * n], c.left[n]) << "left of frame " << n;
    EXPECT_EQ(block[2 * n + 1], c.right[n]) << "right of frame " << n;
  }
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, SingleStrip,
    ::testing::Values(
        // 8192 x 8192 >> 13 = 8192: both sides unchanged.
        StripCase{"unity", 100, 50, {1000, -1, 32767, -32768}, {1000, -1, 32767, -32768},
                  {1000, -1, 32767, -32768}},
        StripCase{"volume0", 0, 50, {1000, -32768}, {0, 0}, {0, 0}},
        // Hard left: PanTable[0] = 8192 on the left, PanTable[100] = 0 on the right.
        StripCase{"pan0", 100, 0, {1000, -1000}, {1000, -1000}, {0, 0}},
        // gL = 11504, gR = 82: 1000 x 11504 / 8192 = 1404.3 -> 1404, -1404.3 -> -1405;
        // 1000 x 82 / 8192 = 10.01 -> 10, -10.01 -> -11.
        StripCase{"pan1", 100, 1, {1000, -1000}, {1404, -1405}, {10, -11}},
        // v = 32613: 1000 -> 3981.08 -> 3981, -1000 -> -3982, 10000 -> 39810 clamps.
        StripCase{"volume127", 127, 50, {1000, -1000, 10000, -10000},
                  {3981, -3982, 32767, -32768}, {3981, -3982, 32767, -32768}},
        // v = 2591, PanTable[75] = 4096, PanTable[25] = 9882: gL = 1295, gR = 3125;
        // 20000 x 1295 / 8192 = 3161.6, 20000 x 3125 / 8192 = 7629.4.
        StripCase{"volume60pan75", 60, 75, {20000, -20000}, {3161, -3162}, {7629, -7630}}),
    [](const auto& info) { return std::string(info.param.what); });

struct TwoStrips {
  TempFolder folder;
  TakeFiles files;
  MixerSettings settings;
  void open(int slot, const std::vector<int16_t>& samples, int volume) {
    const auto path = folder / ("slot" + std::to_string(slot) + ".dat");
    WriteTake(path, "", samples);
    ASSERT_TRUE(files.Open(slot, path, 0));
    settings.volume[slot] = volume;
  }
};

TEST(MixBlock, TwoFullScaleStripsAtVolume127SaturateAtTheSixteenBitLimits) {
  TwoStrips mix;
  mix.open(0, {32767, -32768, 32767}, 127);
  mix.open(1, {32767, -32768, -32768}, 127);
  int16_t block[6] = {};
  ASSERT_TRUE(MixBlock(block, 3, mix.files, false, mix.settings));
  // 32767 x 32613 >> 13 = 130448 clamps to 32767; adding it again stays there.
  EXPECT_EQ(block[0], 32767);
  EXPECT_EQ(block[1], 32767);
  EXPECT_EQ(block[2], -32768);
  EXPECT_EQ(block[3], -32768);
  // Slot 0 clamps to 32767 first, then slot 1 adds -130452: -97685 clamps low.
  EXPECT_EQ(block[4], -32768);
  EXPECT_EQ(block[5], -32768);
}

TEST(MixBlock, ClampsAfterEachSlotSoThatSlotOrderDecidesTheResult) {
  // Slot 0 alone gives 130448, clamped to 32767; slot 1 then takes 16384 off.
  // Clamping only the sum would give 114064 -> 32767 instead.
  TwoStrips loudFirst;
  loudFirst.open(0, {32767}, 127);
  loudFirst.open(1, {-16384}, 100);
  int16_t block[2] = {};
  ASSERT_TRUE(MixBlock(block, 1, loudFirst.files, false, loudFirst.settings));
  EXPECT_EQ(block[0], 16383);
  EXPECT_EQ(block[1], 16383);

  // The same two strips the other way round: -16384 + 130448 clamps to 32767.
  TwoStrips loudLast;
  loudLast.open(0, {-16384}, 100);
  loudLast.open(1, {32767}, 127);
  block[0] = block[1] = 0;
  ASSERT_TRUE(MixBlock(block, 1, loudLast.files, false, loudLast.settings));
  EXPECT_EQ(block[0], 32767);
  EXPECT_EQ(block[1], 32767);
}

TEST(MixBlock, MasterModeCopiesSlotZeroLeftAndSlotOneRightIgnoringVolumeAndPan) {
  TwoStrips mix;
  mix.open(0, {1, -2, 32767}, 0);
  mix.open(1, {-4, 5, -32768}, 0);
  mix.settings.pan[0] = 100;  // would silence the left side of a track
  mix.settings.pan[1] = 0;
  // The master files replace what is in the block.
  int16_t block[6] = {7, 7, 7, 7, 7, 7};
  ASSERT_TRUE(MixBlock(block, 3, mix.files, true, mix.settings));
  const int16_t expected[6] = {1, -4, -2, 5, 32767, -32768};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(block[i], expected[i]) << "value " << i;
}

TEST(MixBlock, AShorterSlotContributesOnlyWhatItReadAndTheEndGivesFalse) {
  TwoStrips mix;
  mix.open(0, {100, 200, 300}, 100);
  mix.open(1, {1, 2, 3, 4, 5, 6}, 100);
  int16_t block[12] = {};
  ASSERT_TRUE(MixBlock(block, 6, mix.files, false, mix.settings));
  const int16_t left[6] = {101, 202, 303, 4, 5, 6};
  for (int n = 0; n < 6; ++n) {
    EXPECT_EQ(block[2 * n], left[n]) << "frame " << n;
    EXPECT_EQ(block[2 * n + 1], left[n]) << "frame " << n;
  }
  int16_t next[12] = {};
  EXPECT_FALSE(MixBlock(next, 6, mix.files, false, mix.settings)) << "both takes have ended";
  for (int16_t value : next) EXPECT_EQ(value, 0);
}

TEST(MixBlock, WithNoOpenSlotNothingIsDelivered) {
  TakeFiles files;
  MixerSettings settings;
  int16_t block[4] = {};
  EXPECT_FALSE(MixBlock(block, 2, files, false, settings));
  EXPECT_FALSE(MixBlock(block, 2, files, true, settings));
}

// Block sizes around the mixer's internal runs and read pieces: a take that
// ends inside the block must still line up frame for frame.
TEST(MixBlock, UnityMixReproducesARampForAnyBlockLength) {
  for (uint32_t count : {1u, 15u, 16u, 17u, 37u, 8192u, 32768u, 40000u}) {
    SCOPED_TRACE("count " + std::to_string(count));
    TempFolder folder;
    const auto full = test::Ramp(count, -30000, 7);
    const auto shorter = test::Ramp(count - count / 3, 5, -3);
    WriteTake(folder / "full.dat", "", full);
    WriteTake(folder / "short.dat", "", shorter);
    TakeFiles files;
    ASSERT_TRUE(files.Open(2, folder / "full.dat", 0));
    ASSERT_TRUE(files.Open(9, folder / "short.dat", 0));
    MixerSettings settings;
    settings.pan[2] = 0;    // left only
    settings.pan[9] = 100;  // right only
    std::vector<int16_t> block(2 * size_t(count), 0);
    ASSERT_TRUE(MixBlock(block.data(), count, files, false, settings));
    for (uint32_t n = 0; n < count; ++n) {
      ASSERT_EQ(block[2 * n], full[n]) << "left of frame " << n;
      ASSERT_EQ(block[2 * n + 1], n < shorter.size() ? shorter[n] : 0) << "right of frame " << n;
    }
  }
}

TEST(MixBlock, ASettingChangedBetweenBlocksIsHeardFromTheNextBlock) {
  TwoStrips mix;
  mix.open(0, {1000, 1000}, 100);
  int16_t block[2] = {};
  ASSERT_TRUE(MixBlock(block, 1, mix.files, false, mix.settings));
  EXPECT_EQ(block[0], 1000);
  mix.settings.volume[0] = 0;
  block[0] = block[1] = 0;
  ASSERT_TRUE(MixBlock(block, 1, mix.files, false, mix.settings));
  EXPECT_EQ(block[0], 0);
  mix.settings.Reset();
  EXPECT_EQ(mix.settings.volume[0].load(), 100);
  EXPECT_EQ(mix.settings.pan[0].load(), 50);
}

// Frames whose sum saturated, worked out by hand. Volume 127 centred gives
// both sides the gain 32613: 10000 -> 39810 (326,130,000 >> 13), -10000 ->
// -39811, 5000 -> 19905, 100 -> 398; hard right (pan 100) gives the left 0
// and the right 32613, so 9000 -> 35829 on the right only.
TEST(MixBlock, CountsEachFrameWhoseSumSaturatedAtAnySlotOnce) {
  TwoStrips mix;
  mix.open(0, {10000, 100, -10000, 0, 5000, 10000, 0}, 127);
  mix.open(1, {0, 100, 0, -10000, 5000, -10000, 0}, 127);
  mix.open(2, {0, 0, 0, 0, 0, 0, 9000}, 127);
  mix.settings.pan[2] = 100;
  int16_t block[14] = {};
  const MixResult result = MixBlock(block, 7, mix.files, false, mix.settings);
  ASSERT_TRUE(result.delivered);
  // Frame 0 clips on both sides (counted once), 1 stays at 796, 2 and 3
  // clip low, 4 clips when slot 1 adds 19905 to 19905, 5 clips at slot 0
  // and ends in range (32767 - 39811 = -7044), 6 clips on the right only.
  const int16_t expected[14] = {32767, 32767, 796, 796, -32768, -32768, -32768, -32768,
                                32767, 32767, -7044, -7044, 0, 32767};
  for (int i = 0; i < 14; ++i) EXPECT_EQ(block[i], expected[i]) << "value " << i;
  EXPECT_EQ(result.clippedFrames, 6u);

  TwoStrips master;
  master.open(0, {32767, -32768}, 127);
  master.open(1, {32767, -32768}, 127);
  int16_t copied[4] = {};
  EXPECT_EQ(MixBlock(copied, 2, master.files, true, master.settings).clippedFrames, 0u)
      << "a master take is copied, never summed";
}

// The mixer's arithmetic stated plainly, one slot after the other over the
// whole block, as the reference the chunked kernel must match bit for bit.
struct ReferenceMix {
  std::vector<int16_t> stereo;
  uint32_t clippedFrames = 0;
};

ReferenceMix referenceMix(const std::vector<std::vector<int16_t>>& slots, const MixerSettings& settings,
                          size_t count) {
  ReferenceMix mix{std::vector<int16_t>(2 * count, 0), 0};
  std::vector<bool> clipped(count, false);
  for (size_t slot = 0; slot < slots.size(); ++slot) {
    const int32_t v = VolumeTable[settings.volume[slot].load()];
    const int p = settings.pan[slot].load();
    const int32_t gains[2] = {(v * PanTable[p]) >> 13, (v * PanTable[100 - p]) >> 13};
    for (size_t n = 0; n < std::min(count, slots[slot].size()); ++n)
      for (int side = 0; side < 2; ++side) {
        const int32_t sum = mix.stereo[2 * n + side] + ((slots[slot][n] * gains[side]) >> 13);
        const int32_t clamped = std::clamp(sum, -32768, 32767);
        if (clamped != sum) clipped[n] = true;
        mix.stereo[2 * n + side] = int16_t(clamped);
      }
  }
  mix.clippedFrames = uint32_t(std::count(clipped.begin(), clipped.end(), true));
  return mix;
}

TEST(MixBlock, SixteenLoudSlotsOfMixedLengthsMatchTheReferenceMixBitForBit) {
  std::mt19937 random(20261210);
  for (uint32_t count : {1u, 2047u, 2049u, 8192u, 32768u, 40000u}) {
    SCOPED_TRACE("count " + std::to_string(count));
    TempFolder folder;
    TakeFiles files;
    MixerSettings settings;
    std::vector<std::vector<int16_t>> slots(TakeFiles::SlotCount);
    for (int slot = 0; slot < TakeFiles::SlotCount; ++slot) {
      // Some takes end inside the block, some are empty.
      const size_t length = std::uniform_int_distribution<size_t>(0, count + 100)(random);
      std::uniform_int_distribution<int> sample(-32768, 32767);
      for (size_t n = 0; n < length; ++n) slots[slot].push_back(int16_t(sample(random) / (1 + slot % 4)));
      const auto path = folder / ("slot" + std::to_string(slot) + ".dat");
      WriteTake(path, "", slots[slot]);
      ASSERT_TRUE(files.Open(slot, path, 0));
      settings.volume[slot] = std::uniform_int_distribution<int>(0, 127)(random);
      settings.pan[slot] = std::uniform_int_distribution<int>(0, 100)(random);
    }
    const ReferenceMix expected = referenceMix(slots, settings, count);
    if (count > 1000) ASSERT_GT(expected.clippedFrames, 0u) << "the case must exercise the clamp";
    std::vector<int16_t> block(2 * size_t(count), 0);
    const MixResult result = MixBlock(block.data(), count, files, false, settings);
    EXPECT_TRUE(block == expected.stereo) << "the mix differs from the reference";
    EXPECT_EQ(result.clippedFrames, expected.clippedFrames);
  }
}

}  // namespace
}  // namespace tp
