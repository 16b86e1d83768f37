// Integrated loudness from gating blocks (400 ms, one every 100 ms), gated
// as the standard asks: absolutely at -70 LUFS, then 10 LU below the mean
// of what passed. The blocks are kept as a histogram of 0.01 LU bins that
// sums each bin's energies exactly, so memory is fixed whatever the length
// and only a block within 0.01 LU of the relative gate can fall on the
// wrong side of it (libebur128's own histogram, of 0.1 LU bins counted at
// their centres, is off by up to 0.05 LU, which shows in a normalised
// file's one decimal).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace tp {

class GatedLoudness {
 public:
  GatedLoudness();
  // One gating block's mean square, channels weighted (0 for silence).
  void AddBlock(double energy);
  // The integrated loudness in LUFS; nothing when no block passed the
  // absolute gate.
  std::optional<double> Integrated() const;

  static double Lufs(double energy);
  static double Energy(double lufs);

 private:
  static constexpr double Lowest = -70.0, Highest = 10.0, BinWidth = 0.01;
  static size_t binOf(double lufs);
  std::vector<uint64_t> counts_;
  std::vector<double> energies_;
};

}  // namespace tp
