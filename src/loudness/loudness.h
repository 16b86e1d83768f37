// What a loudness measurement came to, and how the program words it: one
// line for people ("-18.3 LUFS, LRA 6.1 LU, true peak -1.2 dBTP") and one
// JSON object for scripts.
#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "project/wording.h"

namespace tp {

struct Loudness {
  // Integrated loudness (LUFS), loudness range (LU) and true peak (dBTP).
  // A silent sound, where no block rises above the absolute gate, has
  // none of them.
  std::optional<double> integratedLufs;
  std::optional<double> rangeLu;
  std::optional<double> truePeakDbtp;
  bool Silent() const { return !integratedLufs.has_value(); }
};

// What normalising a sound did: the one gain applied to it, and whether the
// true-peak ceiling kept it below the loudness asked for.
struct Normalisation {
  double gainDb = 0.0;
  bool heldByCeiling = false;
};

// The gain that takes `measured` to `targetLufs`, lowered where it would
// lift the true peak above `ceilingDbtp`. A silent sound has no loudness
// to move: it gets no gain.
Normalisation GainToReach(const Loudness& measured, double targetLufs, double ceilingDbtp);

// "normalised to -14.0 LUFS", or "normalised to -15.2 LUFS, held by the
// true-peak ceiling", with the loudness the normalised sound measured.
std::string NormalisedText(const Loudness& normalised, const Normalisation& normalisation,
                           Wording wording = AsWritten);

// "-18.3 LUFS, LRA 6.1 LU, true peak -1.2 dBTP", or "silent".
std::string LoudnessText(const Loudness& loudness, Wording wording = AsWritten);

// {"integrated_lufs": -18.3, "range_lu": 6.1, "true_peak_dbtp": -1.2}, with
// null for each value a silent sound lacks.
nlohmann::ordered_json LoudnessJson(const Loudness& loudness);

// One decimal, as the line shows it, never "-0.0".
std::string OneDecimal(double value);

}  // namespace tp
