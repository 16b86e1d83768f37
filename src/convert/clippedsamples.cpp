#include "convert/conversion.h"
#include "project/messages.h"

namespace tp {

std::string ClippedSamplesText(uint64_t clippedSamples) {
  if (clippedSamples == 0) return {};
  if (clippedSamples == 1) return messages::OneSampleClipped;
  std::string text = messages::SamplesClipped;
  text.replace(text.find("%1"), 2, std::to_string(clippedSamples));
  return text;
}

}  // namespace tp
