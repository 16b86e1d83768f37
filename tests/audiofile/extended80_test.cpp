// The AIFF sample rate field: 80-bit extended values to and from long double.
#include "audiofile/extended80.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

namespace tp {
namespace {

using Rate = std::array<uint8_t, Extended80Size>;

// Bytes worked out by hand: value = mantissa x 2^(exponent - 16383 - 63),
// with the mantissa's leading bit stored.
struct Case {
  long double value;
  Rate bytes;
  bool needs64BitMantissa;  // not representable in a host long double of 53 bits
};

const Case Cases[] = {
    {44100.0L, {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}, false},
    {48000.0L, {0x40, 0x0E, 0xBB, 0x80, 0, 0, 0, 0, 0, 0}, false},
    {22050.0L, {0x40, 0x0D, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}, false},
    {96000.0L, {0x40, 0x0F, 0xBB, 0x80, 0, 0, 0, 0, 0, 0}, false},
    {8000.0L, {0x40, 0x0B, 0xFA, 0x00, 0, 0, 0, 0, 0, 0}, false},
    {44100.5L, {0x40, 0x0E, 0xAC, 0x44, 0x80, 0, 0, 0, 0, 0}, false},
    {1.0L, {0x3F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0}, false},
    {0.5L, {0x3F, 0xFE, 0x80, 0, 0, 0, 0, 0, 0, 0}, false},
    {-2.0L, {0xC0, 0x00, 0x80, 0, 0, 0, 0, 0, 0, 0}, false},
    {0.0L, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, false},
    {1.0L / 3.0L, {0x3F, 0xFD, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAB}, true},
    // The smallest denormal, 2^-16445.
    {std::numeric_limits<long double>::denorm_min(), {0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, true},
};

constexpr bool hostHas64BitMantissa = std::numeric_limits<long double>::digits == 64;

TEST(Extended80, WritesTheBytesWorkedOutByHand) {
  for (const Case& c : Cases) {
    if (c.needs64BitMantissa && !hostHas64BitMantissa) continue;
    Rate written{};
    writeExtended80(written.data(), c.value);
    EXPECT_EQ(written, c.bytes) << "value " << double(c.value);
  }
}

TEST(Extended80, ReadsTheBytesWorkedOutByHand) {
  for (const Case& c : Cases) {
    if (c.needs64BitMantissa && !hostHas64BitMantissa) continue;
    EXPECT_EQ(readExtended80(c.bytes.data()), c.value) << "value " << double(c.value);
  }
}

TEST(Extended80, KeepsTheSignOfNegativeZero) {
  Rate written{};
  writeExtended80(written.data(), -0.0L);
  EXPECT_EQ(written, (Rate{0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(std::signbit(readExtended80(written.data())));
}

TEST(Extended80, ReadsInfinitiesAndNotANumber) {
  const Rate plusInfinity = {0x7F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0};
  const Rate minusInfinity = {0xFF, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0};
  const Rate quietNaN = {0x7F, 0xFF, 0xC0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(readExtended80(plusInfinity.data()), std::numeric_limits<long double>::infinity());
  EXPECT_EQ(readExtended80(minusInfinity.data()), -std::numeric_limits<long double>::infinity());
  EXPECT_TRUE(std::isnan(readExtended80(quietNaN.data())));

  Rate written{};
  writeExtended80(written.data(), std::numeric_limits<long double>::infinity());
  EXPECT_EQ(written, plusInfinity);
  writeExtended80(written.data(), std::numeric_limits<long double>::quiet_NaN());
  EXPECT_TRUE(std::isnan(readExtended80(written.data())));
}

TEST(Extended80, EveryIntegerRateSurvivesTheRoundTrip) {
  for (long double rate = 1; rate <= 400000; rate += 1) {
    Rate written{};
    writeExtended80(written.data(), rate);
    ASSERT_EQ(readExtended80(written.data()), rate);
  }
}

TEST(Extended80, ExtremeValuesSurviveTheRoundTrip) {
  if (!hostHas64BitMantissa) GTEST_SKIP() << "host long double is narrower than 80 bits";
  const long double values[] = {std::numeric_limits<long double>::max(),
                                std::numeric_limits<long double>::min(),
                                -std::numeric_limits<long double>::min() / 1024,
                                std::nextafter(1.0L, 2.0L), 3.141592653589793238462643383279L};
  for (long double value : values) {
    Rate written{};
    writeExtended80(written.data(), value);
    EXPECT_EQ(readExtended80(written.data()), value);
  }
}

}  // namespace
}  // namespace tp
