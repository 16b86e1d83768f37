#include "audiofile/extended80.h"

#include <cmath>
#include <limits>

#include "audiofile/byteorder.h"

namespace tp {

namespace {
constexpr int ExponentBias = 16383;
constexpr int MaximumExponent = 0x7FFF;
constexpr uint64_t LeadingBit = uint64_t(1) << 63;
}  // namespace

long double readExtended80(const uint8_t* bytes) {
  uint16_t signAndExponent = readU16BE(bytes);
  uint64_t mantissa = readU64BE(bytes + 2);
  bool negative = (signAndExponent & 0x8000) != 0;
  int exponent = signAndExponent & MaximumExponent;

  long double magnitude;
  if (exponent == MaximumExponent) {
    // The leading bit is ignored here, as the x87 does for the pseudo forms.
    magnitude = (mantissa & ~LeadingBit) == 0 ? std::numeric_limits<long double>::infinity()
                                              : std::numeric_limits<long double>::quiet_NaN();
  } else {
    // value = mantissa x 2^(exponent - bias - 63); denormals use the smallest
    // normal exponent, 1 - bias, with the leading bit clear.
    int scale = (exponent == 0 ? 1 : exponent) - ExponentBias - 63;
    magnitude = std::ldexp(static_cast<long double>(mantissa), scale);
  }
  return negative ? -magnitude : magnitude;
}

void writeExtended80(uint8_t* bytes, long double value) {
  uint16_t sign = std::signbit(value) ? 0x8000 : 0;
  uint16_t exponent = 0;
  uint64_t mantissa = 0;

  if (std::isnan(value)) {
    exponent = MaximumExponent;
    mantissa = LeadingBit | (LeadingBit >> 1);  // the quiet NaN
  } else if (std::isinf(value)) {
    exponent = MaximumExponent;
    mantissa = LeadingBit;
  } else if (value != 0) {
    // frexp gives |value| = fraction x 2^power with fraction in [0.5, 1), so
    // fraction x 2^64 is the mantissa with its leading bit set.
    int power = 0;
    long double fraction = std::frexp(std::fabs(value), &power);
    mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64));
    int biased = power - 1 + ExponentBias;
    if (biased >= MaximumExponent) {
      // Only reachable where the host's long double is wider than 80 bits.
      exponent = MaximumExponent;
      mantissa = LeadingBit;
    } else if (biased <= 0) {
      // Too small for a normal value: shift into the denormal form.
      int shift = 1 - biased;
      mantissa = shift >= 64 ? 0 : mantissa >> shift;
      exponent = 0;
    } else {
      exponent = uint16_t(biased);
    }
  }
  writeU16BE(bytes, uint16_t(sign | exponent));
  writeU64BE(bytes + 2, mantissa);
}

}  // namespace tp
