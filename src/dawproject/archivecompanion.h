// The DAW project an archive puts beside each song's files (stems
// --dawproject): "<song folder name>.dawproject", holding no audio, its
// clips referring to the archive's files beside it by relative path, so
// that an archived disk opens in a DAW song by song.
#pragma once

#include <string>

#include "audiofile/audiofile.h"
#include "archive/archiveplan.h"

namespace tp {

ArchiveCompanion DawProjectCompanion(AudioFormat format, std::string applicationVersion);

}  // namespace tp
