#include "loudness/loudness.h"

#include <cmath>
#include <cstdio>

#include "project/messages.h"

namespace tp {

std::string OneDecimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  // A value that rounds to zero from below would read "-0.0".
  if (std::string(text) == "-0.0") return "0.0";
  return text;
}

namespace {

std::string replaced(std::string text, const std::string& mark, const std::string& value) {
  const size_t at = text.find(mark);
  if (at != std::string::npos) text.replace(at, mark.size(), value);
  return text;
}

// Hundredths are all a measurement means; null where there is none.
nlohmann::ordered_json jsonNumber(const std::optional<double>& value) {
  if (!value || !std::isfinite(*value)) return nullptr;
  const double rounded = std::round(*value * 100.0) / 100.0;
  return rounded == 0.0 ? 0.0 : rounded;
}

}  // namespace

std::string LoudnessText(const Loudness& loudness, Wording wording) {
  if (loudness.Silent()) return wording(messages::LoudnessSilent);
  std::string text = wording(messages::LoudnessLine);
  text = replaced(text, "%1", OneDecimal(*loudness.integratedLufs));
  text = replaced(text, "%2", OneDecimal(loudness.rangeLu.value_or(0.0)));
  // A peak that was not measured (never for a sound that is not silent)
  // would otherwise read as a number.
  text = replaced(text, "%3", loudness.truePeakDbtp ? OneDecimal(*loudness.truePeakDbtp) : "?");
  return text;
}

nlohmann::ordered_json LoudnessJson(const Loudness& loudness) {
  nlohmann::ordered_json json = nlohmann::ordered_json::object();
  json["integrated_lufs"] = jsonNumber(loudness.integratedLufs);
  json["range_lu"] = jsonNumber(loudness.rangeLu);
  json["true_peak_dbtp"] = jsonNumber(loudness.truePeakDbtp);
  return json;
}

Normalisation GainToReach(const Loudness& measured, double targetLufs, double ceilingDbtp) {
  Normalisation normalisation;
  if (measured.Silent()) return normalisation;
  normalisation.gainDb = targetLufs - *measured.integratedLufs;
  if (measured.truePeakDbtp && *measured.truePeakDbtp + normalisation.gainDb > ceilingDbtp) {
    normalisation.gainDb = ceilingDbtp - *measured.truePeakDbtp;
    normalisation.heldByCeiling = true;
  }
  return normalisation;
}

std::string NormalisedText(const Loudness& normalised, const Normalisation& normalisation, Wording wording) {
  if (normalised.Silent()) return wording(messages::LoudnessSilent);
  const char* text = normalisation.heldByCeiling ? messages::NormalisedHeldByCeiling : messages::NormalisedTo;
  return replaced(wording(text), "%1", OneDecimal(*normalised.integratedLufs));
}

}  // namespace tp
