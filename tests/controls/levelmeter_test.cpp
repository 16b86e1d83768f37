// The level meter: how it rises, holds and falls (times handed in by the
// test, no clock), and what it paints.
#include "controls/meterballistics.h"
#include "controls/skin.h"
#include "controls/tlevelmeter.h"

#include <QImage>

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

using namespace tp;

constexpr double Silence = -std::numeric_limits<double>::infinity();

// Steps of (peak, seconds since the step before) and where the level and
// the hold mark stand after each, worked out from a 20 dB/s fall and a
// 1.5 s hold.
TEST(MeterBallistics, JumpsToAPeakFallsTwentyDecibelsASecondAndHoldsThePeakForOneAndAHalfSeconds) {
  const struct {
    double peak, seconds;
    double level, hold;
  } steps[] = {
      {-12.0, 0.033, -12.0, -12.0},       // up at once
      {Silence, 0.5, -22.0, -12.0},       // falls 10 dB in half a second; the mark holds
      {-30.0, 0.25, -27.0, -12.0},        // a lower peak does not stop the fall
      {Silence, 0.5, -37.0, -12.0},       // 1.25 s after the peak: still held
      {Silence, 0.5, -47.0, -17.0},       // 1.75 s: the mark has fallen for 0.25 s
      {-6.0, 0.1, -6.0, -6.0},            // a new peak above the mark takes it up again
      {Silence, 10.0, -60.0, -60.0},      // both come to rest at the floor
      {3.0, 0.033, 3.0, 3.0},             // a strip past full scale reads above 0 dBFS
  };
  MeterBallistics meter;
  EXPECT_TRUE(meter.AtRest());
  int index = 0;
  for (const auto& step : steps) {
    meter.Update(step.peak, step.seconds);
    EXPECT_NEAR(meter.Level(), step.level, 1e-9) << "step " << index;
    EXPECT_NEAR(meter.Hold(), step.hold, 1e-9) << "step " << index;
    ++index;
  }
  meter.Reset();
  EXPECT_TRUE(meter.AtRest());
}

TEST(MeterBallistics, TheScaleRunsFromMinus60AtTheLeftToZeroAtTheRight) {
  EXPECT_DOUBLE_EQ(MeterFraction(-60.0), 0.0);
  EXPECT_DOUBLE_EQ(MeterFraction(-30.0), 0.5);
  EXPECT_DOUBLE_EQ(MeterFraction(0.0), 1.0);
  EXPECT_DOUBLE_EQ(MeterFraction(6.0), 1.0);
  EXPECT_DOUBLE_EQ(MeterFraction(Silence), 0.0);
}

// Red above -6 dBFS, amber above -18, green below: the skin's lamps.
TEST(MeterBar, IsGreenThenAmberThenRedAndDarkWhenUnlit) {
  const QImage lit = Skin::MeterBar(QSize(120, 4), true);
  const QImage dark = Skin::MeterBar(QSize(120, 4), false);
  ASSERT_EQ(lit.size(), QSize(120, 4));
  const auto colourAt = [](const QImage& bar, double decibels) {
    // The first pixel of the segment that holds that level.
    const int x = int(MeterFraction(decibels) * bar.width()) / 3 * 3;
    return QColor(bar.pixel(x, 2));
  };
  const QColor green = colourAt(lit, -40), amber = colourAt(lit, -12), red = colourAt(lit, -3);
  EXPECT_GT(green.green(), green.red());
  EXPECT_GT(amber.red(), amber.blue());
  EXPECT_GT(amber.green(), 2 * amber.blue());
  EXPECT_GT(red.red(), 2 * red.green());
  for (double decibels : {-40.0, -12.0, -3.0})
    EXPECT_LT(colourAt(dark, decibels).value(), colourAt(lit, decibels).value() / 3) << decibels;
}

TEST(TLevelMeter, PaintsEachChannelLitUpToItsLevel) {
  TLevelMeter meter(2);
  meter.resize(122, 11);
  meter.Feed({-30.0, -6.0}, 0.033);
  const QImage picture = meter.grab().toImage();
  const QImage lit = Skin::MeterBar(meter.BarRect(0).size(), true);
  const QImage dark = Skin::MeterBar(meter.BarRect(0).size(), false);
  for (int channel = 0; channel < 2; ++channel) {
    const QRect bar = meter.BarRect(channel);
    const double level = channel == 0 ? -30.0 : -6.0;
    // The first whole segment, and one well past the level.
    const int inside = 0, outside = (int(MeterFraction(level + 4) * bar.width()) / 3) * 3;
    EXPECT_EQ(picture.pixel(bar.left() + inside, bar.top() + 1), lit.pixel(inside, 1)) << "channel " << channel;
    EXPECT_EQ(picture.pixel(bar.left() + outside, bar.top() + 1), dark.pixel(outside, 1)) << "channel " << channel;
  }
  EXPECT_EQ(meter.BarRect(0).bottom() + 2, meter.BarRect(1).top()) << "the left bar sits above the right";
  EXPECT_FALSE(meter.AtRest());
  meter.Reset();
  EXPECT_TRUE(meter.AtRest());
}

}  // namespace
