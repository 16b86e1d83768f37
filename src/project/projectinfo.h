// The project information file: "PRJDATA.ini" (name at offset 52, and a second
// copy at 65540 in the recorder model's long files) or "Songdata.ini" (name at
// offset 233). A "backup.inf" in the folder marks a backup that must not be
// opened as a project. Every other byte belongs to the recorder and is never
// moved or truncated. Both are read and written through FileHandle.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "storage/status.h"

namespace tp {

inline constexpr std::string_view PrjDataFileName = "PRJDATA.ini";
inline constexpr std::string_view SongDataFileName = "Songdata.ini";
inline constexpr std::string_view BackupMarkerFileName = "backup.inf";
inline constexpr std::string_view RecorderModelTag = "BRIX TKR-4880";

constexpr long PrjDataNameOffset = 52;
constexpr long PrjDataSecondNameOffset = 65540;
// The second copy is written only where the file already holds the whole
// field: a rename never changes a file's size.
constexpr long PrjDataSecondCopyMinSize = PrjDataSecondNameOffset + 8;
constexpr long SongDataNameOffset = 233;

// The project's name (raw bytes, at most 8, trailing blanks kept), or nothing
// when the folder is not a project. Reads only. A read of the information
// file that fails gives an empty name, and `readFailure`, when given, says
// which file and why ("Project information file could not be read.").
std::optional<std::string> ReadProjectName(const std::filesystem::path& folder, Status* readFailure = nullptr);

// Writes `name` (raw bytes; cut to 8 and blank-padded here) into the
// project information file in place, clearing a missing owner write
// permission first, and syncs it. A folder without an information file is
// nothing to write and nothing to say (Ok). A failure names the file and
// the system's reason (ProjectFileNotOpened, ProjectFileNotWritten); a
// write that fails half-way puts back what it had changed.
Status WriteProjectName(const std::filesystem::path& folder, std::string_view name);

}  // namespace tp
