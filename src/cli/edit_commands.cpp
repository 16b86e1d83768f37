#include <cstdio>
#include <memory>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "project/messages.h"
#include "project/namecodec.h"
#include "project/takeedit.h"

namespace tp::cli {

namespace {

std::string nameBytes(const std::string& utf8) {
  const auto bytes = Utf8ToNameBytes(utf8);
  if (!bytes)
    throw CommandFailure(messages::NameCharactersRefused);
  return *bytes;
}

SongLock::Wait waitFor(bool noWait) { return noWait ? SongLock::Wait::No : SongLock::Wait::Yes; }

int report(const EditResult& result, const std::string& done) {
  if (!result.ok()) {
    ReportError(JoinMessage(result.message, result.detail));
    return 1;
  }
  std::printf("%s\n", done.c_str());
  return 0;
}

// What one rename or delete acts on.
struct Subject {
  bool project = false;
  std::optional<TrackTake> take;
  std::optional<int> master;
  int count() const { return int(project) + int(take.has_value()) + int(master.has_value()); }
};

struct RenameOptions {
  std::string folder;
  std::string projectName;
  bool projectNamed = false;  // an empty new name is still a rename
  std::vector<std::string> take, master;  // "T-K NAME" and "N NAME"
  bool noWait = false;
};

int runRename(const RenameOptions& options) {
  if (options.folder.empty()) throw UsageError("name the project folder");
  Subject subject;
  std::string name;
  subject.project = options.projectNamed;
  if (subject.project) name = options.projectName;
  if (options.take.size() == 2) {
    subject.take = ParseTrackTake(options.take[0]);
    name = options.take[1];
  }
  if (options.master.size() == 2) {
    subject.master = ParseMasterTake(options.master[0]);
    name = options.master[1];
  }
  if (subject.count() != 1) throw UsageError("rename one thing: --project, --take or --master");

  ProjectModel model;
  OpenProject(model, options.folder);
  const std::string bytes = nameBytes(name);
  const std::string stored = NameBytesToUtf8(bytes.substr(0, 8));
  if (subject.project) return report(RenameProject(model, bytes, waitFor(options.noWait)), "Project renamed to \"" + stored + "\"");
  if (subject.take) {
    if (!model.TakeSel[subject.take->track][subject.take->take].assigned)
      throw CommandFailure(TakeLabel(subject.take->track, subject.take->take) + " holds no take.");
    return report(RenameTake(model, subject.take->track, subject.take->take, bytes, waitFor(options.noWait)),
                  TakeLabel(subject.take->track, subject.take->take) + " renamed to \"" + stored + "\"");
  }
  if (!model.MasTakeSel[*subject.master].assigned) throw CommandFailure(MasterTakeLabel(*subject.master) + " holds no take.");
  return report(RenameMasterTake(model, *subject.master, bytes, waitFor(options.noWait)),
                MasterTakeLabel(*subject.master) + " renamed to \"" + stored + "\"");
}

struct DeleteOptions {
  std::string folder;
  std::vector<std::string> takes, masters;
  bool noWait = false;
};

int runDelete(const DeleteOptions& options) {
  if (options.folder.empty()) throw UsageError("name the project folder");
  Subject subject;
  if (options.takes.size() + options.masters.size() != 1) throw UsageError("delete one thing: --take or --master");
  if (!options.takes.empty()) subject.take = ParseTrackTake(options.takes.front());
  if (!options.masters.empty()) subject.master = ParseMasterTake(options.masters.front());

  ProjectModel model;
  OpenProject(model, options.folder);
  if (subject.take) {
    if (!model.TakeSel[subject.take->track][subject.take->take].assigned)
      throw CommandFailure(TakeLabel(subject.take->track, subject.take->take) + " holds no take.");
    return report(DeleteTake(model, subject.take->track, subject.take->take, waitFor(options.noWait)),
                  TakeLabel(subject.take->track, subject.take->take) + " deleted");
  }
  if (!model.MasTakeSel[*subject.master].assigned) throw CommandFailure(MasterTakeLabel(*subject.master) + " holds no take.");
  return report(DeleteMasterTake(model, *subject.master, waitFor(options.noWait)), MasterTakeLabel(*subject.master) + " deleted");
}

}  // namespace

CommandRun DefineRename(CLI::App& command) {
  auto options = std::make_shared<RenameOptions>();
  AddPositional(command, "DIR", options->folder, "the song folder");
  CLI::Option* project =
      AddValue(command, "--project", options->projectName, "NAME", "rename the project (the song)");
  // A take and its new name: two values, checked together after the parse.
  command.add_option("-t,--take", options->take, "rename take T-K of the track")
      ->type_name("T-K NAME")
      ->expected(2);
  command.add_option("-m,--master", options->master, "rename master take N")->type_name("N NAME")->expected(2);
  AddNoWaitOption(command, options->noWait);
  return [options, project] {
    options->projectNamed = project->count() > 0;
    return runRename(*options);
  };
}

CommandRun DefineDelete(CLI::App& command) {
  auto options = std::make_shared<DeleteOptions>();
  AddPositional(command, "DIR", options->folder, "the song folder");
  AddTakeOption(command, "-t,--take", options->takes, "delete take T-K (its file)");
  AddMasterOption(command, "-m,--master", options->masters, "delete master take N (both of its files)");
  AddNoWaitOption(command, options->noWait);
  return [options] { return runDelete(*options); };
}

}  // namespace tp::cli
