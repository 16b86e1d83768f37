// The commands of trackporter-cli. Each command declares its options on its
// own CLI11 subcommand and returns what runs it once the line is read; the
// run returns the exit status: 0 done, 1 failed (its message printed), 130
// interrupted. Usage mistakes are thrown as UsageError and failures as
// CommandFailure.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "project/projectmodel.h"
#include "project/takelabel.h"

namespace CLI {
class App;
}

namespace tp::cli {

struct CommandFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

using CommandRun = std::function<int()>;

struct Command {
  const char* name;
  const char* summary;  // one sentence, without its full stop
  // Whole command lines, as a user types them on the demo song; a test runs
  // them in this order, command after command, on one copy of the demo.
  std::vector<std::string> examples;
  bool namesTakes;  // the help explains how tracks and takes are counted
  CommandRun (*define)(CLI::App& command);
};

// Every command, in the order the help lists them.
const std::vector<Command>& Commands();

CommandRun DefineInfo(CLI::App& command);
CommandRun DefineExport(CLI::App& command);
CommandRun DefineLoudness(CLI::App& command);
CommandRun DefineImport(CLI::App& command);
CommandRun DefineProbe(CLI::App& command);
CommandRun DefineRename(CLI::App& command);
CommandRun DefineDelete(CLI::App& command);
CommandRun DefinePlay(CLI::App& command);
CommandRun DefineSession(CLI::App& command);
CommandRun DefineStems(CLI::App& command);
CommandRun DefineRestore(CLI::App& command);
CommandRun DefineDevices(CLI::App& command);

// Reads DIR as the window does when it is selected; a folder that is no
// project is a failure.
void OpenProject(ProjectModel& model, const std::string& folder);

// Selects a take as a click would, after checking that it exists.
void SelectTake(ProjectModel& model, const TrackTake& take);
void SelectMasterTake(ProjectModel& model, int masterTake);

// A sampling rate as a person writes it: "48000", "22050.5".
std::string RateText(long double rate);

// "Track3-2", "Master 4": the names the window shows.

}  // namespace tp::cli
