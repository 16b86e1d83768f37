#include "archive/restoreplan.h"

#include <algorithm>
#include <system_error>

namespace tp {

namespace fs = std::filesystem;

bool StaysInsideDestination(const fs::path& relative) {
  if (relative.empty() || relative.is_absolute()) return false;
  for (const auto& part : relative.lexically_normal())
    if (part == "..") return false;
  return true;
}

std::set<std::string> RestoredFileNames(const ArchiveManifest& manifest) {
  std::set<std::string> names;
  for (const auto& take : manifest.takeFiles) names.insert(take.record.file);
  for (const auto& other : manifest.otherFiles) names.insert(other.file);
  return names;
}

namespace {

// Where a song of a recursive restore goes below the destination.
fs::path placeBelow(const RestoreRequest& request, const fs::path& folder, const ArchiveManifest& manifest) {
  fs::path relative = manifest.folder.empty() ? folder.filename() : fs::path(manifest.folder);
  if (request.ownSongByName && folder == request.archive) relative = relative.filename();
  return relative;
}

}  // namespace

Status PlanRestore(const RestoreRequest& request, RestorePlan& plan) {
  plan = RestorePlan{};
  const std::vector<fs::path> folders =
      request.recursive ? FindArchiveFolders(request.archive) : std::vector<fs::path>{request.archive};
  for (const fs::path& folder : folders) {
    SongToRestore song{folder, request.destination, {}};
    if (const Status status = ReadArchiveManifest(folder, song.manifest); !status.ok()) return status;
    if (request.recursive) {
      const fs::path relative = placeBelow(request, folder, song.manifest);
      if (!StaysInsideDestination(relative)) {
        plan.refused.push_back({folder, song.manifest.folder});
        continue;
      }
      song.destination = request.destination / relative;
    }
    plan.songs.push_back(std::move(song));
  }
  return Status::Ok();
}

std::vector<fs::path> ExistingRestoreFiles(const SongToRestore& song) {
  std::vector<fs::path> existing;
  std::error_code error;
  for (const std::string& name : RestoredFileNames(song.manifest)) {
    const fs::path path = song.destination / name;
    if (fs::exists(path, error) || fs::is_symlink(path, error)) existing.push_back(path);
  }
  return existing;
}

std::vector<fs::path> FindArchiveFolders(const fs::path& root) {
  std::vector<fs::path> found;
  std::error_code error;
  if (fs::is_regular_file(root / ArchiveManifestName, error)) found.push_back(root);
  fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error), end;
  for (; !error && it != end; it.increment(error)) {
    if (it->is_symlink(error) || !it->is_directory(error)) continue;
    if (fs::is_regular_file(it->path() / ArchiveManifestName, error)) found.push_back(it->path());
  }
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace tp
