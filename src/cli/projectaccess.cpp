#include "cli/commands.h"

namespace tp::cli {

void OpenProject(ProjectModel& model, const std::string& folder) {
  if (!model.DirTreeChange(folder))
    throw CommandFailure("\"" + folder + "\" is not a project folder (it has no project information file, "
                         "or it is a backup)");
}

std::string TrackTakeLabel(const TrackTake& take) {
  return "Track" + std::to_string(take.track + 1) + "-" + std::to_string(take.take + 1);
}

std::string MasterLabel(int masterTake) { return "Master " + std::to_string(masterTake + 1); }

void SelectTake(ProjectModel& model, const TrackTake& take) {
  if (!model.TakeSel[take.track][take.take].assigned)
    throw CommandFailure(TrackTakeLabel(take) + " holds no take.");
  if (!model.TakeSel[take.track][take.take].down) model.TakeSelClick(take.track, take.take);
}

void SelectMasterTake(ProjectModel& model, int masterTake) {
  if (!model.MasTakeSel[masterTake].assigned) throw CommandFailure(MasterLabel(masterTake) + " holds no take.");
  if (!model.MasTakeSel[masterTake].down) model.MasTakeSelClick(masterTake);
  if (!model.MasterMode) model.MasterSelClick(true);
}

}  // namespace tp::cli
