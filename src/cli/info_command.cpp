#include <cstdio>
#include <filesystem>
#include <memory>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/jsonline.h"
#include "cli/options.h"
#include "project/messages.h"
#include "project/namecodec.h"
#include "project/utf8text.h"

namespace tp::cli {

namespace {

// The file name as it is on disk (the scan matched it in any letter case).
std::string fileNameOnDisk(const std::filesystem::path& path) { return path.filename().string(); }

// Names from the disk as JSON text: a file name that is not UTF-8 is shown
// through its Latin-1 reading.
std::string text(const std::string& bytes) { return Utf8OrLatin1(bytes); }

// A take file that ends inside its header is marked where the take is
// listed, so that a damaged copy does not pass for an empty take.
bool cutShort(const ProjectModel& model, int lengthIndex) { return model.TakeCutShort[size_t(lengthIndex)]; }
bool masterCutShort(const ProjectModel& model, int take) {
  return cutShort(model, ProjectModel::MasterLeftIndex + take) || cutShort(model, ProjectModel::MasterRightIndex + take);
}
std::string textProblem(bool damaged) { return damaged ? std::string("  ! ") + messages::TakeCutShort : std::string(); }

void printJson(const ProjectModel& model) {
  Json report = {{"project", text(NameBytesToUtf8(model.ProjectName))}, {"takes", Json::array()}};
  for (int t = 0; t < TrackCount; ++t)
    for (int k = 0; k < TakesPerTrack; ++k) {
      const MatrixCell& cell = model.TakeSel[t][k];
      if (!cell.assigned) continue;
      const uint32_t samples = uint32_t(model.TakeLength(t, k));
      report["takes"].push_back({{"track", t + 1},
                                 {"take", k + 1},
                                 {"name", text(NameBytesToUtf8(cell.caption))},
                                 {"samples", samples},
                                 {"time", FormatTakeTime(samples)},
                                 {"file", text(fileNameOnDisk(model.TakePath(t, k)))}});
      if (cutShort(model, ProjectModel::LengthIndex(t, k))) report["takes"].back()["problem"] = messages::TakeCutShort;
    }
  report["masters"] = Json::array();
  for (int n = 0; n < MasterTakeCount; ++n) {
    if (!model.MasTakeSel[n].assigned) continue;
    report["masters"].push_back({{"take", n + 1},
                                 {"name", text(NameBytesToUtf8(model.MasTakeSel[n].caption))},
                                 {"samples_left", model.TakeLengths[ProjectModel::MasterLeftIndex + n]},
                                 {"samples_right", model.TakeLengths[ProjectModel::MasterRightIndex + n]}});
    if (masterCutShort(model, n)) report["masters"].back()["problem"] = messages::TakeCutShort;
  }
  if (!model.IgnoredTakeFiles.empty()) {
    report["ignored"] = Json::array();
    for (const auto& file : model.IgnoredTakeFiles) report["ignored"].push_back(text(fileNameOnDisk(file)));
  }
  std::printf("%s\n", OneLineJson(report).c_str());
}

void printText(const ProjectModel& model) {
  std::printf("Project: %s\n", NameBytesToUtf8(model.ProjectName).c_str());
  int found = 0;
  for (int t = 0; t < TrackCount; ++t)
    for (int k = 0; k < TakesPerTrack; ++k) {
      const MatrixCell& cell = model.TakeSel[t][k];
      if (!cell.assigned) continue;
      const uint32_t samples = uint32_t(model.TakeLength(t, k));
      std::printf("  %-11s %s  %s  %10u samples  %s%s\n", TakeLabel(t, k).c_str(),
                  NameBytesToUtf8(cell.caption).c_str(), FormatTakeTime(samples).c_str(), samples,
                  fileNameOnDisk(model.TakePath(t, k)).c_str(),
                  textProblem(cutShort(model, ProjectModel::LengthIndex(t, k))).c_str());
      ++found;
    }
  for (int n = 0; n < MasterTakeCount; ++n) {
    if (!model.MasTakeSel[n].assigned) continue;
    std::printf("  %-11s %s  left %u, right %u samples%s\n", MasterTakeLabel(n).c_str(),
                NameBytesToUtf8(model.MasTakeSel[n].caption).c_str(),
                uint32_t(model.TakeLengths[ProjectModel::MasterLeftIndex + n]),
                uint32_t(model.TakeLengths[ProjectModel::MasterRightIndex + n]),
                textProblem(masterCutShort(model, n)).c_str());
    ++found;
  }
  if (found == 0) std::printf("  (no takes)\n");
  // Two spellings of one take file: every command uses the one listed
  // above, and says so.
  for (const auto& file : model.IgnoredTakeFiles)
    std::printf("  %s is ignored: another file has the same name in other letter case\n",
                fileNameOnDisk(file).c_str());
}

}  // namespace

CommandRun DefineInfo(CLI::App& command) {
  struct Options {
    std::string folder;
    bool json = false;
  };
  auto options = std::make_shared<Options>();
  AddPositional(command, "DIR", options->folder, "the song folder");
  command.add_flag("--json", options->json,
                   "print one JSON object: the project's name, the takes (track, take, name, samples, time, file) "
                   "and the master takes (take, name, samples of each side)");
  return [options] {
    if (options->folder.empty()) throw UsageError("name the project folder");
    ProjectModel model;
    OpenProject(model, options->folder);
    if (options->json) printJson(model);
    else printText(model);
    return 0;
  };
}

}  // namespace tp::cli
