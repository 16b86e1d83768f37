#include "convert/conversion.h"
#include "project/messages.h"

namespace tp {

std::string ClippedSamplesText(uint64_t clippedSamples, Wording wording) {
  if (clippedSamples == 0) return {};
  if (clippedSamples == 1) return wording(messages::OneSampleClipped);
  std::string text = wording(messages::SamplesClipped);
  text.replace(text.find("%1"), 2, std::to_string(clippedSamples));
  return text;
}

std::vector<std::string> LinesUnderConverted(const ConversionResult& result, Wording wording) {
  std::vector<std::string> lines;
  if (std::string clipped = ClippedSamplesText(result.clippedSamples, wording); !clipped.empty())
    lines.push_back(clipped);
  if (result.loudness) {
    lines.push_back(LoudnessText(*result.loudness, wording));
    if (result.normalisation && !result.loudness->Silent())
      lines.push_back(NormalisedText(*result.loudness, *result.normalisation, wording));
  }
  return lines;
}

}  // namespace tp
