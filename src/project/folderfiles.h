// File names inside a project folder are matched without regard to letter
// case: a project copied onto a case-sensitive file system may hold
// track0_0.dat or prjdata.INI. Every read, update and delete resolves its name
// here; every file the program creates gets the canonical spelling unless a
// file differing only in case is already there, whose name is then reused so
// that no second file appears beside it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tp {

// True when the two names are equal ignoring ASCII letter case.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

// The existing entry of `folder` named `name` in any letter case: the exact
// spelling when it exists, otherwise the smallest of the matching names.
std::optional<std::filesystem::path> FindFileIgnoringCase(const std::filesystem::path& folder,
                                                          std::string_view name);

// The path to create `name` at: the existing entry's spelling if there is one
// (in any letter case), else folder / name.
std::filesystem::path PathForFile(const std::filesystem::path& folder, std::string_view name);

// Gives the owner write permission back to a file that lacks it (the
// "read-only attribute" of the recorder's own file system). The permission is
// not taken away again afterwards.
void ClearReadOnly(const std::filesystem::path& file);

}  // namespace tp

namespace tp {

// True when `path` names one of a song folder's own files: in a folder that
// holds a project information file or a backup marker, a take file name, an
// information file or the marker, in any letter case. An export never writes
// there, whatever it is told.
bool IsSongFolderFile(const std::filesystem::path& path);

}  // namespace tp
