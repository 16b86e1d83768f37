// The commands of trackporter-cli. Each returns the exit status: 0 done,
// 1 failed (its message printed), 130 interrupted; usage mistakes are thrown
// as UsageError and failures as CommandFailure.
#pragma once

#include <stdexcept>
#include <string>

#include "cli/arguments.h"
#include "project/projectmodel.h"

namespace tp::cli {

struct CommandFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Command {
  const char* name;
  const char* usage;    // the synopsis after "trackporter-cli "
  const char* summary;  // one line
  int (*run)(ArgumentReader& args);
};

int RunInfo(ArgumentReader& args);
int RunExport(ArgumentReader& args);
int RunImport(ArgumentReader& args);
int RunRename(ArgumentReader& args);
int RunDelete(ArgumentReader& args);
int RunStems(ArgumentReader& args);
int RunPlay(ArgumentReader& args);

// Reads DIR as the window does when it is selected; a folder that is no
// project is a failure.
void OpenProject(ProjectModel& model, const std::string& folder);

// Selects a take as a click would, after checking that it exists.
void SelectTake(ProjectModel& model, const TrackTake& take);
void SelectMasterTake(ProjectModel& model, int masterTake);

// "Track3-2", "Master 4": the names the window shows.
std::string TrackTakeLabel(const TrackTake& take);
std::string MasterLabel(int masterTake);

}  // namespace tp::cli
