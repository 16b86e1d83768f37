#include "loudness/loudnessrange.h"

#include <algorithm>
#include <cmath>

#include "loudness/gatedloudness.h"

namespace tp {

namespace {
constexpr double RelativeGate = -20.0;  // LU below the mean of the blocks above the absolute gate
}

double LoudnessRange::centre(size_t bin) { return Lowest + BinWidth * (double(bin) + 0.5); }

void LoudnessRange::AddBlock(double energy) {
  if (!(energy > 0.0)) return;
  const double lufs = GatedLoudness::Lufs(energy);
  if (!(lufs >= Lowest)) return;
  ++counts_[std::min(size_t((lufs - Lowest) / BinWidth), Bins - 1)];
}

double LoudnessRange::Range() const {
  uint64_t blocks = 0;
  double energy = 0.0;
  for (size_t bin = 0; bin < Bins; ++bin) {
    blocks += counts_[bin];
    energy += double(counts_[bin]) * GatedLoudness::Energy(centre(bin));
  }
  if (blocks == 0) return 0.0;
  const double gate = GatedLoudness::Lufs(energy / double(blocks)) + RelativeGate;
  size_t first = gate < Lowest ? 0 : std::min(size_t((gate - Lowest) / BinWidth), Bins - 1);
  if (gate > centre(first)) ++first;  // a bin counts as above the gate when its centre is
  uint64_t passed = 0;
  for (size_t bin = first; bin < Bins; ++bin) passed += counts_[bin];
  if (passed == 0) return 0.0;
  // The blocks at these ranks among those that passed, lowest first.
  const auto rank = [passed](double percentile) { return uint64_t(double(passed - 1) * percentile + 0.5); };
  const auto centreAtRank = [&](uint64_t wanted) {
    uint64_t seen = 0;
    for (size_t bin = first; bin < Bins; ++bin) {
      seen += counts_[bin];
      if (seen > wanted) return centre(bin);
    }
    return centre(Bins - 1);
  };
  return centreAtRank(rank(0.95)) - centreAtRank(rank(0.10));
}

}  // namespace tp
