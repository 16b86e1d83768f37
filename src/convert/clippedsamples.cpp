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
  for (std::string& note : NoteLines(result, wording)) lines.push_back(std::move(note));
  return lines;
}

std::vector<std::string> NoteLines(const ConversionResult& result, Wording wording) {
  std::vector<std::string> lines;
  for (const Note& note : result.notes) lines.push_back(NoteText(note, wording));
  return lines;
}

std::string ConversionResult::Text(Wording wording) const {
  if (message == nullptr) return {};
  if (PlacesItsDetail(message)) return FillInMessage(wording(message), status.file().string(), status.Reason());
  return JoinMessage(wording(message), detail);
}

std::string NoteText(const Note& note, Wording wording) {
  return FillInMessage(wording(note.message), note.first, note.second);
}

}  // namespace tp
