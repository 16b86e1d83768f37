#include "project/projectsearch.h"

#include <algorithm>
#include <system_error>

#include "project/projectinfo.h"

namespace tp {

namespace fs = std::filesystem;

std::vector<fs::path> FindProjectFolders(const fs::path& root) {
  std::vector<fs::path> found;
  if (ReadProjectName(root)) found.push_back(root);
  std::error_code error;
  fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error), end;
  for (; !error && it != end; it.increment(error)) {
    if (it->is_symlink(error) || !it->is_directory(error)) continue;
    if (ReadProjectName(it->path())) found.push_back(it->path());
  }
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace tp
