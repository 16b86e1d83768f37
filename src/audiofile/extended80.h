// The 80-bit IEEE 754 double-extended value that AIFF uses for its sample
// rate: a sign bit and a 15-bit exponent (bias 16383), then a 64-bit
// mantissa whose leading bit is stored, not implied. Ten bytes, big-endian.
//
// Converted by taking the fields apart and putting them together with
// ldexp/frexp, so the result does not depend on how (or whether) the host
// lays out its own long double in 80 bits.
#pragma once

#include <cstdint>

namespace tp {

constexpr int Extended80Size = 10;

long double readExtended80(const uint8_t* bytes);
void writeExtended80(uint8_t* bytes, long double value);

}  // namespace tp
