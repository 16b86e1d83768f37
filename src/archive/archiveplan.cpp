#include "archive/archiveplan.h"

#include <algorithm>
#include <map>
#include <set>
#include <system_error>

#include "project/messages.h"
#include "project/namecodec.h"
#include "project/projectmodel.h"
#include "project/projectsearch.h"
#include "storage/safefile.h"

namespace tp {

namespace fs = std::filesystem;

namespace {

bool wanted(const ArchiveRequest& request, int track, int take) {
  if (request.takes.empty() && request.masters.empty()) return true;
  for (const auto& t : request.takes)
    if (t.track == track && t.take == take) return true;
  return false;
}

bool wantedMaster(const ArchiveRequest& request, int master) {
  if (request.takes.empty() && request.masters.empty()) return true;
  for (int m : request.masters)
    if (m == master) return true;
  return false;
}

// Every regular file of the song folder that the archive does not keep as a
// take: the information files and whatever else the recorder left there,
// including take-like names the scan passes over (a lone half of a master
// take, a file too short to be a take, a second spelling). Takes left out by
// the request are neither.
std::vector<fs::path> otherFilesOf(const ProjectModel& model, const fs::path& folder, std::vector<fs::path>& subfolders) {
  std::set<fs::path> takes;
  for (int t = 0; t < TrackCount; ++t)
    for (int k = 0; k < TakesPerTrack; ++k)
      if (model.TakeSel[t][k].assigned) takes.insert(model.TakePath(t, k).filename());
  for (int n = 0; n < MasterTakeCount; ++n)
    if (model.MasTakeSel[n].assigned) {
      takes.insert(model.MasterPath(MasterSide::Left, n).filename());
      takes.insert(model.MasterPath(MasterSide::Right, n).filename());
    }
  std::vector<fs::path> others;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const fs::path name = it->path().filename();
    if (takes.count(name) || IsSideFileName(name.string())) continue;
    if (!it->is_symlink(error) && it->is_directory(error)) subfolders.push_back(it->path());
    if (it->is_symlink(error) || !it->is_regular_file(error)) continue;
    others.push_back(it->path());
  }
  std::sort(others.begin(), others.end());
  return others;
}

Status planProject(const ArchiveRequest& request, const fs::path& folder, const fs::path& outputFolder,
                   ArchiveSongPlan& plan) {
  ProjectModel model;
  if (!model.DirTreeChange(folder.string())) return Status::Fail(messages::NotAProjectFolder, folder);
  if (!model.InformationFileFailure.ok()) return model.InformationFileFailure;
  plan = ArchiveSongPlan{folder, model.ProjectName, outputFolder, {}, {}, {}, {}, {}, {}, model.UnreadableTakeFiles};
  const char* extension = request.format == FormatFlac ? ".flac" : request.format == FormatAiff ? ".aif" : ".wav";
  for (int t = 0; t < TrackCount; ++t)
    for (int k = 0; k < TakesPerTrack; ++k) {
      if (!wanted(request, t, k) || !model.TakeSel[t][k].assigned) continue;
      ArchiveItem item{TakeLabel(t, k), t, k, model.TakeSel[t][k].caption, {}, {}, {}, false};
      item.source = {model.TakePath(t, k), std::nullopt, uint32_t(model.TakeLength(t, k)), TakeLabel(t, k)};
      item.output = outputFolder / (StemFileStem(TakeLabel(t, k), item.nameBytes) + extension);
      item.takeFiles = {item.source.left};
      item.damaged = model.TakeCutShort[ProjectModel::LengthIndex(t, k)];
      plan.items.push_back(std::move(item));
    }
  for (int n = 0; n < MasterTakeCount; ++n) {
    if (!wantedMaster(request, n) || !model.MasTakeSel[n].assigned) continue;
    ArchiveItem item{MasterTakeLabel(n), -1, n, model.MasTakeSel[n].caption, {}, {}, {}, false};
    const int32_t left = model.MasterLength(MasterSide::Left, n);
    const int32_t right = model.MasterLength(MasterSide::Right, n);
    item.source = {model.MasterPath(MasterSide::Left, n), model.MasterPath(MasterSide::Right, n),
                   uint32_t(std::max(left, right)), MasterTakeLabel(n)};
    item.output = outputFolder / (StemFileStem(MasterTakeLabel(n), item.nameBytes) + extension);
    item.takeFiles = {item.source.left, *item.source.right};
    item.damaged = model.TakeCutShort[ProjectModel::MasterLeftIndex + n] ||
                   model.TakeCutShort[ProjectModel::MasterRightIndex + n];
    plan.items.push_back(std::move(item));
  }
  plan.otherFiles = otherFilesOf(model, folder, plan.subfolders);
  // Searching a disk, a take asked for is simply absent
  // from the projects that lack it; for one project it is a mistake.
  if (request.recursive) return Status::Ok();
  for (const auto& t : request.takes)
    if (!model.TakeSel[t.track][t.take].assigned) plan.missing.push_back(TakeLabel(t.track, t.take) + " holds no take.");
  for (int m : request.masters)
    if (!model.MasTakeSel[m].assigned) plan.missing.push_back(MasterTakeLabel(m) + " holds no take.");
  return Status::Ok();
}

std::string caseFolded(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return text;
}

// A folder's own name, also for "." or a path ending in a separator.
std::string ownName(const fs::path& folder) {
  fs::path normal = fs::absolute(folder).lexically_normal();
  if (normal.filename().empty()) normal = normal.parent_path();
  return normal.filename().string();
}

void readPreviousManifests(const ArchiveRequest& request, std::vector<ArchiveSongPlan>& plans) {
  if (!request.resume) return;
  for (ArchiveSongPlan& plan : plans) {
    ArchiveManifest previous;
    if (ReadArchiveManifest(plan.outputFolder, previous).ok()) plan.previous = std::move(previous);
  }
}

}  // namespace

Status PlanArchive(const ArchiveRequest& request, std::vector<ArchiveSongPlan>& plans) {
  plans.clear();
  if (!request.recursive) {
    plans.emplace_back();
    const Status status = planProject(request, request.source, request.outputRoot, plans.back());
    plans.back().relativeFolder = ownName(request.source);
    if (!status.ok()) return status;
    readPreviousManifests(request, plans);
    return Status::Ok();
  }
  const auto folders = FindProjectFolders(request.source);
  if (folders.empty()) return Status::Fail(messages::NoProjectFound, request.source);
  std::vector<std::string> names;
  std::map<std::string, int> uses;
  for (const auto& folder : folders) {
    ProjectModel model;
    if (!model.DirTreeChange(folder.string())) return Status::Fail(messages::NotAProjectFolder, folder);
    std::string name = SafeFileNameComponent(NameBytesToUtf8(model.ProjectName));
    if (name.empty()) name = SafeFileNameComponent(folder.filename().string());
    names.push_back(name);
    ++uses[caseFolded(name)];
  }
  // Names are compared without regard to letter case: on a disk that
  // ignores case, "Demo" and "DEMO" would be one folder.
  std::map<std::string, int> taken;
  for (size_t i = 0; i < folders.size(); ++i) {
    std::string name = names[i];
    if (uses[caseFolded(name)] > 1) name += " (" + SafeFileNameComponent(folders[i].filename().string()) + ")";
    if (int n = ++taken[caseFolded(name)]; n > 1) name += " " + std::to_string(n);
    plans.emplace_back();
    const Status status = planProject(request, folders[i], request.outputRoot / name, plans.back());
    if (!status.ok()) return status;
    const fs::path relative = folders[i].lexically_relative(request.source);
    plans.back().relativeFolder = relative.empty() || relative == "." ? ownName(folders[i]) : relative.string();
  }
  readPreviousManifests(request, plans);
  return Status::Ok();
}

Status ReplanArchiveSong(const ArchiveRequest& request, ArchiveSongPlan& plan) {
  ArchiveSongPlan fresh;
  const Status status = planProject(request, plan.folder, plan.outputFolder, fresh);
  if (!status.ok()) return status;
  fresh.relativeFolder = std::move(plan.relativeFolder);
  fresh.previous = std::move(plan.previous);
  plan = std::move(fresh);
  return Status::Ok();
}

std::vector<fs::path> ExistingArchiveFiles(const ArchiveRequest& request, const std::vector<ArchiveSongPlan>& plans) {
  std::vector<fs::path> existing;
  std::error_code error;
  for (const auto& plan : plans) {
    // In a folder that holds this archive's manifest, a resumed run owns the
    // files it would write: those the manifest does not list complete (one
    // written after the manifest's last update, say) are written again.
    if (request.resume && plan.previous) continue;
    for (const auto& item : plan.items)
      if (fs::exists(item.output, error)) existing.push_back(item.output);
    for (const char* name : {ArchiveManifestName, ArchiveChecksumsName})
      if (fs::exists(plan.outputFolder / name, error)) existing.push_back(plan.outputFolder / name);
    for (const fs::path& other : plan.otherFiles) {
      const fs::path copy = plan.outputFolder / ArchiveCopyPath(other.filename().string());
      if (fs::exists(copy, error)) existing.push_back(copy);
    }
    if (request.companion)
      if (const fs::path companion = plan.outputFolder / request.companion->name(plan); fs::exists(companion, error))
        existing.push_back(companion);
  }
  return existing;
}

uint64_t ArchiveItemBytes(const ArchiveItem& item) {
  return uint64_t(item.source.length) * (item.source.right ? 4 : 2);
}

}  // namespace tp
