#include "loudness/gatedloudness.h"

#include <algorithm>
#include <cmath>

namespace tp {

namespace {
constexpr double RelativeGate = -10.0;  // LU below the mean of the blocks above the absolute gate
}

GatedLoudness::GatedLoudness()
    : counts_(size_t((Highest - Lowest) / BinWidth) + 1), energies_(counts_.size()) {}

double GatedLoudness::Lufs(double energy) { return -0.691 + 10.0 * std::log10(energy); }
double GatedLoudness::Energy(double lufs) { return std::pow(10.0, (lufs + 0.691) / 10.0); }

size_t GatedLoudness::binOf(double lufs) {
  // Anything louder than the top bin (beyond full scale) shares it.
  return std::min(size_t((lufs - Lowest) / BinWidth), size_t((Highest - Lowest) / BinWidth));
}

void GatedLoudness::AddBlock(double energy) {
  if (!(energy > 0.0)) return;
  const double lufs = Lufs(energy);
  if (!(lufs > Lowest)) return;
  const size_t bin = binOf(lufs);
  ++counts_[bin];
  energies_[bin] += energy;
}

std::optional<double> GatedLoudness::Integrated() const {
  const auto meanFrom = [this](size_t first) -> std::optional<double> {
    uint64_t count = 0;
    double energy = 0.0;
    for (size_t bin = first; bin < counts_.size(); ++bin) {
      count += counts_[bin];
      energy += energies_[bin];
    }
    if (count == 0) return std::nullopt;
    return energy / double(count);
  };
  const std::optional<double> aboveAbsolute = meanFrom(0);
  if (!aboveAbsolute) return std::nullopt;
  const double relativeGate = Lufs(*aboveAbsolute) + RelativeGate;
  // The bin holding the gate counts as above it when its blocks are, on
  // average.
  size_t first = relativeGate > Lowest ? binOf(relativeGate) : 0;
  if (counts_[first] > 0 && Lufs(energies_[first] / double(counts_[first])) <= relativeGate) ++first;
  const std::optional<double> aboveBoth = meanFrom(first);
  if (!aboveBoth) return std::nullopt;
  return Lufs(*aboveBoth);
}

}  // namespace tp
