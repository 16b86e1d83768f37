// The export: the selected takes into one WAV, AIFF or FLAC file, block by
// block.
// One take gives a mono file of its samples; several track takes a stereo
// mix through the mixer; a master take its left and right files as a stereo
// pair. The length is the longest take rounded up to whole blocks.
#pragma once

#include <filesystem>
#include <optional>

#include "audiofile/audiofile.h"
#include "convert/conversion.h"
#include "mix/mixer.h"
#include "mix/takeselection.h"

namespace tp {

// The output name that means the process's standard output.
inline constexpr const char* StandardOutputName = "-";

struct ExportRequest {
  TakeSelection selection;       // the take files, by slot
  uint32_t length = 0;           // frames: the longest selected take
  std::filesystem::path output;
  AudioFormat format = FormatWav;  // or FormatAiff, or FormatFlac (never to standard output)
  const MixerSettings* mixer = nullptr;  // volume and pan of a mixdown
  // Normalise the file to this integrated loudness (LUFS): a first pass
  // measures the mix, the second writes it with one gain, lowered where
  // the true peak would rise above `truePeakCeiling` (dBTP). A mix is then
  // summed whole (not clamped after each slot) and rounded to 16 bits once,
  // after the gain.
  std::optional<double> normaliseTo;
  double truePeakCeiling = -1.0;
};

// Writes the file beside its target and renames it into place once it is
// complete, so that a failure never leaves a broken file or destroys the one
// it would have replaced. An abort keeps the blocks written so far in a
// complete file where no file was, and leaves an existing file as it was.
//
// The file's loudness is measured as it is written (EBU R128: integrated,
// range, true peak) and returned with the result of a completed export.
ConversionResult ExportTakes(const ExportRequest& request, const ConversionHooks& hooks);

// Measures what ExportTakes would write for `request` (its output and
// normalisation aside) and writes nothing: the result's loudness.
ConversionResult MeasureTakes(const ExportRequest& request, const ConversionHooks& hooks);

}  // namespace tp
