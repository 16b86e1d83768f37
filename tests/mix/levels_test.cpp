// The mixer's measurements for the meters, mute and solo in MixBlock, and the
// exchange that carries the levels from the mixing thread to the window.
#include "mix/levelexchange.h"
#include "mix/levels.h"
#include "mix/mixer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "support/projectfixture.h"
#include "support/referencemix.h"

namespace tp {
namespace {

using test::TempFolder;
using test::WriteTake;

// Peaks worked out by hand from (s x g) >> 13, which rounds toward minus
// infinity: the low side of a sample scales to a magnitude one larger.
TEST(ScaledPeak, IsTheLargerMagnitudeOfTheScaledExtremes) {
  const struct {
    const char* what;
    std::vector<int16_t> samples;
    int32_t gain;
    int32_t peak;
  } cases[] = {
      {"unity", {100, -32768, 32767}, 8192, 32768},
      {"only positive", {3, 7, 1000}, 8192, 1000},
      // 1000 x 3125 = 3125000 >> 13 = 381; -1000 gives -382.
      {"a low peak rounds away from zero", {1000, -1000}, 3125, 382},
      // +12 dB: 20000 x 32613 / 8192 = 79621.6 -> 79621, past full scale.
      {"past full scale", {20000, -5}, 32613, 79621},
      {"silence", {0, 0, 0}, 8192, 0},
      {"no gain", {32767, -32768}, 0, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ScaledPeak(c.samples.data(), c.samples.size(), c.gain), c.peak) << c.what;
  EXPECT_EQ(ScaledPeak(nullptr, 0, 8192), 0);
}

TEST(StereoPeaks, MeasureEachSideOnItsOwn) {
  const int16_t block[] = {10, -20, -32768, 5, 300, 32767};
  const auto peaks = StereoPeaks(block, 3);
  EXPECT_EQ(peaks[0], 32768);
  EXPECT_EQ(peaks[1], 32767);
}

TEST(PeakDecibels, IsRelativeToFullScale) {
  EXPECT_DOUBLE_EQ(PeakDecibels(32768), 0.0);
  EXPECT_NEAR(PeakDecibels(16384), -6.0206, 1e-4);
  EXPECT_NEAR(PeakDecibels(33), -59.94, 0.01);
  EXPECT_TRUE(std::isinf(PeakDecibels(0)) && PeakDecibels(0) < 0);
}

// Mute and solo states, strip by strip, against the strips heard.
TEST(HeardStrips, FollowMuteAndAnySolo) {
  const struct {
    const char* what;
    std::vector<int> muted, soloed;
    uint32_t heard;
  } cases[] = {
      {"nothing set", {}, {}, 0xffff},
      {"one mute", {3}, {}, 0xffff & ~(1u << 3)},
      {"two mutes", {0, 15}, {}, 0x7ffe},
      {"one solo", {}, {5}, 1u << 5},
      {"two solos", {}, {1, 2}, 0x6},
      {"a mute beats its own solo", {2}, {1, 2}, 0x2},
      {"a mute outside the solos changes nothing", {9}, {1}, 0x2},
      {"every strip soloed", {}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, 0xffff},
      {"every strip muted", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, {}, 0},
  };
  for (const auto& c : cases) {
    MixerSettings settings;
    for (int strip : c.muted) settings.mute[strip] = true;
    for (int strip : c.soloed) settings.solo[strip] = true;
    EXPECT_EQ(HeardStrips(settings), c.heard) << c.what;
  }
}

TEST(MixerSettings, ResetClearsMuteAndSolo) {
  MixerSettings settings;
  settings.mute[4] = true;
  settings.solo[7] = true;
  settings.Reset();
  EXPECT_EQ(HeardStrips(settings), 0xffffu);
}

// Three tracks of different ramps, mixed with mute and solo states and
// compared with the reference mix of the tracks heard.
class MixBlockMuteSolo : public ::testing::Test {
 protected:
  static constexpr uint32_t Frames = 3000;
  void SetUp() override {
    const std::vector<int16_t> takes[] = {test::Ramp(Frames, -9000, 5), test::Ramp(Frames - 700, 12000, 3),
                                          test::Ramp(Frames, 20000, -11)};
    for (int slot = 0; slot < 3; ++slot) {
      tracks[size_t(slot * 4)].samples = takes[slot];
      tracks[size_t(slot * 4)].volume = 90 + 10 * slot;
      tracks[size_t(slot * 4)].pan = 20 + 30 * slot;
      const auto path = folder / ("slot" + std::to_string(slot) + ".dat");
      WriteTake(path, "", takes[slot]);
      paths.push_back(path);
    }
  }

  std::vector<int16_t> mix(const MixerSettings& settings, BlockLevels* levels = nullptr) {
    TakeFiles files;
    for (int slot = 0; slot < 3; ++slot) EXPECT_TRUE(files.Open(slot * 4, paths[size_t(slot)], 0));
    std::vector<int16_t> block(2 * Frames, 0);
    EXPECT_TRUE(MixBlock(block.data(), Frames, files, false, settings, levels));
    return block;
  }

  void apply(MixerSettings& settings, uint32_t mutedTracks, uint32_t soloedTracks) {
    for (int strip = 0; strip < 16; ++strip) {
      settings.volume[strip] = tracks[size_t(strip)].volume;
      settings.pan[strip] = tracks[size_t(strip)].pan;
      settings.mute[strip] = (mutedTracks >> strip) & 1;
      settings.solo[strip] = (soloedTracks >> strip) & 1;
    }
  }

  TempFolder folder;
  std::vector<std::filesystem::path> paths;
  std::array<test::ReferenceTrack, 16> tracks;
};

TEST_F(MixBlockMuteSolo, AddsExactlyTheTracksHeard) {
  // Tracks 0, 4 and 8 hold takes; bits of strips.
  const struct {
    const char* what;
    uint32_t muted, soloed;
  } cases[] = {
      {"none", 0, 0},
      {"mute 4", 1u << 4, 0},
      {"mute 0 and 8", 0x101, 0},
      {"solo 8", 0, 1u << 8},
      {"solo 0 and 4", 0, 0x11},
      {"solo 4, mute 4", 1u << 4, 1u << 4},
      {"solo a strip without a take", 0, 1u << 2},
      {"mute all three", 0x111, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MixerSettings settings;
    apply(settings, c.muted, c.soloed);
    auto expected = tracks;
    for (int strip = 0; strip < 16; ++strip) expected[size_t(strip)].heard = (HeardStrips(settings) >> strip) & 1;
    EXPECT_EQ(mix(settings), test::ReferenceMix(expected, Frames).stereo);
  }
}

TEST_F(MixBlockMuteSolo, AnUnheardTrackIsStillReadAndComesBackInTime) {
  TakeFiles files;
  for (int slot = 0; slot < 3; ++slot) ASSERT_TRUE(files.Open(slot * 4, paths[size_t(slot)], 0));
  MixerSettings settings;
  apply(settings, 0, 1u << 0);  // only track 1 heard at first
  std::vector<int16_t> first(2 * 1000, 0), second(2 * 1000, 0);
  ASSERT_TRUE(MixBlock(first.data(), 1000, files, false, settings));
  settings.solo[0] = false;
  ASSERT_TRUE(MixBlock(second.data(), 1000, files, false, settings));
  const auto reference = test::ReferenceMix(tracks, 2000).stereo;
  EXPECT_TRUE(std::equal(second.begin(), second.end(), reference.begin() + 2000))
      << "the second block is frames 1000-1999 of every take";
}

TEST_F(MixBlockMuteSolo, ReportsEachHeardStripsPeakOnItsLouderSide) {
  BlockLevels levels;
  levels.strip.fill(-1);
  MixerSettings settings;
  apply(settings, 1u << 8, 0);
  mix(settings, &levels);
  for (int strip = 0; strip < 16; ++strip) {
    if (strip != 0 && strip != 4) {
      EXPECT_EQ(levels.strip[size_t(strip)], 0) << "strip " << strip << " is empty or muted";
      continue;
    }
    // The reference mix of the strip alone gives its sides; the peak is the louder.
    auto alone = tracks;
    for (int other = 0; other < 16; ++other) alone[size_t(other)].heard = other == strip;
    const auto stereo = test::ReferenceMix(alone, Frames).stereo;
    int32_t expected = 0;
    for (int16_t s : stereo) expected = std::max(expected, std::abs(int32_t(s)));
    EXPECT_EQ(levels.strip[size_t(strip)], expected) << "strip " << strip;
  }
}

TEST(MixBlockMasterMode, IgnoresMuteAndSolo) {
  TempFolder folder;
  WriteTake(folder / "l.dat", "", {1, 2, 3});
  WriteTake(folder / "r.dat", "", {-1, -2, -3});
  TakeFiles files;
  ASSERT_TRUE(files.Open(0, folder / "l.dat", 0));
  ASSERT_TRUE(files.Open(1, folder / "r.dat", 0));
  MixerSettings settings;
  settings.mute[0] = true;
  settings.solo[5] = true;
  int16_t block[6] = {};
  ASSERT_TRUE(MixBlock(block, 3, files, true, settings));
  const int16_t expected[6] = {1, -1, 2, -2, 3, -3};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(block[i], expected[i]) << "value " << i;
}

TEST(LevelExchange, TakesTheHighestPeakSinceTheLastTakeAndThenNothing) {
  LevelExchange exchange;
  BlockLevels block;
  block.strip[3] = 1000;
  block.mix = {500, 700};
  exchange.Publish(block, 0);
  block.strip[3] = 400;
  block.strip[15] = 32768;
  block.mix = {900, 100};
  exchange.Publish(block, 0);

  const BlockLevels taken = exchange.Take();
  EXPECT_EQ(taken.strip[3], 1000);
  EXPECT_EQ(taken.strip[15], 32768);
  EXPECT_EQ(taken.strip[0], 0);
  EXPECT_EQ(taken.mix[0], 900);
  EXPECT_EQ(taken.mix[1], 700);
  const BlockLevels again = exchange.Take();
  EXPECT_EQ(again.strip[3], 0);
  EXPECT_EQ(again.mix[0], 0);
  EXPECT_FALSE(exchange.ClipLit());
}

TEST(LevelExchange, TheClipFlagHoldsUntilCleared) {
  LevelExchange exchange;
  exchange.Publish({}, 312);
  EXPECT_TRUE(exchange.ClipLit());
  exchange.Take();
  exchange.Publish({}, 0);
  EXPECT_TRUE(exchange.ClipLit()) << "a block without clipping does not put it out";
  exchange.ClearClip();
  EXPECT_FALSE(exchange.ClipLit());
  exchange.Publish({}, 1);
  exchange.Clear();
  EXPECT_FALSE(exchange.ClipLit());
}

// A writer raising peaks while a reader takes them. The writer's peaks only
// grow, so every take that finds one finds a higher one than the take
// before; the highest of all is always seen, and nothing else is invented.
TEST(LevelExchange, AReaderRacingTheWriterMissesNoPeak) {
  LevelExchange exchange;
  constexpr int Blocks = 20000;
  std::thread writer([&exchange] {
    for (int n = 1; n <= Blocks; ++n) {
      BlockLevels block;
      block.strip[0] = n;
      block.mix = {n, Blocks - n};
      exchange.Publish(block, 0);
    }
  });
  int32_t highest = 0;
  bool alwaysHigher = true;
  for (int looks = 0; looks < 1000; ++looks) {
    const int32_t taken = exchange.Take().strip[0];
    if (taken == 0) continue;
    alwaysHigher = alwaysHigher && taken > highest && taken <= Blocks;
    highest = taken;
  }
  writer.join();
  highest = std::max(highest, exchange.Take().strip[0]);
  EXPECT_EQ(highest, Blocks);
  EXPECT_TRUE(alwaysHigher);
}

}  // namespace
}  // namespace tp
