#include "project/folderfiles.h"

#include <system_error>

#include "audiofile/takefile.h"
#include "project/projectinfo.h"

namespace tp {

namespace fs = std::filesystem;

namespace {
char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
}  // namespace

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  return true;
}

std::optional<fs::path> FindFileIgnoringCase(const fs::path& folder, std::string_view name) {
  std::error_code error;
  const fs::path exact = folder / fs::path(std::string(name));
  if (fs::exists(fs::symlink_status(exact, error))) return exact;
  // Listing order differs between file systems and runs: of several
  // spellings, the smallest name wins, so that every part of the program
  // picks the same file every time.
  std::optional<fs::path> found;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (!SameNameIgnoringCase(it->path().filename().native(), name)) continue;
    if (!found || it->path().filename() < found->filename()) found = it->path();
  }
  return found;
}

fs::path PathForFile(const fs::path& folder, std::string_view name) {
  if (auto existing = FindFileIgnoringCase(folder, name)) return *existing;
  return folder / fs::path(std::string(name));
}

void ClearReadOnly(const fs::path& file) {
  std::error_code error;
  const fs::perms current = fs::status(file, error).permissions();
  if (error) return;
  if ((current & fs::perms::owner_write) == fs::perms::none)
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add, error);
}

bool IsSongFolderFile(const fs::path& path) {
  const std::string name = path.filename().string();
  const bool songFileName = ParseTakeFileName(name).has_value() || SameNameIgnoringCase(name, PrjDataFileName) ||
                            SameNameIgnoringCase(name, SongDataFileName) ||
                            SameNameIgnoringCase(name, BackupMarkerFileName);
  if (!songFileName) return false;
  // The folder is the one the path lies in, however it is spelled: its own
  // listing decides.
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  for (std::string_view marker : {PrjDataFileName, SongDataFileName, BackupMarkerFileName})
    if (FindFileIgnoringCase(folder, marker)) return true;
  return false;
}

}  // namespace tp
