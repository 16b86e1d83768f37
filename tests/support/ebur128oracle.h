// ffmpeg's EBU R128 scanner as an oracle: the integrated loudness, the
// loudness range and the true peak it prints for a file.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "support/runcommand.h"

namespace tp::test {

struct OracleLoudness {
  double integratedLufs = 0, rangeLu = 0, truePeakDbtp = 0;
};

namespace detail {
// The number after the last `label` in ffmpeg's summary ("I:", "LRA:", "Peak:").
inline std::optional<double> numberAfter(const std::string& text, const std::string& label) {
  const size_t at = text.rfind(label);
  if (at == std::string::npos) return std::nullopt;
  return std::strtod(text.c_str() + at + label.size(), nullptr);
}
}  // namespace detail

inline std::optional<OracleLoudness> MeasureWithFfmpeg(const std::filesystem::path& file) {
  const CommandOutput run = RunCommand("ffmpeg -nostats -hide_banner -nostdin -i " + Quoted(file.string()) +
                                       " -af ebur128=peak=true -f null -");
  const size_t summary = run.out.rfind("Summary:");
  if (run.status != 0 || summary == std::string::npos) return std::nullopt;
  const std::string text = run.out.substr(summary);
  const auto integrated = detail::numberAfter(text, " I:"), range = detail::numberAfter(text, "LRA:"),
             peak = detail::numberAfter(text, "Peak:");
  if (!integrated || !range || !peak) return std::nullopt;
  return OracleLoudness{*integrated, *range, *peak};
}

}  // namespace tp::test
