// The loudness range (EBU Tech 3342): the short-term loudness, 3 s blocks
// taken every second, gated absolutely at -70 LUFS and then 20 LU below
// their mean, and the spread between the 10th and the 95th percentile of
// what passed. The blocks are kept as a histogram of 0.01 LU bins counted
// at their centres, so memory is fixed whatever the length and the range
// is right to a hundredth of a LU (libebur128's histogram, of 0.1 LU bins,
// rounds it to the tenth that the program shows).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tp {

class LoudnessRange {
 public:
  // One short-term block's mean square, channels weighted.
  void AddBlock(double energy);
  // The range in LU; 0 when fewer than two blocks passed the gates.
  double Range() const;

 private:
  static constexpr double Lowest = -70.0, BinWidth = 0.01;
  static constexpr size_t Bins = 10000;  // up to +30 LUFS
  static double centre(size_t bin);
  std::array<uint64_t, Bins> counts_{};
};

}  // namespace tp
