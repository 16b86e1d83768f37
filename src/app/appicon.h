// The program's icon for its windows, from the same renderings that are
// installed for the desktop; on a desktop whose icon theme has it, the
// theme's copy wins.
#pragma once

#include <QIcon>

namespace tp {

// The application id: the desktop entry's name, the metainfo's id and the
// icon's name.
inline constexpr const char* ApplicationId = "io.github.trackporter.TrackPorter";

QIcon ApplicationIcon();

}  // namespace tp
