// Finding project folders on a disk: every folder, at any depth, that the
// window would open as a project (an information file and no backup marker).
#pragma once

#include <filesystem>
#include <vector>

namespace tp {

// `root` itself included; sorted by path. Links to folders are not followed,
// so a loop of links cannot make the search endless.
std::vector<std::filesystem::path> FindProjectFolders(const std::filesystem::path& root);

}  // namespace tp
