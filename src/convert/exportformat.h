// The export's choice between WAV and AIFF, made from the name the save
// dialog returned.
#pragma once

#include <filesystem>

#include "audiofile/audiofile.h"

namespace tp {

struct ExportFormatChoice {
  AudioFormat format;
  std::filesystem::path fileName;  // ".aif" appended where the AIFF filter asked for it
};

// ".aif" in any letter case gives AIFF; no extension with the AIFF filter
// chosen gives AIFF with ".aif" appended; anything else is WAV under the name
// given.
ExportFormatChoice ChooseExportFormat(const std::filesystem::path& fileName, bool aiffFilterChosen);

}  // namespace tp
