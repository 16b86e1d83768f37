// The demo project a new user finds at first start: a song of a few bars on
// several tracks, with two takes of the bass, and a master take of the mix,
// written in the recorder's own take format.
#pragma once

#include <filesystem>

namespace tp {

// Where the demo lives: "TrackPorter Demo" in the home folder.
std::filesystem::path DemoProjectFolder();

enum class DemoResult { Created, AlreadyThere, Failed };

// Writes the demo project into `folder` unless something is already there.
// The files are written into a sibling folder first and it is renamed into
// place only when every file is complete, so an interrupted run leaves no
// half project behind under the real name.
DemoResult MakeDemoProject(const std::filesystem::path& folder);

}  // namespace tp
