// The mixer's gains carried into a mono strip that pans by the −3 dB law:
// every volume and pan position of the mixer, and the law's own points
// worked out by hand.
#include <cmath>

#include <gtest/gtest.h>

#include "dawproject/panlaw.h"
#include "mix/mixer.h"

namespace tp {
namespace {

TEST(MonoPanLaw, IsSilentAtTheFarSideWholeAtTheNearOneAndThreeDecibelsDownInTheCentre) {
  EXPECT_EQ(MonoPanLawSide(0.0), 0.0);
  EXPECT_NEAR(MonoPanLawSide(1.0), 1.0, 1e-15);
  EXPECT_NEAR(MonoPanLawSide(0.5), std::pow(10.0, -3.0 / 20.0), 1e-9);
  // Rising all the way, so that one azimuth gives each ratio of the sides.
  for (int i = 1; i <= 1000; ++i) EXPECT_GT(MonoPanLawSide(i / 1000.0), MonoPanLawSide((i - 1) / 1000.0)) << i;
}

TEST(MonoPanLaw, TheMixersGainsAreTheTablesProductShiftedDown) {
  // Volume 100 (unity) at the centre: 8192 · 8192 >> 13 = 8192 on both sides.
  EXPECT_EQ(MixerLeftGain(100, 50), 1.0);
  EXPECT_EQ(MixerRightGain(100, 50), 1.0);
  // Hard left passes the take unchanged on the left and nothing on the right.
  EXPECT_EQ(MixerLeftGain(100, 0), 1.0);
  EXPECT_EQ(MixerRightGain(100, 0), 0.0);
  // Volume 127 panned to 1: (32613 · 11504) >> 13 = 45798; (32613 · 82) >> 13 = 326.
  EXPECT_EQ(MixerLeftGain(127, 1), 45798 / 8192.0);
  EXPECT_EQ(MixerRightGain(127, 1), 326 / 8192.0);
}

TEST(MonoPanLaw, EverySettingOfTheMixerComesBackWithinTwoHundredthsOfAStepAtFullScale) {
  double worst = 0;
  for (int volume = 0; volume < 128; ++volume)
    for (int pan = 0; pan <= 100; ++pan) {
      SCOPED_TRACE(testing::Message() << "volume " << volume << ", pan " << pan);
      const MonoStripGains gains = SolveMonoStrip(volume, pan);
      ASSERT_GE(gains.azimuth, 0.0);
      ASSERT_LE(gains.azimuth, 1.0);
      ASSERT_GE(gains.fader, 0.0);
      ASSERT_LE(gains.fader, FaderTop);
      ASSERT_GE(gains.trim, TrimBottom);
      ASSERT_LE(gains.trim, TrimTop);
      // The rest goes to the trim only once the fader is at its top.
      if (gains.trim != 1.0) EXPECT_EQ(gains.fader, FaderTop);
      const double amplitude = gains.fader * gains.trim;
      const double left = amplitude * MonoPanLawSide(1 - gains.azimuth);
      const double right = amplitude * MonoPanLawSide(gains.azimuth);
      const double leftError = std::abs(left - MixerLeftGain(volume, pan)) * 32768;
      const double rightError = std::abs(right - MixerRightGain(volume, pan)) * 32768;
      EXPECT_LE(leftError, 0.02);
      EXPECT_LE(rightError, 0.02);
      worst = std::max({worst, leftError, rightError});
    }
  RecordProperty("worst_lsb", std::to_string(worst));
}

TEST(MonoPanLaw, UnityInTheCentreIsTheCentreAzimuthWithTheLawsThreeDecibelsMadeUpByTheFader) {
  const MonoStripGains centre = SolveMonoStrip(100, 50);
  EXPECT_NEAR(centre.azimuth, 0.5, 1e-12);
  EXPECT_NEAR(centre.fader, std::pow(10.0, 3.0 / 20.0), 1e-6);
  EXPECT_EQ(centre.trim, 1.0);
  const MonoStripGains silent = SolveMonoStrip(0, 30);
  EXPECT_EQ(silent.fader, 0.0);
  const MonoStripGains hardRight = SolveMonoStrip(100, 100);
  EXPECT_EQ(hardRight.azimuth, 1.0);
  EXPECT_NEAR(hardRight.fader, 1.0, 1e-12);
}

}  // namespace
}  // namespace tp
