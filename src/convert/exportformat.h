// The export's choice between WAV, AIFF and FLAC, made from the name the
// save dialog returned (or the command line was given) and the type chosen
// beside it.
#pragma once

#include <filesystem>

#include "audiofile/audiofile.h"

namespace tp {

struct ExportFormatChoice {
  AudioFormat format;
  std::filesystem::path fileName;  // ".aif" or ".flac" appended where the type chosen asked for it
};

// ".aif" in any letter case gives AIFF and ".flac" FLAC; a name without an
// extension takes the `chosenType` (FormatAiff or FormatFlac) with its
// extension appended; anything else is WAV under the name given.
ExportFormatChoice ChooseExportFormat(const std::filesystem::path& fileName, AudioFormat chosenType);

// The extension a file of `format` is given: ".wav", ".aif" or ".flac".
const char* ExportExtension(AudioFormat format);

}  // namespace tp
