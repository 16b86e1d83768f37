#include "cli/commands.h"

namespace tp::cli {

void OpenProject(ProjectModel& model, const std::string& folder) {
  if (!model.DirTreeChange(folder))
    throw CommandFailure("\"" + folder + "\" is not a project folder (it has no project information file, "
                         "or it is a backup)");
}

void SelectTake(ProjectModel& model, const TrackTake& take) {
  if (!model.TakeSel[take.track][take.take].assigned)
    throw CommandFailure(TakeLabel(take.track, take.take) + " holds no take.");
  if (!model.TakeSel[take.track][take.take].down) model.TakeSelClick(take.track, take.take);
}

void SelectMasterTake(ProjectModel& model, int masterTake) {
  if (!model.MasTakeSel[masterTake].assigned) throw CommandFailure(MasterTakeLabel(masterTake) + " holds no take.");
  if (!model.MasTakeSel[masterTake].down) model.MasTakeSelClick(masterTake);
  if (!model.MasterMode) model.MasterSelClick(true);
}

}  // namespace tp::cli
