// What the audition measures for the meters and what mute and solo let
// through, heard on the virtual sound device: the test plays the stream's
// halves one at a time, so every block is known. Expected levels are worked
// out by hand from the gain tables; expected sound is the reference mix of
// the takes heard.
#include "playback/transport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "playback/virtualsounddevice.h"
#include "support/projectfixture.h"
#include "support/referencemix.h"

namespace tp {
namespace {

using test::TempFolder;
using test::WriteTake;

constexpr uint32_t Half = Transport::FramesPerHalf;

// The notices are not what these tests look at; they are only counted.
class CountedNotices : public TransportEvents {
 public:
  void PostPlayEnd(int) override { ++ends; }
  void PostPlayPos(uint32_t) override { ++positions; }
  std::atomic<int> ends{0}, positions{0};
};

// Up to 16 tracks of takes written to a scratch folder, auditioned on the
// virtual device.
struct MeteredAudition {
  explicit MeteredAudition(const std::vector<std::pair<int, std::vector<int16_t>>>& takes) {
    for (const auto& [track, samples] : takes) {
      const auto path = folder / ("TRACK" + std::to_string(track) + ".DAT");
      WriteTake(path, "", samples);
      selection.takes[size_t(track)] = path;
      tracks[size_t(track)].samples = samples;
    }
    auto owned = std::make_unique<VirtualSoundDevice>();
    device = owned.get();
    transport = std::make_unique<Transport>(notices, std::move(owned));
  }

  void set(int track, int volume, int pan) {
    transport->Settings().volume[track] = tracks[size_t(track)].volume = volume;
    transport->Settings().pan[track] = tracks[size_t(track)].pan = pan;
  }

  // The device plays one half, the stream mixes the next block into it.
  void playHalf() {
    ASSERT_TRUE(device->PlayNextHalf());
    ASSERT_TRUE(device->WaitForHalvesWritten(device->HalvesPlayed()));
  }

  TempFolder folder;
  PlaySelection selection;
  std::array<test::ReferenceTrack, 16> tracks;
  CountedNotices notices;
  VirtualSoundDevice* device = nullptr;
  std::unique_ptr<Transport> transport;
};

// A sine whose crest is 16384 (or 32767) and falls on a sample: the period
// is 64 samples. Strip gains (v x PanTable[p]) >> 13 from the tables:
//   volume 100, pan 50: 8192 both sides; 16384 -> 16384, -6.02 dBFS.
//   volume 60, pan 75: left 2591 x 4096 >> 13 = 1295, right 2591 x 9882 >> 13
//     = 3125; 16384 x 3125 / 8192 = 6250, -14.39 dBFS; left 2590, -22.03.
//   volume 127, pan 50: 32613 both; 16384 x 32613 / 8192 = 65226, +5.98 dBFS
//     for the strip; the mix clamps at 32767, -0.00 dBFS.
//   volume 35, pan 0: 819 left, 0 right; 32767 x 819 >> 13 = 3275, -20.00.
//   volume 100, pan 100: 0 left, 8192 right; 16384, -6.02 on the right.
struct SineCase {
  const char* what;
  int volume, pan;
  double amplitude;
  double stripDb, leftDb, rightDb;  // -100 for silence
};

class SineLevels : public ::testing::TestWithParam<SineCase> {};

double Decibels(int32_t peak) { return peak == 0 ? -100.0 : PeakDecibels(peak); }

TEST_P(SineLevels, OneBlockGivesThePeakOfTheStripAndOfTheMixInDecibels) {
  const SineCase& c = GetParam();
  MeteredAudition audition({{6, test::Sine(3 * Half, c.amplitude, 64)}});
  audition.set(6, c.volume, c.pan);
  ASSERT_EQ(audition.transport->Start(audition.selection, 0), 1);
  audition.playHalf();

  const BlockLevels levels = audition.transport->Levels().Take();
  EXPECT_NEAR(Decibels(levels.strip[6]), c.stripDb, 0.5);
  EXPECT_NEAR(Decibels(levels.mix[0]), c.leftDb, 0.5);
  EXPECT_NEAR(Decibels(levels.mix[1]), c.rightDb, 0.5);
  for (int strip = 0; strip < 16; ++strip) {
    if (strip != 6) {
      EXPECT_EQ(levels.strip[size_t(strip)], 0) << "strip " << strip << " has no take";
    }
  }
  audition.transport->OnPlayEnd(PlayEndedByUser);
}

INSTANTIATE_TEST_SUITE_P(
    KnownGains, SineLevels,
    ::testing::Values(SineCase{"unity", 100, 50, 16384, -6.02, -6.02, -6.02},
                      SineCase{"volume60pan75", 60, 75, 16384, -14.39, -22.03, -14.39},
                      SineCase{"volume127", 127, 50, 16384, 5.98, 0.0, 0.0},
                      SineCase{"volume35hardLeft", 35, 0, 32767, -20.0, -20.0, -100},
                      SineCase{"hardRight", 100, 100, 16384, -6.02, -100, -6.02}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(MeteredAudition, ASaturatingMixLightsTheClipFlagUntilTheNextAuditionStarts) {
  // Two full-scale tracks at unity: from the second sample of the block on
  // their sum passes 32767.
  MeteredAudition audition({{0, test::Sine(4 * Half, 30000, 64)}, {1, test::Sine(4 * Half, 30000, 64)}});
  ASSERT_EQ(audition.transport->Start(audition.selection, 0), 2);
  audition.playHalf();
  EXPECT_TRUE(audition.transport->Levels().ClipLit());
  audition.playHalf();
  audition.transport->Levels().Take();
  EXPECT_TRUE(audition.transport->Levels().ClipLit()) << "taking the levels leaves the flag lit";

  audition.transport->OnPlayEnd(PlayEndedByUser);
  audition.set(1, 0, 50);  // the second track silent: no sum saturates
  ASSERT_EQ(audition.transport->Start(audition.selection, 0), 2);
  EXPECT_FALSE(audition.transport->Levels().ClipLit()) << "a new audition starts unlit";
  audition.playHalf();
  audition.playHalf();
  EXPECT_FALSE(audition.transport->Levels().ClipLit());
  audition.transport->OnPlayEnd(PlayEndedByUser);
}

// Mute and solo states against what the device hears: the reference mix
// of the tracks heard, frame for frame.
struct HeardCase {
  const char* what;
  std::vector<int> muted, soloed;
  std::vector<int> heard;
};

class MuteSoloAudition : public ::testing::TestWithParam<HeardCase> {};

TEST_P(MuteSoloAudition, TheDeviceHearsExactlyTheTracksHeard) {
  const HeardCase& c = GetParam();
  MeteredAudition audition({{0, test::Ramp(2 * Half, -20000, 3)},
                            {3, test::Ramp(2 * Half, 9000, -2)},
                            {9, test::Ramp(Half + 300, 31000, -7)}});
  audition.set(3, 110, 30);
  audition.set(9, 80, 90);
  for (int track : c.muted) audition.transport->Settings().mute[track] = true;
  for (int track : c.soloed) audition.transport->Settings().solo[track] = true;
  for (auto& track : audition.tracks) track.heard = false;
  for (int track : c.heard) audition.tracks[size_t(track)].heard = true;

  ASSERT_EQ(audition.transport->Start(audition.selection, 0), 3);
  for (int half = 0; half < 4; ++half) audition.playHalf();
  // Two halves of silence from the start, then two blocks of the mix.
  const std::vector<int16_t> received = audition.device->Received();
  ASSERT_GE(received.size(), size_t(2 * 4 * Half));
  const std::vector<int16_t> heard(received.begin() + 2 * 2 * Half, received.begin() + 2 * 4 * Half);
  EXPECT_EQ(heard, test::ReferenceMix(audition.tracks, 2 * Half).stereo);

  const BlockLevels levels = audition.transport->Levels().Take();
  for (int track : {0, 3, 9}) {
    const bool isHeard = audition.tracks[size_t(track)].heard;
    EXPECT_EQ(levels.strip[size_t(track)] > 0, isHeard) << "the meter of track " << track + 1;
  }
  audition.transport->OnPlayEnd(PlayEndedByUser);
}

INSTANTIATE_TEST_SUITE_P(
    States, MuteSoloAudition,
    ::testing::Values(HeardCase{"none", {}, {}, {0, 3, 9}}, HeardCase{"mute3", {3}, {}, {0, 9}},
                      HeardCase{"mute0and9", {0, 9}, {}, {3}}, HeardCase{"solo9", {}, {9}, {9}},
                      HeardCase{"solo0and3", {}, {0, 3}, {0, 3}},
                      HeardCase{"solo3mute3", {3}, {3}, {}},
                      HeardCase{"solo0mute9", {9}, {0}, {0}},
                      HeardCase{"soloATrackWithoutTake", {}, {5}, {}}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(MeteredAudition, AMuteDuringTheAuditionIsHeardFromTheNextBlockAndTheTakeStaysInTime) {
  const auto takeA = test::Ramp(3 * Half, -30000, 2), takeB = test::Ramp(3 * Half, 100, 1);
  MeteredAudition audition({{0, takeA}, {1, takeB}});
  ASSERT_EQ(audition.transport->Start(audition.selection, 0), 2);
  audition.playHalf();  // block 0 mixed with both tracks
  audition.transport->Settings().mute[1] = true;
  audition.playHalf();  // block 1 without track 2
  audition.transport->Settings().mute[1] = false;
  for (int half = 0; half < 3; ++half) audition.playHalf();  // block 2, both again

  auto both = audition.tracks;
  auto onlyA = audition.tracks;
  onlyA[1].heard = false;
  const auto mixBoth = test::ReferenceMix(both, 3 * Half).stereo;
  const auto mixA = test::ReferenceMix(onlyA, 3 * Half).stereo;
  const std::vector<int16_t> received = audition.device->Received();
  ASSERT_GE(received.size(), size_t(2 * 5 * Half));
  const auto block = [&](const std::vector<int16_t>& samples, size_t n) {
    return std::vector<int16_t>(samples.begin() + 2 * n * Half, samples.begin() + 2 * (n + 1) * Half);
  };
  EXPECT_EQ(block(received, 2), block(mixBoth, 0));
  EXPECT_EQ(block(received, 3), block(mixA, 1));
  EXPECT_EQ(block(received, 4), block(mixBoth, 2)) << "track 2 comes back where its take has got to";
  audition.transport->OnPlayEnd(PlayEndedByUser);
}

}  // namespace
}  // namespace tp
