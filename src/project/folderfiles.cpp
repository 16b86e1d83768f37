#include "project/folderfiles.h"

#include <system_error>

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
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (SameNameIgnoringCase(it->path().filename().native(), name)) return it->path();
  }
  return std::nullopt;
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

}  // namespace tp
